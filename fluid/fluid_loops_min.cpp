#include "core/diagnostics.h"
#include "fluid/fluid_services.h"

// The fluid-loop transient solution not yet part of this build.
void FGENFI() { SETERX("FGENFI: Fluid-loop solution not available in this build", 4, 1, "FGENFI"); }
