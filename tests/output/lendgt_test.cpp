#include "output/lendgt.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every power of ten and its neighbours, both signs: the digit count changes
// exactly at the powers, and the sign is never counted.
TEST(Lendgt, DigitsOfTheMagnitudeAtEveryPowerOfTen) {
  struct Case {
    int n, digits;
  };
  std::vector<Case> cases = {{0, 1}, {2147483647, 10}, {-2147483647 - 1, 10}};
  long long p = 1;
  for (int d = 1; d <= 9; ++d) {
    p *= 10;  // 10^d: the first value with d + 1 digits
    cases.push_back({static_cast<int>(p - 1), d});
    cases.push_back({static_cast<int>(p), d + 1});
    cases.push_back({static_cast<int>(-(p - 1)), d});
    cases.push_back({static_cast<int>(-p), d + 1});
  }
  for (const Case& c : cases) {
    EXPECT_EQ(LENDGT(c.n), c.digits) << c.n;
    // Agreement with the number as text, sign left out.
    const std::string s = std::to_string(c.n);
    EXPECT_EQ(LENDGT(c.n), static_cast<int>(s.size()) - (c.n < 0 ? 1 : 0)) << c.n;
  }
}

}  // namespace
