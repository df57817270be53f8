// Run-time constants that are not finite numbers (a TIMEND of 1/0 from a
// parameter case, or 1e308 * 10): every routine that would step towards
// them refuses them before its first step, with its "not specified"
// message and a code of its own; the constants a routine does not take as
// given do not stop it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "thermal/crank_nicolson.h"
#include "thermal/cyclic.h"
#include "thermal/explicit_forward.h"
#include "thermal/forward_backward.h"
#include "thermal/gear.h"
#include "thermal/modal.h"
#include "thermal/slgrdj.h"
#include "thermal/steady_state.h"
#include "transient_fixture.h"

namespace {

using cn_test::has_message;
using cn_test::has_reference;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// What a run of 1e308 * 10 gives, computed at run time as a user's statement
// would compute it.
double overflowed() {
  volatile double big = 1e308;
  return big * 10.0;
}

class NonFiniteTimes : public cn_test::Transient {
 protected:
  // A node of capacity 5 joined to a boundary; plain run-time constants.
  void fresh_model() {
    SetUp();
    tna_test::Network net;
    net.node(1, 'D', 10.0).node(2, 'B', 0.0);
    net.gl(1, 2, 1.0);
    build(net);
    gar_thermalnodecapacitances(1) = 5.0;
    GLOR.DTIMEI = 0.5;
    GLOR.DTMIN = 1e-3;
    GLOR.DTMAX = 1.0;
    GLOR.OUTINT = 5.0;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 10.0;
  }
};

double& constant(const std::string& name) {
  if (name == "TIMEO") return GLOR.TIMEO;
  if (name == "TIMEND") return GLOR.TIMEND;
  if (name == "DTIMEI") return GLOR.DTIMEI;
  if (name == "OUTINT") return GLOR.OUTINT;
  if (name == "DTMIN") return GLOR.DTMIN;
  if (name == "DTMAX") return GLOR.DTMAX;
  throw std::logic_error("no such constant " + name);
}

struct Routine {
  const char* name;
  void (*run)();
};

void cyclic() {
  const double tconv = 1e-3, dtconv = 1e10, period = 10.0;
  const int maxcyc = 2;
  SOLCYC("SLCRNC", tconv, dtconv, period, maxcyc, " ", "NONE");
}

TEST_F(NonFiniteTimes, EveryRoutineRefusesTheTimesItSteps) {
  const Routine slcrnc{"SLCRNC", SLCRNC}, slfwbk{"SLFWBK", SLFWBK}, slfrwd{"SLFRWD", SLFRWD},
      slgear{"SLGEAR", SLGEAR}, slgrdj{"SLGRDJ", SLGRDJ}, slmode{"SLMODE", SLMODE}, solcyc{"SOLCYC", cyclic};
  struct Case {
    Routine routine;
    const char* constant;
    double value;
    int code;
  };
  // clang-format off
  const Case cases[] = {
      {slcrnc, "TIMEO", kNaN, 7},    {slcrnc, "TIMEND", kInf, 7},   {slcrnc, "TIMEND", overflowed(), 7},
      {slcrnc, "DTIMEI", kInf, 7},   {slcrnc, "OUTINT", kNaN, 7},   {slcrnc, "DTMIN", -kInf, 7},
      {slcrnc, "DTMAX", kInf, 7},    {slfwbk, "TIMEND", kInf, 7},   {slfwbk, "DTIMEI", kNaN, 7},
      {slfwbk, "DTMAX", kNaN, 7},    {slfrwd, "TIMEND", kInf, 4},   {slfrwd, "OUTINT", kInf, 4},
      {slfrwd, "DTMIN", kNaN, 4},    {slgear, "TIMEND", kInf, 6},   {slgear, "DTMIN", kNaN, 6},
      {slgrdj, "TIMEO", -kInf, 6},   {slgrdj, "OUTINT", kInf, 6},   {slmode, "TIMEND", kInf, 9},
      {slmode, "DTIMEI", kNaN, 9},   {slmode, "DTMAX", kInf, 9},    {solcyc, "TIMEO", kNaN, 5},
      {solcyc, "TIMEO", kInf, 5},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.routine.name) + " " + c.constant + " = " + std::to_string(c.value));
    fresh_model();
    const int itop = FLAGS(FLAGS_NEXTDYNAMICCOREINT), rtop = FLAGS(FLAGS_NEXTDYNAMICCOREREAL);
    int v1 = 0;
    // A routine that took the value would step for ever: stop it early.
    tna_test::model.variables1 = [&] {
      if (++v1 > 2000) throw std::runtime_error("still stepping");
    };
    constant(c.constant) = c.value;
    EXPECT_THROW(c.routine.run(), plat::ProcessExit);
    EXPECT_EQ(v1, 0);  // refused before the first block
    const std::string l = listing();
    const std::string r = c.routine.name;
    EXPECT_TRUE(has_message(l, r + ": Control constant " + c.constant +
                                   " not specified@See User Manual description of " + r +
                                   " for a list of required control constants"))
        << l;
    EXPECT_TRUE(has_reference(l, r, c.code)) << l;
    EXPECT_NE(l.find("@@@@  FATAL ERROR"), std::string::npos);
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), itop);
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), rtop);
  }
}

// The cycle's end time is the start plus the period: a period that is not
// finite is refused as the end time, by the cyclic routine itself.
TEST_F(NonFiniteTimes, CyclicRefusesAnEndTimeThatIsNotFinite) {
  for (const double period : {kInf, kNaN}) {
    fresh_model();
    const double tconv = 1e-3, dtconv = 1e10;
    const int maxcyc = 2;
    EXPECT_THROW(SOLCYC("SLCRNC", tconv, dtconv, period, maxcyc, " ", "NONE"), plat::ProcessExit);
    const std::string l = listing();
    EXPECT_TRUE(has_message(l, "SOLCYC: Control constant TIMEND not specified")) << l;
    EXPECT_TRUE(has_reference(l, "SOLCYC", 5));
    EXPECT_FALSE(has_reference(l, "SLCRNC", 7));
  }
}

// An undefined OUTINT is defaulted to TIMEND - TIMEO first; with an infinite
// TIMEND the message names TIMEND, the constant the user gave.
TEST_F(NonFiniteTimes, DefaultedOutputIntervalDoesNotHideTheEndTime) {
  fresh_model();
  cn_test::set_undefined(GLOR.OUTINT);
  GLOR.TIMEND = kInf;
  EXPECT_THROW(SLCRNC(), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_reference(l, "SLCRNC", 2));  // the default's warning
  EXPECT_TRUE(has_message(l, "SLCRNC: Control constant TIMEND not specified")) << l;
  EXPECT_FALSE(has_message(l, "SLCRNC: Control constant OUTINT not specified@See User Manual"));
}

// Constants a routine does not step by leave it alone: SLFRWD computes its
// own DTIMEI, the Gear routines take a DTIMEI that is not a number as DTMAX,
// and the steady state reads no time at all.
TEST_F(NonFiniteTimes, ConstantsARoutineDoesNotTakeAsGivenDoNotStopIt) {
  struct Case {
    Routine routine;
    const char* constant;
    double value;
  };
  const Case cases[] = {{{"SLFRWD", SLFRWD}, "DTIMEI", kNaN}, {{"SLFRWD", SLFRWD}, "DTIMEI", kInf},
                        {{"SLGEAR", SLGEAR}, "DTIMEI", kNaN}, {{"SLGRDJ", SLGRDJ}, "DTIMEI", kInf},
                        {{"SOLVFM", SOLVFM}, "TIMEND", kInf}, {{"SOLVFM", SOLVFM}, "TIMEO", kNaN}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.routine.name) + " " + c.constant);
    fresh_model();
    GLOR.RELXCA = 1e-6;
    constant(c.constant) = c.value;
    int v1 = 0;
    tna_test::model.variables1 = [&] {
      if (++v1 > 100000) throw std::runtime_error("still stepping");
    };
    ASSERT_NO_THROW(c.routine.run()) << listing();
    EXPECT_GT(v1, 0);
    EXPECT_EQ(listing().find("@@@@  FATAL ERROR"), std::string::npos);
    if (std::string(c.routine.name) != "SOLVFM") {
      EXPECT_EQ(GLOR.TIMEO, 10.0);
    }
  }
}

}  // namespace
