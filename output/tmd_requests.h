// TMD output requests: the user routine DMPTMD (one time slice per call to
// the file of a base name) and the parameter-case TMD output PARTMD (one file
// per parameter case). Both decode the entity list, fill the request module
// TmvThermalModelVariables and drive the TMD file writer.
//
// File slots: 1..99 belong to the DMPTMD base names in order of first use,
// slot 100 to the parameter-case file. A file is replaced by the next
// numbered file of the same stream ("NAME.TMD", "NAME.TMD2", "NAME.TMD3", ...)
// whenever the time of a request does not come after the last time written
// to it, as when a new solution starts again in time.
#pragma once

#include <string_view>

#include "platform/array.h"
#include "platform/text.h"

// Appends one time slice (at TIMEN) to the TMD file of BASENAME (blank: the
// running submodel's own name). ZLABEL node group specification, ZENTS entity
// list ("NODES, CONDUCTORS, CONSTANTS" and their bracketed forms), MODREF
// submodel reference (negative: that submodel alone). Failures to close,
// create or write a file are fatal diagnostics; a 100th base name is refused
// with a severity-3 diagnostic.
void DMPTMD(std::string_view zlabel, std::string_view zents, int modref, std::string_view basename);

// Worker of DMPTMD, with the global values passed in: JOBINF texts, the model
// sizes (FLAGS words 33 links, 2 GL, 3 GF, 4 GR, 5 GV, 26 models, 32 fluid
// nodes, 1 thermal nodes), the user entity names (SPRNOD, nrows x nkinds,
// column-major) with SPRSIZ words 1 and 2, the routine name, TIMEN and the
// numbers of character, integer and real user entities (SPRSIZ 3, 4, 5).
void DMPTMDREAL(std::string_view zlabel, std::string_view zents, int modref, std::string_view basename,
                std::string_view jobdate, std::string_view jobname, std::string_view jobtime, int nlinks, int ngl,
                int ngf, int ngr, int ngv, int nmodels, int nf, int nt, plat::Vec1<const plat::Text<18>> uenames,
                int nrows, int nkinds, std::string_view routine, double timen, int nchar, int nint, int nreal);

// Parameter-case TMD output: one time slice (at TIMEN) to the file of the
// case, STEM + ".TMD" (then ".TMD2", ... when time restarts within the case).
// ENTLIST the parameter-case TMD entity list, STEM the case's file stem,
// CASENO the case number (0 for the base case). Failures are fatal
// diagnostics.
void PARTMD(std::string_view entlist, std::string_view stem, int caseno);

// Worker of PARTMD, with PARNAM, TIMEN, the JOBINF texts, the routine name
// and the same sizes and user entity names as DMPTMDREAL.
void PARTMDBASE(std::string_view entlist, std::string_view stem, int caseno, std::string_view parnam, double timen,
                std::string_view jobdate, std::string_view jobname, std::string_view jobtime,
                std::string_view routine, int nlinks, int ngl, int ngf, int ngr, int ngv, int nmodels, int nf,
                int nt, plat::Vec1<const plat::Text<18>> uenames, int nrows, int nkinds, int nchar, int nint,
                int nreal);

// Closes every TMD file and forgets the base names and the parameter-case
// state. Only tests call this; a run keeps its streams until HDF5 is closed.
void tmd_requests_reset_for_tests();
