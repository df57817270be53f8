#include "core/diagnostics.h"
#include "fluid/fluid_services.h"

// The fluid-loop transient solutions not yet part of this build.
void FLTMTS() { SETERX("FLTMTS: Fluid-loop solution not available in this build", 4, 1, "FLTMTS"); }
void FLTNTF() { SETERX("FLTNTF: Fluid-loop solution not available in this build", 4, 1, "FLTNTF"); }
void FGENFI() { SETERX("FGENFI: Fluid-loop solution not available in this build", 4, 1, "FGENFI"); }
