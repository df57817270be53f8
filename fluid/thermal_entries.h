// The entries of the linked thermal list that count in the conductance sums
// of the thermal nodes, taken out of the list once and walked as ranges by
// the sweeps of the implicit step (STSTAB, SFBKTS), which walk every node's
// list many times a step.
//
// For each thermal node of status "D" (the only nodes the sweeps update)
// the list holds, in the order of a walk of the node's linked list with
// STUNPK (flag 0, fluid-loop form), the (neighbour, conductor) pairs that
// walk returns whose conductor is active ("A"), a GF pair only where its
// conductor number is positive (the conductor's downstream end): its GL
// entries, then its GR entries, then its GF entries, as the sub-lists come.
// Every sum over the ranges therefore adds the same terms in the same order
// as the per-entry walk of SRGSUM and SFGSUM, bit for bit.
//
// What the choice of entries depends on: the linked list itself, the node
// statuses (the "D" nodes, the "X" and "C" neighbours the walk passes over)
// and the conductors' activity letters. A user block may change the letters
// between two sweeps, so the entries keep a copy of every letter they were
// taken with, and fl_thermal_entries_current compares the letters as they
// stand with that copy before a sweep and takes the entries again when any
// differs, or when the status generation (modeldata/status_changes.h) has
// moved: a snapshot restore, which moves it, also puts the lists back.
// Conductor values are not copied: the sums read them from the conductor
// arrays when they add them, so a value a user block changes counts at once.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "fluid/conductance_sums.h"
#include "fluid/fluid_network.h"

struct FlThermalEntries {
  // (neighbour, conductor) of entry e at words 2e - 2 and 2e - 1 (entries
  // from 1, conductor numbers positive).
  std::vector<std::int32_t> pairs;
  // 3 nt + 1 words: node i's GL entries are first[3i - 3] .. first[3i - 2]
  // - 1, its GR entries up to first[3i - 1] - 1, its GF entries up to
  // first[3i] - 1 (empty for a node not "D").
  std::vector<std::int32_t> first;
  // The letters the entries were taken with (statuses, GL, GR, GF
  // activities), and the list they were taken from.
  std::vector<char> tstat, glacts, gracts, gfacts;
  const std::int32_t* pcs = nullptr;
  const std::int32_t* ptrs = nullptr;
  int nt = -1;
  std::uint64_t generation = 0;
  bool taken = false;

  int gl_begin(int i) const { return first[static_cast<std::size_t>(3 * i - 3)]; }
  int gr_begin(int i) const { return first[static_cast<std::size_t>(3 * i - 2)]; }
  int gf_begin(int i) const { return first[static_cast<std::size_t>(3 * i - 1)]; }
  int end(int i) const { return first[static_cast<std::size_t>(3 * i)]; }
  int neighbour(int e) const { return pairs[static_cast<std::size_t>(2 * e - 2)]; }
  int conductor(int e) const { return pairs[static_cast<std::size_t>(2 * e - 1)]; }
};

// Sizes the storage of e for net, once per solution run: the pairs for
// every pair the linked list can hold, the ranges and the letter copies.
// The entries are taken at the first fl_thermal_entries_current.
void fl_thermal_entries_size(const FlNetwork& net, FlThermalEntries& e);

// Takes the entries again when a letter they depend on has changed since
// they were taken (or they never were). The walks carry the guards of the
// per-entry walks: STUNPK's within a walk, and `routine`'s (the routine
// whose per-entry walk the entries stand for) over the entries of one node;
// a node whose walk returns more entries than its list has states (position
// and sub-list) never ends its walk and stops the run through ERROR naming
// `routine`, as the guard would after 2,000,000,000 entries. Lists that
// share words between nodes of status "D" can hold more entries than the
// list has pairs: the storage then grows, here and never in a sweep.
void fl_thermal_entries_current(const FlNetwork& net, FlThermalEntries& e, std::string_view routine);

// Relative temperature of list neighbour n: a thermal node, or fluid node
// n - nt.
inline double fl_entry_temperature(int nt, FlCReals t, FlCReals tf, int n) { return n > nt ? tf(n - nt) : t(n); }

// The thermal node a sweep updated last and the temperature it stored in
// t: a neighbour that is this node takes the value from here, the same
// bits, without waiting for the store to reach the load (the path from one
// node's update to the next is the time of a Gauss-Seidel sweep). Node 0
// is no node.
struct FlLastUpdate {
  int node = 0;
  double t = 0.0;
};

// SFGSUM of thermal node i (status "D") over its entries: the same terms in
// the same order.
inline FlSums fl_entry_sums(const FlNetwork& net, const FlThermalEntries& e, int i, FlCReals t, FlCReals tf,
                            FlLastUpdate updated = {}) {
  const int nt = net.nt;
  const double tabs = net.tabs();
  const FlCReals gl = net.gl, gr = net.gr, gf = net.gf;
  auto temperature = [&](int n) {
    if (n == updated.node) return updated.t;
    return fl_entry_temperature(nt, t, tf, n);
  };
  double g_sum = 0.0, gt_sum = 0.0, r_sum = 0.0, rt_sum = 0.0;
  for (int k = e.gl_begin(i), last = e.gr_begin(i); k < last; ++k) {
    const double g = gl(e.conductor(k));
    g_sum += g;
    gt_sum += g * (temperature(e.neighbour(k)) + tabs);
  }
  for (int k = e.gr_begin(i), last = e.gf_begin(i); k < last; ++k) {
    const double g = gr(e.conductor(k));
    const double ta = temperature(e.neighbour(k)) + tabs;
    r_sum += g;
    rt_sum += g * (((ta * ta) * ta) * ta);
  }
  for (int k = e.gf_begin(i), last = e.end(i); k < last; ++k) {
    const double g = gf(e.conductor(k));
    g_sum += g;
    gt_sum += g * (temperature(e.neighbour(k)) + tabs);
  }
  FlSums s;
  s.sg = g_sum;
  s.sgt = gt_sum;
  s.sr = r_sum * net.stefan();
  s.srt = rt_sum * net.stefan();
  return s;
}

// SRGSUM (FSTGSM) of thermal node i (status "D") over its entries: radiation
// linearised, the same terms in the same order.
inline void fl_entry_linearised_sums(const FlNetwork& net, const FlThermalEntries& e, int i, FlCReals t, FlCReals tf,
                                     double& sumg, double& sumgt) {
  const int nt = net.nt;
  const double tabs = net.tabs(), stefan = net.stefan();
  const double ti = t(i) + tabs;
  const FlCReals gl = net.gl, gr = net.gr, gf = net.gf;
  double g_sum = 0.0, gt_sum = 0.0;
  for (int k = e.gl_begin(i), last = e.gr_begin(i); k < last; ++k) {
    const double g = gl(e.conductor(k));
    g_sum += g;
    gt_sum += g * fl_entry_temperature(nt, t, tf, e.neighbour(k));
  }
  for (int k = e.gr_begin(i), last = e.gf_begin(i); k < last; ++k) {
    const double tn = fl_entry_temperature(nt, t, tf, e.neighbour(k));
    const double ta = tn + tabs;
    const double g = ((gr(e.conductor(k)) * stefan) * (ti * ti + ta * ta)) * (ti + ta);
    g_sum += g;
    gt_sum += g * tn;
  }
  for (int k = e.gf_begin(i), last = e.end(i); k < last; ++k) {
    const double g = gf(e.conductor(k));
    g_sum += g;
    gt_sum += g * fl_entry_temperature(nt, t, tf, e.neighbour(k));
  }
  sumg = g_sum;
  sumgt = gt_sum;
}
