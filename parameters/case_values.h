// Parameter-case values: single real and integer numbers, real and integer
// expressions over them (operator-precedence evaluation on two stacks of 20
// entries), and the list appliers of conductor and link values and texts.
//
// Operator codes of the stacks: 1 "+", 2 "-", 3 ")", 4 "*", 5 "/", 6 "(",
// 8 power ("**"). ops(k) holds the operator after operand k; a negative code
// -c marks an opening bracket after operator c. Stack views need room for
// kParStackDepth entries; a step that would pass it fails.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/file_services.h"
#include "platform/array.h"

inline constexpr int kParStackDepth = 20;

// One real number of at most 40 characters, read as Fortran F40.0 input.
// status 1 too long, 2 a comma in the text, 3 not a number: no digit before
// the exponent (an empty text, a lone sign or point), unreadable, or not
// finite (each with a severity-3 diagnostic of routine PARRVL).
void PARRVL(std::string_view text, double& value, int& status);
// One unsigned decimal integer; status 1 (with its diagnostic) for anything
// else, a blank text, a value beyond the 32-bit range or the undefined
// marker's value 2147483647.
void PARIVL(std::string_view text, int& value, int& status);
// Real expression; status 1 ends with an operator, 2 cannot be interpreted
// or has no value (NaN, or an infinity that only overflow made; the infinity
// of a division by zero is kept), or a PARRVL status for a bad operand. A
// minus right after "*" or "/" belongs to the next operand (8/-2 is -4).
void PARRGT(std::string_view text, double& value, int& status);
// Integer expression (computed in 64 bits, truncating division); statuses as
// PARRGT, 2 also for a result outside the 32-bit range or equal to the
// undefined marker, a PARIVL status for a bad operand.
void PARIGT(std::string_view text, int& value, int& status);

// One stack step for operator `op` with unary flag `unary` (1: no operand
// directly before it). status 0 or 1 (the text cannot be interpreted).
void SDELMD(int op, int unary, plat::Vec1<double> vals, plat::Vec1<int> ops, int& n, int& status);
void SDELMI(int op, int unary, plat::Vec1<std::int64_t> vals, plat::Vec1<int> ops, int& n, int& status);
// Reduction of the stacks for the incoming operator `op`; status 0 or 1.
void SDLMD2(int op, plat::Vec1<double> vals, plat::Vec1<int> ops, int& n, int& status);
void SDELM2(int op, plat::Vec1<std::int64_t> vals, plat::Vec1<int> ops, int& n, int& status);

// values(items(k)) := value (command "CHANGE") or *= value (any other
// command) for k = 1..count. An element holding the undefined marker is
// reported; on SCALE it is kept and status := 2.
void PARSTR(plat::Vec1<const int> items, int count, std::string_view command, double value,
            plat::Vec1<double> values, int& status);
// texts(items(k)) := text (cut or blank-padded) for k = 1..count; status 0.
void PARSTZ(plat::Vec1<const int> items, int count, std::string_view text, TextVec1 texts, int& status);
