// Shared pieces of the thermal solution tests (steady state and transient):
// reading the listing back, finding diagnostic boxes and their reference rows
// in it, and a base fixture that resets the run state and keeps the listing
// (unit 6) on a file of a scratch directory.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "casedata/status_flag.h"
#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/network_builder.h"
#include "support/state_test.h"
#include "support/test_env.h"
#include "support/test_model.h"

namespace thermal_test {

constexpr double kSigma = 5.670374e-8;
constexpr double kTabs = 273.15;

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Collapses every run of blanks and line ends into one blank.
inline std::string squeezed(const std::string& s) {
  std::string out;
  for (char c : s) {
    const char d = (c == '\n') ? ' ' : c;
    if (d == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += d;
  }
  return out;
}

// The text of the diagnostic boxes, their frames and labels removed and the
// wrapped lines joined (blanks squeezed), so that a message can be compared
// whole with squeezed(message).
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

// Whether the listing holds the reference row of routine and code.
inline bool has_reference(const std::string& listing, const std::string& routine, int code) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "(%s,%4d)", routine.c_str(), code);
  return listing.find(buf) != std::string::npos;
}

// Whether the boxes of the listing hold the message (parts separated by "@").
inline bool has_message(const std::string& listing, std::string message) {
  for (char& c : message)
    if (c == '@') c = ' ';
  return box_text(listing).find(squeezed(message)) != std::string::npos;
}

// Base of the solution test fixtures. The test runs in a scratch directory
// named by `tag`; the listing files there are `<prefix>1.txt`, `<prefix>2.txt`
// and so on, one per fresh_listing(). A fixture's SetUp calls reset_run(),
// sets its own control constants and then opens the listing with
// fresh_listing().
class ListingTest : public tna_test::StateTest {
 protected:
  explicit ListingTest(const std::string& tag, std::string prefix = "listing")
      : dir_(tag), prefix_(std::move(prefix)) {}

  // Exits throw; message counters, GLOR and GLOI cleared, with the
  // Stefan-Boltzmann constant, absolute zero and the page size set; page
  // information for unit 6; no status change; the model's blocks empty.
  void reset_run() {
    plat::set_exit_throws(true);
    reset_message_counters();
    GLOR = GlorRecord{};
    GLOI = GloiRecord{};
    GLOR.STEFAN = kSigma;
    GLOR.TABS = kTabs;
    GLOI.WIDTH = 132;
    GLOI.LENGTH = 60;
    PRTINF(1) = 60;
    PRTINF(2) = 1;
    PRTINF(3) = 6;
    PRTINF(4) = 1;
    stat_setstatst(0);
    tna_test::model.reset();
  }
  void TearDown() override {
    plat::io::close_unit(6);
    plat::set_exit_throws(false);
    tna_test::model.reset();
    gar_deallocate_all();
  }
  // The listing on a new file (a fatal end closes it).
  void fresh_listing() {
    plat::io::close_unit(6);
    file_ = prefix_ + std::to_string(++files_) + ".txt";
    ASSERT_EQ(plat::io::open_unit(6, file_, plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
  std::string listing() {
    plat::io::flush_unit(6);
    return read_file((dir_.path() / file_).string());
  }
  double T(const tna_test::Network& net, int num) { return gar_thermalnodetemps(net.index(num)); }

  tna_test::ScratchDir dir_;
  std::string file_;
  int files_ = 0;

 private:
  std::string prefix_;
};

}  // namespace thermal_test
