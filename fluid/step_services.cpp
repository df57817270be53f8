#include "fluid/step_services.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/fluid_constants.h"
#include "fluid/fluid_state.h"
#include "model/generated_program.h"
#include "modeldata/event_arrays.h"
#include "properties/properties.h"

namespace {

// The message field of the end warnings.
constexpr std::size_t kWarningField = 60;

void copy(int n, FlCReals from, FlReals to) {
  for (int i = 1; i <= n; ++i) to(i) = from(i);
}

}  // namespace

// ---- Step placement and acceptance --------------------------------------

bool fl_step_repeated(double change) { return GLOR.DTPMAX < change && GLOR.DTIMEU > kFlStepAtMinimum * GLOR.DTMIN; }

bool fl_loop_done() { return GLOR.TIMEND <= GLOR.TIMEO + kFlEndShare * GLOR.DTIMEU; }

void fl_place_step(const FlClock& clock) {
  double d = GLOR.DTIMEI;
  if (GLOR.DTMAX < d) d = GLOR.DTMAX;
  if (GLOR.DTMIN > d) d = GLOR.DTMIN;
  GLOR.DTIMEU = d;
  const double ahead = GLOR.TIMEO + 2.0 * GLOR.DTIMEU;
  GLOR.TIMEN = clock.next < ahead ? clock.next : ahead;
  LEVTIM(clock.events, "TIMESTEP", clock.nev, GLOR.TIMEO, GLOR.TIMEN);
  if (GLOR.TIMEN > GLOR.TIMEO + GLOR.DTIMEU) GLOR.TIMEN = (GLOR.TIMEN + GLOR.TIMEO) * 0.5;
  GLOR.DTIMEU = GLOR.TIMEN - GLOR.TIMEO;
  GLOR.TIMEM = (GLOR.TIMEO + GLOR.TIMEN) * 0.5;
  if (!(GLOR.TIMEN > GLOR.TIMEO) && !fl_loop_done()) ERROR(clock.routine);
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
    if (thermal) copy(net.nt, s.told, s.tnew);
    if (fluid) copy(net.nf, s.tfold, s.tfnew);
    accepted = 0;
    return;
  }
  accepted = 1;
  if (GLOR.DTPMAX < change) ++counts.dtpmax;  // already at DTMIN: accepted and counted
  if (thermal) copy(net.nt, s.tnew, net.t);
  if (fluid) copy(net.nf, s.tfnew, net.tf);
  V20001();
  if (GLOR.TIMEN >= clock.next) {
    OUTPUT();
    if (GLOR.TIMEN >= clock.nominal) clock.nominal += GLOR.OUTINT;
    clock.next = clock.nominal <= GLOR.TIMEND ? clock.nominal : GLOR.TIMEND;
    LEVTIM(clock.events, "OUTPUT", clock.nev, GLOR.TIMEN, clock.next);
  }
  GLOR.TIMEO = GLOR.TIMEN;
  fl_place_step(clock);
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

// ---- The implicit step ---------------------------------------------------

void FLTNIM(const FlNetwork& net, double dt, const FlStepArrays& s, FlInts tmarks, FlInts fmarks, FlCInts perm,
            FlCReals rho, FlCReals cp, FlCReals vrate, FlCReals r2, FlTimeLag& lag, int& iterations,
            double& change) {
  const int nt = net.nt, nf = net.nf;
  iterations = 0;
  STSOLT("THERMAL");
  if (nt >= 1) {
    copy(nt, net.t, s.told);
    copy(nt, net.t, s.tnew);
    // The latent heat of condensation is a heat source during the step.
    for (int i = 1; i <= nt; ++i) net.qr(i) += r2(i);
  }
  if (nf >= 1) {
    copy(nf, net.tf, s.tfold);
    copy(nf, net.tf, s.tfnew);
  }
  int status = 0;
  if (nt >= 1) STSTAB(net, dt, s, GLOR.CSGMIN, GLOI.NCSGMN, status);
  if (nf >= 1) SFSTAB(net, dt, rho, cp, vrate, lag, s, GLOR.CSGMIN, GLOI.NCSGMN, status);

  LoopGuard guard("FLTNIM");
  bool outer = false;
  do {
    outer = true;
    for (int i = 1; i <= nt; ++i) tmarks(i) = 0;
    for (int i = 1; i <= nf; ++i) fmarks(i) = 0;
    bool inner = false, stop = false;
    do {
      guard.pass();
      inner = true;
      ++iterations;
      V10001();
      if (nt >= 1) SFBKTS(net, dt, s, tmarks, outer, inner);
      if (nf >= 1) SFBKFS(net, dt, rho, cp, vrate, perm, s, fmarks, outer, inner);
      stop = iterations >= GLOI.NLOOPT;
    } while (!inner && !stop);
    if (stop) break;
  } while (!outer && GLOI.METHOD != 0);

  if (nt >= 1) {
    for (int i = 1; i <= nt; ++i) net.qr(i) -= r2(i);
  }
  change = 0.0;
  for (int i = 1; i <= nt; ++i) {
    if (net.tstat(i).c[0] != 'D' || !(std::fabs(net.cap(i)) > kFlTiny)) continue;
    change = std::max(change, std::fabs(s.tnew(i) - s.told(i)));
  }
  for (int i = 1; i <= nf; ++i) {
    const char st = net.fstat(i).c[0];
    if (st != 'F' && st != 'J' && st != 'Q' && st != 'S') continue;
    change = std::max(change, std::fabs(s.tfnew(i) - s.tfold(i)));
  }
  STSOLT("");
}

// ---- Per-step property and link kernels ------------------------------------

void SNFE(const FlNetwork& net, FlReals x) {
  LoopGuard guard("SNFE");
  for (int i = 1; i <= net.nf; ++i) {
    guard.pass();
    const int f = net.fluid_code(i), node = net.global(i);
    // For humid air the quality argument of the property functions is the
    // humidity ratio: its enthalpy is that at the node's own W, not at the
    // phase value of the state pair.
    x(i) = net.ftypes(i) == "AIRW" ? net.w(i) : XGXPT(net.p(i), net.tf(i), f, node);
    net.fe(i) = XENTH(net.p(i), net.tf(i), x(i), f, node);
  }
}

void SCPRHO(const FlNetwork& net, FlReals rho, FlReals cp) {
  LoopGuard guard("SCPRHO");
  for (int i = 1; i <= net.nf; ++i) {
    guard.pass();
    const int f = net.fluid_code(i), node = net.global(i);
    cp(i) = XCP(net.p(i), net.tf(i), net.vq(i), f, node);
    rho(i) = XRHO(net.p(i), net.tf(i), net.vq(i), f, node);
  }
}

void SGMCIM(const FlNetwork& net, FlCReals cp) {
  for (int l = 1; l <= net.nl; ++l) {
    const int a = net.first(l), b = net.second(l);
    net.lcond(l) = (cp(a) + cp(b)) * 0.5 * std::fabs(net.m(l));
  }
}

void SGCOIM(const FlNetwork& net, FlCReals rho, double& dtcour) {
  const double minflo = GLOR.MINFLO;
  for (int l = 1; l <= net.nl; ++l) {
    const int a = net.first(l), b = net.second(l);
    const double flow = std::fabs(net.m(l));
    const double t = (rho(a) + rho(b)) * 0.5 * (net.fl(a) + net.fl(b)) * 0.5 * std::min(net.fla(a), net.fla(b)) /
                     (flow > minflo ? flow : minflo);
    if (t < dtcour) dtcour = t;
  }
}
