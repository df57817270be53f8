// The parameter-case driver PARAMX (base case, then every case of the
// parameter-case file) and the per-case result writer PARWRT.
#include <algorithm>
#include <cstdio>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/text_utils.h"
#include "model/generated_program.h"
#include "modeldata/snapshot.h"
#include "output/gff.h"
#include "output/page_headers.h"
#include "output/tmd_requests.h"
#include "parameters/case_options.h"
#include "parameters/case_statements.h"
#include "parameters/case_texts.h"
#include "parameters/csv_tables.h"
#include "parameters/param_records.h"
#include "parameters/parameter_cases.h"
#include "platform/text.h"
#include "platform/units.h"

namespace {

constexpr int kGffUnit = 14;
constexpr int kCsvUnit = 11;

// An integer right-aligned in `width` columns, asterisks when it does not fit.
std::string fixed_int(int value, int width) {
  std::string s = std::to_string(value);
  if (static_cast<int>(s.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

// Status of next_text_line for a line with text beyond its 256 characters.
constexpr int kLineTooLong = -1000;

// The read-error message of the options record (code 1) or the first case
// header (code 3).
void read_error(int ios, int code) {
  if (ios == kLineTooLong) {
    SETERX("Line longer than 256 characters", 3, code, "PARAMX");
    return;
  }
  SETERX("Error reading from Parameter Case file@ Fortran I/O error " + fixed_int(ios, 4), 3, code, "PARAMX");
}

// Reads lines until one holds text once blanks and comments are removed;
// the quote state runs on from line to line. Returns the I/O status of the
// last read (non-zero: end of file or error, nothing found), or
// kLineTooLong for a line with text the record cannot hold.
int next_text_line(int unit, int& quote, plat::TextRef line, int& length) {
  std::string raw;
  for (;;) {
    const int ios = plat::io::read_line(unit, raw);
    if (ios != 0) return ios;
    if (par_line_too_long(raw, quote)) return kLineTooLong;
    plat::Text<256> buffer;
    buffer = std::string_view(raw).substr(0, std::min<std::size_t>(raw.size(), 256));
    SDBLKH(buffer.view(), quote, line, length);
    if (length > 0) return 0;
  }
}

// The frame printed at the head of every case.
void case_banner(int unit, int number, std::string_view type, std::string_view name) {
  plat::Text<8> t;
  t = type;
  plat::Text<24> n;
  n = name;
  const std::string frame = " ########################################";
  const std::string empty = " #                                      #";
  plat::io::write_line(unit, frame);
  plat::io::write_line(unit, empty);
  plat::io::write_line(unit, " # Parameter Case No.: " + fixed_int(number, 5) + "            #");
  plat::io::write_line(unit, " # Type: " + std::string(t.view()) + "                       #");
  plat::io::write_line(unit, " # Title: " + std::string(n.view()) + "      #");
  plat::io::write_line(unit, empty);
  plat::io::write_line(unit, frame);
  plat::io::write_line(unit, "");
  plat::io::write_line(unit, "");
}

}  // namespace

void PARAMX(int parfile, std::string_view model_name, int& status, int snapshot_unit, int parameter_unit,
            int csv_unit) {
  PARCHR.csvlist = "";
  PARCHR.stem = "";
  PARCHR.gfflist = "";
  for (int w : {1, 2, 3, 4, 6}) PARNUM(w) = 0;
  GLOC.PARNAM = "ORIGINAL";
  status = 0;
  int parmonly = 0, check = 0, quote = 0;
  const int print_unit = PRTINF(3);
  plat::Text<256> line;
  int length = 0;

  if (parfile != 0) {
    const int ios = next_text_line(parameter_unit, quote, line.ref(), length);
    if (ios != 0) {
      status = 1;
      read_error(ios, 1);
      return;
    }
    PAROPT(line.view(), check, parmonly, PARNUM(6), PARNUM(3), PARNUM(1), PARNUM(4), PARNUM(7), PARNUM(5),
           PARCHR.csvlist.ref(), PARCHR.gfflist.ref(), PARCHR.tmdlist.ref(), status);
    if (status != 0) return;
  }

  // The base case.
  if (parmonly == 0 && check == 0) {
    PARFIL(parmonly, model_name, PARNUM(1), PARNUM(2), PARNUM(3), PARCHR.csvlist.view(), PARCHR.stem.ref(),
           GLOC.PARNAM.view(), PARNUM(6), print_unit, csv_unit, status);
    if (status != 0) return;
    IN0001();
    EXECTN();
  }
  if (parfile == 0) return;

  // The first case header.
  const int ios = next_text_line(parameter_unit, quote, line.ref(), length);
  if (ios != 0) {
    status = 3;
    read_error(ios, 3);
    return;
  }

  plat::Text<8> type;
  for (;;) {
    PARNUM(2) += 1;
    if (PARNUM(2) > 9999) {
      status = 4;
      SETERX("Too many parameter cases in a single run@Only 9999 allowed", 3, 4, "PARAMX");
      return;
    }
    const std::string_view header = line.view().substr(0, static_cast<std::size_t>(std::clamp(length, 0, 256)));
    const std::size_t equals = header.find('=');
    if (equals == std::string_view::npos) {
      type = line.view().substr(0, 8);
      GLOC.PARNAM = "";
    } else {
      type = header.substr(0, std::min<std::size_t>(equals, 8));
      int ignored = 0;
      PARZVL(header.substr(equals + 1), GLOC.PARNAM.ref(), ignored);
    }
    const bool initial = plat::text_eq(type.view(), "!INITIAL");
    if (!initial && !plat::text_eq(type.view(), "!FINAL")) {
      status = 5;
      SETERX("Unrecognised Parameter Case type@" + std::string(type.view()), 3, 5, "PARAMX");
      return;
    }
    if (check == 0) {
      PARFIL(parmonly, model_name, PARNUM(1), PARNUM(2), PARNUM(3), PARCHR.csvlist.view(), PARCHR.stem.ref(),
             GLOC.PARNAM.view(), PARNUM(6), print_unit, csv_unit, status);
      if (status != 0) return;
    }
    PRPAGE();
    case_banner(print_unit, PARNUM(2), type.view(), GLOC.PARNAM.view());

    if (initial && check == 0) {
      const plat::Text<24> kept = GLOC.PARNAM;
      RSTCOM(snapshot_unit, status);
      GLOC.PARNAM = kept;
      if (status != 0) return;
      IN0001();
    }

    PRTINF(2) = 1;
    for (int w = 4; w <= 6; ++w) EBUFFI(w) = 0;
    int eof = 0;
    PARAMC(parameter_unit, print_unit, status, eof, line.ref(), length);
    if (status == 0 && check == 0) EXECTN();
    if (eof != 0) return;
    if (status != 0 && check == 0) return;
  }
}

void PARWRT(std::string_view block) {
  const bool at_variables2 = plat::text_eq(block, "VARIABLES2") && PARNUM(5) == 1;
  const bool at_outputs = plat::text_eq(block, "OUTPUTS") && PARNUM(5) == 0;
  if (!at_variables2 && !at_outputs) return;
  if (PARNUM(4) != 0) PARGFF(PARCHR.gfflist.view(), PARCHR.stem.view(), PARNUM(2), kGffUnit);
  if (PARNUM(7) != 0) PARTMD(PARCHR.tmdlist.view(), PARCHR.stem.view(), PARNUM(2));
  if (PARNUM(3) != 0) {
    int status = 0;
    PARCSV(PARCHR.csvlist.view(), PARNUM(2), 1, kCsvUnit, status);
    if (status != 0) fatal_end();
  }
}
