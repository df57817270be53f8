// CSV result tables of the parameter cases: the heading block and one row per
// output point, from the items of the CSV_ENTITIES list.
//
// File layout: line 1 "NORVEK 2020;  MODEL <job>;  TIME <date>  <time>",
// line 2 empty, line 3 "Parameter case number,Parameter case name,Time"
// followed by the column names of every item, then one row per output point:
// case number, case name, TIMEN, and the values of every item. Every column
// name and value begins with its own comma; a line is built piece by piece.
#pragma once

#include <string_view>

// Appends text(1:len) to the current line of unit (the line stays open);
// ios is the I/O status.
void WRITEH(int unit, std::string_view text, int& ios, int len);

// Writes the heading block of the table on unit for the bracketed entity
// list. ierr 0; 1 list not bracketed; 2 the fixed header text not written;
// 3 an item failed (no later item gets columns).
void PARHDC(std::string_view list, int model, int unit, int& ierr);

// Writes one row for case `ncase`. ierr 0 (also when an item failed: the
// row is then cut short after that item's own diagnostic); 1 list not
// bracketed; 2 row start not written.
void PARCSV(std::string_view list, int ncase, int model, int unit, int& ierr);

namespace csv {
// Kinds of CSV_ENTITIES items.
enum class ItemKind { Node, Conductor, Array, Constant };
// Classification of one item (blanks already removed): its kind, the entity
// code and matched name of a node or conductor item, and its node or
// conductor reference (a view into item).
struct ItemClass {
  ItemKind kind = ItemKind::Constant;
  int code = 0;
  std::string_view name;  // the matched mnemonic or entity name (node items)
  std::string_view ref;   // node or conductor reference
  std::string_view head;  // text before the first bracket (conductor items)
};
ItemClass classify(std::string_view item, std::string& name_buffer);
}  // namespace csv
