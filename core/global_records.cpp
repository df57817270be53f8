// Process-wide records of model sizes and run identity, and the module
// gfl_GlobalFlags_m.
#include "core/global_records.h"
#include "platform/process_state.h"

#include <cstdio>

#include "platform/process.h"

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

namespace {

// The model name; blank until the generated program sets it.
plat::Text<24> mmodelname;

}  // namespace

plat::Text<18>& SprnodRecord::operator()(int row, int kind) { return (*this)((kind - 1) * SPRSIZ(1) + row); }

std::string ZDAYDT() {
  static constexpr const char* kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                              "July",    "August",   "September", "October", "November", "December"};
  const plat::DateTime t = plat::now();
  const int m = (t.month >= 1 && t.month <= 12) ? t.month - 1 : 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d %-9s %04d", t.day % 100, kMonths[m], t.year % 10000);
  return std::string(buf, 17);
}

std::string ZDAYTM() {
  const plat::DateTime t = plat::now();
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100);
  return std::string(buf, 8);
}

void SLDINA(std::string_view jobname) {
  JOBINF.jobname = jobname;
  JOBINF.date = ZDAYDT();
  JOBINF.time = ZDAYTM();
}

void gfl_setmodelname(std::string_view name) { mmodelname = name; }
plat::Text<24> gfl_getmodelname() { return mmodelname; }
plat::Text<8> gfl_gettruncatedmodelname() { return plat::Text<8>(mmodelname.view().substr(0, 8)); }

void gfl_setnumrealarrayelements(int n) { FLAGS(20) = n; }
void gfl_setnumintegerarrayelements(int n) { FLAGS(21) = n; }

// Not kept in FLAGS: four entries per GL, GF and GR conductor.
int gfl_getlenpcsthermal() { return 4 * (FLAGS(2) + FLAGS(3) + FLAGS(4)); }
// The number of nodal entity codes, the same for every model.
int gfl_getnumnodalentities() { return 41; }

int gfl_getnumthermalnodes() { return FLAGS(1); }
int gfl_getnumlinearconds() { return FLAGS(2); }
int gfl_getnumfluidicconds() { return FLAGS(3); }
int gfl_getnumradiativeconds() { return FLAGS(4); }
int gfl_getnumvfacconds() { return FLAGS(5); }
int gfl_getnumrealuserconstants() { return FLAGS(6); }
int gfl_getnumintegeruserconstants() { return FLAGS(7); }
int gfl_getnumcharuserelements() { return FLAGS(8); }
int gfl_getnumcharuserconstants() { return FLAGS(9); }
int gfl_getnumcclocalreal() { return FLAGS(10); }
int gfl_getnumcclocalint() { return FLAGS(11); }
int gfl_getnumccglobalreal() { return FLAGS(13); }
int gfl_getnumccglobalint() { return FLAGS(14); }
int gfl_getnumalluserconstants() { return FLAGS(16); }
int gfl_getnumallcontrolconstants() { return FLAGS(17); }
int gfl_getlenarrayinfolist() { return FLAGS(18); }
int gfl_getnumallarrays() { return FLAGS(19); }
int gfl_getnumrealarrayelements() { return FLAGS(20); }
int gfl_getnumintegerarrayelements() { return FLAGS(21); }
int gfl_getnumchararrayelements() { return FLAGS(22); }
int gfl_getlenpcsthermalold() { return FLAGS(24); }
int gfl_getnumsubmodels() { return FLAGS(26); }
int gfl_getlendynamiccore() { return FLAGS(28); }
int gfl_getnumfluidnodes() { return FLAGS(32); }
int gfl_getnummassflowlinks() { return FLAGS(33); }
int gfl_getlenpcsfluid() { return FLAGS(35); }
int gfl_getnumnodealiases() { return FLAGS(40); }

namespace {
void reset_global_records() {
  FLAGS = FlagsRecord{};
  SPRSIZ = SprsizRecord{};
  PRTINF = PrtinfRecord{};
  EBUFFI = EbuffiRecord{};
  PPLLOT = PpllotRecord{};
  EBUFFC = EbuffcRecord{};
  SPRNOD = SprnodRecord{};
  JOBINF = JobinfRecord{};
  LOCI = plat::Array2<std::int32_t>{};
  LOCR = plat::Array2<double>{};
  LOCC = plat::Array1<plat::Text<6>>{};
  mmodelname = plat::Text<24>{};
}
}  // namespace
TNA_PROCESS_STATE("core/global_records", reset_global_records)
