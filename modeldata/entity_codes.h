// Entity codes: the 58 three-character mnemonics (code = position in the
// table), their value kind and node kind, the access to a node's (or a
// conductor's) value by code, the user-defined nodal entities (codes
// 100 x kind + column), the node-alias look-up and the numerical guards of
// the solvers.
//
// Codes 1..41 are nodal entities, 42..47 conductor and link values (indexed
// by conductor or link index), 48 "G" names all conductors in entity lists,
// 49..58 are status letters. User entities: 101..199 real, 201..299 integer,
// 301..399 character.
//
// Index convention of the access routines: 1..NT a thermal node, above NT
// fluid node index - NT; for codes 42..47 the conductor or link index.
#pragma once

#include <string_view>

#include "platform/text.h"

// Number of codes in the mnemonic table.
inline constexpr int ent_count = 58;

// Mnemonic of a code, three blanks outside 1..58.
plat::Text<3> ENTNAM(int code);
// The mnemonic of a code without blanks, empty outside 1..58.
std::string_view ent_mnemonic(int code);
// Significant length of the mnemonic of a code (1..3), 0 outside 1..58.
int entn(int code);
// Value kind: 3 character (1, 24, 29, 36 and every code above 300), 2
// integer (201..299), 1 real otherwise.
int ENTRIC(int code);
// Node kind: 0 both kinds (1, 2, 9, 25..27, below 1, above 100), 1 thermal
// nodes only (3..8, 10..14), -1 fluid nodes only (15..24, 28..100).
int ENTYP(int code);

// Real value of entity `code` at `index` (built-in real codes and user
// entities 101..199). Status 0; 1 (index <= nt) or 2 (fluid side) for a code
// with no real value, after a severity-3 diagnostic; 3 for an index outside
// the addressed array (severity 3 as well). The value is 0 on failure and for
// codes that do not apply to the node kind.
void LSNTVR(int code, int index, int nf, int nt, std::string_view routine, double& value, int& status);
// Integer user entity 201..299; status 1 (value 0) for any other code, 3 for
// an index outside the arrays.
void LSNTVI(int code, int index, int nf, int nt, std::string_view routine, int& value, int& status);
// Character user entity 301..399 (24 characters, cut or padded to `value`);
// status 1 (value blank) for any other code, 3 for an index outside the arrays.
void LSNTVC(int code, int index, int nf, int nt, std::string_view routine, plat::TextRef value, int& status);

// Decomposes a user entity code into kind (1 real, 2 integer, 3 character)
// and column, with the entity's name; kind = column = 0 and a blank name
// when the code names no entity of SPRNOD.
void SPRNAM(int code, int& kind, int& column, plat::TextRef name);
// Code of the user entity called `name` (kinds real, integer, character in
// that order), 0 when there is none.
void SPRENT(std::string_view name, int& code);

// User node number of alias `alias` of model `model` (binary search among the
// model's sorted aliases). Status 2 for a model outside 1..FLAGS(26); node 0
// (status 0) when the alias is not found.
void LGTALI(int model, std::string_view alias, int& node, int& status);

// 1.0E38, the unbounded large number of the solvers.
double SRLMAX();
// |x| < 1.0E-37 (double constant).
bool SMINRL(double x);
// |x| < 1.0E-37 taken in single precision (9.99999991097579E-38).
bool SMINDL(double x);
