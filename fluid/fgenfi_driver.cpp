// FGENFI: the frame of the two-phase solution (constants, work space,
// ordering, initial states, the first VARIABLES1 passes, the end).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/conductance_sums.h"
#include "fluid/fgenfi.h"
#include "fluid/fluid_constants.h"
#include "fluid/fluid_services.h"
#include "fluid/input_checks.h"
#include "fluid/required_constants.h"
#include "fluid/state_update.h"
#include "model/generated_program.h"
#include "modeldata/connection_lists.h"
#include "modeldata/event_arrays.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_copies.h"
#include "properties/properties.h"

namespace {

constexpr std::string_view kName = "FGENFI";

void report(std::string text, int severity, int code) {
  text.resize(250, ' ');
  SETERX(text, severity, code, kName);
}

void not_specified(std::string_view name, int code) {
  report("FGENFI: Control constant " + std::string(name) +
             " not specified@See User Manual description of Fgenfi for a list of required control constants",
         4, code);
}

bool cyclic_run() { return GLOC.SOLVER.c[0] == 'C' && GLOC.SOLVER.c[1] == 'Y'; }

// What one FGENFI call carries from its first frame step to its last.
struct FgFrame {
  FlNetwork net;
  bool solve = false;  // TIMEO < TIMEND: there are steps to make
  FgPass w;
  FgSaved sv;
  FgThermal th;
  FgLoop loop;
};

// MODULE, SOLVER "TRFL2P" unless it begins with "CY", DTIMEU := 0, LOOPCT
// := SUMFLL := SUMTHL := 0, the view of the model.
void begin(FgFrame& f) {
  GLOC.MODULE = kName;
  if (!cyclic_run()) GLOC.SOLVER = "TRFL2P";
  GLOR.DTIMEU = 0.0;
  GLOI.LOOPCT = 0;
  GLOI.SUMFLL = 0;
  GLOI.SUMTHL = 0;
  f.net = fl_network();
}

// The checks of the control constants, in order: the required ones, the
// times that must be finite, TIMEO < TIMEND (an error the run survives:
// no steps), the default OUTINT, NLOOPH and NLOOPT, and with steps to make
// and fluid nodes an OUTINT that moves the output time on and the model's
// fluid inputs. False after a refusal.
bool checks(FgFrame& f) {
  const FlNetwork& net = f.net;
  struct Required {
    const char* name;
    bool undefined;
    int code;
  };
  const Required required[] = {{"nloop", SDUNDF(GLOI.NLOOP) != 0, 1},
                               {"relxca", net.nt > 0 && SDUNDF(GLOR.RELXCA) != 0, 2},
                               {"frlxca", SDUNDF(GLOR.FRLXCA) != 0, 3},
                               {"relxma", SDUNDF(GLOR.RELXMA) != 0, 4}};
  for (const Required& r : required) {
    if (!r.undefined) continue;
    not_specified(r.name, r.code);
    return false;
  }
  {
    RequiredValue times[6];
    std::size_t n = 0;
    times[n++] = {"timeo", GLOR.TIMEO};
    times[n++] = {"timend", GLOR.TIMEND};
    if (!SDUNDF(GLOR.DTIMEI)) times[n++] = {"dtimei", GLOR.DTIMEI};
    if (!SDUNDF(GLOR.OUTINT)) times[n++] = {"outint", GLOR.OUTINT};
    times[n++] = {"dtmin", GLOR.DTMIN};
    times[n++] = {"dtmax", GLOR.DTMAX};
    if (!require_finite_constants(kName, std::span<const RequiredValue>(times, n), 9)) return false;
  }
  f.solve = GLOR.TIMEO < GLOR.TIMEND;
  const bool solve = f.solve;
  if (!solve)
    report("FGENFI: timend is not greater than TIMEO@See Engineering Manual for control constant definitions", 3, 5);
  if (SDUNDF(GLOR.OUTINT)) {
    GLOR.OUTINT = GLOR.TIMEND - GLOR.TIMEO;
    report(
        "FGENFI: Control constant outint not specified@Default is timend - TIMEO; see User Manual description of "
        "Fgenfi for a list of control constants",
        2, 6);
  }
  if (GLOI.NLOOPH == 0) GLOI.NLOOPH = GLOI.NLOOP;
  if (GLOI.NLOOPT == 0) GLOI.NLOOPT = GLOI.NLOOP;
  // Output times that do not advance would hold the clock.
  if (solve && net.nf > 0 && GLOR.OUTINT <= 0.0) {
    report(
        "FGENFI: Control constant outint is not greater than zero@Output times cannot advance; see User Manual "
        "description of Fgenfi for a list of control constants",
        4, 10);
    return false;
  }
  // The model's fluid inputs, when there are steps to make.
  return !(solve && net.nf > 0 &&
           (!fl_require_finite_controls(kName, 9, net.nt, net.nf, false, true, true) ||
            !fl_check_step_constants(kName, !SDUNDF(GLOR.DTIMEI)) || !fl_check_solution_inputs(kName, net)));
}

// The event list at the integer top. False after its shortage.
bool events(FgFrame& f, gar_CoreGuard& core) {
  return take_event_list(core, kName, f.loop.clock.events, f.loop.clock.nev);
}

// The work space in the order of fluid/fgenfi.h: the integer blocks with the
// ordering FPNTER makes in them (fluid nodes only), then the real blocks of
// its profile. A shortage is fatal (codes 7 and 8); false after one.
bool work_space(FgFrame& f, gar_CoreGuard& core) {
  const FlNetwork& net = f.net;
  const std::int64_t dystor = FLAGS(FLAGS_DYSTOR);
  const int nt = net.nt, nf = net.nf, nl = net.nl;
  FgPass& w = f.w;
  FgSaved& sv = f.sv;
  FgThermal& th = f.th;

  const std::int64_t nint = 7 * static_cast<std::int64_t>(nf) + nl;
  const std::int64_t iexcess = FLAGS(FLAGS_NEXTDYNAMICCOREINT) + nint - dystor;
  if (iexcess > 0) {
    report(gar_worktext(kName, iexcess, gar_dystor_record), 4, 7);
    return false;
  }
  gar_Carver<std::int32_t> ints(gar_dynamiccoreint, core.take_int(nint));
  w.perm = ints.take(nf);
  w.pos = ints.take(nf);
  w.ju = ints.take(nf);
  w.ir = ints.take(nf);
  w.id = ints.take(nf);
  w.jl = ints.take(nf);
  w.loopend = ints.take(nf);
  w.lnkflg = ints.take(nl);
  if (nf > 0) FPNTER(net, w);

  const std::int64_t nreal = 5 * static_cast<std::int64_t>(nt) + 17 * static_cast<std::int64_t>(nf) +
                             6 * static_cast<std::int64_t>(nl) + w.nlp + w.lprof;
  const std::int64_t rexcess = FLAGS(FLAGS_NEXTDYNAMICCOREREAL) + nreal - dystor;
  if (rexcess > 0) {
    report(gar_worktext(kName, rexcess, gar_dystor_record_colon), 4, 8);
    return false;
  }
  gar_Carver<double> reals(gar_dynamiccorereal, core.take_real(nreal));
  w.drdp = reals.take(nf);
  w.drdh = reals.take(nf);
  w.rhoold = reals.take(nf);
  w.rho = reals.take(nf);
  w.mold = reals.take(nl);
  w.pold = reals.take(nf);
  w.pnew = reals.take(nf);
  w.hold = reals.take(nf);
  w.hnew = reals.take(nf);
  w.flaold = reals.take(nf);
  w.fmold = reals.take(nf);
  w.amat = reals.take(w.lprof);
  w.bvec = reals.take(nf);
  w.loopmass = reals.take(w.nlp);
  sv.hlold = reals.take(nl);
  sv.tfold = reals.take(nf);
  sv.drdpold = reals.take(nf);
  sv.drdhold = reals.take(nf);
  sv.vqold = reals.take(nf);
  w.lnkcp = reals.take(nl);
  w.lnkc2 = reals.take(nl);
  w.lnkc1 = reals.take(nl);
  w.lnkc0 = reals.take(nl);
  sv.volold = reals.take(nf);
  w.vrate = reals.take(nf);
  th.tthold = reals.take(nt);
  th.qthold = reals.take(nt);
  th.gflprv = reals.take(nt);
  th.qflprv = reals.take(nt);
  th.tthprv = reals.take(nt);
  return true;
}

// Before the first step: TIMEN := TIMEM := TIMEO, the output times from
// TIMEO, the initial states (FGFIIN, MHXINI with links), VARIABLES1 with
// SOLTYP blank and "THERMAL", the tied temperatures (SSNCNT), the stability
// figure (SCKCSG) and, without fluid nodes, the warning that no step is made.
void start(FgFrame& f) {
  const FlNetwork& net = f.net;
  const int nt = net.nt, nf = net.nf, nl = net.nl;
  GLOR.TIMEN = GLOR.TIMEO;
  GLOR.TIMEM = GLOR.TIMEO;
  f.loop.clock.next = f.loop.clock.nominal = GLOR.TIMEO;
  if (nf > 0) {
    FGFIIN(net, f.w);
    if (nl > 0) MHXINI(net);
  }
  STSOLT("");
  V10001();
  STSOLT("THERMAL");
  V10001();
  SSNCNT(net.lenthermal, net.lencopy, nt, net.pcs, net.t);
  if (nt > 0) SCKCSG(net);
  if (nf == 0)
    report(
        "FGENFI: No fluid nodes in the model@No time step was made: the thermal network is not advanced, "
        "TIMEO is set to TIMEND. Use a thermal solution routine for a model without fluid loops",
        2, 12);
}

// After the steps: TIMEM := TIMEN := TIMEO := TIMEND when there were steps
// to make; SOLVER blanked unless it begins with "CY".
void end(const FgFrame& f) {
  if (f.solve) {
    GLOR.TIMEM = GLOR.TIMEND;
    GLOR.TIMEN = GLOR.TIMEND;
    GLOR.TIMEO = GLOR.TIMEND;
  }
  if (!cyclic_run()) GLOC.SOLVER = "";
}

}  // namespace

// With no fluid nodes FGENFI makes no steps: it checks its constants, takes
// its work space (without the ordering), runs VARIABLES1 twice, copies the
// tied temperatures and sets CSGMIN, and then sets TIMEO, TIMEN and TIMEM to
// TIMEND without VARIABLES2 or OUTPUTS; the thermal network is not advanced.
// A warning (code 12) says so: the clock moves all the same. A refusal or a
// shortage ends the call where it stands.
void FGENFI() {
  FgFrame f;
  begin(f);
  if (!checks(f)) return;
  {
    gar_CoreGuard core;  // both tops go back before the end
    if (!events(f, core) || !work_space(f, core)) return;
    if (f.solve) {
      start(f);
      FGFIIT(f.net, f.w, f.sv, f.th, f.loop);
    }
  }
  end(f);
}

void FPNTER(const FlNetwork& net, FgPass& w) {
  const int nf = net.nf;
  FlInts perm = w.perm, pos = w.pos, ju = w.ju, ir = w.ir, id = w.id, jl = w.jl, loopend = w.loopend;
  for (int k = 1; k <= nf; ++k) pos(k) = perm(k) = loopend(k) = 0;
  auto clamp = [](std::int64_t v) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(v, std::numeric_limits<std::int32_t>::max()));
  };
  pos(1) = perm(1) = 1;
  ju(1) = jl(1) = 1;
  int f = 2, nlp = 1, s = 1, u = 2;
  LoopGuard guard("FPNTER");
  for (int d = 1; d <= nf; ++d) {
    const int n = perm(d);
    if (d == 1) {
      ir(1) = 1;
      id(1) = 1;
    } else {
      ir(d) = std::max(ir(d - 1), d);
    }
    for (const FlEntry& e : fl_links(net, n, guard)) {
      const int m = e.neighbour;
      if (pos(m) == 0) {
        pos(m) = f;
        perm(f) = m;
        ju(f) = jl(f) = d;
        ++f;
      }
      ir(d) = std::max(ir(d), pos(m));
    }
    if (f == d + 1 && d < nf) {
      // The loop is complete: its last row reaches back to its first column.
      loopend(nlp) = d;
      id(d) = clamp(static_cast<std::int64_t>(id(d)) + jl(d) - s);
      jl(d) = s;
      ++nlp;
      ju(d + 1) = jl(d + 1) = d + 1;
      int k = u;
      for (;; ++k) {
        guard.pass();
        if (pos(k) == 0) break;
      }
      perm(d + 1) = k;
      pos(k) = d + 1;
      u = k + 1;
      s = d + 1;
      f = d + 2;
    }
    if (d < nf) id(d + 1) = clamp(static_cast<std::int64_t>(ir(d)) + id(d) - jl(d + 1) + 2);
  }
  loopend(nlp) = nf;
  const std::int32_t lprof = clamp(static_cast<std::int64_t>(jl(nf)) + id(nf) - s);
  jl(nf) = s;
  id(nf) = lprof;
  w.nlp = nlp;
  w.lprof = lprof;
}

void FGFIIN(const FlNetwork& net, const FgPass& w) {
  const double pabs = GLOR.PABS, tabs = GLOR.TABS;
  for (int i = 1; i <= net.nf; ++i)
    XDRHO(net.fe(i), net.fluid_code(i), net.global(i), pabs, net.p(i), net.vq(i), tabs, net.tf(i), w.drdh(i),
          w.drdp(i), w.rho(i));
}

void MHXINI(const FlNetwork& net) {
  LoopGuard guard("MHXINI");
  for (int i = 1; i <= net.nf; ++i) {
    for (const FlEntry& e : fl_links(net, i, guard)) {
      const int l = e.link();
      const double m = net.m(l);
      if (!((m >= 0.0 && net.first(l) == i) || (m < 0.0 && net.second(l) == i))) continue;
      const int end = m >= 0.0 ? 1 : 2;
      if (net.psflags(end, l) != 0 && net.ltype(l) == 1) {
        const double x = net.psvq(end, l);
        const int code = net.fluid_code(i), node = net.global(i);
        const double p = net.p(i);
        const double ts = XTEMPS(p, code, node);
        const double hl = XENTHS(p, ts, 0.0, code, node);
        const double hv = XENTHS(p, ts, 1.0, code, node);
        net.lvq(l) = x;
        net.lh(l) = x * hv + (1.0 - x) * hl;
      } else {
        net.lh(l) = net.fe(i);
        net.lvq(l) = net.vq(i);
      }
    }
  }
}

void SCKCSG(const FlNetwork& net) {
  GLOR.CSGMIN = kFlHuge;
  FlCReals t(net.t.data(), net.t.size()), tf(net.tf.data(), net.tf.size());
  LoopGuard guard("SCKCSG");
  for (int i = 1; i <= net.nt; ++i) {
    guard.pass();
    if (net.tstat(i).c[0] != 'D' || std::fabs(net.cap(i)) < kFlTiny) continue;
    double g = 0.0, gt = 0.0;
    SRGSUM(net, i, t, tf, g, gt);
    if (std::fabs(g) >= kFlTiny && net.cap(i) / g < GLOR.CSGMIN) {
      GLOR.CSGMIN = net.cap(i) / g;
      GLOI.NCSGMN = i;
    }
  }
}
