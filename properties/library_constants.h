// Numeric constants of the substance library and of the rules of the property
// dispatch: the air polynomials, the surface-tension and saturation-pressure
// equations, the refrigerant vapour specific heat, the densities off
// saturation, the enthalpy off saturation and the temperature from it, the
// air, humid-air and derived-property rules, and the message fields. The
// point values of the tables are generated data (properties/data/).
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
inline constexpr RefrigerantPsat kPsatR21{451.6,     42.7908, -4261.34, -13.0295,
                                          0.0039851, 0.0,     0.0,      5133058.629312248};
inline constexpr RefrigerantPsat kPsatR22{369.17,      29.35754, -3845.193, -7.861031,
                                          0.002190939, 0.445747, 686.1,     4978482.861197563};
inline constexpr RefrigerantPsat kPsatR114{418.86,       27.07131, -5113.702, -6.308676,
                                           0.0006913003, 0.781421, 768.35,    3263303.8527741577};
inline constexpr RefrigerantPsat kPsatR502{355.31,       10.64495, -3671.154, -0.369835,
                                           -0.001746352, 0.816114, 654.0,     4075718.556003048};
inline constexpr double kRankinePerKelvin = 1.8;
inline constexpr double kPsiScale = 100000.0;
inline constexpr double kPsiDivisor = 14.5;

// ---- Refrigerant vapour specific heat: Martin-Hou equation of state, SI
// units (Pa, K, m3/kg), P = R T u + sum over i = 2..5 of (Ai + Bi T + Ci
// exp(-k T/Tc)) u^i with u = 1/(v - b), and the ideal-gas heat capacity at
// constant volume cv0 = E0 + E1 T + E2 T^2 + E3 T^3 + E4/T^2. Members in the
// order of the routine's arguments.
struct MartinHou {
  double a2, a3, a4, a5, e0, b2, b3, b4, b5, e1, b, c2, c3, c4, c5, e2, e3, e4, k, r, tc;
};
// E4 of R11 and R22 is kept as the data give it, though it may have lost
// some powers of ten: its term E4/T^2 is below 1e-9 J/(kg K) at every
// temperature of the library.
// clang-format off
//                                A2 A3 A4 A5 E0 / B2 B3 B4 B5 E1 / b C2 C3 C4 C5 / E2 E3 E4 k R / Tc
inline constexpr MartinHou kCpR11{-84.016821, -0.042508422, 0.00017669205, -1.5421446e-7, 99.708642,
                                  0.063772295, 0.00014720045, -3.4024774e-7, 2.8810295e-10, 2.1092601,
                                  0.0001186132, -961.14885, 2.0471124, 0.0, -9.6648659e-7,
                                  -0.0028808944, 1.4648052e-6, -4.3522952e-5, 4.5, 60.522467,
                                  471.15};
inline constexpr MartinHou kCpR12{-91.620247, 0.10104904, -5.746387e-5, 0.0, 33.890053,
                                  0.077112999, -5.6753601e-5, 0.0, 4.08193e-11, 2.5070206,
                                  0.0004063681, -1525.2302, 2.1998148, 0.0, -1.66307e-7,
                                  -0.0032745059, 1.6417367e-6, 0.0, 5.475, 68.748167,
                                  385.16667};
inline constexpr MartinHou kCpR22{-116.98093, -0.029295098, 0.0002419186, -2.43458e-7, 117.76799,
                                  0.11643027, 0.00023031815, -6.796659e-7, 6.30201e-10, 1.6997295,
                                  0.000124856, -1184.0881, 2.4889477, 0.0, -1.20619e-6,
                                  -0.00088304328, 0.0, 3.3254175e-5, 4.2, 96.147024,
                                  369.16667};
inline constexpr MartinHou kCpR114{-64.103579, 0.05712693, -4.0395633e-5, 1.0471504e-8, 73.269,
                                   0.052241618, -1.6104535e-5, 0.0, 7.3703325e-12, 2.6301477,
                                   0.00036925538, -176.38617, 0.27453347, 0.0, -6.6455487e-8,
                                   -0.0022653937, 0.0, 0.0, 3.0, 48.640487,
                                   418.68111};
inline constexpr MartinHou kCpR502{-87.632897, 0.058487449, -8.981402e-5, 5.77709e-8, 85.490269,
                                   0.099520224, -2.6205955e-5, 1.3240093e-7, 9.31606e-11, 2.2584618,
                                   0.00010425476, -651.57124, 0.5581699, 0.002347028, -2.42979e-6,
                                   -0.0019113995, 5.3983513e-7, 0.0, 4.2, 74.47447,
                                   355.3111};
// clang-format on
// A specific volume within this of the co-volume b (m3/kg) has no specific heat.
inline constexpr double kCpVolumeTiny = 1e-37;

// ---- Gas and vapour density off saturation.

// Air, ideal gas.
inline constexpr double kAirGasConstant = 287.04;      // J/(kg K)
inline constexpr double kAirMinimumTemperature = 1.0;  // K

// Refrigerant vapours: equation of state in psi, degrees Rankine and ft3/lb,
// P = R TR/(v - b) + sum over i = 2..5 of (Ai + Bi TR + Ci e)/(v - b)^i,
// e = exp(-K TR/Tc); a[0], bt[0], c[0] are the coefficients of i = 2.
struct RefrigerantEos {
  double r, b, k, tc;
  double a[4], bt[4], c[4];
};
inline constexpr RefrigerantEos kEosR11{0.078117f,
                                        0.0019f,
                                        4.5f,
                                        848.07f,
                                        {-3.126759f, -0.025341f, 0.001687277f, -2.35893e-05f},
                                        {0.001318523f, 4.875121e-05f, -1.805062e-06f, 2.448303e-08f},
                                        {-35.76999f, 1.220367f, 0.0f, -0.0001478379f}};
inline constexpr RefrigerantEos kEosR12{0.088734f,
                                        0.006509389f,
                                        5.475f,
                                        693.3f,
                                        {-3.409727f, 0.060239445f, -0.000548737f, 0.0f},
                                        {0.0015943485f, -1.8796185e-05f, 0.0f, 3.468834e-09f},
                                        {-56.762768f, 1.3113991f, 0.0f, -2.5439067e-05f}};
// R21: double values as written.
inline constexpr RefrigerantEos kEosR21{0.10427,
                                        0.0,
                                        0.0,
                                        812.9,
                                        {-7.316, -0.20382376, 0.0, 0.0},
                                        {0.0046421, 0.0003593, 0.0, 0.0},
                                        {0.0, 0.0, 0.0, 0.0}};
inline constexpr RefrigerantEos kEosR22{0.124098f,
                                        0.002f,
                                        4.2f,
                                        664.5f,
                                        {-4.353547f, -0.017464f, 0.002310142f, -3.724044e-05f},
                                        {0.002407252f, 7.62789e-05f, -3.605723e-06f, 5.355465e-08f},
                                        {-44.066868f, 1.483763f, 0.0f, -0.0001845051f}};
inline constexpr RefrigerantEos kEosR114{0.062780805f,
                                         0.005914907f,
                                         3.0f,
                                         753.95f,
                                         {-2.3856704f, 0.034055687f, -0.0003857481f, 1.6017659e-06f},
                                         {0.0010801207f, -5.3336494e-06f, 0.0f, 6.263241e-10f},
                                         {-6.564365f, 0.16366057f, 0.0f, -1.0165314e-05f}};
inline constexpr RefrigerantEos kEosR502{0.096125f,
                                         0.00167f,
                                         4.2f,
                                         639.56f,
                                         {-3.2613344f, 0.034866747f, -0.00085765676f, 8.836897e-06f},
                                         {0.0020576287f, -8.6791315e-06f, 7.024055e-07f, -7.916809e-09f},
                                         {-24.24879f, 0.3327478f, 0.022412367f, -0.0003716723f}};
// Unit factors and the tolerance of the secant inversion.
inline constexpr double kEosRankinePerKelvin = 1.8f;
inline constexpr double kEosPsiPerPascal = 0.000145f;
inline constexpr double kEosTolerance = 1e-5f;
inline constexpr double kEosLbFt3PerKgM3 = 0.06243f;

// Water vapour: virial equation P = Rw T rho (1 + B rho + C rho^2).
inline constexpr double kWaterGasConstant = 461.5;  // J/(kg K)
inline constexpr double kWaterVirialTau = 1500.0;   // K, tau = 1500/T
inline constexpr double kWaterVirialTc = 647.286;   // K, theta = T/647.286
inline constexpr double kWaterB1 = 0.0004882, kWaterB2 = 0.000942, kWaterB3 = 0.0015, kWaterB4 = 10000.0;
inline constexpr double kWaterBExponent = 2.5;
inline constexpr double kWaterC1 = 1.5e-6, kWaterC2 = 0.8978, kWaterC3 = 1.772, kWaterC4 = 11.16;
inline constexpr double kWaterDerivative2 = 923.0, kWaterDerivative3 = 1384.5;  // 2 Rw and 3 Rw
inline constexpr double kWaterNewtonTolerance = 0.001;                          // kg/m3
inline constexpr double kWaterPressureMax = 1e7;                                // Pa
inline constexpr double kWaterTemperatureMin = 273.15;                          // K
inline constexpr double kWaterTemperatureMax = 1073.15;                         // K

// Ammonia vapour: ideal gas with the second virial coefficient, blended
// into the saturated density within a band above the saturation temperature.
inline constexpr double kAmmoniaMolarMass = 17.03;       // kg/kmol
inline constexpr double kUniversalGasConstant = 8314.4;  // J/(kmol K)
// Band width w0 = Pk 0.6 / 100000 + 5 (K).
inline constexpr double kAmmoniaBandFactor = 0.6, kAmmoniaBandPressure = 100000.0, kAmmoniaBandBase = 5.0;
// Second virial coefficient: the table from 195 to 700 K by 5 K in
// cm3/mol, the values below and above it in m3/kmol.
inline constexpr double kVirialTmin = 195.0, kVirialTmax = 700.0, kVirialStep = 5.0;
inline constexpr int kVirialLastInterval = 100;
inline constexpr double kVirialUnit = 0.001;  // cm3/mol to m3/kmol
inline constexpr double kVirialBelow = -1.020038, kVirialAbove = -0.0334;
inline constexpr int kVapourMessageLength = 255;

// ---- Liquid density off saturation.

// Compressed liquid (Thomson, Brobst and Hankinson): critical pressure (Pa),
// acentric factor and critical temperature (K) of each substance.
struct CompressedLiquid {
  double pc, omega, tc;
};
inline constexpr CompressedLiquid kLiquidR11{4.415e6, 0.1871, 471.19};
inline constexpr CompressedLiquid kLiquidR12{4.125e6, 0.1699, 384.95};
inline constexpr CompressedLiquid kLiquidR21{5.178e6, 0.2102, 451.55};
inline constexpr CompressedLiquid kLiquidR22{4.98e6, 0.2215, 369.3};
inline constexpr CompressedLiquid kLiquidR114{3.257e6, 0.2582, 418.9};
inline constexpr double kLiquidTauExponent = 0.333333333333333;
inline constexpr double kLiquidE[3] = {4.79594, 0.250047, 1.14188};
// beta = -1 - b0 tau + b1 tau^2 - b2 tau^3 + e tau^4, e = exp(e0 + e1 w + e2 w^2).
inline constexpr double kLiquidBeta[3] = {9.070217, 62.45326, 135.1102};
inline constexpr double kLiquidC[2] = {0.0861488, 0.0344483};
inline constexpr int kLiquidMessageLength = 255;

// Water: density = rho_s + (P - Ps) 1.01 / u^2, u the speed of sound.
inline constexpr double kWaterSoundFactor = 1.01;
// Speed of sound in liquid water: kSound[i][j] multiplies t^i x^j, t in
// degrees C and x the pressure in psi.
inline constexpr double kSound[5][4] = {
    {1402.859, 0.01050469, 1.633786e-07, -3.889257e-12},
    {5.023859f, 6.138077e-05, -1.080177e-08, 2.477679e-13},
    {-0.05690577, -1.071154e-06, 2.215786e-10, -5.088886e-15},
    {0.0002884942, 1.582394e-08, -2.420956e-12, 5.086237e-17},
    {-8.238863e-07, -6.83954e-11, 9.711687e-15, -1.845198e-19},
};
inline constexpr double kSoundPsiPerPascal = 0.000145;

// Compressibility of liquid ammonia: tables in 1/bar from -77 to 31 and from
// 31 to 91 degrees C by 1 C.
inline constexpr double kKtTmin = -77.0, kKtSwitch = 31.0, kKtTmax = 91.0;
inline constexpr int kKtLastInterval1 = 107, kKtLastInterval2 = 59;
inline constexpr double kKtUnit = 1e-5;  // 1/bar to 1/Pa

// ---- Enthalpy off saturation and the temperature from it.
inline constexpr double kIntegralTiny = 1e-37;      // K: an empty interval
inline constexpr double kIntegralTolerance = 1e-5;  // relative change of the Simpson estimate
inline constexpr int kIntegralLevels = 10;
inline constexpr double kTemperatureStep = 0.001;     // K: Newton steps below this end
inline constexpr double kTemperatureBracket = 0.002;  // K: bisection ends below this bracket
inline constexpr int kIterationMessageLength = 500;

// ---- Air, humid-air and derived-property rules.
inline constexpr double kMolarMassRatio = 0.6221;         // water / dry air
inline constexpr double kHumidAirCpAir = 1011.57;         // J/(kg K)
inline constexpr double kHumidAirCpVapour = 1868.07;      // J/(kg K)
inline constexpr double kHumidAirSaturation = 273.16;     // K
inline constexpr double kAirSaturatedVapour = 1111.5554;  // J/(kg K) and J/kg
inline constexpr double kAirSaturation = 1.0;             // K
inline constexpr double kDerivedStep = 0.001;             // K (Joule-Thomson), relative (compressibility)
inline constexpr double kWaterCompressibilityFactor = 1.01;

}  // namespace prop_const
