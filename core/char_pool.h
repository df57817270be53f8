// The packed character pool, whole-array fills and copies, and the undefined marker.
//
// Pool: character user constants and character array elements are stored back
// to back in 133-character elements, each value ended by a NUL character.
// Pool positions count characters 1, 2, ... across the whole pool: position p
// lies in element (p - 1) / 133 + 1 at offset (p - 1) % 133 + 1, and a value
// may run on from one element into the next. Values are written over in
// place and keep their length.
//
// Undefined marker: the integer 2147483647. A 64-bit real is undefined when
// its first (low-address) 32-bit word holds the marker, whatever its other
// word holds; the tests read that word only, never the real's value.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/array.h"
#include "platform/text.h"

constexpr int kPoolElementLength = 133;
using PoolElement = plat::Text<kPoolElementLength>;
using PoolView = plat::Vec1<const PoolElement>;
using PoolRef = plat::Vec1<PoolElement>;

// Reads the value that starts at pool position `start` (up to its NUL, which
// must lie at or before `limit`). status 0; 1 when the value is longer than
// `text` (which holds its beginning; `length` is the full length); -1 for a
// bad start or limit, no NUL up to the limit, or an empty value.
void DBFZPK(PoolView pool, int nelem, int limit, int start, int& length, plat::TextRef text, int& status);
// First pool position at or after `start` where `sought` occurs, within
// `limit`; 0 when none. status 1 for a bad start or limit.
void SCANDX(PoolView pool, int nelem, int limit, int start, std::string_view sought, int& position, int& status);
// Occurrence of the first `sought_length` characters of `sought` that begins
// near the end of element `element`, from `offset` on, and may run on into
// the next elements without passing `limit`: found 1 and `offset` := its pool
// position; otherwise found 0 and `offset` := 1.
void SCVNDX(int nelem, PoolView pool, int limit, int sought_length, int element, int element_length,
            std::string_view sought, int& offset, int& found);
// Copies pool positions first..last into `text`. status 0; 1 when `text` is
// shorter (copied as far as it goes); -1 for a range beyond the pool or the
// limit; -2 for an empty pool, text or range, or a non-positive limit or first.
void SCVUCA(PoolView pool, int nelem, int limit, int first, int last, plat::TextRef text, int& status);
// Copies `count` pool characters from (element, offset) into `text` (blank
// first); element, offset and count are left after the last character copied.
void SMOVAV(PoolView pool, int nelem, int& offset, int& element, int& count, plat::TextRef text);
// Writes `count` characters of `text` (blanks once past its end) into the pool
// from (element, offset); element and offset are left after the last one.
void SMOVVA(std::string_view text, int count, int& offset, int& element, PoolRef pool, int nelem);

// Fills and copy of `count` elements; status 1 (nothing written) when count < 1.
void SZEROI(int count, plat::Vec1<int> values, int& status);
void SZEROD(int count, plat::Vec1<double> values, int& status);
// Sets `count` texts of `text_length` characters each, stored back to back from `texts`, to blanks.
void SZEROZ(int count, char* texts, std::size_t text_length, std::size_t capacity, int& status);
template <std::size_t N>
void SZEROZ(int count, plat::Vec1<plat::Text<N>> texts, int& status) {
  SZEROZ(count, texts.data() ? texts.data()->data() : nullptr, N, static_cast<std::size_t>(texts.size()), status);
}
void SICOPY(plat::Vec1<const int> source, int count, int& status, plat::Vec1<int> target);

// The undefined marker and its tests (all three tests behave alike).
constexpr int kUndefined = 2147483647;
int SKUNDF();
bool SLUNDF(const int& word);
bool SLUNDF(const double& value);
bool SDUNDF(const int& word);
bool SDUNDF(const double& value);
bool SUNDCK(const int& word);
bool SUNDCK(const double& value);
