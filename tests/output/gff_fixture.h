// A small model for the GFF tests, filled straight into the global arrays:
// MAIN (model 1) with two submodels PANEL and LOOP (both level 1). The same
// values are written by tools/golden/gff_file.f90, which produced the golden
// file tests/data/gff/two_submodels.GFF.
//
//   thermal  model  number  status  label          fluid  model  number  status
//   1        MAIN   10      D       "BASE PLATE"   1      LOOP   100     F
//   2        MAIN   20      B       (blank)        2      LOOP   200     J
//   3        PANEL  1       D       " PANEL  A"
//   4        PANEL  2       C       "EDGE"
//   5        LOOP   5       X       "RADIATOR"
//
// Conductors: GL1 10.0 and GL2 0.125 (inactive) between nodes 1 and 2, GL3
// between 3 and 1 (PANEL), GL4 between node 5 and fluid node 1, GL5 between
// 4 (status C) and 5 (both LOOP's); GR1 between 1 and 3; GF1 0.75 from 3 to
// 5 (PANEL); GV1 between 2 and 5 (inactive); mass-flow link 1 from fluid 1
// to fluid 2 (flow 0.05, fitting loss 2.5). User entities: real FLUX,
// integer COUNT, character TAG. User constants: MAIN real GAIN 1.5, integer
// NCYCLE 3, character MODE "FAST"; PANEL real EPSP (undefined); LOOP integer
// NPUMP -2, character TAG "  hot  loop ".
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "output/gff.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/small_model.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace gff_test {

inline constexpr int kNT = 5, kNF = 2, kNM = 3, kDystor = 100;

inline double undefined_real() {
  double x = 0.0;
  const std::int32_t w[2] = {2147483647, 0};
  std::memcpy(&x, w, sizeof x);
  return x;
}

inline void build_model() {
  gar_deallocate_all();
  // Linked thermal list. Node 1's GL sub-list jumps to its continuation at
  // the end of the list.
  std::vector<int> th;
  int ptr[kNT + 1] = {};
  ptr[1] = 1;
  th.insert(th.end(), {2, 1, 0});  // the last word becomes the jump
  const std::size_t jump = th.size() - 1;
  ptr[2] = static_cast<int>(th.size()) + 1;
  th.insert(th.end(), {1, 1, 1, 2, 0, 0, 0});
  ptr[3] = static_cast<int>(th.size()) + 1;
  th.insert(th.end(), {1, 3, 0, 1, 1, 0, 5, -1, 0});
  ptr[4] = static_cast<int>(th.size()) + 1;
  th.insert(th.end(), {5, 5, 0, 0, 0});
  ptr[5] = static_cast<int>(th.size()) + 1;
  th.insert(th.end(), {4, 5, kNT + 1, 4, 0, 0, 3, 1, 0});
  th[jump] = -(static_cast<int>(th.size()) + 1);
  th.insert(th.end(), {2, 2, 3, 3, 0, 3, 1, 0, 0});
  // Fluid list: links (fluid index, link), then GL, GR, GF (internal index,
  // conductor). Fluid node 1's link sub-list ends with a terminator jump.
  std::vector<int> fl;
  int fptr[kNF + 1] = {};
  fptr[1] = 1;
  fl.insert(fl.end(), {2, 1});
  fl.push_back(-(static_cast<int>(fl.size()) + 2));
  fl.insert(fl.end(), {0, 5, 4, 0, 0, 0});
  fptr[2] = static_cast<int>(fl.size()) + 1;
  fl.insert(fl.end(), {1, 1, 0, 0, 0, 0});

  FLAGS = FlagsRecord{};
  FLAGS(1) = kNT;
  FLAGS(2) = 5;
  FLAGS(3) = 1;
  FLAGS(4) = 1;
  FLAGS(5) = 1;
  FLAGS(6) = 2;
  FLAGS(7) = 2;
  FLAGS(8) = 2;
  FLAGS(9) = 2;
  FLAGS(16) = 6;
  FLAGS(26) = kNM;
  FLAGS(28) = kDystor;
  FLAGS(29) = 1;
  FLAGS(32) = kNF;
  FLAGS(33) = 1;
  FLAGS(36) = 1;
  tna_test::ArraySizes c;
  c.dystor = kDystor;
  c.mdrows = 18;
  c.lpcsfluid = static_cast<int>(fl.size());
  c.lpcsold = static_cast<int>(th.size());
  c.nucn = 6;       // user-constant names
  c.ncharuc = 2;    // character user constants
  c.ncharpool = 2;  // pool elements
  c.ngf = 1;        // GF
  c.nf = kNF;
  c.nintuc = 2;   // integer user constants
  c.ngl = 5;      // GL
  c.nl = 1;       // links
  c.ngr = 1;      // GR
  c.nrealuc = 2;  // real user constants
  c.nm = kNM;
  c.nt = kNT;
  c.nchent = 1;
  c.nintent = 1;
  c.nrealent = 1;
  c.ngv = 1;  // GV
  c.allocate();
  for (std::size_t k = 0; k < th.size(); ++k) gar_pcsthermalold(static_cast<int>(k) + 1) = th[k];
  for (int i = 1; i <= kNT; ++i) gar_pcsptrsthermalold(i) = ptr[i];
  for (std::size_t k = 0; k < fl.size(); ++k) gar_pcsfluid(static_cast<int>(k) + 1) = fl[k];
  for (int j = 1; j <= kNF; ++j) gar_pcsptrsfluid(j) = fptr[j];

  tna_test::set_column(md_level, {0, 1, 1});
  tna_test::set_column(md_subtreesize, {3, 1, 1});
  tna_test::set_column(md_thermalnodebase, {0, 2, 4, 5});
  tna_test::set_column(md_fluidnodebase, {0, 0, 0, 2});
  tna_test::set_column(md_linearcondbase, {0, 2, 3, 5});
  tna_test::set_column(md_radiativecondbase, {0, 1, 1, 1});
  tna_test::set_column(md_fluidiccondbase, {0, 0, 1, 1});
  tna_test::set_column(md_vfaccondbase, {0, 1, 1, 1});
  tna_test::set_column(md_massflowlinkbase, {0, 0, 0, 1});
  tna_test::set_column(md_realuserconstbase, {0, 1, 2, 2});
  tna_test::set_column(md_intuserconstbase, {0, 1, 1, 2});
  tna_test::set_column(md_charuserconstbase, {0, 1, 1, 2});
  tna_test::set_column(md_realnamebase, {0, 3, 4, 6});
  tna_test::set_column(md_intnamebase, {1, 4, 4, 6});
  tna_test::set_column(md_charnamebase, {2, 4, 5, 6});
  tna_test::set_column(md_charelementbase, {0, 1, 1, 2});
  const char* names[kNM] = {"MAIN", "PANEL", "LOOP"};
  for (int m = 1; m <= kNM; ++m) {
    gar_modelnames(m) = names[m - 1];
    gar_submodelnames(m) = names[m - 1];
    gar_modelstatuses(m) = "A";
  }

  const int tnums[kNT] = {10, 20, 1, 2, 5};
  const char* tst[kNT] = {"D", "B", "D", "C", "X"};
  const char* tlab[kNT] = {"BASE PLATE", "", " PANEL  A", "EDGE", "RADIATOR"};
  const char* ttag[kNT] = {"hot", "", " a b ", "edge", "R"};
  const double tflux[kNT] = {1.0e-7, 123456789.0, 0.1, 0.0, -0.000123};
  const int tcount[kNT] = {3, -1, 0, 4, 2147483646};
  const double u = undefined_real();
  // T C QA QE QI QS QR A ALP EPS QAI QEI QSI X Y Z
  // clang-format off
  const double tr[kNT][16] = {
      {20.5, 1500.0, 0.0, 0.0, 12.75, 0.0, 0.0, 0.25, 0.3, 0.85, 0.0, 0.0, 1366.1, 0.0, 0.1, -0.05},
      {-270.0, u, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {99999.95, 0.001, 0.5, -0.5, -3.333333333, 7.0, 1.0e20, 1.0, 0.9, 0.1, 1.5, 2.5, 3.5, 1.0e-20, -1.0, 1.0},
      {1.0, 1.0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {-40.0, 2500.0, 0.0, 0.0, 0.0, 0.0, 0.0, 2.0, 0.2, 0.9, 0.0, 0.0, 0.0, 0.5, 0.5, 0.5}};
  plat::Array1<double>* tarr[16] = {
      &gar_thermalnodetemps,                &gar_thermalnodecapacitances,         &gar_thermalnodeheatsourcesalbedo,
      &gar_thermalnodeheatsourcesplanet,    &gar_thermalnodeheatsourcesinternal,  &gar_thermalnodeheatsourcessolar,
      &gar_thermalnodeheatsourcesother,     &gar_thermalnodesurfaceareas,         &gar_thermalnodeabsorptivities,
      &gar_thermalnodeemissivities,         &gar_thermalnodeincidentfluxesalbedo, &gar_thermalnodeincidentfluxesplanet,
      &gar_thermalnodeincidentfluxessolar,  &gar_thermalnodecoordsx,              &gar_thermalnodecoordsy,
      &gar_thermalnodecoordsz};
  for (int i = 1; i <= kNT; ++i) {
    gar_thermalnodenums(i) = tnums[i - 1];
    gar_thermalnodestatuses(i) = tst[i - 1];
    gar_thermalnodelabels(i) = tlab[i - 1];
    for (int k = 0; k < 16; ++k) (*tarr[k])(i) = tr[i - 1][k];
    gar_thermalnodeuserentityvalsreal(i, 1) = tflux[i - 1];
    gar_thermalnodeuserentityvalsint(i, 1) = tcount[i - 1];
    gar_thermalnodeuserentityvalschar(i, 1) = ttag[i - 1];
  }
  // clang-format on

  // T HTA D L P H RUF Q MS MSH MST X Y Z VQ FA VOL RH MSSH CMP VDT
  // clang-format off
  const double fr[kNF][21] = {
      {15.0, 0.5, 0.01, 2.0, 101325.0, 63000.0, 1.0e-5, 0, 0, 0, 0, 0, 0, 0, 0, 7.85398e-5, 1.5708e-4, 0, 0, 0, 0},
      {-33.34, 0.0, 0.02, 0.0, -1.0e5, 1.3e6, 0.0, -250.0, 0.001, 2.0e5, 25.0, 1.0, 2.0, 3.0, 0.999999, 0.0, u, 0.5,
       0.0075, 1.0e-9, -1.0e-12}};
  plat::Array1<double>* farr[21] = {&gar_fluidnodetemps,
                                    &gar_fluidnodeheattransferareas,
                                    &gar_fluidnodehydraulicdiameters,
                                    &gar_fluidnodelengths,
                                    &gar_fluidnodepressures,
                                    &gar_fluidnodespecenthalpies,
                                    &gar_fluidnodewallroughnesses,
                                    &gar_fluidnodeheatsources,
                                    &gar_fluidnodemassflowsources,
                                    &gar_fluidnodemasssourcespecenthalpies,
                                    &gar_fluidnodemasssourcetemps,
                                    &gar_fluidnodecoordsx,
                                    &gar_fluidnodecoordsy,
                                    &gar_fluidnodecoordsz,
                                    &gar_fluidnodevapourqualities,
                                    &gar_fluidnodeflowareas,
                                    &gar_fluidnodevolumes,
                                    &gar_fluidnoderelhumidities,
                                    &gar_fluidnodemasssourcespechumidities,
                                    &gar_fluidnodecompliances,
                                    &gar_fluidnodevolumechangerates};
  const int fnums[kNF] = {100, 200};
  const char* fst[kNF] = {"F", "J"};
  const char* flab[kNF] = {"INLET", "OUTLET"};
  const char* ftyp[kNF] = {"WATER", "AMMONIA"};
  const char* freg[kNF] = {"LAM", "TURB"};
  const char* fdesc[kNF] = {"L", "V"};
  const char* ftag[kNF] = {"in", ""};
  const double fflux[kNF] = {2.0, 0.0};
  const int fcount[kNF] = {7, -7};
  for (int j = 1; j <= kNF; ++j) {
    gar_fluidnodenums(j) = fnums[j - 1];
    gar_fluidnodestatuses(j) = fst[j - 1];
    gar_fluidnodelabels(j) = flab[j - 1];
    gar_fluidnodefluidtypes(j) = ftyp[j - 1];
    gar_fluidnodeflowregimes(j) = freg[j - 1];
    gar_fluidnodestatedescriptors(j) = fdesc[j - 1];
    for (int k = 0; k < 21; ++k) (*farr[k])(j) = fr[j - 1][k];
    gar_fluidnodeuserentityvalsreal(j, 1) = fflux[j - 1];
    gar_fluidnodeuserentityvalsint(j, 1) = fcount[j - 1];
    gar_fluidnodeuserentityvalschar(j, 1) = ftag[j - 1];
  }
  // clang-format on

  const double gl[5] = {10.0, 0.125, 3.3e-4, 45.0, 1.0};
  const char* glact[5] = {"A", "I", "A", "A", "A"};
  for (int k = 1; k <= 5; ++k) {
    gar_linearconds(k) = gl[k - 1];
    gar_linearcondacts(k) = glact[k - 1];
  }
  gar_radiativeconds(1) = 1.0e-3;
  gar_radiativecondacts(1) = "A";
  gar_fluidicconds(1) = 0.75;
  gar_fluidiccondacts(1) = "A";
  gar_vfacconds(1) = 0.3333;
  gar_vfaccondacts(1) = "I";
  gar_vfaccondnodepairs(1) = 2;
  gar_vfaccondnodepairs(2) = 5;
  gar_massflowlinkcondnodepairs(1) = 1;
  gar_massflowlinkcondnodepairs(2) = 2;
  gar_massflowlinkflowrates(1) = 0.05;
  gar_massflowlinkfittinglosses(1) = 2.5;
  gar_massflowlinkstatuses(1) = "A";

  const char* ucn[6] = {"GAIN", "NCYCLE", "MODE", "EPSP", "NPUMP", "TAG"};
  for (int k = 1; k <= 6; ++k) gar_userconstnames(k) = ucn[k - 1];
  gar_userconstvaluesreal(1) = 1.5;
  gar_userconstvaluesreal(2) = u;
  gar_userconstvaluesint(1) = 3;
  gar_userconstvaluesint(2) = -2;
  gar_userconstpointerschar(1) = 1;
  gar_userconstpointerschar(2) = 1;
  gar_userconstvalueschar(1) = std::string_view("FAST\0", 5);
  gar_userconstvalueschar(2) = std::string_view("  hot  loop \0", 13);

  tna_test::set_user_entities({"FLUX"}, {"COUNT"}, {"TAG"});
  ndssmd_reset_for_tests();
}

// Each test: the model above, the listing on a scratch file, the default
// character constants (FORMAT "*", PARNAM "ORIGINAL"), a fresh GFF state and
// process ends turned into exceptions.
class GffTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    GLOI = GloiRecord{};
    GLOR = GlorRecord{};
    SLDINC();
    tna_test::set_print_job("GFFTEST");
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    build_model();
    gff_reset_for_tests();
    reset_message_counters();
  }
  void TearDown() override {
    plat::io::close_unit(14);
    plat::io::close_unit(6);
    FLAGS = FlagsRecord{};
    SPRSIZ = SprsizRecord{};
    SPRNOD = SprnodRecord{};
    GLOI = GloiRecord{};
    GLOR = GlorRecord{};
    SLDINC();
    plat::set_exit_throws(false);
  }

  // Lines of a file the writer made (unit 14 closed first, so that all is on disk).
  std::vector<std::string> file_lines(const std::string& name) {
    plat::io::close_unit(14);
    return dir_.exists(name) ? tna_test::split_lines(dir_.read(name)) : std::vector<std::string>{};
  }
  // Lines written to the listing since the last call.
  std::vector<std::string> listing() { return tna_test::split_lines(tna_test::take_listing(dir_)); }
  // Runs f, which must end the run with status 1; returns the listing it printed.
  template <class F>
  std::vector<std::string> fatal(F&& f) {
    int status = -1;
    const std::string printed = tna_test::printed(dir_, [&] {
      try {
        f();
      } catch (const plat::ProcessExit& e) {
        status = e.status;
      }
    });
    EXPECT_EQ(status, 1);
    return tna_test::split_lines(printed);
  }
  // The listing of the fatal box of this message as the first message of a run.
  std::vector<std::string> box(const std::string& message, int code, const std::string& routine) {
    return fatal([&] { SETERX(message, 4, code, routine); });
  }

  tna_test::ScratchDir dir_{"gff"};
};

}  // namespace gff_test
