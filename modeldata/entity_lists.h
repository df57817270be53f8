// Entity lists ZENTS: comma-separated entity mnemonics (L, T, QS, GL, G for
// all six conductor and link kinds, user entity names), one of which may
// carry the sort suffix "-INC" (ascending) or "-DEC" (descending). The
// decoder turns the text into entity codes in the order named.
#pragma once

#include <string_view>

#include "platform/array.h"

// Decodes zents(1:len) (blanks removed by the caller). nlist and nseen are
// the capacities of list and seen (never more than their views); ncodes the
// highest table code accepted by mnemonic (48: G is the last). Results:
// list(1..n), seen(code) = 1 for every code named, nodeflag / condflag 1 when
// a node / conductor code was named, sort +code ("-INC"), -code ("-DEC") or
// 0. ierr is the status of the last item that set it: 0, 1 mixed or repeated
// entities, 2 codes 37..41, 3 sort key refused or part of G already named,
// 4 sort on a character entity, 5 unknown mnemonic, 6 empty item, 7 no room
// for another code. Every error is reported (severity 3, 2 for a repeat) and
// decoding goes on with the next item.
void LSDNTT(int nlist, int nseen, int ncodes, std::string_view routine, std::string_view zents, int len,
            plat::Vec1<int> list, int& condflag, plat::Vec1<int> seen, int& nodeflag, int& n, int& sort, int& ierr);

// Adds code `code` to list(1..n) unless seen (ierr 1 with a severity-2
// diagnostic); code ncodes (G) adds the six codes ncodes-6..ncodes-1 not yet
// seen (ierr 3 when some were). Sets nodeflag or condflag.
void LSNTID(int nlist, int nseen, int ncodes, int code, std::string_view routine, plat::Vec1<int> list,
            int& condflag, plat::Vec1<int> seen, int& nodeflag, int& n, int& ierr);

// arr(1), arr(1 + step), ... up to index n := value; ierr := 0. A step below
// 1 sets nothing.
void ACONI(int step, int n, int value, plat::Vec1<int> arr, int& ierr);
