#include "thermal/slgrdj.h"

#include <cstdlib>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "model/generated_program.h"
#include "modeldata/list_walks.h"
#include "thermal/gear_jacobian.h"

void S6JINT(GearState& g) { s5_history(g, true); }

void S6JCLC(GearState& g) {
  const double tabs = GLOR.TABS, stefan = GLOR.STEFAN, alpha = g.alpha;
  const int nt = g.net.nt;
  LoopGuard guard("S6JCLC");
  for (int i = 1; i <= nt; ++i) {
    guard.pass();
    if (!g.solved(i)) continue;
    const double ti = g.net.t(i) + tabs;
    const double ac = alpha * g.net.cap(i);
    double d = ac;
    double fi =
        ((((g.net.qa(i) + g.net.qe(i)) + g.net.qi(i)) + g.net.qr(i)) + g.net.qs(i)) + ac * (g.slab(9, i) - ti);
    const double ti3 = ti * ti * ti;
    double sa = 0.0, sb = 0.0, sc = 0.0, sd = 0.0;
    int sublist = 0, pos = 0, cond = 0, j = 0;
    for (;;) {
      sunpak_next(0, nt, i, g.net.tstat, g.net.pcs, g.net.ptrs, sublist, pos, cond, j);
      if (pos == 0) break;
      // A fluid neighbour is a boundary at its fluid node's temperature.
      const double tj = (j > nt ? g.net.tf(j - nt) : g.net.t(j)) + tabs;
      if (sublist == 1 || sublist == 3) {
        double gv = 0.0;
        if (sublist == 1) {
          const int m = std::abs(cond);
          if (g.net.glacts(m).c[0] == 'A') gv = g.net.gl(m);
        } else if (cond > 0 && g.net.gfacts(cond).c[0] == 'A') {
          gv = g.net.gf(cond);
        }
        if (gv == 0.0) continue;
        d = d + gv;
        sa = sa + gv * tj;
        sb = sb + gv;
      } else if (sublist == 2) {
        const int m = std::abs(cond);
        if (g.net.gracts(m).c[0] != 'A') continue;
        const double sg = stefan * g.net.gr(m);
        const double tj2 = tj * tj;
        d = d + 4.0 * sg * ti3;
        sc = sc + sg * (tj2 * tj2);
        sd = sd + sg;
      }
    }
    const double ti2 = ti * ti;
    g.slab(12, i) = d;
    g.slab(10, i) = (((sa + fi) - sb * ti) + sc) - (ti2 * ti2) * sd;
  }
}

// A pass whose largest increment grew beyond the previous pass's ends the
// corrector unconverged (the step is retried shorter), also at the NLOOP-th
// pass: only NLOOP passes without growth are a failure.
void S6CONV(GearState& g, int& done) { s5_conv(g, done, "S6CONV", g.prev); }

void S6CORR(GearState& g) {
  g.prev = 1.0e11;
  LoopGuard guard("S6CORR");
  for (int p = 1;; ++p) {
    guard.pass();
    GLOI.LOOPCT = (p == 1 ? 0 : GLOI.LOOPCT) + 1;
    V10001();
    S6JINT(g);
    S6JCLC(g);
    for (int i = 1; i <= g.net.nt; ++i) g.slab(10, i) = g.solved(i) ? g.slab(10, i) / g.slab(12, i) : 0.0;
    int done = 0;
    S6CONV(g, done);
    if (g.prev < GLOR.RELXCC) return;
    if (done != 0) return;
    g.prev = GLOR.RELXCC;
  }
}

void S6SLVE(GearState& g) {
  // Increments, residuals and diagonals stay at each node's own position.
  g.bynode = true;
  s5_start(g);
  s5_passes(g, S6CORR, "S6SLVE");
}

void SLGRDJ() { s5_drive("SLGRDJ", S6SLVE); }
