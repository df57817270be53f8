// Modal solution of the thermal network (SLMODE).
//
// At the start the network is linearised about the initial temperatures: the
// symmetric conductance matrix K of the nodes that carry capacitance (modal
// nodes) and their capacitances Cv give the generalised eigenproblem
// K.phi = lambda.Cv.phi, solved once (LEIGEN). Each step advances every mode
// exactly over the step with its modal load held constant and rebuilds the
// temperatures from the modes. Whatever departs from the initial linear
// system (changed conductances and capacitances, radiation, fluidic
// conductors, conductors to non-modal nodes, boundary temperatures) is
// carried as a load re-evaluated after every accepted step. Solved nodes
// without capacitance (arithmetic nodes) are solved after each modal step by
// a Gauss-Seidel point iteration.
//
// Node kinds: modal (status "D", |C| >= 1.0E-37, numbered k = 1..N in node
// order; ix(i) = k), arithmetic (status "D", |C| < 1.0E-37; ix(i) = 0) and
// all others (set only by the user's blocks and the node copies).
//
// Real work area (one block of the dynamic core), offsets from its first word:
//   0               K        N*N   start conductance matrix, column k = node k
//   N*N             Cv       N     start capacitances
//   N*N+N           Phi      N*N   mode shapes, Phi(k, m)
//   2N*N+N          P        N     nodal load, then modal load Phi^T.P
//   2N*N+2N         a        N     modal coordinates (absolute temperatures)
//   2N*N+3N         Kw       N*N   copy of K for LEIGEN; then lambda(1..N)
//   2N*N+4N         a0       N     modal coordinates at the step start
//   2N*N+5N         T0       NT    temperatures at the step start
//   2N*N+5N+NT      dK       N     column of K changes (load update)
//   2N*N+6N+NT+1    scratch  N     products before they are copied
// a0, T0, dK and scratch reuse the tail of Kw once it has been diagonalised.
#pragma once

#include <cstdint>

#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"
#include "thermal/transient_frame.h"

// User-callable: integrates from TIMEO to TIMEND. Required: NLOOP, DTIMEI
// (replaced by 0.95 CSGMIN at the start), RELXCA; OUTINT defaults to TIMEND -
// TIMEO. A non-positive OUTINT would never advance the output time and is
// refused before the integration.
void SLMODE();

// Everything the step loop works on. The S8 kernels read the network over
// its linked list (net.pcs, net.ptrs) and write the temperatures net.t;
// fluid neighbours (index above nt) are boundaries at their fluid node's
// temperature net.tf.
struct S8Work {
  ThNetwork net;
  TrfFrame* frame = nullptr;
  int n = 0;        // number of modal nodes
  ThInts ix;        // modal number of each node, or 0 (nt words)
  ThCInts node_of;  // node index of each modal number (n words)
  ThReals k, cv, phi, p, a, kw, a0, t0, dk, scratch;
  ThReals tabsolute;  // scratch: T + TABS of the modal nodes (n words)
  // Counters of the call: accepted steps + 1, steps whose arithmetic
  // iteration ended above RELXCA, steps accepted at the smallest step with a
  // change above DTPMAX.
  int ns = 1, nr = 0, np = 0;
  bool done = false, accept = false;
};

// Selection, assembly, eigen-decomposition, start of the modal coordinates,
// the step loop and the end warnings. real_area: the real block (its length
// covers the layout above for N = nt); ix: nt integer words.
void S8SLVE(TrfFrame& frame, const ThNetwork& net, ThReals real_area, ThInts ix);

// nd = number of modal nodes; ix(i) = modal number of node i, or 0.
void S8PTST(int nt, ThCLetters statuses, ThCReals caps, ThInts ix, int& nd);

// Column k (n words) of the conductance matrix for modal node `node`, its
// capacitance and its load at the present temperatures and data.
void S8RCLC(const ThNetwork& net, ThCInts ix, int node, int k, int n, ThReals column, double& cap, double& load);

// p = Phi^T.p through scratch (n words each).
void S8PMLT(int n, ThCReals phi, ThReals p, ThReals scratch);

// Modal coordinates of the absolute temperatures: a = Phi^T.Cv.(T + TABS).
void S8CSVL(int n, ThCInts node_of, ThCReals t, double tabs, ThCReals cv, ThCReals phi, ThReals a);

// The step loop, until TIMEN reaches TIMEND.
void S8TMST(S8Work& w);

// One modal step of length dt: a(m) advanced exactly with its load p(m)
// held constant (linearly when |lambda| < 1.0E-37), then T of the modal
// nodes rebuilt. acc: n words of scratch. A temperature that is not finite
// ends the run with the temperature message.
void S8CTMP(int n, ThCInts node_of, ThCReals lambda, ThCReals p, double dt, double tabs, ThCReals phi, ThReals a,
            ThReals t, ThReals acc);

// Point iteration of the arithmetic nodes (LOOPCT, RELXCC, NRLXCC).
void S8ARTH(const ThNetwork& net, ThCInts ix);

// Conductance sums of one node: gs = sum g, gt = sum g Tj over active GL and
// GF (positive index); rs = STEFAN sum GR, rt = STEFAN sum GR Tj^4 over
// active GR; Tj absolute.
void S8GSUM(const ThNetwork& net, int node, double& gs, double& gt, double& rs, double& rt);

// dmax = the largest |t(i) - t0(i)|, i = 1..nt (0.0 when none is larger).
void SRCOMP(int nt, ThCReals t, ThCReals t0, double& dmax);

// Acceptance of an attempt with largest change dmax: a rejected step is
// shortened and T and a restored (w.accept false); an accepted one calls
// VARIABLES2 and OUTPUTS when due and sets up the next step.
void S8TIME(S8Work& w, double dmax);

// Load update after an accepted step: VARIABLES1, then for each modal node
// the current column, capacitance and load against the start ones (S8LCFM,
// S8CFFN), then the projection on the modes.
void S8RHSV(S8Work& w);

// dc = cn - cv(k); dk(m) = kn(m) - kstart(k, m), m = 1..n (kn arrives in dk).
void S8LCFM(int n, int k, ThCReals kstart, ThCReals cv, double cn, ThReals dk, double& dc);

// Load of modal node `node` for the next step: pn - dc (T - T0) / h - sum
// over modal nodes of dk(q) (T + TABS). tabsolute(q): T + TABS of modal node
// q.
void S8CFFN(int n, int node, double pn, double dc, ThCReals dk, ThCReals tabsolute, ThCReals t, ThCReals t0,
            double h, double& pk);
