// Test helpers for the printed listing: the page settings and job identity
// the listing tests print under, and reading back what went to the listing
// (unit 6 on listing.txt in the working directory).
#pragma once

#include <string>

#include "core/global_records.h"
#include "platform/units.h"
#include "support/test_env.h"

namespace tna_test {

// Page length 60, listing on, unit 6, first page; job jobname of a fixed
// date and time, so that page headers are the same on every run.
inline void set_print_job(const char* jobname) {
  PRTINF(1) = 60;
  PRTINF(2) = 1;
  PRTINF(3) = 6;
  PRTINF(4) = 1;
  JOBINF.date = "10 December 2026";
  JOBINF.time = "13:46:52";
  JOBINF.jobname = jobname;
}

// Everything written to the listing since the last call; the listing is
// reopened empty.
inline std::string take_listing(const ScratchDir& dir) {
  plat::io::close_unit(6);
  std::string s = dir.exists("listing.txt") ? dir.read("listing.txt") : std::string();
  plat::io::remove_file("listing.txt");
  plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN");
  return s;
}

}  // namespace tna_test
