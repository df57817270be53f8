// Fluid temperature history of the transport delay: GHIINI fills the ring
// of levels, SGTDEL looks a delayed value up.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "fluid/temperature_history.h"
#include "fluid_fixture.h"

namespace fluid_test {
namespace {

using HistoryTest = FluidTest;

TEST_F(HistoryTest, InitialisationStoresMixingTemperaturesAtTimeZero) {
  // Node 1: GL 1 W/K to a wall at 40 C and GL 3 W/K to one at 80 C; node 2
  // has no conductance and keeps its own temperature.
  tna_test::FluidModel fm = tna_test::chain(2);
  fm.link_spec(0).status = 'I';
  fm.thermal(10, 'B', 40.0).thermal(11, 'B', 80.0);
  fm.gl(1, 10, 1.0);
  fm.gl(1, 11, 3.0);
  fm.node(2).t = 33.0;
  build(fm);
  const int nlev = 4;
  std::vector<double> table(nlev * 3, -1.0);
  GHIINI(net, net.t, net.tf, nlev, FlReals(table.data(), static_cast<std::int64_t>(table.size())));
  const double tabs = GLOR.TABS;
  const double mix = (1.0 * (40.0 + tabs) + 3.0 * (80.0 + tabs)) / 4.0;
  for (int level = 0; level < nlev; ++level) {
    EXPECT_DOUBLE_EQ(table[3 * level + 0], mix) << level;
    EXPECT_DOUBLE_EQ(table[3 * level + 1], 33.0 + tabs) << level;
    EXPECT_EQ(table[3 * level + 2], 0.0) << level;
  }
}

// A ring of five levels for one node: level L holds (value, time).
std::vector<double> ring_of(const std::vector<std::pair<double, double>>& levels) {
  std::vector<double> t;
  for (const auto& [v, time] : levels) {
    t.push_back(v);
    t.push_back(time);
  }
  return t;
}

TEST(TemperatureHistory, DelayedValuesInterpolateBetweenLevels) {
  // Levels 1..5 written at times 0..4 with values 10..50, level 5 the
  // present.
  const std::vector<double> linear = ring_of({{10, 0}, {20, 1}, {30, 2}, {40, 3}, {50, 4}});
  // The same history after the ring wrapped: level 2 is the present.
  const std::vector<double> wrapped = ring_of({{40, 3}, {50, 4}, {10, 0}, {20, 1}, {30, 2}});
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    const std::vector<double>* table;
    int iptr;
    double delay;
    double tout;
    int iflag;
  };
  const Case cases[] = {
      {"halfway between two levels", &linear, 5, 2.5, 25.0, 0},
      {"halfway, last step", &linear, 5, 0.5, 45.0, 0},
      {"on a level time", &linear, 5, 1.0, 40.0, 0},
      {"near the oldest level", &linear, 5, 3.75, 12.5, 0},
      {"no delay", &linear, 5, 0.0, 50.0, 0},
      {"the oldest level's time is not below the target", &linear, 5, 4.0, 50.0, 5},
      {"just inside the history", &linear, 5, 3.999999, 10.00001, 0},
      {"before the start of the run", &linear, 5, 4.5, 50.0, 0},
      {"infinite delay", &linear, 5, inf, 50.0, 0},
      {"wrapped ring, halfway", &wrapped, 2, 2.5, 25.0, 0},
      {"wrapped ring, last step", &wrapped, 2, 0.5, 45.0, 0},
      {"wrapped ring, across the wrap", &wrapped, 2, 1.5, 35.0, 0},
      {"wrapped ring, history too short", &wrapped, 2, 4.0, 50.0, 5},
      {"pointer 0 counts as the last level", &linear, 0, 2.5, 25.0, 0},
      {"pointer 0, history too short", &linear, 0, 4.0, 50.0, 5},
  };
  for (const Case& c : cases) {
    int iflag = -1;
    double tout = -1.0;
    SGTDEL(c.iptr, 5, 4.0, 1, 1, c.delay, iflag, tout, FlCReals(c.table->data(), 10));
    EXPECT_NEAR(tout, c.tout, 1e-4) << c.what;
    EXPECT_EQ(iflag, c.iflag) << c.what;
  }
}

TEST(TemperatureHistory, LevelsOfEqualTimeGiveTheLaterValue) {
  // Right after the initialisation every level has time 0; a look-up at a
  // later time before the present level was written must not divide by 0.
  const std::vector<double> table = ring_of({{300, 0}, {300, 0}, {300, 0}});
  int iflag = -1;
  double tout = 0.0;
  SGTDEL(1, 3, 0.5, 1, 1, 0.2, iflag, tout, FlCReals(table.data(), 6));
  EXPECT_EQ(tout, 300.0);
  EXPECT_EQ(iflag, 0);
}

}  // namespace
}  // namespace fluid_test
