// Changes of model data by parameter cases: nodal values, statuses, user
// entities, array elements and constants.
#include "parameters/case_changes.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/text_utils.h"
#include "modeldata/global_arrays.h"
#include "modeldata/status_changes.h"
#include "modeldata/submodel_refs.h"
#include "parameters/case_texts.h"
#include "parameters/case_values.h"

namespace {

std::string field(std::string message, std::size_t length) {
  message.resize(length, ' ');
  return message;
}

bool is_change(std::string_view command) { return plat::text_eq(command, "CHANGE"); }

// The undefined-entity message of node `node` (internal number).
void report_undefined(int node, std::string_view routine) {
  char number[16];
  std::snprintf(number, sizeof number, "%10d", NODNUM(node));
  std::string message =
      "Entity undefined - possibly defined with Mortran@Value may be overwritten by Mortran expression during "
      "solution. Node ";
  message.append(number);
  message.append(" in sub-model ");
  message.append(field(SUBMDN(node, "ALL"), 170));
  SETERX(field(std::move(message), 320), 3, 1, routine);
}

bool undefined(double v) { return SLUNDF(v); }
bool undefined(int v) { return SUNDCK(v); }

// The thermal half walks the list from the front up to the first fluid node;
// the fluid half from the back down to the last thermal node.
template <class F>
void thermal_nodes(plat::Vec1<const int> list, int count, int nt, F f) {
  for (int i = 1; i <= count; ++i) {
    const int node = list(i);
    if (node > nt) break;
    f(node, node);
  }
}
template <class F>
void fluid_nodes(plat::Vec1<const int> list, int count, int nt, F f) {
  for (int i = count; i >= 1; --i) {
    const int node = list(i);
    if (node <= nt) break;
    f(node, node - nt);
  }
}

template <class T, class Walk>
void set_values(Walk walk, plat::Vec1<const int> list, int count, T value, int nt, plat::Vec1<T> values,
                int& changed, int& refused, std::string_view routine, bool warn) {
  changed = 0;
  refused = 0;
  walk(list, count, nt, [&](int node, int index) {
    if (index < 1 || index > values.size()) return;
    T& v = values(index);
    if (warn && undefined(v)) report_undefined(node, routine);
    v = value;
    ++changed;
  });
}

template <class Walk>
void scale_values(Walk walk, plat::Vec1<const int> list, int count, double factor, int nt, plat::Vec1<double> values,
                  int& changed, int& refused, std::string_view routine) {
  changed = 0;
  refused = 0;
  walk(list, count, nt, [&](int node, int index) {
    if (index < 1 || index > values.size()) return;
    double& v = values(index);
    if (undefined(v)) {
      report_undefined(node, routine);
      refused = 1;
      return;
    }
    v *= factor;
    ++changed;
  });
}

template <class Walk>
void set_texts(Walk walk, plat::Vec1<const int> list, int count, std::string_view value, int nt, TextVec1 values,
               int& changed, int& refused) {
  changed = 0;
  refused = 0;
  walk(list, count, nt, [&](int, int index) {
    if (index < 1 || index > values.size()) return;
    values(index) = value;
    ++changed;
  });
}

constexpr auto kThermal = [](plat::Vec1<const int> l, int c, int nt, auto f) { thermal_nodes(l, c, nt, f); };
constexpr auto kFluid = [](plat::Vec1<const int> l, int c, int nt, auto f) { fluid_nodes(l, c, nt, f); };

constexpr std::string_view kStatusLetters = "BDXFHJKQRS";
bool thermal_letter(char c) { return c == 'B' || c == 'D' || c == 'X'; }
bool fluid_letter(char c) { return kStatusLetters.substr(3).find(c) != std::string_view::npos; }

constexpr std::string_view kUnpackFailure =
    "Unable to unpack character array from data base@Contact Central Support";

// Pool position p as (element, offset).
void pool_place(long long p, int& element, int& offset) {
  element = static_cast<int>((p - 1) / kPoolElementLength + 1);
  offset = static_cast<int>((p - 1) % kPoolElementLength + 1);
}

// Length of the text at pool position p; false when it cannot be read.
bool text_length(PoolRef pool, int nelem, long long p, int& length) {
  const long long limit = std::min<long long>(static_cast<long long>(nelem), pool.size()) * kPoolElementLength;
  if (p < 1 || p > limit) return false;
  int element = 0, offset = 0;
  pool_place(p, element, offset);
  if (pool(element).c[offset - 1] == '\0') {  // an empty text
    length = 0;
    return true;
  }
  char one = ' ';
  int st = 0;
  DBFZPK(PoolView(pool), nelem, static_cast<int>(limit), static_cast<int>(p), length, plat::TextRef(&one, 1), st);
  return st == 0 || st == 1;  // 1: only the first character fitted, the length is whole
}

void write_text(PoolRef pool, int nelem, long long p, std::string_view text, int length) {
  int element = 0, offset = 0;
  pool_place(p, element, offset);
  SMOVVA(text, length, offset, element, pool, nelem);
}

void undefined_constant_warning(std::string_view name, std::string_view routine) {
  std::string message(plat::trimmed(name));
  message.append(
      " is undefined - possibly defined with Mortran@Value may be overwritten by Mortran expression during "
      "solution.");
  SETERX(field(std::move(message), 300), 2, 1, routine);
}

}  // namespace

void PARCNR(plat::Vec1<const int> list, int count, double value, int nt, plat::Vec1<double> values, int& changed,
            int& refused) {
  set_values<double>(kThermal, list, count, value, nt, values, changed, refused, "PARCNR", true);
}
void PARCFR(plat::Vec1<const int> list, int count, double value, int nt, plat::Vec1<double> values, int& changed,
            int& refused) {
  set_values<double>(kFluid, list, count, value, nt, values, changed, refused, "PARCFR", true);
}
void PARCNI(plat::Vec1<const int> list, int count, int value, int nt, plat::Vec1<int> values, int& changed,
            int& refused) {
  set_values<int>(kThermal, list, count, value, nt, values, changed, refused, "PARCNI", true);
}
void PARCFI(plat::Vec1<const int> list, int count, int value, int nt, plat::Vec1<int> values, int& changed,
            int& refused) {
  set_values<int>(kFluid, list, count, value, nt, values, changed, refused, "PARCFI", true);
}
void PARCNZ(plat::Vec1<const int> list, int count, std::string_view value, int nt, TextVec1 values, int& changed,
            int& refused) {
  set_texts(kThermal, list, count, value, nt, values, changed, refused);
}
void PARCFZ(plat::Vec1<const int> list, int count, std::string_view value, int nt, TextVec1 values, int& changed,
            int& refused) {
  set_texts(kFluid, list, count, value, nt, values, changed, refused);
}
void PARSNR(plat::Vec1<const int> list, int count, double factor, int nt, plat::Vec1<double> values, int& changed,
            int& refused) {
  scale_values(kThermal, list, count, factor, nt, values, changed, refused, "PARSNR");
}
void PARSFR(plat::Vec1<const int> list, int count, double factor, int nt, plat::Vec1<double> values, int& changed,
            int& refused) {
  scale_values(kFluid, list, count, factor, nt, values, changed, refused, "PARSFR");
}

void PARCNS(plat::Vec1<const int> list, int count, std::string_view status, int nt, plat::Vec1<plat::Text<1>> fluid,
            plat::Vec1<plat::Text<1>> thermal, plat::Vec1<plat::Text<1>> copy, int& nthermal, int& nfluid,
            int& tflag, int& fflag) {
  nthermal = nfluid = tflag = fflag = 0;
  const std::string_view letter = status.substr(0, static_cast<std::size_t>(STRLNA(status)));
  if (letter.size() != 1 || kStatusLetters.find(letter[0]) == std::string_view::npos) {
    tflag = fflag = 1;
    std::string message = "Invalid definition of node status@<<";
    message.append(letter);
    message.append(">> is an invalid node status. Please refer to NORVEK User Manual.");
    SETERX(field(std::move(message), 256), 3, 1, "PARCNS");
    return;
  }
  const char c = letter[0];
  for (int i = 1; i <= count; ++i) {
    const int node = list(i);
    if (node <= nt) {
      if (thermal_letter(c) && thermal_letter(thermal(node).c[0])) {
        copy(node) = letter;
        thermal(node) = letter;
        ++nthermal;
      } else {
        tflag = 1;
        SETERX(field("Attempt to switch from thermal to fluid status@", 256), 3, 2, "PARCNS");
      }
    } else {
      plat::Text<1>& current = fluid(node - nt);
      if (fluid_letter(c) && fluid_letter(current.c[0])) {
        current = letter;
        ++nfluid;
      } else {
        fflag = 1;
        SETERX(field("Attempt to switch from fluid to thermal status@", 256), 3, 3, "PARCNS");
      }
    }
  }
  // Statuses changed between solutions leave the status-changed flag alone
  // (every solution derives its masks when it starts), but node lists that
  // leave out inactive nodes must see them.
  if (nthermal + nfluid > 0) advance_status_generation();
}

void PARUDE(std::string_view command, int code, plat::Vec1<const int> list, int count, std::string_view value,
            int& nfluid, int& nthermal, int& status) {
  status = 0;
  nfluid = nthermal = 0;
  const int nt = FLAGS(1);
  const int nr = std::max(0, SPRSIZ(5)), ni = std::max(0, SPRSIZ(4)), nc = std::max(0, SPRSIZ(3));
  const int e = -code;
  const bool change = is_change(command);
  if (e >= 1 && e <= nr) {
    double v = 0.0;
    if (change) PARRGT(value, v, status);
    else PARRVL(value, v, status);
    if (status != 0) return;
    if (e > gar_thermalnodeuserentityvalsreal.cols() || e > gar_fluidnodeuserentityvalsreal.cols()) return;
    const plat::Vec1<double> thermal = gar_thermalnodeuserentityvalsreal.col(e);
    const plat::Vec1<double> fluid = gar_fluidnodeuserentityvalsreal.col(e);
    int trefused = 0, frefused = 0;
    if (change) {
      PARCNR(list, count, v, nt, thermal, nthermal, trefused);
      PARCFR(list, count, v, nt, fluid, nfluid, frefused);
    } else {
      PARSNR(list, count, v, nt, thermal, nthermal, trefused);
      PARSFR(list, count, v, nt, fluid, nfluid, frefused);
      status = trefused + frefused;
    }
  } else if (e > nr && e <= nr + ni) {
    int v = 0;
    PARIGT(value, v, status);
    if (status != 0) return;
    if (!change) {
      status = 1;
      SETERX(field("Cannot SCALE integer data", 300), 3, 1, "PARUDE");
      return;
    }
    const int column = e - nr;
    if (column > gar_thermalnodeuserentityvalsint.cols() || column > gar_fluidnodeuserentityvalsint.cols()) return;
    int refused = 0;
    PARCNI(list, count, v, nt, gar_thermalnodeuserentityvalsint.col(column), nthermal, refused);
    PARCFI(list, count, v, nt, gar_fluidnodeuserentityvalsint.col(column), nfluid, refused);
  } else if (e > nr + ni && e <= nr + ni + nc) {
    plat::Text<24> text;
    PARZVL(value, text.ref(), status);
    if (status != 0) return;
    if (!change) {
      status = 2;
      SETERX(field("Cannot SCALE character data", 300), 3, 2, "PARUDE");
      return;
    }
    const int column = e - nr - ni;
    if (column > gar_thermalnodeuserentityvalschar.cols() || column > gar_fluidnodeuserentityvalschar.cols()) return;
    int refused = 0;
    PARCNZ(list, count, text.view(), nt, TextVec1(gar_thermalnodeuserentityvalschar.col(column)), nthermal, refused);
    PARCFZ(list, count, text.view(), nt, TextVec1(gar_fluidnodeuserentityvalschar.col(column)), nfluid, refused);
  }
}

namespace {

// Calls f(position) for every element (i, j, k) within the ranges, first
// index fastest; positions count from 1 at the array's first value.
template <class F>
void for_range(int d1, int d2, plat::Vec1<const int> r, F f) {
  const long long s1 = d1, s2 = static_cast<long long>(d1) * d2;
  for (long long k = r(5); k <= r(6); ++k)
    for (long long j = r(3); j <= r(4); ++j)
      for (long long i = r(1); i <= r(2); ++i) f(1 + (i - 1) + (j - 1) * s1 + (k - 1) * s2);
}

}  // namespace

void PARRAR(std::string_view command, int d1, int d2, plat::Vec1<const int> range, double value,
            plat::Vec1<double> store) {
  const bool change = is_change(command);
  for_range(d1, d2, range, [&](long long p) {
    if (p < 1 || p > store.size()) return;
    if (change) store(p) = value;
    else store(p) *= value;
  });
}

void PARIAR(int d1, int d2, plat::Vec1<const int> range, int value, plat::Vec1<int> store) {
  for_range(d1, d2, range, [&](long long p) {
    if (p >= 1 && p <= store.size()) store(p) = value;
  });
}

void PARZA1(int element, int ntexts, plat::Vec1<const PoolElement> texts, int firstpos, int nelem, PoolRef pool,
            int& status) {
  status = 0;
  long long p = firstpos;
  int length = 0;
  for (int i = 1; i < element; ++i) {
    if (!text_length(pool, nelem, p, length)) {
      status = 1;
      SETERX(field(std::string(kUnpackFailure), 100), 3, 1, "PARZA1");
      return;
    }
    p += length + 1;
  }
  for (int i = 1; i <= ntexts && i <= texts.size(); ++i) {
    if (!text_length(pool, nelem, p, length)) {
      status = 2;
      SETERX(field(std::string(kUnpackFailure), 100), 3, 2, "PARZA1");
      return;
    }
    write_text(pool, nelem, p, texts(i).view(), length);
    p += length + 1;
  }
}

void PARZA2(int d1, int d2, int d3, plat::Vec1<const int> range, std::string_view text, int firstpos, int nelem,
            PoolRef pool, int& status) {
  status = 0;
  long long p = firstpos;
  int length = 0;
  for (int k = 1; k <= d3; ++k)
    for (int j = 1; j <= d2; ++j)
      for (int i = 1; i <= d1; ++i) {
        if (!text_length(pool, nelem, p, length)) {
          status = 1;
          SETERX(field(std::string(kUnpackFailure), 100), 3, 1, "PARZA2");
          return;
        }
        if (i >= range(1) && i <= range(2) && j >= range(3) && j <= range(4) && k >= range(5) && k <= range(6))
          write_text(pool, nelem, p, text, length);
        p += length + 1;
      }
}

const plat::Text<6> kParCtrlConstNames[kParCtrlConstCount] = {
    "CSGMIN", "DAMPT",  "DTIMEI", "DTIMEU", "DTMAX",  "DTMIN",  "DTPMAX", "ENBALA", "ENBALR", "INBALA",
    "INBALR", "OUTINT", "RELXCA", "RELXCC", "STEFAN", "TIMEM",  "TIMEN",  "TIMEND", "TIMEO",  "TABS",
    "PABS",   "DAMPM",  "GRAVZ",  "PPOWER", "RELXMA", "RELXMB", "RELXMC", "DTCOUR", "RLCOUR", "FRLXCA",
    "FRLXCC", "MINFLO", "DTIMIF", "DTIMUT", "FCSGMN", "TIMENT", "TIMEOT", "DTIST",  "DTPIST", "DTINP",
    "DTPINP", "GRAVX",  "GRAVY",  "MINDP",  "ARITH",  "DTROCA", "DTROCC", "LOOPCT", "MODEL",  "NCSGMN",
    "NLOOP",  "NRLXCC", "LENGTH", "FLLPCT", "NRLXMC", "SUMFLL", "SUMTHL", "THLPCT", "NFRLXC", "NLOOPH",
    "NLOOPT", "WIDTH",  "FSTEPS", "FNCSGM", "PYRO",   "MSHORT", "TRACE",  "MLEVEL", "METHOD", "NDTROC",
    "PRGFBK", "STEPCT", "OPBLOK", "FORMAT", "LINTYP", "MODULE", "TFORM",  "THEAD",  "PARNAM", "HEADER",
    "TFORMF", "SOLTYP", "RESULT", "MFFB",   "TIMELA", "OUTIME", "SOLVER", "QTRSOL", "NODES",  "NODESM"};

namespace {

// Slots of the table rows, in the same order as the names.
double GlorRecord::*const kRealSlots[] = {
#define TNA_X(U, l) &GlorRecord::U,
    TNA_GLOR_LIST(TNA_X)
#undef TNA_X
};
std::int32_t GloiRecord::*const kIntSlots[] = {
#define TNA_X(U, l) &GloiRecord::U,
    TNA_GLOI_LIST(TNA_X)
#undef TNA_X
};
plat::TextRef (*const kTextSlots[])() = {
#define TNA_X(U, l, n, d) [] { return GLOC.U.ref(); },
    TNA_GLOC_LIST(TNA_X)
#undef TNA_X
};

}  // namespace

void PARCCT(std::string_view command, std::string_view name, std::string_view value, int submodel, int& status) {
  status = 0;
  const plat::Text<18> key(name);
  // A name longer than a name field is none of the table's, whatever its
  // first 18 characters are.
  const bool too_long = STRLNA(name) > 18;
  int row = 0;
  for (int i = 1; i <= kParCtrlConstCount && row == 0 && !too_long; ++i)
    if (key.view() == plat::Text<18>(kParCtrlConstNames[i - 1].view()).view()) row = i;
  if (row >= 1 && row <= 47) {
    PARCCR(command, name, value, GLOR.*kRealSlots[row - 1], status);
    return;
  }
  if (row >= 48 && row <= 72) {
    PARCCI(command, name, value, GLOI.*kIntSlots[row - 48], status);
    return;
  }
  if (row >= 73 && row <= 88) {
    PARCCZ(command, name, value, kTextSlots[row - 73](), status);
    return;
  }
  const int local = row - 88;  // 1 NODES, 2 NODESM
  if (row >= 89 && local <= LOCI.rows() && submodel >= 1 && submodel <= LOCI.cols()) {
    PARCCI(command, name, value, LOCI(local, submodel), status);
    return;
  }
  status = 1;
  std::string message = "Unrecognised entity reference@";
  message.append(too_long ? name.substr(0, static_cast<std::size_t>(STRLNA(name))) : key.view());
  SETERX(field(std::move(message), 300), 3, 1, "PARCCT");
}

void PARCCR(std::string_view command, std::string_view name, std::string_view value, double& constant, int& status) {
  status = 0;
  double v = 0.0;
  const bool change = is_change(command);
  if (change) PARRGT(value, v, status);
  else PARRVL(value, v, status);
  if (status != 0) return;
  if (!change) {
    if (SLUNDF(constant)) {
      status = 2;
      std::string message(plat::trimmed(name));
      message.append(" is undefined - cannot scale.");
      SETERX(field(std::move(message), 300), 3, 2, "PARCCR");
      return;
    }
    constant *= v;
    return;
  }
  if (SLUNDF(constant)) undefined_constant_warning(name, "PARCCR");
  constant = v;
}

void PARCCI(std::string_view command, std::string_view name, std::string_view value, int& constant, int& status) {
  status = 0;
  int v = 0;
  PARIGT(value, v, status);
  if (status != 0) return;
  if (!is_change(command)) {
    status = 2;
    SETERX(field("Cannot SCALE integer constants", 300), 3, 2, "PARCCI");
    return;
  }
  if (SUNDCK(constant)) undefined_constant_warning(name, "PARCCI");
  constant = v;
}

void PARCCZ(std::string_view command, std::string_view name, std::string_view value, plat::TextRef constant,
            int& status) {
  (void)name;
  status = 0;
  plat::Text<256> text;
  PARZVL(value, text.ref(), status);
  if (status != 0) return;
  if (!is_change(command)) {
    status = 1;
    SETERX(field("Cannot SCALE character constants", 300), 3, 1, "PARCCZ");
    return;
  }
  constant = text.view();
}
