#include "fluid/step_control.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/fluid_constants.h"
#include "model/generated_program.h"
#include "modeldata/event_arrays.h"

namespace {

// The message field of the end warnings.
constexpr std::size_t kWarningField = 60;

// The model arrays a pass changes that every rejection puts back, each with
// its store in `start`.
struct Kept {
  FlReals model;
  std::vector<double>& store;
};

std::array<Kept, 7> kept(const FlNetwork& net, FlReals r1, FlReals r2, FlStepStart& start) {
  return {Kept{net.p, start.p},   Kept{net.vol, start.vol}, Kept{net.fla, start.fla}, Kept{net.fl, start.fl},
          Kept{net.fd, start.fd}, Kept{r1, start.r1},       Kept{r2, start.r2}};
}

}  // namespace

// ---- The state a rejected step puts back --------------------------------

void fl_step_start_size(const FlNetwork& net, bool humid, FlReals r1, FlReals r2, FlStepStart& start) {
  for (Kept& k : kept(net, r1, r2, start)) k.store.assign(static_cast<std::size_t>(k.model.size()), 0.0);
  const std::size_t words = humid ? static_cast<std::size_t>(net.nf) : 0;
  for (std::vector<double>* v : {&start.w, &start.phi, &start.vq}) v->assign(words, 0.0);
}

void fl_step_start_save(const FlNetwork& net, bool humid, FlReals r1, FlReals r2, const FlTimeLag& lag,
                        FlStepStart& start) {
  for (Kept& k : kept(net, r1, r2, start)) std::copy(k.model.begin(), k.model.end(), k.store.begin());
  if (humid) {
    std::copy(net.w.begin(), net.w.end(), start.w.begin());
    std::copy(net.phi.begin(), net.phi.end(), start.phi.begin());
    std::copy(net.vq.begin(), net.vq.end(), start.vq.begin());
  }
  start.lag_time = lag.time;
  start.lag_pointer = lag.pointer;
}

void fl_step_start_restore(const FlNetwork& net, bool humid, FlReals r1, FlReals r2, FlTimeLag& lag,
                           FlStepStart& start) {
  for (Kept& k : kept(net, r1, r2, start)) std::copy(k.store.begin(), k.store.end(), k.model.begin());
  if (humid) {
    for (int k = 1; k <= net.nf; ++k) {
      if (!(net.ftypes(k) == "AIRW")) continue;
      const auto j = static_cast<std::size_t>(k - 1);
      net.w(k) = start.w[j];
      net.phi(k) = start.phi[j];
      net.vq(k) = start.vq[j];
    }
  }
  lag.time = start.lag_time;
  lag.pointer = start.lag_pointer;
}

void fl_step_start_next(const FlNetwork& net, bool humid, FlReals r1, FlReals r2, FlTimeLag& lag, bool accepted,
                        FlStepStart& start) {
  if (accepted) fl_step_start_save(net, humid, r1, r2, lag, start);
  else fl_step_start_restore(net, humid, r1, r2, lag, start);
}

// ---- Output times ----------------------------------------------------------

void fl_first_output_time(FlClock& clock) {
  clock.nominal = GLOR.TIMEO + GLOR.OUTINT;
  clock.next = clock.nominal <= GLOR.TIMEND ? clock.nominal : GLOR.TIMEND;
  LEVTIM(clock.events, "OUTPUT", clock.nev, GLOR.TIMEO, clock.next);
}

void fl_next_output_time(FlClock& clock, double from) {
  if (GLOR.TIMEN >= clock.nominal) clock.nominal += GLOR.OUTINT;
  clock.next = clock.nominal <= GLOR.TIMEND ? clock.nominal : GLOR.TIMEND;
  LEVTIM(clock.events, "OUTPUT", clock.nev, from, clock.next);
}

void fl_outputs_if_due(FlClock& clock) {
  if (GLOR.TIMEN >= clock.next) {
    OUTPUT();
    fl_next_output_time(clock, GLOR.TIMEN);
  }
}

// ---- Step placement and acceptance --------------------------------------

bool fl_loop_done() { return GLOR.TIMEND <= GLOR.TIMEO + kFlEndShare * GLOR.DTIMEU; }

double fl_asked_step() {
  double d = GLOR.DTIMEI;
  if (GLOR.DTMAX < d) d = GLOR.DTMAX;
  if (GLOR.DTMIN > d) d = GLOR.DTMIN;
  return d;
}

void fl_require_advance(const FlClock& clock) {
  if (!(GLOR.TIMEN > GLOR.TIMEO) && !fl_loop_done()) ERROR(clock.routine);
}

void fl_place_step_towards(const FlClock& clock, double bound, double s) {
  const double ahead = GLOR.TIMEO + 2.0 * s;
  GLOR.TIMEN = bound < ahead ? bound : ahead;
  LEVTIM(clock.events, "TIMESTEP", clock.nev, GLOR.TIMEO, GLOR.TIMEN);
  if (GLOR.TIMEN > GLOR.TIMEO + s) GLOR.TIMEN = (GLOR.TIMEN + GLOR.TIMEO) * 0.5;
  GLOR.DTIMEU = GLOR.TIMEN - GLOR.TIMEO;
  GLOR.TIMEM = (GLOR.TIMEO + GLOR.TIMEN) * 0.5;
  fl_require_advance(clock);
}

void fl_place_step(const FlClock& clock) {
  GLOR.DTIMEU = fl_asked_step();
  fl_place_step_towards(clock, clock.next, GLOR.DTIMEU);
}

void fl_place_thermal_step(const FlClock& clock, double s) {
  const double ahead = GLOR.TIMEOT + 2.0 * s;
  GLOR.TIMENT = clock.next < ahead ? clock.next : ahead;
  LEVTIM(clock.events, "TIMESTEP", clock.nev, GLOR.TIMEOT, GLOR.TIMENT);
  if (GLOR.TIMENT > GLOR.TIMEOT + s) GLOR.TIMENT = (GLOR.TIMENT + GLOR.TIMEOT) * 0.5;
  GLOR.DTIMUT = GLOR.TIMENT - GLOR.TIMEOT;
}

void FSTIME(const FlNetwork& net, FlClock& clock, std::string_view present, int hydraulic, double change,
            const FlStepArrays& s, FlExceedances& counts, int& accepted) {
  const bool thermal = present.size() >= 1 && present[0] == 'Y';
  const bool fluid = present.size() >= 2 && present[1] == 'Y';
  if (fl_step_repeated(change)) {
    // Repeat the step from the same TIMEO with a shorter one.
    const double cut = kFlStepCut * GLOR.DTIMEU * GLOR.DTPMAX / change;
    double d = cut < GLOR.DTMAX ? cut : GLOR.DTMAX;  // a cut that is not a number gives DTMAX
    if (GLOR.DTMIN > d) d = GLOR.DTMIN;
    GLOR.DTIMEU = d;
    GLOR.TIMEN = GLOR.TIMEO + GLOR.DTIMEU;
    GLOR.TIMEM = GLOR.TIMEO + GLOR.DTIMEU / 2.0;
    if (thermal) fl_copy(net.nt, s.told, s.tnew);
    if (fluid) fl_copy(net.nf, s.tfold, s.tfnew);
    accepted = 0;
    return;
  }
  accepted = 1;
  if (GLOR.DTPMAX < change) ++counts.dtpmax;  // already at DTMIN: accepted and counted
  if (thermal) fl_copy(net.nt, s.tnew, net.t);
  if (fluid) fl_copy(net.nf, s.tfnew, net.tf);
  V20001();
  fl_outputs_if_due(clock);
  GLOR.TIMEO = GLOR.TIMEN;
  fl_place_step(clock);
  if (GLOR.RELXCC > GLOR.RELXCA) ++counts.relxca;
  if (GLOR.FRLXCC > GLOR.FRLXCA) ++counts.frlxca;
  if (hydraulic == 0) ++counts.relxma;
}

void FMTIME(const FlNetwork& net, FlClock& clock, std::string_view present, int hydraulic, double change,
            const FlStepArrays& s, FlExceedances& counts, bool& completed, bool& accepted) {
  const bool thermal = present.size() >= 1 && present[0] == 'Y';
  const bool fluid = present.size() >= 2 && present[1] == 'Y';
  if (fl_step_repeated(change)) {
    const double cut = kFlStepCut * GLOR.DTIMEU * GLOR.DTPMAX / change;
    double d = cut > GLOR.DTMIN ? cut : GLOR.DTMIN;  // a cut that is not a number gives DTMIN
    if (GLOR.DTMAX < d) d = GLOR.DTMAX;
    GLOR.DTIMEU = d;
    GLOR.TIMEN = GLOR.TIMEO + GLOR.DTIMEU;
    GLOR.TIMEM = GLOR.TIMEO + GLOR.DTIMEU / 2.0;
    if (thermal) fl_copy(net.nt, s.told, s.tnew);
    if (fluid) fl_copy(net.nf, s.tfold, s.tfnew);
    accepted = false;
    return;
  }
  accepted = true;
  if (GLOR.DTPMAX < change) ++counts.dtpmax;  // already at DTMIN: accepted and counted
  if (thermal) fl_copy(net.nt, s.tnew, net.t);
  if (fluid) fl_copy(net.nf, s.tfnew, net.tf);
  V20001();
  // What VARIABLES2 changed is carried on.
  fl_copy(net.nt, net.t, s.tnew);
  fl_copy(net.nt, net.t, s.told);
  fl_copy(net.nf, net.tf, s.tfnew);
  fl_copy(net.nf, net.tf, s.tfold);
  fl_outputs_if_due(clock);
  GLOR.TIMEO = GLOR.TIMEN;
  // The thermal step is finished when its end lies within a tenth of the
  // sub-step just made (a test relative to the step, not to the clock,
  // which at large times would end thermal steps early).
  if (GLOR.TIMENT <= GLOR.TIMEN + kFlEndShare * GLOR.DTIMEU) {
    completed = true;
    GLOR.TIMEOT = GLOR.TIMEN;
    fl_place_thermal_step(clock, fl_asked_step());
  } else {
    completed = false;
  }
  const double p = GLOR.TIMENT - GLOR.TIMEO;
  const double dtimif = GLOR.DTIMIF;
  if (kFlStepAtMinimum * p > 2.0 * dtimif) {
    GLOR.TIMEN = GLOR.TIMEO + dtimif;
  } else if (p > kFlStepAtMinimum * dtimif) {
    GLOR.TIMEN = GLOR.TIMEO + p / 2.0;
  } else {
    GLOR.TIMEN = GLOR.TIMENT;
  }
  GLOR.DTIMEU = GLOR.TIMEN - GLOR.TIMEO;
  GLOR.TIMEM = (GLOR.TIMEO + GLOR.TIMEN) / 2.0;
  fl_require_advance(clock);
  if (GLOR.RELXCC > GLOR.RELXCA) ++counts.relxca;
  if (GLOR.FRLXCC > GLOR.FRLXCA) ++counts.frlxca;
  if (hydraulic == 0) ++counts.relxma;
}

void fl_end_warnings(std::string_view prefix, std::string_view routine, const FlExceedances& counts, int steps) {
  struct Row {
    const char* name;
    int count, code;
  };
  const Row rows[] = {{"RELXCA", counts.relxca, 1},
                      {"FRLXCA", counts.frlxca, 3},
                      {"RELXMA", counts.relxma, 5},
                      {"DTPMAX", counts.dtpmax, 7}};
  for (const Row& r : rows) {
    if (r.count <= 0) continue;
    const bool few = static_cast<double>(r.count) / static_cast<double>(steps) < kFlFrequentShare;
    std::string text = std::string(prefix) + ": " + r.name +
                       (few ? " exceeded in up to 10% of time steps" : " exceeded in more than 10% of time steps");
    text.resize(kWarningField, ' ');
    SETERX(text, 2, few ? r.code : r.code + 1, routine);
  }
}
