// Parameter-case texts: the entity mnemonic at the start of a reference and
// the text inside single quotes.
#pragma once

#include <string_view>

#include "platform/text.h"

// Entity code of the longest entity name that begins `str` (trailing blanks
// of `str` do not count): 1..58 for a mnemonic; for a user-defined nodal
// entity whose name is strictly longer than the best mnemonic, -k for the
// k-th real entity, -(NR + k) for the k-th integer one and -(NR + NI + k) for
// the k-th character one; 0 when nothing matches. `lm` is the number of
// characters matched; `name` (may be empty) receives the matched name,
// blank-padded.
void ENTFND(std::string_view str, plat::TextRef name, int& code, int& lm);

// The text between the single quotes that open and close `str` (trailing
// blanks ignored; quotes inside stay), cut or blank-padded to `value`.
// ierr 1, with a severity-3 diagnostic, when `str` does not begin and end
// with a quote; `value` is then left as it was.
void PARZVL(std::string_view str, plat::TextRef value, int& ierr);
