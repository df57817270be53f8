// The step loop of FGENFI and its step control.
#include <cmath>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/continuity.h"
#include "fluid/fgenfi.h"
#include "fluid/fluid_constants.h"
#include "fluid/thermal_update.h"
#include "model/generated_program.h"
#include "modeldata/entity_codes.h"
#include "modeldata/event_arrays.h"
#include "platform/format.h"
#include "properties/properties.h"

namespace {

template <class T>
plat::Vec1<T> view(std::vector<T>& v) {
  return plat::Vec1<T>(v.data(), static_cast<std::int64_t>(v.size()));
}

// Saves the state at the end of an accepted step as the start of the next.
void save(const FlNetwork& net, const FgPass& w, const FgSaved& sv, const FgThermal& th) {
  for (int i = 1; i <= net.nf; ++i) {
    sv.drdhold(i) = w.drdh(i);
    sv.drdpold(i) = w.drdp(i);
    w.rhoold(i) = w.rho(i);
    w.pold(i) = net.p(i);
    w.hold(i) = net.fe(i);
    sv.tfold(i) = net.tf(i);
    sv.vqold(i) = net.vq(i);
    sv.volold(i) = net.vol(i);
    w.flaold(i) = net.fla(i);
    w.fmold(i) = net.fm(i);
    sv.fdold(i) = net.fd(i);
  }
  for (int k = 1; k <= net.nl; ++k) {
    w.mold(k) = net.m(k);
    sv.hlold(k) = net.lh(k);
  }
  for (int i = 1; i <= net.nt; ++i) th.tthold(i) = net.t(i);
}

// Puts the state at the start of the step back after a rejection. The
// hydraulic diameter goes back with the volume: the compliance scales it.
void restore(const FlNetwork& net, const FgPass& w, const FgSaved& sv, const FgThermal& th) {
  for (int i = 1; i <= net.nf; ++i) {
    net.p(i) = w.pold(i);
    net.fe(i) = w.hold(i);
    net.tf(i) = sv.tfold(i);
    w.rho(i) = w.rhoold(i);
    net.vq(i) = sv.vqold(i);
    w.drdp(i) = sv.drdpold(i);
    w.drdh(i) = sv.drdhold(i);
    net.vol(i) = sv.volold(i);
    const char flag = net.vcf(i).c[0];
    if (flag == 'A' && !SMINDL(net.fl(i))) net.fla(i) = net.vol(i) / net.fl(i);
    else if (flag == 'L') net.fl(i) = net.vol(i) / net.fla(i);
    net.fd(i) = sv.fdold(i);
  }
  for (int k = 1; k <= net.nl; ++k) {
    net.m(k) = w.mold(k);
    net.lh(k) = sv.hlold(k);
  }
  for (int i = 1; i <= net.nt; ++i) net.t(i) = th.tthold(i);
}

// x limited above by hi and below by lo; a bound or value that is not a
// number drops out.
double limited(double x, double hi, double lo) {
  if (!std::isnan(hi) && (std::isnan(x) || x > hi)) x = hi;
  if (!std::isnan(lo) && (std::isnan(x) || x < lo)) x = lo;
  return x;
}

void zero_step() {
  plat::Text<12> when;
  plat::write_internal(when, "(G12.6)", GLOR.TIMEO);
  std::string text = "FGENFI: Time step of zero length at TIMEO = " + std::string(when.view()) +
                     "@Check control constants DTIMEI, DTMIN, DTMAX, RLCOUR and OUTINT";
  text.resize(250, ' ');
  SETERX(text, 4, 11, "FGENFI");
}

}  // namespace

double SFICOU(const FlNetwork& net) {
  double dtcour = kFlHuge;
  for (int k = 1; k <= net.nl; ++k) {
    const double am = std::fabs(net.m(k));
    if (am < kFlTiny) continue;
    const int a = net.first(k), b = net.second(k);
    const double ra = XRHO(net.p(a), net.tf(a), net.vq(a), net.fluid_code(a), net.global(a));
    const double rb = XRHO(net.p(b), net.tf(b), net.vq(b), net.fluid_code(b), net.global(b));
    const double t = ((net.fl(a) + net.fl(b)) * 0.5) * ((ra + rb) * 0.5) * ((net.fla(a) + net.fla(b)) * 0.5) / am;
    if (t < dtcour) dtcour = t;
  }
  return dtcour;
}

void FFITST(const FlNetwork& net, const FgPass& w, const FgSaved& sv, const FgThermal& th, FgLoop& loop) {
  double h;
  bool accept;
  if (GLOR.DTIMEU > kFgMinStep * GLOR.DTMIN) {
    loop.minstep = 0;
    accept = loop.converged == 1;
  } else {
    loop.minstep = 1;
    accept = true;
    if (loop.converged != 1) {
      std::string text =
          "Non-convergence in FGENFI@Timestep at minimum, solution cannot converge within NLOOP iterations";
      text.resize(250, ' ');
      SETERX(text, 2, 1, "FFITST");
    }
  }
  if (accept) {
    save(net, w, sv, th);
    GLOR.DTCOUR = net.nl > 0 ? SFICOU(net) : 0.0;
    if (GLOR.DTIMEU > 0.0) V20001();
    else GLOR.DTIMEU = kFgFirstStep;
    double cand;
    if (!SDUNDF(GLOR.DTIMEI)) cand = GLOR.DTIMEI;
    else if (net.nl > 0) cand = GLOR.RLCOUR * GLOR.DTCOUR;
    else cand = GLOR.DTMAX;
    h = limited(cand, GLOR.DTMAX, GLOR.DTMIN);
    if (loop.rejected == 1) {
      if (h > 1.5 * GLOR.DTIMEU) h = 1.5 * GLOR.DTIMEU;
      else loop.rejected = 0;
    }
    fl_outputs_if_due(loop.clock);
    GLOR.TIMEO = GLOR.TIMEN;
  } else {
    h = GLOR.DTMIN > 0.5 * GLOR.DTIMEU ? GLOR.DTMIN : 0.5 * GLOR.DTIMEU;
    loop.rejected = 1;
    restore(net, w, sv, th);
  }
  double tn = loop.clock.next < GLOR.TIMEO + 2.0 * h ? loop.clock.next : GLOR.TIMEO + 2.0 * h;
  LEVTIM(loop.clock.events, "TIMESTEP", loop.clock.nev, GLOR.TIMEO, tn);
  if (tn > GLOR.TIMEO + h) tn = (GLOR.TIMEO + tn) / 2.0;
  GLOR.TIMEN = tn;
  GLOR.TIMEM = (GLOR.TIMEO + tn) / 2.0;
  GLOR.DTIMEU = tn - GLOR.TIMEO;
  // A step that does not advance the clock while the end is still ahead
  // would repeat for ever.
  if (!(GLOR.DTIMEU > 0.0) && GLOR.TIMEO + kFgEndFraction * GLOR.DTIMEU < GLOR.TIMEND) zero_step();
}

void FGFIIT(const FlNetwork& net, const FgPass& w, FgSaved sv, FgThermal th, FgLoop& loop) {
  std::vector<std::int32_t> gfmask(static_cast<std::size_t>(net.ngf1)), glmask(static_cast<std::size_t>(net.ngl1)),
      grmask(static_cast<std::size_t>(net.ngr1)), nodemask(static_cast<std::size_t>(net.nt1));
  std::vector<double> t3(static_cast<std::size_t>(net.nt1)), t4(static_cast<std::size_t>(net.nt1)),
      fdold(static_cast<std::size_t>(net.nf1));
  th.gfmask = view(gfmask);
  th.glmask = view(glmask);
  th.grmask = view(grmask);
  th.nodemask = view(nodemask);
  th.t3 = view(t3);
  th.t4 = view(t4);
  sv.fdold = view(fdold);

  loop.converged = 1;
  loop.rejected = 0;
  GLOI.LOOPCT = 0;
  loop.relxh = loop.relxp = 0.5;
  for (int i = 1; i <= net.nf; ++i) {
    w.hnew(i) = net.fe(i);
    w.pnew(i) = net.p(i);
  }
  int ierr = 0;
  SZEROD(w.lprof, w.amat, ierr);
  if ((net.nf > 0 || net.nt > 0) && ierr == 0) {
    do {
      FFITST(net, w, sv, th, loop);
      if (GLOR.DTIMEU > 0.0) {
        if (net.nt > 0) {
          STSOLT("THERMAL");
          V10001();
          SLOGST(net, th);
          const double tabs = GLOR.TABS;
          for (int i = 1; i <= net.nt; ++i) {
            const double a = net.t(i) + tabs;
            t3[static_cast<std::size_t>(i - 1)] = (a * a) * a;
            t4[static_cast<std::size_t>(i - 1)] = t3[static_cast<std::size_t>(i - 1)] * a;
          }
          TSTAB2(net, th, FlCReals(sv.tfold.data(), sv.tfold.size()));
        }
        CVOLST(net, w.vrate);
        FGFITR(net, w, th, loop);
      }
    } while (GLOR.TIMEO + kFgEndFraction * GLOR.DTIMEU < GLOR.TIMEND);
  }
  STSOLT("");
}
