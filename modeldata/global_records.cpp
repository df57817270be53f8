// Process-wide records of model sizes and run identity.
#include "modeldata/global_records.h"

FlagsRecord FLAGS;
SprsizRecord SPRSIZ;
PrtinfRecord PRTINF;
EbuffiRecord EBUFFI;
PpllotRecord PPLLOT;
EbuffcRecord EBUFFC;
SprnodRecord SPRNOD;
JobinfRecord JOBINF;
plat::Array2<std::int32_t> LOCI;
plat::Array2<double> LOCR;
plat::Array1<plat::Text<6>> LOCC;
