// Symmetric eigen-decomposition of the modal solution.
//
// LEIGEN solves the generalised problem K.phi = lambda.Cv.phi for a symmetric
// conductance matrix K and a vector of capacitances Cv: it scales K to
// Cv^(-1/2).K.Cv^(-1/2), reduces that to tridiagonal form by Givens rotations
// (LTRIDG), drives it to diagonal form by sweeps of Givens rotations that are
// unshifted QR steps (LDIAGN, with S8RCSC finding each next rotation), gathers
// the eigenvalues (LSRTEV) and scales the accumulated rotations back into mode
// shapes orthonormal with respect to Cv.
//
// Matrices are N x N doubles held in full (both triangles) by columns:
// element (i, j) is word (j - 1)*N + i. Every rotation is applied to rows and
// symmetry is restored by copying rows into columns.
//
// A rotation whose cosine exceeds tau in magnitude counts as not needed, so
// off-diagonal terms up to about 1.4E-3 of their diagonal neighbours may stay
// in place: eigenvalues and modes are accurate to that level. The
// eigenvalues are left in the order the iteration leaves them on the
// diagonal (not sorted).
#pragma once

#include "platform/array.h"

// Rotation tolerance and sweep limit factor of LEIGEN.
inline constexpr double kEigenTau = 0.999999;
inline constexpr int kEigenSweepsPerOrder = 30;

// cv(1..n) capacitances (unchanged; no sign test); a(1..n*n) holds K on entry
// and is destroyed, its words 1..n holding the eigenvalues on return;
// phi(1..n*n) receives the mode shapes, column m belonging to eigenvalue m
// (phi^T.Cv.phi = I, phi^T.K.phi = diag(lambda)). status 0 done, 1 the
// iteration failed ("SLMODE: Failed in Eigen value solution", fatal),
// 2 n < 2 ("SLMODE: Invalid dimension of conductivity matrix", fatal).
void LEIGEN(plat::Vec1<const double> cv, int n, plat::Vec1<double> a, plat::Vec1<double> phi, int& status);

// Givens reduction of the symmetric a to tridiagonal form, accumulating the
// rotations into phi (which must hold the identity on entry). Afterwards the
// matrix on entry equals phi.a.phi^T. status is always 0.
void LTRIDG(plat::Vec1<double> a, int n, plat::Vec1<double> phi, int& status);

// Unshifted QR sweeps on the symmetric tridiagonal a, accumulating the
// rotations into phi, until a sweep finds no rotation to make. status 0, or
// 1 with its fatal message when sweep number `limit` still rotates.
void LDIAGN(int limit, double tau, plat::Vec1<double> a, int n, plat::Vec1<double> phi, int& status);

// From row `start` on, the first position L (L < n) at which a rotation of
// rows L and L + 1 is needed, with its cosine and sine; position n when
// there is none.
void S8RCSC(plat::Vec1<const double> a, int n, int start, double tau, double& cosine, double& sine, int& position);

// Copies the diagonal a(m, m), m = 2..n, into words m of a (word 1 already
// holds a(1, 1)).
void LSRTEV(int n, plat::Vec1<double> a);
