// The GFF result file: file life (PARGFF), selection flags (GZBLKS), header
// (GHEADB), full model names (MODNAM), the data-line driver (GRECDB) with the
// nine record writers, and the line assembly shared by them (SETVU, STRSPC).
//
// Line assembly: every field of a data line is written into its own slot of
// a fixed field array (reals through SETVU, integers with the integer
// format, texts in double quotes), STRSPC joins the slots with single blanks
// into a fixed row buffer, and the line is the record-type digit, one blank
// and the joined text. Nothing is allocated per line.
#include "output/gff.h"
#include "platform/process_state.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/file_services.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "platform/format.h"
#include "platform/units.h"

namespace {

// State of PARGFF between calls.
int g_first = 1;
int g_parnumold = -1;
double g_prvtim = -1.0e20;
int g_fcnt = 0;
int g_lblks[4] = {0, 0, 0, 0};

// The field array and the row buffers of the record writers.
char g_fields[gff_field_slots * gff_field_length];
char g_char_fields[4 * gff_char_field_length];
char g_row[gff_node_row_length];
char g_line[gff_node_row_length + 2];

// Full model names (MODNAM) for the model maps of the header.
char g_fullnames[gff_max_models * gff_fullname_length];

constexpr std::string_view kWriteError = "Error writing data for NORVEK neutral file : Fortran IO status = ";
constexpr std::string_view kViewFactorWriteError =
    "Error writing view factor data for NORVEK neutral file : Fortran IO status = ";

void write_failure(std::string_view wording, int status, std::string_view routine, int code) {
  std::string m(wording);
  m += filesvc::int_field(status, 6);
  SETERX(m, 4, code, routine);
}

// The text without leading and trailing blanks.
std::string_view stripped(std::string_view s) {
  s = plat::trimmed(s);
  std::size_t b = 0;
  while (b < s.size() && s[b] == ' ') ++b;
  return s.substr(b);
}

// A text field: a double quote, the text without its outer blanks (one blank
// when it is blank), a double quote; blank-padded. A text that does not fit
// the slot gives the internal-write overflow status.
int put_text(plat::TextRef slot, std::string_view text) {
  std::string_view t = stripped(text);
  if (t.empty()) t = " ";
  if (t.size() + 2 > slot.size()) return plat::io::kInternalOverflow;
  char* p = slot.data();
  p[0] = '"';
  std::memcpy(p + 1, t.data(), t.size());
  p[t.size() + 1] = '"';
  std::memset(p + t.size() + 2, ' ', slot.size() - t.size() - 2);
  return 0;
}

// An integer field. The block's integer format "(I10)" is written here
// directly (right-justified in 10 columns, asterisks when it does not fit),
// any other format through the format engine.
int put_int(plat::TextRef slot, std::string_view int_format, long long value) {
  if (int_format != "(I10)" || slot.size() < 10) return plat::write_internal(slot, int_format, value);
  char digits[24];
  int n = 0;
  unsigned long long v =
      value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  if (value < 0) digits[n++] = '-';
  char* p = slot.data();
  std::memset(p, ' ', slot.size());
  if (n > 10) {
    std::memset(p, '*', 10);
  } else {
    for (int k = 0; k < n; ++k) p[9 - k] = digits[k];
  }
  return 0;
}

// Position of a letter in a code string (1-based), 0 when absent or blank.
int letter_code(std::string_view letters, std::string_view status) {
  if (status.empty() || status[0] == ' ') return 0;
  const auto p = letters.find(status[0]);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

// Joins fields(1..count) into the row buffer of the given length and writes
// "<rectype> <row>" on the unit; the write status (0 on success).
int write_row(int rectype, CTextVec1 fields, int count, int row_length, int unit) {
  int len = 0;
  STRSPC(fields, count, plat::TextRef(g_row, static_cast<std::size_t>(row_length)), len);
  g_line[0] = static_cast<char>('0' + rectype % 10);
  g_line[1] = ' ';
  std::memcpy(g_line + 2, g_row, static_cast<std::size_t>(len));
  return plat::io::write_line(unit, std::string_view(g_line, static_cast<std::size_t>(len) + 2));
}

// Upper end of model m's items of one kind: the next model's base, or the
// total for the last model.
int upper(const gar_ModelDirectorySlot& slot, int m, int nm, int total) { return m < nm ? slot(m + 1) : total; }

int model_count() { return md_subtreesize(1); }

// Real format of one block: "(G12.6)" for FORMAT "*", else "(" FORMAT ")".
void real_format_of(std::string_view format, char (&out)[10]) {
  if (plat::text_eq(format, "*")) {
    plat::assign_text(out, sizeof out, "(G12.6)");
  } else {
    out[0] = '(';
    plat::assign_text(out + 1, 8, format);
    out[9] = ')';
  }
}

// Sequence counter of an internal node (thermal 1..NT, fluid NT + j) in the
// work space: thermal nodes from word 1, fluid nodes after max(1, NT) words.
struct Counters {
  plat::Vec1<int> w;
  int nt, nf;
  bool valid(int node) const { return node >= 1 && node <= nt + nf; }
  int& of(int node) const { return node <= nt ? w(node) : w(std::max(1, nt) + node - nt); }
  int& of_fluid(int j) const { return w(std::max(1, nt) + j); }
};

// Walks one sub-list of a connection list from word p by the reading rule (w
// > 0 an entry (w, next word), w < 0 continue at word -w, w = 0 ends the
// sub-list) and calls f(neighbour, conductor) per entry. Returns the word
// after the closing 0, or 0 when the list runs off its array.
template <class F>
int walk_sublist(plat::Vec1<const std::int32_t> list, int p, LoopGuard& guard, F&& f) {
  const std::int64_t n = list.size();
  while (true) {
    guard.pass();
    if (p < 1 || p > n) return 0;
    const int w = list(p);
    if (w == 0) return p + 1;
    if (w < 0) {
      p = -w;
      continue;
    }
    if (p + 1 > n) return 0;
    f(w, list(p + 1));
    p += 2;
  }
}

struct CondRef {
  double value;
  std::string_view act;
  bool ok;
};

// Value and activity letter of conductor c of kind 1 GL, 2 GR, 3 GF (a
// negative GF number stands for that conductor in the opposite direction:
// its value negated).
CondRef conductor(int kind, int c) {
  const int k = c < 0 ? -c : c;
  const plat::Array1<double>* v = nullptr;
  const plat::Array1<plat::Text<1>>* a = nullptr;
  switch (kind) {
    case 1: v = &gar_linearconds, a = &gar_linearcondacts; break;
    case 2: v = &gar_radiativeconds, a = &gar_radiativecondacts; break;
    default: v = &gar_fluidicconds, a = &gar_fluidiccondacts; break;
  }
  if (k < 1 || k > v->size() || k > a->size()) return {0.0, {}, false};
  double value = (*v)(k);
  if (kind == 3 && c < 0) value = -value;
  return {value, (*a)(k).view(), true};
}

// One conductor line: its fields from slot 2 on (type, conductor model, from
// model, from number, to model, to number, sequence, then the value (SETVU)
// and the status code), then the row itself. Returns the code of the failing
// write (3..10 a field, 11 the row; 0 none) with its I/O status in status.
int write_conductor(int rectype, TextVec1 f, std::string_view rfmt, std::string_view ifmt, int unit, int type,
                    int cmodel, int fmodel, int fnum, int tmodel, int tnum, int seq, double value,
                    std::string_view act, int& status) {
  const long long ints[7] = {type, cmodel, fmodel, fnum, tmodel, tnum, seq};
  for (int k = 0; k < 7; ++k) {
    status = put_int(f(2 + k), ifmt, ints[k]);
    if (status != 0) return 3 + k;
  }
  SETVU(rfmt, value, f(9));
  status = put_int(f(10), ifmt, letter_code("AI", act));
  if (status != 0) return 10;
  status = write_row(rectype, f, 10, gff_row_length, unit);
  return status != 0 ? 11 : 0;
}

// Whether the field array holds the need slots of a node line; if not, says
// so for the kind of node ("thermal nodes" / "fluid nodes").
bool node_fields_fit(TextVec1 fields, int need, std::string_view kind, std::string_view routine) {
  if (fields.size() >= need) return true;
  std::string m = " Size of BUFFER in GRECDB is ";
  m += filesvc::int_field(fields.size(), 5) + ":, need" + filesvc::int_field(need, 5) + " for ";
  m += kind;
  m += ".";
  SETERX(m, 4, 1, routine);
  return false;
}

// Fields 2..5 of a node line: model, node number, code of its status letter
// among letters, label. Returns the code of the failing write (3..6; 0 none)
// with its I/O status in st.
int put_node_head(TextVec1 fields, std::string_view int_format, int model, int number, std::string_view letters,
                  std::string_view status, std::string_view label, int& st) {
  st = put_int(fields(2), int_format, model);
  if (st != 0) return 3;
  st = put_int(fields(3), int_format, number);
  if (st != 0) return 4;
  st = put_int(fields(4), int_format, letter_code(letters, status));
  if (st != 0) return 5;
  st = put_text(fields(5), label);
  return st != 0 ? 6 : 0;
}

// The user entity fields of node n from slot s on: nreal reals, nint
// integers, nchar texts. Returns the code of the failing write (int_code for
// an integer, int_code + 1 for a text; 0 none) with its I/O status in st.
template <class Reals, class Ints, class Chars>
int put_user_entities(TextVec1 fields, int s, std::string_view real_format, std::string_view int_format,
                      const Reals& reals, const Ints& ints, const Chars& chars, int n, int nreal, int nint,
                      int nchar, int int_code, int& st) {
  for (int k = 1; k <= nreal; ++k) SETVU(real_format, reals(n, k), fields(s++));
  for (int k = 1; k <= nint; ++k) {
    st = put_int(fields(s++), int_format, ints(n, k));
    if (st != 0) return int_code;
  }
  for (int k = 1; k <= nchar; ++k) {
    st = put_text(fields(s++), chars(n, k).view());
    if (st != 0) return int_code + 1;
  }
  return 0;
}

}  // namespace

void gff_reset_for_tests() {
  g_first = 1;
  g_parnumold = -1;
  g_prvtim = -1.0e20;
  g_fcnt = 0;
  std::fill(std::begin(g_lblks), std::end(g_lblks), 0);
}

// ---------------------------------------------------------------------------
// Line assembly
// ---------------------------------------------------------------------------

void SETVU(std::string_view real_format, double value, plat::TextRef field) {
  if (value == 0.0) {
    field = "0.0";
  } else if (SLUNDF(value)) {
    field = "NULL";
  } else {
    const int st = plat::write_internal(field, real_format, value);
    if (st != 0) write_failure(kWriteError, st, "SETVU", 3);
  }
}

void STRSPC(CTextVec1 fields, int count, plat::TextRef row, int& length) {
  const std::size_t room = row.size();
  std::size_t len = 0;
  LoopGuard guard("STRSPC");
  for (int i = 1; i <= count; ++i) {
    guard.pass();
    const std::string_view t = stripped(fields.view(i));
    if (t.empty()) {
      if (i == 1 && room > 0) row.data()[len++] = ' ';
      continue;
    }
    if (len + t.size() >= room) {
      std::string m = " Size of output buffer too small.   Current length = ";
      m += filesvc::int_field(static_cast<long long>(room), 6);
      SETERX(m, 4, 1, "STRSPC");
      length = static_cast<int>(len);
      return;
    }
    if (len > 0) row.data()[len++] = ' ';
    std::memcpy(row.data() + len, t.data(), t.size());
    len += t.size();
  }
  if (len < room) std::memset(row.data() + len, ' ', room - len);
  length = static_cast<int>(len);
}

// ---------------------------------------------------------------------------
// Selection flags and model names
// ---------------------------------------------------------------------------

void GZBLKS(std::string_view list, int length, int n, CTextVec1 names, plat::Vec1<int> flags, int& ierr) {
  ierr = 0;
  const std::string_view text = list.substr(0, static_cast<std::size_t>(std::clamp<int>(length, 0, list.size())));
  LoopGuard guard("GZBLKS");
  if (plat::is_blank(text)) {
    for (int i = 1; i <= n; ++i) {
      guard.pass();
      flags(i) = 1;
    }
    return;
  }
  flags(1) = 0;
  for (int i = 2; i <= n; ++i) {
    guard.pass();
    const std::string_view name = plat::trimmed(names.view(i));
    flags(i) = !name.empty() && text.find(name) != std::string_view::npos ? 1 : 0;
  }
}

void MODNAM(int maxlen, int maxmodels, plat::Mat2<const std::int32_t> directory, int slots, int nm, CTextVec1 names,
            TextVec1 fullnames) {
  (void)slots;
  if (nm > maxmodels) {
    SETERX("Too many submodels for TOLMA output routine", 4, 1, "MODNAM");
    return;
  }
  auto strange = [&](int m, int code) {
    std::string msg = "Strange model nesting in submodel : ";
    std::string name(names.view(m));
    name.resize(static_cast<std::size_t>(maxlen), ' ');
    SETERX(msg + name, 4, code, "MODNAM");
  };
  // Own name up to its first blank.
  auto own = [&](int m) {
    const std::string_view s = names.view(m);
    const auto b = s.find(' ');
    return b == std::string_view::npos ? s : s.substr(0, b);
  };
  int parent[gff_max_models + 1] = {};
  LoopGuard guard("MODNAM");
  for (int m = 1; m <= nm; ++m) {
    guard.pass();
    const int lev = directory(md_level, m);
    const int prev = m > 1 ? directory(md_level, m - 1) : -1;
    if (lev == 0) {
      parent[m] = 0;
    } else if (lev == prev) {
      parent[m] = parent[m - 1];
    } else if (lev == prev + 1) {
      parent[m] = m - 1;
    } else if (lev < prev) {
      int k = m - 1;
      while (k >= 1 && directory(md_level, k) != lev) {
        guard.pass();
        --k;
      }
      if (k < 1) {
        strange(m, 2);
        return;
      }
      parent[m] = parent[k];
    } else {
      strange(m, 3);
      return;
    }
    // The full name, built from its end: own name, then each parent's name
    // and ":" in front.
    char buf[gff_fullname_length];
    const std::size_t room = std::min<std::size_t>(static_cast<std::size_t>(maxlen), sizeof buf);
    std::size_t start = room;
    auto put_front = [&](std::string_view s) {
      if (s.size() > start) return false;
      start -= s.size();
      std::memcpy(buf + start, s.data(), s.size());
      return true;
    };
    bool fits = put_front(own(m));
    for (int p = parent[m]; fits && p >= 1; p = parent[p]) {
      guard.pass();
      fits = put_front(":") && put_front(own(p));
    }
    if (!fits) {
      strange(m, 4);
      return;
    }
    fullnames(m) = std::string_view(buf + start, room - start);
  }
}

// ---------------------------------------------------------------------------
// Header
// ---------------------------------------------------------------------------

namespace {

// Writes header lines; after the first failed write it writes nothing more.
class HeaderWriter {
 public:
  explicit HeaderWriter(int unit) : unit_(unit) {}
  bool ok() const { return status_ == 0; }
  void line(std::string_view s) {
    if (status_ != 0) return;
    status_ = plat::io::write_line(unit_, s);
    if (status_ != 0) write_failure(kWriteError, status_, "GHEADB", 1);
  }
  void key(std::string_view k, std::string_view v) {
    buf_.assign(k).append(": ").append(v);
    line(buf_);
  }
  void comment(std::string_view text) {
    buf_.assign("  Comment: ").append(text);
    line(buf_);
  }
  void numbered(int n) {
    buf_.assign("  Comment: This is record type ").append(filesvc::int_field(n, 4)).append(" in this file");
    line(buf_);
  }
  void attribute(std::string_view name, std::string_view type) {
    buf_.assign("  Attribute: ").append(name).append("  ").append(type);
    line(buf_);
  }
  void map(int code, std::string_view text) {
    // A code of three digits (model 100) widens its field.
    buf_.assign("        Map: ").append(code < 100 ? filesvc::int_field(code, 2) : std::to_string(code));
    buf_.append("  \"").append(text).append("\"");
    line(buf_);
  }
  void maps(std::initializer_list<std::string_view> texts) {
    int code = 0;
    for (std::string_view t : texts) map(++code, t);
  }

 private:
  int unit_;
  int status_ = 0;
  std::string buf_;
};

void model_map(HeaderWriter& h, int nm) {
  const CTextVec1 full(g_fullnames, gff_max_models, gff_fullname_length);
  for (int m = 1; m <= nm && m <= gff_max_models; ++m) h.map(m, plat::trimmed(full.view(m)));
}

void floats(HeaderWriter& h, std::initializer_list<std::string_view> names) {
  for (std::string_view n : names) h.attribute(n, "FLOAT");
}

void user_entities(HeaderWriter& h) {
  if (SPRSIZ(3) + SPRSIZ(4) + SPRSIZ(5) <= 0) return;
  h.comment("Spare Nodal Entities");
  for (int p = 1; p <= SPRSIZ(5); ++p) h.attribute(SPRNOD(p, 1).trimmed(), "FLOAT");
  for (int p = 1; p <= SPRSIZ(4); ++p) h.attribute(SPRNOD(p, 2).trimmed(), "INTEGER");
  for (int p = 1; p <= SPRSIZ(3); ++p) h.attribute(SPRNOD(p, 3).trimmed(), "STRING");
}

void conductor_head(HeaderWriter& h) {
  h.attribute("Time", "FLOAT");
  h.attribute("Type", "INTEGER");
}

void conductor_tail(HeaderWriter& h, int nm) {
  h.attribute("Model_Name_For_Conductors", "INTEGER");
  model_map(h, nm);
  h.attribute("Model_Name_From_Node", "INTEGER");
  model_map(h, nm);
  h.attribute("From_Node", "INTEGER");
  h.attribute("Model_Name_To_Node", "INTEGER");
  model_map(h, nm);
  h.attribute("To_Node", "INTEGER");
  h.attribute("Sequence_Number", "INTEGER");
  h.attribute("Value", "FLOAT");
  h.attribute("Status", "INTEGER");
  h.maps({"A", "I"});
}

void constant_section(HeaderWriter& h, int nm, int n, std::string_view record, std::string_view name_attr,
                      std::string_view value_type) {
  h.key("Record", record);
  h.numbered(n);
  h.attribute("Time", "FLOAT");
  h.attribute("Model_Name", "INTEGER");
  model_map(h, nm);
  h.attribute(name_attr, "STRING");
  h.attribute("Value", value_type);
}

}  // namespace

void GHEADB(int unit, std::string_view jobname, std::string_view date, std::string_view time, std::string_view title,
            plat::Vec1<const int> lblks) {
  const int nm = model_count();
  MODNAM(gff_fullname_length, gff_max_models,
         plat::Mat2<const std::int32_t>(gar_modeldirectory.data(), gar_modeldirectory.rows(),
                                        gar_modeldirectory.cols()),
         md_numslots, nm, CTextVec1(gar_modelnames), TextVec1(g_fullnames, gff_max_models, gff_fullname_length));

  const bool nodes = lblks(1) != 0 || lblks(2) != 0;
  const bool conds = lblks(1) != 0 || lblks(3) != 0;
  const bool consts = lblks(1) != 0 || lblks(4) != 0;
  const int nf = FLAGS(32);

  HeaderWriter h(unit);
  {
    plat::Text<20> version("2020");
    h.key("Description", "GFF output from NORVEK v" + version.str());
  }
  h.key("Description", jobname);
  h.key("Description", date);
  h.key("Description", time);
  if (!plat::is_blank(title)) h.key("Description", plat::trimmed(title));
  h.key("Format", "ASCII");

  int n = 0;
  if (nodes) {
    h.key("Record", "Thermal_Node");
    h.numbered(++n);
    h.attribute("Time", "FLOAT");
    h.attribute("Model_Name", "INTEGER");
    model_map(h, nm);
    h.attribute("Node_Number", "INTEGER");
    h.attribute("Type", "INTEGER");
    h.maps({"D", "B", "X", "C"});
    h.attribute("Label", "STRING");
    floats(h, {"Temperature", "Capacitance", "Total_Albedo_Heat_Source", "Total_Earth_Heat_Source",
               "Total_Internal_Heat_Source", "Total_Solar_Heat_Source", "Total_Rest_Heat_Source", "Area",
               "Solar_Absorptivity", "Infra-Red_Emissivity", "Incident_Albedo_Heat_Source",
               "Incident_Earth_Heat_Source", "Incident_Solar_Heat_Source", "X_Coordinate", "Y_Coordinate",
               "Z_Coordinate"});
    user_entities(h);
  }
  if (conds) {
    h.comment("We only output 1 of the pairs of 2-way conductors");
    h.key("Record", "Thermal_Conductor");
    h.numbered(++n);
    conductor_head(h);
    h.maps({"GL", "GR", "GF", "GV"});
    conductor_tail(h, nm);
  }
  if (nodes && nf > 0) {
    h.key("Record", "Fluid_Node");
    h.numbered(++n);
    h.attribute("Time", "FLOAT");
    h.attribute("Model_Name", "INTEGER");
    model_map(h, nm);
    h.attribute("Node_Number", "INTEGER");
    h.attribute("Type", "INTEGER");
    h.maps({"F", "J", "R", "H", "U", "I", "O", "Q", "S", "V", "K"});
    h.attribute("Label", "STRING");
    floats(h, {"Temperature",
               "Heat_Transfer_Area",
               "Equivalent_Diameter",
               "Length",
               "Static_Pressure",
               "Specific_Enthalpy",
               "Wall_Surface_Roughness",
               "Internal_Heat_Source",
               "Mass_Source",
               "Specific_Enthalpy_Of_Mass_Source",
               "Temperature_Of_Mass_Source",
               "X_Coordinate",
               "Y_Coordinate",
               "Z_Coordinate",
               "Vapour_Quality",
               "Cross-sectional_Flow_Area",
               "Nodal_Volume",
               "Relative_Humidity",
               "Mass_Source_Specific_Humidity",
               "Node_Compliance",
               "Partial_Derivative_@V/@t"});
    h.attribute("Fluid_Type", "STRING");
    h.attribute("Flow_Regime", "STRING");
    h.attribute("Fluid_State_Descriptor", "STRING");
    user_entities(h);
  }
  if (conds && nf > 0) {
    h.comment("For GL/GR/GF, From_Node is the Fluid node");
    h.key("Record", "Fluid_Conductor");
    h.numbered(++n);
    conductor_head(h);
    h.maps({"GL", "GR", "GF", "GP", "M"});
    conductor_tail(h, nm);
  }
  if (consts && FLAGS(7) > 0)
    constant_section(h, nm, ++n, "Integer_User_Constant", "Integer_User_Constant_Name", "INTEGER");
  if (consts && FLAGS(6) > 0) constant_section(h, nm, ++n, "Real_User_Constant", "Real_User_Constant_Name", "FLOAT");
  if (consts && FLAGS(9) > 0)
    constant_section(h, nm, ++n, "Character_User_Constant", "Character_User_Constant_Name", "STRING");
  h.line("End_Header");
}

// ---------------------------------------------------------------------------
// Record writers
// ---------------------------------------------------------------------------

void GTNODA(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit) {
  static constexpr std::string_view kRoutine = "GTNODA";
  const int nreal = SPRSIZ(5), nint = SPRSIZ(4), nchar = SPRSIZ(3);
  const int need = 21 + nreal + nint + nchar;
  if (!node_fields_fit(fields, need, "thermal nodes", kRoutine)) return;
  const int st_time = plat::write_internal(fields(1), real_format, timen);
  if (st_time != 0) return write_failure(kWriteError, st_time, kRoutine, 2);

  const int nt = FLAGS(1), nm = model_count();
  const plat::Array1<double>* reals[16] = {&gar_thermalnodetemps,
                                           &gar_thermalnodecapacitances,
                                           &gar_thermalnodeheatsourcesalbedo,
                                           &gar_thermalnodeheatsourcesplanet,
                                           &gar_thermalnodeheatsourcesinternal,
                                           &gar_thermalnodeheatsourcessolar,
                                           &gar_thermalnodeheatsourcesother,
                                           &gar_thermalnodesurfaceareas,
                                           &gar_thermalnodeabsorptivities,
                                           &gar_thermalnodeemissivities,
                                           &gar_thermalnodeincidentfluxesalbedo,
                                           &gar_thermalnodeincidentfluxesplanet,
                                           &gar_thermalnodeincidentfluxessolar,
                                           &gar_thermalnodecoordsx,
                                           &gar_thermalnodecoordsy,
                                           &gar_thermalnodecoordsz};
  LoopGuard guard(kRoutine);
  for (int m = 1; m <= nm; ++m) {
    const int hi = upper(md_thermalnodebase, m, nm, nt);
    for (int i = md_thermalnodebase(m) + 1; i <= hi; ++i) {
      guard.pass();
      int st = 0;
      int code = put_node_head(fields, int_format, m, gar_thermalnodenums(i), "DBXC",
                               gar_thermalnodestatuses(i).view(), gar_thermalnodelabels(i).view(), st);
      if (code != 0) return write_failure(kWriteError, st, kRoutine, code);
      int s = 6;
      for (const auto* a : reals) SETVU(real_format, (*a)(i), fields(s++));
      code = put_user_entities(fields, s, real_format, int_format, gar_thermalnodeuserentityvalsreal,
                               gar_thermalnodeuserentityvalsint, gar_thermalnodeuserentityvalschar, i, nreal, nint,
                               nchar, 7, st);
      if (code != 0) return write_failure(kWriteError, st, kRoutine, code);
      st = write_row(rectype, fields, need, gff_node_row_length, unit);
      if (st != 0) return write_failure(kWriteError, st, kRoutine, 9);
    }
  }
}

void GFNODA(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit) {
  static constexpr std::string_view kRoutine = "GFNODA";
  const int nreal = SPRSIZ(5), nint = SPRSIZ(4), nchar = SPRSIZ(3);
  const int need = 29 + nreal + nint + nchar;
  if (!node_fields_fit(fields, need, "fluid nodes", kRoutine)) return;
  const int st_time = plat::write_internal(fields(1), real_format, timen);
  if (st_time != 0) return write_failure(kWriteError, st_time, kRoutine, 2);

  const int nf = FLAGS(32), nm = model_count();
  const plat::Array1<double>* reals[21] = {&gar_fluidnodetemps,
                                           &gar_fluidnodeheattransferareas,
                                           &gar_fluidnodehydraulicdiameters,
                                           &gar_fluidnodelengths,
                                           &gar_fluidnodepressures,
                                           &gar_fluidnodespecenthalpies,
                                           &gar_fluidnodewallroughnesses,
                                           &gar_fluidnodeheatsources,
                                           &gar_fluidnodemassflowsources,
                                           &gar_fluidnodemasssourcespecenthalpies,
                                           &gar_fluidnodemasssourcetemps,
                                           &gar_fluidnodecoordsx,
                                           &gar_fluidnodecoordsy,
                                           &gar_fluidnodecoordsz,
                                           &gar_fluidnodevapourqualities,
                                           &gar_fluidnodeflowareas,
                                           &gar_fluidnodevolumes,
                                           &gar_fluidnoderelhumidities,
                                           &gar_fluidnodemasssourcespechumidities,
                                           &gar_fluidnodecompliances,
                                           &gar_fluidnodevolumechangerates};
  LoopGuard guard(kRoutine);
  for (int m = 1; m <= nm; ++m) {
    const int hi = upper(md_fluidnodebase, m, nm, nf);
    for (int j = md_fluidnodebase(m) + 1; j <= hi; ++j) {
      guard.pass();
      int st = 0;
      int code = put_node_head(fields, int_format, m, gar_fluidnodenums(j), "FJRHUIOQSVK",
                               gar_fluidnodestatuses(j).view(), gar_fluidnodelabels(j).view(), st);
      if (code != 0) return write_failure(kWriteError, st, kRoutine, code);
      int s = 6;
      for (const auto* a : reals) SETVU(real_format, (*a)(j), fields(s++));
      const std::string_view texts[3] = {gar_fluidnodefluidtypes(j).view(), gar_fluidnodeflowregimes(j).view(),
                                         gar_fluidnodestatedescriptors(j).view()};
      for (std::string_view t : texts) {
        st = put_text(fields(s++), t);
        if (st != 0) return write_failure(kWriteError, st, kRoutine, 7);
      }
      code = put_user_entities(fields, s, real_format, int_format, gar_fluidnodeuserentityvalsreal,
                               gar_fluidnodeuserentityvalsint, gar_fluidnodeuserentityvalschar, j, nreal, nint,
                               nchar, 8, st);
      if (code != 0) return write_failure(kWriteError, st, kRoutine, code);
      st = write_row(rectype, fields, need, gff_node_row_length, unit);
      if (st != 0) return write_failure(kWriteError, st, kRoutine, 10);
    }
  }
}

void GTCNDB(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit, plat::Vec1<int> counters) {
  static constexpr std::string_view kRoutine = "GTCNDB";
  int st = plat::write_internal(fields(1), real_format, timen);
  if (st != 0) return write_failure(kWriteError, st, kRoutine, 2);
  const int nt = FLAGS(1), nm = model_count();
  const Counters cnt{counters, nt, FLAGS(32)};
  const plat::Vec1<const std::int32_t> list = gar_pcsthermalold.view();
  LoopGuard guard(kRoutine);
  bool failed = false;
  for (int m = 1; m <= nm && !failed; ++m) {
    const int hi = upper(md_thermalnodebase, m, nm, nt);
    for (int i = md_thermalnodebase(m) + 1; i <= hi && !failed; ++i) {
      guard.pass();
      if (gar_thermalnodestatuses(i) == "C") continue;
      if (i > gar_pcsptrsthermalold.size()) continue;
      int p = gar_pcsptrsthermalold(i);
      const int from_model = NDSSMD(i), from_num = gar_thermalnodenums(i);
      for (int kind = 1; kind <= 3 && p > 0 && !failed; ++kind) {
        const int start = p;
        p = walk_sublist(list, p, guard, [&](int nb, int c) {
          if (failed || nb <= i || nb > nt) return;
          const CondRef cr = conductor(kind, c);
          if (!cr.ok) return;
          const int seq = ++cnt.of(nb);
          const int k = c < 0 ? -c : c;
          const int code =
              write_conductor(rectype, fields, real_format, int_format, unit, kind, CDSSMD(k, kind), from_model,
                              from_num, NDSSMD(nb), gar_thermalnodenums(nb), seq, cr.value, cr.act, st);
          if (code != 0) {
            failed = true;
            write_failure(kWriteError, st, kRoutine, code);
          }
        });
        // Clear the counters this sub-list raised.
        walk_sublist(list, start, guard, [&](int nb, int) {
          if (nb > i && nb <= nt) cnt.of(nb) = 0;
        });
      }
    }
  }
}

void GVFB(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
          int unit) {
  static constexpr std::string_view kRoutine = "GVFB";
  int st = plat::write_internal(fields(1), real_format, timen);
  if (st != 0) return write_failure(kViewFactorWriteError, st, kRoutine, 2);
  const int nt = FLAGS(1), nm = model_count(), ngv = FLAGS(5);
  LoopGuard guard(kRoutine);
  for (int m = 1; m <= nm; ++m) {
    const int hi = upper(md_vfaccondbase, m, nm, ngv);
    for (int c = md_vfaccondbase(m) + 1; c <= hi; ++c) {
      guard.pass();
      const int a = gar_vfaccondnodepairs(2 * c - 1), b = gar_vfaccondnodepairs(2 * c);
      if (a < 1 || a > nt || b < 1 || b > nt) continue;
      const int code = write_conductor(rectype, fields, real_format, int_format, unit, 4, CDSSMD(c, 4), NDSSMD(a),
                                       gar_thermalnodenums(a), NDSSMD(b), gar_thermalnodenums(b), 1,
                                       gar_vfacconds(c), gar_vfaccondacts(c).view(), st);
      if (code != 0) return write_failure(kViewFactorWriteError, st, kRoutine, code);
    }
  }
}

void GFCNDB(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit, plat::Vec1<int> counters) {
  static constexpr std::string_view kRoutine = "GFCNDB";
  int st = plat::write_internal(fields(1), real_format, timen);
  if (st != 0) return write_failure(kWriteError, st, kRoutine, 2);
  const int nt = FLAGS(1), nf = FLAGS(32), nl = FLAGS(33), nm = model_count();
  const Counters cnt{counters, nt, nf};
  const plat::Vec1<const std::int32_t> list = gar_pcsfluid.view();
  LoopGuard guard(kRoutine);
  bool failed = false;
  auto emit = [&](int type, int cmodel, int fmodel, int fnum, int tmodel, int tnum, int seq, double value,
                  std::string_view act) {
    const int code = write_conductor(rectype, fields, real_format, int_format, unit, type, cmodel, fmodel, fnum,
                                     tmodel, tnum, seq, value, act, st);
    if (code != 0) {
      failed = true;
      write_failure(kWriteError, st, kRoutine, code);
    }
  };
  for (int m = 1; m <= nm && !failed; ++m) {
    const int hi = upper(md_fluidnodebase, m, nm, nf);
    for (int j = md_fluidnodebase(m) + 1; j <= hi && !failed; ++j) {
      guard.pass();
      if (j > gar_pcsptrsfluid.size()) continue;
      int p = gar_pcsptrsfluid(j);
      const int from_model = NDSSMD(nt + j), from_num = gar_fluidnodenums(j);
      // Sub-list 1: mass-flow links to other fluid nodes (fluid indices).
      int start = p;
      if (p > 0) {
        p = walk_sublist(list, p, guard, [&](int nb, int c) {
          if (failed || nb > nf) return;
          const int seq = ++cnt.of_fluid(nb);
          const int l = c < 0 ? -c : c;
          if (l < 1 || l > nl || gar_massflowlinkcondnodepairs(2 * l) != nb) return;
          emit(4, CDSSMD(l, 5), from_model, from_num, NDSSMD(nt + nb), gar_fluidnodenums(nb), seq,
               gar_massflowlinkfittinglosses(l), gar_massflowlinkstatuses(l).view());
        });
        walk_sublist(list, start, guard, [&](int nb, int) {
          if (nb <= nf) cnt.of_fluid(nb) = 0;
        });
      }
      // Sub-lists 2..4: GL, GR, GF to nodes of the internal numbering.
      for (int kind = 1; kind <= 3 && p > 0 && !failed; ++kind) {
        start = p;
        p = walk_sublist(list, p, guard, [&](int nb, int c) {
          if (failed || !cnt.valid(nb)) return;
          const int seq = ++cnt.of(nb);
          const CondRef cr = conductor(kind, c);
          if (!cr.ok) return;
          const int k = c < 0 ? -c : c;
          const int tnum = nb <= nt ? gar_thermalnodenums(nb) : gar_fluidnodenums(nb - nt);
          emit(kind, CDSSMD(k, kind), from_model, from_num, NDSSMD(nb), tnum, seq, cr.value, cr.act);
        });
        walk_sublist(list, start, guard, [&](int nb, int) {
          if (cnt.valid(nb)) cnt.of(nb) = 0;
        });
      }
    }
  }
}

void GMFB(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
          int unit) {
  static constexpr std::string_view kRoutine = "GMFB";
  int st = plat::write_internal(fields(1), real_format, timen);
  if (st != 0) return write_failure(kWriteError, st, kRoutine, 2);
  const int nt = FLAGS(1), nf = FLAGS(32), nl = FLAGS(33), nm = model_count();
  LoopGuard guard(kRoutine);
  for (int m = 1; m <= nm; ++m) {
    const int hi = upper(md_massflowlinkbase, m, nm, nl);
    for (int l = md_massflowlinkbase(m) + 1; l <= hi; ++l) {
      guard.pass();
      const int a = gar_massflowlinkcondnodepairs(2 * l - 1), b = gar_massflowlinkcondnodepairs(2 * l);
      if (a < 1 || a > nf || b < 1 || b > nf) continue;
      const int code = write_conductor(rectype, fields, real_format, int_format, unit, 5, CDSSMD(l, 5),
                                       NDSSMD(nt + a), gar_fluidnodenums(a), NDSSMD(nt + b), gar_fluidnodenums(b), 1,
                                       gar_massflowlinkflowrates(l), gar_massflowlinkstatuses(l).view(), st);
      if (code != 0) return write_failure(kWriteError, st, kRoutine, code);
    }
  }
}

namespace {

// Lines of one kind of user constant: per model its constants i = 1..count,
// with put_value(slot, model, i) filling the value slot (a non-zero status
// is a failed write).
template <class Count, class Name, class Value>
void constant_lines(std::string_view routine, int rectype, double timen, std::string_view real_format,
                    std::string_view int_format, TextVec1 fields, int unit, Count count, Name name_index,
                    Value put_value) {
  int st = plat::write_internal(fields(1), real_format, timen);
  if (st != 0) return write_failure(kWriteError, st, routine, 2);
  const int nm = model_count();
  LoopGuard guard(routine);
  for (int m = 1; m <= nm; ++m) {
    const int n = count(m, nm);
    for (int i = 1; i <= n; ++i) {
      guard.pass();
      st = put_int(fields(2), int_format, m);
      if (st != 0) return write_failure(kWriteError, st, routine, 3);
      const int k = name_index(m) + i;
      st = put_text(fields(3), k >= 1 && k <= gar_userconstnames.size() ? gar_userconstnames(k).view() : "");
      if (st != 0) return write_failure(kWriteError, st, routine, 4);
      st = put_value(fields(4), m, i);
      if (st != 0) return write_failure(kWriteError, st, routine, 5);
      st = write_row(rectype, fields, 4, gff_row_length, unit);
      if (st != 0) return write_failure(kWriteError, st, routine, 6);
    }
  }
}

}  // namespace

void GIUCTS(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit) {
  constant_lines(
      "GIUCTS", rectype, timen, real_format, int_format, fields, unit,
      [](int m, int nm) { return upper(md_intuserconstbase, m, nm, FLAGS(7)) - md_intuserconstbase(m); },
      [](int m) { return md_intnamebase(m); },
      [&](plat::TextRef slot, int m, int i) {
        return put_int(slot, int_format, gar_userconstvaluesint(md_intuserconstbase(m) + i));
      });
}

void GRUCTS(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit) {
  constant_lines(
      "GRUCTS", rectype, timen, real_format, int_format, fields, unit,
      [](int m, int nm) { return upper(md_realuserconstbase, m, nm, FLAGS(6)) - md_realuserconstbase(m); },
      [](int m) { return md_realnamebase(m); },
      [&](plat::TextRef slot, int m, int i) {
        SETVU(real_format, gar_userconstvaluesreal(md_realuserconstbase(m) + i), slot);
        return 0;
      });
}

void GCUCTS(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit) {
  (void)fields;  // character values need the wider slots
  const TextVec1 wide(g_char_fields, 4, gff_char_field_length);
  static plat::Text<480> value;
  constant_lines(
      "GCUCTS", rectype, timen, real_format, int_format, wide, unit,
      [](int m, int nm) {
        // A model's character-constant names end where the next model's real names begin.
        return upper(md_realnamebase, m, nm, FLAGS(16)) - md_charnamebase(m);
      },
      [](int m) { return md_charnamebase(m); },
      [&](plat::TextRef slot, int m, int i) {
        const int nelem = FLAGS(8);
        const int start =
            md_charelementbase(m) * kPoolElementLength + gar_userconstpointerschar(md_charuserconstbase(m) + i);
        int length = 0, status = 0;
        value = "";
        DBFZPK(gar_userconstvalueschar.view(), nelem, nelem * kPoolElementLength, start, length, value.ref(),
               status);
        return put_text(slot, value.view());
      });
}

// ---------------------------------------------------------------------------
// Data-line driver and file life
// ---------------------------------------------------------------------------

void GRECDB(plat::Vec1<const int> lblks, std::string_view format, double timen, int unit, plat::Vec1<int> work) {
  char rfmt_buf[10];
  real_format_of(format, rfmt_buf);
  const std::string_view rfmt(rfmt_buf, sizeof rfmt_buf);
  constexpr std::string_view ifmt = "(I10)";
  const TextVec1 fields(g_fields, gff_field_slots, gff_field_length);
  for (int& w : work) w = 0;

  const bool nodes = lblks(1) != 0 || lblks(2) != 0;
  const bool conds = lblks(1) != 0 || lblks(3) != 0;
  const bool consts = lblks(1) != 0 || lblks(4) != 0;
  const bool fluid = FLAGS(32) > 0;
  int n = 0;
  if (nodes) GTNODA(++n, timen, rfmt, ifmt, fields, unit);
  if (conds) {
    ++n;
    GTCNDB(n, timen, rfmt, ifmt, fields, unit, work);
    if (FLAGS(5) > 0) GVFB(n, timen, rfmt, ifmt, fields, unit);
  }
  if (nodes && fluid) GFNODA(++n, timen, rfmt, ifmt, fields, unit);
  if (conds && fluid) {
    ++n;
    GFCNDB(n, timen, rfmt, ifmt, fields, unit, work);
    GMFB(n, timen, rfmt, ifmt, fields, unit);
  }
  if (consts && FLAGS(7) > 0) GIUCTS(++n, timen, rfmt, ifmt, fields, unit);
  if (consts && FLAGS(6) > 0) GRUCTS(++n, timen, rfmt, ifmt, fields, unit);
  if (consts && FLAGS(9) > 0) GCUCTS(++n, timen, rfmt, ifmt, fields, unit);
}

void PARGFF(std::string_view zents, std::string_view stem, int case_number, int unit) {
  const int nt = FLAGS(1), nf = FLAGS(32);
  const int need = std::max(1, nt) + std::max(1, nf);
  gar_CoreGuard core;
  if (FLAGS(FLAGS_NEXTDYNAMICCOREINT) < 1 ||
      !gar_intfits(static_cast<std::int64_t>(FLAGS(FLAGS_NEXTDYNAMICCOREINT)) + need)) {
    SETERX(gar_text_gff, 4, 1, "PARGFF");
    return;
  }
  const plat::Vec1<int> work = gar_dynamiccoreint.from(core.take_int(need), need);
  const double timen = GLOR.TIMEN;

  const bool newcase = g_first != 0 || case_number > g_parnumold;
  if (newcase || (case_number == g_parnumold && g_prvtim >= timen)) {
    int st = 0;
    SCLFIL("KEEP", unit, st);
    g_fcnt = newcase ? 1 : g_fcnt + 1;
    std::string name(plat::trimmed(stem));
    name += ".GFF";
    if (g_fcnt > 1) name += std::to_string(g_fcnt);
    if (name.size() > 255) name.resize(255);
    SOPSQ(name, "FORMATTED", "UNKNOWN", unit, st);
    if (st != 0) {
      std::string m = "Cannot open GFF file " + std::string(plat::trimmed(name)) + "@Fortran I/O error ";
      m += filesvc::int_field(st, 6);
      SETERX(m, 4, 2, "PARGFF");
      return;
    }
    static const plat::Text<10> kNames[4] = {"", "NODES", "CONDUCTORS", "CONSTANTS"};
    int ierr = 0;
    GZBLKS(zents, static_cast<int>(zents.size()), 4, CTextVec1(reinterpret_cast<const char*>(kNames), 4, 10),
           plat::Vec1<int>(g_lblks, 4), ierr);
    plat::Text<100> title;
    std::string t = "Parameter case " + filesvc::int_field(case_number, 4) + " ";
    t += GLOC.PARNAM.view();
    title = t;
    GHEADB(unit, JOBINF.jobname.view(), JOBINF.date.view(), JOBINF.time.view(), title.view(),
           plat::Vec1<const int>(g_lblks, 4));
  }
  GRECDB(plat::Vec1<const int>(g_lblks, 4), GLOC.FORMAT.view(), timen, unit, work);
  g_first = 0;
  g_prvtim = timen;
  g_parnumold = case_number;
}

namespace {
// The line and field buffers are rewritten before every use; they are
// cleared too, so that a reset leaves the file as the program started it.
void reset_gff() {
  gff_reset_for_tests();
  std::memset(g_fields, 0, sizeof g_fields);
  std::memset(g_char_fields, 0, sizeof g_char_fields);
  std::memset(g_row, 0, sizeof g_row);
  std::memset(g_line, 0, sizeof g_line);
  std::memset(g_fullnames, 0, sizeof g_fullnames);
}
}  // namespace
TNA_PROCESS_STATE("output/gff", reset_gff)
