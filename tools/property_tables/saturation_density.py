"""Saturation densities (PRHOnn): the density of the saturated liquid over
absolute temperature (odd nn, and the ammonia vapour PRHO16) and of the
saturated vapour over absolute pressure (even nn), in two or four ranges of
equally spaced points, read by quadratic interpolation (linear for PRHO11).

Sources, in order:
- water and ammonia: python3-iapws saturated states, times a factor linear
  in the argument within each range that equals anchor/iapws at both ends
  of the range (common.linear_factor_correction); the ammonia vapour at low
  pressure (PRHO16 below 260 K) follows the library's own density off
  saturation instead, see ammonia_vapour_range;
- the refrigerant vapours: the library's vapour equation of state at the
  saturation temperature of the library's vapour-pressure equation, with
  the same anchor factor;
- the refrigerant liquids: one curve of the critical-scaling kind,
  rho = rho0 + a (1 - T/Tc)^(1/3) + b (1 - T/Tc), through the three anchors
  (Tc the substance's critical temperature in the library; rho0 takes the
  place of the critical density).
Every anchor (the values at the range ends) is kept as given; neighbouring
ranges share their boundary entry.
"""

import math

import common
import sources
import virial_coefficient

# name, substance, side, argument ("T" in K or "P" in Pa), ranges (lower end,
# upper end, points) and the values at the range ends (one more than there
# are ranges), all as the data give them; reading.
_AS_WATER = [("610", "39616", 100), ("39616", "999616", 101), ("999616", "2999616", 101)]
TABLES = [
    ("PRHO01", "water", "liquid", "T", [("273.16", "497.33", 80), ("497.33", "623.45", 83)],
     ("1000.06", "834.76", "573.13"), "quadratic"),
    ("PRHO02", "water", "vapour", "P", _AS_WATER + [("2999616", "10999616", 101)],
     ("0.0048", "0.2482", "5.1476", "15.0074", "63.4171"), "quadratic"),
    ("PRHO03", "R11", "liquid", "T", [("199.95", "401.4", 80), ("401.4", "469.952", 83)],
     ("1692.15", "1182.3", "690.39"), "quadratic"),
    ("PRHO04", "R11", "vapour", "P", _AS_WATER + [("2999616", "4199616", 101)],
     ("0.0495", "2.4467", "52.563", "186.2457", "365.1137"), "quadratic"),
    ("PRHO05", "R12", "liquid", "T", [("177.6", "347.845", 80), ("347.845", "384.973", 85)],
     ("1699.059", "1207.598", "722.928"), "quadratic"),
    ("PRHO06", "R12", "vapour", "P", _AS_WATER + [("2999616", "3999616", 101)],
     ("0.0533", "2.6385", "57.2961", "212.4724", "416.7801"), "quadratic"),
    ("PRHO07", "R21", "liquid", "T", [("188.15", "319.29", 80), ("319.29", "451.21", 81)],
     ("1603.68", "1313.16", "930.74"), "quadratic"),
    ("PRHO08", "R21", "vapour", "P",
     [("610", "40000", 101), ("40000", "1000000", 101), ("1000000", "3000000", 101), ("3000000", "5200000", 101)],
     ("0.0384", "1.9261", "40.9664", "140.058", "230.1676"), "quadratic"),
    ("PRHO09", "R22", "liquid", "T", [("199.85", "348.123", 80), ("348.123", "369.09", 88)],
     ("1502.03", "935.63", "582.52"), "quadratic"),
    ("PRHO10", "R22", "vapour", "P", _AS_WATER + [("2999616", "4799616", 101)],
     ("0.0395", "1.9589", "42.2732", "145.0651", "356.9586"), "quadratic"),
    ("PRHO11", "R114", "liquid", "T", [("199.85", "373.65", 80), ("373.65", "418.47", 84)],
     ("1771.35", "1273.81", "765.49"), "linear"),
    ("PRHO12", "R114", "vapour", "P", _AS_WATER[:2] + [("999616", "2799616", 101), ("2799616", "3199616", 101)],
     ("0.0659", "3.2604", "73.1088", "284.6924", "433.1685"), "quadratic"),
    ("PRHO13", "R502", "liquid", "T", [("199.15", "328.52", 80), ("328.52", "355.064", 85)],
     ("1569.55", "1045.29", "643.82"), "quadratic"),
    ("PRHO14", "R502", "vapour", "P", _AS_WATER + [("2999616", "3999616", 101)],
     ("0.0527", "2.5902", "56.8075", "210.9728", "414.0651"), "quadratic"),
    ("PRHO15", "ammonia", "liquid", "T", [("195.45", "278.105", 80), ("278.105", "362.905", 81)],
     ("732.71", "632.35", "482.83"), "quadratic"),
    ("PRHO16", "ammonia", "vapour", "T",
     [("195.45", "300", 101), ("300", "370", 101), ("370", "395", 101), ("395", "405.15", 101)],
     ("0.063", "8.248", "51.672", "106.464", "197.996"), "quadratic"),
]

REFERENCES = ("water", "ammonia")
UNIT = {"T": "K", "P": "Pa"}


class Table:
    def __init__(self, row):
        self.name, self.substance, self.side, self.arg, ranges, self.value_text, reading = row
        self.linear = reading == "linear"
        self.reference_substance = self.substance in REFERENCES
        self.ranges = []
        for x0, x1, n in ranges:
            a, b = float(x0), float(x1)
            h = (b - a) / (n - 1)  # the step as the library computes it
            grid = [a + k * h for k in range(n - 1)] + [b]
            self.ranges.append({"x0_text": x0, "x1_text": x1, "x0": a, "x1": b, "n": n, "step": h, "grid": grid})
        for r, s in zip(self.ranges, self.ranges[1:]):
            if r["x1_text"] != s["x0_text"]:
                raise ValueError("%s: neighbouring ranges do not meet" % self.name)
        if len(self.value_text) != len(self.ranges) + 1:
            raise ValueError("%s: one value per range end" % self.name)
        self.anchors = [common.f32(v) for v in self.value_text]
        self.ends = [r["x0"] for r in self.ranges] + [self.ranges[-1]["x1"]]
        self.grid = [r["grid"] for r in self.ranges]


# ---------------------------------------------------------------- sources

def saturated_temperature(substance, p):
    """Saturation temperature (K) of the library's vapour-pressure equation."""
    return sources.tsat_equation(substance, p)


def eos_density(substance, p):
    """Density of the library's vapour equation of state at p and the
    saturation temperature of the library's vapour-pressure equation."""
    return sources.eos_vapour_density(substance, p, saturated_temperature(substance, p))


def liquid_form(substance, ends, values):
    """The critical-scaling curve rho0 + a tau^(1/3) + b tau, tau = 1 - T/Tc,
    through three (T, rho) points; returns (curve, (rho0, a, b), Tc)."""
    tc = sources.LIBRARY_TC[substance]
    tau = lambda t: 1.0 - t / tc
    coef = common._solve3([(1.0, tau(t) ** (1.0 / 3.0), tau(t)) for t in ends], list(values))
    return (lambda t: coef[0] + coef[1] * tau(t) ** (1.0 / 3.0) + coef[2] * tau(t)), coef, tc


def _liquid_table(substance):
    for row in TABLES:
        if row[1] == substance and row[2] == "liquid":
            return Table(row)
    raise KeyError(substance)


def liquid_density(substance):
    """The saturated-liquid density curve of a refrigerant's table (the
    source its points come from), for the saturation enthalpies."""
    t = _liquid_table(substance)
    return liquid_form(substance, t.ends, t.anchors)[0]


def liquid_density_end(substance):
    """The temperature (K) where a refrigerant's saturated-liquid density
    table ends: the library reads its last value beyond it."""
    return _liquid_table(substance).ends[-1]


def _iapws(args):
    substance, side, arg, x = args
    if arg == "T":
        return sources.saturated(substance, side, "rho", x)
    return sources.at_pressure(substance, x)[side]["rho"]


def _eos(args):
    return eos_density(*args)


def shape_values(table, xs):
    """The source curve at the arguments xs, computed in parallel."""
    if table.reference_substance:
        return common.parallel_map(_iapws, [(table.substance, table.side, table.arg, x) for x in xs])
    if table.side == "vapour":
        return common.parallel_map(_eos, [(table.substance, x) for x in xs])
    y = liquid_density(table.substance)
    return [y(x) for x in xs]


# ---------------------------------------------- ammonia vapour, low pressure

# The library's ammonia vapour density off saturation (PROS16) is the
# second-virial gas, blended near saturation into the saturated density of
# PRHO16 so that the two meet at the saturation temperature. Where the table
# and the virial gas differ at saturation, the blend turns the difference
# into a false slope of the density with temperature (the Joule-Thomson
# coefficient of the vapour took the wrong sign just above saturation at
# 20 and 100 kPa, where the table lay 1 % below the virial gas, carried by
# the anchor factor from 195.45 K). Up to VIRIAL_UNTIL the virial gas is
# within 0.1 % of iapws, so the table follows it there; from IAPWS_FROM on
# it follows iapws, and in between the two are blended (a smooth step of
# the weight). The anchor at 195.45 K, 1.2 % below the virial gas, is met by
# a factor that fades to 1 over the first ANCHOR_FADE intervals, and the
# anchor at 300 K by a factor linear from 1 at IAPWS_FROM.
VIRIAL_UNTIL = 240.0  # K
IAPWS_FROM = 260.0    # K
ANCHOR_FADE = 10      # grid intervals


def ammonia_virial_density(tk):
    """The library's second-virial density of ammonia vapour (kg/m3) at tk
    (K) and the saturation pressure of its vapour-pressure equation:
    17.03 / (8314.4 T / P + B(T)), B the PB16 table's reading."""
    pk = sources.psat_equation("ammonia", tk)
    return 17.03 / (8314.4 * tk / pk + virial_coefficient.reading(_virial_points(), tk))


_VIRIAL = []


def _virial_points():
    if not _VIRIAL:
        _VIRIAL.append(virial_coefficient.build()[0])
    return _VIRIAL[0]


def _low_pressure_weight(tk):
    """Weight of iapws in the low-pressure source: 0 up to VIRIAL_UNTIL, 1
    from IAPWS_FROM on, a smooth step between."""
    u = min(max((tk - VIRIAL_UNTIL) / (IAPWS_FROM - VIRIAL_UNTIL), 0.0), 1.0)
    return u * u * (3.0 - 2.0 * u)


def ammonia_vapour_range(table, shape):
    """Range 1 of PRHO16 (195.45 to 300 K): the virial gas blended into
    iapws (`shape`), times the factor that meets the two anchors. Returns
    the values, the source and the factor as functions of the temperature,
    and the factors at the anchors."""
    grid = table.grid[0]
    t0, t1 = table.ends[0], table.ends[1]
    source = lambda t: (1.0 - _low_pressure_weight(t)) * ammonia_virial_density(t) + _low_pressure_weight(t) * shape(t)
    f0 = table.anchors[0] / source(t0)
    f1 = table.anchors[1] / source(t1)
    knots = [(t0, f0), (grid[ANCHOR_FADE], 1.0), (IAPWS_FROM, 1.0), (t1, f1)]

    def factor(t):
        for (xa, fa), (xb, fb) in zip(knots, knots[1:]):
            if t <= xb:
                return fa + (fb - fa) * (t - xa) / (xb - xa)
        return knots[-1][1]
    values = [source(t) * factor(t) for t in grid]
    values[0], values[-1] = table.anchors[0], table.anchors[1]
    return values, source, factor, (f0, f1), knots


def check_arguments(table):
    """The midpoints at which the interpolation error is measured, per range."""
    return [[r["x0"] + (k + 0.5) * r["step"] for k in common.check_points(r["n"])] for r in table.ranges]


# ------------------------------------------------------------------ build

def build(table):
    xs = sorted({x for g in table.grid for x in g} | {x for m in check_arguments(table) for x in m})
    src = dict(zip(xs, shape_values(table, xs)))
    shape = lambda x: src[x]
    info = {}
    if table.side == "liquid" and not table.reference_substance:
        _, coef, tc = liquid_form(table.substance, table.ends, table.anchors)
        values = common.snap_ends([[shape(x) for x in g] for g in table.grid], table.anchors)
        info.update(coef=coef, tc=tc, standin=standin_errors(table))
        corrected = shape
    else:
        values, factors = common.linear_factor_correction(table.grid, shape, table.ends, table.anchors)
        info["factors"] = factors
        info["forced"] = common.factor_jumps(table.ends, table.anchors, factors)
        low = None
        if table.name == "PRHO16":
            values[0], low_source, low_factor, (f0, f1), knots = ammonia_vapour_range(table, shape)
            info["factors"][0] = f0
            low = lambda x: low_source(x) * low_factor(x)
            # At 300 K the factor of range 1 now comes from 1 at IAPWS_FROM.
            (xa, fa), (xb, fb) = knots[-2], knots[-1]
            r2 = table.ranges[1]
            slope2 = (factors[2] - factors[1]) / (r2["x1"] - r2["x0"])
            info["forced"][0] = table.anchors[1] / f1 * (slope2 - (fb - fa) / (xb - xa))
            info["virial"] = max(abs(v / ammonia_virial_density(x) - 1.0)
                                 for x, v in zip(table.grid[0], values[0]) if knots[1][0] <= x <= VIRIAL_UNTIL)

        def corrected(x):
            if low is not None and x <= table.ranges[0]["x1"]:
                return low(x)
            for r, fa, fb in zip(table.ranges, factors, factors[1:]):
                if x <= r["x1"]:
                    return shape(x) * (fa + (fb - fa) * (x - r["x0"]) / (r["x1"] - r["x0"]))
            raise ValueError(x)
        info["deviation"] = max(abs(v / shape(x) - 1.0) for g, vs in zip(table.grid, values) for x, v in zip(g, vs))
    for vs in values:
        for v in vs:
            if not (math.isfinite(v) and v > 0.0):
                raise ValueError("%s: value %r is not finite and positive" % (table.name, v))
    kept = [vs[0] for vs in values] + [values[-1][-1]]
    if [common.f32(v) for v in kept] != table.anchors or \
            any(common.f32(a[-1]) != common.f32(b[0]) for a, b in zip(values, values[1:])):
        raise ValueError("%s: an anchor is not kept" % table.name)
    info["monotone"] = [common.monotone(vs) for vs in values]
    info["interpolation"] = interpolation_error(table, values, corrected)
    info["switches"] = check_shape(table, values, info)
    return values, info


def check_shape(table, values, info):
    """The shape a saturated density has: the liquid's falls as the
    temperature rises (water's above its maximum near 4 C), the vapour's
    rises with pressure (and with the temperature, PRHO16); and no kink at a
    range switch beyond the one the anchor factor puts there. Raises
    otherwise; returns the switch measures (common.check_switches)."""
    ranges = [common.Range(r["x0"], r["x1"], r["x0"], r["step"], [common.f32(v) for v in vs],
                           lambda pts, x, r=r: common.density_reading(r["x0"], r["x1"], r["step"], pts, x,
                                                                      table.linear))
              for r, vs in zip(table.ranges, values)]
    what = "the saturated %s density" % table.side
    if table.substance == "water" and table.side == "liquid":
        common.check_single_turn(table.name, ranges, what)
        info.update(exempt=[], shape="one maximum")
    else:
        info["exempt"] = common.check_monotone(table.name, ranges, -1 if table.side == "liquid" else +1, what)
        info["shape"] = "%s with %s" % ("falls" if table.side == "liquid" else "rises", table.arg)
    if "forced" in info:
        forced = info["forced"]
    else:
        forced = [0.0] * (len(table.ranges) - 1)
    return common.check_switches(table.name, ranges, forced)


def interpolation_error(table, values, curve):
    """Largest |table reading - source curve| relative to the curve, per
    range, at the checked midpoints, with the points in single precision."""
    out = []
    for r, vs, xs in zip(table.ranges, values, check_arguments(table)):
        pts = [common.f32(v) for v in vs]
        out.append(max(abs(common.density_reading(r["x0"], r["x1"], r["step"], pts, x, table.linear) / curve(x) - 1.0)
                       for x in xs))
    return out


# Stand-in test of the liquid form: how well the form through three points
# follows a real saturated-liquid curve (water, ammonia) over the same
# reduced span.
def standin_errors(table):
    """{reference: largest relative error} of the form through iapws at the
    table's anchor temperatures mapped onto the reference,
    T' = Tc' - (Tc - T) s with s = Tc'/Tc (the same reduced temperatures), or
    smaller where the grid would otherwise begin below the reference's
    lowest saturated temperature; every third grid point and the last one."""
    out = {}
    tc = sources.LIBRARY_TC[table.substance]
    for ref in REFERENCES:
        tcr, tmin = sources.IAPWS_TC[ref], sources.IAPWS_TMIN[ref]
        s = min(tcr / tc, (tcr - tmin) / (tc - table.ends[0]))
        m = lambda t: tcr - (tc - t) * s
        ends = [m(t) for t in table.ends]
        ends[0] = max(ends[0], tmin)
        ys = [sources.saturated(ref, "liquid", "rho", t) for t in ends]
        tau = lambda t: 1.0 - t / tcr
        coef = common._solve3([(1.0, tau(t) ** (1.0 / 3.0), tau(t)) for t in ends], ys)
        y = lambda t: coef[0] + coef[1] * tau(t) ** (1.0 / 3.0) + coef[2] * tau(t)
        pts = [max(m(t), tmin) for g in table.grid for t in g[::3] + g[-1:]]
        out[ref] = max(abs(y(t) / sources.saturated(ref, "liquid", "rho", t) - 1.0) for t in pts)
    return out


# ------------------------------------------------------------------ output

def _literal(text):
    return common.decimal_double_literal(text)


def cpp(tables, built):
    body = ["namespace prop_data {", "", "namespace {", ""]
    for t in tables:
        values, _ = built[t.name]
        body.append("// %s: %s %s, kg/m3 over %s" % (t.name, t.substance, t.side,
                                                     "absolute temperature" if t.arg == "T" else "absolute pressure"))
        for k, vs in enumerate(values):
            body.append(common.float_array("k%s_%d" % (t.name, k + 1), vs))
        body.append("")
    body += ["}  // namespace", ""]
    for t in tables:
        rs = ["{%s, %s, (%s - %s) / %d, %d, k%s_%d}" % (
            _literal(r["x0_text"]), _literal(r["x1_text"]), _literal(r["x1_text"]), _literal(r["x0_text"]),
            r["n"] - 1, r["n"], t.name, k + 1) for k, r in enumerate(t.ranges)]
        body.append("const DensityTable k%s = {%d, %s, {%s}};" % (
            t.name, len(rs), "true" if t.linear else "false", ",\n    ".join(rs)))
    body += ["", "}  // namespace prop_data"]
    comment = ("Saturation density tables: kg/m3 over absolute temperature or pressure;\n"
               "properties/data/README.md says where they come from.")
    return common.cpp_file(comment, "\n".join(body))


def declarations(tables):
    return ["extern const DensityTable k%s;" % t.name for t in tables]


def _errors(errs):
    return " / ".join("%.1e" % e for e in errs)


def report(tables, built):
    ref = ["| table | substance, side | anchor / source at the range ends | largest departure from the source "
           "| interpolation error per range (relative) |",
           "|---|---|---|---|---|"]
    liq = ["| table | substance | Tc (K) | rho0, a, b (kg/m3) | stand-in error, water / ammonia "
           "| interpolation error per range (relative) | monotone in each range |",
           "|---|---|---|---|---|---|---|"]
    low = ""
    for t in tables:
        values, info = built[t.name]
        if "factors" in info:
            source = "iapws" if t.reference_substance else "equation of state"
            if "virial" in info:
                source = "virial gas below %.0f K, iapws from %.0f K" % (VIRIAL_UNTIL, IAPWS_FROM)
                low = ("\n\n`PRHO16` from %.3f to %.0f K departs from the library's virial gas by at most %s."
                       % (t.grid[0][ANCHOR_FADE], VIRIAL_UNTIL, common.percent(info["virial"])))
            ref.append("| %s | %s %s (%s) | %s | %s | %s |" % (
                t.name, t.substance, t.side, source, " / ".join("%.4f" % f for f in info["factors"]),
                common.percent(info["deviation"]), _errors(info["interpolation"])))
        else:
            liq.append("| %s | %s | %.3f | %.1f, %.1f, %.1f | %s / %s | %s | %s |" % (
                t.name, t.substance, info["tc"], info["coef"][0], info["coef"][1], info["coef"][2],
                common.percent(info["standin"]["water"]), common.percent(info["standin"]["ammonia"]),
                _errors(info["interpolation"]), " / ".join("yes" if m else "**no**" for m in info["monotone"])))
    shapes = common.SHAPE_HEADER + [
        common.shape_row(t.name, "%s %s" % (t.substance, t.side), built[t.name][1]["shape"],
                         built[t.name][1]["exempt"], built[t.name][1]["switches"]) for t in tables]
    return {"density-sources": "\n".join(ref) + low, "density-liquid-forms": "\n".join(liq),
            "density-shapes": "\n".join(shapes)}


def tables():
    return [Table(row) for row in TABLES]


def generate():
    ts = tables()
    built = {t.name: build(t) for t in ts}
    files = {"properties/data/saturation_density_data.cpp": cpp(ts, built)}
    return files, declarations(ts), report(ts, built)
