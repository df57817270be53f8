// Lookup and ordering: bisection and linear search in lists of integers,
// texts and integer records; the in-place sort of integer records by absolute
// values with its partition, scans, short-run sort and comparators; and the
// lookup of a submodel by a path of names.
//
// Searches return status 1 for an empty list (N < 1). Bisection gives found 1
// and the first position of a run of equal keys, or found 0 and the insert
// position (N + 1 past the end). Lists and tables are never read beyond the
// views given, whatever N says.
#pragma once

#include <string_view>

#include "core/file_services.h"
#include "platform/array.h"

void SOFNDI(plat::Vec1<const int> list, int n, int key, int& status, int& found, int& position);
void SOFNDZ(CTextVec1 list, int n, std::string_view key, int& status, int& found, int& position);
// Record table of n records of nk words, ascending in SCOMPI order.
void SOFNDM(plat::Vec1<const int> table, int nk, int n, plat::Vec1<const int> key, int& status, int& found,
            int& position);
void SRFNDI(plat::Vec1<const int> list, int n, int key, int& status, int& found, int& position);
void SRFNDZ(CTextVec1 list, int n, std::string_view key, int& status, int& found, int& position);

// comparison 1 (A after B), -1 (A before B) or 0: signed lexicographic order; status 1 for nk < 1.
void SCOMPI(plat::Vec1<const int> a, plat::Vec1<const int> b, int nk, int& comparison, int& status);
// The same on absolute values; status -1 for nk < 1.
void SCOMPX(plat::Vec1<const int> a, plat::Vec1<const int> b, int nk, int& comparison, int& status);

// Records at most this long can be sorted (the sort keeps one record aside).
constexpr int kSortRecordWords = 100;

// Sorts n records of nk words in SCOMPX order, in place. n < 2: nothing at
// all. When duplicate is non-zero on entry it comes back 1 if two records
// compare equal, else 0. status 2 when nk exceeds kSortRecordWords (nothing moved).
void SSMSRT(int nk, int n, plat::Vec1<int> table, int& status, int& duplicate);
// One partition step on records low..high.
void SPIVOT(int& low, int nk, int n, int& high, plat::Vec1<int> table, int& sorted, int& position, int& status);
// high := the first record at or below high, above lower_limit, that does not come after the pivot.
void SERCHD(int nk, int n, int lower_limit, plat::Vec1<const int> pivot, plat::Vec1<const int> table, int& high,
            int& status);
// low := the first record at or above low, below upper_limit, that does not come before the pivot.
void SERCHU(int nk, int n, int upper_limit, plat::Vec1<const int> pivot, int& low, plat::Vec1<const int> table,
            int& status);
// Sorts a run of n records starting at the view's first word.
void SSBSRT(int nk, int n, plat::Vec1<int> run, int& status);

// Submodel lookup by a path of names relative to the current model. The model
// directory holds slots_per_model words per model (slot 1 nesting level, slot 2
// subtree size). found receives the models found; number_found may exceed its
// size, only the first found.size() are stored. status -1 bad directory sizes,
// 1 current model out of range, 2 empty path, 3 failed descent.
void SNMINC(plat::Vec1<const int> directory, int slots_per_model, int models, CTextVec1 names, CTextVec1 path,
            int path_length, int current, int& number_found, plat::Vec1<int> found, int& status);
// Descends from start through direct children named by path(1..path_length).
void SNMLVX(plat::Vec1<const int> directory, int slots_per_model, int models, CTextVec1 names, CTextVec1 path,
            int path_length, int start, int& reached, int& status);
// The first of models first..first+count-1 at the given level with the given name.
void SNMLVL(plat::Vec1<const int> directory, int slots_per_model, int models, CTextVec1 names, int level, int first,
            std::string_view name, int count, int& model_found, int& status);
