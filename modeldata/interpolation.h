// Interpolation in the model's user arrays, called from the user's blocks
// (typically VARIABLES1, at every iteration) and by the heater manager.
//
// Two kinds of array are accepted:
// - real arrays of type 2 and shape 2 x N: N points stored as consecutive
//   (x, y) pairs with ascending x; room left at the end may hold undefined
//   abscissae, which end the data;
// - table arrays of type 4: an integer structure S(1..L) in
//   gar_arrayvaluesint describing one to three independent variables, and a
//   block of reals R(1..M) in gar_arrayvaluesreal holding the abscissa lists
//   and the dependent values.
//
// Out-of-range arguments are never extrapolated: the value of the nearest
// end point comes back with the warning "Value out of range of data".
// Problems are reported through SETERX under the routine's own name;
// severity 4 (an invalid array, a broken table, undefined abscissae) ends the
// run. No routine here allocates: point selection is a bisection and every
// buffer is fixed (at most 10 points take part in one interpolation).
#pragma once

#include "platform/array.h"

// Statuses of the kernels.
inline constexpr int kIntpOutOfRange = 204;    // LS1INT: value out of range of data
inline constexpr int kIntpDivideByZero = 301;  // coincident abscissae
inline constexpr int kIntpWrongType = 303;     // wrong arithmetic type
inline constexpr int kIntpWrongDims = 304;     // wrong number of dimensions
inline constexpr int kIntpOutOfOrder = 308;    // table parameters out of order
inline constexpr int kIntpImpossible = 309;    // impossible value
inline constexpr int kIntpFetchFailed = 401;   // failed fetch or invalid array size
inline constexpr int kIntpInvalidArray = 402;  // invalid array number
inline constexpr int kIntpWrongEntry = 403;    // wrong entry in table

// Room the descriptor readers need in the caller's dimension list.
inline constexpr int kIntpMaxDims = 20;

// ---- User-callable functions -------------------------------------------

// y(x) from user array `narray` with `order` + 1 points (order 1 on a 2 x N
// array: linear; order 0: the point at or below x).
double INTRP1(double x, int narray, int order);
// As INTRP1 with x first brought into one period:
// x' = (x + offset) mod period (truncated), plus period when negative.
double INTCY1(double x, int narray, int order, double period, double offset);
// z(x1, x2) from a table array of two independent variables; order is kept
// within 0..2.
double INTRP2(double x1, double x2, int narray, int order);

// ---- Descriptor readers --------------------------------------------------

// Reads the descriptor of user array `narray`. Real array: ipos 0, rpos =
// first value in gar_arrayvaluesreal, ndim and dims(1..ndim), nvalues stored,
// count = product of the dimensions. Table: ipos = first structure word in
// gar_arrayvaluesint, count = number of reals, rpos = first real, ndim =
// number of independent variables, nvalues = structure length. dims needs
// room for kIntpMaxDims. An invalid number or size is fatal (402 / 401).
void APARS(int narray, int& ipos, int& rpos, int& ndim, plat::Vec1<int> dims, int& nvalues, int& count, int& type,
           int& status);
// APARS, then a check that the type is 2 or 4 (otherwise status 303).
void ATYPR(int narray, int& ipos, int& rpos, int& ndim, plat::Vec1<int> dims, int& nvalues, int& count, int& type,
           int& status);

// ---- Table structure walk ------------------------------------------------

// Walks the structure s(1..lstruct) of a table of `nvars` variables with the
// selection vector sel(1..nvars) (non-zero: that point of the variable; the
// first zero marks the free variable). pos: position in the table's reals
// (1..nreals) of the free variable's abscissa list, or of the dependent
// values when every selection is non-zero; count: the free variable's number
// of points.
void LADTAB(plat::Vec1<const int> s, int nvars, plat::Vec1<const int> sel, int lstruct, int nreals, int& pos,
            int& count, int& status);

// ---- Point selection and interpolation kernels -------------------------

// Chooses `npts` (order + 1, at most 10 and at most n) consecutive points
// around x, the first being `first`. status 1 bad order, 2 x outside the
// data (one end point chosen), 10 first abscissa undefined.
void LSPNT2(plat::Vec1<const double> pairs, int n, int order, double x, int& first, int& npts, int& status);
void LSPNT1(plat::Vec1<const double> xs, int n, int order, double x, int& first, int& npts, int& status);

// Lagrange interpolation through npts points; status 1 when two abscissae
// coincide (LSLGN2 leaves that factor out and completes the sum, LSLGN1
// stops with the terms completed so far).
void LSLGN2(plat::Vec1<const double> pairs, int npts, double x, double& value, int& status);
void LSLGN1(plat::Vec1<const double> ys, plat::Vec1<const double> xs, int npts, double x, double& value,
            int& status);

// Linear interpolation in n pairs; status 204 (with a warning) outside the data.
void LS1INT(plat::Vec1<const double> pairs, int n, double x, double& value, int& status);

// Interpolation along the last variable of a table at x, the earlier
// variables fixed at points j (of three) and k (of two or three). rpos: the
// table's first real in gar_arrayvaluesreal.
void LSINT1(int rpos, plat::Vec1<const int> s, int nvars, int order, int j, int k, int lstruct, int nreals, double x,
            double& value, int& status);
// Interpolation along the last two variables of a table at (x1, x2).
void LSINT2(int rpos, plat::Vec1<const int> s, int nvars, int order, int j, int lstruct, int nreals, double x1,
            double x2, double& value, int& status);
