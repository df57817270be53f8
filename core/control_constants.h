// Global control constants: the records GLOR (reals), GLOI (integers) and
// GLOC (character fields), their accessor module gcc_GlobalControlConstants_m,
// the count check and name list SCNTRL, the character defaults SLDINC and
// STSOLT.
//
// The three lists below are the single source of the constants: they drive
// the record fields (in storage order), the 92-name list, the accessors and
// the alphabetical value routines. Each entry gives the upper-case name (the
// field), the lower-case name (the accessor suffix) and, for characters, the
// field length and the default set by SLDINC.
//
// The records are plain process-wide data. The generated blocks and the
// solution routines assign them directly (GLOR.RELXCA = 0.01; GLOI.NLOOP = 100;
// GLOC.OUTIME = "ALL";). Numeric constants have no default: the records start
// at zero and only the model database brings values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/array.h"
#include "platform/text.h"

// clang-format off
// Global real control constants, slot order (49).
#define TNA_GLOR_LIST(X)                                                                   \
  X(CSGMIN, csgmin) X(DAMPT, dampt) X(DTIMEI, dtimei) X(DTIMEU, dtimeu) X(DTMAX, dtmax)     \
  X(DTMIN, dtmin) X(DTPMAX, dtpmax) X(ENBALA, enbala) X(ENBALR, enbalr) X(INBALA, inbala)   \
  X(INBALR, inbalr) X(OUTINT, outint) X(RELXCA, relxca) X(RELXCC, relxcc)                   \
  X(STEFAN, stefan) X(TIMEM, timem) X(TIMEN, timen) X(TIMEND, timend) X(TIMEO, timeo)       \
  X(TABS, tabs) X(PABS, pabs) X(DAMPM, dampm) X(GRAVZ, gravz) X(PPOWER, ppower)             \
  X(RELXMA, relxma) X(RELXMB, relxmb) X(RELXMC, relxmc) X(DTCOUR, dtcour)                   \
  X(RLCOUR, rlcour) X(FRLXCA, frlxca) X(FRLXCC, frlxcc) X(MINFLO, minflo)                   \
  X(DTIMIF, dtimif) X(DTIMUT, dtimut) X(FCSGMN, fcsgmn) X(TIMENT, timent)                   \
  X(TIMEOT, timeot) X(DTIST, dtist) X(DTPIST, dtpist) X(DTINP, dtinp) X(DTPINP, dtpinp)     \
  X(GRAVX, gravx) X(GRAVY, gravy) X(MINDP, mindp) X(ARITH, arith) X(DTROCA, dtroca)         \
  X(DTROCC, dtrocc) X(ENBNDM, enbndm) X(INBNDM, inbndm)

// Global integer control constants, slot order (25).
#define TNA_GLOI_LIST(X)                                                                   \
  X(LOOPCT, loopct) X(MODEL, model) X(NCSGMN, ncsgmn) X(NLOOP, nloop) X(NRLXCC, nrlxcc)     \
  X(LENGTH, length) X(FLLPCT, fllpct) X(NRLXMC, nrlxmc) X(SUMFLL, sumfll)                   \
  X(SUMTHL, sumthl) X(THLPCT, thlpct) X(NFRLXC, nfrlxc) X(NLOOPH, nlooph)                   \
  X(NLOOPT, nloopt) X(WIDTH, width) X(FSTEPS, fsteps) X(FNCSGM, fncsgm) X(PYRO, pyro)       \
  X(MSHORT, mshort) X(TRACE, trace) X(MLEVEL, mlevel) X(METHOD, method)                     \
  X(NDTROC, ndtroc) X(PRGFBK, prgfbk) X(STEPCT, stepct)

// Global character control constants, slot order (16): name, accessor
// suffix, length, default.
#define TNA_GLOC_LIST(X)                                                                   \
  X(OPBLOK, opblok, 10, "") X(FORMAT, format, 8, "*") X(LINTYP, lintyp, 6, "SOLID")         \
  X(MODULE, module, 6, "") X(TFORM, tform, 132, "*") X(THEAD, thead, 132, "")               \
  X(PARNAM, parnam, 24, "ORIGINAL") X(HEADER, header, 132, "")                              \
  X(TFORMF, tformf, 132, "*") X(SOLTYP, soltyp, 7, "") X(RESULT, result, 80, "")            \
  X(MFFB, mffb, 3, "HEM") X(TIMELA, timela, 3, "NO") X(OUTIME, outime, 18, "ALL")           \
  X(SOLVER, solver, 6, "") X(QTRSOL, qtrsol, 3, "YES")
// clang-format on

// Per-model integer control constants held in LOCI, row order (2).
#define TNA_LOCI_LIST(X) X(NODES) X(NODESM)

struct GlorRecord {
#define TNA_X(U, l) double U = 0.0;
  TNA_GLOR_LIST(TNA_X)
#undef TNA_X
};

struct GloiRecord {
#define TNA_X(U, l) std::int32_t U = 0;
  TNA_GLOI_LIST(TNA_X)
#undef TNA_X
};

struct GlocRecord {
#define TNA_X(U, l, n, d) plat::Text<n> U;
  TNA_GLOC_LIST(TNA_X)
#undef TNA_X
};

// The snapshot and the model database copy these records whole.
static_assert(sizeof(GlorRecord) == 49 * 8, "GLOR is 49 doubles");
static_assert(sizeof(GloiRecord) == 25 * 4, "GLOI is 25 32-bit integers");
static_assert(sizeof(GlocRecord) == 702, "GLOC is 702 characters");

extern GlorRecord GLOR;
extern GloiRecord GLOI;
extern GlocRecord GLOC;

// Counts of the lists above.
inline constexpr int gcc_num_real = 49;
inline constexpr int gcc_num_int = 25;
inline constexpr int gcc_num_char = 16;
inline constexpr int gcc_num_local_int = 2;
inline constexpr int gcc_num_all = 92;

// Name tables of 6-character names sorted in ascending character-code order
// of the blank-padded names.
// Element [i - 1] is the i-th name.
extern const std::array<plat::Text<6>, 49> gcc_ctrl_const_names_real;
extern const std::array<plat::Text<6>, 25> gcc_ctrl_const_names_int;
extern const std::array<plat::Text<6>, 16> gcc_ctrl_const_names_char;

// One getter and one setter per global constant, gcc_get<name>/gcc_set<name>.
#define TNA_X(U, l) \
  double gcc_get##l(); \
  void gcc_set##l(const double& v);
TNA_GLOR_LIST(TNA_X)
#undef TNA_X
#define TNA_X(U, l) \
  std::int32_t gcc_get##l(); \
  void gcc_set##l(const std::int32_t& v);
TNA_GLOI_LIST(TNA_X)
#undef TNA_X
#define TNA_X(U, l, n, d) \
  plat::Text<n> gcc_get##l(); \
  void gcc_set##l(std::string_view v);
TNA_GLOC_LIST(TNA_X)
#undef TNA_X

// Value lists in the alphabetical order of the name tables: V(1 + (i-1) *
// stride) := value of the i-th name, so a strided array section is filled
// in place (V must hold 1 + (n-1) * stride elements).
void gcc_getvaluesreal(plat::Vec1<double> v, std::int64_t stride = 1);
void gcc_getvaluesint(plat::Vec1<std::int32_t> v, std::int64_t stride = 1);
// Each element := first 8 characters of the field (blank-padded), then 124 blanks.
void gcc_getvalueschar(plat::Vec1<plat::Text<132>> v, std::int64_t stride = 1);

// Count check of the control-constant counts (FLAGS words 15, 14, 13, 12,
// 11, 10) and fill of the 92-name list. On a count mismatch IERR := 1 and
// NAMES is left as it was; IERR is not touched on success.
void SCNTRL(int ngc, int ngi, int ngr, int nlc, int nli, int nlr, plat::Vec1<plat::Text<18>> names, int& ierr);
// The same for a list of `count` texts of `elem_len` characters stored one
// after the other from `names` (elem_len 0: the names are not stored).
void SCNTRL(int ngc, int ngi, int ngr, int nlc, int nli, int nlr, char* names, std::size_t elem_len,
            std::int64_t count, int& ierr);

// Sets every GLOC field to its default.
void SLDINC();

// SOLTYP := text, cut to 7 characters or blank-padded.
void STSOLT(std::string_view text);

// True when option bit k (a power of two) of METHOD is set:
// (METHOD mod 2k) >= k with the remainder taking METHOD's sign, so a
// negative METHOD sets no bit.
bool MTDTST(int k);
