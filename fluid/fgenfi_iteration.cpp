// The coupled iteration of one FGENFI step.
#include <cmath>
#include <cstdio>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/continuity.h"
#include "fluid/energy_equation.h"
#include "fluid/fgenfi.h"
#include "fluid/fluid_constants.h"
#include "fluid/input_checks.h"
#include "fluid/momentum.h"
#include "fluid/non_finite.h"
#include "fluid/pressure_equation.h"
#include "fluid/profile_solver.h"
#include "fluid/state_update.h"
#include "fluid/thermal_update.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "platform/format.h"

namespace {

// A zero pivot in the node equations of fluid node k, met by `routine`.
void zero_pivot(const FlNetwork& net, const char* what, int code, int k, const plat::Text<6>& routine) {
  char num[16];
  std::snprintf(num, sizeof num, "%9d", net.nums(k));
  std::string text = std::string(what) + "@Error ocurred in routine " + std::string(routine.view()) +
                     ". Check boundary node definitions: Model = " + std::string(gar_modelnames(SMODND(k)).view()) +
                     ", node =" + num;
  text.resize(250, ' ');
  SETERX(text, 4, code, "Fgfitr");
}

// The step whose iterate the solution cannot go on from.
std::string step_text() {
  return "@Step from TIMEO = " + fl_g12(GLOR.TIMEO) + " of DTIMEU = " + fl_g12(GLOR.DTIMEU) + "@";
}

// Fluid node k: `name` = value, not a finite number, ends the run.
void state_fatal(const FlNetwork& net, int k, const char* name, double value) {
  fl_node_fatal("FGENFI: Fluid state is not a finite number" + step_text() + name + " = " + fl_g12(value) + "@",
                net.global(k), 3, "Fgfitr");
}

// Fluid node k: an absolute pressure P + PABS not above zero ends the run.
void pressure_fatal(const FlNetwork& net, int k, double p) {
  fl_node_fatal(
      "FGENFI: Fluid pressure not above zero" + step_text() + "P = " + fl_g12(p) + ", P + PABS must be above zero@",
      net.global(k), 4, "Fgfitr");
}

// Fluid node k: a temperature T + TABS not above zero ends the run.
void temperature_fatal(const FlNetwork& net, int k) {
  fl_node_fatal("FGENFI: Fluid temperature not above absolute zero" + step_text() + "T = " + fl_g12(net.tf(k)) +
                    ", T + TABS must be above zero@",
                net.global(k), 6, "Fgfitr");
}

// Link l: a flow that is not a finite number ends the run.
void flow_fatal(const FlNetwork& net, int l) {
  std::string text = "FGENFI: Mass flow is not a finite number" + step_text() + "M = " + fl_g12(net.m(l)) + "@" +
                     fl_link_context(l);
  text.resize(255, ' ');
  SETERX(text, 4, 5, "Fgfitr");
}

// The first of v(1..n) that is not a finite number, or 0.
int first_not_finite(FlCReals v, int n) {
  for (int i = 1; i <= n; ++i)
    if (fl_not_finite(v(i))) return i;
  return 0;
}

// The first fluid node whose iterate (p, h) cannot be a state: not finite,
// or an absolute pressure not above zero; 0 when every node's can.
int first_unphysical(FlCReals p, FlCReals h, int nf, double pabs) {
  for (int i = 1; i <= nf; ++i)
    if (fl_not_finite(p(i)) || fl_not_finite(h(i)) || !(p(i) + pabs > 0.0)) return i;
  return 0;
}

FlCReals ro(FlReals v) { return FlCReals(v.data(), v.size()); }

// An iterate the step cannot go on from: a zero pivot, a value that is not a
// finite number, a pressure or temperature not above absolute zero. A step longer than the minimum
// (and whose half still moves the clock) has not converged: the step loop
// rejects it, restores its start and halves it, as after NLOOP passes. hnew
// and pnew go back to the last iterate, from which the next try measures its
// first corrections. True when so; at the minimum step false, and the caller
// ends the run.
bool abandon(const FlNetwork& net, const FgPass& w) {
  if (!(GLOR.DTIMEU > kFgMinStep * GLOR.DTMIN) || !(GLOR.TIMEO + 0.5 * GLOR.DTIMEU > GLOR.TIMEO)) return false;
  for (int n = 1; n <= net.nf; ++n) {
    w.hnew(n) = net.fe(n);
    w.pnew(n) = net.p(n);
  }
  STSOLT("");
  return true;
}

}  // namespace

double fg_relax(double factor, double dc, double dq) {
  if (std::fabs(dc) < kFgRelaxTiny) return factor;
  const double r = dq * dc >= 0.0 ? dq / dc : kFgRelaxOscillation * std::fabs(dq / dc);
  const double proposed = r * factor;
  // A proposal that is not a number passes, and the floor deals with it.
  const double capped = kFgRelaxCeiling < proposed ? kFgRelaxCeiling : proposed;
  return factor + kFgRelaxWeight * (capped - factor);
}

void FGFITR(const FlNetwork& net, const FgPass& wc, const FgThermal& th, FgLoop& loop) {
  FgPass w = wc;
  loop.converged = 0;
  GLOR.FRLXCC = 0.0;
  GLOI.NFRLXC = 0;
  GLOI.NRLXMC = 0;
  GLOR.RELXMC = 0.0;
  GLOI.SUMFLL = 0;
  GLOI.SUMTHL = 0;
  w.loopflag = GLOC.QTRSOL == "YES" ? 1 : 0;
  if (w.loopflag != 0) {
    for (int g = 1; g <= w.nlp; ++g) {
      const int s = g == 1 ? 1 : w.loopend(g - 1) + 1;
      double mass = 0.0;
      for (int q = s; q <= w.loopend(g); ++q) {
        const int n = w.perm(q);
        mass += w.rhoold(n) * net.vol(n);
      }
      w.loopmass(g) = mass;
    }
  }
  int fluid_conv = 1, thermal_conv = 1;
  double dqh = 0.0, dqp = 0.0;
  bool first = true;
  const int nf = net.nf;
  for (int pass = 1;; ++pass) {
    GLOI.LOOPCT = pass;
    int thermal_passes = 0;
    double dmaxh = 0.0, dmaxp = 0.0;
    STSOLT("");
    V10001();
    GLOR.FRLXCC = 0.0;
    GLOI.NFRLXC = 0;
    GLOR.RELXMC = 0.0;
    GLOI.NRLXMC = 0;
    if (nf > 0) {
      ++GLOI.SUMFLL;
      ++GLOI.SUMTHL;
      STSOLT("THERMAL");
      V10001();
      // Energy.
      FCNGTK(net, w);
      int ierr = 0;
      plat::Text<6> routine;
      FHSKS1(w.amat, w.id, w.jl, w.ir, nf, w.perm, w.ju, w.lprof, w.bvec, w.hnew, dmaxh, ierr, routine);
      if (ierr != 0) {
        if (abandon(net, w)) return;
        return zero_pivot(net, "FGENFI: Zero divide in matrix solution for enthalpy", 1, ierr, routine);
      }
      if (const int k = first_not_finite(ro(w.hnew), nf)) {
        if (abandon(net, w)) return;
        return state_fatal(net, k, "FE", w.hnew(k));
      }
      STSOLT("FLUID");
      V10001();
      // Momentum and pressure.
      if (net.nl > 0) FCMOMK(net, w);
      FGFIPS(net, w);
      FHSKS1(w.amat, w.id, w.jl, w.ir, nf, w.perm, w.ju, w.lprof, w.bvec, w.pnew, dmaxp, ierr, routine);
      if (ierr != 0) {
        if (abandon(net, w)) return;
        return zero_pivot(net, "FGENFI : Zero divide in matrix solution for pressure", 2, ierr, routine);
      }
      if (const int k = first_not_finite(ro(w.pnew), nf)) {
        if (abandon(net, w)) return;
        return state_fatal(net, k, "P", w.pnew(k));
      }
      // Relaxation factors.
      if (!first) {
        loop.relxp = fg_relax(loop.relxp, dmaxp, dqp);
        loop.relxh = fg_relax(loop.relxh, dmaxh, dqh);
        if (loop.minstep == 0) {
          if (std::isnan(loop.relxp) || loop.relxp < kFgRelaxFloor) loop.relxp = kFgRelaxFloor;
          if (std::isnan(loop.relxh) || loop.relxh < kFgRelaxFloor) loop.relxh = kFgRelaxFloor;
        }
      }
      GLOR.DAMPM = (std::isnan(loop.relxh) || loop.relxp < loop.relxh) ? loop.relxp : loop.relxh;
      const double dampm = GLOR.DAMPM;
      // New flows, under-relaxation, compliance and states.
      if (net.nl > 0) {
        FMCALC(net, w);
        if (const int l = first_not_finite(ro(net.m), net.nl)) {
          if (abandon(net, w)) return;
          return flow_fatal(net, l);
        }
      }
      for (int n = 1; n <= nf; ++n) {
        w.hnew(n) = net.fe(n) + (w.hnew(n) - net.fe(n)) * dampm;
        w.pnew(n) = net.p(n) + (w.pnew(n) - net.p(n)) * dampm;
      }
      // The properties take only a state: finite, at a pressure above zero.
      if (const int k = first_unphysical(ro(w.pnew), ro(w.hnew), nf, GLOR.PABS)) {
        if (abandon(net, w)) return;
        if (fl_not_finite(w.hnew(k))) return state_fatal(net, k, "FE", w.hnew(k));
        if (fl_not_finite(w.pnew(k))) return state_fatal(net, k, "P", w.pnew(k));
        return pressure_fatal(net, k, w.pnew(k));
      }
      CVOLSP(net, ro(w.pnew), 1, w.vrate);
      FGUPDT(net, w, fluid_conv);
      // A state of a finite enthalpy far outside the fluid's range can come
      // back with a temperature below absolute zero: no state either.
      const double tabs = GLOR.TABS;
      for (int k = 1; k <= nf; ++k) {
        const bool t = fl_not_finite(net.tf(k)), x = fl_not_finite(net.vq(k)), rho = fl_not_finite(w.rho(k));
        const bool drdh = fl_not_finite(w.drdh(k)), drdp = fl_not_finite(w.drdp(k));
        const bool cold = !t && !(net.tf(k) + tabs > 0.0);
        if (!(t || x || rho || drdh || drdp || cold)) continue;
        if (abandon(net, w)) return;
        if (t) fl_node_fatal("FGENFI: Temperature > 1.0D10 detected@", net.global(k), 1, "Fgupdt");
        if (cold) return temperature_fatal(net, k);
        if (x) return state_fatal(net, k, "VQ", net.vq(k));
        if (rho) return state_fatal(net, k, "Density", w.rho(k));
        return state_fatal(net, k, "Density derivative", drdh ? w.drdh(k) : w.drdp(k));
      }
      for (int n = 1; n <= nf; ++n) {
        net.fe(n) = w.hnew(n);
        net.p(n) = w.pnew(n);
      }
      first = false;
    }
    if (net.nt > 0) {
      const int start = GLOI.LOOPCT >= 2 ? fluid_conv : 0;
      FWBKT3(net, th, start, thermal_conv, thermal_passes);
      GLOI.SUMTHL += thermal_passes;
    }
    if (fluid_conv == 1 && thermal_passes <= 1 && thermal_conv == 1) loop.converged = 1;
    if (GLOI.LOOPCT >= GLOI.NLOOP || loop.converged == 1) {
      STSOLT("");
      return;
    }
    dqh = dmaxh;
    dqp = dmaxp;
  }
}
