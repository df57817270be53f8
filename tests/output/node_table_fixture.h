// A small model for the node-table tests, filled straight into the global
// arrays: MAIN (model 1) holds SUB1 (model 2), which holds SUB2 (model 3).
//
//   model  thermal index: user number, label        fluid index: number
//   MAIN   1: 10 "INLET PLATE", 2: 20 "OUTLET"     1: 100 "TANK FLUID"
//   SUB1   3: 1 "PANEL A" (status X), 4: 2 "PANEL B"
//   SUB2   5: 5 "RADIATOR", 6: 7 (no label)        2: 200 "LOOP"
//
// User entities: real HFD (101) and HEATFLUXDENSITY (102, a name of 15
// characters), integer ICOUNT (201), character TAG (301). The values of each
// node are set by the fixture (see set_values); DYSTOR is 100 with both
// work-space tops at 1.
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
#include "modeldata/node_lists.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/small_model.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace nodetable_test {

inline constexpr int kNT = 6, kNF = 2, kNM = 3, kDystor = 100;

// A real whose first 32-bit word holds the undefined marker.
inline double undefined_real() {
  double x = 0.0;
  const std::int32_t w[2] = {2147483647, 0};
  std::memcpy(&x, w, sizeof x);
  return x;
}

inline void build_model() {
  gar_deallocate_all();
  FLAGS = FlagsRecord{};
  FLAGS(1) = kNT;
  FLAGS(26) = kNM;
  FLAGS(28) = kDystor;
  FLAGS(29) = 1;
  FLAGS(32) = kNF;
  FLAGS(36) = 1;
  tna_test::ArraySizes c;
  c.dystor = kDystor;  // DYSTOR
  c.mdrows = 18;       // directory rows
  c.nf = kNF;          // fluid nodes
  c.nm = kNM;          // models
  c.nt = kNT;          // thermal nodes
  c.nchent = 1;        // character user entities
  c.nintent = 1;       // integer user entities
  c.nrealent = 2;      // real user entities
  c.allocate();
  tna_test::set_column(md_level, {0, 1, 2});
  tna_test::set_column(md_subtreesize, {3, 2, 1});
  for (int m = 1; m <= kNM; ++m) {
    gar_modelstatuses(m) = "A";
  }
  tna_test::set_column(md_thermalnodebase, {0, 2, 4, 6});
  tna_test::set_column(md_fluidnodebase, {0, 1, 1, 2});
  gar_modelnames(1) = "MAIN";
  gar_modelnames(2) = "SUB1";
  gar_modelnames(3) = "SUB2";
  for (int m = 1; m <= kNM; ++m) gar_submodelnames(m) = gar_modelnames(m);

  const int tnums[kNT] = {10, 20, 1, 2, 5, 7};
  const char* labels[kNT] = {"INLET PLATE", "OUTLET", "PANEL A", "PANEL B", "RADIATOR", ""};
  const double temps[kNT] = {20.5, -3.125, 0.005, 1234567.891, -0.015, 99.995};
  const double albedo[kNT] = {1.0e6, -99999.995, 1.0e10, 0.0, 0.005, -1.0e9};  // two overflow F10.2
  for (int i = 1; i <= kNT; ++i) {
    gar_thermalnodenums(i) = tnums[i - 1];
    gar_thermalnodelabels(i) = labels[i - 1];
    gar_thermalnodestatuses(i) = "D";
    gar_thermalnodetemps(i) = temps[i - 1];
    gar_thermalnodecapacitances(i) = 100.0 * i;
    gar_thermalnodeheatsourcessolar(i) = 0.25 * i;
    gar_thermalnodeheatsourcesplanet(i) = -0.5 * i;
    gar_thermalnodeheatsourcesalbedo(i) = albedo[i - 1];
    gar_thermalnodeheatsourcesinternal(i) = i == 4 ? undefined_real() : 2.0 / 3.0 * i;
    gar_thermalnodeuserentityvalsreal(i, 1) = 1.5 * i;
    gar_thermalnodeuserentityvalsreal(i, 2) = -10.0 * i;
    gar_thermalnodeuserentityvalsint(i, 1) = 7 - i;  // descending with the node index
    gar_thermalnodeuserentityvalschar(i, 1) = "T" + std::to_string(i);
  }
  gar_thermalnodestatuses(3) = "X";

  const int fnums[kNF] = {100, 200};
  const char* flabels[kNF] = {"TANK FLUID", "LOOP"};
  const char* ftypes[kNF] = {"WATER", "AMMONIA"};
  const double ftemps[kNF] = {15.0, -40.0};
  for (int j = 1; j <= kNF; ++j) {
    gar_fluidnodenums(j) = fnums[j - 1];
    gar_fluidnodelabels(j) = flabels[j - 1];
    gar_fluidnodestatuses(j) = "F";
    gar_fluidnodefluidtypes(j) = ftypes[j - 1];
    gar_fluidnodeflowregimes(j) = j == 1 ? "LAM" : "TURB";
    gar_fluidnodestatedescriptors(j) = j == 1 ? "L" : "V";
    gar_fluidnodetemps(j) = ftemps[j - 1];
    gar_fluidnodepressures(j) = 1.0e5 * j;
    gar_fluidnodeuserentityvalsreal(j, 1) = 3.0 * j;
    gar_fluidnodeuserentityvalsreal(j, 2) = 0.125 * j;
    gar_fluidnodeuserentityvalsint(j, 1) = 50 + j;
    gar_fluidnodeuserentityvalschar(j, 1) = "F" + std::to_string(j);
  }

  tna_test::set_user_entities({"HFD", "HEATFLUXDENSITY"}, {"ICOUNT"}, {"TAG"});

  ndssmd_reset_for_tests();
  lschnd_reset_for_tests();
}

// Each test runs on the model with the listing (unit 6) on a scratch file,
// a 60-line page, WIDTH 132, the default character constants, fresh message
// counters and process ends turned into exceptions.
class NodeTableTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    GLOI = GloiRecord{};
    GLOR = GlorRecord{};
    SLDINC();
    GLOI.WIDTH = 132;
    tna_test::set_print_job("TABLES");
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    build_model();
    reset_message_counters();
  }
  void TearDown() override {
    plat::io::close_unit(6);
    FLAGS = FlagsRecord{};
    SPRSIZ = SprsizRecord{};
    GLOI = GloiRecord{};
    GLOR = GlorRecord{};
    SLDINC();
    plat::set_exit_throws(false);
  }
  // Lines written to the listing since the last call.
  std::vector<std::string> listing() { return tna_test::split_lines(tna_test::take_listing(dir_)); }
  // The box SETERX prints for this message as the first message of a run.
  std::vector<std::string> box(std::string_view message, int severity, int code, std::string_view routine) {
    return tna_test::split_lines(tna_test::seterx_box(dir_, message, severity, code, routine));
  }

  tna_test::ScratchDir dir_{"ndtb"};
};

}  // namespace nodetable_test
