#include "modeldata/interpolation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/small_model.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace {

// A real whose first 32-bit word holds the undefined marker.
double undefined_real() {
  double d = 0.0;
  const std::int32_t w = kUndefined;
  std::memcpy(&d, &w, sizeof w);
  return d;
}

// One diagnostic box as the listing shows it.
using Msg = tna_test::Box;

// The user arrays of a test model, built up array by array and then put
// into the global arrays in one allocation.
struct ArrayModel {
  std::vector<int> info, ptrs, ints;
  std::vector<double> reals;

  // A real array with the given type, dimensions and stored values.
  int add_real(int type, const std::vector<int>& dims, const std::vector<double>& values) {
    ptrs.push_back(static_cast<int>(info.size()) + 1);
    info.push_back(type);
    info.push_back(static_cast<int>(values.size()));
    info.push_back(static_cast<int>(reals.size()) + 1);
    info.push_back(static_cast<int>(dims.size()));
    for (int d : dims) info.push_back(d);
    reals.insert(reals.end(), values.begin(), values.end());
    return static_cast<int>(ptrs.size());
  }
  // A 2 x N array of (x, y) points.
  int add_points(const std::vector<double>& xy) { return add_real(2, {2, static_cast<int>(xy.size() / 2)}, xy); }
  // A table of nvars variables: structure s (s[0] is word 1) and reals r.
  int add_table(int nvars, const std::vector<int>& s, const std::vector<double>& r) {
    ptrs.push_back(static_cast<int>(info.size()) + 1);
    info.insert(info.end(), {4, static_cast<int>(s.size()), static_cast<int>(ints.size()) + 1,
                             static_cast<int>(r.size()), static_cast<int>(reals.size()) + 1, nvars});
    ints.insert(ints.end(), s.begin(), s.end());
    reals.insert(reals.end(), r.begin(), r.end());
    return static_cast<int>(ptrs.size());
  }
  void install() {
    gar_deallocate_all();
    FLAGS = FlagsRecord{};
    tna_test::ArraySizes c;
    c.larrinfo = static_cast<int>(info.size());
    c.mdrows = 18;
    c.narrays = static_cast<int>(ptrs.size());
    c.nintel = static_cast<int>(ints.size());
    c.nrealel = static_cast<int>(reals.size());
    c.allocate();
    FLAGS(18) = c.larrinfo;
    FLAGS(19) = c.narrays;
    for (std::size_t i = 0; i < info.size(); ++i) gar_arrayinfolist(i + 1) = info[i];
    for (std::size_t i = 0; i < ptrs.size(); ++i) gar_arrayinfopointers(i + 1) = ptrs[i];
    for (std::size_t i = 0; i < ints.size(); ++i) gar_arrayvaluesint(i + 1) = ints[i];
    for (std::size_t i = 0; i < reals.size(); ++i) gar_arrayvaluesreal(i + 1) = reals[i];
  }
};

// Each case runs with the listing on a scratch file, so the diagnostic
// boxes can be read back; a fatal message throws ProcessExit.
class Interp : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    GLOI = GloiRecord{};
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
  void TearDown() override {
    plat::io::close_unit(6);
    plat::set_exit_throws(false);
    FLAGS = FlagsRecord{};
  }

  // The boxes printed since the last call.
  std::vector<Msg> messages() { return tna_test::boxes_of(tna_test::take_listing(dir_)); }

  // Exit status of a call that must end the run (-1 when it returns).
  template <class F>
  static int exit_status(F f) {
    try {
      f();
    } catch (const plat::ProcessExit& e) {
      return e.status;
    }
    return -1;
  }

  tna_test::ScratchDir dir_{"interp"};
};

const Msg kLs1Below{"WARNING", "Value out of range of data", "LS1INT", 1};
const Msg kLs1Beyond{"WARNING", "Value out of range of data", "LS1INT", 3};

// The three points (0, 0), (1, 10), (2, 40) lie on y = 10 x^2.
TEST_F(Interp, ThreePointArrayAtOrdersZeroOneTwo) {
  ArrayModel am;
  const int a = am.add_points({0, 0, 1, 10, 2, 40});
  am.install();
  const Msg range{"WARNING", "Value out of range of data", "INTRP1", 5};
  const Msg order{"WARNING", "Bad order for interpolation", "INTRP1", 4};
  struct Case {
    int order;
    double x, y;
    std::vector<Msg> msgs;
  };
  const std::vector<Case> cases = {
      // Linear: inside, on the points, and the end values outside.
      {1, 0.5, 5.0, {}},
      {1, 1.0, 10.0, {}},
      {1, 1.75, 32.5, {}},
      {1, 0.0, 0.0, {}},
      {1, 2.0, 40.0, {}},
      {1, -1.0, 0.0, {kLs1Below}},
      {1, 3.0, 40.0, {kLs1Beyond}},
      // Parabola through the three points.
      {2, 0.5, 2.5, {}},
      {2, 1.5, 22.5, {}},
      {2, 2.0, 40.0, {}},
      {2, -1.0, 0.0, {range}},
      {2, 3.0, 40.0, {range}},
      // More points asked for than there are: all three, with the warning.
      {5, 0.5, 2.5, {order}},
      {-1, 1.5, 10.0, {order}},
      // The point at or below x.
      {0, 1.5, 10.0, {}},
      {0, 0.5, 0.0, {}},
      {0, 1.0, 10.0, {}},
      {0, 2.0, 40.0, {}},
      {0, 3.0, 40.0, {range}},
      {0, -0.5, 0.0, {range}},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(INTRP1(c.x, a, c.order), c.y) << "order " << c.order << " x " << c.x;
    EXPECT_EQ(messages(), c.msgs) << "order " << c.order << " x " << c.x;
  }
}

TEST_F(Interp, LinearAndLagrangeAgreeOnManyPoints) {
  // A straight line through 200 uneven points: every order gives the line.
  std::vector<double> xy;
  double x = -3.0;
  for (int i = 0; i < 200; ++i) {
    xy.push_back(x);
    xy.push_back(2.0 * x - 7.0);
    x += 0.25 + 0.01 * (i % 7);
  }
  ArrayModel am;
  const int a = am.add_points(xy);
  am.install();
  for (double t = -2.9; t < x - 1.0; t += 1.37) {
    for (int order : {0, 1, 2, 3, 4, 9}) {
      const double y = INTRP1(t, a, order);
      if (order == 0) {
        EXPECT_LE(y, 2.0 * t - 7.0 + 1e-12);
      } else {
        EXPECT_NEAR(y, 2.0 * t - 7.0, 1e-9) << t << " " << order;
      }
    }
  }
  EXPECT_TRUE(messages().empty());
}

TEST_F(Interp, UndefinedAbscissaeEndTheData) {
  // 2 x 5 array whose last two abscissae are undefined room.
  const double u = undefined_real();
  ArrayModel am;
  const int a = am.add_points({0, 0, 1, 10, 2, 40, u, 999, u, 999});
  const int bad = am.add_points({u, 1, u, 2});
  am.install();
  EXPECT_DOUBLE_EQ(INTRP1(5.0, a, 1), 40.0);
  EXPECT_EQ(messages(), std::vector<Msg>{kLs1Beyond});
  EXPECT_DOUBLE_EQ(INTRP1(1.5, a, 1), 25.0);
  // The other orders use only the defined points, whatever x.
  EXPECT_DOUBLE_EQ(INTRP1(1.5, a, 2), 22.5);
  EXPECT_DOUBLE_EQ(INTRP1(1.5, a, 4), 22.5);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"WARNING", "Bad order for interpolation", "INTRP1", 4}}));
  EXPECT_DOUBLE_EQ(INTRP1(5.0, a, 2), 40.0);
  EXPECT_DOUBLE_EQ(INTRP1(2.0, a, 0), 40.0);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"WARNING", "Value out of range of data", "INTRP1", 5}}));
  // No defined point at all: the linear interpolator gives y1 and the warning ...
  EXPECT_DOUBLE_EQ(INTRP1(0.0, bad, 1), 1.0);
  EXPECT_EQ(messages(), std::vector<Msg>{kLs1Below});
  // ... the point selection ends the run.
  EXPECT_EQ(exit_status([&] { INTRP1(0.0, bad, 2); }), 1);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"FATAL ERROR", "Undefined independent variables", "INTRP1", 9}}));
}

TEST_F(Interp, CoincidentAbscissaeInTheWindow) {
  ArrayModel am;
  const int pts = am.add_points({0, 0, 1, 10, 1, 20});
  // One-variable table S = (-, 1, 2, 3, 1, 4) with abscissae (0, 1, 1) and values (4, 10, 20).
  const int tab = am.add_table(1, {0, 1, 2, 3, 1, 4}, {0, 1, 1, 4, 10, 20});
  am.install();
  // Pairs: the coincident factors are left out and the sum completed:
  // 10 * 0.5 + 20 * 0.5.
  EXPECT_DOUBLE_EQ(INTRP1(0.5, pts, 2), 15.0);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"FAILURE", "Division by zero", "INTRP1", 6}}));
  // Lists: the sum stops at the pair, after the first term 4 * 0.5 * 0.5.
  EXPECT_DOUBLE_EQ(INTRP1(0.5, tab, 2), 1.0);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"FAILURE", "Division by zero", "LSINT1", 6}}));
  // A step: the linear interpolator keeps the value below the jump.
  EXPECT_DOUBLE_EQ(INTRP1(1.0, pts, 1), 10.0);
  EXPECT_TRUE(messages().empty());
}

TEST_F(Interp, CyclicWrapsByItsPeriod) {
  ArrayModel am;
  const int line = am.add_points({0, 0, 10, 100});
  // Declared 2 x 2 with a third point stored beyond the declaration.
  const int declared = am.add_real(2, {2, 2}, {0, 0, 10, 100, 20, 0});
  am.install();
  struct Case {
    double x, offset, y;
  };
  for (const Case& c :
       std::vector<Case>{{23, 0, 30}, {-3, 0, 70}, {10, 0, 0}, {-20, 0, 0}, {1, 25, 60}, {4, -5, 90}})
    EXPECT_NEAR(INTCY1(c.x, line, 1, 10.0, c.offset), c.y, 1e-12) << c.x << " " << c.offset;
  EXPECT_DOUBLE_EQ(INTCY1(-3.0, line, 0, 10.0, 0.0), 0.0);  // 7 lies between the points: the one below
  EXPECT_TRUE(messages().empty());
  // INTRP1 counts the stored points, INTCY1 the declared ones.
  EXPECT_DOUBLE_EQ(INTRP1(15.0, declared, 1), 50.0);
  EXPECT_DOUBLE_EQ(INTCY1(15.0, declared, 1, 100.0, 0.0), 100.0);
  EXPECT_EQ(messages(), std::vector<Msg>{kLs1Beyond});
  EXPECT_DOUBLE_EQ(INTCY1(15.0, declared, 0, 100.0, 0.0), 100.0);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"WARNING", "Value out of range of data", "INTCY1", 5}}));
  // A period of zero folds nothing.
  EXPECT_DOUBLE_EQ(INTCY1(5.0, line, 1, 0.0, 0.0), 50.0);
}

TEST_F(Interp, OneVariableTable) {
  ArrayModel am;
  const int tab = am.add_table(1, {0, 1, 2, 3, 1, 4}, {0, 1, 2, 0, 10, 40});
  am.install();
  EXPECT_DOUBLE_EQ(INTRP1(0.5, tab, 1), 5.0);
  EXPECT_DOUBLE_EQ(INTRP1(0.5, tab, 2), 2.5);
  EXPECT_DOUBLE_EQ(INTRP1(1.5, tab, 0), 10.0);
  EXPECT_TRUE(messages().empty());
  EXPECT_DOUBLE_EQ(INTRP1(7.0, tab, 1), 40.0);
  EXPECT_DOUBLE_EQ(INTRP1(0.5, tab, 6), 2.5);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"WARNING", "Value out of range of data", "LSINT1", 4},
                                          {"WARNING", "Bad order for interpolation", "LSINT1", 3}}));
}

// z = x1^2 x2 + x2^2 + 1 on the grid (0, 1, 2) x (0, 1, 2): biquadratic, so
// order 2 reproduces it everywhere inside.
double biquad(double x1, double x2) { return x1 * x1 * x2 + x2 * x2 + 1.0; }

std::vector<double> shared_grid_reals(const std::vector<double>& a, const std::vector<double>& b,
                                      double (*f)(double, double)) {
  std::vector<double> r = a;
  r.insert(r.end(), b.begin(), b.end());
  for (double ai : a)
    for (double bj : b) r.push_back(f(ai, bj));
  return r;
}

TEST_F(Interp, TwoVariableTables) {
  ArrayModel am;
  // The example of two variables on a shared grid: points a1, a2 and b1..b3.
  const std::vector<double> a2pts = {0.0, 1.0}, b3pts = {0.0, 1.0, 2.0};
  auto plane = [](double x1, double x2) { return 3.0 * x1 + 5.0 * x2 + 1.0; };
  std::vector<double> r = {0.0, 1.0, 0.0, 1.0, 2.0};
  for (double ai : a2pts)
    for (double bj : b3pts) r.push_back(plane(ai, bj));
  const int example = am.add_table(2, {0, 1, 2, 2, 2, 1, -3, 3, 6}, r);
  // The same with the variable order swapped: the first argument feeds variable 2.
  const int swapped = am.add_table(2, {0, 2, 1, 2, 2, 1, -3, 3, 6}, r);
  // A 3 x 3 shared grid of a biquadratic.
  const std::vector<double> g = {0.0, 1.0, 2.0};
  const int grid = am.add_table(2, {0, 1, 2, 2, 3, 1, -3, 4, 7}, shared_grid_reals(g, g, biquad));
  // One grid per row: row 1 has points (0, 1), row 2 (0, 1, 2); z = 2 x1 + 3 x2.
  const int rows = am.add_table(2, {0, 1, 2, 2, 2, 1, 2, 3, 5, 3, 7, 10},
                                {0, 1, /*row 1*/ 0, 1, 0, 3, /*row 2*/ 0, 1, 2, 2, 5, 8});
  am.install();

  EXPECT_DOUBLE_EQ(INTRP2(0.0, 1.0, example, 1), r[5 + 1]);  // (a1, b2) gives z12
  EXPECT_DOUBLE_EQ(INTRP2(1.0, 2.0, example, 1), r[5 + 5]);  // z23
  EXPECT_DOUBLE_EQ(INTRP2(0.5, 1.5, example, 1), plane(0.5, 1.5));
  EXPECT_DOUBLE_EQ(INTRP2(1.5, 0.5, swapped, 1), plane(0.5, 1.5));
  EXPECT_NEAR(INTRP2(0.5, 1.5, grid, 2), biquad(0.5, 1.5), 1e-12);
  EXPECT_NEAR(INTRP2(1.25, 0.75, grid, 2), biquad(1.25, 0.75), 1e-12);
  EXPECT_DOUBLE_EQ(INTRP2(0.5, 0.5, rows, 1), 2.5);
  EXPECT_DOUBLE_EQ(INTRP2(1.0, 0.5, rows, 1), 3.5);
  EXPECT_TRUE(messages().empty());

  // Orders outside 0..2 are brought back with a warning.
  EXPECT_NEAR(INTRP2(0.5, 1.5, grid, 3), biquad(0.5, 1.5), 1e-12);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"WARNING", "Bad order for interpolation", "INTRP2", 2}}));
  EXPECT_DOUBLE_EQ(INTRP2(1.5, 1.5, grid, -2), biquad(1.0, 1.0));
  EXPECT_EQ(messages(), (std::vector<Msg>{{"WARNING", "Bad order for interpolation", "INTRP2", 1}}));
  // Outside the grid: end values, never extrapolated.
  EXPECT_DOUBLE_EQ(INTRP2(5.0, -1.0, grid, 1), biquad(2.0, 0.0));
  const std::vector<Msg> out = messages();
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.front(), (Msg{"WARNING", "Value out of range of data", "LSINT2", 3}));
  EXPECT_EQ(out.back(), (Msg{"WARNING", "Value out of range of data", "LSINT1", 4}));
}

TEST_F(Interp, ArrayKindMismatches) {
  ArrayModel am;
  const int pts = am.add_points({0, 0, 1, 10});
  const int flat = am.add_real(2, {4}, {0, 0, 1, 10});
  const int tall = am.add_real(2, {3, 2}, {0, 0, 1, 1, 2, 2});
  const int ints = am.add_real(1, {2, 2}, {0, 0, 1, 10});
  const int tab1 = am.add_table(1, {0, 1, 2, 3, 1, 4}, {0, 1, 2, 0, 10, 40});
  const int tab2 = am.add_table(2, {0, 1, 2, 2, 2, 1, -3, 3, 6}, {0, 1, 0, 1, 2, 1, 2, 3, 4, 5, 6});
  am.install();
  struct Case {
    const char* what;
    double (*call)(int);
    int array;
    std::vector<Msg> msgs;
  };
  auto i1 = [](int a) { return INTRP1(0.5, a, 1); };
  auto c1 = [](int a) { return INTCY1(0.5, a, 1, 10.0, 0.0); };
  auto i2 = [](int a) { return INTRP2(0.5, 0.5, a, 1); };
  const std::vector<Case> cases = {
      {"INTRP1 1-D", i1, flat, {{"FAILURE", "Wrong number of dimensions", "INTRP1", 2}}},
      {"INTRP1 3 x 2", i1, tall, {{"FAILURE", "Wrong dimensions", "INTRP1", 3}}},
      {"INTRP1 table of 2", i1, tab2, {{"FAILURE", "Wrong number of dimensions", "INTRP1", 7}}},
      {"INTRP1 integer", i1, ints, {{"FAILURE", "Wrong arithmetic type", "INTRP1", 8}}},
      {"INTCY1 1-D", c1, flat, {{"FAILURE", "Wrong number of dimensions", "INTCY1", 2}}},
      {"INTCY1 table of 2", c1, tab2, {{"FAILURE", "Wrong number of dimensions", "INTCY1", 7}}},
      {"INTRP2 points", i2, pts, {{"FAILURE", "Wrong arithmetic type", "INTRP2", 4}}},
      {"INTRP2 table of 1", i2, tab1, {{"FAILURE", "Wrong number of dimensions", "INTRP2", 5}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.call(c.array), 0.0) << c.what;
    EXPECT_EQ(messages(), c.msgs) << c.what;
  }
  // A type INTRP2 cannot read at all: the descriptor check fails, then the run ends.
  EXPECT_EQ(exit_status([&] { INTRP2(0.5, 0.5, ints, 1); }), 1);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"FAILURE", "Wrong arithmetic type", "ATYPR", 1},
                                          {"FATAL ERROR", "Failed in FETCH routine", "INTRP2", 3}}));
}

TEST_F(Interp, VariableOrderOfTwoVariableTables) {
  // The example table of two variables with its variable order S(2), S(3)
  // replaced. An order that names one variable twice has the wrong sum: the
  // walk reports it as a wrong table entry (check 7). An order naming a
  // variable the table does not have cannot place the arguments at all.
  const std::vector<double> r = {0, 1, 0, 1, 2, 1, 2, 3, 4, 5, 6};
  struct Case {
    int v1, v2;
    Msg msg;
  };
  const Msg sum{"FATAL ERROR", "Wrong entry in table", "LADTAB", 7};
  const Msg fetch{"FATAL ERROR", "Failed in FETCH routine", "INTRP2", 3};
  const std::vector<Case> cases = {{1, 1, sum}, {2, 2, sum}, {0, 3, fetch}, {3, 0, fetch}, {-1, 4, fetch}};
  for (const Case& c : cases) {
    ArrayModel am;
    const int a = am.add_table(2, {0, c.v1, c.v2, 2, 2, 1, -3, 3, 6}, r);
    am.install();
    EXPECT_EQ(exit_status([&] { INTRP2(0.5, 0.5, a, 1); }), 1) << c.v1 << " " << c.v2;
    EXPECT_EQ(messages(), std::vector<Msg>{c.msg}) << c.v1 << " " << c.v2;
  }
}

TEST_F(Interp, InvalidArraysEndTheRun) {
  ArrayModel am;
  am.add_points({0, 0, 1, 10});
  const int oversized = am.add_real(2, {2, 5}, {0, 0, 1, 10});
  am.install();
  const Msg invalid{"FATAL ERROR", "Invalid array", "APARS", 1};
  const Msg size{"FATAL ERROR", "Invalid array size", "APARS", 2};
  struct Case {
    int array;
    Msg msg;
  };
  for (const Case& c : std::vector<Case>{{0, invalid}, {-4, invalid}, {3, invalid}, {oversized, size}}) {
    EXPECT_EQ(exit_status([&] { INTRP1(0.5, c.array, 1); }), 1) << c.array;
    EXPECT_EQ(messages(), std::vector<Msg>{c.msg}) << c.array;
    EXPECT_EQ(exit_status([&] { INTRP2(0.5, 0.5, c.array, 1); }), 1) << c.array;
    EXPECT_EQ(messages(), std::vector<Msg>{c.msg}) << c.array;
  }
  // The descriptor reader itself reports the invalid number with status 402.
  int ipos = 0, rpos = 0, ndim = 0, nv = 0, cnt = 0, type = 0, status = 0;
  int dims[kIntpMaxDims];
  EXPECT_EQ(
      exit_status([&] { APARS(7, ipos, rpos, ndim, plat::Vec1<int>(dims, kIntpMaxDims), nv, cnt, type, status); }),
      1);
  EXPECT_EQ(status, kIntpInvalidArray);
}

TEST_F(Interp, DescriptorOfRealArrayAndTable) {
  ArrayModel am;
  am.add_points({9, 9});
  const int a = am.add_real(2, {2, 3}, {0, 0, 1, 10, 2, 40, 0});
  const int t = am.add_table(1, {0, 1, 2, 3, 1, 4}, {0, 1, 2, 0, 10, 40});
  const int single = am.add_real(2, {}, {42});
  am.install();
  int ipos = -1, rpos = 0, ndim = 0, nv = 0, cnt = 0, type = 0, status = -1;
  int dims[kIntpMaxDims] = {};
  plat::Vec1<int> d(dims, kIntpMaxDims);
  APARS(a, ipos, rpos, ndim, d, nv, cnt, type, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ((std::vector<int>{ipos, rpos, ndim, dims[0], dims[1], nv, cnt, type}),
            (std::vector<int>{0, 3, 2, 2, 3, 7, 6, 2}));
  ATYPR(t, ipos, rpos, ndim, d, nv, cnt, type, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ((std::vector<int>{ipos, rpos, ndim, nv, cnt, type}), (std::vector<int>{1, 10, 1, 6, 6, 4}));
  APARS(single, ipos, rpos, ndim, d, nv, cnt, type, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ndim, 0);
  EXPECT_EQ(cnt, 1);
  EXPECT_TRUE(messages().empty());
}

// The walk over the example structure of two variables on a shared grid.
TEST_F(Interp, TableWalk) {
  const int s_ok[] = {0, 1, 2, 2, 2, 1, -3, 3, 6};
  const plat::Vec1<const int> s(s_ok, 9);
  struct Case {
    std::vector<int> sel;
    int pos, count, status;
  };
  // clang-format off
  const std::vector<Case> good = {
      {{0, 0}, 1, 2, 0},  // abscissae of variable 1
      {{1, 0}, 3, 3, 0},  // abscissae of variable 2 (shared)
      {{2, 0}, 3, 3, 0},
      {{1, 1}, 6, -3, 0},  // row 1 of the values
      {{2, 1}, 9, -3, 0},  // row 2
      {{2, 2}, 10, -3, 0},
  };
  // clang-format on
  for (const Case& c : good) {
    int pos = 0, count = 0, status = -1;
    LADTAB(s, 2, plat::Vec1<const int>(c.sel.data(), 2), 9, 11, pos, count, status);
    EXPECT_EQ((std::vector<int>{pos, count, status}), (std::vector<int>{c.pos, c.count, c.status}))
        << c.sel[0] << "," << c.sel[1];
  }
  EXPECT_TRUE(messages().empty());

  // Failures of severity 3 come back as a status.
  int pos = 0, count = 0, status = 0;
  const int out_of_order[] = {0, 1};
  LADTAB(s, 2, plat::Vec1<const int>(out_of_order, 2), 9, 11, pos, count, status);
  EXPECT_EQ(status, kIntpOutOfOrder);
  const int too_far[] = {3, 0};
  LADTAB(s, 2, plat::Vec1<const int>(too_far, 2), 9, 11, pos, count, status);
  EXPECT_EQ(status, kIntpImpossible);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"FAILURE", "Table parameters out of order", "LADTAB", 1},
                                          {"FAILURE", "Impossible value", "LADTAB", 3}}));

  // Broken structures are fatal, with the number of the check as code.
  struct Bad {
    const char* what;
    std::vector<int> s;
    std::vector<int> sel;
    int nreals, code;
  };
  const std::vector<Bad> bad = {
      {"zero count", {0, 1, 2, 2, 0, 1, -3, 3, 6}, {0, 0}, 11, 2},
      {"zero last count", {0, 1, 2, 2, 2, 1, 2, 3, 6, 0, 3, 6}, {2, -1}, 11, 4},
      {"zero grid mark", {0, 1, 2, 2, 2, 1, 0, 3, 6}, {1, 0}, 11, 5},
      {"root past the structure", {0, 1, 2, 40, 2, 1, -3, 3, 6}, {0, 0}, 11, 6},
      {"root before the structure", {0, 1, 2, -9, 2, 1, -3, 3, 6}, {0, 0}, 11, 6},
      {"offset word past the end", {0, 1, 2, 5, 2, 1, -3, 3, 6}, {1, 1}, 11, 6},
      {"no reals", {0, 1, 2, 2, 2, 1, -3, 3, 6}, {0, 0}, 0, 6},
      {"variable order sum", {0, 1, 1, 2, 2, 1, -3, 3, 6}, {0, 0}, 11, 7},
      {"position past the reals", {0, 1, 2, 2, 2, 1, -3, 3, 60}, {2, 1}, 11, 8},
  };
  for (const Bad& b : bad) {
    int p = 0, n = 0, st = 0;
    EXPECT_EQ(exit_status([&] {
                const int len = static_cast<int>(b.s.size());
                LADTAB(plat::Vec1<const int>(b.s.data(), len), 2, plat::Vec1<const int>(b.sel.data(), 2), len,
                       b.nreals, p, n, st);
              }),
              1)
        << b.what;
    EXPECT_EQ(st, kIntpWrongEntry) << b.what;
    EXPECT_EQ(messages(), (std::vector<Msg>{{"FATAL ERROR", "Wrong entry in table", "LADTAB", b.code}})) << b.what;
  }
}

TEST_F(Interp, TableFetchFailuresAreFatal) {
  ArrayModel am;
  // A selection beyond the first variable's points makes the walk fail.
  const std::vector<int> s = {0, 1, 2, 2, 2, 1, -3, 3, 6};
  const std::vector<double> r = {0, 1, 0, 1, 2, 1, 2, 3, 4, 5, 6};
  // The abscissa list runs past the table's reals.
  const int runs_off = am.add_table(1, {0, 1, 2, 9, 1, 4}, {0, 1, 2, 0, 10, 40});
  am.install();
  double v = 0.0;
  int st = 0;
  EXPECT_EQ(exit_status([&] { LSINT1(1, plat::Vec1<const int>(s.data(), 9), 2, 1, 0, 3, 9, 11, 0.5, v, st); }), 1);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"FAILURE", "Impossible value", "LADTAB", 3},
                                          {"FATAL ERROR", "Failed in FETCH routine", "LSINT1", 2}}));
  EXPECT_EQ(exit_status([&] { INTRP1(0.5, runs_off, 1); }), 1);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"FATAL ERROR", "Failed in FETCH routine", "LSINT1", 2}}));
  // More than three variables cannot be read one variable per call.
  st = 0;
  LSINT1(1, plat::Vec1<const int>(s.data(), 9), 4, 1, 0, 0, 9, 11, 0.5, v, st);
  EXPECT_EQ(st, kIntpWrongDims);
  EXPECT_EQ(messages(), (std::vector<Msg>{{"FAILURE", "Wrong  number of dimensions", "LSINT1", 1}}));
}

TEST_F(Interp, PointSelectionWindows) {
  // Abscissae 0..9: windows of m points around x.
  double xs[10];
  for (int i = 0; i < 10; ++i) xs[i] = i;
  const plat::Vec1<const double> v(xs, 10);
  struct Case {
    int order;
    double x;
    int first, npts, status;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {1, 4.5, 5, 2, 0},   {2, 4.4, 4, 3, 0},  {2, 4.6, 5, 3, 0},  {2, 4.5, 4, 3, 0},  // ties move down
      {3, 4.5, 4, 4, 0},   {2, 0.2, 1, 3, 0},  {2, 8.8, 8, 3, 0},  {9, 4.5, 1, 10, 0},
      {12, 4.5, 1, 10, 1}, {-1, 4.5, 5, 1, 1}, {0, 9.0, 10, 1, 0}, {2, -1.0, 1, 1, 2},
      {2, 9.5, 10, 1, 2},
  };
  // clang-format on
  for (const Case& c : cases) {
    int first = 0, npts = 0, status = -1;
    LSPNT1(v, 10, c.order, c.x, first, npts, status);
    EXPECT_EQ((std::vector<int>{first, npts, status}), (std::vector<int>{c.first, c.npts, c.status}))
        << c.order << " " << c.x;
  }
}

// Random structures and descriptors: every call ends in a value, a message
// or the fatal end of the run, never in a read outside the arrays (the
// arrays are bounds-checked in this build).
TEST_F(Interp, DamagedArraysNeverReadOutside) {
  std::mt19937 rng(20240611);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const double u = undefined_real();
  for (int iter = 0; iter < 3000; ++iter) {
    ArrayModel am;
    std::vector<int> st(static_cast<std::size_t>(pick(0, 14)));
    for (int& w : st) w = pick(-4, 14);
    std::vector<double> r(static_cast<std::size_t>(pick(0, 12)));
    for (double& v : r) v = pick(0, 5) == 0 ? u : pick(-3, 9) * 0.5;
    const int tab = am.add_table(pick(0, 4), st, r);
    std::vector<double> xy(static_cast<std::size_t>(pick(0, 10)));
    for (double& v : xy) v = pick(0, 6) == 0 ? u : pick(-3, 9) * 0.5;
    const int pts = am.add_real(pick(1, 5) == 1 ? 4 : 2, {pick(1, 3), pick(0, 6)}, xy);
    am.install();
    const double x = pick(-4, 12) * 0.5, y = pick(-4, 12) * 0.5;
    const int order = pick(-1, 4);
    for (int which = 0; which < 5; ++which) {
      try {
        switch (which) {
          case 0: (void)INTRP1(x, tab, order); break;
          case 1: (void)INTRP2(x, y, tab, order); break;
          case 2: (void)INTRP1(x, pts, order); break;
          case 3: (void)INTCY1(x, pts, order, 2.5, y); break;
          default: (void)INTRP2(x, y, pts, order); break;
        }
      } catch (const plat::ProcessExit& e) {
        EXPECT_EQ(e.status, 1);
      }
    }
    if (iter % 100 == 0) (void)messages();  // keep the listing small
  }
}

}  // namespace
