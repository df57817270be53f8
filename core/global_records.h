// Process-wide records of model sizes and run identity: FLAGS (41 words of
// counts, list lengths and the two dynamic-core stack tops), the model name
// of gfl_GlobalFlags_m, SPRSIZ/SPRNOD (user-defined nodal entities), JOBINF
// (run date, time and job name), LOCI/LOCR/LOCC (per-model control
// constants) and the print-state records PRTINF, EBUFFI, EBUFFC, PPLLOT.
//
// The generated model program writes FLAGS, SPRSIZ, SPRNOD and the model
// name before it starts the run; every subsystem reads them directly. Word
// records are indexed one-based: FLAGS(1) is the number of thermal nodes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/array.h"
#include "platform/text.h"

// A fixed record of N 32-bit integer words, indexed 1..N, zero at start.
template <int N>
struct WordRecord {
  std::int32_t w[N] = {};

  std::int32_t& operator()(int i) {
    TNA_CHECK_INDEX(i, N, "word record");
    return w[i - 1];
  }
  std::int32_t operator()(int i) const {
    TNA_CHECK_INDEX(i, N, "word record");
    return w[i - 1];
  }
  static constexpr int size() { return N; }
  plat::Vec1<std::int32_t> view() { return {w, N}; }
};

// FLAGS words with a name of their own in the other subsystems.
inline constexpr int FLAGS_DYSTOR = 28;               // words of each dynamic-core array
inline constexpr int FLAGS_NEXTDYNAMICCOREREAL = 29;  // first free word of the real core
inline constexpr int FLAGS_NEXTDYNAMICCOREINT = 36;   // first free word of the integer core

using FlagsRecord = WordRecord<41>;
using SprsizRecord = WordRecord<5>;
// Print state of the listing: page length, line count, print unit, page
// number, two unused words.
using PrtinfRecord = WordRecord<6>;
using EbuffiRecord = WordRecord<106>;
using PpllotRecord = WordRecord<262>;

static_assert(sizeof(FlagsRecord) == 41 * 4);
static_assert(sizeof(SprsizRecord) == 5 * 4);
static_assert(sizeof(PrtinfRecord) == 6 * 4);
static_assert(sizeof(EbuffiRecord) == 106 * 4);
static_assert(sizeof(PpllotRecord) == 262 * 4);

extern FlagsRecord FLAGS;
extern SprsizRecord SPRSIZ;
extern PrtinfRecord PRTINF;
extern EbuffiRecord EBUFFI;
extern PpllotRecord PPLLOT;

// 106 texts of 6 characters, indexed 1..106.
struct EbuffcRecord {
  plat::Text<6> t[106];
  plat::Text<6>& operator()(int i) {
    TNA_CHECK_INDEX(i, 106, "EBUFFC");
    return t[i - 1];
  }
};
static_assert(sizeof(EbuffcRecord) == 106 * 6);
extern EbuffcRecord EBUFFC;

// Names of the user-defined nodal entities, 18 characters each, kind after
// kind with SPRSIZ(1) rows per kind: SPRNOD(p, k) is element
// (k - 1) * SPRSIZ(1) + p, SPRNOD(i) the i-th element (room for 3 x 99).
struct SprnodRecord {
  static constexpr int capacity = 3 * 99;
  plat::Text<18> t[capacity];
  plat::Text<18>& operator()(int i) {
    TNA_CHECK_INDEX(i, capacity, "SPRNOD");
    return t[i - 1];
  }
  plat::Text<18>& operator()(int row, int kind);
};
static_assert(sizeof(SprnodRecord) == 297 * 18);
extern SprnodRecord SPRNOD;

// Run date (as ZDAYDT gives it), run time (hh:mm:ss) and job name.
struct JobinfRecord {
  plat::Text<17> date;
  plat::Text<8> time;
  plat::Text<24> jobname;
};
static_assert(sizeof(JobinfRecord) == 49);
extern JobinfRecord JOBINF;

// Per-model control constants: LOCI(j, m) is local integer constant j
// (1 NODES, 2 NODESM) of model m, FLAGS(11) rows by FLAGS(26) columns;
// LOCR likewise with FLAGS(10) rows. Allocated by gar_allocate; flat()
// gives the column-major word sequence. LOCC is reserved for local character
// constants, of which there are none.
extern plat::Array2<std::int32_t> LOCI;
extern plat::Array2<double> LOCR;
extern plat::Array1<plat::Text<6>> LOCC;

// Run date "dd Monthname yyyy" (17 characters, month in nine columns) and
// time "hh:mm:ss" (8 characters) from the local wall clock.
std::string ZDAYDT();
std::string ZDAYTM();

// Fills JOBINF: job name (cut or padded to 24), then the date of ZDAYDT and
// the time of ZDAYTM.
void SLDINA(std::string_view jobname);

// gfl_GlobalFlags_m: the model name and named read access to FLAGS.
void gfl_setmodelname(std::string_view name);
plat::Text<24> gfl_getmodelname();
plat::Text<8> gfl_gettruncatedmodelname();
void gfl_setnumrealarrayelements(int n);
void gfl_setnumintegerarrayelements(int n);
int gfl_getlenpcsthermal();
int gfl_getnumnodalentities();
int gfl_getnumthermalnodes();
int gfl_getnumlinearconds();
int gfl_getnumfluidicconds();
int gfl_getnumradiativeconds();
int gfl_getnumvfacconds();
int gfl_getnumrealuserconstants();
int gfl_getnumintegeruserconstants();
int gfl_getnumcharuserelements();
int gfl_getnumcharuserconstants();
int gfl_getnumcclocalreal();
int gfl_getnumcclocalint();
int gfl_getnumccglobalreal();
int gfl_getnumccglobalint();
int gfl_getnumalluserconstants();
int gfl_getnumallcontrolconstants();
int gfl_getlenarrayinfolist();
int gfl_getnumallarrays();
int gfl_getnumrealarrayelements();
int gfl_getnumintegerarrayelements();
int gfl_getnumchararrayelements();
int gfl_getlenpcsthermalold();
int gfl_getnumsubmodels();
int gfl_getlendynamiccore();
int gfl_getnumfluidnodes();
int gfl_getnummassflowlinks();
int gfl_getlenpcsfluid();
int gfl_getnumnodealiases();
