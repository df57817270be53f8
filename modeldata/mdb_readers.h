// Record and keyed-list readers of the model database file, and block moves
// inside one array.
//
// A keyed list is a header record of four integers (key, type, length, unused)
// followed by one data record, or, for type 7, by a record holding the chunk
// count N and N plain lists keyed 1..N whose items follow one another. The
// record readers end the run (file-input box, then ERROR) on any failed read;
// the list readers return a status: 0 read, 1 wrong key or type, 2 the list
// does not fit its target, or the I/O status of a failed chunk-count read.
// No reader ever stores beyond the array view it is given, whatever lengths
// the file claims.
#pragma once

#include <string>
#include <string_view>

#include "core/file_services.h"
#include "platform/array.h"

// Reads one record and stores its first n integers into a(1..n).
void DBQRII(int n, int unit, plat::Vec1<int> a, int& status);
// Reads one record and stores its first n reals into a(1..n).
void DBQRDD(int n, int unit, plat::Vec1<double> a, int& status);
// Reads one record and stores its first n items of a.len() characters into a(1..n).
void DBQRZZ(int n, int unit, TextVec1 a, int& status);
// Reads and discards the next n records (none for n <= 0).
void DBQRSK(int n, int unit, int& status);
// Reads one record of four integers: found 1, status 0 for the marker -1, 0, 0, 0;
// otherwise found 0 and status the record's first integer.
void DBQRMK(int unit, int& found, int& status);

// Reads one keyed integer list (plain or chunked) with the expected key into
// a(base+1) onward, never beyond element `capacity` (nor the end of a);
// count := integers stored.
void SCOMII(int base, int capacity, int key, int unit, plat::Vec1<int> a, int& count, int& status);
// The same for a real list (length counts 4-byte words: items = length / 2).
void SCOMDD(int base, int capacity, int key, int unit, plat::Vec1<double> a, int& count, int& status);
// Reads one plain keyed character list of items of item_len characters into
// a(base+1) onward; count := items ((length + item_len - 1) / item_len).
void SCOMZZ(int base, int capacity, int key, int unit, int item_len, TextVec1 a, int& count, int& status);
// Skips, as two records each, every list with key first..last that the list
// directory marks present (word 2 of pair k non-zero; pairs of dim1 words).
void SCOMSK(plat::Vec1<const int> directory, int dim1, int dim2, int first, int last, int unit, int& status);

// Moves a(from..from+n-1) to a(to..to+n-1) within the first ntot elements and
// zeroes the vacated source elements; status -1 (a count or position below 1)
// or 1 (block leaves the array), array untouched.
void DBCOPI(int ntot, int n, int from, int to, plat::Vec1<int> a, int& status);
// The same for character items; vacated items become blanks.
void DBCOPZ(int ntot, int n, int from, int to, TextVec1 a, int& status);

namespace mdbr {
// The message texts of a failed read (200 characters; 300 for the real reader),
// exposed so that their exact layout can be checked.
std::string read_error_message(std::string_view connected_name, int unit, int error);
std::string real_read_error_message(std::string_view connected_name, int unit, int error);
}  // namespace mdbr
