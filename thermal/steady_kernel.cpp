#include "thermal/steady_kernel.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/list_walks.h"
#include "modeldata/submodel_refs.h"
#include "output/page_headers.h"
#include "platform/process.h"
#include "platform/units.h"

namespace {

// The solver's single-precision literal 1.0E-37 widened to double.
constexpr double kTiny = static_cast<double>(1.0e-37f);

// n right-aligned in w columns, or w asterisks when it does not fit.
std::string int_field(long long n, int w) {
  char buf[32];
  const int len = std::snprintf(buf, sizeof buf, "%*lld", w, n);
  if (len > w) return std::string(static_cast<std::size_t>(w), '*');
  return buf;
}

std::string padded(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

}  // namespace

void S3COND(const ThNetwork& net, ThCInts diagptr, ThCInts dnodemask, ThCInts gfmask, ThCInts glmask, ThCInts grmask,
            ThCInts dbnodemask, ThCInts nodepos, ThCInts nodeorder, int proflen, ThReals profile, ThReals rhs,
            ThInts rowfirst, int& status) {
  const int nt = net.nt;
  const ThCInts pcs = net.cpcs, nodenums = net.nums;
  const ThCPtrs ptrs = net.cptrs;
  const ThCReals gf = net.gf, gl = net.gl, gr = net.gr, t = net.t, tf = net.tf;
  const ThCReals qa = net.qa, qe = net.qe, qi = net.qi, qr = net.qr, qs = net.qs;
  const double stefan = net.stefan(), tabs = net.tabs();
  status = 0;
  for (int k = 1; k <= nt; ++k) rhs(k) = 0.0;
  if (proflen < 1) {
    status = 1;
    return;
  }
  for (int k = 1; k <= proflen; ++k) profile(k) = 0.0;
  for (int k = 1; k <= nt; ++k) rowfirst(k) = k;
  // Absolute temperature of an explicit neighbour k (a fluid node beyond nt),
  // or false for a thermal neighbour outside the solution.
  auto neighbour = [&](int k, double& tk) {
    if (k > nt) {
      tk = tf(k - nt) + tabs;
      return true;
    }
    if (dbnodemask(k) == 0) return false;
    tk = t(k) + tabs;
    return true;
  };

  for (int i = 1; i <= nt; ++i) {
    const int n = nodeorder(i);
    const int di = diagptr(i);
    if (dnodemask(n) == 0) {
      profile(di) = 1.0;
      rhs(i) = t(n) + tabs;
      continue;
    }
    // First column that the ordering left room for in this row.
    const int stored_first = i - (di - (i > 1 ? diagptr(i - 1) : 0)) + 1;
    const double tan = t(n) + tabs;
    double r = qa(n) + qe(n) + qi(n) + qr(n) + qs(n);
    double s = 0.0;

    // Linear conductors: implicit between solved nodes, boundaries to the right-hand side.
    {
      const int start = ptrs(1, n), count = ptrs(2, n);
      for (int e = 0; e < count; ++e) {
        const int k = pcs(start + 2 * e);
        const int m = std::abs(pcs(start + 2 * e + 1));
        if (k == n || glmask(m) == 0) continue;
        if (k > nt) {
          s += gl(m);
          r += gl(m) * (tf(k - nt) + tabs);
          continue;
        }
        if (dbnodemask(k) == 0) continue;
        s += gl(m);
        if (dnodemask(k) != 0) {
          const int p = nodepos(k);
          if (p < i) {
            if (p < stored_first) plat::consistency_stop("S3COND: conductor outside the matrix profile");
            profile(di - i + p) -= gl(m);
            if (p < rowfirst(i)) rowfirst(i) = p;
          }
        } else {
          r += gl(m) * (t(k) + tabs);
        }
      }
    }
    // Radiative conductors: neighbour explicit, own emission linearised.
    {
      const int start = ptrs(3, n), count = ptrs(4, n);
      for (int e = 0; e < count; ++e) {
        const int k = pcs(start + 2 * e);
        const int m = std::abs(pcs(start + 2 * e + 1));
        if (k == n || grmask(m) == 0) continue;
        double tk;
        if (!neighbour(k, tk)) continue;
        const double p = gr(m) * stefan;
        s += ((tan * tan) * tan) * 4.0 * p;
        const double tk4 = ((tk * tk) * tk) * tk;
        const double ti4 = ((tan * tan) * tan) * tan;
        r = (r - 3.0 * p * (tk4 - ti4)) + tk * (p * 4.0 * ((tk * tk) * tk));
      }
    }
    // Fluidic conductors: heat only from the upstream end (positive entries).
    {
      const int start = ptrs(5, n), count = ptrs(6, n);
      for (int e = 0; e < count; ++e) {
        const int k = pcs(start + 2 * e);
        const int m = pcs(start + 2 * e + 1);
        if (k == n || m <= 0 || gfmask(m) == 0) continue;
        double tk;
        if (!neighbour(k, tk)) continue;
        s += gf(m);
        r += gf(m) * tk;
      }
    }
    if (std::fabs(s) < kTiny) {
      s = 1.0;
      r = tan;
      const std::string msg =
          "SOLVFM: Zero diagonal element in conductance matrix@Check for unconnected node, Node=" +
          int_field(nodenums(n), 8) + ", Model=" + padded(SUBMDN(n, "ALL"), 256);
      SETERX(padded(msg, 400), 2, 1, "S3COND");
    }
    profile(di) = s;
    rhs(i) = r;
  }
}

void S3SFCT(ThCInts diagptr, ThCInts rowfirst, int nt, int /*proflen*/, ThReals profile, int& status) {
  status = 0;
  double* const a = profile.data();  // a[idx - 1] is profile(idx)
  for (int i = 1; i <= nt; ++i) {
    const int f = rowfirst(i);
    const long long bi = static_cast<long long>(diagptr(i)) - i - 1;  // (i, j) at a[bi + j]
    for (int j = f; j < i; ++j) {
      const long long bj = static_cast<long long>(diagptr(j)) - j - 1;
      const int q0 = rowfirst(j) > f ? rowfirst(j) : f;
      double sum = 0.0;
      for (int q = q0; q < j; ++q) sum += a[bi + q] * a[bj + q];
      a[bi + j] = (a[bi + j] - sum) / a[bj + j];
    }
    double sum = 0.0;
    for (int j = f; j < i; ++j) sum += a[bi + j] * a[bi + j];
    const double diag = a[bi + i];
    const double piv = diag - sum;
    const double ratio = piv / diag;
    // A pivot that is relatively tiny, negative or not finite has no usable root.
    if (!(std::fabs(ratio) >= 1e-8) || piv < 0.0 || !std::isfinite(piv)) {
      status = i;
    } else {
      a[bi + i] = std::sqrt(piv);
    }
  }
}

void S3SSUB(ThCInts rowfirst, ThCInts diagptr, ThCReals factor, int nt, int /*proflen*/, ThReals v) {
  const double* const a = factor.data();
  double* const x = v.data();  // x[i - 1] is v(i)
  for (int i = 1; i <= nt; ++i) {
    const long long bi = static_cast<long long>(diagptr(i)) - i - 1;
    double sum = 0.0;
    for (int q = rowfirst(i); q < i; ++q) sum += a[bi + q] * x[q - 1];
    x[i - 1] = (x[i - 1] - sum) / a[bi + i];
  }
  // Backward: x(i) takes the rows m > i whose profile reaches column i, in
  // ascending m. They are kept in an ascending linked list: row i + 1 joins
  // at the front when column i is reached, and a row leaves for good once
  // the column passes below its first column, so each step costs only the
  // rows involved. The list links are kept between calls (they grow with
  // the largest network seen), so the pass loop allocates nothing.
  static std::vector<std::int32_t> next;
  if (static_cast<std::int64_t>(next.size()) < static_cast<std::int64_t>(nt) + 2)
    next.resize(static_cast<std::size_t>(nt) + 2);
  const std::int32_t* const rf = rowfirst.data();  // rf[m - 1] is rowfirst(m)
  const std::int32_t* const dp = diagptr.data();
  std::int32_t head = 0;
  for (int i = nt; i >= 1; --i) {
    if (i < nt) {
      next[static_cast<std::size_t>(i + 1)] = head;
      head = i + 1;
    }
    double sum = 0.0;
    std::int32_t prev = 0, m = head;
    while (m != 0) {
      const std::int32_t after = next[static_cast<std::size_t>(m)];
      if (rf[m - 1] > i) {
        if (prev == 0) head = after;
        else next[static_cast<std::size_t>(prev)] = after;
      } else {
        sum += a[static_cast<long long>(dp[m - 1]) - m - 1 + i] * x[m - 1];
        prev = m;
      }
      m = after;
    }
    x[i - 1] = (x[i - 1] - sum) / a[static_cast<long long>(dp[i - 1]) - 1];
  }
}

void SDGSUM(const ThNetwork& net, int node, ThCReals t, double& sum) {
  const int nt = net.nt;
  const ThCReals gf = net.gf, gl = net.gl, gr = net.gr, tf = net.tf;
  const ThCLetters gfacts = net.gfacts, glacts = net.glacts, gracts = net.gracts, statuses = net.tstat;
  const ThCInts list = net.pcs, ptrs = net.ptrs;
  const double stefan = net.stefan(), tabs = net.tabs();
  double g_sum = 0.0;  // summed in a local, stored once
  const double ti = t(node) + tabs;
  int sublist = 0, pos = 0, cond = 0, k = 0;
  LoopGuard guard("SDGSUM");
  for (;;) {
    guard.pass();
    sunpak_next(0, nt, node, statuses, list, ptrs, sublist, pos, cond, k);
    if (pos == 0) break;
    const int m = std::abs(cond);
    if (sublist == 1) {
      if (glacts(m).c[0] == 'A') g_sum += gl(m);
    } else if (sublist == 2) {
      if (gracts(m).c[0] == 'A') {
        const double tk = (k > nt ? tf(k - nt) : t(k)) + tabs;
        g_sum += ((gr(m) * stefan) * (ti * ti + tk * tk)) * (tk + ti);
      }
    } else if (sublist == 3) {
      if (cond > 0 && gfacts(cond).c[0] == 'A') g_sum += gf(cond);
    }
  }
  sum = g_sum;
}

void SCNDHF(const ThNetwork& net, int i, ThCReals t, double& qfluid, double& qlinear, double& qradiative) {
  const int nt = net.nt;
  const ThCReals gf = net.gf, gl = net.gl, gr = net.gr, tf = net.tf;
  const ThCLetters gfacts = net.gfacts, glacts = net.glacts, gracts = net.gracts, statuses = net.tstat;
  const ThCInts pcs = net.cpcs;
  const ThCPtrs ptrs = net.cptrs;
  const double stefan = net.stefan(), tabs = net.tabs();
  qfluid = qlinear = qradiative = 0.0;
  const double ti = t(i) + tabs;
  // Absolute temperature of neighbour k, or false for a thermal neighbour of status "X".
  auto neighbour = [&](int k, double& tk) {
    if (k > nt) {
      tk = tf(k - nt) + tabs;
      return true;
    }
    if (statuses(k).c[0] == 'X') return false;
    tk = t(k) + tabs;
    return true;
  };
  double tk = 0.0;
  for (int e = 0, s = ptrs(1, i); e < ptrs(2, i); ++e) {
    const int k = pcs(s + 2 * e), m = std::abs(pcs(s + 2 * e + 1));
    if (glacts(m).c[0] == 'A' && neighbour(k, tk)) qlinear += (tk - ti) * gl(m);
  }
  for (int e = 0, s = ptrs(3, i); e < ptrs(4, i); ++e) {
    const int k = pcs(s + 2 * e), m = std::abs(pcs(s + 2 * e + 1));
    if (gracts(m).c[0] == 'A' && neighbour(k, tk))
      qradiative += (((tk * tk) * tk) * tk - ((ti * ti) * ti) * ti) * (gr(m) * stefan);
  }
  for (int e = 0, s = ptrs(5, i); e < ptrs(6, i); ++e) {
    const int k = pcs(s + 2 * e), m = pcs(s + 2 * e + 1);
    if (m > 0 && gfacts(m).c[0] == 'A' && neighbour(k, tk)) qfluid += (tk - ti) * gf(m);
  }
}

void PRTWAR(int n) {
  // Model of the node: the last model whose thermal-node base lies below n.
  const int nm = FLAGS(26);
  int model = 1;
  if (nm >= 2 && n > md_thermalnodebase(2)) {
    model = nm;
    LoopGuard guard("PRTWAR");
    for (int i = 3; i <= nm + 1; ++i) {
      guard.pass();
      if (md_thermalnodebase(i) >= n) {
        model = i - 1;
        break;
      }
    }
  }
  plat::Array1<plat::Text<24>> chain(nm > 0 ? nm : 1);
  int nc = 0, ierr = 0;
  SCCNAM(gar_modeldirectory, md_numslots, nullptr, gar_modelnames, model, chain, nc, ierr);
  if (ierr != 0) nc = 0;

  const int unit = PRTINF(3);
  if (PRTINF(1) - PRTINF(2) < (nc + 4) / 5 + 4) {
    PRPAGE();
    PRHEAD();
  }
  plat::io::write_line(unit, " TEMPERATURE GREATER THAN 1.0E10 DETECTED");
  plat::io::write_line(unit, "");
  plat::io::write_line(unit, " AT NODE NUMBER " + int_field(gar_thermalnodenums(n), 10) + " IN SUBMODEL");
  plat::io::write_line(unit, "");
  PRTINF(2) += 4;

  // The path: names up to their first blank, each followed by its separator
  // (":", a blank after the last), broken before a name whose separator
  // would pass column 131.
  std::string line;
  LoopGuard guard("PRTWAR");
  for (int c = 1; c <= nc; ++c) {
    guard.pass();
    std::string_view name = chain(c).view();
    const std::size_t blank = name.find(' ');
    if (blank != std::string_view::npos) name = name.substr(0, blank);
    if (!line.empty() && line.size() + name.size() + 1 > 131) {
      plat::io::write_line(unit, " " + line);
      PRTINF(2) += 1;
      line.clear();
    }
    line += name;
    line += c < nc ? ':' : ' ';
  }
  plat::io::write_line(unit, " " + line);
  plat::io::write_line(unit, "");
  plat::io::write_line(unit, "");
  PRTINF(2) += 3;
}
