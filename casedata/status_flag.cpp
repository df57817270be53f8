#include "casedata/status_flag.h"

std::int32_t status_changed = 0;

std::int32_t stat_getstatst() { return status_changed; }

void stat_setstatst(std::int32_t value) { status_changed = value; }
