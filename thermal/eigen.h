// Symmetric eigen-decomposition of the modal solution.
//
// LEIGEN solves the generalised problem K.phi = lambda.Cv.phi for a symmetric
// conductance matrix K and a vector of capacitances Cv: it scales K to
// Cv^(-1/2).K.Cv^(-1/2), reduces that to tridiagonal form by Givens rotations
// (LTRIDG), drives it to diagonal form by implicit QR steps with Wilkinson
// shifts (LDIAGN, with S8RCSC finding where the tridiagonal matrix is still
// coupled), gathers the eigenvalues (LSRTEV) and scales the accumulated
// rotations back into mode shapes orthonormal with respect to Cv.
//
// Matrices are N x N doubles held in full (both triangles) by columns:
// element (i, j) is word (j - 1)*N + i.
//
// A subdiagonal term e between the diagonal terms d1 and d2 counts as
// negligible when |e| <= tau.sqrt(|d1|).sqrt(|d2|), tau being the machine
// precision, or when |e| < 1.0E-37. The test is relative to both neighbours,
// so a coupling between a stiff node (a small capacitance: a large scaled
// diagonal term) and a slow one is judged against the slow one too: the
// eigenvalues and modes are accurate to working precision also on graded
// spectra, and the shifts settle equal and nearly equal eigenvalues in a few
// steps. The eigenvalues are left in the order the iteration leaves them on
// the diagonal (not sorted); a matrix already diagonal keeps its order.
#pragma once

#include <limits>

#include "platform/array.h"

// Relative tolerance of the negligible-subdiagonal test, and the number of
// QR steps allowed per order of the matrix.
inline constexpr double kEigenTau = std::numeric_limits<double>::epsilon();
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

// Implicit QR steps with Wilkinson shifts on the symmetric tridiagonal a,
// accumulating the rotations into phi, until every subdiagonal term is
// negligible (relative tolerance tau); the diagonal then holds the
// eigenvalues and the subdiagonal terms are set to zero. Each unreduced
// block is worked from its end with the smaller diagonal term in magnitude.
// status 0, or 1 with the fatal message "SLMODE: Failed in Eigen value
// solution" when the tridiagonal matrix holds a value that is not finite or
// when more than `limit` QR steps would be needed.
void LDIAGN(int limit, double tau, plat::Vec1<double> a, int n, plat::Vec1<double> phi, int& status);

// From row `start` on, the first position L (L < n) whose subdiagonal term
// a(L + 1, L) is not negligible (relative tolerance tau), with the cosine and
// sine of the plane rotation of rows L and L + 1 that would zero it against
// a(L, L); position n when there is none.
void S8RCSC(plat::Vec1<const double> a, int n, int start, double tau, double& cosine, double& sine, int& position);

// Copies the diagonal a(m, m), m = 2..n, into words m of a (word 1 already
// holds a(1, 1)).
void LSRTEV(int n, plat::Vec1<double> a);
