// Entity lists of result requests and the current TMD request.
//
// An entity list names what a TMD (or GFF) request writes: blocks NODES,
// CONDUCTORS and CONSTANTS separated by commas, NODES and CONDUCTORS
// optionally followed by a bracketed list of attributes or kinds:
//   "NODES(T, QI, HFD), CONDUCTORS(GL, M), CONSTANTS"
// A blank list asks for everything. GFFPARSEENTITYLIST turns a list into
// request flags; the module TmvThermalModelVariables holds the request that
// the TMD file writer works from, refreshed by tmvvariablesupdate before each
// creation and each write.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/array.h"
#include "platform/text.h"

// Number of conductor and link kinds of a request: GL, GR, GF, GV, M, GP.
inline constexpr int tmd_numcondkinds = 6;

// Decodes the entity list `str` (its whole length is scanned). `uenames` holds
// the user entity names, nrows rows by nkinds columns (column-major: real,
// integer, character); nchar, nint, nreal their counts. Results: wantn, wantc,
// wantk (0/1); nodeflags(1..41 + nreal + nint + nchar) one flag per nodal
// entity code 1..41, then per user real, integer and character entity;
// condflags(1..6) per kind. nodeflags are set only when wantn is 1, condflags
// only when wantc is 1. Mistakes are reported (severity 3, routine
// "ParseGffEntityList", the caller's name in the context) and parsing goes on.
void GFFPARSEENTITYLIST(std::string_view str, std::string_view caller, plat::Vec1<const plat::Text<18>> uenames,
                        int nrows, int nkinds, int nchar, int nint, int nreal, int& wantn, int& wantc, int& wantk,
                        plat::Vec1<int> nodeflags, plat::Vec1<int> condflags);

// The current TMD request. Every variable is overwritten by tmvvariablesupdate.
namespace TmvThermalModelVariables {
extern std::int32_t submodelreference;
extern std::int32_t conductortypeflags[tmd_numcondkinds];  // GL, GR, GF, GV, M, GP
extern plat::Text<100> description;
extern std::int32_t fileindex;
extern plat::Text<6> mainroutine;
extern plat::Text<17> thejobdate;
extern plat::Text<24> thejobname;
extern plat::Text<8> thejobtime;
extern std::int32_t numberofm_gps, numberofgfs, numberofgls, numberofgrs, numberofgvs;
extern std::int32_t numberofsubmodels;
extern std::int32_t numberoffluidnodes, numberofthermalnodes;
extern plat::Array1<std::int32_t> nodeattributeflags;    // 41 + NREAL + NINT + NCHAR
extern plat::Array2<plat::Text<32>> userattributenames;  // NROWS x NKINDS
extern double currenttime;
extern std::int32_t numuserstringattributes, numuserintegerattributes, numuserrealattributes;
extern std::int32_t wantconductorsflag, wantconstantsflag, wantnodesflag;
extern plat::Text<255> nodegroupspec;
extern plat::Array1<std::int32_t> selectednodes;  // NT + NF entries (at least 1), 0 beyond the count
extern std::int32_t numselectednodes;
extern std::int32_t tmv_selectedsubmodelfirstid, tmv_selectedsubmodellastid;
extern std::int32_t tmv_numselecteduserconstantsreal, tmv_numselecteduserconstantsint,
    tmv_numselecteduserconstantschar;
}  // namespace TmvThermalModelVariables

// Copies a request into TmvThermalModelVariables and derives its node
// selection (when nodes or conductors are requested: LSCHND over every node
// kind, inactive nodes included) and the range of models whose user constants
// are written (when constants are requested: the model |subref| alone for a
// negative reference, with its subtree otherwise). Texts are cut or padded to
// the module's lengths.
void tmvvariablesupdate(int subref, plat::Vec1<const int> condflags, std::string_view description, int fileindex,
                        std::string_view mainroutine, std::string_view jobdate, std::string_view jobname,
                        std::string_view jobtime, int nm_gps, int ngfs, int ngls, int ngrs, int ngvs, int nsubmodels,
                        int nf, int nt, plat::Vec1<const int> nodeflags, plat::Vec1<const plat::Text<18>> uenames,
                        int nrows, int nkinds, double currenttime, int nchar, int nint, int nreal, int wantc,
                        int wantk, int wantn, std::string_view zlabel);
