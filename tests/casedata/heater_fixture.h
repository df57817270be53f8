// Shared set-up of the heater tests: a small network (tests/thermal's
// builder), user arrays added to it, extra models, the listing on a scratch
// file, and the end of a run observed as a thrown ProcessExit.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "casedata/heaters.h"
#include "casedata/status_flag.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/network_builder.h"
#include "support/state_test.h"
#include "support/test_env.h"
#include "support/test_model.h"

namespace htr_test {

constexpr double kSigma = 5.670374e-8;
constexpr double kTabs = 273.15;

// The eighteen arguments of htr_define, valid as they stand: a constant
// 100 W on node 1 measured on node 1, thermostat 10..20, on/off with initial
// state off, steady multiplier 1.
struct Define {
  std::string name = "HTR";
  std::string measured = "#1";
  double on = 10.0, off = 20.0;
  int method = 1;
  std::string power = "#1";
  int factors = 0, type = 0;
  double load = 100.0;
  int array = 0;
  double period = 0.0, multiplier = 1.0;
  int tmode = 1, initial = 0, smode = 1;
  double smult = 1.0, relax = 1.0, hold = 0.0;

  void operator()() const {
    htr_define(name, measured, on, off, method, power, factors, type, load, array, period, multiplier, tmode,
               initial, smode, smult, relax, hold);
  }
};

// User arrays, built up one by one and installed into an allocated model.
struct Arrays {
  std::vector<int> info, ptrs, ints;
  std::vector<double> reals;

  int add_real(const std::vector<int>& dims, const std::vector<double>& values, int type = 2) {
    ptrs.push_back(static_cast<int>(info.size()) + 1);
    info.insert(info.end(), {type, static_cast<int>(values.size()), static_cast<int>(reals.size()) + 1,
                             static_cast<int>(dims.size())});
    info.insert(info.end(), dims.begin(), dims.end());
    reals.insert(reals.end(), values.begin(), values.end());
    return static_cast<int>(ptrs.size());
  }
  // A 2 x N array of (x, y) points.
  int add_points(const std::vector<double>& xy) { return add_real({2, static_cast<int>(xy.size() / 2)}, xy); }
  // A table of nvars independent variables: structure s and reals r.
  int add_table(int nvars, const std::vector<int>& s, const std::vector<double>& r) {
    ptrs.push_back(static_cast<int>(info.size()) + 1);
    info.insert(info.end(), {4, static_cast<int>(s.size()), static_cast<int>(ints.size()) + 1,
                             static_cast<int>(r.size()), static_cast<int>(reals.size()) + 1, nvars});
    ints.insert(ints.end(), s.begin(), s.end());
    reals.insert(reals.end(), r.begin(), r.end());
    return static_cast<int>(ptrs.size());
  }
  void install() const {
    const auto n = static_cast<std::int64_t>(ptrs.size());
    gar_arraynames.allocate(n);
    gar_arrayinfopointers.allocate(n);
    gar_arrayinfolist.allocate(static_cast<std::int64_t>(info.size()));
    gar_arrayvaluesreal.allocate(static_cast<std::int64_t>(reals.size()));
    gar_arrayvaluesint.allocate(static_cast<std::int64_t>(ints.size()));
    for (std::size_t i = 0; i < info.size(); ++i) gar_arrayinfolist(i + 1) = info[i];
    for (std::size_t i = 0; i < ptrs.size(); ++i) gar_arrayinfopointers(i + 1) = ptrs[i];
    for (std::size_t i = 0; i < ints.size(); ++i) gar_arrayvaluesint(i + 1) = ints[i];
    for (std::size_t i = 0; i < reals.size(); ++i) gar_arrayvaluesreal(i + 1) = reals[i];
    FLAGS(18) = static_cast<int>(info.size());
    FLAGS(19) = static_cast<int>(n);
    FLAGS(20) = static_cast<int>(reals.size());
    FLAGS(21) = static_cast<int>(ints.size());
  }
};

// One model of a model tree: its name, nesting level, subtree size and the
// number of thermal nodes it owns (the built network's nodes in number order).
struct ModelSpec {
  std::string name;
  int level, subtree, nodes;
};

// Replaces the one-model directory of a built network by a model tree.
inline void install_models(const std::vector<ModelSpec>& models) {
  const int nm = static_cast<int>(models.size());
  std::vector<int> totals(md_numslots + 1);
  for (int s = 3; s <= md_numslots; ++s) totals[static_cast<std::size_t>(s)] = gar_modeldirectory(s, 2);
  gar_modeldirectory.allocate(md_numslots, nm + 1);
  gar_modelnames.allocate(nm);
  gar_submodelnames.allocate(nm);
  int base = 0;
  for (int m = 1; m <= nm; ++m) {
    const ModelSpec& s = models[static_cast<std::size_t>(m - 1)];
    md_level(m) = s.level;
    md_subtreesize(m) = s.subtree;
    md_thermalnodebase(m) = base;
    base += s.nodes;
    gar_modelnames(m) = s.name;
    gar_submodelnames(m) = s.name;
  }
  for (int s = 3; s <= md_numslots; ++s) gar_modeldirectory(s, nm + 1) = totals[static_cast<std::size_t>(s)];
  FLAGS(26) = nm;
}

class HeaterTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    SLDINC();
    GLOR = GlorRecord{};
    GLOI = GloiRecord{};
    GLOR.STEFAN = kSigma;
    GLOR.TABS = kTabs;
    GLOR.DAMPT = 1.0;
    GLOR.RELXCA = 1e-6;
    GLOR.INBALA = 1e-3;
    GLOR.INBALR = 1e-3;
    GLOI.NLOOP = 500;
    GLOI.WIDTH = 132;
    GLOI.LENGTH = 60;
    GLOI.MODEL = 1;
    PRTINF(1) = 60;
    PRTINF(2) = 1;
    PRTINF(3) = 6;
    PRTINF(4) = 1;
    JOBINF.jobname = "MAIN";
    stat_setstatst(0);
    htr_clear_for_tests();
    lschnd_reset_for_tests();
    tna_test::model.reset();
    fresh_listing();
  }
  void TearDown() override {
    plat::io::close_unit(6);
    plat::set_exit_throws(false);
    FLAGS = FlagsRecord{};
  }

  // The listing on a new file (a fatal end closes it), message numbers and
  // line count from the start.
  void fresh_listing() {
    plat::io::close_unit(6);
    file_ = "listing" + std::to_string(++files_) + ".txt";
    ASSERT_EQ(plat::io::open_unit(6, file_, plat::io::Form::Formatted, "UNKNOWN"), 0);
    reset_message_counters();
    PRTINF(2) = 1;
  }
  std::string listing() { return tna_test::peek_listing(dir_, file_); }

  // Exit status of a call that must end the run (-1 when it returns).
  template <class F>
  static int exit_status(F f) {
    try {
      f();
    } catch (const plat::ProcessExit& e) {
      return e.status;
    }
    return -1;
  }

  // What f prints on a fresh listing, and how it ends (-1: it returned).
  template <class F>
  std::pair<std::string, int> printed(F f) {
    fresh_listing();
    const int status = exit_status(f);
    return {listing(), status};
  }
  // What SETERX prints for the message on a fresh listing.
  std::pair<std::string, int> expected(const std::string& message, int severity, int code,
                                       const std::string& routine) {
    return printed([&] { SETERX(message, severity, code, routine); });
  }

  // A consistency stop: status 1 and "STOP <text>" on standard error.
  template <class F>
  static std::string stop_text(F f) {
    ::testing::internal::CaptureStderr();
    const int status = exit_status(f);
    std::string err = ::testing::internal::GetCapturedStderr();
    if (status != 1) return "no stop (" + std::to_string(status) + ")";
    while (!err.empty() && (err.back() == '\n' || err.back() == ' ')) err.pop_back();
    return err;
  }

  static htr_HeaterRecord& heater(int k = 1) {
    htr_HeaterRecord* h = mfirstheater;
    for (int i = 1; i < k && h != nullptr; ++i) h = h->nextHeater;
    if (h == nullptr) throw std::runtime_error("no such heater");
    return *h;
  }
  static int count_heaters() {
    int n = 0;
    for (const htr_HeaterRecord* h = mfirstheater; h != nullptr; h = h->nextHeater) ++n;
    return n;
  }
  static std::vector<int> list(const plat::Array1<std::int32_t>& a, int n) {
    std::vector<int> v;
    for (int i = 1; i <= n; ++i) v.push_back(a(i));
    return v;
  }

  tna_test::ScratchDir dir_{"heaters"};
  std::string file_;
  int files_ = 0;
};

}  // namespace htr_test
