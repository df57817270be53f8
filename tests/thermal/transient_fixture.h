// Fixture of the transient frame and Crank-Nicolson tests: control
// constants of a plain run, a listing file whose diagnostic boxes can be
// searched (the helpers of tests/support/listing.h), a dynamic core
// large enough for the routines' blocks, and user arrays for event times;
// and the fixture of the explicit forward and forward-backward tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "casedata/status_flag.h"
#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/network_builder.h"
#include "support/test_env.h"
#include "support/test_model.h"
#include "thermal/thermal_test_fixture.h"

namespace cn_test {

using thermal_test::box_text;
using thermal_test::has_message;
using thermal_test::has_reference;
using thermal_test::kSigma;
using thermal_test::kTabs;
using thermal_test::read_file;
using thermal_test::squeezed;

// Puts the undefined marker into the first word of a real control constant.
inline void set_undefined(double& d) {
  d = 0.0;
  const int marker = SKUNDF();
  std::memcpy(&d, &marker, sizeof marker);
}

// A real control constant's value holding the undefined marker.
inline double undefined_real() {
  double d;
  set_undefined(d);
  return d;
}

// A dynamic core of `words` words on both stacks, the first free words of
// the real and integer stacks at `rtop` and `itop`.
inline void give_core(int words, int rtop, int itop) {
  gar_dynamiccorereal.allocate(words);
  gar_dynamiccoreint.allocate(words);
  FLAGS(FLAGS_DYSTOR) = words;
  FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = rtop;
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = itop;
}

// Builds the network, then gives nodes (by user number) their capacitances.
inline void build_with_caps(tna_test::Network& net, const std::vector<std::pair<int, double>>& caps) {
  net.build();
  for (const auto& [num, c] : caps) gar_thermalnodecapacitances(net.index(num)) = c;
}

class Transient : public thermal_test::ListingTest {
 protected:
  Transient() : ListingTest("cn") {}
  void SetUp() override {
    reset_run();
    SLDINC();
    GLOR.DAMPT = 1.0;
    GLOR.RELXCA = 1e-9;
    GLOR.ARITH = 0.0;
    GLOR.DTIMEI = 1.0;
    GLOR.DTMIN = 1e-6;
    GLOR.DTMAX = 1e6;
    GLOR.DTPMAX = 1e10;
    GLOR.DTROCA = 1e10;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 10.0;
    GLOR.OUTINT = 5.0;
    GLOI.NLOOP = 100;
    GLOI.METHOD = 0;
    GLOC.OUTIME = "ALL";
    JOBINF.jobname = "MAIN";
    fresh_listing();
  }

  // Builds the network, then gives the dynamic core `words` words per stack
  // with both tops at `top`.
  void build(tna_test::Network& net, int words = 4000, int top = 101) {
    net.build();
    give_core(words, top, top);
  }

  // User arrays of one dimension: each (type, values). Replaces the model's
  // (empty) arrays.
  void arrays(const std::vector<std::pair<int, std::vector<double>>>& list) {
    const int n = static_cast<int>(list.size());
    int nvals = 0;
    for (const auto& a : list) nvals += static_cast<int>(a.second.size());
    gar_arraynames.allocate(n);
    gar_arrayinfopointers.allocate(n);
    gar_arrayinfolist.allocate(5 * n);
    gar_arrayvaluesreal.allocate(nvals > 0 ? nvals : 1);
    int p = 1, v = 1;
    for (int k = 1; k <= n; ++k) {
      const auto& a = list[static_cast<std::size_t>(k - 1)];
      const int m = static_cast<int>(a.second.size());
      gar_arrayinfopointers(k) = p;
      gar_arrayinfolist(p) = a.first;
      gar_arrayinfolist(p + 1) = m;
      gar_arrayinfolist(p + 2) = v;
      gar_arrayinfolist(p + 3) = 1;
      gar_arrayinfolist(p + 4) = m;
      for (int j = 0; j < m; ++j) gar_arrayvaluesreal(v + j) = a.second[static_cast<std::size_t>(j)];
      p += 5;
      v += m;
    }
    FLAGS(18) = 5 * n;
    FLAGS(19) = n;
  }

  // Number of diagnostic boxes printed so far.
  int box_count() { return static_cast<int>(tna_test::count_boxes(listing())); }
};

// What a block saw when it ran.
struct Seen {
  double timeo, timen, timem, dtimeu;
  std::vector<double> t;
};

// Fixture of the explicit forward and forward-backward tests: the control
// constants of a plain run, nodes given capacitances by user number, a
// dynamic core with tops away from word 1, and a record of what the blocks
// saw.
class Stepping : public thermal_test::ListingTest {
 protected:
  explicit Stepping(const std::string& tag) : ListingTest(tag) {}
  void SetUp() override {
    reset_run();
    SLDINC();
    GLOR.DAMPT = 1.0;
    GLOR.RELXCA = 1e-9;
    GLOI.NLOOP = 50;
    GLOR.DTIMEI = 0.5;
    GLOR.DTMIN = 1e-4;
    GLOR.DTMAX = 100.0;
    GLOR.DTPMAX = 1.0e9;
    GLOR.OUTINT = 2.0;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 10.0;
    JOBINF.jobname = "MAIN";
    fresh_listing();
  }
  // A dynamic core of `words` words on both stacks, with the given tops.
  static void core(int words, int rtop = 1, int itop = 1) { give_core(words, rtop, itop); }
  // Builds the network with capacitances (by user number) and a core.
  void build(tna_test::Network& net, std::vector<std::pair<int, double>> caps) {
    build_with_caps(net, caps);
    core(4000, 7, 11);
  }
  // Records what VARIABLES1, VARIABLES2 and OUTPUTS see.
  void record() {
    auto snap = [] {
      Seen s{GLOR.TIMEO, GLOR.TIMEN, GLOR.TIMEM, GLOR.DTIMEU, {}};
      for (int i = 1; i <= FLAGS(1); ++i) s.t.push_back(gar_thermalnodetemps(i));
      return s;
    };
    tna_test::model.variables1 = [this, snap] { v1.push_back(snap()); };
    tna_test::model.variables2 = [this, snap] { v2.push_back(snap()); };
    tna_test::model.outputs = [this, snap] { out.push_back(snap()); };
  }

  std::vector<Seen> v1, v2, out;
};

// One node at t0 joined by g to a boundary at tb.
inline void rc(tna_test::Network& net, double t0, double tb, double g) {
  net.node(1, 'D', t0).node(2, 'B', tb);
  net.gl(1, 2, g);
}

}  // namespace cn_test
