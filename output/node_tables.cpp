#include "output/node_tables.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/text_utils.h"
#include "modeldata/entity_codes.h"
#include "modeldata/entity_lists.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "modeldata/submodel_refs.h"
#include "output/page_headers.h"
#include "platform/format.h"
#include "platform/units.h"

namespace {

constexpr int kField = 132;       // length of the format and heading fields
constexpr int kHeadStart = 16;    // "          NODE  "
constexpr int kHighestCode = 48;  // highest built-in code of an entity list
constexpr int kSeenFlags = 400;   // seen-marks of the decoder (codes up to 399)
constexpr std::string_view kRowStart = "(1X,A,1X,I10)";
constexpr std::string_view kHeadText = "          NODE  ";
constexpr std::string_view kUserStart = "(1X,A,1X,";

// One column of the default layout.
struct Column {
  int width = 0;
  std::string_view fluid_piece, thermal_piece;
  std::string extra;    // ",nX)" after the value of a user entity with a long name
  std::string heading;  // text placed in the heading
  bool user = false;    // heading at d + 2 instead of d + 1
  std::string name;     // mnemonic or user name, for the overflow warning
};

// The 18-character name field of a user entity: the name right-justified in
// its first 10 characters when it is shorter than 10.
std::string name_field(std::string_view name) {
  std::string f;
  if (name.size() < 10) f.assign(10 - name.size(), ' ');
  f.append(name);
  f.resize(18, ' ');
  return f;
}

Column column_of(int code) {
  Column c;
  if (code > 100) {
    int kind = 0, pos = 0;
    plat::Text<18> name;
    SPRNAM(code, kind, pos, name);
    const std::string_view n = name.trimmed();
    c.user = true;
    c.name = std::string(n);
    c.heading = name_field(n);
    const int len = static_cast<int>(n.size());
    if (code > 300) {
      c.width = 28;
      c.fluid_piece = c.thermal_piece = ",4X,A)";
    } else {
      c.width = std::max(len, 10) + 4;
      c.fluid_piece = c.thermal_piece = code > 200 ? ",4X,I10)" : ",4X,F10.2)";
      if (len > 10) c.extra = "," + std::to_string(len - 10) + "X)";
    }
    return c;
  }
  const plat::Text<3> mnemonic = ENTNAM(code);
  const std::string_view mnem = mnemonic.view();
  c.name = std::string(plat::trimmed(mnem));
  switch (code) {
    case 1: c.width = 28, c.fluid_piece = ",4X,A)", c.thermal_piece = ",4X,A)", c.heading = " LABEL"; return c;
    case 24: c.width = 28, c.fluid_piece = ",4X,A)", c.thermal_piece = ",28X )", c.heading = " FLUID TYPE"; return c;
    case 29: c.width = 8, c.fluid_piece = ",4X,A)", c.thermal_piece = ", 8X )", c.heading = " FRG"; return c;
    case 36: c.width = 8, c.fluid_piece = ",4X,A)", c.thermal_piece = ", 8X )", c.heading = " FST"; return c;
    default: break;
  }
  c.width = 14;
  c.heading = std::string(8, ' ') + std::string(mnem);
  const int typ = ENTYP(code);
  c.fluid_piece = typ <= 0 ? ",4X,F10.2)" : ",4X,10X  )";
  c.thermal_piece = typ >= 0 ? ",4X,F10.2)" : ",4X,10X  )";
  return c;
}

// Replaces the closing ")" of a format with a piece that brings its own.
void append_piece(std::string& format, std::string_view piece) {
  if (!format.empty() && format.back() == ')') format.pop_back();
  format.append(piece);
}

// Places text at one-based position pos of a heading, cut at its end.
void place(std::string& heading, int pos, std::string_view text) {
  if (pos < 1 || pos > kField) return;
  const std::size_t at = static_cast<std::size_t>(pos - 1);
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(kField) - at);
  heading.replace(at, n, text.substr(0, n));
}

// One table under construction: its two row formats, heading and length.
struct TableBuild {
  std::string fluid{kRowStart}, thermal{kRowStart}, heading;
  int d = kHeadStart;
  TableBuild() : heading(std::string(kHeadText) + std::string(kField - kHeadStart, ' ')) {}
  void add(const Column& c) {
    append_piece(fluid, c.fluid_piece);
    append_piece(thermal, c.thermal_piece);
    if (!c.extra.empty()) {
      append_piece(fluid, c.extra);
      append_piece(thermal, c.extra);
    }
    place(heading, c.user ? d + 2 : d + 1, c.heading);
    d += c.width;
  }
};

// A user row format: the fixed start and the user's text after its first "(".
std::string user_format(std::string_view user) {
  const std::size_t open = user.find('(');
  std::string_view rest = open == std::string_view::npos ? user : user.substr(open + 1);
  if (rest.size() > 123) rest = rest.substr(0, 123);
  return std::string(kUserStart) + std::string(rest);
}

bool is_star(const plat::Text<132>& t) { return t == "*"; }

// Order text of a sort, "INC", "DEC" or something else (ierr 1).
int sort_direction(std::string_view order) {
  if (plat::text_eq(order, "INC")) return 1;
  if (plat::text_eq(order, "DEC")) return -1;
  return 0;
}

// Stable sort of list(1..n) by keys(1..n). A key that compares with nothing
// (NaN) never moves, and no other key passes it: the runs between such keys
// are sorted on their own, as element-by-element insertion would leave them.
template <class K>
void stable_sort_by_keys(int dir, int n, plat::Vec1<int> list, plat::Vec1<K> keys, std::string_view routine) {
  std::vector<std::pair<K, int>> run;
  run.reserve(static_cast<std::size_t>(std::max(n, 0)));
  auto flush = [&](int end) {  // run holds positions end - size + 1 .. end
    if (dir > 0)
      std::stable_sort(run.begin(), run.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    else std::stable_sort(run.begin(), run.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    int k = end - static_cast<int>(run.size());
    for (const auto& [key, node] : run) {
      ++k;
      keys(k) = key;
      list(k) = node;
    }
    run.clear();
  };
  LoopGuard guard(routine);
  for (int k = 1; k <= n; ++k) {
    guard.pass();
    const K key = keys(k);
    if (key != key) {  // NaN: a fixed barrier
      flush(k - 1);
      continue;
    }
    run.emplace_back(key, list(k));
  }
  flush(n);
}

// Scratch of LS1TB2: the item list of one write, kept between rows.
std::vector<plat::FormatItem>& row_items() {
  static std::vector<plat::FormatItem> items;
  return items;
}

}  // namespace

void PRNDTB(std::string_view zlabel, std::string_view zents, int modref) {
  const int nm = FLAGS(26);
  int first = 0, last = -1;
  const std::int64_t ref = modref;
  if (ref < 0 && -ref <= nm) {
    first = last = static_cast<int>(-ref);
  } else if (ref >= 1 && ref <= nm) {
    first = modref;
    last = std::min(modref + md_subtreesize(modref) - 1, nm);
    if (last < first) last = first;
  } else {
    // No such model: the node-list service reports the reference.
    first = last = static_cast<int>(std::min<std::int64_t>(ref < 0 ? -ref : ref, INT_MAX));
  }

  // The entity list without blanks outside quotes, in a 132-character field.
  std::string nob(std::max<std::size_t>(zents.size(), 1), ' ');
  int quote = 0;
  SDBLNK(zents, quote, plat::TextRef(nob));
  nob.resize(kField, ' ');
  int used = 0;
  SLNLEN(nob, used);

  const int nuser = SPRSIZ(3) + SPRSIZ(4) + SPRSIZ(5);
  const int room = kHighestCode + std::max(nuser, 0);
  std::vector<int> codes(static_cast<std::size_t>(room)), seen(kSeenFlags);
  int condflag = 0, nodeflag = 0, n = 0, sort = 0, ierr = 0;
  LSDNTT(room, kSeenFlags, kHighestCode, "PRNDTB", nob, used, plat::Vec1<int>(codes.data(), room), condflag,
         plat::Vec1<int>(seen.data(), kSeenFlags), nodeflag, n, sort, ierr);
  if (n < 1) {
    SETERX("PRNDTB: Mistake in ZENTS, no entities to output", 3, 1, "PRNDTB");
    return;
  }
  if (nodeflag == 0) {
    SETERX("PRNDTB: Mistake in ZENTS, only node entities allowed", 3, 2, "PRNDTB");
    return;
  }
  // A key on a conductor value ("GL-INC, T") has no value per node: the
  // rows keep their order rather than being sorted by unrelated conductors.
  if (std::abs(sort) > 41 && std::abs(sort) <= 100) sort = 0;

  const plat::Vec1<const int> list(codes.data(), n);
  NodeTableFormats forms;
  int n1 = 0, n2 = 0, cont = 0;
  const int width = GLOI.WIDTH;
  LSTINT(list, n, std::string_view(nob).substr(0, static_cast<std::size_t>(used)), width, zlabel, ierr, forms, n1,
         n2, cont);
  LoopGuard guard("PRNDTB");
  for (int m = first; m <= last; ++m) {
    guard.pass();
    int stop = 0;
    LS1NTB(modref, m, sort, cont, width, stop, list, n1, n2, forms, zlabel);
    if (stop != 0) break;
  }
}

void LSTINT(plat::Vec1<const int> codes, int ncodes, std::string_view zents, int width, std::string_view zlabel,
            int ierr, NodeTableFormats& forms, int& n1, int& n2, int& cont) {
  PRPAGE();
  PRHEAD();
  const int unit = PRTINF(3);
  const std::size_t shown = static_cast<std::size_t>(std::max(width - 26, 0));
  plat::write_formatted(unit, "(1X , 'TABLE OUTPUT WITH ZENTS = ''' , A , '''' )", zents.substr(0, shown));
  plat::write_formatted(unit, "(1X , 'FOR NODES OF ZLABEL = ''' , A , '''' )", zlabel);
  PRTINF(2) += 2;
  LSTBFM(codes, ncodes, width, ierr, forms, n1, n2, cont);
}

void LSTBFM(plat::Vec1<const int> codes, int ncodes, int width, int ierr, NodeTableFormats& forms, int& n1, int& n2,
            int& cont) {
  n1 = n2 = cont = 0;
  const bool tform = !is_star(GLOC.TFORM), tformf = !is_star(GLOC.TFORMF);
  if (!tform || !tformf || ierr > 2) {
    TableBuild main, more;
    LoopGuard guard("LSTBFM");
    for (int k = 1; k <= ncodes; ++k) {
      guard.pass();
      const Column c = column_of(codes(k));
      if (cont == 0) {
        if (main.d + c.width <= width) {
          main.add(c);
          ++n1;
          continue;
        }
        cont = 1;
      }
      if (more.d + c.width <= width) {
        more.add(c);
        ++n2;
        continue;
      }
      std::string msg = "Line length exceeded on continuation table.@Printing table output with PRNDTB.@";
      msg.append("Entities printed up to (but not including) ").append(c.name).append(".<NL>Remaining ");
      msg.append(std::to_string(ncodes - k + 1)).append(" entities are ignored.<NL>");
      if (width < 132)
        msg.append("Increase line length, integer global control constant WIDTH (maximum 132 characters).@");
      else
        msg.append(
            "Line length (WIDTH) already at maximum 132 characters.<NL>Split entities over two calls to PRNDTB.@");
      if (msg.size() > 300) msg.resize(300);
      SETERX(msg, 2, 1, "LSTBFM");
      break;
    }
    forms.fluid_main = main.fluid;
    forms.thermal_main = main.thermal;
    forms.head_main = main.heading;
    forms.fluid_cont = more.fluid;
    forms.thermal_cont = more.thermal;
    forms.head_cont = more.heading;
  }
  if (ierr > 2) return;
  if (tform) {
    forms.thermal_main = user_format(GLOC.TFORM.view());
    forms.head_main = "  " + GLOC.THEAD.str();
    n1 = ncodes;
    cont = 0;
  }
  if (tformf) {
    forms.fluid_main = user_format(GLOC.TFORMF.view());
    forms.head_main = "  " + GLOC.THEAD.str();
    n1 = ncodes;
    cont = 0;
  }
}

void LS1NTB(int /*modref*/, int model, int sort, int cont, int width, int& stop, plat::Vec1<const int> codes, int n1,
            int n2, const NodeTableFormats& forms, std::string_view zlabel) {
  stop = 0;
  gar_CoreGuard core;  // both tops come back on every return
  const int nt = FLAGS(1), nf = FLAGS(32);
  const std::int64_t dystor = FLAGS(28);
  const int room = nt + std::max(nf, 1);
  const int itop = FLAGS(36);
  if (itop < 1 || itop + static_cast<std::int64_t>(room) > dystor) {
    SETERX(gar_text_nodetable_int, 3, 1, "LS1NTB");
    stop = 1;
    return;
  }
  plat::Vec1<int> list = gar_dynamiccoreint.from(itop, room);
  int ierr = 0, count = 0;
  const int ref = model == INT_MIN ? INT_MAX : -model;
  LSCHND(ref, room, "BOTH", 1, "PRNDTB", ref, zlabel, ierr, list, count);
  if (ierr != 0) {
    stop = 1;
    return;
  }
  core.take_int(count);
  if (count < 1) return;
  const plat::Vec1<const int> nodes = list.from(1, count);

  if (sort != 0) {
    const int code = std::abs(sort);
    const std::string_view order = sort > 0 ? "INC" : "DEC";
    int st = 0, e = 0;
    if (ENTRIC(code) == 1) {
      const int rtop = FLAGS(29);
      if (rtop < 1 || dystor - rtop + 1 < count) {
        SETERX(gar_text_nodetable_real, 3, 2, "LS1NTB");
        stop = 1;
        return;
      }
      plat::Vec1<double> keys = gar_dynamiccorereal.from(core.take_real(count), count);
      LSSEQN(code, nodes, count, keys, st);
      if (st != 0) {
        stop = 1;
        return;
      }
      SORTRI(order, count, list, keys, e);
    } else if (ENTRIC(code) == 2) {
      const int top = FLAGS(36);
      if (dystor - top + 1 < count) {
        SETERX(gar_text_nodetable_int, 3, 3, "LS1NTB");
        stop = 1;
        return;
      }
      plat::Vec1<int> keys = gar_dynamiccoreint.from(core.take_int(count), count);
      LSSEQI(code, nodes, count, keys, st);
      if (st != 0) {
        stop = 1;
        return;
      }
      SORTII(order, count, list, keys, e);
    }
  }

  // Separator (or a new page) and the model path.
  const int nm = FLAGS(26);
  plat::Array1<plat::Text<24>> chain(std::max(nm, 1));
  int depth = 0, e = 0;
  SCCNAM(gar_modeldirectory, md_numslots, nullptr, gar_modelnames, model, chain, depth, e);
  if (e != 0) {
    stop = 1;
    return;
  }
  const int unit = PRTINF(3);
  const int k = std::max(width / 24, 1);
  const int lines = (depth + 12 * k - 1) / k;
  if (lines > PRTINF(1) - PRTINF(2)) {
    PRPAGE();
  } else {
    plat::write_formatted(unit, "(/, 1X, A, // )", std::string(static_cast<std::size_t>(std::max(width, 0)), '='));
    PRTINF(2) += 3;
  }
  LSPCNM(chain, depth, 1, width);
  plat::write_formatted(unit, "(1X)");
  PRTINF(2) += 1;

  int st = 0;
  LS1TAB(codes.from(1, n1), n1, forms.fluid_main.view(), forms.thermal_main.view(), forms.head_main.view(), nodes,
         count, width, st);
  if (st == 0 && cont != 0) {
    plat::write_formatted(unit, "(1X)");
    PRTINF(2) += 1;
    LS1TAB(codes.from(n1 + 1, n2), n2, forms.fluid_cont.view(), forms.thermal_cont.view(), forms.head_cont.view(),
           nodes, count, width, st);
  }
  if (st != 0) stop = 1;
}

void LS1TAB(plat::Vec1<const int> codes, int ncodes, std::string_view fluid_format, std::string_view thermal_format,
            std::string_view heading, plat::Vec1<const int> list, int nlist, int width, int& status) {
  status = 0;
  const int nt = FLAGS(1);
  const int unit = PRTINF(3);
  const std::string_view head = heading.substr(0, static_cast<std::size_t>(std::clamp(width, 0, kField)));
  auto print_heading = [&] {
    plat::write_formatted(unit, "(1X , / , A , / )", head);
    PRTINF(2) += 3;
  };
  if (PRTINF(1) - PRTINF(2) <= 7) PRPAGE();
  print_heading();

  // Rows that their format cannot write (a user format that does not suit
  // the entities) are left out; the table goes on, and one message at its
  // end says so.
  int lost = 0, lost_number = 0, lost_io = 0;
  std::string_view lost_format;
  auto report_lost = [&] {
    if (lost == 0) return;
    SETERX(
        "Node table row not written@Printing table output with PRNDTB.@The row format does not suit the values "
        "of node " +
            std::to_string(lost_number) + " (I/O error code " + std::to_string(lost_io) +
            ")<NL>Rows left out of this table: " + std::to_string(lost) +
            "<NL>Row format: " + std::string(plat::trimmed(lost_format)) + "@",
        2, 1, "LS1TAB");
  };

  NodeTableRow row;
  const std::size_t cols = static_cast<std::size_t>(std::max(ncodes, 0));
  row.kinds.reserve(cols);
  row.reals.reserve(cols);
  row.ints.reserve(cols);
  row.lengths.reserve(cols);
  row.chars.reserve(24 * cols);
  LoopGuard guard("LS1TAB");
  for (int pass = 0; pass < 2; ++pass) {
    const bool thermal = pass == 0;
    for (int k = 1; k <= nlist; ++k) {
      guard.pass();
      const int node = list(k);
      if ((node <= nt) != thermal) continue;
      if (PRTINF(2) >= PRTINF(1)) {
        PRPAGE();
        print_heading();
      }
      const std::string_view format = thermal ? thermal_format : fluid_format;
      int io = 0;
      LS1TB3(unit, format, node, codes, ncodes, row, status, io);
      if (status != 0) {
        report_lost();
        return;
      }
      if (io != 0) {
        if (lost++ == 0) {
          lost_number = thermal ? gar_thermalnodenums(node) : gar_fluidnodenums(node - nt);
          lost_io = io;
          lost_format = format;
        }
        continue;
      }
      PRTINF(2) += 1;
    }
    if (thermal) plat::write_formatted(unit, "(1X)");
  }
  report_lost();
}

void LS1TB3(int unit, std::string_view format, int node, plat::Vec1<const int> codes, int ncodes, NodeTableRow& row,
            int& status, int& io) {
  status = 0;
  io = 0;
  row.clear();
  const int nt = FLAGS(1), nf = FLAGS(32);
  const bool thermal = node <= nt;
  const int fluid = node - nt;
  LoopGuard guard("LS1TB3");
  auto add_chars = [&](std::string_view v) {
    row.kinds.push_back(3);
    row.chars.append(v);
    row.lengths.push_back(static_cast<int>(v.size()));
  };
  for (int k = 1; k <= ncodes; ++k) {
    guard.pass();
    const int code = codes(k);
    const int kind = ENTRIC(code);
    if (kind == 3) {
      if (code > 300) {
        plat::Text<24> v;
        LSNTVC(code, node, nf, nt, "LS1TB3", v, status);
        if (status != 0) return;
        add_chars(v.view());
      } else if (code == 1) {
        add_chars(thermal ? gar_thermalnodelabels(node).view() : gar_fluidnodelabels(fluid).view());
      } else if (!thermal) {
        if (code == 24) add_chars(gar_fluidnodefluidtypes(fluid).view());
        if (code == 29) add_chars(gar_fluidnodeflowregimes(fluid).view());
        if (code == 36) add_chars(gar_fluidnodestatedescriptors(fluid).view());
      }
      continue;
    }
    const int typ = ENTYP(code);
    if ((thermal && typ < 0) || (!thermal && typ > 0)) continue;
    if (kind == 2) {
      int v = 0;
      LSNTVI(code, node, nf, nt, "LS1TB3", v, status);
      if (status != 0) return;
      row.kinds.push_back(2);
      row.ints.push_back(v);
    } else {
      double v = 0.0;
      LSNTVR(code, node, nf, nt, "LS1TB3", v, status);
      if (status != 0) return;
      row.kinds.push_back(1);
      row.reals.push_back(v);
    }
  }
  const bool inactive = thermal ? gar_thermalnodestatuses(node) == "X" : gar_fluidnodestatuses(fluid) == "X";
  const int number = thermal ? gar_thermalnodenums(node) : gar_fluidnodenums(fluid);
  LS1TB2(unit, format, inactive ? "X" : " ", number, row, io);
}

void LS1TB2(int unit, std::string_view format, std::string_view mark, int number, const NodeTableRow& row,
            int& status) {
  std::vector<plat::FormatItem>& items = row_items();
  items.clear();
  items.push_back(plat::format_item(mark));
  items.push_back(plat::format_item(number));
  std::size_t r = 0, i = 0, c = 0, off = 0;
  const std::size_t n = row.kinds.size();
  LoopGuard guard("LS1TB2");
  for (std::size_t k = 0; k < n;) {
    guard.pass();
    const int kind = row.kinds[k];
    std::size_t run = 1;
    if (kind == 1) {
      while (k + run < n && row.kinds[k + run] == 1) ++run;
      items.push_back(plat::format_item(std::span<const double>(row.reals.data() + r, run)));
      r += run;
    } else if (kind == 2) {
      while (k + run < n && row.kinds[k + run] == 2) ++run;
      items.push_back(plat::format_item(std::span<const int>(row.ints.data() + i, run)));
      i += run;
    } else {
      const std::size_t len = static_cast<std::size_t>(row.lengths[c]);
      items.push_back(plat::format_item(std::string_view(row.chars.data() + off, len)));
      ++c;
      off += len;
    }
    k += run;
  }
  status = plat::write_formatted_list(unit, format, items);
}

void SORTRI(std::string_view order, int n, plat::Vec1<int> list, plat::Vec1<double> keys, int& ierr) {
  ierr = 0;
  const int dir = sort_direction(order);
  if (dir == 0) {
    ierr = 1;
    return;
  }
  stable_sort_by_keys(dir, n, list, keys, "SORTRI");
}

void SORTII(std::string_view order, int n, plat::Vec1<int> list, plat::Vec1<int> keys, int& ierr) {
  ierr = 0;
  const int dir = sort_direction(order);
  if (dir == 0) {
    ierr = 1;
    return;
  }
  stable_sort_by_keys(dir, n, list, keys, "SORTII");
}

void LSSEQN(int code, plat::Vec1<const int> list, int n, plat::Vec1<double> values, int& status) {
  status = 0;
  const int nt = FLAGS(1), nf = FLAGS(32);
  LoopGuard guard("LSSEQN");
  for (int k = 1; k <= n; ++k) {
    guard.pass();
    LSNTVR(code, list(k), nf, nt, "LSSEQN", values(k), status);
    if (status != 0) return;
  }
}

void LSSEQI(int code, plat::Vec1<const int> list, int n, plat::Vec1<int> values, int& status) {
  status = 0;
  const int nt = FLAGS(1), nf = FLAGS(32);
  LoopGuard guard("LSSEQI");
  for (int k = 1; k <= n; ++k) {
    guard.pass();
    LSNTVI(code, list(k), nf, nt, "LSSEQI", values(k), status);
    if (status != 0) return;
  }
}
