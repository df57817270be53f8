// The spacecraft-like networks of bench/spacecraft.h as model database
// files, for the benchmarks that load them (bench_load, bench_tmd_write):
// one model holding everything, or panels as submodels with the conductors
// between panels and to deep space as inter-model links of the main model;
// with the sizes (FLAGS) a generated program would have for them, the
// allocation of the global arrays from those sizes and the process set-up
// that a load needs.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bench/spacecraft.h"
#include "bench/support/allocate.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "platform/process.h"
#include "platform/units.h"
#include "tools/acd_writer.h"
#include "tools/mdb_writer.h"

namespace spacecraft {

inline constexpr const char* kModel = "SCLOAD";

inline std::size_t z(int i) { return static_cast<std::size_t>(i); }

// A database with its generated program's sizes.
struct Case {
  mdbw::Database db;
  int flags[41] = {};
  long long entries = 0;  // compact-list entries expected (two per conductor)
};

// The state before a load of a case: the global arrays allocated as its
// generated program's run driver allocates them (one user entity name row
// of three kinds), the message counters, job name and control constants
// as a run starts.
inline void prepare_load(const Case& c) {
  FLAGS = FlagsRecord{};
  for (int i = 0; i < 41; ++i) FLAGS(i + 1) = c.flags[i];
  SPRSIZ = SprsizRecord{};
  SPRSIZ(1) = 1;
  SPRSIZ(2) = 3;
  bench::allocate_from_flags();
  reset_message_counters();
  JOBINF.jobname = kModel;
  GLOR = GlorRecord{};
  GLOI = GloiRecord{};
}

// Sets up the process for loads of these databases, as the run driver would
// before one: fatal ends as exceptions, the print record, the listing to
// /dev/null and the model's empty analysis-case file.
inline void prepare_loads() {
  plat::set_exit_throws(true);
  PRTINF(1) = 60;
  PRTINF(2) = 1;
  PRTINF(3) = 6;
  PRTINF(4) = 1;
  acdw::write_empty_case(std::string(kModel) + ".acd");
  plat::io::open_unit(6, "/dev/null", plat::io::Form::Formatted, "UNKNOWN");
}

// List 68 of the main model: local integers NODES, NODESM, then the global
// integer and real constants (LENGTH 60).
inline std::vector<double> control_constants(bool main_model) {
  std::vector<double> v(main_model ? 76 : 2, 0.0);
  if (main_model) v[2 + 5] = 60;
  return v;
}

// The node lists of one model: its nodes given by generator index (1-based)
// with their numbers.
inline void node_lists(mdbw::Model& md, const spacecraft::Network& net, const std::vector<int>& nodes,
                       const std::vector<int>& numbers) {
  const std::size_t n = nodes.size();
  std::vector<double> t(n, 20.0), c(n, 100.0), qs(n), qi(n), zero(n, 0.0), area(n, 0.01), alp(n, 0.3), eps(n, 0.8);
  std::vector<std::string> labels(n), statuses(n, "D");
  for (std::size_t k = 0; k < n; ++k) {
    const int i = nodes[k];
    qs[k] = net.solar[z(i - 1)];
    qi[k] = net.internal[z(i - 1)];
    labels[k] = "NODE " + std::to_string(numbers[k]);
    if (i == net.n) {
      t[k] = -270.0;
      statuses[k] = "B";
    }
  }
  md.ints(1, numbers).reals(2, t).reals(3, c).reals(4, zero).reals(5, zero).reals(6, qi).reals(7, qs);
  md.reals(8, zero).reals(9, area).reals(10, alp).reals(11, eps).texts(12, 24, labels).texts(13, 1, statuses);
  md.reals(72, zero).reals(73, zero).reals(74, zero).reals(96, zero).reals(97, zero).reals(98, zero);
}

// Values, activities and node pairs (sorted by first node, as the
// preprocessor writes them) of conductors within one model.
inline void conductor_lists(mdbw::Model& md, std::vector<spacecraft::Conductor> gl,
                            std::vector<spacecraft::Conductor> gr, const std::vector<int>& number) {
  auto by_first = [](const spacecraft::Conductor& x, const spacecraft::Conductor& y) { return x.a < y.a; };
  std::stable_sort(gl.begin(), gl.end(), by_first);
  std::stable_sort(gr.begin(), gr.end(), by_first);
  auto put = [&](int vkey, int akey, int pkey, const std::vector<spacecraft::Conductor>& cs) {
    if (cs.empty()) return;
    std::vector<double> v;
    std::vector<std::int32_t> p;
    for (const auto& c : cs) {
      v.push_back(c.g);
      p.push_back(number[z(c.a)]);
      p.push_back(number[z(c.b)]);
    }
    md.reals(vkey, v).texts(akey, 1, std::vector<std::string>(cs.size(), "A")).ints(pkey, p);
  };
  put(14, 18, 69, gl);
  put(15, 19, 70, gr);
}

inline void set_flags(Case& c, int nt, int ngl, int ngr, int nm, long long lpcsold, int w25, long long dystor) {
  const int words[41] = {nt,  ngl, 0,   ngr,
                         0,   0,   0,   0,
                         0,   0,   2,   0,
                         49,  25,  16,  0,
                         92,  0,   0,   0,
                         0,   0,   0,   static_cast<int>(lpcsold),
                         w25, nm,  133, static_cast<int>(dystor),
                         1,   0,   0,   0,
                         0,   0,   0,   1,
                         0,   0,   0,   0,
                         0};
  std::copy(words, words + 41, c.flags);
}

// The numbering of the one-model layout: 10 x the node's index, the
// deep-space node 999999999.
inline int gapped_number(int i, int n) { return i == n ? 999999999 : 10 * i; }

// One model holding the whole network; node i (1..n) gets the number
// number_of(i, n), which must rise with i.
inline Case one_model(const spacecraft::Network& net,
                      const std::function<int(int, int)>& number_of = gapped_number) {
  Case c;
  c.db.name = kModel;
  const int n = net.n;
  std::vector<int> nodes(z(n)), numbers(z(n)), number(z(n) + 1);
  for (int i = 1; i <= n; ++i) {
    nodes[z(i - 1)] = i;
    number[z(i)] = numbers[z(i - 1)] = number_of(i, n);
  }
  auto& md = c.db.add_model(kModel, 0);
  node_lists(md, net, nodes, numbers);
  conductor_lists(md, net.gl, net.gr, number);
  std::vector<std::pair<int, int>> targets;
  for (int j = 1; j <= net.ntied; ++j) targets.push_back({1, number[z(net.nsolved + j)]});
  md.same_node_list({{{1, number[1]}, targets}});
  md.id_card({0, 0, 0});
  md.control_constants(control_constants(true));
  const int ngl = static_cast<int>(net.gl.size()), ngr = static_cast<int>(net.gr.size());
  const int w25 = 2 * (4 + net.ntied);
  const long long lpcsold = 6LL * n + 4LL * (ngl + ngr) + w25 / 2 + 64;
  const long long dystor = 12LL * n + ngl + ngr + 2LL * w25 + 4096;
  set_flags(c, n, ngl, ngr, 1, lpcsold, w25, dystor);
  c.entries = 2LL * (ngl + ngr);
  return c;
}

// Panels as submodels; conductors between panels and to deep space as
// inter-model links of the main model.
inline Case submodels(const spacecraft::Network& net) {
  Case c;
  c.db.name = kModel;
  const int n = net.n;
  // Panels: runs of nodes joined by the GL grid (the generator's panels).
  std::vector<int> panel(z(n) + 1, -1);
  {
    // A panel is a run of consecutive nodes; a GL between i and i+1 or a
    // grid step keeps nodes together, the bolted joints and GR do not. The
    // generator's grid never spans panels except through the four joints,
    // whose conductor value is exactly 0.2.
    std::vector<int> parent(z(n) + 1);
    for (int i = 0; i <= n; ++i) parent[z(i)] = i;
    auto root = [&](int x) {
      while (parent[z(x)] != x) x = parent[z(x)] = parent[z(parent[z(x)])];
      return x;
    };
    for (const auto& g : net.gl)
      if (g.g != 0.2) parent[z(root(g.b))] = root(g.a);
    int np = 0;
    std::vector<int> id(z(n) + 1, -1);
    for (int i = 1; i <= net.nsolved; ++i) {
      const int r = root(i);
      if (id[z(r)] < 0) id[z(r)] = np++;
      panel[z(i)] = id[z(r)];
    }
  }
  int npanels = 0;
  for (int i = 1; i <= net.nsolved; ++i) npanels = std::max(npanels, panel[z(i)] + 1);
  // Model 1: tied nodes numbered 1.., deep space 99999999; panel p is model
  // p + 2 with its nodes numbered 1.. in index order.
  std::vector<int> model(z(n) + 1), number(z(n) + 1);
  std::vector<std::vector<int>> nodes(z(npanels) + 1), numbers(z(npanels) + 1);
  for (int j = 1; j <= net.ntied; ++j) {
    const int i = net.nsolved + j;
    model[z(i)] = 1;
    number[z(i)] = j;
  }
  model[z(n)] = 1;
  number[z(n)] = 99999999;
  for (int i = 1; i <= n; ++i) {
    const int m = i <= net.nsolved ? panel[z(i)] + 2 : 1;
    model[z(i)] = m;
    if (m > 1) number[z(i)] = static_cast<int>(nodes[z(m - 1)].size()) + 1;
    nodes[z(m - 1)].push_back(i);
    numbers[z(m - 1)].push_back(number[z(i)]);
  }
  std::vector<std::vector<spacecraft::Conductor>> gl(z(npanels) + 1), gr(z(npanels) + 1);
  std::vector<spacecraft::Conductor> xgl, xgr;
  for (const auto& g : net.gl) (model[z(g.a)] == model[z(g.b)] ? gl[z(model[z(g.a)] - 1)] : xgl).push_back(g);
  for (const auto& g : net.gr) (model[z(g.a)] == model[z(g.b)] ? gr[z(model[z(g.a)] - 1)] : xgr).push_back(g);
  for (int m = 1; m <= npanels + 1; ++m) {
    auto& md = c.db.add_model(m == 1 ? kModel : "PANEL" + std::to_string(m - 1), m == 1 ? 0 : 1);
    node_lists(md, net, nodes[z(m - 1)], numbers[z(m - 1)]);
    conductor_lists(md, gl[z(m - 1)], gr[z(m - 1)], number);
    if (m == 1) {
      auto links = [&](int vkey, int akey, int pkey, const std::vector<spacecraft::Conductor>& cs) {
        std::vector<double> v;
        std::vector<std::int32_t> p;
        for (const auto& g : cs) {
          v.push_back(g.g);
          p.insert(p.end(), {model[z(g.a)] - 1, number[z(g.a)], model[z(g.b)] - 1, number[z(g.b)]});
        }
        md.reals(vkey, v).texts(akey, 1, std::vector<std::string>(cs.size(), "A")).ints(pkey, p);
      };
      links(22, 26, 30, xgl);
      links(23, 27, 31, xgr);
      std::vector<std::pair<int, int>> targets;
      for (int j = 1; j <= net.ntied; ++j) targets.push_back({1, j});
      md.same_node_list({{{model[1], number[1]}, targets}});
    }
    md.id_card({0, 0, 0});
    md.control_constants(control_constants(m == 1));
  }
  const int ngl = static_cast<int>(net.gl.size()), ngr = static_cast<int>(net.gr.size());
  const int w25 = 2 * (4 + net.ntied);
  std::size_t largest = 0;
  for (int m = 1; m <= npanels + 1; ++m)
    largest = std::max(largest, 6 * nodes[z(m - 1)].size() + 4 * (gl[z(m - 1)].size() + gr[z(m - 1)].size()));
  const long long lpcsold = 6LL * n + 4LL * (ngl + ngr) + static_cast<long long>(largest) + w25 / 2 + 64;
  const long long links = static_cast<long long>(xgl.size() + xgr.size());
  const long long dystor = 12LL * n + ngl + ngr + 2LL * w25 + 8 * links + 4096;
  set_flags(c, n, ngl, ngr, npanels + 1, lpcsold, w25, dystor);
  c.entries = 2LL * (ngl + ngr);
  return c;
}

}  // namespace spacecraft
