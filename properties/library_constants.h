// Numeric constants of the substance library: the air polynomials, the
// surface-tension and saturation-pressure equations and the message fields.
// The point values of the tables are generated data (properties/data/).
//
// A constant written with an f suffix is a single-precision value used in
// double-precision arithmetic; the others are double values as written.
#pragma once

namespace prop_const {

// Celsius to kelvin, as the saturation-temperature tables add it.
inline constexpr double kCelsiusZero = 273.15;

// Message fields.
inline constexpr int kTableMessageLength = 500;  // range warnings of the tables
inline constexpr int kSatPressureMessageLength = 255;

// Air: coefficients of Tk^0 .. Tk^5.
inline constexpr double kAirConductivity[6] = {0.00048053724f, 0.00010084074f, -5.0224692e-8f,
                                               1.5519417e-11f, 3.777351e-15f,  -2.0017721e-18f};
inline constexpr double kAirSpecificHeat[6] = {1112.3445f,     -0.7902267f,   0.0019743026f,
                                               -1.7738141e-6f, 7.353156e-10f, -1.1509e-13f};
// Viscosity in units of 1e-4 Pa s.
inline constexpr double kAirViscosity[6] = {0.04090903f,    0.0005097655f,  -3.2953963e-8f,
                                            -2.734116e-10f, 2.1595806e-13f, -4.9172827e-17f};
inline constexpr double kAirViscosityUnit = 10000.0;

// Surface tension sigma = A x^n (water: times (1 - 0.625 x)), x = 1 - Tk/Tc.
struct SurfaceTension {
  double tc;  // K
  double a;   // N/m
  double n;
};
inline constexpr SurfaceTension kSigmaWater{647.15, 0.2358, 1.256};
inline constexpr SurfaceTension kSigmaR11{471.15, 0.070873, 1.22};
inline constexpr SurfaceTension kSigmaR12{385.17, 0.086215, 1.22};
inline constexpr SurfaceTension kSigmaR21{451.61, 0.07802, 1.22};
inline constexpr SurfaceTension kSigmaR22{369.17, 0.090731, 1.22};
inline constexpr SurfaceTension kSigmaR114{418.86, 0.068758, 1.22};
inline constexpr SurfaceTension kSigmaR502{355.31, 0.072616, 1.22};
inline constexpr SurfaceTension kSigmaAmmonia{405.4, 0.09593, 1.1624};
inline constexpr double kSigmaWaterFactor = 0.625;

// Saturation pressure of water: ln(P/Pc) = (t/Tr) (c1 + sqrt(t) (c2 - c3 t + t^5 (c4 t - c5))).
inline constexpr double kWaterTc = 647.25;
inline constexpr double kWaterPc = 2.2093e7;
inline constexpr double kWaterPsat[5] = {-7.863889, 1.898527, 2.364891, 9.982952, 9.911414};

// Saturation pressure of ammonia: ln(P/Pc) = (a1 t + a2 t^1.5 + a3 t^3 + a4 t^6) / Tr.
inline constexpr double kAmmoniaTc = 405.4;
inline constexpr double kAmmoniaPc = 11333000.0;
inline constexpr double kAmmoniaPsat[4] = {-7.22986, 1.28909, -2.45958, -1.37809};
inline constexpr double kAmmoniaPsatExponent = 1.5;

// Saturation pressure of the refrigerants, in psi and degrees Rankine:
// log10 P = A + B/TR + C log10 TR + D TR + E (F - TR)/TR log10|F - TR|.
struct RefrigerantPsat {
  double tc;  // K
  double a, b, c, d, e, f;
  double p_above_tc;  // Pa, the equation's value at tc
};
inline constexpr RefrigerantPsat kPsatR11{471.15,      42.14703, -4344.344, -12.84595,
                                          0.004008372, 0.03136,  862.07,    4410866.026700566};
inline constexpr RefrigerantPsat kPsatR12{385.15,      39.88382, -3436.632, -12.47152,
                                          0.004730442, 0.0,      0.0,       4115482.3937187004};
inline constexpr RefrigerantPsat kPsatR21{451.6, 42.7908, -4261.34, -13.0295, 0.0039851, 0.0, 0.0, 5133058.629312248};
inline constexpr RefrigerantPsat kPsatR22{369.17,      29.35754, -3845.193, -7.861031,
                                          0.002190939, 0.445747, 686.1,     4978482.861197563};
inline constexpr RefrigerantPsat kPsatR114{418.86,       27.07131, -5113.702, -6.308676,
                                           0.0006913003, 0.781421, 768.35,    3263303.8527741577};
inline constexpr RefrigerantPsat kPsatR502{355.31,       10.64495, -3671.154, -0.369835,
                                           -0.001746352, 0.816114, 654.0,     4075718.556003048};
inline constexpr double kRankinePerKelvin = 1.8;
inline constexpr double kPsiScale = 100000.0;
inline constexpr double kPsiDivisor = 14.5;

}  // namespace prop_const
