// Column names and values of node, constant and array items of a CSV table,
// and the field writers every value writer uses.
//
// Field encodings: an integer ",%10d"; a real "," + 1PE13.6; an undefined
// integer or real ",U"; a character value "," + '"' + the text without its
// trailing blanks + '"'. All pieces go through WRITEH.
#pragma once

#include <string_view>

#include "core/char_pool.h"
#include "core/file_services.h"
#include "platform/array.h"

// Header writers.
void PRHNOD(std::string_view name, std::string_view noderef, int model, int unit, int& ierr);
void ENTNTP(std::string_view name, int& thermal, int& fluid, int& ierr);
void PRHCST(std::string_view item, int model, int unit, int& ierr);
void PRHCCT(std::string_view name, int model, int& found);
void PRHARR(std::string_view item, int model, int unit, int& ierr);

// Value writers.
void PRCNOD(int code, std::string_view noderef, std::string_view item, int model, int unit, int& ierr);
void PRCUDE(int code, plat::Vec1<const int> list, int n, int unit, int& ierr);
void PRCCST(std::string_view item, int model, int unit, int& ierr);
void PRCCCT(std::string_view name, int model, int unit, int& ierr);
void PRCARR(std::string_view item, int model, int unit, int& ierr);

// Field writers. Node lists hold internal node numbers (thermal 1..NT first);
// the thermal writers stop at the first fluid node, the fluid writers skip
// thermal nodes and index their values by node - NT.
void PRCCCR(double value, int unit, int& ierr);
void PRCCCI(int value, int unit, int& ierr);
void PRCCCZ(std::string_view text, int unit, int& ierr, int len);
void PRCWNR(plat::Vec1<const int> list, int n, int nt, plat::Vec1<const double> values, int unit, int& ierr);
void PRCWFR(plat::Vec1<const int> list, int n, int nf, int nt, plat::Vec1<const double> values, int unit, int& ierr);
void PRCWNI(plat::Vec1<const int> list, int n, int nt, plat::Vec1<const int> values, int unit, int& ierr);
void PRCWFI(plat::Vec1<const int> list, int n, int nf, int nt, plat::Vec1<const int> values, int unit, int& ierr);
void PRCWNZ(plat::Vec1<const int> list, int n, int nt, CTextVec1 values, int unit, int& ierr, int len);
void PRCWFZ(plat::Vec1<const int> list, int n, int nf, int nt, CTextVec1 values, int unit, int& ierr, int len);
// Real values(index) for the conductor or link indices list(1..n).
void PRCWTR(plat::Vec1<const int> list, int n, plat::Vec1<const double> values, int unit, int& ierr);
// Every element inside ranges (first and last index of dimension d at 2d - 1
// and 2d) of an array of extents e1 x e2 x e3 whose values start at
// values(1), first index fastest. A failed element does not stop the others.
void PRCRAR(int e1, int e2, int e3, plat::Vec1<const int> ranges, plat::Vec1<const double> values, int unit,
            int& ierr);
void PRCIAR(int e1, int e2, int e3, plat::Vec1<const int> ranges, plat::Vec1<const int> values, int unit, int& ierr);
// The index-th field of a character array that starts at pool position start.
void PRCZA1(int index, int start, int nelem, PoolView pool, int unit, int& ierr);
// Every element inside ranges of a character array starting at pool position start.
void PRCZA2(int e1, int e2, int e3, plat::Vec1<const int> ranges, int start, int nelem, PoolView pool, int unit,
            int& ierr);

namespace csv {
// "Error writing to csv file@Fortran I/O error code" + ios in 10 + " returned",
// and the long form that names the likely causes.
std::string short_write_message(int ios);
std::string long_write_message(int ios);
}  // namespace csv
