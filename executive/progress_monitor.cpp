#include "executive/progress_monitor.h"
#include "platform/process_state.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/file_services.h"
#include "core/global_records.h"
#include "core/text_utils.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/units.h"

namespace {

int mfileunit = 9;
int mmodeltype = 1;
bool mopen = false;

constexpr std::size_t kLineLength = 500;

constexpr std::string_view kHeaderThermal =
    "RealTime,Status,MODULE,SOLVER,                 TIMEN,                TIMEND,                DTIMEU,    "
    "STEPCT,    LOOPCT,     NLOOP,                RELXCC,                RELXCA,                ENBNDM,      "
    "          INBNDM,                ENBALA,                INBALA,                ENBALR,                "
    "INBALR";
constexpr std::string_view kHeaderFluid =
    "RealTime,Status,MODULE,SOLVER,                 TIMEN,                TIMEND,                DTIMEU,    "
    "STEPCT,    LOOPCT,     NLOOP,    SUMTHL,    NLOOPT,    SUMFLL,    NLOOPH,                RELXCC,      "
    "          RELXCA,                FRLXCC,                FRLXCA,                RELXMC,                "
    "RELXMA,                ENBNDM,                INBNDM,                ENBALA,                INBALA,     "
    "           ENBALR,                INBALR";

// The row under construction: a field goes at the start of an empty line,
// otherwise after a comma that follows the line's last non-blank character,
// so a field's trailing blanks vanish with the next append and a blank field
// stays empty between two commas.
class Row {
 public:
  void append(std::string_view field) {
    std::size_t end = line_.find_last_not_of(' ');
    if (end == std::string::npos) {
      line_.assign(field);
    } else {
      line_.resize(end + 1);
      line_ += ',';
      line_ += field;
    }
    if (line_.size() > kLineLength) line_.resize(kLineLength);
  }
  void reals(std::initializer_list<double> values) {
    for (double v : values) append(prm::real_field(v));
  }
  void ints(std::initializer_list<int> values) {
    for (int v : values) append(prm::int_field(v));
  }
  std::string_view text() const { return plat::trimmed(line_); }

 private:
  std::string line_;
};

bool multiple_of(int value, int p) { return value > 0 && value % p == 0; }

void write_row(std::string_view status) {
  Row row;
  row.append(ZDAYTM());
  row.append(status);
  plat::Text<6> module;
  module = GLOC.MODULE.view();
  row.append(module.view());
  const std::string_view solver = plat::trimmed(GLOC.SOLVER.view());
  row.append(std::string(6 - solver.size(), ' ') + std::string(solver));
  row.reals({GLOR.TIMEN, GLOR.TIMEND, GLOR.DTIMEU});
  row.ints({GLOI.STEPCT, GLOI.LOOPCT, GLOI.NLOOP});
  if (mmodeltype == 2) row.ints({GLOI.SUMTHL, GLOI.NLOOPT, GLOI.SUMFLL, GLOI.NLOOPH});
  row.reals({GLOR.RELXCC, GLOR.RELXCA});
  if (mmodeltype == 2) row.reals({GLOR.FRLXCC, GLOR.FRLXCA, GLOR.RELXMC, GLOR.RELXMA});
  row.reals({GLOR.ENBNDM, GLOR.INBNDM, GLOR.ENBALA, GLOR.INBALA, GLOR.ENBALR, GLOR.INBALR});
  // A failed write goes unnoticed: the monitor must never stop a run.
  plat::io::write_line(mfileunit, row.text());
  EFLUSH(mfileunit);
}

}  // namespace

namespace prm {

std::string real_field(double v) {
  if (SDUNDF(v)) v = 0.0;
  constexpr int kWidth = 22;
  if (std::isnan(v)) return std::string(kWidth - 3, ' ') + "NaN";
  // As the Fortran edit writes them: a sign only for the negative one.
  if (std::isinf(v))
    return v < 0 ? std::string(kWidth - 9, ' ') + "-Infinity" : std::string(kWidth - 8, ' ') + "Infinity";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15E", v);
  // buf: [-]d.dddddddddddddddE+xx[x]
  std::string s(buf);
  const std::size_t e = s.find('E');
  std::string mantissa = s.substr(0, e);
  const int exponent = std::atoi(s.c_str() + e + 1);
  if (mantissa[0] != '-') mantissa.insert(mantissa.begin(), ' ');
  char ebuf[16];
  const int a = std::abs(exponent);
  if (a <= 99) {
    std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exponent < 0 ? '-' : '+', a);
  } else {
    // Three exponent digits take the place of the letter.
    std::snprintf(ebuf, sizeof ebuf, "%c%03d", exponent < 0 ? '-' : '+', a);
  }
  return mantissa + ebuf;
}

std::string int_field(int v) { return filesvc::int_field(v, 10); }

}  // namespace prm

void prm_open(std::string_view name) {
  mmodeltype = FLAGS(32) != 0 ? 2 : 1;
  plat::Text<kLineLength> header;
  header = mmodeltype == 2 ? kHeaderFluid : kHeaderThermal;
  mfileunit = 9;
  int status = 0;
  SOPSQ(name, "FORMATTED", "UNKNOWN", mfileunit, status);
  if (status != 0) {
    mfileunit = -1;
    fatal_end();
  }
  mopen = true;
  plat::io::write_line(mfileunit, header.trimmed());
  EFLUSH(mfileunit);
}

void prm_update() {
  const int p = GLOI.PRGFBK;
  if (p < 1) return;
  const int loopct = GLOI.LOOPCT;
  const int stepct = GLOI.STEPCT;
  const double timen = GLOR.TIMEN;
  const double timend = GLOR.TIMEND;
  const std::string_view opblok = plat::trimmed(GLOC.OPBLOK.view());
  const bool steady = GLOC.SOLVER.view().substr(0, 2) == "SS";
  if (opblok == "VARIABLES1") {
    if (!steady) return;
    bool row = multiple_of(loopct, p);
    if (!row && mmodeltype == 2) row = multiple_of(GLOI.SUMFLL, p) || multiple_of(GLOI.SUMTHL, p);
    if (!row) return;
    write_row("   SOL");
  } else if (opblok == "VARIABLES2") {
    if (steady || timen >= timend) {
      write_row("   END");
    } else if (multiple_of(stepct, p)) {
      write_row("   SOL");
    }
  } else {
    plat::consistency_stop("prm_Update");
  }
}

void prm_close() {
  if (!mopen) return;
  mopen = false;
  plat::io::write_line(mfileunit, ZDAYTM() + ",  EXIT");
  int status = 0;
  SCLFIL("KEEP", mfileunit, status);
}

void PRMUPD() { prm_update(); }

// An open monitor file is a unit: the reset of the units closes it.
namespace {
void reset_progress_monitor() {
  mfileunit = 9;
  mmodeltype = 1;
  mopen = false;
}
}  // namespace
TNA_PROCESS_STATE("executive/progress_monitor", reset_progress_monitor)
