#include "casedata/status_flag.h"

std::int32_t stat_getstatst() { return status_changed; }

void stat_setstatst(std::int32_t value) {
  status_changed = value;
  if (value != 0) advance_status_generation();
}
