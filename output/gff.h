// The GFF result file of the parameter cases: an ASCII file with a header
// that declares its record types and their attributes, followed by one block
// of data lines (nodes, conductors, links, user constants) per output point.
//
// PARGFF is the one entry the parameter-case output calls (unit 14). It
// decides whether a new file starts (first call, a higher case number, or a
// time that did not advance within the case), names it stem + ".GFF"
// (".GFF2", ".GFF3", ... for the later files of one case), writes the header
// of a new file and appends the data block of the current TIMEN.
//
// Every failure is a fatal diagnostic (severity 4): the run ends and nothing
// more is written to the file.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/file_services.h"
#include "platform/array.h"
#include "platform/text.h"

// Lengths of the fixed texts and arrays of the writer.
inline constexpr int gff_field_length = 26;        // one field slot
inline constexpr int gff_char_field_length = 255;  // slot of a character user-constant value
inline constexpr int gff_field_slots = 326;        // slots of the field array
inline constexpr int gff_node_row_length = 5000;   // row buffer of node lines
inline constexpr int gff_row_length = 1000;        // row buffer of all other lines
inline constexpr int gff_fullname_length = 200;    // full model name
inline constexpr int gff_max_models = 100;         // models MODNAM names

// One output point: header of a new file when one starts, then the data
// block. zents: the GFF entity list (256 characters), stem: the file stem
// (50 characters), case_number: the parameter case, unit: 14.
void PARGFF(std::string_view zents, std::string_view stem, int case_number, int unit);

// Selection flags from the entity list list(1:length): all flags 1 for a
// blank list; otherwise flag 1 is 0 and flag i (i >= 2) is 1 when names(i)
// without trailing blanks occurs anywhere in the list. ierr is always 0.
void GZBLKS(std::string_view list, int length, int n, CTextVec1 names, plat::Vec1<int> flags, int& ierr);

// Writes the header of a new file on unit: description lines (version, job
// name, date and time as full fields, the title when not blank), the format
// line, one section per record kind that lblks(1..4) selects and the model
// holds, and the end line. The model tree, its names, the user-entity names
// and the counts are read from the model data.
void GHEADB(int unit, std::string_view jobname, std::string_view date, std::string_view time, std::string_view title,
            plat::Vec1<const int> lblks);

// Writes one block of data lines for time timen: the sections selected by
// lblks(1..4) in record-type order. format: the control constant FORMAT (8
// characters; "*" gives G12.6). work: one integer per thermal node (at least
// 1) followed by one per fluid node (at least 1), the sequence counters of
// the conductor writers.
void GRECDB(plat::Vec1<const int> lblks, std::string_view format, double timen, int unit, plat::Vec1<int> work);

// Full model names, e.g. ROOT:SUB1:SUB2: one blank-padded text of maxlen
// (200) characters per model 1..nm in fullnames, from the nesting levels of
// the directory (slots rows per model) and the 24-character model names.
void MODNAM(int maxlen, int maxmodels, plat::Mat2<const std::int32_t> directory, int slots, int nm, CTextVec1 names,
            TextVec1 fullnames);

// Joins fields(1..count), each without its leading and trailing blanks, with
// single blanks into row (blank-padded); blank fields are dropped, a blank
// first field gives one blank. length: the used length. A row that would
// reach the length of row ends the run.
void STRSPC(CTextVec1 fields, int count, plat::TextRef row, int& length);

// One real value into a field (blank-padded): "0.0" for zero, "NULL" for an
// undefined value, otherwise written with real_format.
void SETVU(std::string_view real_format, double value, plat::TextRef field);

// The record writers GRECDB calls, one per record kind. rectype: the
// section's record-type number (1..7); real_format and int_format: the
// formats of the block; fields: the field array (gff_field_slots slots of
// gff_field_length characters); counters: the work space of GRECDB.
void GTNODA(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit);
void GTCNDB(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit, plat::Vec1<int> counters);
void GVFB(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
          int unit);
void GFNODA(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit);
void GFCNDB(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit, plat::Vec1<int> counters);
void GMFB(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
          int unit);
void GIUCTS(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit);
void GRUCTS(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit);
void GCUCTS(int rectype, double timen, std::string_view real_format, std::string_view int_format, TextVec1 fields,
            int unit);

// Forgets the state PARGFF keeps between calls (no file started yet, the
// previous case -1, the previous time -1.0E20) and closes nothing. Only
// tests call this; a run keeps the state from its first call to its end.
void gff_reset_for_tests();
