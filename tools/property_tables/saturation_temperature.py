"""Saturation temperature (PTSnn): tables of the saturation temperature in
degrees Celsius over absolute pressure, in ranges with a uniform step each,
read by quadratic interpolation through three neighbouring points.

Source: the inverse of the library's own saturation-pressure equations at
every grid pressure (sources.tsat_equation), so that the saturation
temperature and the saturation pressure agree; the range ends are kept as
the data give them (common.snap_ends).
"""

import math

import common
import sources

# name, substance, ranges: (lower end, upper end, step, points, value at the
# lower end, value at the upper end), pressures in Pa, values in degrees C.
TABLES = [
    ("PTS02", "water", [
        (610, 20810, 200, 102, "0.188", "60.932"),
        (20810, 110810, 900, 101, "60.932", "102.527"),
        (110810, 2090810, 20000, 100, "102.527", "214.671"),
        (2090810, 20090810, 200000, 91, "214.671", "366.168"),
    ]),
    ("PTS04", "R11", [
        (610, 59416, 594, 100, "-69.3256", "9.5097"),
        (59416, 199416, 1400, 101, "9.5097", "44.5157"),
        (199416, 999416, 8000, 101, "44.5157", "109.5821"),
        (999416, 4499416, 35000, 101, "109.5821", "199.4085"),
    ]),
    ("PTS06", "R12", [
        (610, 59416, 594, 100, "-106.6473", "-41.6156"),
        (59416, 199416, 1400, 101, "-41.6156", "-12.6014"),
        (199416, 999416, 8000, 101, "-12.6014", "41.621"),
        (999416, 4199416, 32000, 101, "41.621", "113.2004"),
    ]),
    ("PTS08", "R21", [
        (610, 59416, 594, 100, "-76.6071", "-4.1393"),
        (59416, 199416, 1400, 101, "-4.1393", "27.6371"),
        (199416, 999416, 8000, 101, "27.6371", "86.5959"),
        (999416, 5199416, 42000, 101, "86.5959", "179.3439"),
    ]),
    ("PTS10", "R22", [
        (610, 59416, 594, 100, "-112.2852", "-51.5465"),
        (59416, 199416, 1400, 101, "-51.5465", "-25.1882"),
        (199416, 999416, 8000, 101, "-25.1882", "23.3973"),
        (999416, 4999416, 40000, 101, "23.3973", "96.2427"),
    ]),
    ("PTS12", "R114", [
        (610, 59416, 594, 100, "-82.7465", "-9.4259"),
        (59416, 199416, 1400, 101, "-9.4259", "22.9077"),
        (199416, 999416, 8000, 101, "22.9077", "83.5047"),
        (999416, 3299416, 23000, 101, "83.5047", "146.315"),
    ]),
    ("PTS14", "R502", [
        (610, 59416, 594, 100, "-117.5434", "-56.2588"),
        (59416, 199416, 1400, 101, "-56.2588", "-29.8122"),
        (199416, 999416, 8000, 101, "-29.8122", "19.2399"),
        (999416, 4199416, 32000, 101, "19.2399", "83.6214"),
    ]),
    ("PTS16", "ammonia", [
        (10000, 60000, 500, 101, "-71.2144", "-43.2795"),
        (60000, 200000, 1400, 101, "-43.2795", "-18.8506"),
        (200000, 1000000, 8000, 101, "-18.8506", "24.9043"),
        (1000000, 3300000, 23000, 101, "24.9043", "69.8546"),
        (3300000, 8400000, 50000, 103, "69.8546", "115.554"),
        (8400000, 11100000, 50000, 55, "115.554", "131.0773"),
    ]),
]

KELVIN = 273.15


class Table:
    def __init__(self, row):
        self.name, self.substance, rows = row
        self.ranges = []
        for lower, upper, step, n, first, last in rows:
            if lower + (n - 1) * step != upper:
                raise ValueError("%s: range %d to %d does not hold %d points" % (self.name, lower, upper, n))
            self.ranges.append({"lower": lower, "upper": upper, "step": step, "n": n,
                                "first": first, "last": last,
                                "grid": [lower + k * step for k in range(n)]})
        for a, b in zip(self.ranges, self.ranges[1:]):
            if a["upper"] != b["lower"] or a["last"] != b["first"]:
                raise ValueError("%s: neighbouring ranges do not share their end" % self.name)
        self.anchors = [common.f32(r["first"]) for r in self.ranges] + [common.f32(self.ranges[-1]["last"])]


def inverse(table, p):
    """Saturation temperature (degrees C) of the library's equation at p."""
    return sources.tsat_equation(table.substance, p) - KELVIN


def build(table):
    values = [[inverse(table, p) for p in r["grid"]] for r in table.ranges]
    offsets = [values[0][0] - table.anchors[0]] + [vs[-1] - a for vs, a in zip(values, table.anchors[1:])]
    values = common.snap_ends(values, table.anchors)
    for vs in values:
        if not all(math.isfinite(v) for v in vs):
            raise ValueError("%s: a value is not finite" % table.name)
    ranges = [common.Range(r["lower"], r["upper"], r["lower"], r["step"], [common.f32(v) for v in vs],
                           lambda pts, x, r=r: common.quadratic_reading(r["lower"], r["upper"], r["lower"], r["step"],
                                                                        pts, x))
              for r, vs in zip(table.ranges, values)]
    # The saturation temperature rises with pressure; the equation is smooth,
    # and an anchor set onto a switch point moves the slopes on both sides.
    exempt = common.check_monotone(table.name, ranges, +1, "the saturation temperature")
    if exempt:
        raise ValueError("%s: the anchors fall with pressure" % table.name)
    forced = [1.5 * off * (1.0 / a["step"] + 1.0 / b["step"])
              for off, a, b in zip(offsets[1:], table.ranges, table.ranges[1:])]
    return values, {"offsets": offsets, "switches": common.check_switches(table.name, ranges, forced)}


def interpolation_error(table, values):
    """Largest |table reading - inverse| (K) per range, at the midpoints of
    the grid intervals, with the points rounded to single precision."""
    out = []
    for r, vs in zip(table.ranges, values):
        pts = [common.f32(v) for v in vs]
        err = 0.0
        for k in range(r["n"] - 1):
            x = r["lower"] + (k + 0.5) * r["step"]
            err = max(err, abs(common.quadratic_reading(r["lower"], r["upper"], r["lower"], r["step"], pts, x)
                               - inverse(table, x)))
        out.append(err)
    return out


# IAPWS-IF97's saturation line begins at 611.213 Pa, a little above the first
# grid pressure of water (610 Pa).
REFERENCE_PMIN = 611.213


def reference_difference(table, values):
    """Largest |table point - reference saturation temperature| (K): IAPWS-IF97
    for water, iapws ammonia for ammonia; None for the refrigerants."""
    if table.substance == "water":
        ref = lambda p: sources.tsat_if97_water(p) - KELVIN
    elif table.substance == "ammonia":
        ref = lambda p: sources.tsat_ammonia(p) - KELVIN
    else:
        return None
    err = 0.0
    for r, vs in zip(table.ranges, values):
        for p, v in list(zip(r["grid"], vs))[::5]:
            if p >= REFERENCE_PMIN:
                err = max(err, abs(v - ref(p)))
    return err


def cpp(tables, built):
    body = ["namespace prop_data {", "", "namespace {", ""]
    for t in tables:
        body.append("// %s: %s, degrees C" % (t.name, t.substance))
        for k, vs in enumerate(built[t.name][0]):
            body.append(common.float_array("k%s_%d" % (t.name, k + 1), vs))
        body.append("")
    body += ["}  // namespace", ""]
    dbl = lambda x: common.decimal_double_literal(str(x))
    for t in tables:
        rs = ["{%s, %s, %s, %s, %d, k%s_%d}" % (dbl(r["lower"]), dbl(r["upper"]), dbl(r["lower"]), dbl(r["step"]),
                                              r["n"], t.name, k + 1) for k, r in enumerate(t.ranges)]
        body.append("const PressureTable k%s = {%d, {%s}};" % (t.name, len(rs), ",\n    ".join(rs)))
    body += ["", "}  // namespace prop_data"]
    comment = ("Saturation temperature tables: degrees Celsius over absolute pressure;\n"
               "properties/data/README.md says where they come from.")
    return common.cpp_file(comment, "\n".join(body))


def declarations(tables):
    return ["extern const PressureTable k%s;" % t.name for t in tables]


def report(tables, built):
    rows = ["| table | substance | anchor - inverse at the range ends (K) | interpolation error per range (K) "
            "| points against the reference (K) |",
            "|---|---|---|---|---|"]
    for t in tables:
        values, info = built[t.name]
        ref = reference_difference(t, values)
        rows.append("| %s | %s | %s | %s | %s |" % (
            t.name, t.substance, " / ".join("%+.4f" % -o for o in info["offsets"]),
            " / ".join("%.1e" % e for e in interpolation_error(t, values)),
            "-" if ref is None else "%.3f (%s)" % (ref, "IAPWS-IF97" if t.substance == "water" else "iapws NH3")))
    shapes = common.SHAPE_HEADER + [common.shape_row(t.name, t.substance, "rises with P", [],
                                                     built[t.name][1]["switches"]) for t in tables]
    return {"saturation-temperature": "\n".join(rows), "saturation-temperature-shapes": "\n".join(shapes)}


def generate():
    tables = [Table(row) for row in TABLES]
    built = {t.name: build(t) for t in tables}
    files = {"properties/data/saturation_temperature_data.cpp": cpp(tables, built)}
    return files, declarations(tables), report(tables, built)
