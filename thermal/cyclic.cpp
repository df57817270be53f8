#include "thermal/cyclic.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/fluid_network.h"
#include "fluid/fluid_services.h"
#include "fluid/link_conductances.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "output/page_headers.h"
#include "properties/properties.h"
#include "thermal/crank_nicolson.h"
#include "thermal/explicit_forward.h"
#include "thermal/forward_backward.h"
#include "thermal/gear.h"
#include "thermal/modal.h"
#include "thermal/slgrdj.h"
#include "thermal/steady_kernel.h"
#include "thermal/transient_frame.h"

namespace {

// A rate tolerance of this size or more switches the rate test off.
constexpr double kNoRateTest = 1.0E10;
// Starting value of the per-cycle maxima.
constexpr double kNoChange = -1.0E10;
// Passes of the cycle loop before its guard stops it.
constexpr long long kCycleLimit = 2000000000LL;

// The routines that can be repeated, in the order they are tried.
struct CycleSolver {
  std::string_view name;
  void (*run)();
  std::string_view code;
};
constexpr CycleSolver kSolvers[] = {
    {"SLFRWD", SLFRWD, "CYTH"},   {"SLFWBK", SLFWBK, "CYTH"},   {"SLCRNC", SLCRNC, "CYTH"},
    {"SLGEAR", SLGEAR, "CYTH"},   {"SLGRDJ", SLGRDJ, "CYTH"},   {"SLMODE", SLMODE, "CYTH"},
    {"FLTNTS", FLTNTS, "CYFL1P"}, {"FLTMTS", FLTMTS, "CYFL1P"}, {"FLTNTF", FLTNTF, "CYFL1P"},
    {"FGENFI", FGENFI, "CYFL2P"},
};

// The first six characters of the routine name, blank-padded.
plat::Text<6> solver_name(std::string_view zsolvr) { return plat::Text<6>(zsolvr.substr(0, 6)); }

// Rate of thermal node i on the model's arrays.
double thermal_rate(const ThNetwork& net, int i) {
  double rate = 0.0;
  LPDTTM(net, i, rate);
  return rate;
}

// Rate of fluid node j on the model's arrays.
double fluid_rate(const FlNetwork& net, int j) {
  double rate = 0.0;
  LFDTTM(net, j, rate);
  return rate;
}

// Largest change of one figure over the listed nodes; strict comparison, so
// the lowest-numbered node wins a tie. A change that is not a number (a
// temperature or rate that overflowed) takes the maximum and keeps it, so
// that such a cycle never counts as converged.
struct Largest {
  double value = kNoChange;
  int node = 0;
  void offer(double d, int n) {
    if (std::isnan(value)) return;
    if (d > value || std::isnan(d)) {
      value = d;
      node = n;
    }
  }
};

}  // namespace

void LPDTTM(const ThNetwork& net, int i, double& rate) {
  rate = 0.0;
  const double c = net.cap(i);
  if (net.tstat(i).c[0] != 'D' || std::fabs(c) < static_cast<double>(1.0E-37f)) return;
  double sf = 0.0, sl = 0.0, sr = 0.0;
  SCNDHF(net, i, net.t, sf, sl, sr);
  rate = ((((net.qa(i) + net.qe(i)) + net.qi(i)) + net.qr(i)) + net.qs(i) + (sr + (sf + sl))) / c;
}

void LFDTTM(const FlNetwork& net, int j, double& rate) {
  const int ifluid = net.fluid_code(j);
  const double rho = XRHO(net.p(j), net.tf(j), net.vq(j), ifluid, net.global(j));
  const double cp = XCP(net.p(j), net.tf(j), net.vq(j), ifluid, net.global(j));
  const double n = rho * cp * net.vol(j);
  if (std::fabs(n) < 1.0E-37) {
    rate = 1.0E20;
    return;
  }
  const char status = net.fstat(j).c[0];
  if (status == 'H' || status == 'K' || status == 'R') {
    rate = 0.0;
    return;
  }
  const FlNodeHeats q = SFCDHF(net, j, ifluid);
  rate = (q.qsrc + q.qgf + q.qgl + q.qlink + q.qgr + net.fq(j)) / n;
}

void SOLCYC(std::string_view zsolvr, const double& tconv, const double& dtconv, const double& period,
            const int& maxcyc, std::string_view zlabel, std::string_view zout) {
  const ThNetwork net = th_network();
  const FlNetwork fnet = fl_network();
  const int nt = net.nt;
  const int nf = FLAGS(32) > 0 ? FLAGS(32) : 0;
  const int nm = FLAGS(26);
  const bool links = FLAGS(33) > 0;

  // Every cycle runs from TIMEO to TIMEO + PERIOD: a start or end that is not
  // a finite number would never be reached.
  const TrfValue times[] = {{"TIMEO", GLOR.TIMEO}, {"TIMEND", GLOR.TIMEO + period}};
  if (!trf_require_finite("SOLCYC", times, 5)) return;

  // Four blocks above the entry top; the top stands one word past them while
  // the cycles run and goes back when `core` ends.
  gar_CoreGuard core;
  const std::int64_t words = 2 * (static_cast<std::int64_t>(nt) + nf);
  if (!core.reserve("SOLCYC", 1, words + 1, 0, gar_dystor_record)) return;
  const int top = core.real_top();
  ThReals tprevcyc = gar_dynamiccorereal.from(top + 1, nt);
  ThReals rprevcyc = gar_dynamiccorereal.from(top + nt + 1, nt);
  ThReals tfprevcyc = gar_dynamiccorereal.from(top + 2 * nt + 1, nf);
  ThReals rfprevcyc = gar_dynamiccorereal.from(top + 2 * nt + nf + 1, nf);

  const double t0 = GLOR.TIMEO;
  const double timend0 = GLOR.TIMEND;
  const plat::Text<18> outime0 = GLOC.OUTIME;
  GLOR.TIMEND = t0 + period;
  GLOR.TIMEM = GLOR.TIMEO;
  GLOR.TIMEN = GLOR.TIMEO;
  V10001();

  // State at the start: every node, listed or not.
  for (int i = 1; i <= nt; ++i) {
    tprevcyc(i) = net.t(i);
    if (dtconv < kNoRateTest) rprevcyc(i) = thermal_rate(net, i);
  }
  if (links) SGMCAL(fnet);
  for (int j = 1; j <= nf; ++j) {
    tfprevcyc(j) = gar_fluidnodetemps(j);
    if (dtconv < kNoRateTest) rfprevcyc(j) = fluid_rate(fnet, j);
  }

  const plat::Text<6> name = solver_name(zsolvr);
  int icycle = 1;
  for (long long pass = 1;; ++pass) {
    if (pass > kCycleLimit) {
      SETERX("SOLCYC: Failed to converge within the maximum number of iterations", 3, 3, "SOLCYC");
      SETERX("SOLCYC: Failed to converge within MAXCYC iterations", 3, 4, "SOLCYC");
      break;
    }
    GLOC.OUTIME = zout;
    GLOR.TIMEO = t0;
    GLOR.TIMEND = t0 + period;

    const CycleSolver* chosen = nullptr;
    for (const CycleSolver& s : kSolvers) {
      if (name == s.name) {
        chosen = &s;
        break;
      }
    }
    if (chosen == nullptr) {
      SETERX("SOLCYC: Solver name incorrect@ Only transient solver can be used for cycle analysis with SOLCYC", 4, 2,
             "SOLCYC");
      break;
    }
    GLOC.SOLVER = chosen->code;
    chosen->run();

    // Changes since the previous cycle end, over the listed nodes.
    const bool rates = dtconv < kNoRateTest;
    Largest dt, ddt;
    for (int i = 1; i <= nt; ++i) {
      int ierr = 0;
      if (!NDOFZL(1, nm, nt, i, 1, "SOLCYC", zlabel, ierr)) continue;
      const double ti = net.t(i);
      dt.offer(std::fabs(ti - tprevcyc(i)), i);
      tprevcyc(i) = ti;
      if (rates) {
        const double r = thermal_rate(net, i);
        ddt.offer(std::fabs(r - rprevcyc(i)), i);
        rprevcyc(i) = r;
      }
    }
    if (links) SGMCAL(fnet);
    for (int j = 1; j <= nf; ++j) {
      int ierr = 0;
      if (!NDOFZL(1, nm, nt, nt + j, 1, "SOLCYC", zlabel, ierr)) continue;
      const double tj = gar_fluidnodetemps(j);
      dt.offer(std::fabs(tj - tfprevcyc(j)), nt + j);
      tfprevcyc(j) = tj;
      if (rates) {
        const double r = fluid_rate(fnet, j);
        ddt.offer(std::fabs(r - rfprevcyc(j)), nt + j);
        rfprevcyc(j) = r;
      }
    }
    const bool converged = dt.value <= tconv && (!rates || ddt.value <= dtconv);
    LPRCYC(ddt.value, icycle, ddt.node, dt.node, dt.value);

    ++icycle;
    if (converged) break;
    if (icycle > maxcyc) {
      SETERX("SOLCYC: Failed to converge within MAXCYC iterations", 3, 4, "SOLCYC");
      break;
    }
  }

  GLOR.TIMEND = timend0;
  GLOR.TIMEO = t0;
  GLOC.SOLVER = "";
  GLOC.OUTIME = outime0;
}
