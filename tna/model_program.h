// Everything a generated model program may call or address, in one include:
//
//   #include "tna/model_program.h"
//
// It declares nothing itself: it includes the library headers that declare
// the routines and data of the program's contract (docs/GENERATED_PROGRAM.md),
// so that a routine added to one of them reaches every model program without
// a change here. A routine that moves to a header of its own needs its include
// line below; test_program checks the whole contract against this header.
#pragma once

// The blocks the program supplies and the entry routines it calls: IN0001,
// EXECTN, V10001, V20001, OUTPUT, GM0001, SYMREF; SVMNAM, MAINA, SUCCES.
#include "model/generated_program.h"

// Records: FLAGS, SPRSIZ, SPRNOD, JOBINF, LOCI (core/global_records.h); the
// control constants GLOR, GLOI, GLOC and STSOLT (core/control_constants.h).
#include "core/control_constants.h"
#include "core/global_records.h"

// The global arrays (gar_...), the model-directory bases md_thermalnodebase,
// md_realuserconstbase, ... (modeldata/global_arrays.h); the node copies of
// VARIABLES2, SSNCNT (modeldata/node_copies.h); interpolation in the user
// arrays, INTRP1, INTCY1, INTRP2 (modeldata/interpolation.h); submodel and
// node references, SUBMOD, SUBMDN, NODNUM, INTNOD (modeldata/submodel_refs.h).
#include "modeldata/global_arrays.h"
#include "modeldata/interpolation.h"
#include "modeldata/node_copies.h"
#include "modeldata/submodel_refs.h"

// Analysis-case data and heaters: ACDDYU; HEATER_UPDATE, htr_define,
// htr_status, htr_reset, htr_update; the status-changed flag a statement
// raises after it changes a status or an activity, stat_setstatst.
#include "casedata/acd_solution.h"
#include "casedata/heaters.h"
#include "casedata/status_flag.h"

// Output routines: PRNDTB, DMPTMD.
#include "output/node_tables.h"
#include "output/tmd_requests.h"

// Property functions XRHO ... XVISCS, FTYPEC, FTYPEI.
#include "properties/properties.h"

// Fluid-loop routines: FINITS, FLTNTS, FLTMTS, FLTNTF, FGENFI.
#include "fluid/fluid_services.h"

// Solution routines: SOLVFM, SLCRNC, SLFWBK, SLFRWD, SLGEAR, SLGRDJ, SLMODE,
// SOLCYC.
#include "thermal/crank_nicolson.h"
#include "thermal/cyclic.h"
#include "thermal/explicit_forward.h"
#include "thermal/forward_backward.h"
#include "thermal/gear.h"
#include "thermal/modal.h"
#include "thermal/slgrdj.h"
#include "thermal/steady_state.h"

// Parameter-case outputs of VARIABLES2 and OUTPUTS: PARWRT.
#include "parameters/parameter_cases.h"

// Run driver services: CHKTRM, FAILUR (executive/run_driver.h); the progress
// monitor's PRMUPD (executive/progress_monitor.h).
#include "executive/progress_monitor.h"
#include "executive/run_driver.h"

// What the frames use of the platform: plat::trimmed and plat::text_eq of
// the texts, plat::exit_process for the stop of SYMREF.
#include "platform/process.h"
#include "platform/text.h"
