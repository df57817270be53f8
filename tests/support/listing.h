// Test support of the printed listing and its diagnostics, used by every
// test fixture that reads what a routine printed:
// - the page settings and job identity the listing tests print under;
// - reading back what went to the listing (unit 6 on a file of the test's
//   scratch directory): taken (the listing starts again empty), peeked at
//   (the unit stays open) or read once the unit is closed;
// - the box SETERX prints for a message as the first message of a run, the
//   oracle of a routine's exact text, severity, code and routine name;
// - finding boxes in a listing: their number, their texts with frames,
//   labels and line breaks removed, their reference rows, their headers.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/diagnostics.h"
#include "support/test_env.h"

namespace tna_test {

// ---- The listing's settings and reading it back ---------------------------

// Page length 60, listing on, unit 6, first page; job jobname of a fixed
// date and time, so that page headers are the same on every run.
void set_print_job(const char* jobname);

// Everything written to the listing (listing.txt) since the last call; the
// listing is reopened empty.
std::string take_listing(const ScratchDir& dir);
// What the listing file holds so far; unit 6 is flushed and stays open.
std::string peek_listing(const ScratchDir& dir, const std::string& file = "listing.txt");
// What the listing (listing.txt) holds, unit 6 closed first.
std::string close_listing(const ScratchDir& dir);
// The lines of a text without their line ends (a final line end opens no
// empty last line).
std::vector<std::string> split_lines(const std::string& text);

// ---- Boxes as oracles -----------------------------------------------------

// What f prints on the listing, message numbers counted from 1; what the
// listing held before is dropped.
template <class F>
std::string printed(const ScratchDir& dir, F&& f) {
  take_listing(dir);
  reset_message_counters();
  f();
  return take_listing(dir);
}
// The box SETERX prints for this message as the first message of a run (on
// the listing, as printed does); the end of the run a fatal box reaches is
// caught.
std::string seterx_box(const ScratchDir& dir, std::string_view message, int severity, int code,
                       std::string_view routine);
// The same box for a test whose listing is not unit 6 of this process (a
// child run's output, standard output, a listing already closed): printed
// with every unit closed, so on standard output, and captured there; message
// counters 0 after.
std::string seterx_box_alone(std::string_view message, int severity, int code, std::string_view routine);

// ---- Finding boxes in a listing -------------------------------------------

// Every run of blanks and line ends collapsed into one blank.
std::string squeezed(const std::string& s);
// The text of the diagnostic boxes, their frames and labels removed and the
// wrapped lines joined (blanks squeezed), so that a message can be compared
// whole with squeezed(message).
std::string box_text(const std::string& listing);
// Whether the boxes of the listing hold the message (parts separated by "@").
bool has_message(const std::string& listing, std::string message);
// Whether the listing holds the reference row of routine and code.
bool has_reference(const std::string& listing, const std::string& routine, int code);
// Number of numbered boxes (SETERX and ERRNEW) on a listing.
std::size_t count_boxes(const std::string& listing);
// The text without the boxes' left margin ("@") and without any blank, so
// that a part of a message is found whatever the line breaks of its box.
std::string unblanked(const std::string& text);

// The header, Problem row and reference of each box of a listing.
struct Box {
  std::string header;   // "WARNING", "FAILURE", "FATAL ERROR", ...
  std::string problem;  // the text of the Problem row
  std::string routine;
  int code;
  bool operator==(const Box& o) const {
    return header == o.header && problem == o.problem && routine == o.routine && code == o.code;
  }
};
std::vector<Box> boxes_of(const std::string& listing);
std::ostream& operator<<(std::ostream& os, const Box& b);

}  // namespace tna_test
