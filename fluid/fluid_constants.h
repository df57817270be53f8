// Numeric constants of the fluid-loop solution. Unless marked double, a
// constant is the single-precision value widened to double, as every literal
// of the solver is.
#pragma once

// Magnitude below which a quantity counts as zero.
inline constexpr double kFlTiny = static_cast<double>(1.0e-37f);
// Start of running minima.
inline constexpr double kFlHuge = 1.0e38;
// Pi of the flow area computed from the hydraulic diameter (the double
// nearest 3.1415927, not full-precision pi).
inline constexpr double kFlPi = 3.1415927;
// Ratio of the molar masses of water and dry air (double).
inline constexpr double kFlWaterAirRatio = 0.6221;
// Levels of the fluid temperature history when TIMELA is "YES".
inline constexpr int kFlHistoryLevels = 100;
