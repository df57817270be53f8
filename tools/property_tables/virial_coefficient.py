"""Second virial coefficient of ammonia (PB16): 102 values in cm3/mol at the
absolute temperatures 195, 200, ... 700 K, read by linear interpolation; the
routine returns them in m3/kmol.

Source: the iapws ammonia equation of state at vanishing density
(sources.ammonia_second_virial), times a factor linear in the temperature
between neighbouring anchors that equals anchor/iapws at both of them
(common.linear_factor_correction), so that every anchor holds exactly. The
values are written with three decimals, as the data give the anchors.
"""

import math

import common
import sources

NAME = "PB16"
T0, STEP, POINTS = 195, 5, 102
# The values the data fix (K, cm3/mol), the two ends among them.
ANCHORS = [(195, "-1020.038"), (200, "-945.484"), (250, "-447.638"), (300, "-249.264"), (350, "-161.655"),
           (400, "-113.828"), (500, "-62.518"), (600, "-39.619"), (650, "-34.863"), (700, "-33.4")]


def grid():
    return [T0 + STEP * k for k in range(POINTS)]


def build():
    xs = grid()
    if xs[-1] != ANCHORS[-1][0]:
        raise ValueError("PB16: the grid does not end at the last anchor")
    at = [t for t, _ in ANCHORS]
    values = [float(v) for _, v in ANCHORS]
    shape = {x: sources.ammonia_second_virial(x) for x in xs}
    corrected, factors = common.linear_factor_correction(common.split_at_anchors(xs, at), lambda x: shape[x], at, values)
    points = [round(v, 3) for v in common.join_ranges(corrected)]
    for (t, text), v in zip(ANCHORS, [points[(t - T0) // STEP] for t in at]):
        if v != float(text):
            raise ValueError("PB16: the anchor at %d K is not kept" % t)
    if not all(math.isfinite(v) and v < 0.0 for v in points):
        raise ValueError("PB16: a value is not finite and negative")
    if any(b <= a for a, b in zip(points, points[1:])):
        raise ValueError("PB16: the values do not rise with temperature")
    info = {"factors": factors,
            "deviation": max(abs(v / shape[x] - 1.0) for x, v in zip(xs, points)),
            "interpolation": interpolation_error(xs, points, shape, at, factors)}
    return points, info


def reading(points, tk):
    """The library's reading of the table at tk (K) inside 195 to 700 K: the
    straight line of the interval, in m3/kmol."""
    i = min(int((tk - T0) / STEP), POINTS - 2)
    return (points[i] + (points[i + 1] - points[i]) / STEP * (tk - (T0 + STEP * i))) * 0.001


def interpolation_error(xs, points, shape, at, factors):
    """Largest difference (cm3/mol) between the table's straight line and the
    corrected iapws curve at the midpoints of the intervals."""
    def corrected(x):
        for a, b, fa, fb in zip(at, at[1:], factors, factors[1:]):
            if a <= x <= b:
                return sources.ammonia_second_virial(x) * (fa + (fb - fa) * (x - a) / (b - a))
        raise ValueError(x)
    return max(abs(0.5 * (pa + pb) - corrected(0.5 * (xa + xb)))
               for xa, xb, pa, pb in zip(xs, xs[1:], points, points[1:]))


def literal(v):
    return common.decimal_double_literal("%.3f" % v)


def cpp(points):
    lines = ["namespace prop_data {", "", "namespace {", "",
             "// PB16: second virial coefficient of ammonia, cm3/mol, at 195, 200, ... 700 K",
             "constexpr double kPB16_points[%d] = {" % len(points)]
    for k in range(0, len(points), 8):
        lines.append("    " + ", ".join(literal(v) for v in points[k:k + 8]) + ",")
    lines += ["};", "", "}  // namespace", "",
              "const StepTable kPB16 = {%s, %s, %d, kPB16_points};" % (
                  common.decimal_double_literal(str(T0)), common.decimal_double_literal(str(STEP)), len(points)),
              "", "}  // namespace prop_data"]
    comment = ("Second virial coefficient of ammonia over absolute temperature;\n"
               "properties/data/README.md says where it comes from.")
    return common.cpp_file(comment, "\n".join(lines))


def report(points, info):
    rows = ["| T (K) | anchor (cm3/mol) | iapws (cm3/mol) | anchor / iapws |", "|---|---|---|---|"]
    for (t, text), f in zip(ANCHORS, info["factors"]):
        rows.append("| %d | %s | %.3f | %.4f |" % (t, text, sources.ammonia_second_virial(t), f))
    rows.append("")
    rows.append("Largest departure of the table from iapws: %s; largest difference between the table's "
                "straight line and the corrected curve at the midpoints of the intervals: %.3f cm3/mol." % (
                    common.percent(info["deviation"]), info["interpolation"]))
    return {"virial-coefficient": "\n".join(rows)}


def generate():
    points, info = build()
    files = {"properties/data/virial_coefficient_data.cpp": cpp(points)}
    return files, ["extern const StepTable kPB16;"], report(points, info)
