#include "core/diagnostics.h"
#include "platform/process_state.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/control_constants.h"
#include "core/global_records.h"
#include "platform/process.h"
#include "platform/units.h"

namespace {

// Persistent message counters: raised at the start of every call, so a
// suppressed message still uses up its number.
long long g_seterx_count = 0;
long long g_errnew_count = 0;

// The close-down registered by the run driver (FAILUR), or none yet.
FatalEnd g_fatal_end = nullptr;

constexpr int kListingUnit = 6;
constexpr int kTraceUnit = 13;
constexpr std::size_t kLabelWidth = 27;

// Integer right-aligned in `width` columns, asterisks when it does not fit.
std::string right_aligned(long long value, std::size_t width) {
  std::string s = std::to_string(value);
  if (s.size() > width) return std::string(width, '*');
  return std::string(width - s.size(), ' ') + s;
}

// The look of one of the two boxes.
struct BoxStyle {
  std::size_t text_width;     // characters of message text per line
  std::size_t top_dashes;     // "-" of row 2 before " | MESSAGE "
  std::size_t bottom_dashes;  // "-" of row 13
  std::string_view part_labels[4];
};

constexpr BoxStyle kDiagnosticStyle{45,
                                    52,
                                    70,
                                    {"@     Problem............: ", "@     Current action.....: ",
                                     "@     Info...............: ", "@     Context............: "}};
constexpr BoxStyle kFileErrorStyle{53,
                                   60,
                                   78,
                                   {"@     Problem............: ", "@     Current action.....: ",
                                    "@     Comment............: ", "@     Additional info....: "}};

// Writes the rows of one box. Every row is built in the one buffer the
// writer keeps, so a box costs one allocation however many rows it has.
class BoxWriter {
 public:
  BoxWriter(int unit, bool count_lines, const BoxStyle& style)
      : unit_(unit), count_lines_(count_lines), style_(style) {
    row_.reserve(kLabelWidth + 128);
  }

  void line(std::string_view text) {
    plat::io::write_line(unit_, text);
    if (count_lines_) PRTINF(2) += 1;
  }
  // A row that starts with a 27-character label (cut or blank-padded).
  std::string& labelled(std::string_view label) {
    row_.assign(label.substr(0, std::min(label.size(), kLabelWidth)));
    row_.resize(kLabelWidth, ' ');
    return row_;
  }
  // A row of its own text.
  std::string& plain() {
    row_.clear();
    return row_;
  }
  void write_row() { line(row_); }
  void blank_row() {
    labelled("@");
    write_row();
  }

  // One part of the message: divided into segments at each "<NL>", each
  // segment on new lines of at most text_width characters. The part's label
  // goes on its first printed line; an empty first segment loses it.
  void part(std::string_view text, std::string_view part_label) {
    bool labelled = true;
    for (;;) {
      const std::size_t nl = text.find("<NL>");
      const std::string_view segment = text.substr(0, nl);
      if (segment.empty()) {
        labelled = false;
      } else {
        this->segment(segment, labelled ? part_label : std::string_view("@"));
        labelled = false;
      }
      if (nl == std::string_view::npos) break;
      text.remove_prefix(nl + 4);
    }
  }

 private:
  // A remainder shorter than the width prints whole; a longer one is cut
  // after the last blank among its characters 2..width (the blank ends the
  // line), or hard after `width` characters when there is none.
  void segment(std::string_view rest, std::string_view first_label) {
    const std::size_t width = style_.text_width;
    std::string_view lab = first_label;
    while (!rest.empty()) {
      std::size_t take;
      if (rest.size() <= width - 1) {
        take = rest.size();
      } else {
        const std::size_t b = rest.substr(0, width).rfind(' ');
        take = (b != std::string_view::npos && b >= 1) ? b + 1 : width;
      }
      labelled(lab).append(rest.substr(0, take));
      write_row();
      rest.remove_prefix(take);
      lab = "@";
    }
  }

  int unit_;
  bool count_lines_;
  const BoxStyle& style_;
  std::string row_;
};

// The 14-row box shared by SETERX and ERRNEW.
void print_box(BoxWriter& w, const BoxStyle& style, long long counter, std::string_view header,
               std::string_view message, bool problem_only, std::string_view routine, int code) {
  w.blank_row();
  w.plain()
      .append("@")
      .append(style.top_dashes, '-')
      .append(" | MESSAGE ")
      .append(right_aligned(counter, 4))
      .append(" |-");
  w.write_row();
  w.blank_row();
  w.labelled(header);
  w.write_row();
  w.blank_row();

  const std::string_view text = plat::trimmed(message);
  std::size_t ats = 0;
  for (const char c : text)
    if (c == '@') ++ats;
  // Rows 7 to 9 carry their own labels only when the message has at least
  // two "@"; with one, the second part continues the Problem.
  std::size_t pos = 0;
  for (int k = 0; k < 4; ++k) {
    const std::size_t at = text.find('@', pos);
    const std::string_view part = text.substr(pos, at == std::string_view::npos ? text.size() - pos : at - pos);
    const std::string_view part_label = (k == 0 || ats >= 2) ? style.part_labels[k] : std::string_view("@");
    w.part(part, part_label);
    if (problem_only || at == std::string_view::npos) break;
    pos = at + 1;
  }

  w.blank_row();
  w.labelled("@     Reference..........: ")
      .append("(")
      .append(routine)
      .append(", ")
      .append(right_aligned(code, 3))
      .append(")");
  w.write_row();
  w.blank_row();
  w.plain().append("@").append(style.bottom_dashes, '-');
  w.write_row();
  w.blank_row();
}

}  // namespace

void set_fatal_end(FatalEnd end) { g_fatal_end = end; }

void fatal_end() {
  if (g_fatal_end != nullptr) g_fatal_end();
  plat::exit_process(1);
}

void reset_message_counters() {
  g_seterx_count = 0;
  g_errnew_count = 0;
}

void SETERX(std::string_view message, int severity, int code, std::string_view routine) {
  static constexpr std::string_view kHeaders[4] = {"@@@@  DIAGNOSTIC", "@@@@  WARNING", "@@@@  FAILURE",
                                                   "@@@@  FATAL ERROR"};
  ++g_seterx_count;
  const int s = (severity >= 1 && severity <= 4) ? severity : 4;
  if (GLOI.MLEVEL < 0 || GLOI.MLEVEL > 3) GLOI.MLEVEL = 0;
  if (s > GLOI.MLEVEL) {
    // The trace file receives the boxes once it is open; a message raised
    // before (while the model database loads) goes to the listing instead of
    // being lost.
    const int unit = (GLOI.TRACE == 1 && plat::io::is_open(kTraceUnit)) ? kTraceUnit : kListingUnit;
    BoxWriter w(unit, true, kDiagnosticStyle);
    print_box(w, kDiagnosticStyle, g_seterx_count, kHeaders[s - 1], message, GLOI.MSHORT == 1, routine, code);
  }
  if (s == 4) fatal_end();
}

void ERRNEW(std::string_view message, int type, int code, std::string_view routine) {
  static constexpr std::string_view kHeaders[4] = {"@@@@  SYSTEM ERROR", "@@@@  SYNTAX ERROR",
                                                   "@@@@  SEMANTIC ERROR", "@@@@  WARNING"};
  ++g_errnew_count;
  const int t = (type >= 1 && type <= 4) ? type : 1;
  BoxWriter w(kListingUnit, false, kFileErrorStyle);
  print_box(w, kFileErrorStyle, g_errnew_count, kHeaders[t - 1], message, false, routine, code);
}

void ERROR(std::string_view routine) {
  using plat::io::write_line;
  write_line(kListingUnit, "");
  write_line(kListingUnit, "");
  write_line(kListingUnit, "");
  std::string l = " @@@@ Unrecoverable error condition in module ";
  l.append(routine).append(" @@@@");
  write_line(kListingUnit, l);
  write_line(kListingUnit, "");
  write_line(kListingUnit, "             @@@@ Program will terminate @@@@");
  write_line(kListingUnit, "");
  write_line(kListingUnit, "");
  write_line(kListingUnit, "    @@@@ Check log file for further messages and @@@@");
  write_line(kListingUnit, "");
  write_line(kListingUnit, "  @@@@ Consult Norvek Program Central Support if required @@@@ ");
  if (plat::io::is_open(1)) plat::io::close_unit(1);
  if (plat::io::is_open(kListingUnit)) plat::io::close_unit(kListingUnit);
  fatal_end();
}

bool require_finite_constants(std::string_view routine, std::span<const RequiredValue> values, int code) {
  for (const RequiredValue& v : values) {
    if (std::isfinite(v.value)) continue;
    const std::string r(routine);
    std::string text = r + ": Control constant " + std::string(v.name) +
                       " not specified@See User Manual description of " + r +
                       " for a list of required control constants";
    text.resize(170, ' ');
    SETERX(text, 4, code, r);
    return false;
  }
  return true;
}

namespace {
void reset_diagnostics() {
  reset_message_counters();
  g_fatal_end = nullptr;
}
}  // namespace
TNA_PROCESS_STATE("core/diagnostics", reset_diagnostics)
