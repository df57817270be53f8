// The two global records of the parameter cases.
//
// PARNUM, seven words: 1 CSV multiplicity (0 one table for the run, 1 one
// table per case), 2 case number (0 the base case), 3 CSV requested, 4 GFF
// requested, 5 output point (1 write from VARIABLES2, 0 from OUTPUTS), 6
// output multiplicity (1 one listing file per case), 7 TMD requested.
//
// PARCHR, four blank-padded texts: the CSV entity list (with its brackets),
// the file stem of the current case's result files, the GFF entity list and
// the TMD entity list.
#pragma once

#include "core/global_records.h"
#include "platform/text.h"

using ParnumRecord = WordRecord<7>;
static_assert(sizeof(ParnumRecord) == 7 * 4);

struct ParchrRecord {
  plat::Text<256> csvlist;
  plat::Text<50> stem;
  plat::Text<256> gfflist;
  plat::Text<256> tmdlist;
};
static_assert(sizeof(ParchrRecord) == 256 + 50 + 256 + 256);

extern ParnumRecord PARNUM;
extern ParchrRecord PARCHR;
