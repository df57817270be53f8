#include "fluid/explicit_step.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/conductance_sums.h"
#include "fluid/fluid_constants.h"
#include "fluid/non_finite.h"
#include "fluid/temperature_history.h"
#include "model/generated_program.h"
#include "properties/properties.h"

namespace {

inline bool diffusion(const FlNetwork& net, int i) {
  return net.tstat(i).c[0] == 'D' && std::fabs(net.cap(i)) >= kFlTiny;
}

// Word j of level `level` in a history table of levels of nf + 1 words.
inline std::int64_t history_word(int level, int nf, int j) {
  return static_cast<std::int64_t>(level - 1) * (nf + 1) + j;
}

}  // namespace

void FLTNEX(const FlNetwork& net, const FlStepArrays& s, FlCReals vrate, FlCReals r2, FlTimeLag& lag,
            int& iterations, double& change) {
  iterations = 0;
  change = 0.0;
  fl_copy(net.nt, net.t, s.tnew);
  fl_copy(net.nf, net.tf, s.tfnew);
  // The latent heat of condensation is a heat source during the step.
  for (int i = 1; i <= net.nt; ++i) net.qr(i) += r2(i);
  FSTNEW(net, GLOR.DTIMEU, s, vrate, lag, iterations, change);
  for (int i = 1; i <= net.nt; ++i) net.qr(i) -= r2(i);
  GLOR.DTIMEI = fl_explicit_step_limit();
}

double fl_explicit_step_limit() {
  const double stable = kFlExplicitShare * GLOR.CSGMIN;
  const double transit = GLOR.RLCOUR * GLOR.DTCOUR;
  return stable < transit ? stable : transit;
}

void FSTNEW(const FlNetwork& net, double dt, const FlStepArrays& s, FlCReals vrate, FlTimeLag& lag, int& iterations,
            double& change) {
  const int nt = net.nt, nf = net.nf;
  iterations = 0;
  STSOLT("THERMAL");
  fl_copy(nt, s.tnew, s.told);
  fl_copy(nf, s.tfnew, s.tfold);
  change = 0.0;
  if (nt < 1 && nf < 1) {
    STSOLT("");
    return;
  }
  if (nt >= 1) FSTDIF(net, dt, s);
  if (nf >= 1) FSFDIF(net, dt, s, vrate, lag);

  LoopGuard guard("FSTNEW");
  if (nt >= 1) {
    int reps = 0;
    do {
      guard.pass();
      V10001();
      FSTARH(net, s.tnew, s.tfnew);
      ++reps;
    } while (reps < GLOI.NLOOPT && GLOR.RELXCC > GLOR.RELXCA);
    iterations = reps;
  }
  if (nf >= 1) {
    int reps = 0;
    do {
      guard.pass();
      V10001();
      FSTARF(net, s);
      ++reps;
    } while (reps < GLOI.NLOOPT && GLOR.FRLXCC > GLOR.FRLXCA);
    iterations += reps;
  }

  for (int i = 1; i <= nt; ++i)
    if (net.tstat(i).c[0] == 'D' && std::fabs(net.cap(i)) > kFlTiny)
      change = std::max(change, std::fabs(s.tnew(i) - s.told(i)));
  for (int i = 1; i <= nf; ++i) {
    const char st = net.fstat(i).c[0];
    if (st == 'F' || st == 'J' || st == 'Q' || st == 'S')
      change = std::max(change, std::fabs(s.tfnew(i) - s.tfold(i)));
  }
  STSOLT("");
}

void FSTDIF(const FlNetwork& net, double dt, const FlStepArrays& s) {
  GLOR.CSGMIN = kFlHuge;
  LoopGuard guard("FSTDIF");
  for (int i = 1; i <= net.nt; ++i) {
    guard.pass();
    if (!diffusion(net, i)) continue;
    double g = 0.0, gt = 0.0;
    FSTGSM(net, i, s.told, s.tfold, g, gt);
    const double c = net.cap(i);
    const double w = c / dt;
    s.tnew(i) = (((gt - s.told(i) * g) + fl_node_heat(net, i)) + s.told(i) * w) / w;
    // A conductor or neighbour temperature that is not a number makes this
    // one not a number too: the run ends here as in the implicit updates.
    if (fl_temperature_out_of_range(s.tnew(i))) fl_temperature_fatal(i, "FSTDIF");
    if (std::fabs(g) >= kFlTiny && GLOR.CSGMIN > c / g) {
      GLOR.CSGMIN = c / g;
      GLOI.NCSGMN = i;
    }
  }
}

void FSFDIF(const FlNetwork& net, double dt, const FlStepArrays& s, FlCReals vrate, FlTimeLag& lag) {
  const int nf = net.nf, nlev = lag.nlev;
  const double tabs = net.tabs();
  const bool delay = fl_lag_step(net, dt, s.told, s.tfold, lag);

  LoopGuard guard("FSFDIF");
  for (int i = 1; i <= nf; ++i) {
    guard.pass();
    const char st = net.fstat(i).c[0];
    if (st == 'R' || st == 'H' || st == 'K') continue;
    double gf = 0.0, gtf = 0.0;
    FSFGSM(net, i, s.told, s.tfold, gf, gtf);
    // A node without conductance keeps its temperature; a sum that is not a
    // number is no absent conductance and reaches the test of the result.
    if (std::fabs(gf) <= kFlTiny) continue;
    const int fluid = net.fluid_code(i), node = net.global(i);
    const double rho = XRHO(net.p(i), s.tfnew(i), net.vq(i), fluid, node);
    const double cp = XCP(net.p(i), s.tfnew(i), net.vq(i), fluid, node);
    const double mass = (net.fla(i) * rho) * net.fl(i);
    const double h = mass * cp;
    const double md = rho * vrate(i);
    const double r = (mass - md * dt) / mass;
    const double to = s.tfold(i) + tabs;
    const double storage = gf - md * cp;
    if (!delay) {
      s.tfnew(i) = ((net.fq(i) + gtf) - storage * to) * dt / h + r * to - tabs;
    } else {
      double mdot = 0.0;
      SGNODM(net, i, mdot);
      lag.table(history_word(lag.pointer, nf, i)) = gtf / gf;
      lag.table(history_word(lag.pointer, nf, nf + 1)) = lag.time - dt;
      const double residence = (net.fla(i) * rho) * net.fl(i) / mdot;
      int found = 0;
      double tlag = 0.0;
      SGTDEL(lag.pointer, nlev, lag.time, nf, i, residence, found, tlag, lag.table);
      double gtp = gtf, k = dt / h;
      if (found < nlev) {
        gtp = tlag * gf;
        // Without through-flow the residence time is infinite and the
        // delayed inflow is the present one: the plain explicit factor.
        // With it the node moves towards its delayed mixing temperature by
        // (Gf - mD cp) / (through-flow cp) of the way; where the conductance
        // sum exceeds the through-flow (a wall, an outlet fed by one link)
        // that share would pass the mixing temperature and grow from step to
        // step, so the factor is bounded to reach it at most.
        if (mdot > 0.0) k = 1.0 / std::max(mdot * cp, storage);
      }
      s.tfnew(i) = ((gtp + net.fq(i)) - to * storage) * k + r * to - tabs;
    }
    if (fl_not_finite(s.tfnew(i))) fl_temperature_fatal(node, "FSFDIF");
    const double rho2 = XRHO(net.p(i), s.tfnew(i), net.vq(i), fluid, node);
    const double cp2 = XCP(net.p(i), s.tfnew(i), net.vq(i), fluid, node);
    const double ratio = cp2 * net.fla(i) * rho2 * net.fl(i) / gf;
    if (GLOR.CSGMIN > ratio) {
      GLOR.CSGMIN = ratio;
      GLOI.NCSGMN = node;
    }
  }
}

void FSTARH(const FlNetwork& net, FlReals t, FlCReals tf) {
  GLOR.RELXCC = 0.0;
  LoopGuard guard("FSTARH");
  for (int i = 1; i <= net.nt; ++i) {
    guard.pass();
    if (net.tstat(i).c[0] != 'D' || std::fabs(net.cap(i)) >= kFlTiny) continue;
    const double change = std::fabs(fl_arithmetic_step(net, i, t, tf, "FSTARH"));
    if (GLOR.RELXCC < change) {
      GLOR.RELXCC = change;
      GLOI.NRLXCC = i;
    }
  }
}

void FSTARF(const FlNetwork& net, const FlStepArrays& s) {
  GLOR.FRLXCC = 0.0;
  GLOI.NFRLXC = 0;
  LoopGuard guard("FSTARF");
  for (int i = 1; i <= net.nf; ++i) {
    guard.pass();
    if (net.fstat(i).c[0] != 'H') continue;
    const FlSums sums = SFGSUM(net, 1, i, s.tnew, s.tfnew);
    if (std::fabs(sums.sg) < kFlTiny && std::fabs(sums.sr) < kFlTiny) continue;
    // The steady balance of an "H" node, undamped (SFCALC reads no
    // capacity data for it).
    double change = 0.0;
    SFCALC(net, 1.0, FlCReals(), 1.0, FlCReals(), i, FlCReals(), sums, s, GLOR.FRLXCC, GLOI.NFRLXC, change);
  }
}
