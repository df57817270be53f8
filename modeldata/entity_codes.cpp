#include "modeldata/entity_codes.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/diagnostics.h"
#include "core/file_services.h"
#include "core/global_records.h"
#include "core/search_sort.h"
#include "modeldata/global_arrays.h"

namespace {

constexpr std::string_view kMnemonics[ent_count] = {
    "L",   "T",   "C",  "QA",  "QE",  "QI",  "QR",  "QS",  "A",  "ALP", "EPS", "QAI", "QEI", "QSI", "FD",
    "FL",  "P",   "FE", "FF",  "FQ",  "FM",  "FH",  "FR",  "FT", "FX",  "FY",  "FZ",  "VQ",  "FRG", "FLA",
    "VOL", "PHI", "FW", "CMP", "VDT", "FST", "ZZB", "ZZC", "ZW", "ZX",  "ZY",  "GL",  "GR",  "GF",  "GV",
    "M",   "GP",  "G",  "D",   "B",   "X",   "F",   "H",   "J",  "K",   "Q",   "R",   "S"};

// Array of a real built-in code for a thermal node (null: the value is 0).
plat::Array1<double>* thermal_array(int code) {
  switch (code) {
    case 2: return &gar_thermalnodetemps;
    case 3: return &gar_thermalnodecapacitances;
    case 4: return &gar_thermalnodeheatsourcesalbedo;
    case 5: return &gar_thermalnodeheatsourcesplanet;
    case 6: return &gar_thermalnodeheatsourcesinternal;
    case 7: return &gar_thermalnodeheatsourcesother;
    case 8: return &gar_thermalnodeheatsourcessolar;
    case 9: return &gar_thermalnodesurfaceareas;
    case 10: return &gar_thermalnodeabsorptivities;
    case 11: return &gar_thermalnodeemissivities;
    case 12: return &gar_thermalnodeincidentfluxesalbedo;
    case 13: return &gar_thermalnodeincidentfluxesplanet;
    case 14: return &gar_thermalnodeincidentfluxessolar;
    case 25: return &gar_thermalnodecoordsx;
    case 26: return &gar_thermalnodecoordsy;
    case 27: return &gar_thermalnodecoordsz;
    default: return nullptr;
  }
}

// Array of a real built-in code for a fluid node (null: the value is 0).
plat::Array1<double>* fluid_array(int code) {
  switch (code) {
    case 2: return &gar_fluidnodetemps;
    case 9: return &gar_fluidnodeheattransferareas;
    case 15: return &gar_fluidnodehydraulicdiameters;
    case 16: return &gar_fluidnodelengths;
    case 17: return &gar_fluidnodepressures;
    case 18: return &gar_fluidnodespecenthalpies;
    case 19: return &gar_fluidnodewallroughnesses;
    case 20: return &gar_fluidnodeheatsources;
    case 21: return &gar_fluidnodemassflowsources;
    case 22: return &gar_fluidnodemasssourcespecenthalpies;
    case 23: return &gar_fluidnodemasssourcetemps;
    case 25: return &gar_fluidnodecoordsx;
    case 26: return &gar_fluidnodecoordsy;
    case 27: return &gar_fluidnodecoordsz;
    case 28: return &gar_fluidnodevapourqualities;
    case 30: return &gar_fluidnodeflowareas;
    case 31: return &gar_fluidnodevolumes;
    case 32: return &gar_fluidnoderelhumidities;
    case 33: return &gar_fluidnodemasssourcespechumidities;
    case 34: return &gar_fluidnodecompliances;
    case 35: return &gar_fluidnodevolumechangerates;
    default: return nullptr;
  }
}

// Conductor or link values of codes 42..47.
plat::Array1<double>& conductor_array(int code) {
  switch (code) {
    case 42: return gar_linearconds;
    case 43: return gar_radiativeconds;
    case 44: return gar_fluidicconds;
    case 45: return gar_vfacconds;
    case 46: return gar_massflowlinkflowrates;
    default: return gar_massflowlinkfittinglosses;
  }
}

// Codes whose real access gives 0 without a message, per node side.
bool zero_for_thermal(int code) { return (code >= 15 && code <= 24) || (code >= 28 && code <= 41); }
bool zero_for_fluid(int code) {
  return (code >= 3 && code <= 8) || (code >= 10 && code <= 14) || code == 24 || code == 29 ||
         (code >= 36 && code <= 41);
}

std::string cut(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

void report_index(std::string_view routine, std::string_view what, std::string_view from, int& status) {
  std::string msg = "Entity index out of range@";
  msg.append(plat::trimmed(routine)).append(what);
  SETERX(cut(msg, 60), 3, 3, from);
  status = 3;
}

// Element (row, column) of a user-entity value table, or null when the
// table does not hold it.
template <class T>
T* user_value(plat::Array2<T>& table, int row, int column) {
  if (row < 1 || row > table.rows() || column < 1 || column > table.cols()) return nullptr;
  return &table(row, column);
}

}  // namespace

plat::Text<3> ENTNAM(int code) {
  if (code < 1 || code > ent_count) return plat::Text<3>();
  return plat::Text<3>(kMnemonics[code - 1]);
}

std::string_view ent_mnemonic(int code) {
  if (code < 1 || code > ent_count) return {};
  return kMnemonics[code - 1];
}

int entn(int code) { return static_cast<int>(ent_mnemonic(code).size()); }

int ENTRIC(int code) {
  if (code == 1 || code == 24 || code == 29 || code == 36 || code > 300) return 3;
  if (code >= 201 && code <= 299) return 2;
  return 1;
}

int ENTYP(int code) {
  if (code < 1 || code > 100) return 0;
  if (code == 1 || code == 2 || code == 9 || (code >= 25 && code <= 27)) return 0;
  if ((code >= 3 && code <= 8) || (code >= 10 && code <= 14)) return 1;
  return -1;
}

void LSNTVR(int code, int index, int nf, int nt, std::string_view routine, double& value, int& status) {
  value = 0.0;
  status = 0;
  const bool conductor = code >= 42 && code <= 47;
  if (conductor) {
    plat::Array1<double>& a = conductor_array(code);
    if (index < 1 || index > a.size()) {
      report_index(routine, ": Getting a real entity value", "LSNTVR", status);
      return;
    }
    value = a(index);
    return;
  }
  const bool user = code >= 101 && code <= 199;
  int kind = 0, column = 0;
  if (user) {
    plat::Text<18> name;
    SPRNAM(code, kind, column, name);
  }
  if (index <= nt) {
    plat::Array1<double>* a = thermal_array(code);
    if (a != nullptr || (user && column > 0)) {
      double* p = nullptr;
      if (a != nullptr) {
        if (index >= 1 && index <= a->size()) p = &(*a)(index);
      } else {
        p = user_value(gar_thermalnodeuserentityvalsreal, index, column);
      }
      if (p == nullptr) {
        report_index(routine, ": Getting a real entity value", "LSNTVR", status);
        return;
      }
      value = *p;
      return;
    }
    if (zero_for_thermal(code)) return;
    std::string msg = "Unrecognised entity code@";
    msg.append(plat::trimmed(routine)).append(": Getting a real entity value");
    SETERX(cut(msg, 60), 3, 1, "LSNTVR");
    status = 1;
    return;
  }
  const int j = index - nt;
  plat::Array1<double>* a = fluid_array(code);
  if (a != nullptr || (user && column > 0)) {
    double* p = nullptr;
    if (a != nullptr) {
      if (j >= 1 && j <= a->size() && j <= nf) p = &(*a)(j);
    } else if (j <= nf) {
      p = user_value(gar_fluidnodeuserentityvalsreal, j, column);
    }
    if (p == nullptr) {
      report_index(routine, ": Getting a real entity value", "LSNTVR", status);
      return;
    }
    value = *p;
    return;
  }
  if (zero_for_fluid(code)) return;
  std::string msg(routine);
  msg.append(": Unrecognised entity code");
  SETERX(cut(msg, 60), 3, 2, "LSNTVR");
  status = 2;
}

void LSNTVI(int code, int index, int nf, int nt, std::string_view routine, int& value, int& status) {
  value = 0;
  status = 0;
  int kind = 0, column = 0;
  if (code >= 201 && code <= 299) {
    plat::Text<18> name;
    SPRNAM(code, kind, column, name);
  }
  if (column < 1) {
    std::string msg(routine);
    msg.append(": Unrecognised entity code");
    SETERX(cut(msg, 60), 3, 1, "LSNTVI");
    status = 1;
    return;
  }
  const std::int32_t* p =
      index <= nt ? user_value(gar_thermalnodeuserentityvalsint, index, column)
                  : (index - nt <= nf ? user_value(gar_fluidnodeuserentityvalsint, index - nt, column) : nullptr);
  if (p == nullptr) {
    report_index(routine, ": Getting an integer entity value", "LSNTVI", status);
    return;
  }
  value = *p;
}

void LSNTVC(int code, int index, int nf, int nt, std::string_view routine, plat::TextRef value, int& status) {
  value.fill_blank();
  status = 0;
  int kind = 0, column = 0;
  if (code >= 301 && code <= 399) {
    plat::Text<18> name;
    SPRNAM(code, kind, column, name);
  }
  if (column < 1) {
    std::string msg(routine);
    msg.append(": Unrecognised entity code");
    SETERX(cut(msg, 60), 3, 1, "LSNTVC");
    status = 1;
    return;
  }
  const plat::Text<24>* p =
      index <= nt ? user_value(gar_thermalnodeuserentityvalschar, index, column)
                  : (index - nt <= nf ? user_value(gar_fluidnodeuserentityvalschar, index - nt, column) : nullptr);
  if (p == nullptr) {
    report_index(routine, ": Getting a character entity value", "LSNTVC", status);
    return;
  }
  value = p->view();
}

void SPRNAM(int code, int& kind, int& column, plat::TextRef name) {
  const long long i = static_cast<long long>(code) - 100;  // any int code, without overflow
  kind = static_cast<int>(i / 100 + 1);
  column = static_cast<int>(i % 100);
  name.fill_blank();
  const int rows = SPRSIZ(1);
  if (column > 0 && kind >= 1 && kind <= SPRSIZ(2) && kind <= 3 && column <= rows) {
    const long long element = static_cast<long long>(kind - 1) * rows + column;
    if (element <= SprnodRecord::capacity) {
      const plat::Text<18>& entry = SPRNOD(static_cast<int>(element));
      if (!entry.blank()) {
        name = entry.view();
        return;
      }
    }
  }
  kind = 0;
  column = 0;
}

void SPRENT(std::string_view name, int& code) {
  code = 0;
  const int rows = SPRSIZ(1);
  const int counts[3] = {SPRSIZ(5), SPRSIZ(4), SPRSIZ(3)};
  LoopGuard guard("SPRENT");
  for (int kind = 1; kind <= 3; ++kind) {
    guard.pass();
    const long long first = static_cast<long long>(kind - 1) * rows;  // elements before the kind's column
    const long long room = std::max(0LL, std::min<long long>(rows, SprnodRecord::capacity - first));
    const int count = static_cast<int>(std::min<long long>(counts[kind - 1], room));
    if (count <= 0) continue;
    const CTextVec1 column(SPRNOD.t[0].data() + first * 18, count, 18);
    int status = 0, found = 0, position = 0;
    SRFNDZ(column, count, name, status, found, position);
    if (found) {
      code = 100 * kind + position;
      return;
    }
  }
}

void LGTALI(int model, std::string_view alias, int& node, int& status) {
  node = 0;
  status = 0;
  if (model < 1 || model > FLAGS(26)) {
    status = 2;
    return;
  }
  const int first = md_nodealiasbase(model) + 1;
  const int last = std::min<long long>(md_nodealiasbase(model + 1), gar_nodealiasnames.size());
  if (first < 1 || last < first) return;
  const int n = last - first + 1;
  int st = 0, found = 0, position = 0;
  SOFNDZ(CTextVec1(gar_nodealiasnames.view().from(first, n)), n, alias, st, found, position);
  if (found && first + position - 1 <= gar_nodealiasnumbers.size())
    node = gar_nodealiasnumbers(first + position - 1);
}

double SRLMAX() { return 1.0e38; }

bool SMINRL(double x) { return std::fabs(x) < 1.0e-37; }

bool SMINDL(double x) { return std::fabs(x) < static_cast<double>(1.0e-37f); }
