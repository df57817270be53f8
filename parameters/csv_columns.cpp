#include "parameters/csv_columns.h"

#include <cstdint>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/search_sort.h"
#include "core/text_utils.h"
#include "modeldata/entity_codes.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "parameters/case_refs.h"
#include "parameters/case_texts.h"
#include "parameters/csv_tables.h"
#include "platform/format.h"

namespace csv {

std::string short_write_message(int ios) {
  return "Error writing to csv file@Fortran I/O error code" + filesvc::int_field(ios, 10) + " returned";
}

std::string long_write_message(int ios) {
  return "Error writing to csv file@Fortran I/O error code" + filesvc::int_field(ios, 10) +
         " returned. Possible causes are network error, disc full," + " or record being written is too long.";
}

}  // namespace csv

namespace {

int write_piece(int unit, std::string_view text) {
  int ios = 0;
  WRITEH(unit, text, ios, static_cast<int>(text.size()));
  return ios;
}

// The text without its blanks and tabs that stand outside apostrophes.
std::string without_blanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool quoted = false;
  for (const char ch : text) {
    if (ch == '\'') quoted = !quoted;
    if (!quoted && (ch == ' ' || ch == '\t')) continue;
    out.push_back(ch);
  }
  return out;
}

// Path of the model owning `node` below the main model ("" for the main model's own nodes).
std::string path_below_main(int node) {
  const std::string path = SUBMDN(node, "ALL");
  const std::size_t colon = path.find(':');
  if (colon == std::string::npos) return {};
  return std::string(plat::trimmed(std::string_view(path).substr(colon + 1)));
}

// Node item work space: NT + NF + 1 integer words above the stack top. The
// guard given puts the top back. Returns the list's first word, 0 when short.
int take_node_list(gar_CoreGuard& core, long long& shortfall) {
  const long long need = static_cast<long long>(FLAGS(FLAGS_NEXTDYNAMICCOREINT)) + FLAGS(1) + FLAGS(32) + 1;
  shortfall = need - FLAGS(FLAGS_DYSTOR);
  if (shortfall > 0) return 0;
  return core.take_int(FLAGS(1) + FLAGS(32) + 1);
}

plat::Vec1<int> node_list_at(int first) {
  const int n = FLAGS(1) + FLAGS(32);
  if (n == 0) return {};
  return gar_dynamiccoreint.from(first, n);
}

// Submodel prefix of a constant or array item: model and the position of
// the text after the prefix. false after the "Unrecognised submodel name"
// diagnostic (ierr 1).
bool resolve_prefix(std::string_view item, int model, std::string_view routine, int& sub, int& pos, int& ierr) {
  sub = model;
  pos = 1;
  int colon = 0;
  SQNDEX(item, ":", colon);
  if (colon == 0) return true;
  int st = 0;
  LSMINT(gar_modeldirectory.flat(), md_numslots, FLAGS(26), 0, model, gar_modelnames, item,
         static_cast<int>(plat::len_trim(item)), pos, sub, st);
  if (st != 0 || sub < 1 || sub > FLAGS(26)) {
    ierr = 1;
    SETERX("Unrecognised submodel name@" + std::string(item), 3, 1, routine);
    return false;
  }
  return true;
}

// Kind (1 real, 2 integer, 3 character) and global index of user constant
// `name` of submodel `sub`; 0 when it is none.
int find_user_constant(int sub, std::string_view name, int& index) {
  index = 0;
  const int rbase = md_realnamebase(sub), ibase = md_intnamebase(sub), cbase = md_charnamebase(sub);
  const int end = md_realnamebase(sub + 1);
  const struct {
    int first, count, kind;
  } groups[3] = {{rbase, ibase - rbase, 1}, {ibase, cbase - ibase, 2}, {cbase, end - cbase, 3}};
  CTextVec1 names(gar_userconstnames);
  for (const auto& g : groups) {
    if (g.count < 1 || g.first < 0 || g.first + g.count > names.size()) continue;
    int st = 0, found = 0, pos = 0;
    SOFNDZ(names.from(g.first + 1, g.count), g.count, name, st, found, pos);
    if (st == 0 && found == 1) {
      index = pos;  // position within the model's constants of this kind
      return g.kind;
    }
  }
  return 0;
}

// The control constants a CSV item may name: every real one but ENBNDM and
// INBNDM, every integer and character one, then NODES and NODESM.
enum class CcKind { Real, Int, Char, Local };
struct CcEntry {
  std::string_view name;
  CcKind kind;
  const void* field;
  int length;  // character field length; LOCI row for local ones
};

const std::vector<CcEntry>& control_constant_table() {
  static const std::vector<CcEntry> table = [] {
    std::vector<CcEntry> t;
#define TNA_X(U, l) t.push_back({#U, CcKind::Real, &GLOR.U, 0});
    TNA_GLOR_LIST(TNA_X)
#undef TNA_X
    t.pop_back();  // INBNDM
    t.pop_back();  // ENBNDM
#define TNA_X(U, l) t.push_back({#U, CcKind::Int, &GLOI.U, 0});
    TNA_GLOI_LIST(TNA_X)
#undef TNA_X
#define TNA_X(U, l, n, d) t.push_back({#U, CcKind::Char, GLOC.U.data(), n});
    TNA_GLOC_LIST(TNA_X)
#undef TNA_X
    t.push_back({"NODES", CcKind::Local, nullptr, 1});
    t.push_back({"NODESM", CcKind::Local, nullptr, 2});
    return t;
  }();
  return table;
}

const CcEntry* find_control_constant(std::string_view name) {
  for (const CcEntry& e : control_constant_table())
    if (plat::text_eq(e.name, name)) return &e;
  return nullptr;
}

// Name of a constant or array item after its prefix. A name field holds 18
// characters: a longer name names nothing (never the name of its first 18).
std::string_view name_after(std::string_view text, int pos, std::size_t stop) {
  const std::size_t from = static_cast<std::size_t>(pos - 1);
  if (from >= text.size() || stop <= from) return {};
  return plat::trimmed(text.substr(from, stop - from));
}
bool name_fits(std::string_view name) { return name.size() <= 18; }

// Array item resolved: array number and its index part.
struct ArrayItem {
  int sub = 0, number = 0, type = 0, start = 0, ndim = 0, rangeflag = 0;
  int dims[3] = {1, 1, 1};
  int range[6] = {1, 1, 1, 1, 1, 1};
  std::string_view head;  // the item before its bracket
};

bool resolve_array(std::string_view item, int model, std::string_view routine, ArrayItem& a, int& ierr) {
  int pos = 1;
  if (!resolve_prefix(item, model, routine, a.sub, pos, ierr)) return false;
  const std::string_view used = plat::trimmed(item);
  const std::string_view rest = used.substr(std::min(used.size(), static_cast<std::size_t>(pos - 1)));
  const std::size_t bracket = rest.find('(');
  if (bracket == std::string_view::npos) {
    ierr = 2;
    SETERX("Invalid array reference syntax@" + std::string(rest), 3, 2, routine);
    return false;
  }
  const std::string_view name = name_after(rest, 1, bracket);
  const int first = md_arraybase(a.sub), last = name_fits(name) ? md_arraybase(a.sub + 1) : first;
  for (int k = first + 1; k <= last && k <= gar_arraynames.size(); ++k) {
    if (plat::text_eq(gar_arraynames(k).view(), name) && !name.empty()) {
      a.number = k;
      break;
    }
  }
  if (a.number == 0) {
    ierr = 3;
    SETERX("Unrecognised array name@" + std::string(used), 3, 3, routine);
    return false;
  }
  a.head = used.substr(0, static_cast<std::size_t>(pos - 1) + bracket);
  int st = 0;
  PARAIN(a.number, rest.substr(bracket), a.type, a.start, a.ndim, plat::Vec1<int>(a.dims, 3),
         plat::Vec1<int>(a.range, 6), a.rangeflag, st);
  if (st != 0) {
    ierr = st;
    return false;
  }
  for (int d = a.ndim; d < 3; ++d) {
    a.dims[d] = 1;
    a.range[2 * d] = a.range[2 * d + 1] = 1;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Field writers
// ---------------------------------------------------------------------------

namespace {
// Real and integer fields as the table writes them.
void real_field(double value, plat::Text<14>& buf, std::string_view& piece) {
  if (SLUNDF(value)) {
    piece = ",U";
    return;
  }
  plat::write_internal(buf, "(',', 1PE13.6)", value);
  piece = buf.view();
}
std::string int_field(int value) {
  if (SUNDCK(value)) return ",U";
  return "," + filesvc::int_field(value, 10);
}
std::string char_field(std::string_view text) { return ",\"" + std::string(plat::trimmed(text)) + "\""; }

bool report_long(int ios, std::string_view routine, int& ierr) {
  if (ios == 0) return false;
  ierr = 1;
  SETERX(csv::long_write_message(ios), 3, 1, routine);
  return true;
}
}  // namespace

void PRCCCR(double value, int unit, int& ierr) {
  ierr = 0;
  plat::Text<14> buf;
  std::string_view piece;
  real_field(value, buf, piece);
  report_long(write_piece(unit, piece), "PRCCCR", ierr);
}

void PRCCCI(int value, int unit, int& ierr) {
  ierr = 0;
  report_long(write_piece(unit, int_field(value)), "PRCCCI", ierr);
}

void PRCCCZ(std::string_view text, int unit, int& ierr, int len) {
  ierr = 0;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(std::max(len, 0)));
  report_long(write_piece(unit, char_field(text.substr(0, n))), "PRCCCZ", ierr);
}

void PRCWNR(plat::Vec1<const int> list, int n, int nt, plat::Vec1<const double> values, int unit, int& ierr) {
  ierr = 0;
  plat::Text<14> buf;
  std::string_view piece;
  for (int i = 1; i <= n; ++i) {
    const int node = list(i);
    if (node > nt) return;
    real_field(values(node), buf, piece);
    if (report_long(write_piece(unit, piece), "PRCWNR", ierr)) return;
  }
}

void PRCWFR(plat::Vec1<const int> list, int n, int nf, int nt, plat::Vec1<const double> values, int unit,
            int& ierr) {
  ierr = 0;
  plat::Text<14> buf;
  std::string_view piece;
  for (int i = 1; i <= n; ++i) {
    const int node = list(i);
    if (node <= nt || node > nt + nf) continue;
    real_field(values(node - nt), buf, piece);
    if (report_long(write_piece(unit, piece), "PRCWFR", ierr)) return;
  }
}

void PRCWNI(plat::Vec1<const int> list, int n, int nt, plat::Vec1<const int> values, int unit, int& ierr) {
  ierr = 0;
  for (int i = 1; i <= n; ++i) {
    const int node = list(i);
    if (node > nt) return;
    if (report_long(write_piece(unit, int_field(values(node))), "PRCWNI", ierr)) return;
  }
}

void PRCWFI(plat::Vec1<const int> list, int n, int nf, int nt, plat::Vec1<const int> values, int unit, int& ierr) {
  ierr = 0;
  for (int i = 1; i <= n; ++i) {
    const int node = list(i);
    if (node <= nt || node > nt + nf) continue;
    if (report_long(write_piece(unit, int_field(values(node - nt))), "PRCWFI", ierr)) return;
  }
}

void PRCWNZ(plat::Vec1<const int> list, int n, int nt, CTextVec1 values, int unit, int& ierr, int len) {
  ierr = 0;
  for (int i = 1; i <= n; ++i) {
    const int node = list(i);
    if (node > nt) return;
    const std::string_view v = values.view(node);
    if (report_long(write_piece(unit, char_field(v.substr(0, std::min<std::size_t>(v.size(), len)))), "PRCWNZ",
                    ierr))
      return;
  }
}

void PRCWFZ(plat::Vec1<const int> list, int n, int nf, int nt, CTextVec1 values, int unit, int& ierr, int len) {
  ierr = 0;
  for (int i = 1; i <= n; ++i) {
    const int node = list(i);
    if (node <= nt || node > nt + nf) continue;
    const std::string_view v = values.view(node - nt);
    if (report_long(write_piece(unit, char_field(v.substr(0, std::min<std::size_t>(v.size(), len)))), "PRCWFZ",
                    ierr))
      return;
  }
}

void PRCWTR(plat::Vec1<const int> list, int n, plat::Vec1<const double> values, int unit, int& ierr) {
  ierr = 0;
  plat::Text<14> buf;
  std::string_view piece;
  for (int i = 1; i <= n; ++i) {
    real_field(values(list(i)), buf, piece);
    if (report_long(write_piece(unit, piece), "PRCWTR", ierr)) return;
  }
}

namespace {

// Writes the elements (i, j, k) of ranges (i1, i2, j1, j2, k1, k2) of an array
// of extents e1, e2 stored first index fastest, in storage order, each by
// write(value, unit, status); any failed write sets ierr = 1 and the rest
// are still written.
template <class T, class Write>
void write_range_cells(int e1, int e2, plat::Vec1<const int> ranges, plat::Vec1<const T> values, int unit, int& ierr,
                       Write write) {
  ierr = 0;
  for (int k = ranges(5); k <= ranges(6); ++k)
    for (int j = ranges(3); j <= ranges(4); ++j)
      for (int i = ranges(1); i <= ranges(2); ++i) {
        int st = 0;
        write(values((k - 1) * e1 * e2 + (j - 1) * e1 + i), unit, st);
        if (st != 0) ierr = 1;
      }
}

}  // namespace

void PRCRAR(int e1, int e2, int e3, plat::Vec1<const int> ranges, plat::Vec1<const double> values, int unit,
            int& ierr) {
  (void)e3;
  write_range_cells(e1, e2, ranges, values, unit, ierr, PRCCCR);
}

void PRCIAR(int e1, int e2, int e3, plat::Vec1<const int> ranges, plat::Vec1<const int> values, int unit,
            int& ierr) {
  (void)e3;
  write_range_cells(e1, e2, ranges, values, unit, ierr, PRCCCI);
}

namespace {
constexpr std::string_view kUnpack = "Unable to unpack character array from data base@Contact Central Support";

// The pooled text that starts at `pos`: DBFZPK, except that a delimiter
// right at `pos` is an empty text (length 0, blank), not a failure.
void pooled_text(PoolView pool, int nelem, int limit, int pos, int& length, plat::TextRef text, int& st) {
  const long long used = std::min<long long>(static_cast<long long>(nelem), pool.size()) * kPoolElementLength;
  if (pos >= 1 && pos <= limit && pos <= used &&
      pool((pos - 1) / kPoolElementLength + 1).c[(pos - 1) % kPoolElementLength] == '\0') {
    length = 0;
    text.fill_blank();
    st = 0;
    return;
  }
  DBFZPK(pool, nelem, limit, pos, length, text, st);
}
}  // namespace

void PRCZA1(int index, int start, int nelem, PoolView pool, int unit, int& ierr) {
  ierr = 0;
  const int limit = kPoolElementLength * nelem;
  int pos = start;
  plat::Text<kPoolElementLength> text;
  int length = 0, st = 0;
  for (int f = 1; f < index; ++f) {
    pooled_text(pool, nelem, limit, pos, length, text, st);
    if (st != 0) {
      ierr = 1;
      SETERX(kUnpack, 3, 1, "PRCZA1");
      return;
    }
    pos += length + 1;
  }
  pooled_text(pool, nelem, limit, pos, length, text, st);
  if (st != 0) {
    ierr = 2;
    SETERX(kUnpack, 3, 2, "PRCZA1");
    return;
  }
  PRCCCZ(text.view(), unit, ierr, length);
}

void PRCZA2(int e1, int e2, int e3, plat::Vec1<const int> ranges, int start, int nelem, PoolView pool, int unit,
            int& ierr) {
  ierr = 0;
  const int limit = kPoolElementLength * nelem;
  int pos = start;
  plat::Text<kPoolElementLength> text;
  for (int k = 1; k <= e3; ++k)
    for (int j = 1; j <= e2; ++j)
      for (int i = 1; i <= e1; ++i) {
        int length = 0, st = 0;
        pooled_text(pool, nelem, limit, pos, length, text, st);
        if (st != 0) {
          ierr = 1;
          SETERX(kUnpack, 3, 1, "PRCZA2");
          return;
        }
        pos += length + 1;
        if (i >= ranges(1) && i <= ranges(2) && j >= ranges(3) && j <= ranges(4) && k >= ranges(5) &&
            k <= ranges(6)) {
          PRCCCZ(text.view(), unit, ierr, length);
          if (ierr != 0) return;
        }
        if (k == ranges(6) && j == ranges(4) && i == ranges(2)) return;  // nothing selected after this one
      }
}

// ---------------------------------------------------------------------------
// Node items
// ---------------------------------------------------------------------------

void ENTNTP(std::string_view name, int& thermal, int& fluid, int& ierr) {
  ierr = 0;
  thermal = fluid = 0;
  plat::Text<18> matched;
  int code = 0, lm = 0;
  ENTFND(name, matched, code, lm);
  if (code == 0) {
    ierr = 1;
    SETERX("Unrecognised node entity@" + std::string(name), 3, 1, "ENTNTP");
    return;
  }
  const int kind = ENTYP(code);
  thermal = kind == 0 || kind == 1 ? 1 : 0;
  fluid = kind == 0 || kind == -1 ? 1 : 0;
}

void PRHNOD(std::string_view name, std::string_view noderef, int model, int unit, int& ierr) {
  ierr = 0;
  gar_CoreGuard core;
  long long shortfall = 0;
  const int first = take_node_list(core, shortfall);
  if (first == 0) {
    ierr = 1;
    SETERX("Insufficient dynamic core@Increase DYSTOR", 3, 1, "PRHNOD");
    return;
  }
  const int nt = FLAGS(1), nf = FLAGS(32);
  plat::Vec1<int> list = node_list_at(first);
  int n = 0;
  PARNDS(noderef, model, nt + nf, list, n, ierr);
  if (ierr != 0) return;
  int thermal = 0, fluid = 0;
  ENTNTP(name, thermal, fluid, ierr);
  if (ierr != 0) return;
  const std::string quantity(plat::trimmed(name));
  for (int i = 1; i <= n; ++i) {
    const int node = list(i);
    if (node <= nt ? thermal == 0 : fluid == 0) continue;
    const std::string path = path_below_main(node);
    std::string column = "," + quantity;
    if (!path.empty()) column += ":" + path + ":";
    column += filesvc::int_field(NODNUM(node), 10);
    const int ios = write_piece(unit, without_blanks(column));
    if (ios != 0) {
      ierr = 2;
      SETERX(csv::short_write_message(ios), 3, 2, "PRHNOD");
    }
  }
}

namespace {
// Value arrays of the built-in node quantities 1..36.
struct NodeArrays {
  plat::Vec1<const double> treal, freal;
  CTextVec1 tchar, fchar;
  bool character = false;
  int length = 0;
};

NodeArrays node_arrays(int code) {
  NodeArrays a;
  auto rt = [&](auto& arr) { a.treal = arr.view(); };
  auto rf = [&](auto& arr) { a.freal = arr.view(); };
  switch (code) {
    case 1: a.character = true, a.length = 24, a.tchar = gar_thermalnodelabels, a.fchar = gar_fluidnodelabels; break;
    case 2: rt(gar_thermalnodetemps), rf(gar_fluidnodetemps); break;
    case 3: rt(gar_thermalnodecapacitances); break;
    case 4: rt(gar_thermalnodeheatsourcesalbedo); break;
    case 5: rt(gar_thermalnodeheatsourcesplanet); break;
    case 6: rt(gar_thermalnodeheatsourcesinternal); break;
    case 7: rt(gar_thermalnodeheatsourcesother); break;
    case 8: rt(gar_thermalnodeheatsourcessolar); break;
    case 9: rt(gar_thermalnodesurfaceareas), rf(gar_fluidnodeheattransferareas); break;
    case 10: rt(gar_thermalnodeabsorptivities); break;
    case 11: rt(gar_thermalnodeemissivities); break;
    case 12: rt(gar_thermalnodeincidentfluxesalbedo); break;
    case 13: rt(gar_thermalnodeincidentfluxesplanet); break;
    case 14: rt(gar_thermalnodeincidentfluxessolar); break;
    case 15: rf(gar_fluidnodehydraulicdiameters); break;
    case 16: rf(gar_fluidnodelengths); break;
    case 17: rf(gar_fluidnodepressures); break;
    case 18: rf(gar_fluidnodespecenthalpies); break;
    case 19: rf(gar_fluidnodewallroughnesses); break;
    case 20: rf(gar_fluidnodeheatsources); break;
    case 21: rf(gar_fluidnodemassflowsources); break;
    case 22: rf(gar_fluidnodemasssourcespecenthalpies); break;
    case 23: rf(gar_fluidnodemasssourcetemps); break;
    case 24: a.character = true, a.length = 24, a.fchar = gar_fluidnodefluidtypes; break;
    case 25: rt(gar_thermalnodecoordsx), rf(gar_fluidnodecoordsx); break;
    case 26: rt(gar_thermalnodecoordsy), rf(gar_fluidnodecoordsy); break;
    case 27: rt(gar_thermalnodecoordsz), rf(gar_fluidnodecoordsz); break;
    case 28: rf(gar_fluidnodevapourqualities); break;
    case 29: a.character = true, a.length = 4, a.fchar = gar_fluidnodeflowregimes; break;
    case 30: rf(gar_fluidnodeflowareas); break;
    case 31: rf(gar_fluidnodevolumes); break;
    case 32: rf(gar_fluidnoderelhumidities); break;
    case 33: rf(gar_fluidnodemasssourcespechumidities); break;
    case 34: rf(gar_fluidnodecompliances); break;
    case 35: rf(gar_fluidnodevolumechangerates); break;
    case 36: a.character = true, a.length = 4, a.fchar = gar_fluidnodestatedescriptors; break;
    default: break;
  }
  return a;
}
}  // namespace

void PRCUDE(int code, plat::Vec1<const int> list, int n, int unit, int& ierr) {
  ierr = 0;
  const int nr = std::max(0, static_cast<int>(SPRSIZ(5))), ni = std::max(0, static_cast<int>(SPRSIZ(4)));
  const int nc = std::max(0, static_cast<int>(SPRSIZ(3)));
  const int nt = FLAGS(1), nf = FLAGS(32);
  const int k = -code;
  int st1 = 0, st2 = 0;
  if (k >= 1 && k <= nr && k <= gar_thermalnodeuserentityvalsreal.cols()) {
    PRCWNR(list, n, nt, gar_thermalnodeuserentityvalsreal.col(k), unit, st1);
    PRCWFR(list, n, nf, nt, gar_fluidnodeuserentityvalsreal.col(k), unit, st2);
  } else if (k > nr && k <= nr + ni && k - nr <= gar_thermalnodeuserentityvalsint.cols()) {
    PRCWNI(list, n, nt, gar_thermalnodeuserentityvalsint.col(k - nr), unit, st1);
    PRCWFI(list, n, nf, nt, gar_fluidnodeuserentityvalsint.col(k - nr), unit, st2);
  } else if (k > nr + ni && k <= nr + ni + nc && k - nr - ni <= gar_thermalnodeuserentityvalschar.cols()) {
    PRCWNZ(list, n, nt, CTextVec1(gar_thermalnodeuserentityvalschar.col(k - nr - ni)), unit, st1, 24);
    PRCWFZ(list, n, nf, nt, CTextVec1(gar_fluidnodeuserentityvalschar.col(k - nr - ni)), unit, st2, 24);
  } else {
    ierr = 1;
    SETERX("Failed to retrieve user defined node entity@Contact Central Support", 3, 1, "PRCUDE");
    return;
  }
  if (st1 != 0 || st2 != 0) ierr = 1;
}

void PRCNOD(int code, std::string_view noderef, std::string_view item, int model, int unit, int& ierr) {
  ierr = 0;
  gar_CoreGuard core;
  long long shortfall = 0;
  const int first = take_node_list(core, shortfall);
  if (first == 0) {
    ierr = 1;
    SETERX(gar_paramcoretext(shortfall), 3, 1, "PRCNOD");
    return;
  }
  const int nt = FLAGS(1), nf = FLAGS(32);
  plat::Vec1<int> list = node_list_at(first);
  int n = 0;
  PARNDS(noderef, model, nt + nf, list, n, ierr);
  if (ierr != 0) return;
  const plat::Vec1<const int> clist = list;
  if (code < 0) {
    int st = 0;
    PRCUDE(code, clist, n, unit, st);
    if (st != 0) ierr = 3;
    return;
  }
  if (code < 1 || code > 36) {
    ierr = 2;
    SETERX("Invalid or unrecognised entity type@" + std::string(plat::trimmed(item)), 3, 2, "PRCNOD");
    return;
  }
  const NodeArrays a = node_arrays(code);
  int st1 = 0, st2 = 0;
  if (a.character) {
    if (ENTYP(code) >= 0) PRCWNZ(clist, n, nt, a.tchar, unit, st1, a.length);
    if (ENTYP(code) <= 0) PRCWFZ(clist, n, nf, nt, a.fchar, unit, st2, a.length);
  } else {
    if (ENTYP(code) >= 0) PRCWNR(clist, n, nt, a.treal, unit, st1);
    if (ENTYP(code) <= 0) PRCWFR(clist, n, nf, nt, a.freal, unit, st2);
  }
  if (st1 != 0 || st2 != 0) ierr = 3;
}

// ---------------------------------------------------------------------------
// Constant items
// ---------------------------------------------------------------------------

void PRHCCT(std::string_view name, int /*model*/, int& found) { found = find_control_constant(name) ? 1 : 0; }

void PRHCST(std::string_view item, int model, int unit, int& ierr) {
  ierr = 0;
  int sub = model, pos = 1;
  if (!resolve_prefix(item, model, "PRHCST", sub, pos, ierr)) return;
  const std::string_view name = name_after(item, pos, item.size());
  int index = 0, found = 0;
  if (!name_fits(name)) found = 0;
  else if (find_user_constant(sub, name, index) == 0) PRHCCT(name, sub, found);
  else found = 1;
  if (found == 0) {
    ierr = 4;
    SETERX("Unrecognised entity reference@" + std::string(plat::trimmed(item)), 3, 4, "PRHCST");
    return;
  }
  const int ios = write_piece(unit, "," + std::string(plat::trimmed(item)));
  if (ios != 0) {
    ierr = 2;
    SETERX(csv::short_write_message(ios), 3, 2, "PRHCST");
  }
}

void PRCCCT(std::string_view name, int model, int unit, int& ierr) {
  ierr = 0;
  const CcEntry* e = find_control_constant(name);
  if (e == nullptr) {
    ierr = 1;
    SETERX("Unrecognised constant name - " + (name_fits(name) ? plat::Text<18>(name).str() : std::string(name)), 3,
           1, "PRCCCT");
    return;
  }
  switch (e->kind) {
    case CcKind::Real: PRCCCR(*static_cast<const double*>(e->field), unit, ierr); break;
    case CcKind::Int: PRCCCI(*static_cast<const std::int32_t*>(e->field), unit, ierr); break;
    case CcKind::Char:
      PRCCCZ(std::string_view(static_cast<const char*>(e->field), static_cast<std::size_t>(e->length)), unit, ierr,
             e->length);
      break;
    case CcKind::Local: {
      const bool ok = model >= 1 && model <= LOCI.cols() && e->length <= LOCI.rows();
      PRCCCI(ok ? LOCI(e->length, model) : 0, unit, ierr);
      break;
    }
  }
}

void PRCCST(std::string_view item, int model, int unit, int& ierr) {
  ierr = 0;
  int sub = model, pos = 1;
  if (!resolve_prefix(item, model, "PRCCST", sub, pos, ierr)) return;
  const std::string_view name = name_after(item, pos, item.size());
  int index = 0;
  switch (name_fits(name) ? find_user_constant(sub, name, index) : 0) {
    case 1: PRCCCR(gar_userconstvaluesreal(md_realuserconstbase(sub) + index), unit, ierr); return;
    case 2: PRCCCI(gar_userconstvaluesint(md_intuserconstbase(sub) + index), unit, ierr); return;
    case 3: {
      const int pointer = gar_userconstpointerschar(md_charuserconstbase(sub) + index);
      const int nelem = static_cast<int>(gar_userconstvalueschar.size());
      plat::Text<kPoolElementLength> text;
      int length = 0, st = 0;
      pooled_text(gar_userconstvalueschar.view(), nelem, kPoolElementLength * nelem,
                  kPoolElementLength * md_charelementbase(sub) + pointer, length, text, st);
      if (st != 0) {
        ierr = 2;
        SETERX("Error retrieving user constant from store@Contact Central Support", 3, 2, "PRCCST");
        return;
      }
      PRCCCZ(text.view(), unit, ierr, length);
      return;
    }
    default: PRCCCT(name, sub, unit, ierr); return;
  }
}

// ---------------------------------------------------------------------------
// Array items
// ---------------------------------------------------------------------------

void PRHARR(std::string_view item, int model, int unit, int& ierr) {
  ierr = 0;
  ArrayItem a;
  if (!resolve_array(item, model, "PRHARR", a, ierr)) return;
  const std::string head = without_blanks(a.head);
  for (int k = a.range[4]; k <= a.range[5]; ++k)
    for (int j = a.range[2]; j <= a.range[3]; ++j)
      for (int i = a.range[0]; i <= a.range[1]; ++i) {
        std::string column = ",\"" + head + "(" + std::to_string(i);
        if (a.ndim >= 2) column += "," + std::to_string(j);
        if (a.ndim >= 3) column += "," + std::to_string(k);
        column += ")\"";
        const int ios = write_piece(unit, column);
        if (ios != 0) {
          ierr = 1;
          SETERX(csv::short_write_message(ios), 3, 1, "PRHARR");
          return;
        }
      }
}

void PRCARR(std::string_view item, int model, int unit, int& ierr) {
  ierr = 0;
  ArrayItem a;
  if (!resolve_array(item, model, "PRCARR", a, ierr)) return;
  const int e1 = a.dims[0], e2 = a.dims[1], e3 = a.dims[2];
  const long long size = static_cast<long long>(e1) * e2 * e3;
  const long long offset = a.start + static_cast<long long>(a.range[4] - 1) * e1 * e2 +
                           static_cast<long long>(a.range[2] - 1) * e1 + a.range[0] - 1;
  const plat::Vec1<const int> ranges(a.range, 6);
  auto out_of_range = [&](int code) {
    ierr = code;
    SETERX("Index out of range of array@" + std::string(plat::trimmed(item)), 3, code, "PRCARR");
  };
  switch (a.type) {
    case 2:
      if (a.start < 1 || a.start - 1 + size > gar_arrayvaluesreal.size()) return out_of_range(5);
      if (a.rangeflag != 0) return PRCRAR(e1, e2, e3, ranges, gar_arrayvaluesreal.from(a.start, size), unit, ierr);
      if (offset >= a.start + size) return out_of_range(5);
      return PRCCCR(gar_arrayvaluesreal(offset), unit, ierr);
    case 1:
      if (a.start < 1 || a.start - 1 + size > gar_arrayvaluesint.size()) return out_of_range(4);
      if (a.rangeflag != 0) return PRCIAR(e1, e2, e3, ranges, gar_arrayvaluesint.from(a.start, size), unit, ierr);
      if (offset >= a.start + size) return out_of_range(4);
      return PRCCCI(gar_arrayvaluesint(offset), unit, ierr);
    default: {
      const int nelem = static_cast<int>(gar_arrayvalueschar.size());
      if (a.rangeflag != 0)
        return PRCZA2(e1, e2, e3, ranges, a.start, nelem, gar_arrayvalueschar.view(), unit, ierr);
      const int field = (a.range[4] - 1) * e1 * e2 + (a.range[2] - 1) * e1 + a.range[0];
      return PRCZA1(field, a.start, nelem, gar_arrayvalueschar.view(), unit, ierr);
    }
  }
}
