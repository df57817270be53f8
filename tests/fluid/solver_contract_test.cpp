// Contracts the four fluid-loop solution routines (FLTNTS, FLTNTF, FLTMTS,
// FGENFI) share, one table per contract and one row per case: a required
// control constant that is missing or refused ends the run with the
// routine's code and text before anything runs; a clock that cannot
// advance (an end not after the start, an output interval not above zero,
// steps of no length) is refused; a short dynamic core ends the run naming
// the missing words; an undefined OUTINT becomes TIMEND - TIMEO with a
// warning; the constants of node kinds the model lacks are not required.
// Every row starts from the model and the constants that routine's own
// tests start from, and each refusal leaves the stack tops as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "fluid/fluid_services.h"
#include "fluid/ordering.h"
#include "fluid_fixture.h"
#include "platform/process.h"
#include "two_phase_pipe.h"

namespace fluid_test {
namespace {

struct Solver {
  const char* name;
  void (*run)();
  const char* code;  // SOLVER while it runs
};
const Solver kFltnts{"FLTNTS", FLTNTS, "TRFL1P"};
const Solver kFltntf{"FLTNTF", FLTNTF, "TRFL1P"};
const Solver kFltmts{"FLTMTS", FLTMTS, "TRFL1P"};
const Solver kFgenfi{"FGENFI", FGENFI, "TRFL2P"};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The fixture of every contract: the run state reset, every fluid control
// constant set, the blocks logged, and the models the rows start from.
class FluidContract : public FluidTest {
 public:
  void SetUp() override {
    FluidTest::SetUp();
    log.install();
  }

  // The constants the routine's own tests run with: those of FLTNTF and
  // FLTMTS limit the explicit step by the stability ratio alone (no link
  // transit limit).
  static void controls(const Solver& s) {
    tna_test::fluid_controls();
    if (s.run == FLTNTF || s.run == FLTMTS) {
      GLOR.DTCOUR = 1.0e38;
      GLOR.RLCOUR = 1.0;
    }
  }
  // Thermal node 1 ("D", capacitance 100 J/K, heated by 10 W, at 0 C)
  // joined by a GL of 1 W/K to boundary node 2 at 0 C.
  void wall(int dystor = 20000) {
    tna_test::FluidModel fm;
    fm.thermal(1, 'D', 0.0, 100.0).thermal(2, 'B', 0.0);
    fm.gl(1, 2, 1.0);
    build(fm, dystor);
    gar_thermalnodeheatsourcesinternal(1) = 10.0;
  }
  // Two water nodes and a link.
  void two_nodes() {
    tna_test::FluidModel fm = tna_test::chain(2);
    build(fm);
  }
  // The small two-phase pipe, with thermal node 100 ("D", 20 C, 1 J/K) when
  // `with_wall`.
  void two_phase_pipe(bool with_wall) {
    tna_test::FluidModel fm = small_pipe();
    if (with_wall) fm.thermal(100, 'D', 20.0, 1.0);
    build(fm);
    two_phase_states(net, fm);
  }
  // No node at all.
  void empty() {
    tna_test::FluidModel fm;
    build(fm);
  }

  std::vector<double> times_of(const std::string& block) const {
    std::vector<double> out;
    for (const tna_test::BlockCall& c : log.calls)
      if (c.block == block) out.push_back(c.timen);
    return out;
  }
  // For the rows' own further checks.
  using FluidTest::build;
  using FluidTest::expect_tops;
  using FluidTest::net;
  using FluidTest::raise_tops;
  using ListingTest::fresh_listing;
  using ListingTest::listing;

  tna_test::BlockLog log;
};

template <class Row>
class Contract : public FluidContract, public ::testing::WithParamInterface<Row> {};

template <class Row>
std::string row_name(const ::testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

// A row prints as its name.
template <class Row>
requires requires(const Row& r) { r.name; }
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

// Models.
void wall(FluidContract& t) { t.wall(); }
void two_nodes(FluidContract& t) { t.two_nodes(); }
void pipe_with_wall(FluidContract& t) { t.two_phase_pipe(true); }
void pipe_alone(FluidContract& t) { t.two_phase_pipe(false); }
void empty(FluidContract& t) { t.empty(); }

// "<routine>: Control constant <name> not specified@See User Manual
// description of <manual> for a list of <list>".
std::string not_specified(const std::string& routine, const std::string& name, const std::string& manual,
                          const std::string& list = "required control constants") {
  return routine + ": Control constant " + name + " not specified@See User Manual description of " + manual +
         " for a list of " + list;
}
std::string required(const std::string& routine, const std::string& name) {
  return not_specified(routine, name, routine);
}

// ---------------------------------------------------------------------------
// A required constant missing, or refused as not a finite number: the run
// ends with the routine's code and text before any block runs, SOLVER
// already set, the stack tops as they were.

struct RefusedRow {
  const char* name;
  Solver solver;
  void (*model)(FluidContract&);
  void (*set)();
  int code;
  std::string text;
};

using RefusedConstant = Contract<RefusedRow>;

TEST_P(RefusedConstant, EndsTheRunBeforeAnyBlock) {
  const RefusedRow& row = GetParam();
  row.model(*this);
  controls(row.solver);
  row.set();
  raise_tops(3, 4);
  EXPECT_THROW(row.solver.run(), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, row.text)) << l;
  EXPECT_TRUE(has_reference(l, row.solver.name, row.code)) << l;
  EXPECT_NE(l.find("@@@@  FATAL ERROR"), std::string::npos);
  EXPECT_TRUE(log.calls.empty());  // nothing ran
  EXPECT_EQ(GLOC.SOLVER.trimmed(), row.solver.code);
  expect_tops(3, 4);
}

void undefined_nloop() { GLOI.NLOOP = SKUNDF(); }
void undefined_dtimei() { GLOR.DTIMEI = tna_test::undefined_real(); }
void undefined_relxma() { GLOR.RELXMA = tna_test::undefined_real(); }
void undefined_frlxca() { GLOR.FRLXCA = tna_test::undefined_real(); }
void undefined_relxca() { GLOR.RELXCA = tna_test::undefined_real(); }
void undefined_fsteps() { GLOI.FSTEPS = SKUNDF(); }

// FLTNTF's own words for its first two constants.
std::string fltntf_shortened(const std::string& name) {
  return not_specified("FLTNTF", name, "FLTNTF", "control connstants");
}
// FGENFI's: the undefined ones in lower case, naming the manual "Fgenfi";
// the times and steps that are not finite numbers in the words every
// solution routine uses.
std::string fgenfi_undefined(const std::string& name) { return not_specified("FGENFI", name, "Fgenfi"); }
std::string fgenfi_not_finite(const std::string& name) { return not_specified("FGENFI", name, "FGENFI"); }

const RefusedRow kRefusedRows[] = {
    {"FLTNTS_NLOOP", kFltnts, wall, undefined_nloop, 3, required("FLTNTS", "NLOOP")},
    {"FLTNTS_DTIMEI", kFltnts, wall, undefined_dtimei, 4, required("FLTNTS", "DTIMEI")},
    {"FLTNTS_RELXMA", kFltnts, two_nodes, undefined_relxma, 5, required("FLTNTS", "RELXMA")},
    {"FLTNTS_FRLXCA", kFltnts, two_nodes, undefined_frlxca, 6, required("FLTNTS", "FRLXCA")},
    {"FLTNTS_RELXCA", kFltnts, wall, undefined_relxca, 7, required("FLTNTS", "RELXCA")},
    {"FLTNTS_TIMEND_not_a_number", kFltnts, wall, [] { GLOR.TIMEND = kNaN; }, 10, required("FLTNTS", "TIMEND")},
    {"FLTNTS_TIMEO_infinite", kFltnts, wall, [] { GLOR.TIMEO = -kInf; }, 10, required("FLTNTS", "TIMEO")},
    {"FLTNTS_DTMAX_infinite", kFltnts, wall, [] { GLOR.DTMAX = kInf; }, 10, required("FLTNTS", "DTMAX")},
    {"FLTNTS_OUTINT_not_a_number", kFltnts, wall, [] { GLOR.OUTINT = kNaN; }, 10, required("FLTNTS", "OUTINT")},

    {"FLTNTF_NLOOP", kFltntf, wall, undefined_nloop, 3, fltntf_shortened("NLOOP")},
    {"FLTNTF_RELXCA", kFltntf, wall, undefined_relxca, 4, fltntf_shortened("RELXCA")},
    {"FLTNTF_RELXMA", kFltntf, two_nodes, undefined_relxma, 5, required("FLTNTF", "RELXMA")},
    {"FLTNTF_FRLXCA", kFltntf, two_nodes, undefined_frlxca, 6, required("FLTNTF", "FRLXCA")},
    {"FLTNTF_TIMEND_not_a_number", kFltntf, wall, [] { GLOR.TIMEND = kNaN; }, 9, required("FLTNTF", "TIMEND")},

    // FLTMTS requires codes 3 to 8 whatever the nodes (a thermal model here).
    {"FLTMTS_NLOOP", kFltmts, wall, undefined_nloop, 3, required("FLTMTS", "NLOOP")},
    {"FLTMTS_RELXMA", kFltmts, wall, undefined_relxma, 4, required("FLTMTS", "RELXMA")},
    {"FLTMTS_FRLXCA", kFltmts, wall, undefined_frlxca, 5, required("FLTMTS", "FRLXCA")},
    {"FLTMTS_FSTEPS", kFltmts, wall, undefined_fsteps, 6, required("FLTMTS", "FSTEPS")},
    {"FLTMTS_RELXCA", kFltmts, wall, undefined_relxca, 7, required("FLTMTS", "RELXCA")},
    {"FLTMTS_DTIMEI", kFltmts, wall, undefined_dtimei, 8, required("FLTMTS", "DTIMEI")},
    {"FLTMTS_DTMAX_infinite", kFltmts, wall, [] { GLOR.DTMAX = kInf; }, 12, required("FLTMTS", "DTMAX")},
    // FSTEPS not above zero is refused after the work space is taken.
    {"FLTMTS_FSTEPS_zero", kFltmts, wall, [] { GLOI.FSTEPS = 0; }, 11,
     "FLTMTS: Control constant FSTEPS must be greater than zero"},

    {"FGENFI_NLOOP", kFgenfi, pipe_with_wall, undefined_nloop, 1, fgenfi_undefined("nloop")},
    {"FGENFI_RELXCA", kFgenfi, pipe_with_wall, undefined_relxca, 2, fgenfi_undefined("relxca")},
    {"FGENFI_FRLXCA", kFgenfi, pipe_with_wall, undefined_frlxca, 3, fgenfi_undefined("frlxca")},
    {"FGENFI_RELXMA", kFgenfi, pipe_with_wall, undefined_relxma, 4, fgenfi_undefined("relxma")},
    {"FGENFI_TIMEND_not_a_number", kFgenfi, pipe_with_wall, [] { GLOR.TIMEND = kNaN; }, 9,
     fgenfi_not_finite("timend")},
    {"FGENFI_TIMEO_infinite", kFgenfi, pipe_with_wall, [] { GLOR.TIMEO = -kInf; }, 9, fgenfi_not_finite("timeo")},
    {"FGENFI_DTIMEI_not_a_number", kFgenfi, pipe_with_wall, [] { GLOR.DTIMEI = kNaN; }, 9,
     fgenfi_not_finite("dtimei")},
    {"FGENFI_OUTINT_infinite", kFgenfi, pipe_with_wall, [] { GLOR.OUTINT = kInf; }, 9, fgenfi_not_finite("outint")},
    {"FGENFI_DTMIN_not_a_number", kFgenfi, pipe_with_wall, [] { GLOR.DTMIN = kNaN; }, 9, fgenfi_not_finite("dtmin")},
    {"FGENFI_DTMAX_infinite", kFgenfi, pipe_with_wall, [] { GLOR.DTMAX = kInf; }, 9, fgenfi_not_finite("dtmax")},
};

INSTANTIATE_TEST_SUITE_P(FluidRoutines, RefusedConstant, ::testing::ValuesIn(kRefusedRows), row_name<RefusedRow>);

// ---------------------------------------------------------------------------
// A clock that cannot advance: an end not after the start, output times
// that would never advance, steps of no length. Each is refused with its
// own code and text; FLTMTS and FGENFI return from an end not after the
// start (a failure the run survives: no block runs, TIMEO stays, SOLVER is
// blank again); the tops are as they were.

struct ClockRow {
  const char* name;
  Solver solver;
  void (*model)(FluidContract&);
  void (*set)();
  int code;
  std::string text;
  bool ends_run;
  bool steps_tried;  // the refusal comes at a step, after the blocks ran
};

using ClockCannotAdvance = Contract<ClockRow>;

TEST_P(ClockCannotAdvance, IsRefused) {
  const ClockRow& row = GetParam();
  row.model(*this);
  controls(row.solver);
  row.set();
  const double timeo = GLOR.TIMEO;
  raise_tops(5, 7);
  if (row.ends_run) {
    EXPECT_THROW(row.solver.run(), plat::ProcessExit);
  } else {
    row.solver.run();  // returns
  }
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, row.text)) << l;
  EXPECT_TRUE(has_reference(l, row.solver.name, row.code)) << l;
  EXPECT_NE(l.find(row.ends_run ? "@@@@  FATAL ERROR" : "@@@@  FAILURE"), std::string::npos) << l;
  if (!row.steps_tried) {
    EXPECT_TRUE(log.calls.empty());
    EXPECT_EQ(GLOR.TIMEO, timeo);
  }
  EXPECT_EQ(GLOC.SOLVER.trimmed(), row.ends_run ? row.solver.code : "");
  expect_tops(5, 7);
}

void end_at_start() { GLOR.TIMEND = GLOR.TIMEO; }
void end_at_start_5() { GLOR.TIMEO = GLOR.TIMEND = 5.0; }
void no_step_length() {
  GLOR.DTIMEI = 0.0;
  GLOR.DTMIN = 0.0;
}

std::string end_not_after_start(const std::string& routine, const std::string& timend = "TIMEND") {
  return routine + ": " + timend +
         " is not greater than TIMEO@See Engineering Manual for control constant definitions";
}
std::string outint_not_positive(const std::string& routine) {
  return routine +
         ": Control constant OUTINT is not greater than zero@Output times would never advance, see User Manual "
         "description of " +
         routine + " for a list of control constants";
}
std::string no_length(const std::string& routine) {
  return routine +
         ": Control constant DTIMEI is not greater than zero@With DTMIN not greater than zero either, the time step "
         "would have no length; see User Manual description of " +
         routine + " for a list of control constants";
}

const ClockRow kClockRows[] = {
    {"FLTNTS_TIMEND_at_TIMEO", kFltnts, wall, end_at_start, 1, end_not_after_start("FLTNTS"), true, false},
    {"FLTNTS_OUTINT_zero", kFltnts, wall, [] { GLOR.OUTINT = 0.0; }, 11, outint_not_positive("FLTNTS"), true, false},
    {"FLTNTS_OUTINT_negative", kFltnts, wall, [] { GLOR.OUTINT = -1.0; }, 11, outint_not_positive("FLTNTS"), true,
     false},
    {"FLTNTS_no_step_length", kFltnts, wall, no_step_length, 29, no_length("FLTNTS"), true, false},

    {"FLTNTF_TIMEND_at_TIMEO", kFltntf, wall, end_at_start, 1, end_not_after_start("FLTNTF"), true, false},
    {"FLTNTF_OUTINT_zero", kFltntf, wall, [] { GLOR.OUTINT = 0.0; }, 10, outint_not_positive("FLTNTF"), true, false},
    // FLTNTF sets its steps without DTIMEI: it names DTMAX.
    {"FLTNTF_no_step_length", kFltntf, wall,
     [] {
       no_step_length();
       GLOR.DTMAX = 0.0;
     },
     29, "FLTNTF: Control constant DTMAX is not greater than zero@", true, false},

    {"FLTMTS_TIMEND_at_TIMEO", kFltmts, wall, end_at_start_5, 1, end_not_after_start("FLTMTS"), false, false},
    {"FLTMTS_OUTINT_negative", kFltmts, wall, [] { GLOR.OUTINT = -1.0; }, 13, outint_not_positive("FLTMTS"), true,
     false},
    {"FLTMTS_no_step_length", kFltmts, wall,
     [] {
       no_step_length();
       GLOR.DTMAX = 0.0;
     },
     29, "FLTMTS: Control constant DTIMEI is not greater than zero@", true, false},

    {"FGENFI_TIMEND_at_TIMEO", kFgenfi, pipe_alone, end_at_start_5, 5, end_not_after_start("FGENFI", "timend"),
     false, false},
    {"FGENFI_no_step_length", kFgenfi, pipe_alone, no_step_length, 29, no_length("FGENFI"), true, false},
    {"FGENFI_OUTINT_zero", kFgenfi, pipe_alone, [] { GLOR.OUTINT = 0.0; }, 10,
     "FGENFI: Control constant outint is not greater than zero@Output times cannot advance; see User Manual "
     "description of Fgenfi for a list of control constants",
     true, false},
    {"FGENFI_OUTINT_negative", kFgenfi, pipe_alone, [] { GLOR.OUTINT = -5.0; }, 10,
     "FGENFI: Control constant outint is not greater than zero", true, false},
    // Without DTIMEI the step RLCOUR x DTCOUR (RLCOUR 0 here) is found to
    // have no length at the first step.
    {"FGENFI_step_of_zero_length", kFgenfi, pipe_alone,
     [] {
       GLOR.DTIMEI = tna_test::undefined_real();
       GLOR.DTMIN = 0.0;
     },
     11,
     "FGENFI: Time step of zero length at TIMEO = 0.00000 @Check control constants DTIMEI, DTMIN, DTMAX, RLCOUR and "
     "OUTINT",
     true, true},
};

INSTANTIATE_TEST_SUITE_P(FluidRoutines, ClockCannotAdvance, ::testing::ValuesIn(kClockRows), row_name<ClockRow>);

// ---------------------------------------------------------------------------
// A short dynamic core: the run ends with "Insufficient work space" in the
// routine's words, naming the missing words; the stack tops are as they
// were.

struct WorkSpaceRow {
  const char* name;
  Solver solver;
  void (*model)(FluidContract&);  // the model and its dynamic core
  void (*set)();                  // further constants, or null
  int rtop, itop;                 // the stack tops at entry (0: as the model leaves them)
  int code;
  std::string text;
  int fit_rtop;                  // a real top at which the run fits and completes quietly (0: not tried)
  void (*then)(FluidContract&);  // the routine's own further checks, or null
};

using WorkSpace = Contract<WorkSpaceRow>;

TEST_P(WorkSpace, EndsTheRunNamingTheExtraWords) {
  const WorkSpaceRow& row = GetParam();
  row.model(*this);
  controls(row.solver);
  if (row.set != nullptr) row.set();
  if (row.rtop != 0) raise_tops(row.rtop, row.itop);
  const int rtop = FLAGS(FLAGS_NEXTDYNAMICCOREREAL), itop = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  EXPECT_THROW(row.solver.run(), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, row.text)) << l;
  EXPECT_TRUE(has_reference(l, row.solver.name, row.code)) << l;
  expect_tops(rtop, itop);
  if (row.fit_rtop != 0) {
    fresh_listing();
    controls(row.solver);
    raise_tops(row.fit_rtop, itop);
    row.solver.run();
    EXPECT_EQ(listing(), "");
    expect_tops(row.fit_rtop, itop);
  }
  if (row.then != nullptr) row.then(*this);
}

std::string short_by(const std::string& routine, const char* words) {
  return routine + ": Insufficient work space@An extra " + words +
         " words needed, increase DYSTOR on $EXECUTION record, see User Manual description of $EXECUTION block";
}

// The wall in a dynamic core of 64 words.
void wall_in_64(FluidContract& t) { t.wall(64); }

// Ten fluid nodes in a chain: real requirement max(rtop + 10 NF + LPROF +
// 4, rtop + 8 NF + LPROF + 2 NL), a core one word short of it.
void chain_of_10(FluidContract& t) {
  tna_test::FluidModel fm = tna_test::chain(10);
  t.build(fm);
  std::vector<std::int32_t> block(50);
  FlOrdering ord = fl_ordering(FlInts(block.data(), 50), 10);
  FPNTRS(t.net, ord);
  const int need = std::max(1 + 100 + ord.lprof + 4, 1 + 80 + ord.lprof + 18);
  t.build(fm, need - 1);
  FINITS(" ", -1);
}

// The FGENFI rows: chain(3), 7 x 3 + 2 = 23 integer words; 17 x 3 + 6 x 2 +
// 1 loop + a profile of 8 = 72 real words (no thermal node). Both tops
// start at 1.
template <int dystor>
void fgenfi_chain(FluidContract& t) {
  tna_test::FluidModel fm = tna_test::chain(3);
  t.build(fm);
  FINITS(" ", -1);
  FLAGS(28) = dystor;
}

const WorkSpaceRow kWorkSpaceRows[] = {
    // Integer: itop + NEVT + 6 NF + NT + NL = itop + 2 for the wall; a DYSTOR
    // one word short reports 1.
    {"FLTNTS_integer", kFltnts, wall_in_64, nullptr, 1, 63, 8, short_by("FLTNTS", "        1"), 0, nullptr},
    // With itop + 2 = DYSTOR the integer blocks fit; the real requirement
    // max(rtop + 4 NT + 4, rtop + NT) = rtop + 12 is one word short; one
    // word more fits.
    {"FLTNTS_real", kFltnts, wall_in_64, nullptr, 53, 62, 9, short_by("FLTNTS", "        1"), 52, nullptr},
    // TIMELA "YES" adds 100 (NF + 1) = 1100 words.
    {"FLTNTS_fluid_and_history", kFltnts, chain_of_10, nullptr, 0, 0, 9, short_by("FLTNTS", "        1"), 0,
     [](FluidContract& t) {
       t.fresh_listing();
       t.controls(kFltnts);
       GLOC.TIMELA = "YES";
       EXPECT_THROW(FLTNTS(), plat::ProcessExit);
       EXPECT_TRUE(has_message(t.listing(), short_by("FLTNTS", "     1101"))) << t.listing();
       t.expect_tops(1, 1);
     }},
    // Integer: itop + 5 NF + NL = itop; real: max(rtop + 3 NT + 3, rtop +
    // NT) = rtop + 9 for the wall.
    {"FLTNTF_integer", kFltntf, wall_in_64, nullptr, 1, 65, 7, short_by("FLTNTF", "        1"), 0, nullptr},
    {"FLTNTF_real", kFltntf, wall_in_64, nullptr, 56, 64, 8, short_by("FLTNTF", "        1"), 55, nullptr},
    // Real requirement rtop + 5 NT + 5 = rtop + 15; FSTEPS 0 as well: the
    // shortage is reported first.
    {"FLTMTS_real", kFltmts, wall_in_64, [] { GLOI.FSTEPS = 0; }, 50, 1, 10, short_by("FLTMTS", "        1"), 0,
     [](FluidContract& t) { EXPECT_EQ(t.listing().find("FSTEPS"), std::string::npos); }},
    {"FGENFI_integer", kFgenfi, fgenfi_chain<20>, nullptr, 0, 0, 7, short_by("FGENFI", "        4"), 0, nullptr},
    {"FGENFI_real", kFgenfi, fgenfi_chain<70>, nullptr, 0, 0, 8,
     "FGENFI: Insufficient work space@An extra         3 words needed: increase DYSTOR on $EXECUTION record. See "
     "User Manual description of $EXECUTION block",
     0,
     [](FluidContract& t) {
       // One word more of each is enough.
       gar_deallocate_all();
       t.fresh_listing();
       tna_test::FluidModel fm = tna_test::chain(3);
       t.build(fm);
       FLAGS(28) = 73;
       GLOR.TIMEO = GLOR.TIMEND;
       FGENFI();
       EXPECT_FALSE(has_reference(t.listing(), "FGENFI", 8));
     }},
};

INSTANTIATE_TEST_SUITE_P(FluidRoutines, WorkSpace, ::testing::ValuesIn(kWorkSpaceRows), row_name<WorkSpaceRow>);

// ---------------------------------------------------------------------------
// OUTINT undefined: it becomes TIMEND - TIMEO with a warning, and the run
// outputs at its start and its end only.

struct OutintRow {
  const char* name;
  Solver solver;
  void (*model)(FluidContract&);
  double timend;
  int code;
  std::string text;
};

using UndefinedOutint = Contract<OutintRow>;

TEST_P(UndefinedOutint, OutputsAtTheStartAndTheEndOnly) {
  const OutintRow& row = GetParam();
  row.model(*this);
  controls(row.solver);
  GLOR.OUTINT = tna_test::undefined_real();
  GLOR.TIMEND = row.timend;
  row.solver.run();
  EXPECT_EQ(GLOR.OUTINT, row.timend);
  EXPECT_EQ(times_of("OUTPUTS"), (std::vector<double>{0.0, row.timend}));
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, row.text)) << l;
  EXPECT_TRUE(has_reference(l, row.solver.name, row.code)) << l;
  EXPECT_NE(l.find("@@@@  WARNING"), std::string::npos);
}

std::string outint_default(const std::string& routine) {
  return routine +
         ": Control constant OUTINT not specified@Default is TIMEND - TIMEO, see User Manual description of " +
         routine + " for a list of control constants";
}

const OutintRow kOutintRows[] = {
    {"FLTNTS", kFltnts, wall, 3.0, 2, outint_default("FLTNTS")},
    {"FLTNTF", kFltntf, wall, 3.0, 2, outint_default("FLTNTF")},
    {"FLTMTS", kFltmts, wall, 3.0, 2, outint_default("FLTMTS")},
    {"FGENFI", kFgenfi, pipe_alone, 10.0, 6,
     "FGENFI: Control constant outint not specified@Default is timend - TIMEO; see User Manual description of "
     "Fgenfi for a list of control constants"},
};

INSTANTIATE_TEST_SUITE_P(FluidRoutines, UndefinedOutint, ::testing::ValuesIn(kOutintRows), row_name<OutintRow>);

// ---------------------------------------------------------------------------
// The constants of node kinds the model lacks are not required: without
// fluid nodes RELXMA and FRLXCA (not so for FLTMTS), without thermal nodes
// RELXCA. The run completes.

struct NotRequiredRow {
  const char* name;
  Solver solver;
  void (*model)(FluidContract&);
  void (*set)();  // the constants left undefined
  bool quiet;     // the listing stays empty
};

using NotRequired = Contract<NotRequiredRow>;

TEST_P(NotRequired, RunCompletes) {
  const NotRequiredRow& row = GetParam();
  row.model(*this);
  controls(row.solver);
  row.set();
  row.solver.run();
  EXPECT_EQ(GLOR.TIMEO, GLOR.TIMEND);
  if (row.quiet) {
    EXPECT_EQ(listing(), "");
  }
}

void no_fluid_constants() {
  undefined_relxma();
  undefined_frlxca();
}

const NotRequiredRow kNotRequiredRows[] = {
    {"FLTNTS_without_fluid_nodes", kFltnts, wall, no_fluid_constants, true},
    {"FLTNTS_without_any_node", kFltnts, empty,
     [] {
       undefined_relxca();
       undefined_relxma();
     },
     true},
    {"FLTNTF_without_fluid_nodes", kFltntf, wall, no_fluid_constants, true},
    {"FGENFI_without_thermal_nodes", kFgenfi, pipe_alone, undefined_relxca, false},
};

INSTANTIATE_TEST_SUITE_P(FluidRoutines, NotRequired, ::testing::ValuesIn(kNotRequiredRows),
                         row_name<NotRequiredRow>);

}  // namespace
}  // namespace fluid_test
