// Numbers, real and integer expressions, and the conductor list appliers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/char_pool.h"
#include "param_fixture.h"
#include "parameters/case_values.h"

namespace params_test {
namespace {

using ValuesTest = ParamsTest;

struct RealCase {
  std::string text;
  double value;
};

TEST_F(ValuesTest, RealExpressionsFollowPrecedenceAndBrackets) {
  // clang-format off
  const RealCase cases[] = {
      {"1+2*3", 7},       {"10-2-3", 5},      {"8/2*2", 8},         {"2*3**2", 18},     {"2**3**2", 64},
      {"-2**2", -4},      {"2**(-1)", 0.5},   {"8/(-2)", -4},       {"-(2+3)*2", -10},
      // A minus after "*" or "/" belongs to the next operand.
      {"8/-2", -4},       {"2*-3", -6},       {"8/-2/2", -2},       {"-2*-3", 6},       {"2*--3", 6},
      {"1+8/-2", -3},     {"(1+2)*-3", -9},   {"8/-(1+1)", -4},     {"2*-3**2", -18},   {"2**3/-2", -4},
      {"3*4/-2*-1", 6},   {"1e2/-1e1", -10},
      {"1++2", 3},        {"1--2", 3},        {"(1+2", 3},          {"1+2)", 3},        {"1e3+1", 1001},
      {"1.5E-2*100", 1.5}, {"1d2", 100},      {"7/2", 3.5},         {" 1 + 2 * 3 ", 7}, {"+5", 5},
      {"-7", -7},         {"2.5e+1-5", 20},   {"1E-1*10", 1},       {"((2))", 2},       {"3*(1+1)*2", 12},
      {"0.001*2", 0.002}, {"-(-(3))", 3},     {"2**0.5", std::sqrt(2.0)},
      {"2**(1+1)+1", 5},  {"2**(3)*4", 32},   {"2**(1+1)**2", 16},  {"(2)**(3)-1", 7},
  };
  // clang-format on
  for (const auto& c : cases) {
    double v = -999;
    int status = -1;
    PARRGT(c.text, v, status);
    EXPECT_EQ(status, 0) << c.text;
    EXPECT_DOUBLE_EQ(v, c.value) << c.text;
  }
  // Division by zero gives the floating-point infinity, and so does zero to
  // a negative power; an infinity goes on through later operations.
  const double inf = std::numeric_limits<double>::infinity();
  const RealCase infinite[] = {{"1/0", inf},     {"-1/0", -inf}, {"1/-0", -inf},
                               {"0**(-1)", inf}, {"1/0*2", inf}, {"1/0+1e300*10", inf}};
  for (const auto& c : infinite) {
    double v = 0;
    int status = -1;
    PARRGT(c.text, v, status);
    EXPECT_EQ(status, 0) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

// A result that is no number, or an infinity that only overflow made, is
// refused: the expression has no value to assign.
TEST_F(ValuesTest, RealExpressionsWithoutAFiniteValueAreRefused) {
  for (const std::string text : {"0/0", "1E300*1E300", "-1E300*1E300", "1E308+1E308", "-1E308-1E308", "10**400",
                                 "(-8)**(1/3)", "1/0-1/0", "1/0*0", "(1/0)/(1/0)", "2*(1E300*1E300)/1/0"}) {
    double v = 7;
    int status = -1;
    const std::string out = printed([&] { PARRGT(text, v, status); });
    EXPECT_EQ(status, 2) << text;
    EXPECT_EQ(out, box("Unable to interpret expression@" + text, 3, 2, "PARRGT")) << text;
  }
  // Large but finite results are values.
  double v = 0;
  int status = -1;
  PARRGT("1E300*1E8", v, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(v, 1e308);
}

TEST_F(ValuesTest, IntegerExpressionsTruncate) {
  struct Case {
    std::string text;
    int value;
    // clang-format off
  } cases[] = {
      {"1+2*3", 7},   {"10-2-3", 5},     {"8/2*2", 8},   {"2*3**2", 18}, {"2**3**2", 64},    {"-2**2", -4},
      {"2**(-1)", 0}, {"2**(1+1)+1", 5}, {"2**(3)*4", 32}, {"8/(-2)", -4},    {"8/-2", -4},   {"-(2+3)*2", -10}, {"1++2", 3},     {"1--2", 3},
      {"(1+2", 3},    {"1+2)", 3},       {"7/2", 3},     {"-7/2", -3},   {"50+50", 100},     {"-7", -7},
      {"(-1)**(-3)", -1}, {"(-1)**(-2)", 1}, {"1**(-5)", 1}, {"3**(-1)", 0}, {"2*-3", -6}, {"8/-2/2", -2},
      {"7/-2", -3},   {"-7/-2", 3},
      // Computed in 64 bits: only the value of the whole expression must fit.
      {"2147483646+1-1", 2147483646}, {"65536*65536/65536", 65536}, {"-2**31", INT32_MIN},
      {"-2147483646-2", INT32_MIN}, {"2**62/2**40", 4194304}, {"(-1)**2147483646", 1}, {"1**2147483646", 1},
  };
  // clang-format on
  for (const auto& c : cases) {
    int v = -999, status = -1;
    PARIGT(c.text, v, status);
    EXPECT_EQ(status, 0) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST_F(ValuesTest, TwentyFactorsFitTheStacksAndTwentyOneDoNot) {
  std::string twenty = "1";
  for (int i = 1; i < 20; ++i) twenty += "*1";
  double v = 0;
  int status = -1;
  PARRGT(twenty + "*2", v, status);  // 21 operands pending: refused
  EXPECT_EQ(status, 2);
  PARRGT(twenty, v, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(v, 1.0);
  int iv = 0;
  PARIGT(twenty, iv, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(iv, 1);
  // Many unclosed brackets exceed the stacks as well.
  PARRGT(std::string(30, '(') + "1", v, status);
  EXPECT_EQ(status, 2);
}

TEST_F(ValuesTest, MalformedExpressionsGetTheirMessages) {
  struct Case {
    std::string text;
    int status;
    std::string message;
    std::string routine;
  } cases[] = {
      {"2**-1", 2, "Unable to interpret expression@2**-1", "PARRGT"},
      {"(2)(3)", 2, "Unable to interpret expression@(2)(3)", "PARRGT"},
      {"2(3)", 2, "Unable to interpret expression@2(3)", "PARRGT"},
      {"2 * / 3", 2, "Unable to interpret expression@2*/3", "PARRGT"},
      {"*2", 2, "Unable to interpret expression@*2", "PARRGT"},
      {"5+", 1, "Illegal expression - ends with an operator", "PARRGT"},
      {"4*(2+", 1, "Illegal expression - ends with an operator", "PARRGT"},
      {"-", 1, "Illegal expression - ends with an operator", "PARRGT"},
      {"1e+", 3, "Assigned value is not recognised as a real@1e", "PARRVL"},  // the sign at the end is an operator
      {"1,5", 2, "Assigned value is not recognised as a real@1,5", "PARRVL"},
      {"A+1", 3, "Assigned value is not recognised as a real@A", "PARRVL"},
      // No value at all, or the dummy operands of brackets left open.
      {"", 2, "Unable to interpret expression@", "PARRGT"},
      {")", 2, "Unable to interpret expression@)", "PARRGT"},
      {"((1+2", 2, "Unable to interpret expression@((1+2", "PARRGT"},
  };
  for (const auto& c : cases) {
    double v = 0;
    int status = -1;
    const std::string out = printed([&] { PARRGT(c.text, v, status); });
    EXPECT_EQ(status, c.status) << c.text;
    EXPECT_EQ(out, box(c.message, 3, c.status, c.routine)) << c.text;
  }
}

TEST_F(ValuesTest, MalformedIntegerExpressions) {
  struct Case {
    std::string text;
    int status;
    std::string message;
    std::string routine;
  } cases[] = {
      {"5+", 1, "Illegal expression - ends with an operator", "PARIGT"},
      {"2**-1", 2, "Unable to interpret expression@2**-1", "PARIGT"},
      {"1.5", 1, "Assigned value is not recognised as an integer@1.5", "PARIVL"},
      {"1 + 2", 1, "Assigned value is not recognised as an integer@ 2", "PARIVL"},  // blanks are not removed
      {"1e3", 1, "Assigned value is not recognised as an integer@1e3", "PARIVL"},
      {"99999999999", 1, "Assigned value is not recognised as an integer@99999999999", "PARIVL"},
      // The undefined marker is no value.
      {"2147483647", 1, "Assigned value is not recognised as an integer@2147483647", "PARIVL"},
      {"2147483647+1", 1, "Assigned value is not recognised as an integer@2147483647", "PARIVL"},
      // A value outside the 32-bit range, or the marker's value, is refused.
      {"2147483646+2", 2, "Unable to interpret expression@2147483646+2", "PARIGT"},
      {"2147483646+1", 2, "Unable to interpret expression@2147483646+1", "PARIGT"},
      {"65536*65536", 2, "Unable to interpret expression@65536*65536", "PARIGT"},
      {"2**31", 2, "Unable to interpret expression@2**31", "PARIGT"},
      {"-2**31-1", 2, "Unable to interpret expression@-2**31-1", "PARIGT"},
      {"3**40", 2, "Unable to interpret expression@3**40", "PARIGT"},
      {"2**63", 2, "Unable to interpret expression@2**63", "PARIGT"},
      {"2**64/2**40", 2, "Unable to interpret expression@2**64/2**40", "PARIGT"},
      {"65536*65536*65536*65536", 2, "Unable to interpret expression@65536*65536*65536*65536", "PARIGT"},
      {"-2**62*2/-1", 2, "Unable to interpret expression@-2**62*2/-1", "PARIGT"},
      {"-2**62*2*-1", 2, "Unable to interpret expression@-2**62*2*-1", "PARIGT"},
      // No value: division by zero and zero to a negative power.
      {"1/0", 2, "Unable to interpret expression@1/0", "PARIGT"},
      {"0**(-1)", 2, "Unable to interpret expression@0**(-1)", "PARIGT"},
  };
  for (const auto& c : cases) {
    int v = 0, status = -1;
    const std::string out = printed([&] { PARIGT(c.text, v, status); });
    EXPECT_EQ(status, c.status) << c.text;
    EXPECT_EQ(out, box(c.message, 3, c.status, c.routine)) << c.text;
  }
}

TEST_F(ValuesTest, SingleRealNumbers) {
  struct Case {
    std::string text;
    int status;
    double value;
    // clang-format off
  } cases[] = {
      {"1.5", 0, 1.5},   {"-2", 0, -2},    {"3E2", 0, 300},   {"3d-2", 0, 0.03}, {"  7.25  ", 0, 7.25},
      {"1+3", 0, 1000},  // a sign after the digits starts the exponent
      {"1,5", 2, 0},     {"1.2.3", 3, 0},  {"X", 3, 0},       {".5", 0, 0.5},    {"-5.", 0, -5},
      // No digit before the exponent: no number (F40.0 would read zero).
      {"", 3, 0},        {"   ", 3, 0},    {"+", 3, 0},       {"-", 3, 0},       {".", 3, 0},
      {"-.", 3, 0},      {"E5", 3, 0},     {"-E5", 3, 0},     {".D2", 3, 0},     {"+.e-1", 3, 0},
      {"1e400", 3, 0},   // overflows: refused
      {"Infinity", 3, 0}, {"NaN", 3, 0},
      {std::string(40, '1'), 0, 1.1111111111111111e39},
      {std::string(41, '1'), 1, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    double v = -1;
    int status = -1;
    PARRVL(c.text, v, status);
    EXPECT_EQ(status, c.status) << c.text;
    if (c.status == 0) {
      EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
  }
  double v = 0;
  int status = 0;
  EXPECT_EQ(printed([&] { PARRVL(std::string(41, '1'), v, status); }),
            box("Assigned value can be no longer than 40 characters", 3, 1, "PARRVL"));
  EXPECT_EQ(printed([&] { PARRVL("1.2.3", v, status); }),
            box("Assigned value is not recognised as a real@1.2.3", 3, 3, "PARRVL"));
}

TEST_F(ValuesTest, SingleIntegers) {
  struct Case {
    std::string text;
    int status;
    int value;
    // clang-format off
  } cases[] = {
      {"42", 0, 42}, {"007", 0, 7}, {"2147483646", 0, 2147483646}, {"2147483647", 1, 0}, {"2147483648", 1, 0},
      {"-7", 1, 0},
      {"+7", 1, 0},  {"", 1, 0},    {" 7", 1, 0},  {"7  ", 0, 7},  {"7a", 1, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    int v = -1, status = -1;
    PARIVL(c.text, v, status);
    EXPECT_EQ(status, c.status) << c.text;
    if (c.status == 0) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST_F(ValuesTest, StackStepsReportFailuresWithoutMessages) {
  double vals[kParStackDepth] = {};
  int ops[kParStackDepth] = {};
  int n = 0, status = 0;
  plat::Vec1<double> v(vals, kParStackDepth);
  plat::Vec1<int> o(ops, kParStackDepth);
  const std::string out = printed([&] {
    SDELMD(4, 1, v, o, n, status);  // "*" with nothing before it
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, "");
  SDELMD(9, 1, v, o, n, status);  // unknown code
  EXPECT_EQ(status, 1);
  // An unbalanced reduction meets a power code inside its run.
  vals[0] = 2;
  vals[1] = 3;
  ops[0] = 8;
  n = 2;
  SDLMD2(3, v, o, n, status);
  EXPECT_EQ(status, 1);
}

TEST_F(ValuesTest, ConductorValuesFollowTheUndefinedRule) {
  gar_linearconds(2) = 0.0;
  reinterpret_cast<int*>(&gar_linearconds(2))[0] = kUndefined;
  const int items[3] = {1, 2, 3};
  int status = -1;
  const std::string message =
      "Entity undefined - possibly defined with Mortran@Value may be overwritten by Mortran expression during "
      "solution.";
  // SCALE keeps the undefined element and refuses with status 2.
  std::string out =
      printed([&] { PARSTR(plat::Vec1<const int>(items, 3), 3, "SCALE", 2.0, gar_linearconds.view(), status); });
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out, box(message, 3, 2, "PARSTR"));
  EXPECT_EQ(gar_linearconds(1), 1.0);
  EXPECT_TRUE(SLUNDF(gar_linearconds(2)));
  EXPECT_EQ(gar_linearconds(3), 3.0);
  // CHANGE sets every element, warning with code 1.
  out =
      printed([&] { PARSTR(plat::Vec1<const int>(items, 3), 3, "CHANGE  ", 9.0, gar_linearconds.view(), status); });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, box(message, 3, 1, "PARSTR"));
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(gar_linearconds(k), 9.0);
  EXPECT_EQ(gar_linearconds(4), 2.0);
}

TEST_F(ValuesTest, ConductorTextsAreCutToTheElement) {
  const int items[2] = {2, 5};
  int status = -1;
  PARSTZ(plat::Vec1<const int>(items, 2), 2, "IGNORED", TextVec1(gar_linearcondacts), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(gar_linearcondacts(1).view(), "A");
  EXPECT_EQ(gar_linearcondacts(2).view(), "I");
  EXPECT_EQ(gar_linearcondacts(5).view(), "I");
}

}  // namespace
}  // namespace params_test
