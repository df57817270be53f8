"""Continuation of the speed of sound of liquid water (PSND01) above the
range of its polynomial.

The library corrects the saturated-liquid density of water for pressure by
(P - Ps) 1.01 / u^2 and gives its compressibility as 1.01 / (u^2 rho), with u
from a polynomial in the Celsius temperature and the pressure in psi. The
polynomial is a fit to about 100 C; above, it falls faster than the speed
of sound (-36 % at 500 K) and crosses zero at 537.6 K, while the liquid
tables run to 623.45 K: a pole of the compressed density. Its 1.01 / u^2
stays close to IAPWS-95's isothermal slope (d rho / d P)_T of the saturated
liquid up to where the two cross, near 470 K (below it the polynomial
gives a little less compression, above it ever more).

From that crossing on, PSND01 takes the polynomial at the crossing
temperature (its pressure dependence there) plus this table: the
difference between the speed at which 1.01 / u^2 equals IAPWS-95's
isothermal slope of the saturated liquid and the polynomial at the crossing
temperature and the saturation pressure of the library's water equation,
at 1 K steps from the crossing to beyond the end of the liquid tables. So
at the saturation pressure 1.01 / u^2 is IAPWS-95's slope, the compressed
density and the compressibility of the liquid follow IAPWS-95, and at the
crossing temperature PSND01 is continuous at every pressure (the table's
first point is zero). Values in m/s, read by straight lines, the last one
held beyond.
"""

import math
import struct

import common
import sources

# The polynomial of the library: coefficient [i][j] of t^i x^j, t in C, x in
# psi; 5.023859 is a single-precision value.
_F32_5_023859 = struct.unpack("<f", struct.pack("<f", 5.023859))[0]
SOUND = [[1402.859, 0.01050469, 1.633786e-07, -3.889257e-12],
         [_F32_5_023859, 6.138077e-05, -1.080177e-08, 2.477679e-13],
         [-0.05690577, -1.071154e-06, 2.215786e-10, -5.088886e-15],
         [0.0002884942, 1.582394e-08, -2.420956e-12, 5.086237e-17],
         [-8.238863e-07, -6.83954e-11, 9.711687e-15, -1.845198e-19]]
PSI_PER_PA = 0.000145
CELSIUS_ZERO = 273.15
FACTOR = 1.01  # the library's (P - Ps) 1.01 / u^2 and 1.01 / (u^2 rho)

STEP = 1.0       # K
T_END = 623.45   # K, the end of the liquid water tables (PRHO01)
DECIMALS = 4     # m/s, as the table writes its values


def polynomial(pk, tk):
    """The library's speed of sound (m/s) at absolute pk (Pa) and tk (K)."""
    x = pk * PSI_PER_PA
    t = tk - CELSIUS_ZERO
    q = [((c[3] * x + c[2]) * x + c[1]) * x + c[0] for c in SOUND]
    return (((q[4] * t + q[3]) * t + q[2]) * t + q[1]) * t + q[0]


def isothermal_speed(tk):
    """The speed u (m/s) at which 1.01 / u^2 equals IAPWS-95's (d rho/d P)_T
    of the saturated liquid at tk."""
    liquid = sources.IAPWS95(T=tk, x=0.0).Liquid
    return math.sqrt(FACTOR / (liquid.rho * liquid.kappa * 1e-6))


def saturated_polynomial(tk):
    return polynomial(sources.psat_equation("water", tk), tk)


def crossing():
    """The temperature (K, to 0.01 K) between 440 and 500 K where the
    polynomial at the saturation pressure meets the isothermal speed."""
    f = lambda t: saturated_polynomial(t) - isothermal_speed(t)
    lo, hi = 440.0, 500.0
    if not (f(lo) > 0.0 > f(hi)):
        raise ValueError("PSND01: the polynomial does not cross the isothermal speed between 440 and 500 K")
    while hi - lo > 1e-6:
        mid = 0.5 * (lo + hi)
        if f(mid) > 0.0:
            lo = mid
        else:
            hi = mid
    return round(0.5 * (lo + hi), 2)


def build():
    t0 = crossing()
    n = int(math.ceil((T_END - t0) / STEP)) + 1
    ts = [t0 + k * STEP for k in range(n)]
    at_switch = lambda t: polynomial(sources.psat_equation("water", t), t0)
    speeds = common.parallel_map(isothermal_speed, ts)
    points = [round(u - at_switch(t), DECIMALS) for t, u in zip(ts, speeds)]
    miss = points[0]
    points[0] = 0.0  # continuous at the crossing at every pressure
    if not all(math.isfinite(v) for v in points):
        raise ValueError("PSND01: a value is not finite")
    if not all(u > 0.0 for u in speeds):
        raise ValueError("PSND01: a speed is not positive")
    # The continued speed at the saturation pressure falls as the temperature
    # rises, like the isothermal speed it follows.
    continued = [at_switch(t) + v for t, v in zip(ts, points)]
    if any(b >= a for a, b in zip(continued, continued[1:])):
        raise ValueError("PSND01: the continued speed does not fall with temperature")
    # The polynomial's slope in temperature at the crossing against the
    # table's first interval: the kink the continuation has there.
    d = 1e-3
    slope_poly = (saturated_polynomial(t0) - saturated_polynomial(t0 - d)) / d
    slope_table = (continued[1] - continued[0]) / STEP
    info = {"t0": t0, "miss": miss, "slopes": (slope_poly, slope_table),
            "rows": [(t, saturated_polynomial(t), u, c) for t, u, c in zip(ts, speeds, continued)][::25]}
    return points, info


def literal(v):
    return common.decimal_double_literal("%.*f" % (DECIMALS, v))


def cpp(t0, points):
    lines = ["namespace prop_data {", "", "namespace {", "",
             "// PSND01 continuation: m/s added to the polynomial at %.2f K, at %.2f, %.2f, ... K" % (
                 t0, t0, t0 + STEP),
             "constexpr double kPSND01_points[%d] = {" % len(points)]
    for k in range(0, len(points), 8):
        lines.append("    " + ", ".join(literal(v) for v in points[k:k + 8]) + ",")
    lines += ["};", "", "}  // namespace", "",
              "const StepTable kPSND01 = {%s, %s, %d, kPSND01_points};" % (
                  common.decimal_double_literal("%.2f" % t0), common.decimal_double_literal(str(STEP)),
                  len(points)),
              "", "}  // namespace prop_data"]
    comment = ("Speed of sound of liquid water above the range of its polynomial, over absolute\n"
               "temperature; properties/data/README.md says where it comes from.")
    return common.cpp_file(comment, "\n".join(lines))


def report(info):
    sp, st = info["slopes"]
    rows = ["| T (K) | polynomial at Ps (m/s) | isothermal speed, IAPWS-95 (m/s) | continued at Ps (m/s) |",
            "|---|---|---|---|"]
    for t, poly, u, c in info["rows"]:
        rows.append("| %.2f | %.1f | %.1f | %.1f |" % (t, poly, u, c))
    rows.append("")
    rows.append("Crossing: %.2f K (the table's first point, %+.4f m/s there, is set to zero); the slope in "
                "temperature at the saturation pressure is %.2f m/s per K below it and %.2f above." % (
                    info["t0"], info["miss"], sp, st))
    return {"sound-speed": "\n".join(rows)}


def generate():
    points, info = build()
    files = {"properties/data/sound_speed_data.cpp": cpp(info["t0"], points)}
    return files, ["extern const StepTable kPSND01;"], report(info)
