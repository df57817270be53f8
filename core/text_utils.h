// Text and number utilities on fixed-length, blank-padded texts.
//
// Conventions shared by all routines here:
// - a blank is the space character only; where tabs (character 9) are dropped
//   as well the routine says so; the used length counts a tab as non-blank;
// - the apostrophe opens and closes a quoted stretch; a quote state is an
//   integer, 0 outside and 1 inside, which the routines taking it read and
//   update so that a quoted text may run on over several lines;
// - positions are one-based, 0 meaning "not found";
// - a text result whose length the caller chooses is written into the
//   plat::TextRef passed last (cut or blank-padded to its length).
#pragma once

#include <string>
#include <string_view>

#include "platform/text.h"

// Used length: position of the last non-blank character, 0 for a blank or empty text.
void SLNLEN(std::string_view text, int& length);
int STRLNA(std::string_view text);

// Removes blanks and tabs outside quotes; `count` is the number of characters
// kept (plus the trailing blanks of a quoted stretch that runs on past the
// text). Overflowing the output is a consistency stop ("Sdblkx 1" while
// copying, "Sdblkx 2" after counting the trailing blanks).
void SDBLKX(std::string_view text, int& quote, plat::TextRef out, int& count);
void SDBLNK(std::string_view text, int& quote, plat::TextRef out);
// As SDBLKX, and a "#" outside quotes ends the line (a comment). A quoted
// stretch still open at the end makes `count` the full length of the input.
void SDBLKH(std::string_view text, int& quote, plat::TextRef out, int& count);

// The characters of `text` that are neither blank nor tab, collected up to
// `limit` of them (limit <= 0: all); a "#" from the second position on and
// everything after it are blanked.
void CCHAR(std::string_view text, int limit, plat::TextRef result);
// `text` from its first character that is neither blank nor tab.
void LTRIM(std::string_view text, plat::TextRef result);

// First occurrence of `sought` outside quoted stretches.
void SQNDEX(std::string_view text, std::string_view sought, int& position);
// First occurrence of `sought` outside quoted stretches and bracketed "( )" groups.
void SBQNDX(std::string_view text, std::string_view sought, int& position);

// The integer left-aligned with its sign, blank-padded to 10 characters; a
// value below -999,999,999 needs 11 and keeps them all.
std::string ITOC(int value);
// The integer left-aligned with its sign; `length` is the number of its characters.
void ILCHAR(int value, int& length, plat::TextRef result);
// The digits of a positive integer (status 0); "0" for 0 (status 0) and for a
// negative value (status 1). `length` is the number of characters.
void SCHNUM(int value, int& length, int& status, plat::TextRef result);

// flag 1 when the first `count` characters are all decimal digits, else 0
// (also for count <= 0).
void IINTCH(std::string_view text, int count, int& flag);
// As IINTCH, and `value` accumulates the digits (no sign, 32-bit wrap-around).
void IINTC2(std::string_view text, int count, int& flag, int& value);

// Next token after the delimiter at `position` (0 at the start of the line):
// it ends before the next character that is any of `delimiters` (trailing
// blanks of `delimiters` count), or at the end of the line. `position` moves
// to that delimiter (line length + 1 at the end); `length` is the token's
// full length even when `token` is shorter.
void GETTOKEN(std::string_view line, std::string_view delimiters, int& position, plat::TextRef token, int& length);

// The first 30 characters of `text`, lower-case letters made upper case.
void SLTOU(std::string_view text, plat::TextRef result);

// Checks a fluid-state descriptor ("P&T", "VQ&P", ...; blanks outside quotes
// ignored) and replaces it by its normal form: flag 1. Anything else: flag 0,
// descriptor unchanged.
void STCHEK(plat::TextRef descriptor, int& flag);
