#include "support/listing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <sstream>

#include "core/global_records.h"
#include "platform/process.h"
#include "platform/units.h"

namespace tna_test {

void set_print_job(const char* jobname) {
  PRTINF(1) = 60;
  PRTINF(2) = 1;
  PRTINF(3) = 6;
  PRTINF(4) = 1;
  JOBINF.date = "10 December 2026";
  JOBINF.time = "13:46:52";
  JOBINF.jobname = jobname;
}

std::string take_listing(const ScratchDir& dir) {
  plat::io::close_unit(6);
  std::string s = dir.exists("listing.txt") ? dir.read("listing.txt") : std::string();
  plat::io::remove_file("listing.txt");
  plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN");
  return s;
}

std::string peek_listing(const ScratchDir& dir, const std::string& file) {
  plat::io::flush_unit(6);
  return dir.read(file);
}

std::string close_listing(const ScratchDir& dir) {
  plat::io::close_unit(6);
  return dir.read("listing.txt");
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t p = 0;
  while (p < text.size()) {
    const std::size_t e = text.find('\n', p);
    out.push_back(text.substr(p, e - p));
    if (e == std::string::npos) break;
    p = e + 1;
  }
  return out;
}

std::string seterx_box(const ScratchDir& dir, std::string_view message, int severity, int code,
                       std::string_view routine) {
  return printed(dir, [&] {
    try {
      SETERX(message, severity, code, routine);
    } catch (const plat::ProcessExit&) {
    }
  });
}

std::string seterx_box_alone(std::string_view message, int severity, int code, std::string_view routine) {
  const bool throws = plat::exit_throws();
  plat::set_exit_throws(true);
  plat::io::close_all();
  reset_message_counters();
  testing::internal::CaptureStdout();
  try {
    SETERX(message, severity, code, routine);
  } catch (const plat::ProcessExit&) {
  }
  std::string s = testing::internal::GetCapturedStdout();
  reset_message_counters();
  plat::io::close_all();
  plat::set_exit_throws(throws);
  return s;
}

std::string squeezed(const std::string& s) {
  std::string out;
  for (char c : s) {
    const char d = (c == '\n') ? ' ' : c;
    if (d == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += d;
  }
  return out;
}

std::string box_text(const std::string& listing) {
  std::istringstream in(listing);
  std::string line, out;
  while (std::getline(in, line)) {
    if (line.size() > 27 && line[0] == '@' && line.compare(0, 4, "@@@@") != 0 &&
        line.find("----") == std::string::npos)
      out += line.substr(27) + " ";
  }
  return squeezed(out);
}

bool has_message(const std::string& listing, std::string message) {
  for (char& c : message)
    if (c == '@') c = ' ';
  return box_text(listing).find(squeezed(message)) != std::string::npos;
}

bool has_reference(const std::string& listing, const std::string& routine, int code) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "(%s,%4d)", routine.c_str(), code);
  return listing.find(buf) != std::string::npos;
}

std::size_t count_boxes(const std::string& listing) {
  std::size_t n = 0;
  for (std::size_t at = listing.find("@@@@  "); at != std::string::npos; at = listing.find("@@@@  ", at + 1)) ++n;
  return n;
}

std::string unblanked(const std::string& text) {
  std::string out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '@') line.erase(0, 1);
    for (char c : line) {
      if (c != ' ') out.push_back(c);
    }
  }
  return out;
}

std::vector<Box> boxes_of(const std::string& listing) {
  std::vector<Box> out;
  std::istringstream in(listing);
  std::string line;
  static const std::regex header(R"(^@@@@  (\S+( \S+)?)\s*$)");
  static const std::regex problem(R"(^@     Problem\.+: (.*?)\s*$)");
  static const std::regex ref(R"(^@     Reference\.+: \((\S+),\s*(\d+)\))");
  std::smatch m;
  while (std::getline(in, line)) {
    if (std::regex_match(line, m, header)) {
      out.push_back({m[1], "", "", 0});
    } else if (!out.empty() && std::regex_match(line, m, problem)) {
      out.back().problem = m[1];
    } else if (!out.empty() && std::regex_search(line, m, ref)) {
      out.back().routine = m[1];
      out.back().code = std::stoi(m[2]);
    }
  }
  return out;
}

std::ostream& operator<<(std::ostream& os, const Box& b) {
  return os << "{" << b.header << ", \"" << b.problem << "\", " << b.routine << ", " << b.code << "}";
}

}  // namespace tna_test
