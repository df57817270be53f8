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
// Largest thermal node temperature the implicit updates accept.
inline constexpr double kFlTempLimit = static_cast<double>(1.0e10f);
// Increment of an arithmetic node with heat input and no conductor at all
// (large enough to trip the temperature limit).
inline constexpr double kFlNoConductorStep = static_cast<double>(1.0e20f);
// The inner Newton iteration of an arithmetic node goes on while its step
// exceeds this multiple of RELXCA.
inline constexpr double kFlInnerNewtonFactor = static_cast<double>(100.0f);
// Humidity ratio given for a vapour mass fraction of 1 or more.
inline constexpr double kFlHumidityCap = static_cast<double>(1.0e15f);
// Relative change of the summed vapour fractions at which the iterated
// humidity update stops.
inline constexpr double kFlHumidTolerance = static_cast<double>(1.0e-5f);
