#include "thermal/modal.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "model/generated_program.h"
#include "modeldata/connection_lists.h"
#include "modeldata/global_arrays.h"
#include "modeldata/list_walks.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "thermal/eigen.h"
#include "thermal/scratch.h"

namespace {

// The solver's literals: single-precision values widened to double, like
// every literal of this routine whose precision is not stated otherwise; the
// end warning of DTPMAX compares with the double 0.1.
constexpr double kTiny = static_cast<double>(1.0e-37f);
constexpr double kStepFactor = static_cast<double>(0.95f);
constexpr double kMinFactor = static_cast<double>(1.0001f);
constexpr double kJump = static_cast<double>(1.0e20f);
constexpr double kHot = static_cast<double>(1.0e10f);
constexpr double kTenthSingle = static_cast<double>(0.1f);
constexpr double kTenthDouble = 0.1;

// Length of the message fields (blank-padded).
constexpr std::size_t kMessageLength = 170;

template <class T>
plat::Vec1<T> view(std::vector<T>& v, std::int64_t n) {
  return plat::Vec1<T>(v.data(), n);
}

// Absolute temperature of neighbour j (a fluid node above nt).
inline double neighbour_t(const ThNetwork& net, int j, double tabs) {
  return (j > net.nt ? net.tf(j - net.nt) : net.t(j)) + tabs;
}

// The fatal temperature message with the node's identity as its second part.
void hot_node(int node, std::string_view routine) {
  std::string msg = "SLMODE: Temperature > 1.0D10 detected@";
  msg.resize(kMessageLength, ' ');
  MESBLD(node, plat::TextRef(msg));
  SETERX(msg, 4, 1, routine);
}

// h raised to DTMIN (also when not a number), then lowered to DTMAX.
double bounded_step(double h) {
  if (!(h >= GLOR.DTMIN)) h = GLOR.DTMIN;
  if (h > GLOR.DTMAX) h = GLOR.DTMAX;
  return h;
}

// End warning of a condition counted over the accepted steps; `tenth` is
// the threshold of the ratio.
void end_warning(std::string_view what, int count, int steps, double tenth, int code_low) {
  if (count <= 0) return;
  const bool few = static_cast<double>(count) / static_cast<double>(steps) < tenth;
  const std::string text =
      "SLMODE: " + std::string(what) +
      (few ? " exceeded in up to 10% of time steps" : " exceeded in more than 10% of time steps");
  SETERX(trf_padded(text, kMessageLength), 2, few ? code_low : code_low + 1, "S8SLVE");
}

}  // namespace

// ---------------------------------------------------------------------------
// Driver.

void SLMODE() {
  const int nt = FLAGS(1);
  // The work area of the modal layout for N = nt modal nodes; the larger of
  // the two sizes the layout can reach, so that the block always covers it.
  const std::int64_t nt64 = nt > 0 ? nt : 0;
  std::int64_t need = 3 * nt64 * (nt64 + 1);
  if (2 * nt64 * nt64 + 8 * nt64 + 1 > need) need = 2 * nt64 * nt64 + 8 * nt64 + 1;

  TrfFrame f;
  const TrfRequired required[] = {{"NLOOP", 3}, {"DTIMEI", 4}, {"RELXCA", 5}};
  // Both stacks fail when top + need reaches DYSTOR; the real reservation
  // keeps one word in hand by itself, the integer one is asked for one more.
  const bool solve = trf_open(f, "SLMODE", false, required, {9}, 6, gar_dystor_record, need, need + 1);
  if (!solve) {
    trf_close(f);
    return;
  }
  // The area starts one word above each top; both tops rise by need + 2.
  f.core.take_real(2);
  f.core.take_int(1);

  // (An OUTINT that is not a number was refused by the frame.)
  if (GLOR.OUTINT <= 0.0) {
    SETERX(
        "SLMODE: Control constant OUTINT is not greater than zero@Output times would never advance, see User "
        "Manual description of SLMODE for a list of control constants",
        4, 8, "SLMODE");
    f.solve = false;
    trf_close(f);
    return;
  }

  GLOR.TIMEN = GLOR.TIMEO;
  GLOR.TIMEM = GLOR.TIMEO;
  trf_start_services();
  GLOR.DTIMEI = kStepFactor * GLOR.CSGMIN;
  GLOR.DTIMEU = GLOR.DTIMEI;
  trf_outputs_at_start();

  trf_first_output_time(f);
  trf_first_step(f);
  GLOR.TIMEM = (GLOR.TIMEO + GLOR.TIMEN) / 2.0;

  const ThNetwork net = th_network();
  ThReals area = gar_dynamiccorereal.from(f.real_first + 1, need);
  ThInts ix = gar_dynamiccoreint.from(f.int_first + 1, nt64);
  S8SLVE(f, net, area, ix);

  trf_close(f);
}

// ---------------------------------------------------------------------------
// Start of the modal system.

void S8SLVE(TrfFrame& frame, const ThNetwork& net, ThReals real_area, ThInts ix) {
  V10001();

  S8Work w;
  w.net = net;
  w.frame = &frame;
  w.ix = ix;
  const int nt = net.nt;
  S8PTST(nt, net.tstat, net.cap, ix, w.n);
  const int n = w.n;
  const std::int64_t nn = static_cast<std::int64_t>(n) * n;

  // Carve the layout; views of length 0 when there is no modal node.
  const auto part = [&](std::int64_t offset, std::int64_t length) {
    return length > 0 ? real_area.from(offset + 1, length) : ThReals();
  };
  w.k = part(0, nn);
  w.cv = part(nn, n);
  w.phi = part(nn + n, nn);
  w.p = part(2 * nn + n, n);
  w.a = part(2 * nn + 2 * n, n);
  w.kw = part(2 * nn + 3 * n, nn);

  std::vector<std::int32_t> node_of;
  std::vector<double> tabsolute;
  th_take_scratch(node_of, n);
  th_take_scratch(tabsolute, n);
  {
    LoopGuard guard("S8SLVE");
    for (int i = 1; i <= nt; ++i) {
      guard.pass();
      if (ix(i) != 0) node_of[static_cast<std::size_t>(ix(i) - 1)] = i;
    }
  }
  w.node_of = ThCInts(node_of.data(), n);
  w.tabsolute = view(tabsolute, n);

  // Assembly.
  const plat::Mat2<double> K(w.k.data(), n, n);
  for (int k = 1; k <= n; ++k) {
    const int i = w.node_of(k);
    S8RCLC(net, ix, i, k, n, K.col(k), w.cv(k), w.p(k));
  }

  int st = 0;
  SCOPYD(w.k, static_cast<int>(nn), st, w.kw);
  if (st != 0) {
    SETERX("SLMODE: Error copying conductance array to work space", 4, 2, "S8SLVE");
    return;
  }
  LEIGEN(w.cv, n, w.kw, w.phi, st);
  if (st != 0) return;

  // The tail of Kw, free once the eigenvalues stand in its first n words.
  w.a0 = part(2 * nn + 4 * n, n);
  w.t0 = part(2 * nn + 5 * n, nt);
  w.dk = part(2 * nn + 5 * n + nt, n);
  w.scratch = part(2 * nn + 6 * n + nt + 1, n);

  S8PMLT(n, w.phi, w.p, w.scratch);
  S8CSVL(n, w.node_of, net.t, GLOR.TABS, w.cv, w.phi, w.a);

  S8TMST(w);

  end_warning("RELXCA", w.nr, w.ns, kTenthSingle, 4);
  end_warning("DTPMAX", w.np, w.ns, kTenthDouble, 6);
}

void S8PTST(int nt, ThCLetters statuses, ThCReals caps, ThInts ix, int& nd) {
  nd = 0;
  LoopGuard guard("S8PTST");
  for (int i = 1; i <= nt; ++i) {
    guard.pass();
    if (statuses(i).c[0] == 'D' && std::fabs(caps(i)) >= kTiny) {
      ++nd;
      ix(i) = nd;
    } else {
      ix(i) = 0;
    }
  }
}

void S8RCLC(const ThNetwork& net, ThCInts ix, int node, int k, int n, ThReals column, double& cap, double& load) {
  for (int m = 1; m <= n; ++m) column(m) = 0.0;
  cap = net.cap(node);
  load = net.qa(node) + net.qe(node) + net.qi(node) + net.qr(node) + net.qs(node);
  const double tabs = net.tabs(), sigma = net.stefan();
  const double ti = net.t(node) + tabs;
  int sublist = 0, pos = 0, cond = 0, j = 0;
  LoopGuard guard("S8RCLC");
  for (;;) {
    guard.pass();
    sunpak_next(0, net.nt, node, net.tstat, net.pcs, net.ptrs, sublist, pos, cond, j);
    if (pos == 0) break;
    const double tj = neighbour_t(net, j, tabs);
    double v = 0.0;
    if (sublist == 1) {
      const int m = std::abs(cond);
      if (net.glacts(m).c[0] == 'A') v = net.gl(m);
    } else if (sublist == 2) {
      const int m = std::abs(cond);
      if (net.gracts(m).c[0] == 'A') v = ((net.gr(m) * sigma) * (ti * ti + tj * tj)) * (tj + ti);
    } else {
      if (cond > 0 && net.gfacts(cond).c[0] == 'A') v = net.gf(cond);
    }
    column(k) += v;
    // Conductors between modal nodes stay in K (symmetric); fluidic ones and
    // those to any other node act through the load.
    if (j <= net.nt && ix(j) != 0 && sublist != 3) column(ix(j)) -= v;
    else load += v * tj;
  }
}

void S8PMLT(int n, ThCReals phi, ThReals p, ThReals scratch) {
  const plat::Mat2<const double> P(phi.data(), n, n);
  LoopGuard guard("S8PMLT");
  for (int m = 1; m <= n; ++m) {
    guard.pass();
    const double* col = &P(1, m);
    double s = 0.0;
    for (int k = 1; k <= n; ++k) s += col[k - 1] * p(k);
    scratch(m) = s;
  }
  for (int m = 1; m <= n; ++m) p(m) = scratch(m);
}

void S8CSVL(int n, ThCInts node_of, ThCReals t, double tabs, ThCReals cv, ThCReals phi, ThReals a) {
  const plat::Mat2<const double> P(phi.data(), n, n);
  LoopGuard guard("S8CSVL");
  for (int m = 1; m <= n; ++m) {
    guard.pass();
    const double* col = &P(1, m);
    double s = 0.0;
    for (int k = 1; k <= n; ++k) s += ((t(node_of(k)) + tabs) * cv(k)) * col[k - 1];
    a(m) = s;
  }
}

// ---------------------------------------------------------------------------
// The steps.

void S8TMST(S8Work& w) {
  const int n = w.n, nt = w.net.nt;
  LoopGuard steps("S8TMST");
  w.done = false;
  while (!w.done) {
    steps.pass();
    for (int i = 1; i <= nt; ++i) w.t0(i) = w.net.t(i);
    for (int m = 1; m <= n; ++m) w.a0(m) = w.a(m);
    LoopGuard attempts("S8TMST");
    do {
      attempts.pass();
      S8CTMP(n, w.node_of, w.kw, w.p, GLOR.DTIMEU, GLOR.TABS, w.phi, w.a, w.net.t, w.scratch);
      S8ARTH(w.net, w.ix);
      double dmax = 0.0;
      SRCOMP(nt, w.net.t, w.t0, dmax);
      S8TIME(w, dmax);
    } while (!w.accept);
    S5CSGM(w.net, w.net.t, GLOR.CSGMIN, GLOI.NCSGMN);
    ++w.ns;
    S8RHSV(w);
  }
}

void S8CTMP(int n, ThCInts node_of, ThCReals lambda, ThCReals p, double dt, double tabs, ThCReals phi, ThReals a,
            ThReals t, ThReals acc) {
  LoopGuard guard("S8CTMP");
  for (int m = 1; m <= n; ++m) {
    guard.pass();
    const double l = lambda(m);
    if (std::fabs(l) < kTiny) {
      a(m) = a(m) + p(m) * dt;
    } else {
      // 1 - e taken as -expm1(-lambda dt): exact also when lambda dt is
      // tiny (the mode of a floating group, whose eigenvalue comes out at
      // the rounding level of the decomposition), where 1 - exp() would
      // lose the load.
      const double e = std::exp(-l * dt);
      a(m) = p(m) * -std::expm1(-l * dt) / l + a(m) * e;
    }
  }
  // T(node of k) = sum over m of Phi(k, m) a(m), summed by columns of Phi in
  // ascending m for every k.
  const plat::Mat2<const double> P(phi.data(), n, n);
  for (int k = 1; k <= n; ++k) acc(k) = 0.0;
  for (int m = 1; m <= n; ++m) {
    const double am = a(m);
    const double* col = &P(1, m);
    for (int k = 1; k <= n; ++k) acc(k) += col[k - 1] * am;
  }
  for (int k = 1; k <= n; ++k) {
    const int j = node_of(k);
    t(j) = acc(k) - tabs;
    if (!std::isfinite(t(j))) hot_node(j, "S8CTMP");
  }
}

void S8GSUM(const ThNetwork& net, int node, double& gs, double& gt, double& rs, double& rt) {
  gs = gt = rs = rt = 0.0;
  const double tabs = net.tabs();
  int sublist = 0, pos = 0, cond = 0, j = 0;
  LoopGuard guard("S8GSUM");
  for (;;) {
    guard.pass();
    sunpak_next(0, net.nt, node, net.tstat, net.pcs, net.ptrs, sublist, pos, cond, j);
    if (pos == 0) break;
    const double tj = neighbour_t(net, j, tabs);
    if (sublist == 1) {
      const int m = std::abs(cond);
      if (net.glacts(m).c[0] == 'A') {
        gs += net.gl(m);
        gt += net.gl(m) * tj;
      }
    } else if (sublist == 2) {
      const int m = std::abs(cond);
      if (net.gracts(m).c[0] == 'A') {
        rs += net.gr(m);
        rt += net.gr(m) * (((tj * tj) * tj) * tj);
      }
    } else if (cond > 0 && net.gfacts(cond).c[0] == 'A') {
      gs += net.gf(cond);
      gt += net.gf(cond) * tj;
    }
  }
  rs = net.stefan() * rs;
  rt = net.stefan() * rt;
}

void S8ARTH(const ThNetwork& net, ThCInts ix) {
  LoopGuard passes("S8ARTH");
  for (int p = 1;; ++p) {
    passes.pass();
    GLOI.LOOPCT = p;
    GLOR.RELXCC = 0.0;
    for (int i = 1; i <= net.nt; ++i) {
      if (net.tstat(i).c[0] != 'D' || ix(i) != 0) continue;
      double gs = 0.0, gt = 0.0, rs = 0.0, rt = 0.0;
      S8GSUM(net, i, gs, gt, rs, rt);
      const double tabs = net.tabs();
      const double e = net.qa(i) + net.qe(i) + net.qi(i) + net.qr(i) + net.qs(i);
      const double ti = net.t(i) + tabs;
      const bool nog = std::fabs(gs) < kTiny, nor = std::fabs(rs) < kTiny;
      double d = 0.0;
      if (nog && nor) {
        // Isolated: a load has nowhere to go.
        if (std::fabs(e) > kTiny) {
          net.t(i) = net.t(i) + kJump;
          d = kJump;
        }
      } else if (nog) {
        const double tn = std::sqrt(std::sqrt((e + rt) / rs));
        d = std::fabs(tn - tabs - net.t(i));
        net.t(i) = tn - tabs;
      } else if (nor) {
        const double told = net.t(i);
        net.t(i) = (e + gt) / gs - tabs;
        d = std::fabs(net.t(i) - told);
      } else {
        const double jr = rs * ((ti * ti) * ti);
        const double delta = (e + gt + rt - ti * (gs + jr)) / (gs + 4.0 * jr);
        net.t(i) = net.t(i) + delta;
        d = std::fabs(delta);
      }
      if (!std::isfinite(net.t(i)) || net.t(i) > kHot) hot_node(i, "S8ARTH");
      if (d > GLOR.RELXCC) {
        GLOR.RELXCC = d;
        GLOI.NRLXCC = i;
      }
    }
    if (!(GLOI.LOOPCT <= GLOI.NLOOP && GLOR.RELXCC > GLOR.RELXCA)) return;
  }
}

void SRCOMP(int nt, ThCReals t, ThCReals t0, double& dmax) {
  dmax = 0.0;
  LoopGuard guard("SRCOMP");
  for (int i = 1; i <= nt; ++i) {
    guard.pass();
    const double d = std::fabs(t(i) - t0(i));
    if (d > dmax) dmax = d;
  }
}

void S8TIME(S8Work& w, double dmax) {
  w.accept = true;
  if (dmax > GLOR.DTPMAX) {
    if (GLOR.DTIMEU > kMinFactor * GLOR.DTMIN) {
      const double h = bounded_step(GLOR.DTIMEU * kStepFactor * GLOR.DTPMAX / dmax);
      GLOR.DTIMEU = h;
      GLOR.TIMEN = GLOR.TIMEO + h;
      GLOR.TIMEM = GLOR.TIMEO + h / 2.0;
      for (int i = 1; i <= w.net.nt; ++i) w.net.t(i) = w.t0(i);
      for (int m = 1; m <= w.n; ++m) w.a(m) = w.a0(m);
      w.accept = false;
      return;
    }
    ++w.np;
  }
  V20001();
  trf_after_accept(*w.frame);
  if (GLOR.RELXCC > GLOR.RELXCA) ++w.nr;
  if (GLOR.TIMEN >= GLOR.TIMEND) {
    w.done = true;
    return;
  }
  // Every step starts again from DTIMEI.
  trf_next_step(*w.frame, bounded_step(GLOR.DTIMEI));
  GLOR.TIMEM = (GLOR.TIMEO + GLOR.TIMEN) / 2.0;
}

void S8RHSV(S8Work& w) {
  V10001();
  const int n = w.n;
  const double tabs = GLOR.TABS;
  for (int q = 1; q <= n; ++q) w.tabsolute(q) = w.net.t(w.node_of(q)) + tabs;
  LoopGuard guard("S8RHSV");
  for (int k = 1; k <= n; ++k) {
    guard.pass();
    const int i = w.node_of(k);
    double cn = 0.0, pn = 0.0, dc = 0.0;
    S8RCLC(w.net, w.ix, i, k, n, w.dk, cn, pn);
    S8LCFM(n, k, w.k, w.cv, cn, w.dk, dc);
    // The change over the step just finished, divided by the length of the
    // step about to be taken.
    S8CFFN(n, i, pn, dc, w.dk, w.tabsolute, w.net.t, w.t0, GLOR.DTIMEU, w.p(k));
  }
  S8PMLT(n, w.phi, w.p, w.scratch);
}

void S8LCFM(int n, int k, ThCReals kstart, ThCReals cv, double cn, ThReals dk, double& dc) {
  const plat::Mat2<const double> K(kstart.data(), n, n);
  dc = cn - cv(k);
  LoopGuard guard("S8LCFM");
  for (int m = 1; m <= n; ++m) {
    guard.pass();
    dk(m) = dk(m) - K(k, m);
  }
}

void S8CFFN(int n, int node, double pn, double dc, ThCReals dk, ThCReals tabsolute, ThCReals t, ThCReals t0,
            double h, double& pk) {
  double s = 0.0;
  LoopGuard guard("S8CFFN");
  for (int q = 1; q <= n; ++q) {
    guard.pass();
    s += dk(q) * tabsolute(q);
  }
  pk = pn - dc * (t(node) - t0(node)) / h - s;
}
