"""Isothermal compressibility of liquid ammonia (PKT15): two tables in 1/bar
on 1 degree C steps, 109 values from -77 to 31 C and 61 from 31 to 91 C (the
second's first value equals the first's last), read by linear
interpolation; the routine returns 1/Pa.

Source: the compressibility of iapws ammonia's saturated liquid
(sources.ammonia_liquid_compressibility), times a factor linear in the
temperature between neighbouring anchors that equals anchor/iapws at both of
them (common.linear_factor_correction), so that every anchor holds exactly.
The values are written to six significant digits.
"""

import math

import common
import sources

CELSIUS_ZERO = 273.15
# (first, last) temperature of each table, degrees C, 1 C steps.
RANGES = [(-77, 31), (31, 91)]
# The values the data fix (C, 1/bar): the ends, the switch at 31 C and every
# tenth degree from -77 C.
ANCHORS = [(-77, "4.5e-05"), (-67, "6.1e-05"), (-57, "7.3e-05"), (-47, "8.2e-05"), (-37, "8.9e-05"),
           (-27, "9.5e-05"), (-17, "0.000102"), (-7, "0.000112"), (3, "0.000124"), (13, "0.000141"),
           (23, "0.000162"), (31, "0.000183"), (41, "0.000217"), (51, "0.000263"), (61, "0.000325"),
           (71, "0.000414"), (81, "0.000548"), (91, "0.000767")]


def iapws(t):
    return sources.ammonia_liquid_compressibility(t + CELSIUS_ZERO)


def written(v):
    """The value as the table writes it: six significant digits."""
    return float("%.6g" % v)


def build():
    xs = list(range(RANGES[0][0], RANGES[-1][1] + 1))
    at = [t for t, _ in ANCHORS]
    values = [float(v) for _, v in ANCHORS]
    shape = {x: iapws(x) for x in xs}
    ranges = common.split_at_anchors(xs, at)
    corrected, factors = common.linear_factor_correction(ranges, lambda x: shape[x], at, values)
    points = dict(zip(xs, [written(v) for v in common.join_ranges(corrected)]))
    for t, text in ANCHORS:
        if points[t] != float(text):
            raise ValueError("PKT15: the anchor at %d C is not kept" % t)
    if not all(math.isfinite(v) and v > 0.0 for v in points.values()):
        raise ValueError("PKT15: a value is not finite and positive")
    if any(points[x + 1] <= points[x] for x in xs[:-1]):
        raise ValueError("PKT15: the values do not rise with temperature")
    tables = [[points[x] for x in range(a, b + 1)] for a, b in RANGES]

    def curve(x):
        for a, b, fa, fb in zip(at, at[1:], factors, factors[1:]):
            if a <= x <= b:
                return iapws(x) * (fa + (fb - fa) * (x - a) / (b - a))
        raise ValueError(x)
    info = {"factors": factors,
            "deviation": max(abs(points[x] / shape[x] - 1.0) for x in xs),
            "interpolation": max(abs(0.5 * (points[x] + points[x + 1]) / curve(x + 0.5) - 1.0) for x in xs[:-1])}
    # No kink at the switch between the tables beyond the one the anchor
    # factor puts there (the switch is one of the anchors).
    ranges = [common.Range(a, b, a, 1.0, vs, None) for (a, b), vs in zip(RANGES, tables)]
    jumps = dict(zip(at[1:-1], common.factor_jumps(at, values, factors)))
    info["switches"] = common.check_switches("PKT15", ranges, [jumps[RANGES[0][1]]])
    return tables, info


def literal(v):
    return common.decimal_double_literal("%.6g" % v)


def cpp(tables):
    lines = ["namespace prop_data {", "", "namespace {", ""]
    for k, ((a, b), vs) in enumerate(zip(RANGES, tables)):
        lines.append("// PKT15, table %d: compressibility of liquid ammonia, 1/bar, at %d, %d, ... %d C" % (
            k + 1, a, a + 1, b))
        lines.append("constexpr double kPKT15_%d_points[%d] = {" % (k + 1, len(vs)))
        for i in range(0, len(vs), 8):
            lines.append("    " + ", ".join(literal(v) for v in vs[i:i + 8]) + ",")
        lines += ["};", ""]
    lines += ["}  // namespace", ""]
    for k, ((a, _), vs) in enumerate(zip(RANGES, tables)):
        lines.append("const StepTable kPKT15_%d = {%s, 1.0, %d, kPKT15_%d_points};" % (
            k + 1, common.decimal_double_literal(str(a)), len(vs), k + 1))
    lines += ["", "}  // namespace prop_data"]
    comment = ("Isothermal compressibility of liquid ammonia over the temperature in degrees C;\n"
               "properties/data/README.md says where it comes from.")
    return common.cpp_file(comment, "\n".join(lines))


def report(info):
    rows = ["| t (C) | anchor (1/bar) | iapws saturated liquid (1/bar) | anchor / iapws |", "|---|---|---|---|"]
    for (t, text), f in zip(ANCHORS, info["factors"]):
        rows.append("| %d | %s | %.4g | %.4f |" % (t, text, iapws(t), f))
    rows.append("")
    rows.append("Largest departure of the tables from iapws: %s; largest difference between the tables' "
                "straight lines and the corrected curve at the midpoints of the intervals, relative: %.1e." % (
                    common.percent(info["deviation"]), info["interpolation"]))
    sl, sr, jump, forced, _ = info["switches"][0]
    rows.append("")
    rows.append("The tables rise with temperature; at their switch, 31 C, the slope jumps by %+.2f %%, the "
                "anchor factor puts %+.2f %% there." % (200.0 * jump / (abs(sl) + abs(sr)),
                                                        200.0 * forced / (abs(sl) + abs(sr))))
    return {"compressibility": "\n".join(rows)}


def generate():
    tables, info = build()
    files = {"properties/data/compressibility_data.cpp": cpp(tables)}
    return files, ["extern const StepTable kPKT15_1;", "extern const StepTable kPKT15_2;"], report(info)
