#include "thermal/gear_jacobian.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "modeldata/list_walks.h"
#include "thermal/transient_frame.h"

namespace {

constexpr std::size_t kMessageLength = 170;

// The matrix area of W: nd x nd words from W(12 NT + 1).
ThReals matrix(GearState& g) {
  return g.w.from(12LL * g.net.nt + 1,
                  static_cast<std::int64_t>(g.nd) * g.nd > 0 ? static_cast<std::int64_t>(g.nd) * g.nd : 1);
}

}  // namespace

void s5_history(GearState& g, bool all) {
  LoopGuard guard(all ? "S6JINT" : "S5JINT");
  for (int j = 1; j <= g.net.nt; ++j) g.slab(9, j) = 0.0;
  const double tn = GLOR.TIMEN;
  double s = 0.0;
  for (int i = g.k; i >= 1; --i) {
    const int lvl = GearState::ring(g.r - i + 1);
    s = s + 1.0 / (tn - g.TH(lvl));
    const double cs = g.C(i) * s;
    for (int j = 1; j <= g.net.nt; ++j) {
      guard.pass();
      if (all || g.solved(j)) g.slab(9, j) = g.slab(9, j) + cs * g.slab(lvl, j);
    }
  }
  g.alpha = s;
  for (int j = 1; j <= g.net.nt; ++j) g.slab(9, j) = g.slab(9, j) / s;
}

void S5JINT(GearState& g, int& status) {
  status = 0;
  int nd = 0;
  LoopGuard guard("S5JINT");
  for (int i = 1; i <= g.net.nt; ++i) {
    guard.pass();
    if (g.solved(i)) ++nd;
  }
  g.nd = nd;
  for (int j = 1; j <= g.net.nt; ++j) g.slab(9, j) = 0.0;
  const std::int64_t need = 13LL * g.net.nt + static_cast<std::int64_t>(nd) * (nd - 1);
  if (g.lenw < need) {
    SETERX(trf_padded(gar_text_slgear_jacobian, kMessageLength), 4, 1, "S5JINT");
    status = 1;
    return;
  }
  s5_history(g, false);
}

void S5JROW(GearState& g, int i, int q, std::int64_t rowstart) {
  const double tabs = GLOR.TABS, stefan = GLOR.STEFAN, alpha = g.alpha;
  const int nt = g.net.nt;
  ThReals w = g.w;
  const double ti = g.net.t(i) + tabs;
  const double ac = alpha * g.net.cap(i);
  w(rowstart + i) = ac;
  double fq = ((((g.net.qa(i) + g.net.qe(i)) + g.net.qi(i)) + g.net.qr(i)) + g.net.qs(i)) + ac * (g.slab(9, i) - ti);

  const double ti3 = ti * ti * ti;
  double sa = 0.0, sb = 0.0, sc = 0.0, sd = 0.0;
  int sublist = 0, pos = 0, cond = 0, j = 0;
  for (;;) {
    sunpak_next(0, nt, i, g.net.tstat, g.net.pcs, g.net.ptrs, sublist, pos, cond, j);
    if (pos == 0) break;
    // A fluid neighbour is a boundary at its fluid node's temperature: it
    // has no column.
    const bool fluid = j > nt;
    const double tj = (fluid ? g.net.tf(j - nt) : g.net.t(j)) + tabs;
    if (sublist == 1 || sublist == 3) {
      double gv = 0.0;
      if (sublist == 1) {
        const int m = std::abs(cond);
        if (g.net.glacts(m).c[0] == 'A') gv = g.net.gl(m);
      } else if (cond > 0 && g.net.gfacts(cond).c[0] == 'A') {
        gv = g.net.gf(cond);
      }
      if (gv == 0.0) continue;
      if (!fluid) w(rowstart + j) = w(rowstart + j) - gv;
      w(rowstart + i) = w(rowstart + i) + gv;
      sa = sa + gv * tj;
      sb = sb + gv;
    } else if (sublist == 2) {
      const int m = std::abs(cond);
      if (g.net.gracts(m).c[0] != 'A') continue;
      const double sg = stefan * g.net.gr(m);
      const double tj2 = tj * tj;
      if (!fluid) w(rowstart + j) = w(rowstart + j) - 4.0 * sg * (tj2 * tj);
      w(rowstart + i) = w(rowstart + i) + 4.0 * sg * ti3;
      sc = sc + sg * (tj2 * tj2);
      sd = sd + sg;
    }
  }
  const double ti2 = ti * ti;
  g.slab(10, q) = sc + ((sa + fq) - sb * ti) - (ti2 * ti2) * sd;
}

void S5JCLC(GearState& g) {
  const int nt = g.net.nt, nd = g.nd;
  const std::int64_t base = 12LL * nt;
  LoopGuard guard("S5JCLC");
  int q = 0;
  for (int i = 1; i <= nt; ++i) {
    guard.pass();
    if (!g.solved(i)) continue;
    ++q;
    const std::int64_t rowstart = base + static_cast<std::int64_t>(nd) * (q - 1);
    for (int j = 1; j <= nt; ++j) g.w(rowstart + j) = 0.0;
    S5JROW(g, i, q, rowstart);
    int m = 0;
    for (int j = 1; j <= nt; ++j) {
      if (!g.solved(j)) continue;
      ++m;
      g.w(rowstart + m) = g.w(rowstart + j);
    }
  }
}

void S5FACT(int nd, ThReals s, int& status) {
  status = 0;
  if (nd < 1) return;
  auto S = [&](int a, int b) -> double& { return s(static_cast<std::int64_t>(nd) * (b - 1) + a); };
  auto bad = [](double p) { return p == 0.0 || !std::isfinite(p); };
  if (bad(S(1, 1))) status = 1;
  for (int a = 2; a <= nd; ++a) {
    for (int b = 1; b <= nd; ++b) {
      const int last = (b < a ? b : a) - 1;
      double sum = 0.0;
      for (int p = 1; p <= last; ++p) sum = sum + S(p, b) * S(a, p);
      if (b < a) {
        S(a, b) = (S(a, b) - sum) / S(b, b);
      } else {
        S(a, b) = S(a, b) - sum;
        if (b == a && status == 0 && bad(S(a, a))) status = a;
      }
    }
  }
}

void S5MATS(int nd, ThCReals s, ThReals f) {
  auto S = [&](int a, int b) { return s(static_cast<std::int64_t>(nd) * (b - 1) + a); };
  LoopGuard guard("S5MATS");
  for (int a = 1; a <= nd; ++a) {
    guard.pass();
    double sum = 0.0;
    for (int p = 1; p < a; ++p) sum = sum + S(p, a) * f(p);
    f(a) = (f(a) - sum) / S(a, a);
  }
  for (int a = nd; a >= 1; --a) {
    guard.pass();
    double sum = 0.0;
    for (int p = a + 1; p <= nd; ++p) sum = sum + S(p, a) * f(p);
    f(a) = f(a) - sum;
  }
}

void s5_conv(GearState& g, int& done, std::string_view routine, double prev) {
  LoopGuard guard(routine);
  // An increment that is not finite (a singular matrix, a zero diagonal or
  // a residual that overflowed) can never converge: the run ends with the
  // corrector's own failure, the temperatures left as they were.
  int q = 0;
  bool finite = true;
  for (int i = 1; i <= g.net.nt; ++i) {
    guard.pass();
    if (!g.solved(i)) continue;
    ++q;
    if (!std::isfinite(g.slab(10, g.bynode ? i : q))) finite = false;
  }
  if (finite) {
    GLOR.RELXCC = 0.0;
    q = 0;
    for (int i = 1; i <= g.net.nt; ++i) {
      if (!g.solved(i)) continue;
      ++q;
      const double d = g.slab(10, g.bynode ? i : q);
      g.net.t(i) = g.net.t(i) + d;
      if (std::fabs(d) > GLOR.RELXCC) {
        GLOR.RELXCC = std::fabs(d);
        GLOI.NRLXCC = i;
      }
    }
    if (GLOR.RELXCC <= GLOR.RELXCA) {
      g.converged = 1;
      done = 1;
      return;
    }
  }
  g.converged = 0;
  if (finite && prev < GLOR.RELXCC) {
    done = 1;
    return;
  }
  if (finite && GLOI.LOOPCT < GLOI.NLOOP) {
    done = 0;
    return;
  }
  done = 1;
  std::string text(g.name);
  text.append(": Failed to converge within NLOOP iterations");
  SETERX(trf_padded(text, kMessageLength), 4, 1, routine);
}

void S5CONV(GearState& g, int& done) { s5_conv(g, done, "S5CONV", std::numeric_limits<double>::infinity()); }

void S5CORR(GearState& g) {
  LoopGuard guard("S5CORR");
  for (int p = 1;; ++p) {
    guard.pass();
    GLOI.LOOPCT = (p == 1 ? 0 : GLOI.LOOPCT) + 1;
    V10001();
    int status = 0;
    S5JINT(g, status);
    if (status != 0) return;
    S5JCLC(g);
    ThReals s = matrix(g);
    S5FACT(g.nd, s, status);
    S5MATS(g.nd, s, g.w.from(10LL * g.net.nt + 1, g.net.nt > 0 ? g.net.nt : 1));
    int done = 0;
    S5CONV(g, done);
    if (done != 0) return;
  }
}
