// Pages of the printed listing and the solution header.
//
// The page model lives in PRTINF: (1) page length, (2) lines printed on the
// current page, (3) print unit, (4) number of the next page. A printer that
// is about to print compares the lines left with what it needs, starts a new
// page through PRPAGE when too few remain, prints and adds its lines to the
// line count. Records carry a carriage-control character written literally:
// "1" starts a page, "+" overprints the previous line, blank otherwise.
#pragma once

#include <string_view>

#include "platform/array.h"
#include "platform/text.h"

// Starts a new page: the page-eject record "1", the header line (program,
// version and page number), date, time and job name, and the HEADER line
// when it is not blank. Sets the line count (9 with HEADER, 7 without) and
// adds 1 to the page number. A WIDTH outside 80..132 is fatal.
void PRPAGE();

// Prints the solution header for the current SOLVER (steady, transient,
// fluid variants) with the figures of the control constants, starting a new
// page when fewer than 10 lines are left.
void PRHEAD();

// A 14-character edit descriptor for x: F form "F" nw "." nd when x fits in
// it with ns significant digits, else "1P, E" nw "." ns-1 ", 0P"; "F" nw
// ".0" when x is undefined. Numbers are written in 2 columns.
plat::Text<14> LFMTR(int nw, int nd, int ns, double x);

// Prints the model path names(1..nnames) joined by ":" on "+" records from
// column icol, breaking lines at iwidth; starts a new page first when the
// path does not fit on the current one.
void LSPCNM(plat::Vec1<const plat::Text<24>> names, int nnames, int icol, int iwidth);

// Report of one cycle of the cyclic solution: on the trace file (unit 13)
// when TRACE is 1, else on the listing, where a new page is started when the
// line count + 5 reaches the page length and 6 is added to the line count.
// Lines: a blank line, " SOLCYC cycle number: " and the cycle number; for
// the temperature (node noddt, change maxdt) and then the rate (node nodddt,
// change maxddt): "  Max delta T = " (resp. "  Max delta dT/dt = ") with the
// change in 1PE11.4, "    at node " with the user node number and
// "    in submodel " with the model path, or "... = Not calculated " when
// the node is 0.
void LPRCYC(double maxddt, int icycle, int nodddt, int noddt, double maxdt);
