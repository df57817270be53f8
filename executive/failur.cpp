#include "executive/diagnostics.h"

#include "platform/process.h"

// Fatal end of a run. For now the close-down is the closing of every unit
// (files kept) that ending the process does; the run files' own close-down
// joins here with the run driver.
void FAILUR() { plat::exit_process(1); }
