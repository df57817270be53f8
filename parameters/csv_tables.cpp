#include "parameters/csv_tables.h"

#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/text_utils.h"
#include "parameters/case_texts.h"
#include "parameters/csv_columns.h"
#include "parameters/csv_conductors.h"
#include "platform/format.h"
#include "platform/units.h"

void WRITEH(int unit, std::string_view text, int& ios, int len) {
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(std::max(len, 0)));
  ios = plat::io::write_partial(unit, text.substr(0, n));
}

namespace csv {

ItemClass classify(std::string_view item, std::string& name_buffer) {
  ItemClass r;
  name_buffer.assign(18, ' ');
  int p = 0;
  SQNDEX(item, "(", p);
  const std::size_t colon = item.find(':');
  const int c = colon == std::string_view::npos ? 0 : static_cast<int>(colon) + 1;
  int code = 0, m = 0;
  if (p == 0) {
    ENTFND(item, plat::TextRef(name_buffer), code, m);
    r.code = code;
    r.name = name_buffer;
    if (code != 0 && c == m + 1) {
      r.kind = ItemKind::Node;
      r.ref = item.substr(static_cast<std::size_t>(c));
      return r;
    }
    const std::string_view rest = item.substr(static_cast<std::size_t>(m));
    int digits = 0;
    if (!rest.empty()) IINTCH(rest, static_cast<int>(rest.size()), digits);
    if (code != 0 && digits == 1) {
      r.kind = ItemKind::Node;
      r.ref = rest;
      return r;
    }
    r.kind = ItemKind::Constant;
    return r;
  }
  const std::string_view before = item.substr(0, static_cast<std::size_t>(p - 1));
  ENTFND(before.substr(0, std::min<std::size_t>(18, before.size())), plat::TextRef(name_buffer), code, m);
  r.code = code;
  r.name = name_buffer;
  if (code >= 1 && (c == m + 1 || p == m + 1)) {
    r.kind = ItemKind::Conductor;
    const int from = c == 0 ? p : std::min(p, c + 1);
    r.ref = item.substr(static_cast<std::size_t>(from - 1));
    r.head = before;
    return r;
  }
  r.kind = ItemKind::Array;
  return r;
}

namespace {

// The text inside the brackets of a bracketed list; false when the list is
// not bracketed.
bool list_inside(std::string_view list, std::string_view& inside) {
  const std::string_view used = plat::trimmed(list);
  if (used.size() < 2 || used.front() != '(' || used.back() != ')') return false;
  inside = used.substr(1, used.size() - 2);
  return true;
}

// Calls f(item) for every non-empty item of the list's inside, in order,
// until f returns false.
template <class F>
void for_each_item(std::string_view inside, F f) {
  LoopGuard guard("PARHDC");
  while (!inside.empty()) {
    guard.pass();
    int comma = 0;
    SBQNDX(inside, ",", comma);
    const std::string_view item =
        plat::trimmed(comma > 0 ? inside.substr(0, static_cast<std::size_t>(comma - 1)) : inside);
    if (!item.empty() && !f(item)) return;
    if (comma == 0) return;
    inside = inside.substr(static_cast<std::size_t>(comma));
  }
}

// Ends a heading or a row and hands it to the file at once, so that a run
// that ends abnormally keeps every row it wrote.
void end_line(int unit) {
  plat::write_formatted(unit, "(1X)");
  plat::io::flush_unit(unit);
}

}  // namespace
}  // namespace csv

void PARHDC(std::string_view list, int model, int unit, int& ierr) {
  ierr = 0;
  plat::write_formatted(unit, "( 'NORVEK ', A, ';  MODEL ', A, ';  TIME ', A, '  ', A)", "2020",
                        plat::trimmed(JOBINF.jobname.view()), plat::trimmed(JOBINF.date.view()),
                        plat::trimmed(JOBINF.time.view()));
  plat::io::write_line(unit, "");
  std::string_view inside;
  if (!csv::list_inside(list, inside)) {
    ierr = 1;
    SETERX("Entity list must be enclosed in brackets", 3, 1, "PARHDC");
    return;
  }
  constexpr std::string_view kFixed = "Parameter case number,Parameter case name,Time";
  int ios = 0;
  WRITEH(unit, kFixed, ios, static_cast<int>(kFixed.size()));
  if (ios != 0) {
    ierr = 2;
    SETERX(csv::short_write_message(ios), 3, 2, "PARHDC");
    return;
  }
  std::string name;
  csv::for_each_item(inside, [&](std::string_view item) {
    const csv::ItemClass k = csv::classify(item, name);
    int st = 0;
    switch (k.kind) {
      case csv::ItemKind::Node: PRHNOD(k.name, k.ref, model, unit, st); break;
      case csv::ItemKind::Conductor: PRHCND(k.code, k.ref, k.head, model, unit, st); break;
      case csv::ItemKind::Array: PRHARR(item, model, unit, st); break;
      case csv::ItemKind::Constant: PRHCST(item, model, unit, st); break;
    }
    if (st != 0) {
      ierr = 3;
      SETERX("Error processing CSV_ENTITIES at @" + std::string(item), 3, 3, "PARHDC");
      return false;
    }
    return true;
  });
  csv::end_line(unit);
}

void PARCSV(std::string_view list, int ncase, int model, int unit, int& ierr) {
  ierr = 0;
  std::string_view inside;
  if (!csv::list_inside(list, inside)) {
    ierr = 1;
    SETERX("Entity list must be enclosed in brackets@" + std::string(plat::trimmed(list)), 3, 1, "PARCSV");
    return;
  }
  // The case number without blanks: the last 1 to 4 characters of an I5 field.
  plat::Text<5> five;
  plat::write_internal(five, "(I5)", ncase);
  const std::size_t keep = ncase <= 9 ? 1 : ncase <= 99 ? 2 : ncase <= 999 ? 3 : 4;
  const std::string_view number = five.view().substr(5 - keep);
  plat::Text<256> start;
  plat::write_internal(start, "(A, ',', A, ',', 1PE11.4)", number, plat::trimmed(GLOC.PARNAM.view()), GLOR.TIMEN);
  const std::string_view row = plat::trimmed(start.view());
  int ios = 0;
  WRITEH(unit, row, ios, static_cast<int>(row.size()));
  if (ios != 0) {
    ierr = 2;
    SETERX(csv::short_write_message(ios), 3, 2, "PARCSV");
    return;
  }
  std::string name;
  csv::for_each_item(inside, [&](std::string_view item) {
    const csv::ItemClass k = csv::classify(item, name);
    int st = 0;
    switch (k.kind) {
      case csv::ItemKind::Node: PRCNOD(k.code, k.ref, item, model, unit, st); break;
      case csv::ItemKind::Conductor: PRCCND(k.code, k.ref, item, model, unit, st); break;
      case csv::ItemKind::Array: PRCARR(item, model, unit, st); break;
      case csv::ItemKind::Constant: PRCCST(item, model, unit, st); break;
    }
    return st == 0;
  });
  csv::end_line(unit);
}
