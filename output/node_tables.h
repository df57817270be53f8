// Printed node tables: PRNDTB prints, for every submodel of a submodel
// reference, the nodes a node list selects with one column per entity of an
// entity list (thermal nodes first, then fluid nodes), optionally sorted by
// one entity. Columns that do not fit WIDTH go to a continuation table; the
// user formats TFORM, TFORMF and THEAD replace the derived layout.
//
// Default layout: the heading starts "          NODE  " (16 characters) and
// each row format "(1X,A,1X,I10)" (status mark "X" or blank, user node
// number); each entity adds a column (label and fluid type 28, FRG and FST
// 8, built-in reals 14, user reals and integers max(name length, 10) + 4)
// whose format piece replaces the closing ")" of the row formats. An entity
// that does not concern a node kind leaves a blank field of the same width in
// that kind's format.
//
// Work space: the node list of a submodel and integer sort keys sit on the
// integer stack of the dynamic core, real sort keys on the real stack; both
// tops are restored when the submodel is done.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/array.h"
#include "platform/text.h"

// The six text fields of a call's layout: the row formats of each node kind
// and the heading, for the main table and for the continuation table.
struct NodeTableFormats {
  plat::Text<132> fluid_main, thermal_main;
  plat::Text<132> fluid_cont, thermal_cont;
  plat::Text<132> head_main, head_cont;
};

// The items of one row after the status mark and node number, in column
// order: kind 1 real, 2 integer, 3 character (an entity that does not
// concern the node kind gives no item). Values of each kind are kept in item
// order, so a run of consecutive items of one kind is contiguous; character
// values are kept back to back with their lengths. Cleared per row, its
// storage reused.
struct NodeTableRow {
  std::vector<int> kinds;
  std::vector<double> reals;
  std::vector<int> ints;
  std::string chars;
  std::vector<int> lengths;  // per character item
  void clear() {
    kinds.clear();
    reals.clear();
    ints.clear();
    chars.clear();
    lengths.clear();
  }
};

// Prints the table of the entities `zents` (comma-separated mnemonics or user
// entity names, one of them may carry "-INC" or "-DEC" to sort by it) for the
// nodes `zlabel` selects in submodel -modref alone (modref < 0) or in modref
// and its subtree. Mistakes in the entity list are reported (severity 3) and
// nothing is printed when no node entity is left.
void PRNDTB(std::string_view zlabel, std::string_view zents, int modref);

// Heading of the call: page header, solution header, the entity list (its
// text without blanks, at most width - 26 characters) and the node list;
// then the layout (LSTBFM).
void LSTINT(plat::Vec1<const int> codes, int ncodes, std::string_view zents, int width, std::string_view zlabel,
            int ierr, NodeTableFormats& forms, int& n1, int& n2, int& cont);

// Layout of the call: formats and headings of the main table (codes 1..n1)
// and of the continuation table (codes n1+1..n1+n2, cont 1 when there is
// one). Codes beyond the continuation table are dropped with a warning. A
// decoder status ierr above 2 ignores TFORM, TFORMF and THEAD.
void LSTBFM(plat::Vec1<const int> codes, int ncodes, int width, int ierr, NodeTableFormats& forms, int& n1, int& n2,
            int& cont);

// Prints the tables of submodel `model` (separator or new page, its path, the
// main table, the continuation table). stop := 1 after a work-space shortage,
// a node-list failure or a failed value access (each reported); a submodel
// where zlabel selects no node prints nothing.
void LS1NTB(int modref, int model, int sort, int cont, int width, int& stop, plat::Vec1<const int> codes, int n1,
            int n2, const NodeTableFormats& forms, std::string_view zlabel);

// Prints one table: heading, the thermal nodes of list(1..nlist) in list
// order, a line holding one blank, the fluid nodes. Starts a new page (and
// repeats the heading) when the page is full. status non-zero after a failed
// value access. Rows that their format cannot write are left out, and the
// table ends with one warning: "Node table row not written@Printing table
// output with PRNDTB.@The row format does not suit the values of node <first
// such node> (I/O error code <n>)<NL>Rows left out of this table: <count>
// <NL>Row format: <format>@" (severity 2, code 1, routine "LS1TAB").
void LS1TAB(plat::Vec1<const int> codes, int ncodes, std::string_view fluid_format, std::string_view thermal_format,
            std::string_view heading, plat::Vec1<const int> list, int nlist, int width, int& status);

// One row: gathers the values of `node` (internal number) for codes
// 1..ncodes into `row` and writes it with `format` (LS1TB2). status non-zero
// after a failed value access (nothing written); io the I/O status of the
// write.
void LS1TB3(int unit, std::string_view format, int node, plat::Vec1<const int> codes, int ncodes, NodeTableRow& row,
            int& status, int& io);

// Writes mark, number and the items of `row` with one statement, grouping
// consecutive real and consecutive integer items. status is the I/O status
// of the write.
void LS1TB2(int unit, std::string_view format, std::string_view mark, int number, const NodeTableRow& row,
            int& status);

// Sorts list(1..n) with its keys(1..n), order "INC" (ascending) or "DEC"
// (descending); equal keys keep their list order. Any other order: ierr 1,
// nothing moved.
void SORTRI(std::string_view order, int n, plat::Vec1<int> list, plat::Vec1<double> keys, int& ierr);
void SORTII(std::string_view order, int n, plat::Vec1<int> list, plat::Vec1<int> keys, int& ierr);

// values(k) := the value of entity `code` for node list(k), k = 1..n
// (LSNTVR, LSNTVI). status is that of the first failing access (which is
// reported); 0 when all succeed.
void LSSEQN(int code, plat::Vec1<const int> list, int n, plat::Vec1<double> values, int& status);
void LSSEQI(int code, plat::Vec1<const int> list, int n, plat::Vec1<int> values, int& status);
