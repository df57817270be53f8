// INTRP1, INTCY1, INTRP2 and the kernels behind them: descriptor readers,
// table walk, point selection, Lagrange, linear and table interpolation.
#include "modeldata/interpolation.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/char_pool.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "platform/process.h"

namespace {

// Coincident-abscissa threshold (a single-precision constant, widened).
const double kTiny = static_cast<double>(1.0e-37f);

constexpr int kMaxPoints = 10;

// Message texts.
constexpr const char* kInvalidArray = "Invalid array";
constexpr const char* kInvalidSize = "Invalid array size";
constexpr const char* kWrongType = "Wrong arithmetic type";
constexpr const char* kWrongNumDims = "Wrong number of dimensions";
constexpr const char* kWrongDims = "Wrong dimensions";
constexpr const char* kBadOrder = "Bad order for interpolation";
constexpr const char* kOutOfRange = "Value out of range of data";
constexpr const char* kDivZero = "Division by zero";
constexpr const char* kUndefinedX = "Undefined independent variables";
constexpr const char* kFetchFailed = "Failed in FETCH routine";
constexpr const char* kOutOfOrder = "Table parameters out of order";
constexpr const char* kWrongEntry = "Wrong entry in table";
constexpr const char* kImpossible = "Impossible value";

// Code of the fatal "Undefined independent variables" of INTRP1/INTCY1:
// the next free code after their other messages.
constexpr int kUndefinedCode = 9;

// Abscissa k of a point list: a plain list (stride 1) or (x, y) pairs (stride 2).
struct Abscissae {
  plat::Vec1<const double> v;
  int stride;
  double operator()(int k) const { return v(static_cast<std::int64_t>(stride) * (k - 1) + 1); }
  bool undefined(int k) const { return SLUNDF(v(static_cast<std::int64_t>(stride) * (k - 1) + 1)); }
};

// Number of leading defined abscissae of n whose first one is defined:
// undefined entries only fill the room left at the end, so the boundary is
// found by bisection.
int defined_count(const Abscissae& xs, int n) {
  if (!xs.undefined(n)) return n;
  int lo = 1, hi = n;  // xs(lo) defined, xs(hi) undefined
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    if (xs.undefined(mid)) hi = mid;
    else lo = mid;
  }
  return lo;
}

// Common point selection of LSPNT1 and LSPNT2.
//
// The data end at the last defined abscissa: the range test and the window
// use that count, so no undefined abscissa enters an interpolation.
void select_points(const Abscissae& xs, int n, int order, double x, int& first, int& npts, int& status) {
  status = 0;
  if (n < 1) {  // nothing to choose from (the callers' checks keep n >= 1)
    status = 10;
    return;
  }
  if (xs.undefined(1)) {
    status = 10;
    return;
  }
  n = defined_count(xs, n);
  const int q = std::min(n, kMaxPoints);
  if (order < 0) {
    npts = 1;
    status = 1;
  } else if (order < q) {
    npts = order + 1;
  } else {
    npts = q;
    status = 1;
  }
  if (x < xs(1)) {
    first = 1;
    npts = 1;
    status = 2;
    return;
  }
  if (x > xs(n)) {
    first = n;
    npts = 1;
    status = 2;
    return;
  }
  int low = 1, high = n;
  while (high - low > 1) {
    const int mid = (low + high) / 2;
    if (xs.undefined(mid)) high = mid - 1;
    else if (xs(mid) > x) high = mid;
    else low = mid;
  }
  // The bisection never looks at its upper end: x equal to the last
  // abscissa stops with low one point short of it.
  if (high > low && !xs.undefined(high) && xs(high) <= x) low = high;
  const int i = low;
  const int m = npts;
  if (m == 1) {
    first = i;
    return;
  }
  const double half = static_cast<double>(m) / 2.0;
  if (half > static_cast<double>(i)) {
    first = 1;
  } else if (half > static_cast<double>(n - i)) {
    first = n - m + 1;
  } else {
    int s = i - m / 2 + 1;
    if (m % 2 == 1 && xs(s + m - 1) - x >= x - xs(s - 1)) s -= 1;
    first = s;
  }
}

// Copies the descriptor of array k into the outputs; see APARS.
void read_descriptor(int narray, int& ipos, int& rpos, int& ndim, plat::Vec1<int> dims, int& nvalues, int& count,
                     int& type, int& status) {
  status = 0;
  const std::int64_t larr = gar_arrayinfolist.size();
  const int p = (narray >= 1 && narray <= FLAGS(19) && narray <= gar_arrayinfopointers.size())
                    ? gar_arrayinfopointers(narray)
                    : 0;
  // Every descriptor holds at least its first four words.
  if (p < 1 || std::int64_t{p} + 3 > larr) {
    status = kIntpInvalidArray;
    SETERX(kInvalidArray, 4, 1, "APARS");
    return;
  }
  auto word = [&](int w) { return gar_arrayinfolist(p + w - 1); };
  type = word(1);
  nvalues = word(2);
  if (type == 4) {
    if (std::int64_t{p} + 5 > larr) {
      status = kIntpInvalidArray;
      SETERX(kInvalidArray, 4, 1, "APARS");
      return;
    }
    ipos = word(3);
    count = word(4);
    rpos = word(5);
    ndim = word(6);
    // The structure and the reals must lie inside the value arrays.
    const bool inside =
        nvalues >= 0 && count >= 0 &&
        (nvalues == 0 || (ipos >= 1 && std::int64_t{ipos} + nvalues - 1 <= gar_arrayvaluesint.size())) &&
        (count == 0 || (rpos >= 1 && std::int64_t{rpos} + count - 1 <= gar_arrayvaluesreal.size()));
    if (!inside) {
      status = kIntpFetchFailed;
      SETERX(kInvalidSize, 4, 2, "APARS");
    }
    return;
  }
  ndim = word(4);
  rpos = word(3);
  ipos = 0;
  bool ok = ndim >= 0 && ndim <= dims.size() && p + 3 + std::int64_t{ndim} <= larr;
  std::int64_t product = 1;
  if (ok) {
    for (int d = 1; d <= ndim; ++d) {
      dims(d) = word(4 + d);
      product *= dims(d);
      if (product < 1 || product > nvalues) break;  // also keeps the product from overflowing
    }
    ok = product >= 1 && product <= nvalues;
  }
  // Interpolated real arrays must lie inside the real values.
  if (ok && type == 2) ok = rpos >= 1 && std::int64_t{rpos} + nvalues - 1 <= gar_arrayvaluesreal.size();
  if (!ok) {
    status = kIntpFetchFailed;
    SETERX(kInvalidSize, 4, 2, "APARS");
    return;
  }
  count = static_cast<int>(product);
}

// A position computed from structure words; one outside 1..nreals becomes
// 0, which the final position check of the walk refuses.
int to_pos(std::int64_t where, int nreals) { return where > 0 && where <= nreals ? static_cast<int>(where) : 0; }

// Real values of the table's reals from table position `pos` on, n of them.
bool table_list(int rpos, int nreals, int pos, int n, plat::Vec1<const double>& out) {
  if (pos < 1 || n < 1 || std::int64_t{pos} + n - 1 > nreals) return false;
  out = gar_arrayvaluesreal.view().from(std::int64_t{rpos} + pos - 1, n);
  return true;
}

// INTRP1 and INTCY1 after the cyclic reduction of x.
double interp1(double x, int narray, int order, bool cyclic) {
  const char* who = cyclic ? "INTCY1" : "INTRP1";
  int ipos = 0, rpos = 0, ndim = 0, nvalues = 0, count = 0, type = 0, status = 0;
  int dims[kIntpMaxDims] = {};
  APARS(narray, ipos, rpos, ndim, plat::Vec1<int>(dims, kIntpMaxDims), nvalues, count, type, status);
  if (status != 0) return 0.0;

  if (type == 2) {
    if (ndim != 2) {
      SETERX(kWrongNumDims, 3, 2, who);
      return 0.0;
    }
    if (dims[0] != 2) {
      SETERX(kWrongDims, 3, 3, who);
      return 0.0;
    }
    const int n = cyclic ? dims[1] : nvalues / 2;
    const plat::Vec1<const double> pairs = gar_arrayvaluesreal.view().from(rpos, 2 * std::int64_t{n});
    double value = 0.0;
    if (order == 1) {
      LS1INT(pairs, n, x, value, status);
      return value;
    }
    int first = 1, npts = 1;
    LSPNT2(pairs, n, order, x, first, npts, status);
    if (status == 1) SETERX(kBadOrder, 2, 4, who);
    if (status == 2) SETERX(kOutOfRange, 2, 5, who);
    if (status == 10) {
      SETERX(kUndefinedX, 4, kUndefinedCode, who);
      return 0.0;
    }
    LSLGN2(pairs.from(2 * std::int64_t{first} - 1, 2 * std::int64_t{npts}), npts, x, value, status);
    if (status == 1) SETERX(kDivZero, 3, 6, who);
    return value;
  }

  if (type == 4) {
    if (ndim != 1) {
      SETERX(kWrongNumDims, 3, 7, who);
      return 0.0;
    }
    const plat::Vec1<const int> s = gar_arrayvaluesint.view().from(ipos, nvalues);
    double value = 0.0;
    LSINT1(rpos, s, ndim, order, 0, 0, nvalues, count, x, value, status);
    return value;
  }

  SETERX(kWrongType, 3, 8, who);
  return 0.0;
}

}  // namespace

// ---------------------------------------------------------------------------

void APARS(int narray, int& ipos, int& rpos, int& ndim, plat::Vec1<int> dims, int& nvalues, int& count, int& type,
           int& status) {
  read_descriptor(narray, ipos, rpos, ndim, dims, nvalues, count, type, status);
}

void ATYPR(int narray, int& ipos, int& rpos, int& ndim, plat::Vec1<int> dims, int& nvalues, int& count, int& type,
           int& status) {
  APARS(narray, ipos, rpos, ndim, dims, nvalues, count, type, status);
  if (status == 0 && type != 2 && type != 4) {
    SETERX(kWrongType, 3, 1, "ATYPR");
    status = kIntpWrongType;
  }
}

void LADTAB(plat::Vec1<const int> s, int nvars, plat::Vec1<const int> sel, int lstruct, int nreals, int& pos,
            int& count, int& status) {
  status = 0;
  pos = 1;
  count = 0;
  const std::int64_t n = nvars;  // wide: a corrupt count must not overflow
  std::int64_t remainder = n * (n + 1) / 2;
  const std::int64_t limit = std::min<std::int64_t>(lstruct, s.size());
  int err = 0;
  // Structure word k; a word outside the structure is a wrong entry (6).
  auto S = [&](std::int64_t k) -> int {
    if (k < 1 || k > limit) {
      if (err == 0) err = 6;
      return 0;
    }
    return s(k);
  };

  if (n < 1) {
    if (remainder != 0) err = 7;
  } else {
    std::int64_t p = n + 1 + S(n + 2);
    bool free_seen = false;
    bool stopped = err != 0;
    for (int i = 1; i <= n && !stopped; ++i) {
      if (nreals < 1 || p <= 0 || p >= lstruct) {
        err = 6;
        break;
      }
      remainder -= S(i + 1);
      const int d = i <= sel.size() ? sel(i) : 0;
      if (free_seen && d != 0) {
        SETERX(kOutOfOrder, 3, 1, "LADTAB");
        status = kIntpOutOfOrder;
        break;
      }
      if (d == 0) {
        free_seen = true;
        count = S(p);
        pos = S(p + 1);
        if (count == 0 && err == 0) err = 2;
        if (count < 0) count = count == INT_MIN ? INT_MAX : -count;
      } else {
        count = S(p);
        if (std::abs(std::int64_t{count}) < d) {
          SETERX(kImpossible, 3, 3, "LADTAB");
          status = kIntpImpossible;
          break;
        }
        if (i == n) {
          if (count > 0) {
            pos = to_pos(std::int64_t{S(p + 2)} + d - 1, nreals);
            count = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{count} - d + 1, INT_MIN, INT_MAX));
          } else if (count == 0) {
            if (err == 0) err = 4;
          } else {
            // Rows of a shared grid follow one another; a table of one
            // variable has no earlier selection and reads the first row.
            const std::int64_t g = -std::int64_t{count};
            const std::int64_t k = i > 1 && i - 1 <= sel.size() ? sel(i - 1) : 1;
            pos = to_pos(S(p + 2) + std::int64_t{d} - 1 + (k - 1) * g, nreals);
          }
        } else if (i == n - 1) {
          const int next = S(p + 2);
          if (next > 0) p = p + 3 * std::int64_t{d} - 1;
          else if (next < 0) p = p + 2;
          else if (err == 0) err = 5;
        } else {
          p = std::int64_t{n} + 1 + S(p + d + 1);
        }
      }
      stopped = err != 0;
    }
    if (err == 0 && status == 0 && remainder != 0) err = 7;
  }
  if (err == 0 && !(pos > 0 && pos < nreals)) err = 8;
  if (err != 0) {
    status = kIntpWrongEntry;
    SETERX(kWrongEntry, 4, err, "LADTAB");
  }
}

void LSPNT2(plat::Vec1<const double> pairs, int n, int order, double x, int& first, int& npts, int& status) {
  select_points(Abscissae{pairs, 2}, n, order, x, first, npts, status);
}

void LSPNT1(plat::Vec1<const double> xs, int n, int order, double x, int& first, int& npts, int& status) {
  select_points(Abscissae{xs, 1}, n, order, x, first, npts, status);
}

void LSLGN2(plat::Vec1<const double> pairs, int npts, double x, double& value, int& status) {
  value = 0.0;
  status = 0;
  if (npts == 1) {
    value = pairs(2);
    return;
  }
  for (int i = 1; i <= npts; ++i) {
    const double xi = pairs(2 * i - 1);
    double term = pairs(2 * i);
    for (int j = 1; j <= npts; ++j) {
      if (j == i) continue;
      const double xj = pairs(2 * j - 1);
      if (std::fabs(xi - xj) <= kTiny) {
        status = 1;
        continue;
      }
      term *= (x - xj) / (xi - xj);
    }
    value += term;
  }
}

void LSLGN1(plat::Vec1<const double> ys, plat::Vec1<const double> xs, int npts, double x, double& value,
            int& status) {
  value = 0.0;
  status = 0;
  if (npts == 1) {
    value = ys(1);
    return;
  }
  for (int i = 1; i <= npts; ++i) {
    const double xi = xs(i);
    double term = ys(i);
    for (int j = 1; j <= npts; ++j) {
      if (j == i) continue;
      const double xj = xs(j);
      if (std::fabs(xi - xj) <= kTiny) {
        status = 1;
        return;
      }
      term *= (x - xj) / (xi - xj);
    }
    value += term;
  }
}

void LS1INT(plat::Vec1<const double> pairs, int n, double x, double& value, int& status) {
  const Abscissae xs{pairs, 2};
  auto y = [&](int k) { return pairs(2 * std::int64_t{k}); };
  status = 0;
  if (n < 1 || xs.undefined(1)) {
    value = y(1);
    status = kIntpOutOfRange;
    SETERX(kOutOfRange, 2, 1, "LS1INT");
    return;
  }
  const int d = defined_count(xs, n);
  // First point whose abscissa is at or above x (abscissae ascend).
  int lo = 1, hi = d + 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (xs(mid) >= x) hi = mid;
    else lo = mid + 1;
  }
  const int k = lo;
  if (k > d) {
    value = y(d);
    status = kIntpOutOfRange;
    SETERX(kOutOfRange, 2, 3, "LS1INT");
    return;
  }
  if (k == 1) {
    value = y(1);
    if (x < xs(1)) {
      status = kIntpOutOfRange;
      SETERX(kOutOfRange, 2, 1, "LS1INT");
    }
    return;
  }
  const double xk = xs(k), xk1 = xs(k - 1);
  if (std::fabs(xk - xk1) < kTiny) value = y(k - 1);
  else value = y(k) - (xk - x) * (y(k) - y(k - 1)) / (xk - xk1);
}

void LSINT1(int rpos, plat::Vec1<const int> s, int nvars, int order, int j, int k, int lstruct, int nreals, double x,
            double& value, int& status) {
  value = 0.0;
  status = 0;
  int selv[3] = {0, 0, 0};
  if (nvars == 2) {
    selv[0] = k;
  } else if (nvars == 3) {
    selv[0] = j;
    selv[1] = k;
  } else if (nvars != 1) {
    SETERX("Wrong  number of dimensions", 3, 1, "LSINT1");
    status = kIntpWrongDims;
    return;
  }
  plat::Vec1<const int> sel(selv, nvars);

  int posx = 0, npoints = 0, posy = 0, unused = 0, st = 0;
  plat::Vec1<const double> xs, ys;
  LADTAB(s, nvars, sel, lstruct, nreals, posx, npoints, st);
  bool ok = st == 0 && table_list(rpos, nreals, posx, npoints, xs);
  if (ok) {
    selv[nvars - 1] = 1;
    LADTAB(s, nvars, sel, lstruct, nreals, posy, unused, st);
    ok = st == 0 && table_list(rpos, nreals, posy, npoints, ys);
  }
  if (!ok) {
    SETERX(kFetchFailed, 4, 2, "LSINT1");
    status = kIntpFetchFailed;
    return;
  }

  int first = 1, npts = 1;
  LSPNT1(xs, npoints, order, x, first, npts, st);
  if (st == 1) {
    SETERX(kBadOrder, 2, 3, "LSINT1");
  } else if (st == 2) {
    SETERX(kOutOfRange, 2, 4, "LSINT1");
  } else if (st == 10) {
    SETERX(kUndefinedX, 4, 5, "LSINT1");
    return;
  } else if (st != 0) {
    plat::consistency_stop("LSINT1 1");
  }
  LSLGN1(ys.from(first, npts), xs.from(first, npts), npts, x, value, st);
  if (st == 1) {
    SETERX(kDivZero, 3, 6, "LSINT1");
    status = kIntpDivideByZero;
  }
}

void LSINT2(int rpos, plat::Vec1<const int> s, int nvars, int order, int j, int lstruct, int nreals, double x1,
            double x2, double& value, int& status) {
  value = 0.0;
  status = 0;
  int selv[3] = {j, 0, 0};
  int posx = 0, npoints = 0, st = 0;
  plat::Vec1<const double> xs;
  bool ok = nvars >= 2 && nvars <= 3;
  if (ok) {
    LADTAB(s, nvars, plat::Vec1<const int>(selv, nvars), lstruct, nreals, posx, npoints, st);
    ok = st == 0 && table_list(rpos, nreals, posx, npoints, xs);
  }
  if (!ok) {
    SETERX(kFetchFailed, 4, 1, "LSINT2");
    status = kIntpFetchFailed;
    return;
  }

  int first = 1, npts = 1;
  LSPNT1(xs, npoints, order, x1, first, npts, st);
  if (st == 1) {
    SETERX(kBadOrder, 2, 2, "LSINT2");
  } else if (st == 2) {
    SETERX(kOutOfRange, 2, 3, "LSINT2");
  } else if (st == 10) {
    SETERX(kUndefinedX, 4, 4, "LSINT2");
    return;
  } else if (st != 0) {
    plat::consistency_stop("LSINT2 1");
  }

  double rows[kMaxPoints];
  for (int p = 0; p < npts; ++p) {
    LSINT1(rpos, s, nvars, order, j, first + p, lstruct, nreals, x2, rows[p], st);
    if (st > 300) {
      value = 0.0;
      status = st;
      return;
    }
  }
  LSLGN1(plat::Vec1<const double>(rows, npts), xs.from(first, npts), npts, x1, value, st);
  if (st == 1) {
    SETERX(kDivZero, 3, 5, "LSINT2");
    status = kIntpDivideByZero;
  }
}

// ---------------------------------------------------------------------------

double INTRP1(double x, int narray, int order) { return interp1(x, narray, order, false); }

double INTCY1(double x, int narray, int order, double period, double offset) {
  double xc = x + offset;
  // A period of zero or less cannot fold anything: the argument is used as it is.
  if (period > 0.0) {
    xc = std::fmod(xc, period);
    if (xc < 0.0) xc += period;
  }
  return interp1(xc, narray, order, true);
}

double INTRP2(double x1, double x2, int narray, int order) {
  if (order < 0) {
    SETERX(kBadOrder, 2, 1, "INTRP2");
    order = 0;
  } else if (order > 2) {
    SETERX(kBadOrder, 2, 2, "INTRP2");
    order = 2;
  }
  int ipos = 0, rpos = 0, ndim = 0, nvalues = 0, count = 0, type = 0, status = 0;
  int dims[kIntpMaxDims] = {};
  ATYPR(narray, ipos, rpos, ndim, plat::Vec1<int>(dims, kIntpMaxDims), nvalues, count, type, status);
  if (status != 0) {
    SETERX(kFetchFailed, 4, 3, "INTRP2");
    return 0.0;
  }
  if (type != 4) {
    SETERX(kWrongType, 3, 4, "INTRP2");
    return 0.0;
  }
  if (ndim != 2) {
    SETERX(kWrongNumDims, 3, 5, "INTRP2");
    return 0.0;
  }
  const plat::Vec1<const int> s = gar_arrayvaluesint.view().from(ipos, nvalues);
  // The variable order places the arguments: table variable S(2) gets x1,
  // S(3) gets x2. An order naming a variable the table does not have cannot
  // place them at all; one naming the same variable twice is placed and then
  // refused by the walk, whose check of the order's sum reports it.
  const int v1 = nvalues >= 3 ? s(2) : 0, v2 = nvalues >= 3 ? s(3) : 0;
  if (v1 < 1 || v1 > 2 || v2 < 1 || v2 > 2) {
    SETERX(kFetchFailed, 4, 3, "INTRP2");
    return 0.0;
  }
  double xv[2] = {0.0, 0.0};
  xv[v1 - 1] = x1;
  xv[v2 - 1] = x2;
  double value = 0.0;
  LSINT2(rpos, s, ndim, order, 0, nvalues, count, xv[0], xv[1], value, status);
  return value;
}
