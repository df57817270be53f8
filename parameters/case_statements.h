// Statement reader of a parameter case: the lines after a case header up to
// the next header or the end of the parameter-case file.
//
// A statement line starts with a command word or its abbreviation (G, GE,
// GET; C ... CHANGE; S ... SCALE; ON; OF, OFF; upper case) and a blank. Blank
// lines and lines whose first non-blank character is "#" are skipped; a "#"
// outside single quotes starts a comment; blanks and tabs outside quotes are
// removed before a statement is split.
#pragma once

#include <string_view>

#include "platform/text.h"

// Reads one statement. command (7 characters): "GET", "CHANGE", "SCALE",
// "ON", "OFF", "NewCase" (a header line, whose text is left in `text`) or
// blank (end of file, a read error or an unrecognised command). eof: the I/O
// status of the last read (non-zero at the end of the file). text/length:
// the statement after the command word, blanks removed. ist (0 on entry): 1
// read error, 2 unrecognised command, 3 a statement line with text beyond
// column 256 (outside a comment), each reported. A header line with text
// beyond column 256 is a read error: ist 1 and eof 1. A statement is echoed
// on print_unit as " <command> <text>".
void PARRD(int parameter_unit, int print_unit, plat::TextRef command, int& eof, plat::TextRef text, int& length,
           int& ist);

// Whether a line of the parameter-case file holds text beyond the 256
// characters of a record: a character other than a blank or tab after column
// 256 that is not inside a comment ("#" outside single quotes; `quote` is
// the quote state at the start of the line, 1 inside quotes).
bool par_line_too_long(std::string_view line, int quote);

// Reads and applies the statements of one case. nerr: the number of
// statements in error. eof: non-zero when the file ended (or a read failed);
// otherwise line(1..length) holds the next case header.
void PARAMC(int parameter_unit, int print_unit, int& nerr, int& eof, plat::TextRef line, int& length);
