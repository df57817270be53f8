// The blocks of a model without user statements, for the benchmarks, which
// drive the library directly.
#include "model/generated_program.h"

void IN0001() {}
void EXECTN() {}
void V10001() {}
void V20001() {}
void OUTPUT() {}
void GM0001(bool&) {}
