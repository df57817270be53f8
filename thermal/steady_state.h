// Steady-state solution of the thermal network.
//
// SOLVFM is called by the user's EXECUTION statements with no arguments. It
// reads everything from the global records and arrays, iterates the
// nonlinear network to a steady state and leaves the temperatures in
// gar_thermalnodetemps and its figures in LOOPCT, RELXCC, NRLXCC, ENBALA and
// ENBALR. Required control constants: NLOOP, RELXCA; also read: DAMPT,
// INBALA, INBALR, STEFAN, TABS.
#pragma once

#include <cstdint>

#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

void SOLVFM();

// Everything the pass loop works on. The control constants are referred to,
// so that changes made by the user's blocks during the iteration are seen.
struct S3SlveWork {
  // Ordering and profile (S3PNTR); rowfirst is rebuilt by every assembly.
  ThCInts diagptr, nodepos, nodeorder;
  ThInts rowfirst;
  int proflen = 0;
  // The network: counts, both connection lists and the node-copy list,
  // conductors and letters, node numbers, heat sources, temperatures,
  // STEFAN and TABS.
  ThNetwork net;
  // Masks (rebuilt when the status-changed flag is set).
  ThInts dnodemask, gfmask, glmask, grmask, dbnodemask;
  // Profile array, solution vector and the stores of passes ending in 6 and 8.
  ThReals profile, x, store6, store8;
  // Control constants.
  const double* dampt = nullptr;
  const double* relxca = nullptr;
  const double* inbala = nullptr;
  const double* inbalr = nullptr;
  const std::int32_t* nloop = nullptr;
  double* relxcc = nullptr;
  std::int32_t* nrlxcc = nullptr;
  std::int32_t* loopct = nullptr;
  double* enbala = nullptr;
  double* enbalr = nullptr;
};

// The pass loop: VARIABLES1, assembly, factorisation, solve, damped and
// capped update with extrapolation every tenth pass, node copies, and the
// two-level stop test. status 0 on a normal end (converged or NLOOP passes),
// or the assembly status when assembly failed.
void S3SLVE(S3SlveWork& w, int& status);
