#include "core/diagnostics.h"
#include "executive/run_driver.h"

// Fatal end of a run: the close-down of both ends, then exit status 1.
void FAILUR() {
  PROGCL();
  EEXIT(1);
}
