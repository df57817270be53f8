// A small model tree for the reference tests, filled straight into the
// global arrays: MAIN (model 1) holds SUB1 (model 2), which holds SUB2
// (model 3).
//
//   model  thermal indices : user numbers          fluid indices : numbers
//   MAIN   1..12           : 1..12                 1, 2          : 100, 101
//   SUB1   13..16          : 1, 2, 3, 5            3             : 50
//   SUB2   17..21          : 3, 7, 20, 9, 7        4             : 60
//
// NT = 21, NF = 4. Thermal node 4 of MAIN has status "X", the others "D".
// Labels: MAIN node 5 "OUTER TANK WALL", SUB1 node 2 "TANK LID", fluid 1
// "TANK FLUID"; the rest blank. Aliases: MAIN INLET -> 2, PUMP -> 11; SUB2
// ALIAS7 -> 7, HEATER -> 20 (SUB1 has none). GL conductors: MAIN 1..3, SUB1
// none, SUB2 4..5. User entities: real HEAT, MASSX (101, 102), integer
// ICOUNT (201), character TAG (301), with values set per node.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "modeldata/status_changes.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/small_model.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace refs_test {

inline constexpr int kNT = 21, kNF = 4, kNM = 3, kNGL = 5;

inline void build_two_submodel_fixture() {
  gar_deallocate_all();
  FLAGS = FlagsRecord{};
  FLAGS(1) = kNT;
  FLAGS(2) = kNGL;
  FLAGS(26) = kNM;
  FLAGS(32) = kNF;
  FLAGS(40) = 4;  // aliases
  tna_test::ArraySizes c;
  c.mdrows = 18;   // directory rows
  c.nf = kNF;      // fluid nodes
  c.ngl = kNGL;    // GL
  c.nalias = 4;    // aliases
  c.nm = kNM;      // models
  c.nt = kNT;      // thermal nodes
  c.nchent = 1;    // character user entities
  c.nintent = 1;   // integer user entities
  c.nrealent = 2;  // real user entities
  c.allocate();
  tna_test::set_column(md_level, {0, 1, 2});
  tna_test::set_column(md_subtreesize, {3, 2, 1});
  for (int m = 1; m <= kNM; ++m) {
    gar_modelstatuses(m) = "A";
  }
  tna_test::set_column(md_thermalnodebase, {0, 12, 16, 21});
  tna_test::set_column(md_fluidnodebase, {0, 2, 3, 4});
  tna_test::set_column(md_nodealiasbase, {0, 2, 2, 4});
  tna_test::set_column(md_linearcondbase, {0, 3, 3, 5});
  gar_modelnames(1) = "MAIN";
  gar_modelnames(2) = "SUB1";
  gar_modelnames(3) = "SUB2";
  for (int m = 1; m <= kNM; ++m) gar_submodelnames(m) = gar_modelnames(m);
  const int tnums[kNT] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2, 3, 5, 3, 7, 20, 9, 7};
  for (int i = 1; i <= kNT; ++i) {
    gar_thermalnodenums(i) = tnums[i - 1];
    gar_thermalnodestatuses(i) = "D";
    gar_thermalnodetemps(i) = 10.0 * i;
    gar_thermalnodecapacitances(i) = 100.0 + i;
    gar_thermalnodeuserentityvalsreal(i, 1) = 0.5 * i;
    gar_thermalnodeuserentityvalsreal(i, 2) = -1.0 * i;
    gar_thermalnodeuserentityvalsint(i, 1) = 1000 + i;
    gar_thermalnodeuserentityvalschar(i, 1) = "T" + std::to_string(i);
  }
  gar_thermalnodestatuses(4) = "X";
  gar_thermalnodelabels(5) = "OUTER TANK WALL";
  gar_thermalnodelabels(14) = "TANK LID";
  const int fnums[kNF] = {100, 101, 50, 60};
  for (int j = 1; j <= kNF; ++j) {
    gar_fluidnodenums(j) = fnums[j - 1];
    gar_fluidnodestatuses(j) = "F";
    gar_fluidnodetemps(j) = 1.5 * j;
    gar_fluidnodepressures(j) = 1.0e5 + j;
    gar_fluidnodeuserentityvalsreal(j, 1) = 7.0 * j;
    gar_fluidnodeuserentityvalsint(j, 1) = 2000 + j;
    gar_fluidnodeuserentityvalschar(j, 1) = "F" + std::to_string(j);
  }
  gar_fluidnodelabels(1) = "TANK FLUID";
  gar_nodealiasnames(1) = "INLET";
  gar_nodealiasnumbers(1) = 2;
  gar_nodealiasnames(2) = "PUMP";
  gar_nodealiasnumbers(2) = 11;
  gar_nodealiasnames(3) = "ALIAS7";
  gar_nodealiasnumbers(3) = 7;
  gar_nodealiasnames(4) = "HEATER";
  gar_nodealiasnumbers(4) = 20;
  for (int k = 1; k <= kNGL; ++k) gar_linearconds(k) = 0.25 * k;

  tna_test::set_user_entities({"HEAT", "MASSX"}, {"ICOUNT"}, {"TAG"});

  GLOI.MODEL = 1;
  ndssmd_reset_for_tests();
  lschnd_reset_for_tests();
}

// Each test runs on the fixture with the listing (unit 6) on a scratch file,
// fresh message counters and process ends turned into exceptions.
class RefsTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    GLOI = GloiRecord{};
    PRTINF(2) = 1;
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    build_two_submodel_fixture();
    reset_message_counters();
  }
  void TearDown() override {
    plat::io::close_unit(6);
    status_changed = 0;
    FLAGS = FlagsRecord{};
    SPRSIZ = SprsizRecord{};
    GLOI = GloiRecord{};
    plat::set_exit_throws(false);
  }
  // Everything written to the listing since the last call.
  std::string listing() { return tna_test::take_listing(dir_); }
  // What a call prints, numbered from the first message.
  template <class F>
  std::string printed(F f) {
    return tna_test::printed(dir_, f);
  }
  // The box SETERX prints for this message as the first message of a run:
  // the oracle of a routine's exact text, severity, code and routine name.
  std::string box(std::string_view message, int severity, int code, std::string_view routine) {
    return tna_test::seterx_box(dir_, message, severity, code, routine);
  }

  tna_test::ScratchDir dir_{"refs"};
};

}  // namespace refs_test
