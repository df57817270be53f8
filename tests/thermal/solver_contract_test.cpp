// Contracts every transient solution routine shares, one table per contract
// and one row per routine: a short dynamic core ends the run naming the
// missing words; the first missing required control constant ends the run;
// an undefined OUTINT becomes TIMEND - TIMEO with its message, giving outputs
// at the start and the end only; a second run gives the same bits. Each row
// starts from the control constants that routine's own tests start from.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "support/network_builder.h"
#include "support/test_model.h"
#include "thermal/crank_nicolson.h"
#include "thermal/cyclic.h"
#include "thermal/eigen.h"
#include "thermal/explicit_forward.h"
#include "thermal/forward_backward.h"
#include "thermal/gear.h"
#include "thermal/modal.h"
#include "thermal/slgrdj.h"
#include "thermal/transient_frame.h"
#include "transient_fixture.h"

namespace {

using cn_test::box_text;
using cn_test::give_core;
using cn_test::has_message;
using cn_test::has_reference;

// ---------------------------------------------------------------------------
// The control constants each routine's tests start from.

// Crank-Nicolson and the transient frame (SLCRNC).
void transient_constants() {
  SLDINC();
  GLOR.DAMPT = 1.0;
  GLOR.RELXCA = 1e-9;
  GLOR.ARITH = 0.0;
  GLOR.DTIMEI = 1.0;
  GLOR.DTMIN = 1e-6;
  GLOR.DTMAX = 1e6;
  GLOR.DTPMAX = 1e10;
  GLOR.DTROCA = 1e10;
  GLOR.TIMEO = 0.0;
  GLOR.TIMEND = 10.0;
  GLOR.OUTINT = 5.0;
  GLOI.NLOOP = 100;
  GLOI.METHOD = 0;
  GLOC.OUTIME = "ALL";
  JOBINF.jobname = "MAIN";
}

// The cyclic solution (SOLCYC): the transient constants, submodel
// references cleared.
void cyclic_constants() {
  transient_constants();
  ndssmd_reset_for_tests();
}

// The explicit forward and forward-backward routines (SLFRWD, SLFWBK).
void stepping_constants() {
  SLDINC();
  GLOR.DAMPT = 1.0;
  GLOR.RELXCA = 1e-9;
  GLOI.NLOOP = 50;
  GLOR.DTIMEI = 0.5;
  GLOR.DTMIN = 1e-4;
  GLOR.DTMAX = 100.0;
  GLOR.DTPMAX = 1.0e9;
  GLOR.OUTINT = 2.0;
  GLOR.TIMEO = 0.0;
  GLOR.TIMEND = 10.0;
  JOBINF.jobname = "MAIN";
}

// The Gear solution (SLGEAR).
void gear_constants() {
  SLDINC();
  GLOR.RELXCA = 1e-4;
  GLOI.NLOOP = 50;
  GLOR.TIMEO = 0.0;
  GLOR.TIMEND = 50.0;
  GLOR.OUTINT = 5.0;
  GLOR.DTIMEI = 1e-3;
  GLOR.DTMIN = 1e-6;
  GLOR.DTMAX = 1e6;
}

// The Gear solution with the direct Jacobian (SLGRDJ).
void slgrdj_constants() {
  SLDINC();
  GLOR.RELXCA = 1e-4;
  GLOI.NLOOP = 200;
  GLOR.TIMEO = 0.0;
  GLOR.TIMEND = 50.0;
  GLOR.OUTINT = 5.0;
  GLOR.DTIMEI = 1e-3;
  GLOR.DTMIN = 1e-9;
  GLOR.DTMAX = 1e6;
}

// A routine that keeps no run state (the eigen-decomposition).
void no_constants() {}

// The modal solution (SLMODE).
void modal_constants() {
  GLOR.RELXCA = 1e-6;
  GLOR.TIMEO = 0.0;
  GLOR.TIMEND = 10.0;
  GLOR.OUTINT = 2.5;
  GLOR.DTIMEI = 123.0;  // replaced at the start
  GLOR.DTMIN = 1e-6;
  GLOR.DTMAX = 1e6;
  GLOR.DTPMAX = 1e6;
  GLOI.NLOOP = 100;
  GLOC.OUTIME = "ALL";
  JOBINF.jobname = "MAIN";
}

// One node at 100 joined by 2 to a boundary at 0, capacitance 10.
void rc_node(tna_test::Network& net) {
  net.node(1, 'D', 100.0).node(2, 'B', 0.0);
  net.gl(1, 2, 2.0);
  cn_test::build_with_caps(net, {{1, 10.0}});
}

// Two solved nodes of capacitance 1, each joined to a boundary at 0.
void two_nodes_to_boundary(tna_test::Network& net) {
  net.node(1, 'D', 1.0).node(2, 'D', 2.0).node(3, 'B', 0.0);
  net.gl(1, 3, 1.0);
  net.gl(2, 3, 1.0);
  cn_test::build_with_caps(net, {{1, 1.0}, {2, 1.0}});
}

// Every node's temperature, in node order, appended to v.
void push_temps(std::vector<double>& v) {
  for (int i = 1; i <= FLAGS(1); ++i) v.push_back(gar_thermalnodetemps(i));
}

// The fixture of every contract: the run state reset, the row's starting
// constants, and the listing on a file whose boxes can be searched.
template <class Row>
class Contract : public thermal_test::ListingTest, public ::testing::WithParamInterface<Row> {
 public:
  Contract() : ListingTest("contract") {}
  void SetUp() override {
    reset_run();
    this->GetParam().start();
    fresh_listing();
  }
  // For the rows' own further checks.
  using ListingTest::fresh_listing;
  using ListingTest::listing;

  tna_test::Network net;
};

template <class Row>
std::string row_name(const ::testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

// Number of times needle occurs in hay.
int count_of(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (std::size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
  return n;
}

// The text of "<routine>: Control constant <name> not specified" for a
// required constant.
std::string required_text(const std::string& routine, const std::string& name) {
  return routine + ": Control constant " + name + " not specified@See User Manual description of " + routine +
         " for a list of required control constants";
}

// ---------------------------------------------------------------------------
// A short dynamic core: the run ends with "Insufficient work space", naming
// the missing words; the stack tops are as they were.

struct WorkSpaceRow {
  const char* name;
  void (*start)();
  void (*setup)(tna_test::Network&);  // network and a core that falls short
  void (*run)();
  const char* text;     // the message, parts separated by "@"
  const char* routine;  // of the reference row
  int code;
  int rtop, itop;                         // stack tops after the refusal (0: not checked)
  void (*then)(Contract<WorkSpaceRow>&);  // the routine's own further checks, or null
};

using WorkSpace = Contract<WorkSpaceRow>;

TEST_P(WorkSpace, EndsTheRunNamingTheExtraWords) {
  const WorkSpaceRow& row = GetParam();
  row.setup(net);
  EXPECT_THROW(row.run(), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, row.text)) << l;
  EXPECT_TRUE(has_reference(l, row.routine, row.code));
  if (row.rtop != 0) {
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), row.rtop);
  }
  if (row.itop != 0) {
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), row.itop);
  }
  if (row.then != nullptr) row.then(*this);
}

const WorkSpaceRow kWorkSpaceRows[] = {
    {"SLCRNC", transient_constants,
     [](tna_test::Network& net) {
       net.node(1, 'D', 10.0).node(2, 'B', 0.0).node(3, 'D', 0.0);
       net.gl(1, 2, 1.0);
       net.gl(1, 3, 1.0);
       net.build();
       // Real: 101 + 27 + 1 - 120 = 9; integer: 101 + 3 + 2 - 120 < 0.
       give_core(120, 101, 101);
     },
     [] { SLCRNC(); },
     "SLCRNC: Insufficient work space@An extra 9 words needed; increase DYSTOR on $EXECUTION line. See User "
     "Manual description of $EXECUTION block",
     "SLCRNC", 6, 101, 101,
     [](WorkSpace&) { EXPECT_EQ(gar_worktext("SLCRNC", 9, gar_dystor_line).substr(41, 9), "        9"); }},
    {"SLFRWD", stepping_constants,
     [](tna_test::Network& net) {
       two_nodes_to_boundary(net);
       // Real need: rtop + NT + 3 = 30 + 6 = 36 against 34 words.
       give_core(34, 30, 1);
     },
     [] { SLFRWD(); },
     "SLFRWD: Insufficient work space@An extra         2 words needed, increase DYSTOR on $EXECUTION record, see "
     "User Manual description of $EXECUTION block",
     "SLFRWD", 3, 30, 0,
     [](WorkSpace& t) {
       // The exact fit runs; while it runs the tops stand above its blocks.
       give_core(36, 30, 1);
       int rseen = 0, iseen = 0;
       tna_test::model.variables2 = [&] {
         rseen = FLAGS(FLAGS_NEXTDYNAMICCOREREAL);
         iseen = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
       };
       t.fresh_listing();
       SLFRWD();
       EXPECT_TRUE(box_text(t.listing()).empty()) << t.listing();
       EXPECT_EQ(rseen, 30 + 3 + 1);
       EXPECT_EQ(iseen, 1 + (1 + 2 + 1 + 3) + 1);  // NGF 0 (extent 1), NGL 2, NGR 0 (1), NT 3
       EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 30);
       EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 1);
     }},
    {"SLFWBK", stepping_constants,
     [](tna_test::Network& net) {
       two_nodes_to_boundary(net);
       // Real need: rtop + 4 NT + 2 = 30 + 14 = 44 against 40 words.
       give_core(40, 30, 1);
     },
     [] { SLFWBK(); },
     "SLFWBK: Insufficient work space@An extra         4 words needed, increase DYSTOR on $EXECUTION record, see "
     "User Manual description of $EXECUTION block",
     "SLFWBK", 6, 30, 1,
     [](WorkSpace& t) {
       // The exact fit runs.
       give_core(44, 30, 1);
       t.fresh_listing();
       SLFWBK();
       EXPECT_TRUE(box_text(t.listing()).empty()) << t.listing();
     }},
    {"SLGEAR", gear_constants,
     [](tna_test::Network& net) {
       // 3 solved nodes: 13 NT = 39 words from the real top must fit in DYSTOR.
       net.node(1, 'D', 10.0).node(2, 'D', 20.0).node(3, 'D', 30.0).node(4, 'B', 0.0);
       net.gl(1, 2, 1.0);
       net.gl(2, 3, 1.0);
       net.gl(3, 4, 1.0);
       cn_test::build_with_caps(net, {{1, 1.0}, {2, 1.0}, {3, 1.0}});
       give_core(60, 30, 20);  // 30 + 52 - 60 = 22 short
     },
     [] { SLGEAR(); },
     "SLGEAR: Insufficient work space@An extra        22 words needed, increase DYSTOR on $EXECUTION record, see "
     "User Manual description of $EXECUTION block",
     "SLGEAR", 5, 30, 0,
     [](WorkSpace& t) {
       // Room for 13 NT but not for the matrix (13 NT + ND (ND - 1) = 58 words).
       FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = 8;  // W holds 53 words
       t.fresh_listing();
       EXPECT_THROW(SLGEAR(), plat::ProcessExit);
       const std::string l = t.listing();
       EXPECT_TRUE(has_message(l, std::string(gar_text_slgear_jacobian)));
       EXPECT_TRUE(has_reference(l, "S5JINT", 1));
       EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 8);

       // Exactly enough.
       FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = 3;  // W holds 58 words
       t.fresh_listing();
       GLOR.TIMEO = 0.0;
       GLOR.TIMEND = 5.0;
       SLGEAR();
       EXPECT_EQ(GLOR.TIMEO, 5.0);
       EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 3);
     }},
    {"SLMODE", modal_constants,
     [](tna_test::Network& net) {
       // NT = 10: 3 x 10 x 11 = 330 words on each stack. With DYSTOR 400 and
       // both tops at 71 the area reaches 71 + 330 = 401: 2 words short.
       for (int i = 1; i <= 10; ++i) net.node(i, 'D', 1.0);
       net.gl(1, 2, 1.0);
       cn_test::build_with_caps(net, {});
       give_core(400, 71, 71);
     },
     [] { SLMODE(); },
     "SLMODE: Insufficient work space@An extra         2 words needed, increase DYSTOR on $EXECUTION record, see "
     "User Manual description of $EXECUTION block",
     "SLMODE", 6, 71, 71, nullptr},
    {"SOLCYC", cyclic_constants,
     [](tna_test::Network& net) {
       net.node(1, 'D', 5.0).node(2, 'B', 0.0).fluid(1, 0.0);
       net.gl(1, 2, 1.0);
       net.build();
       give_core(100, 90, 90);
       gar_thermalnodecapacitances(1) = 1.0;
       // Need: top + 2 (NT + NF) + 2 = 90 + 6 + 2 = 98 words; 97 fall short by 1.
       FLAGS(FLAGS_DYSTOR) = 97;
     },
     [] { SOLCYC("SLCRNC", 1.0, 1e10, 1.0, 1, "#1", "NONE"); },
     "SOLCYC: Insufficient work space@An extra         1 words needed, increase DYSTOR on $EXECUTION record, see "
     "User Manual description of $EXECUTION block",
     "SOLCYC", 1, 90, 0,
     [](WorkSpace& t) {
       // The exact fit passes: SOLCYC's own VARIABLES1 sees the top one word
       // past its blocks; then the repeated routine finds no room above them.
       FLAGS(FLAGS_DYSTOR) = 98;
       int top_seen = 0;
       tna_test::model.variables1 = [&] {
         if (top_seen == 0) top_seen = FLAGS(FLAGS_NEXTDYNAMICCOREREAL);
       };
       t.fresh_listing();
       EXPECT_THROW(SOLCYC("SLCRNC", 1.0, 1e10, 1.0, 1, " ", "NONE"), plat::ProcessExit);
       EXPECT_EQ(top_seen, 97);
       EXPECT_NE(t.listing().find("SLCRNC: Insufficient work space"), std::string::npos) << t.listing();
       EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 90);
     }},
};

INSTANTIATE_TEST_SUITE_P(Routines, WorkSpace, ::testing::ValuesIn(kWorkSpaceRows), row_name<WorkSpaceRow>);

// ---------------------------------------------------------------------------
// Required control constants: the first one missing ends the run with
// "Control constant <name> not specified" and its own code.

struct RequiredRow {
  const char* name;
  void (*start)();
  void (*setup)(tna_test::Network&);  // network, core and the constants left undefined
  void (*run)();
  const char* routine;
  const char* missing;  // the constant reported
  int code;
  bool only_first;  // no other required constant is reported
  int rtop, itop;   // stack tops after the refusal (0: not checked)
};

using Required = Contract<RequiredRow>;

TEST_P(Required, FirstMissingEndsTheRun) {
  const RequiredRow& row = GetParam();
  row.setup(net);
  EXPECT_THROW(row.run(), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, required_text(row.routine, row.missing))) << l;
  EXPECT_TRUE(has_reference(l, row.routine, row.code));
  if (row.only_first) {
    EXPECT_EQ(count_of(box_text(l), "not specified"), 1);
    for (int other = 3; other <= 5; ++other)
      if (other != row.code) {
        EXPECT_FALSE(has_reference(l, row.routine, other));
      }
  }
  if (row.rtop != 0) {
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), row.rtop);
  }
  if (row.itop != 0) {
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), row.itop);
  }
}

// SLCRNC: a decaying node; the constant named and every later one undefined.
void crnc_network(tna_test::Network& net) {
  net.node(1, 'D', 10.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  net.build();
  give_core(4000, 101, 101);
  GLOI.NLOOP = 100;
  GLOR.DTIMEI = 1.0;
  GLOR.RELXCA = 1e-6;
}

// SLFWBK: an RC node; RELXCA always undefined besides the constant named.
void fwbk_network(tna_test::Network& net) {
  rc_node(net);
  give_core(4000, 7, 11);
  GLOI.NLOOP = 50;
  GLOR.DTIMEI = 0.5;
  cn_test::set_undefined(GLOR.RELXCA);
}

// SLGEAR: an RC node decaying through 1 from 100.
void gear_network(tna_test::Network& net) {
  net.node(1, 'D', 100.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  cn_test::build_with_caps(net, {{1, 10.0}});
  give_core(4000, 1, 20);
}

// SLMODE: two joined nodes; only the constant named undefined.
void modal_network(tna_test::Network& net) {
  net.node(1, 'D', 1.0).node(2, 'D', 2.0);
  net.gl(1, 2, 1.0);
  cn_test::build_with_caps(net, {{1, 1.0}, {2, 1.0}});
  give_core(4000, 5, 5);
  GLOI.NLOOP = 100;
  GLOR.DTIMEI = 1.0;
  GLOR.RELXCA = 1e-6;
}

const RequiredRow kRequiredRows[] = {
    {"SLCRNC_NLOOP", transient_constants,
     [](tna_test::Network& net) {
       crnc_network(net);
       GLOI.NLOOP = SKUNDF();
       cn_test::set_undefined(GLOR.DTIMEI);
       cn_test::set_undefined(GLOR.RELXCA);
     },
     [] { SLCRNC(); }, "SLCRNC", "NLOOP", 3, true, 0, 101},
    {"SLCRNC_DTIMEI", transient_constants,
     [](tna_test::Network& net) {
       crnc_network(net);
       cn_test::set_undefined(GLOR.DTIMEI);
       cn_test::set_undefined(GLOR.RELXCA);
     },
     [] { SLCRNC(); }, "SLCRNC", "DTIMEI", 4, true, 0, 101},
    {"SLCRNC_RELXCA", transient_constants,
     [](tna_test::Network& net) {
       crnc_network(net);
       cn_test::set_undefined(GLOR.RELXCA);
     },
     [] { SLCRNC(); }, "SLCRNC", "RELXCA", 5, true, 0, 101},
    {"SLFWBK_NLOOP", stepping_constants,
     [](tna_test::Network& net) {
       fwbk_network(net);
       GLOI.NLOOP = kUndefined;
     },
     [] { SLFWBK(); }, "SLFWBK", "NLOOP", 3, true, 7, 0},
    {"SLFWBK_DTIMEI", stepping_constants,
     [](tna_test::Network& net) {
       fwbk_network(net);
       cn_test::set_undefined(GLOR.DTIMEI);
     },
     [] { SLFWBK(); }, "SLFWBK", "DTIMEI", 4, true, 7, 0},
    {"SLFWBK_RELXCA", stepping_constants, fwbk_network, [] { SLFWBK(); }, "SLFWBK", "RELXCA", 5, true, 7, 0},
    {"SLGEAR_NLOOP", gear_constants,
     [](tna_test::Network& net) {
       gear_network(net);
       GLOI.NLOOP = kUndefined;
       cn_test::set_undefined(GLOR.RELXCA);
     },
     [] { SLGEAR(); }, "SLGEAR", "NLOOP", 3, false, 1, 0},
    {"SLGEAR_RELXCA", gear_constants,
     [](tna_test::Network& net) {
       gear_network(net);
       cn_test::set_undefined(GLOR.RELXCA);
     },
     [] { SLGEAR(); }, "SLGEAR", "RELXCA", 4, false, 1, 0},
    {"SLMODE_NLOOP", modal_constants,
     [](tna_test::Network& net) {
       modal_network(net);
       GLOI.NLOOP = kUndefined;
     },
     [] { SLMODE(); }, "SLMODE", "NLOOP", 3, false, 0, 0},
    {"SLMODE_DTIMEI", modal_constants,
     [](tna_test::Network& net) {
       modal_network(net);
       cn_test::set_undefined(GLOR.DTIMEI);
     },
     [] { SLMODE(); }, "SLMODE", "DTIMEI", 4, false, 0, 0},
    {"SLMODE_RELXCA", modal_constants,
     [](tna_test::Network& net) {
       modal_network(net);
       cn_test::set_undefined(GLOR.RELXCA);
     },
     [] { SLMODE(); }, "SLMODE", "RELXCA", 5, false, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Routines, Required, ::testing::ValuesIn(kRequiredRows), row_name<RequiredRow>);

// ---------------------------------------------------------------------------
// An undefined OUTINT: the run goes on with OUTINT = TIMEND - TIMEO, saying
// so, and the outputs come at the start and the end only.

struct OutintRow {
  const char* name;
  void (*start)();
  void (*setup)(tna_test::Network&);  // network, core and the run's constants
  void (*run)();
  const char* text;  // the message, parts separated by "@"
  const char* routine;
  double timend;
};

using OutintDefault = Contract<OutintRow>;

TEST_P(OutintDefault, IsTheWholeRunWithItsMessage) {
  const OutintRow& row = GetParam();
  row.setup(net);
  cn_test::set_undefined(GLOR.OUTINT);
  std::vector<double> at;
  tna_test::model.outputs = [&] { at.push_back(GLOR.TIMEN); };
  row.run();
  EXPECT_EQ(at, (std::vector<double>{0.0, row.timend}));
  EXPECT_EQ(GLOR.OUTINT, row.timend);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, row.text)) << l;
  EXPECT_TRUE(has_reference(l, row.routine, 2));
}

const OutintRow kOutintRows[] = {
    {"SLCRNC", transient_constants,
     [](tna_test::Network& net) {
       net.node(1, 'D', 10.0).node(2, 'B', 0.0);
       net.gl(1, 2, 1.0);
       net.build();
       give_core(4000, 101, 101);
       gar_thermalnodecapacitances(1) = 5.0;
       GLOR.TIMEND = 4.0;
     },
     [] { SLCRNC(); },
     "SLCRNC: Control constant OUTINT not specified@Default is TIMEND - TIMEO. See User Manual description of "
     "SLCRNC for a list of control constants",
     "SLCRNC", 4.0},
    {"SLFRWD", stepping_constants,
     [](tna_test::Network& net) {
       rc_node(net);
       give_core(4000, 7, 11);
     },
     [] { SLFRWD(); },
     "SLFRWD: Control constant OUTINT not specified@Default is TIMEND - TIMEO, see User Manual description of "
     "SLFRWD for a list of control constants",
     "SLFRWD", 10.0},
    {"SLFWBK", stepping_constants,
     [](tna_test::Network& net) {
       rc_node(net);
       give_core(4000, 7, 11);
     },
     [] { SLFWBK(); },
     "SLFWBK: Control constant OUTINT not specified@Default is TIMEND - TIMEO, see User Manual description of "
     "SLFWBK for a list of control constants",
     "SLFWBK", 10.0},
    {"SLGEAR", gear_constants, gear_network, [] { SLGEAR(); },
     "SLGEAR: Control constant OUTINT not specified@Default is TIMEND - TIMEO, see User Manual description of "
     "SLGEAR for a list of control constants",
     "SLGEAR", 50.0},
    {"SLMODE", modal_constants,
     [](tna_test::Network& net) {
       net.node(1, 'D', 1.0).node(2, 'D', 2.0).node(3, 'B', 0.0);
       net.gl(1, 2, 1.0);
       net.gl(2, 3, 1.0);
       cn_test::build_with_caps(net, {{1, 1.0}, {2, 1.0}});
       give_core(4000, 5, 5);
     },
     [] { SLMODE(); },
     "SLMODE: Control constant OUTINT not specified@Default is TIMEND - TIMEO, see User Manual description of "
     "SLMODE for a list of control constants",
     "SLMODE", 10.0},
};

INSTANTIATE_TEST_SUITE_P(Routines, OutintDefault, ::testing::ValuesIn(kOutintRows), row_name<OutintRow>);

// ---------------------------------------------------------------------------
// Repeatability: a second run from the same start gives the same bits. Each
// row runs the routine once and returns the values it compares; between the
// runs the starting control constants are put back, the model's blocks
// emptied and the listing opened afresh, nothing more.

struct RepeatRow {
  const char* name;
  void (*start)();
  std::vector<double> (*run)();
};

using Repeatable = Contract<RepeatRow>;

TEST_P(Repeatable, TwoRunsGiveIdenticalBits) {
  const RepeatRow& row = GetParam();
  const GlorRecord glor = GLOR;
  const GloiRecord gloi = GLOI;
  const std::vector<double> a = row.run();
  GLOR = glor;
  GLOI = gloi;
  tna_test::model.reset();
  fresh_listing();
  const std::vector<double> b = row.run();
  ASSERT_EQ(a.size(), b.size());
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(double)), 0);
}

// A sine-driven RC node, twice (nodes 1 and 3 to the boundary 2), for the
// cyclic solution: C dT/dt = Q0 sin(w t) - G T.
std::vector<double> cyclic_run() {
  const double c = 10.0, g = 2.0, q0 = 10.0, period = 20.0;
  const double w = 2.0 * std::numbers::pi / period;
  tna_test::Network net;
  net.node(1, 'D', 3.0).node(2, 'B', 0.0).node(3, 'D', 3.0 + 5.0);
  net.gl(1, 2, g);
  net.gl(3, 2, g);
  net.build();
  give_core(20000, 101, 101);
  gar_thermalnodecapacitances(1) = c;
  gar_thermalnodecapacitances(3) = c;
  tna_test::model.variables1 = [=] {
    gar_thermalnodeheatsourcesinternal(1) = q0 * std::sin(w * GLOR.TIMEM);
    gar_thermalnodeheatsourcesinternal(3) = q0 * std::sin(w * GLOR.TIMEM);
  };
  // Small steps so that the repeated routine resolves the sine.
  const double h = 0.05;
  GLOR.DTIMEI = h;
  GLOR.DTMAX = h;
  GLOR.DTMIN = h * 1e-3;
  GLOR.OUTINT = 5.0;
  SOLCYC("SLFWBK", 1e-5, 1e-4, period, 20, " ", "NONE");
  return {gar_thermalnodetemps(1), GLOR.TIMEN, GLOR.TIMEM, GLOR.DTIMEU};
}

// Three solved nodes, one radiating, to a boundary: the time and the
// temperatures at each output of the Gear routines.
std::vector<double> gear_family_run(double radiation, void (*routine)(), bool with_time) {
  tna_test::Network net;
  net.node(1, 'D', 300.0).node(2, 'D', 0.0).node(3, 'B', -50.0);
  net.gr(1, 2, radiation);
  net.gl(2, 3, 0.7);
  cn_test::build_with_caps(net, {{1, 3.0}, {2, 1.0}});
  give_core(4000, 1, 20);
  GLOR.TIMEND = 30.0;
  GLOR.OUTINT = 1.5;
  std::vector<double> v;
  tna_test::model.outputs = [&v, with_time] {
    if (with_time) v.push_back(GLOR.TIMEN);
    push_temps(v);
  };
  routine();
  tna_test::model.outputs = nullptr;
  return v;
}

const RepeatRow kRepeatRows[] = {
    {"SLCRNC", transient_constants,
     [] {
       tna_test::Network net;
       net.node(1, 'D', 300.0, 5.0).node(2, 'D', 20.0).node(3, 'B', -100.0).node(4, 'D', 50.0);
       net.gl(1, 2, 0.7);
       net.gr(1, 3, 0.02);
       net.gr(2, 4, 0.05);
       net.gl(4, 3, 0.1);
       net.build();
       give_core(4000, 101, 101);
       gar_thermalnodecapacitances(1) = 30.0;
       gar_thermalnodecapacitances(2) = 12.0;
       gar_thermalnodecapacitances(4) = 0.01;  // arithmetic with ARITH = 1
       GLOR.ARITH = 1.0;
       GLOR.DTPMAX = 2.0;
       GLOR.DTROCA = 0.5;
       GLOR.DTIMEI = 5.0;
       GLOR.TIMEND = 60.0;
       GLOR.OUTINT = 20.0;
       GLOR.RELXCA = 1e-6;
       SLCRNC();
       std::vector<double> out;
       for (int i = 1; i <= 4; ++i) out.push_back(gar_thermalnodetemps(i));
       out.push_back(GLOR.DTIMEU);
       out.push_back(GLOR.CSGMIN);
       return out;
     }},
    {"SOLCYC", cyclic_constants, cyclic_run},
    {"SLFRWD", stepping_constants,
     [] {
       tna_test::Network net;
       net.node(1, 'D', 80.0, 20.0).node(2, 'D', 10.0).node(3, 'D', 30.0).node(4, 'B', -20.0);
       net.gl(1, 2, 0.5);
       net.gr(2, 3, 3.0);
       net.gl(3, 4, 0.4);
       net.gl(1, 4, 0.1);
       cn_test::build_with_caps(net, {{1, 60.0}, {2, 15.0}});
       give_core(4000, 7, 11);
       GLOR.TIMEO = 0.0;
       GLOR.TIMEND = 300.0;
       GLOR.OUTINT = 7.0;
       std::vector<double> v;
       tna_test::model.variables2 = [&v] {
         v.push_back(GLOR.TIMEN);
         push_temps(v);
       };
       SLFRWD();
       tna_test::model.variables2 = nullptr;
       return v;
     }},
    {"SLFWBK", stepping_constants,
     [] {
       tna_test::Network net;
       net.node(1, 'D', 80.0, 3.0).node(2, 'D', 10.0).node(3, 'D', 0.0).node(4, 'B', -40.0);
       net.gl(1, 2, 0.7);
       net.gr(2, 4, 1.5);
       net.gl(2, 3, 0.2);
       net.gl(3, 4, 0.9);
       cn_test::build_with_caps(net, {{1, 5.0}, {2, 8.0}});
       give_core(4000, 7, 11);
       GLOR.TIMEO = 0.0;
       GLOR.TIMEND = 60.0;
       GLOR.OUTINT = 7.0;
       GLOR.DTPMAX = 0.5;
       GLOR.DTIMEI = 3.0;
       std::vector<double> v;
       tna_test::model.variables2 = [&v] {
         v.push_back(GLOR.TIMEN);
         push_temps(v);
       };
       SLFWBK();
       tna_test::model.variables2 = nullptr;
       return v;
     }},
    {"SLGEAR", gear_constants, [] { return gear_family_run(0.2, SLGEAR, true); }},
    {"SLGRDJ", slgrdj_constants, [] { return gear_family_run(0.002, SLGRDJ, false); }},
    {"SLMODE", modal_constants,
     [] {
       tna_test::Network net;
       net.node(1, 'D', 80.0, 1.0).node(2, 'D', 20.0).node(3, 'D', 5.0).node(4, 'D', 0.0, 0.5).node(5, 'B', -50.0);
       net.gl(1, 2, 0.8);
       net.gl(2, 3, 0.6);
       net.gr(3, 5, 0.3);
       net.gl(4, 1, 0.2);
       net.gl(4, 5, 0.1);
       cn_test::build_with_caps(net, {{1, 3.0}, {2, 2.0}, {3, 1.0}});
       give_core(4000, 5, 5);
       GLOR.TIMEND = 20.0;
       GLOR.OUTINT = 1.7;
       std::vector<double> trace;
       tna_test::model.variables2 = [&] {
         for (int i = 1; i <= 4; ++i) trace.push_back(gar_thermalnodetemps(net.index(i)));
       };
       SLMODE();
       tna_test::model.variables2 = nullptr;
       return trace;
     }},
    {"LEIGEN", no_constants,
     [] {
       // The generalised problem of a 20-node tridiagonal Laplacian (2 on
       // the diagonal, -1 beside it) with graded capacitances.
       const int n = 20;
       std::vector<double> c(static_cast<std::size_t>(n)), k(static_cast<std::size_t>(n * n), 0.0);
       for (int i = 0; i < n; ++i) {
         c[static_cast<std::size_t>(i)] = 1.0 + 0.37 * i;
         k[static_cast<std::size_t>(i * n + i)] = 2.0;
         if (i > 0) k[static_cast<std::size_t>(i * n + i - 1)] = k[static_cast<std::size_t>((i - 1) * n + i)] = -1.0;
       }
       std::vector<double> phi(static_cast<std::size_t>(n * n), -7.0);
       int status = -1;
       LEIGEN({c.data(), n}, n, {k.data(), n * n}, {phi.data(), n * n}, status);
       EXPECT_EQ(status, 0);
       std::vector<double> v(k.begin(), k.begin() + n);  // the eigenvalues
       v.insert(v.end(), phi.begin(), phi.end());
       return v;
     }},
};

INSTANTIATE_TEST_SUITE_P(Routines, Repeatable, ::testing::ValuesIn(kRepeatRows), row_name<RepeatRow>);

}  // namespace
