// Speed of the model database load against reading the file's bytes.
//
// For each size (10,000, 100,000 and 300,000 nodes, or the sizes given on
// the command line after an optional layout, "one" or "sub") the spacecraft-like network of bench/spacecraft.h is
// written as a model database in two layouts:
//   - one model: every node and conductor in the main model, node numbers
//     ascending with gaps (10 x index) and the deep-space node numbered
//     999,999,999;
//   - submodels: each panel a submodel numbered from 1; the main model holds
//     the tied nodes and the deep-space node, and every conductor between
//     panels or to deep space as an inter-model link.
// The tied nodes copy node 1 through the same-node list in both layouts.
// For each file it prints the best of several timings of reading the whole
// file into memory and of the load (SCOMLD: reading, connection lists,
// links, node-copy list, compact lists), their ratio, and checks the
// compact lists. The last line gives the largest ratio at the largest size
// and the growth exponent of the load time between the two largest sizes
// (load time ~ N^exponent), the larger of the two layouts.
//
// This program is its own model program: it supplies the five blocks.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/spacecraft.h"
#include "casedata/acda_arrays_load.h"
#include "executive/diagnostics.h"
#include "model/generated_program.h"
#include "modeldata/control_constants.h"
#include "modeldata/global_arrays.h"
#include "modeldata/global_records.h"
#include "modeldata/mdb_load.h"
#include "platform/process.h"
#include "platform/units.h"
#include "tools/acd_writer.h"
#include "tools/mdb_writer.h"

void IN0001() {}
void EXECTN() {}
void V10001() {}
void V20001() {}
void OUTPUT() {}
void GM0001(bool&) {}

namespace {

using Clock = std::chrono::steady_clock;
double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

constexpr const char* kModel = "SCLOAD";

std::size_t z(int i) { return static_cast<std::size_t>(i); }

// A database with its generated program's sizes.
struct Case {
  mdbw::Database db;
  int flags[41] = {};
  long long entries = 0;  // compact-list entries expected (two per conductor)
};

// List 68 of the main model: local integers NODES, NODESM, then the global
// integer and real constants (LENGTH 60).
std::vector<double> control_constants(bool main_model) {
  std::vector<double> v(main_model ? 76 : 2, 0.0);
  if (main_model) v[2 + 5] = 60;
  return v;
}

// The node lists of one model: its nodes given by generator index (1-based)
// with their numbers.
void node_lists(mdbw::Model& md, const spacecraft::Network& net, const std::vector<int>& nodes,
                const std::vector<int>& numbers) {
  const std::size_t n = nodes.size();
  std::vector<double> t(n, 20.0), c(n, 100.0), qs(n), qi(n), zero(n, 0.0), area(n, 0.01), alp(n, 0.3),
      eps(n, 0.8);
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
void conductor_lists(mdbw::Model& md, std::vector<spacecraft::Conductor> gl, std::vector<spacecraft::Conductor> gr,
                     const std::vector<int>& number) {
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

void set_flags(Case& c, int nt, int ngl, int ngr, int nm, long long lpcsold, int w25, long long dystor) {
  const int words[41] = {nt, ngl, 0, ngr, 0, 0, 0, 0, 0, 0, 2, 0, 49, 25, 16, 0, 92, 0, 0, 0, 0, 0, 0,
                         static_cast<int>(lpcsold), w25, nm, 133, static_cast<int>(dystor), 1, 0, 0, 0, 0, 0, 0,
                         1, 0, 0, 0, 0, 0};
  std::copy(words, words + 41, c.flags);
}

// One model holding the whole network.
Case one_model(const spacecraft::Network& net) {
  Case c;
  c.db.name = kModel;
  const int n = net.n;
  std::vector<int> nodes(z(n)), numbers(z(n)), number(z(n) + 1);
  for (int i = 1; i <= n; ++i) {
    nodes[z(i - 1)] = i;
    number[z(i)] = numbers[z(i - 1)] = i == n ? 999999999 : 10 * i;
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
Case submodels(const spacecraft::Network& net) {
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

void allocate(const Case& c) {
  gar_deallocate_all();
  FLAGS = FlagsRecord{};
  for (int i = 0; i < 41; ++i) FLAGS(i + 1) = c.flags[i];
  SPRSIZ = SprsizRecord{};
  SPRSIZ(1) = 1;
  SPRSIZ(2) = 3;
  int k[28] = {FLAGS(18), FLAGS(28), 18,        FLAGS(35), 4 * (FLAGS(2) + FLAGS(3) + FLAGS(4)),
               FLAGS(24), FLAGS(19), FLAGS(17), FLAGS(16), FLAGS(22),
               FLAGS(9),  FLAGS(8),  FLAGS(3),  FLAGS(32), FLAGS(21),
               FLAGS(7),  FLAGS(2),  FLAGS(33), FLAGS(40), FLAGS(4),
               FLAGS(20), FLAGS(6),  FLAGS(26), FLAGS(1),  SPRSIZ(3),
               SPRSIZ(4), SPRSIZ(5), FLAGS(5)};
  gar_allocate(k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8], k[9], k[10], k[11], k[12], k[13], k[14], k[15],
               k[16], k[17], k[18], k[19], k[20], k[21], k[22], k[23], k[24], k[25], k[26], k[27]);
}

// Reads the whole file into memory.
double time_read(const std::string& path, std::vector<unsigned char>& buf) {
  const auto t0 = Clock::now();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  const std::size_t got = std::fread(buf.data(), 1, buf.size(), f);
  std::fclose(f);
  const double t = seconds_since(t0);
  return got == buf.size() ? t : -1;
}

// One load; false when it did not end with status 0 and the expected lists.
bool time_load(const Case& c, double& seconds) {
  allocate(c);
  reset_message_counters();
  JOBINF.jobname = kModel;
  GLOR = GlorRecord{};
  GLOI = GloiRecord{};
  int status = 0;
  const auto t0 = Clock::now();
  try {
    SCOMLD(10, status);
  } catch (const plat::ProcessExit&) {
    return false;
  }
  seconds = seconds_since(t0);
  if (status != 0) return false;
  long long entries = 0;
  for (int i = 1; i <= FLAGS(1); ++i)
    for (int k = 2; k <= 6; k += 2) entries += gar_pcsptrsthermal(k, i);
  const int tied = FLAGS(25) > 4 ? gar_pcsthermalold(FLAGS(24) - FLAGS(25) + 4) : 0;
  return entries == c.entries && tied > 0;
}

struct Result {
  double read = 0, load = 0;
};

Result measure(const char* layout, int n, const Case& c) {
  const std::string path = std::string(kModel) + ".MDB";
  c.db.write(path);
  const std::vector<unsigned char> bytes = c.db.bytes();
  std::vector<unsigned char> buf(bytes.size());
  const int reps = n >= 300000 ? 3 : (n >= 100000 ? 5 : 10);
  Result r{1e30, 1e30};
  for (int k = 0; k < reps; ++k) r.read = std::min(r.read, time_read(path, buf));
  for (int k = 0; k < reps; ++k) {
    double t = 0;
    if (!time_load(c, t)) {
      std::printf("%-10s %8d nodes: the load failed\n", layout, n);
      std::exit(1);
    }
    r.load = std::min(r.load, t);
  }
  std::printf("%-10s %8d nodes  %4d models  file %7.1f MB  read %8.3f ms  load %9.3f ms  load/read %6.2f\n", layout,
              n, c.flags[25], static_cast<double>(bytes.size()) / 1e6, 1e3 * r.read, 1e3 * r.load, r.load / r.read);
  std::fflush(stdout);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {10000, 100000, 300000};
  bool with_one = true, with_sub = true;
  int first = 1;
  if (argc > 1 && (std::string(argv[1]) == "one" || std::string(argv[1]) == "sub")) {
    with_one = std::string(argv[1]) == "one";
    with_sub = !with_one;
    first = 2;
  }
  if (argc > first) {
    sizes.clear();
    for (int i = first; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  }
  sizes.erase(std::remove_if(sizes.begin(), sizes.end(), [](int n) { return n < 100; }), sizes.end());
  if (sizes.empty()) return 1;
  std::sort(sizes.begin(), sizes.end());
  plat::set_exit_throws(true);
  PRTINF(1) = 60;
  PRTINF(2) = 1;
  PRTINF(3) = 6;
  PRTINF(4) = 1;
  acdw::write_empty_case(std::string(kModel) + ".acd");
  plat::io::open_unit(6, "/dev/null", plat::io::Form::Formatted, "UNKNOWN");
  std::vector<Result> one, sub;
  for (int n : sizes) {
    const spacecraft::Network net = spacecraft::generate(n, 12345u + static_cast<unsigned>(n));
    if (with_one) one.push_back(measure("one model", n, one_model(net)));
    if (with_sub) sub.push_back(measure("submodels", n, submodels(net)));
  }
  double ratio = 0, growth = 0;
  for (const auto* rs : {&one, &sub}) {
    if (rs->empty()) continue;
    ratio = std::max(ratio, rs->back().load / rs->back().read);
    if (sizes.size() >= 2) {
      const double nn = static_cast<double>(sizes.back()) / sizes[sizes.size() - 2];
      growth = std::max(growth, std::log((*rs)[rs->size() - 1].load / (*rs)[rs->size() - 2].load) / std::log(nn));
    }
  }
  std::printf("load/read at %d nodes %.2f, load time growth N^%.2f from %d to %d nodes\n", sizes.back(), ratio,
              growth, sizes.size() >= 2 ? sizes[sizes.size() - 2] : sizes.back(), sizes.back());
  std::remove((std::string(kModel) + ".MDB").c_str());
  std::remove((std::string(kModel) + ".acd").c_str());
  return 0;
}
