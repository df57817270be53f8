// Fixture of the transient frame and Crank-Nicolson tests: control
// constants of a plain run, a listing file whose diagnostic boxes can be
// searched, a dynamic core large enough for the routines' blocks, and user
// arrays for event times.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "casedata/status_flag.h"
#include "executive/char_pool.h"
#include "executive/diagnostics.h"
#include "modeldata/control_constants.h"
#include "modeldata/global_arrays.h"
#include "modeldata/global_records.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/test_env.h"
#include "support/test_model.h"
#include "thermal/network_builder.h"

namespace cn_test {

constexpr double kSigma = 5.670374e-8;
constexpr double kTabs = 273.15;

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline std::string squeezed(const std::string& s) {
  std::string out;
  for (char c : s) {
    const char d = (c == '\n') ? ' ' : c;
    if (d == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += d;
  }
  return out;
}

// The text of the diagnostic boxes with frames and labels removed.
inline std::string box_text(const std::string& listing) {
  std::istringstream in(listing);
  std::string line, out;
  while (std::getline(in, line)) {
    if (line.size() > 27 && line[0] == '@' && line.compare(0, 4, "@@@@") != 0 &&
        line.find("----") == std::string::npos)
      out += line.substr(27) + " ";
  }
  return squeezed(out);
}

inline bool has_reference(const std::string& listing, const std::string& routine, int code) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "(%s,%4d)", routine.c_str(), code);
  return listing.find(buf) != std::string::npos;
}

inline bool has_message(const std::string& listing, std::string message) {
  for (char& c : message)
    if (c == '@') c = ' ';
  return box_text(listing).find(squeezed(message)) != std::string::npos;
}

// Puts the undefined marker into the first word of a real control constant.
inline void set_undefined(double& d) {
  d = 0.0;
  const int marker = SKUNDF();
  std::memcpy(&d, &marker, sizeof marker);
}

class Transient : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    reset_message_counters();
    SLDINC();
    GLOR = GlorRecord{};
    GLOI = GloiRecord{};
    GLOR.STEFAN = kSigma;
    GLOR.TABS = kTabs;
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
    GLOI.WIDTH = 132;
    GLOI.LENGTH = 60;
    GLOC.OUTIME = "ALL";
    PRTINF(1) = 60;
    PRTINF(2) = 1;
    PRTINF(3) = 6;
    PRTINF(4) = 1;
    JOBINF.jobname = "MAIN";
    stat_setstatst(0);
    tna_test::model.reset();
    fresh_listing();
  }
  void TearDown() override {
    plat::io::close_unit(6);
    plat::set_exit_throws(false);
    tna_test::model.reset();
    gar_deallocate_all();
  }
  void fresh_listing() {
    plat::io::close_unit(6);
    file_ = "listing" + std::to_string(++files_) + ".txt";
    ASSERT_EQ(plat::io::open_unit(6, file_, plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
  std::string listing() {
    plat::io::flush_unit(6);
    return read_file((dir_.path() / file_).string());
  }

  // Builds the network, then gives the dynamic core `words` words per stack
  // with both tops at `top`.
  void build(tna_test::Network& net, int words = 4000, int top = 101) {
    net.build();
    gar_dynamiccorereal.allocate(words);
    gar_dynamiccoreint.allocate(words);
    FLAGS(FLAGS_DYSTOR) = words;
    FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = top;
    FLAGS(FLAGS_NEXTDYNAMICCOREINT) = top;
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
  int box_count() {
    const std::string l = listing();
    int n = 0;
    for (const char* h : {"@@@@  DIAGNOSTIC", "@@@@  WARNING", "@@@@  FAILURE", "@@@@  FATAL ERROR"})
      for (std::size_t p = l.find(h); p != std::string::npos; p = l.find(h, p + 1)) ++n;
    return n;
  }

  double T(const tna_test::Network& net, int num) { return gar_thermalnodetemps(net.index(num)); }

  tna_test::ScratchDir dir_{"cn"};
  std::string file_;
  int files_ = 0;
};

}  // namespace cn_test
