// Profile (variable-band) solver of the node equations of the fluid loops:
// the pressure and energy equations of the two-phase iteration and the
// pressure equations of the hydraulic solution share it.
//
// Storage. Rows and columns are numbered in solver order 1..n. Row r holds
// its columns jl(r)..ir(r) one after the other in amat, the diagonal at
// id(r), so that entry (r, q) is amat(id(r) + q - r). For column q, ju(q) is
// the first row whose stored part reaches q: every row from ju(q) to q - 1
// stores column q. The lower profile (jl) and the upper one (ju) may differ:
// the two-phase ordering widens the last row of each loop to the loop's
// first column without widening the columns above it; the hydraulic
// ordering is symmetric (ju = jl).
//
// The factorisation is Doolittle's without pivoting: it overwrites amat
// with the unit lower triangle L (left of the diagonals) and the upper
// triangle U (diagonal and right), fill staying inside the profile; every
// entry receives the operations of the row-by-row form in their order. A
// pivot whose magnitude is below 1.0E-37 taken in single precision (SMINDL)
// is a zero pivot. Nothing allocates.
#pragma once

#include "fluid/fluid_network.h"
#include "platform/text.h"

// Factorises amat in place. ierr := the row of the first zero pivot (the
// factorisation is then left unfinished), 0 when none.
void FHSFCT(FlCInts id, FlCInts jl, int n, FlCInts ju, FlReals amat, int& ierr);

// Forward and back substitution of b (solver order) with the factors in
// amat. Every diagonal is tested first; ierr := the last row whose diagonal
// is zero, and b is then left untouched; 0 when none.
void FHSSUB(FlCInts jl, FlCInts ir, FlCInts id, FlCReals amat, int n, FlReals b, int& ierr);

// Factorises and solves the system in amat and bvec. On success scatters the
// solution into x by node (x(perm(r)) := solution(r)), dmax := the signed
// largest difference solution - previous x (the first of equal magnitudes;
// 0 when nothing changed), ierr := 0 and routine untouched. On a zero pivot
// ierr := perm of the failing row, routine := "FHSFCT" (factorisation) or
// "FHSSUB" (substitution) and x is untouched. In every case amat(1..lprof)
// is cleared to zeros before it returns, ready for the next assembly; bvec
// holds the solution in solver order after a success.
void FHSKS1(FlReals amat, FlCInts id, FlCInts jl, FlCInts ir, int n, FlCInts perm, FlCInts ju, int lprof,
            FlReals bvec, FlReals x, double& dmax, int& ierr, plat::Text<6>& routine);

// FHSKS1 on the symmetric profile of the hydraulic ordering (ju = jl).
void FHSKSV(FlReals amat, int nf, int lprof, FlReals bvec, FlReals x, double& dmax, int& ierr,
            plat::Text<6>& routine, const FlOrdering& ord);
