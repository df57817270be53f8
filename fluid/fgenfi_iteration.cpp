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
#include "fluid/momentum.h"
#include "fluid/pressure_equation.h"
#include "fluid/profile_solver.h"
#include "fluid/state_update.h"
#include "fluid/thermal_update.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"

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
      if (ierr != 0) return zero_pivot(net, "FGENFI: Zero divide in matrix solution for enthalpy", 1, ierr, routine);
      STSOLT("FLUID");
      V10001();
      // Momentum and pressure.
      if (net.nl > 0) FCMOMK(net, w);
      FGFIPS(net, w);
      FHSKS1(w.amat, w.id, w.jl, w.ir, nf, w.perm, w.ju, w.lprof, w.bvec, w.pnew, dmaxp, ierr, routine);
      if (ierr != 0)
        return zero_pivot(net, "FGENFI : Zero divide in matrix solution for pressure", 2, ierr, routine);
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
      if (net.nl > 0) FMCALC(net, w);
      for (int n = 1; n <= nf; ++n) {
        w.hnew(n) = net.fe(n) + (w.hnew(n) - net.fe(n)) * dampm;
        w.pnew(n) = net.p(n) + (w.pnew(n) - net.p(n)) * dampm;
      }
      CVOLSP(net, FlCReals(w.pnew.data(), w.pnew.size()), 1, w.vrate);
      FGUPDT(net, w, fluid_conv);
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
