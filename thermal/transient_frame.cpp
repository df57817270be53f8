#include "thermal/transient_frame.h"

#include <array>
#include <cmath>
#include <string>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "model/generated_program.h"
#include "modeldata/interpolation.h"
#include "modeldata/node_copies.h"
#include "platform/text.h"
#include "thermal/steady_kernel.h"

namespace {

bool cyclic_run() { return GLOC.SOLVER.view().substr(0, 2) == "CY"; }

// Whether a required control constant holds the undefined marker.
bool undefined_constant(std::string_view name) {
  if (name == "NLOOP") return SLUNDF(GLOI.NLOOP);
  if (name == "DTIMEI") return SDUNDF(GLOR.DTIMEI);
  if (name == "RELXCA") return SDUNDF(GLOR.RELXCA);
  return false;
}

// The step end from TIMEO with the current DTIMEU: at most two steps ahead,
// never past the output time or an event, the rest taken in two halves
// when it is more than one step long.
//
// A step end that does not lie after TIMEO while TIMEND is still ahead (a
// step of zero length, one lost in the rounding of TIMEO, a zero or negative
// OUTINT, a time that is not a number) would repeat the same step for ever:
// the run ends there through ERROR naming the routine.
void choose_step_end(TrfFrame& f) {
  const double tnext = GLOR.TIMEO + 2.0 * GLOR.DTIMEU;
  GLOR.TIMEN = f.outtime < tnext ? f.outtime : tnext;
  LEVTIM(f.events, "TIMESTEP", f.nev, GLOR.TIMEO, GLOR.TIMEN);
  if (GLOR.TIMEN > GLOR.TIMEO + GLOR.DTIMEU) GLOR.TIMEN = (GLOR.TIMEN + GLOR.TIMEO) * 0.5;
  GLOR.DTIMEU = GLOR.TIMEN - GLOR.TIMEO;
  if (!(GLOR.TIMEN > GLOR.TIMEO) && !(GLOR.TIMEO >= GLOR.TIMEND)) ERROR(f.routine);
}

}  // namespace

std::string trf_padded(std::string_view text, std::size_t n) {
  std::string s(text);
  s.resize(n, ' ');
  return s;
}

void S5CSGM(const ThNetwork& net, ThCReals t, double& csgmin, int& ncsgmn) {
  csgmin = 1.0e38;
  LoopGuard guard("S5CSGM");
  for (int i = 1; i <= net.nt; ++i) {
    guard.pass();
    if (net.tstat(i).c[0] != 'D') continue;
    const double c = net.cap(i);
    if (std::fabs(c) < 1e-37) continue;
    double g = 0.0;
    SDGSUM(net, i, t, g);
    if (std::fabs(g) < 1e-37) continue;
    const double m = c / g;
    if (m < csgmin) {
      csgmin = m;
      ncsgmn = i;
    }
  }
}

bool trf_open(TrfFrame& f, std::string_view routine, bool crnc_wording, std::span<const TrfRequired> required,
              TrfFinite finite, int work_code, std::string_view work_ending, std::int64_t nreal, std::int64_t nint) {
  const std::string r(routine);
  f.solve = false;
  f.routine = r;
  GLOC.MODULE = r;
  if (!cyclic_run()) GLOC.SOLVER = "TRTH";

  bool solve = true;
  if (GLOR.TIMEO >= GLOR.TIMEND) {
    SETERX(trf_padded(r + ": TIMEND is not greater than TIMEO@See Engineering Manual for control constant "
                          "definitions",
                      170),
           3, 1, r);
    solve = false;
  }
  if (SDUNDF(GLOR.OUTINT)) {
    GLOR.OUTINT = GLOR.TIMEND - GLOR.TIMEO;
    const std::string text =
        crnc_wording ? r +
                           ": Control constant OUTINT not specified@Default is TIMEND - TIMEO. See User Manual "
                           "description of " +
                           r + " for a list of control constants"
                     : r +
                           ": Control constant OUTINT not specified@Default is TIMEND - TIMEO, see User Manual "
                           "description of " +
                           r + " for a list of control constants";
    SETERX(trf_padded(text, 170), 2, 2, r);
  }
  for (const TrfRequired& q : required) {
    if (!undefined_constant(q.name)) continue;
    SETERX(trf_padded(r + ": Control constant " + std::string(q.name) +
                          " not specified@See User Manual description of " + r +
                          " for a list of required control constants",
                      170),
           4, q.code, r);
    return false;
  }
  {
    TrfValue times[6];
    std::size_t n = 0;
    times[n++] = {"TIMEO", GLOR.TIMEO};
    times[n++] = {"TIMEND", GLOR.TIMEND};
    if (finite.dtimei) times[n++] = {"DTIMEI", GLOR.DTIMEI};
    times[n++] = {"OUTINT", GLOR.OUTINT};
    times[n++] = {"DTMIN", GLOR.DTMIN};
    times[n++] = {"DTMAX", GLOR.DTMAX};
    if (!trf_require_finite(routine, std::span<const TrfValue>(times, n), finite.code)) return false;
  }

  // The event list at the integer top, then the routine's blocks above it.
  if (!take_event_list(f.core, routine, f.events, f.nev)) return false;
  if (!f.core.reserve(routine, work_code, nreal, nint, work_ending)) return false;
  f.real_first = f.core.real_first();
  f.int_first = f.core.int_first();
  f.solve = solve;
  return solve;
}

void trf_first_output_time(TrfFrame& f) {
  f.nominal = GLOR.TIMEO + GLOR.OUTINT;
  f.outtime = f.nominal <= GLOR.TIMEND ? f.nominal : GLOR.TIMEND;
  LEVTIM(f.events, "OUTPUT", f.nev, GLOR.TIMEO, f.outtime);
}

void trf_first_step(TrfFrame& f) {
  double d = GLOR.DTIMEI;
  if (GLOR.DTMAX < d) d = GLOR.DTMAX;
  if (GLOR.DTMIN > d) d = GLOR.DTMIN;
  GLOR.DTIMEU = d;
  choose_step_end(f);
}

void trf_start_services() {
  V10001();
  const ThNetwork net = th_network();
  if (net.lencopy >= 2) SSNCNT(net.lenthermal, net.lencopy, net.nt, net.pcs, net.t);
  S5CSGM(net, net.t, GLOR.CSGMIN, GLOI.NCSGMN);
}

void trf_outputs_at_start() {
  const double timen = GLOR.TIMEN;
  GLOR.TIMEN = GLOR.TIMEO;
  OUTPUT();
  GLOR.TIMEN = timen;
}

void trf_after_accept(TrfFrame& f) {
  if (!(GLOR.TIMEN >= f.outtime)) return;
  OUTPUT();
  if (GLOR.TIMEN >= f.nominal) f.nominal += GLOR.OUTINT;
  f.outtime = f.nominal <= GLOR.TIMEND ? f.nominal : GLOR.TIMEND;
  LEVTIM(f.events, "OUTPUT", f.nev, GLOR.TIMEN, f.outtime);
}

double trf_limit_step(double h) {
  // A proposal that is not a number (0 / 0 after a step without any change)
  // takes the smallest step.
  if (!(h >= GLOR.DTMIN)) h = GLOR.DTMIN;
  if (h > GLOR.DTMAX) h = GLOR.DTMAX;
  return h;
}

void trf_next_step(TrfFrame& f, double h) {
  GLOR.DTIMEU = trf_limit_step(h);
  GLOR.TIMEO = GLOR.TIMEN;
  choose_step_end(f);
}

void trf_end_warning(std::string_view name, std::string_view what, int count, int steps, int code_low,
                     std::string_view routine) {
  if (count <= 0) return;
  const double ratio = static_cast<double>(count) / static_cast<double>(steps);
  const bool few = ratio < 0.1;
  const std::string text =
      std::string(name) + ": " + std::string(what) +
      (few ? " exceeded in up to 10% of time steps" : " exceeded in more than 10% of time steps");
  SETERX(trf_padded(text, 170), 2, few ? code_low : code_low + 1, routine);
}

void trf_close(TrfFrame& f) {
  if (f.solve) {
    GLOR.TIMEM = GLOR.TIMEND;
    GLOR.TIMEN = GLOR.TIMEND;
    GLOR.TIMEO = GLOR.TIMEND;
  }
  if (!cyclic_run()) GLOC.SOLVER = "";
}
