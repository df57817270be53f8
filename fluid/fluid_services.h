// Services of the fluid-loop solution that the executive and the generated
// blocks call.
#pragma once

#include <string_view>

// Initialises the fluid state of the fluid nodes selected by the node list
// zlabel (blank: all) in model |modref| (modref < 0: that model alone;
// modref > 0: it and its subtree). Reserves FLAGS(32) words of the integer
// dynamic core for the node list and gives them back before it returns; a
// shortage is the fatal "Insufficient dynamic core" (routine "FINITS").
// Before it completes a node it refuses (severity 4, routine "FINITS";
// fluid/input_checks.h) a value it reads that is not a finite number, an
// impossible geometry (FD not above zero where FLA comes from it, FLA not
// above zero, FL negative), a given VQ outside [0, 1] (not for "AIRW"), a
// given P with P + PABS or T with T + TABS not above zero, and a humid
// node's PHI outside [0, 1]; after it, a completed state that is not finite
// or a negative humidity ratio. Then the links of the models named: both
// ends two different fluid nodes, M, GP and the pressure source finite, GP
// not negative.
void FINITS(std::string_view zlabel, int modref);

// ---- Fluid-loop transient solutions ----------------------------------------
//
// FLTNTS, FLTMTS, FLTNTF and FGENFI integrate the thermal network and the
// fluid loops from TIMEO to TIMEND. FLTNTS (fluid/fltnts.cpp) solves the
// thermal and fluid node temperatures implicitly in each step after a
// quasi-steady hydraulic solution; FLTNTF (fluid/fltntf.cpp) advances them
// explicitly in steps below the stability limit it finds; FLTMTS
// (fluid/fltmts.cpp) solves the thermal network in thermal steps and the
// fluid in FSTEPS implicit sub-steps of each; FGENFI (fluid/fgenfi_driver.cpp) is
// the two-phase solution, iterating pressures, flows and enthalpies together.
void FLTNTS();
void FLTMTS();
void FLTNTF();

// The two-phase solution (run type "TRFL2P"; a cyclic run keeps the SOLVER
// of its driver): pressures, mass flows, enthalpies, qualities and compliant
// volumes of the fluid loops, homogeneous two-phase nodes, evaporative links
// and phase separation included, with the thermal network, from TIMEO to
// TIMEND, calling VARIABLES1, VARIABLES2 and OUTPUTS on the way
// (fluid/fgenfi.h has its parts). Required: NLOOP, RELXCA (with thermal
// nodes), FRLXCA, RELXMA; TIMEO, TIMEND, DTIMEI (when defined), OUTINT,
// DTMIN and DTMAX must be finite numbers ("FGENFI: Control constant <name>
// not specified@...", severity 4, code 9); OUTINT defaults to TIMEND - TIMEO
// and must then be above 0 (code 10); a step that cannot advance the clock
// ends the run (code 11). TIMEND not after TIMEO: a warning and no step.
// Before any step the model's fluid inputs are checked as
// fluid/input_checks.h says (a DTIMEI given and DTMIN both not above zero:
// code 29). A model without fluid nodes gets no step: FGENFI then only runs VARIABLES1
// twice, copies the tied temperatures, sets CSGMIN and sets the times to
// TIMEND, with the warning "FGENFI: No fluid nodes in the model@No time step
// was made: ..." (severity 2, code 12). QTRSOL "YES" replaces the storage of the pressure equations by the
// mass of each loop, kept at its start-of-step value. On return TIMEO, TIMEN
// and TIMEM are TIMEND and SOLTYP is blank.
void FGENFI();
