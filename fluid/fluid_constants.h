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
// Ratio of the molar masses of water and dry air: a double in the humid-air
// routines of the solution; the single-precision literal where FINITS
// completes a node's specific humidity.
inline constexpr double kFlWaterAirRatio = 0.6221;
inline constexpr double kFlWaterAirRatioInit = static_cast<double>(0.6221f);
// Levels of the fluid temperature history when TIMELA is "YES".
inline constexpr int kFlHistoryLevels = 100;

// ---- Friction factor (FLFRLS); double-precision constants ----------------
// Zero test of the flow.
inline constexpr double kFrTiny = 1.0e-37;
// Reynolds numbers of the end of laminar flow and of the start of the
// turbulent correlation, and the laminar constant (F = 16 / Re).
inline constexpr double kFrReLaminar = 2000.0;
inline constexpr double kFrReTurbulent = 4000.0;
inline constexpr double kFrLaminar = 16.0;
// Friction factor at Re = 2000, where the blend to turbulence starts.
inline constexpr double kFrBlendStart = 0.008;
// Explicit form of the rough-wall correlation: X = E R / (18.57 D) +
// log10(R / 5.02), F = 1 / (16 (s + log10(R / (5.02 X)))^2).
inline constexpr double kFrRoughDiv = 18.57;
inline constexpr double kFrReDiv = 5.02;
inline constexpr double kFrTurbulent = 16.0;
// Step correction s by X: s = kFrStep[i] for X <= kFrStepX[i], the last value
// above the last bound.
inline constexpr double kFrStepX[6] = {2.0, 10.0, 20.0, 40.0, 100.0, 1000.0};
inline constexpr double kFrStep[7] = {0.057, 0.044, 0.029, 0.018, 0.0087, 0.0013, 8.0e-5};

// ---- State update (FGUPDT, XDRHO); double-precision constants -----------
// Single-phase test of a quality (|X| or |1 - X| below it).
inline constexpr double kStTiny = 1.0e-37;
// Relative pressure step of the two-phase density derivative, and the
// quality below which it is taken downwards.
inline constexpr double kStDpFraction = 0.001;
inline constexpr double kStDpQuality = 0.5;

// ---- Continuity of low-resistance links (FMCALC, FLMSFL); double --------
// Flow given to a link between two held pressures that still carries a
// pressure difference.
inline constexpr double kCoBigFlow = 1.0e10;
// Scale of the flow rise with the residual pressure difference, and the
// multiple of MINFLO that restarts a link without flow.
inline constexpr double kCoResidualScale = 1000.0;
inline constexpr double kCoRestartFactor = 100.0;
// Sweeps of the continuity flows.
inline constexpr int kCoSweeps = 10;

// ---- Implicit node updates and humid air ---------------------------------
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

// ---- Step control of the FLT loops -----------------------------------------
// A step whose largest change exceeds DTPMAX is repeated with its length
// times this factor x DTPMAX / change (double) ...
inline constexpr double kFlStepCut = 0.95;
// ... unless it is no longer than this multiple of DTMIN (double).
inline constexpr double kFlStepAtMinimum = 1.0001;
// The loop ends when TIMEND lies within this share of the next step.
inline constexpr double kFlEndShare = static_cast<double>(0.1f);
// Share of the smallest capacity-to-conductance ratio that the explicit
// step of FLTNTF may take (its stability limit with a margin).
inline constexpr double kFlExplicitShare = static_cast<double>(0.95f);
// An exceedance counted in this share of the steps or more is frequent. The
// share of two counts is compared with the double 0.1, so that 10 of 100
// steps count as frequent.
inline constexpr double kFlFrequentShare = 0.1;

// ---- Two-phase solution (FGENFI) -------------------------------------------
// Phase supply of a node that holds its enthalpy (unlimited), and the
// relative shortfall of a phase that still counts as enough.
inline constexpr double kFgUnlimited = static_cast<double>(1.0e20f);
inline constexpr double kFgPhaseSlack = static_cast<double>(1.0e-6f);
// Thermal update (TSTAB2, FBTCL3); double-precision constants: the zero of a
// capacitance, a conductance or a heat source, the jump of a node with a heat
// source and no conductor, and the temperature that ends the run.
inline constexpr double kThTiny = 1.0e-37;
inline constexpr double kThJump = 1.0e20;
inline constexpr double kThMaxT = 1.0e10;
// Step control: a step not longer than kFgMinStep x DTMIN is at the minimum;
// the loop ends when TIMEO + kFgEndFraction x DTIMEU reaches TIMEND; the
// step "just accepted" before the first real step.
inline constexpr double kFgMinStep = static_cast<double>(1.000001f);
inline constexpr double kFgEndFraction = static_cast<double>(0.1f);
inline constexpr double kFgFirstStep = static_cast<double>(1.0e38f);
// Relaxation of the two-phase iteration; double-precision constants: the
// floor of a factor, the weight of a change, the damping of an oscillating
// correction and the ceiling of the proposed factor.
inline constexpr double kFgRelaxFloor = 0.1;
inline constexpr double kFgRelaxWeight = 0.5;
inline constexpr double kFgRelaxOscillation = 0.8;
inline constexpr double kFgRelaxCeiling = 0.9;
inline constexpr double kFgRelaxTiny = 1.0e-37;
