"""Saturation enthalpies (PETHnn): the specific enthalpy of the saturated
liquid (odd nn) and vapour (even nn) over absolute pressure, in two, four or
six ranges with a uniform step each, read by quadratic interpolation through
three neighbouring points (the reading of the saturation temperatures).

The tables' enthalpy scale has a zero of its own per substance, which the
values at the range ends (the anchors) fix. Sources, in order:
- water and ammonia: python3-iapws saturated enthalpies moved onto that
  scale by one constant per substance (the median of anchor - iapws over the
  anchors of both sides), then the anchor correction: a term linear in
  pressure within each range that makes both ends of the range equal their
  anchors (added, not multiplied: an enthalpy's zero is arbitrary);
- the refrigerant vapours: the Martin-Hou equation of the vapour specific
  heat integrated to the enthalpy (sources.martin_hou_vapour_enthalpy), moved
  onto the scale by the median over the vapour anchors;
- the refrigerant liquids: the vapour's closed form minus the latent heat
  of Clapeyron's equation, T (v_vapour - v_liquid) dPsat/dT, with the library's
  vapour-pressure equation and the sources of the saturated densities.
A closed form whose largest miss at the anchors stays within the table's own
interpolation error gets the linear anchor correction. Where it misses by
more, the table is a smooth curve in ln P through the anchors instead: the
closed form bent onto them by the monotone cubic curve in ln P through its
misses (common.pchip; a bare curve through the few anchors departs from a
real saturated enthalpy by tens of kJ/kg, see the README); R21 vapour, which
has no closed form, is the monotone cubic curve in ln P through its anchors.
"""

import math

import common
import saturation_density
import sources

# name, substance, side, ranges: (lower end, upper end, origin, step, points,
# value at the origin, value at the upper end), pressures in Pa, values in
# J/kg, as the data give them.
TABLES = [
    ("PETH01", "water", "liquid", [
        ("610", "20810", "610", "200", 102, "746.8", "255029.4"),
        ("20810", "110810", "20810", "900", 101, "255029.4", "429689.6"),
        ("110810", "2090810", "110810", "20000", 100, "429689.6", "919153.8"),
        ("2090810", "20090810", "2090810", "200000", 91, "919153.8", "1833800.4")]),
    ("PETH02", "water", "vapour", [
        ("610", "20810", "610", "200", 102, "2503786", "2609773"),
        ("20810", "110810", "20810", "900", 101, "2609773", "2681181"),
        ("110810", "2090810", "110810", "20000", 100, "2681181", "2798401"),
        ("2090810", "20090810", "2090810", "200000", 91, "2798401", "2402141.5")]),
    ("PETH03", "R11", "liquid", [
        ("610", "9710", "610", "100", 92, "-24833.2", "9176"),
        ("9710", "199710", "9710", "1900", 101, "9176", "72741.1"),
        ("199710", "983710", "199710", "8000", 99, "72741.1", "131326"),
        ("983710", "4183710", "983710", "32000", 101, "131326", "239503.7")]),
    ("PETH04", "R11", "vapour", [
        ("610", "150610", "610", "1500", 101, "188636.6", "240668"),
        ("150610", "4209610", "150610", "41000", 100, "240668", "279611.6")]),
    ("PETH05", "R12", "liquid", [
        ("610", "46588", "610", "474", 98, "-57576.7", "-5833.2"),
        ("46588", "69908", "46588", "220", 107, "-5833.2", "1584.5"),
        ("69908", "491308", "69908", "4300", 99, "1584.5", "49882"),
        ("491308", "4091308", "491308", "36000", 101, "49882", "168810")]),
    ("PETH06", "R12", "vapour", [
        ("610", "150610", "610", "1500", 101, "139086", "178705.9"),
        ("150610", "4045610", "150610", "41000", 96, "178705.9", "193913.5")]),
    ("PETH07", "R21", "liquid", [
        ("610", "20000", "610", "193.9", 101, "-36233.7", "12983.2"),
        ("20000", "200000", "20000", "1800", 101, "12983.2", "68585.6"),
        ("200000", "1000000", "200000", "8000", 101, "68585.6", "135879.6"),
        ("1000000", "5200000", "1000000", "42000", 101, "135879.6", "224353.2")]),
    ("PETH08", "R21", "vapour", [
        ("610", "100000", "610", "993.9", 101, "248732.8", "290824"),
        ("100000", "1000000", "100000", "9000", 101, "290824", "326018.7"),
        ("1000000", "2000000", "1000000", "10000", 101, "326018.7", "334356.9"),
        ("2000000", "5200000", "2000000", "32000", 101, "334356.9", "334554.5")]),
    ("PETH09", "R22", "liquid", [
        ("610", "147610", "610", "1500", 99, "-68476.4", "16343.9"),
        ("147610", "4899610", "147610", "48000", 100, "16343.9", "226854.4")]),
    ("PETH10", "R22", "vapour", [
        ("610", "150610", "610", "1500", 101, "200671.9", "245132.4"),
        ("150610", "4900610", "150610", "50000", 96, "245132.4", "259511.2")]),
    ("PETH11", "R114", "liquid", [
        ("610", "37240", "610", "370", 100, "-34665.5", "17621.4"),
        ("37240", "150240", "37240", "1130", 101, "17621.4", "50240.4"),
        ("150240", "1190645", "150240", "9545", 110, "50240.4", "132844"),
        ("1190645", "3190645", "1190645", "20000", 101, "132844", "206225")]),
    ("PETH12", "R114", "vapour", [
        ("610", "150610", "610", "1500", 101, "124599.4", "182671.3"),
        ("150610", "3188610", "150610", "31000", 99, "182671.3", "233736.1")]),
    ("PETH13", "R502", "liquid", [
        ("610", "9710", "610", "100", 92, "-59987.5", "-38451.8"),
        ("9710", "199710", "9710", "1900", 101, "-38451.8", "10384.8"),
        ("199710", "983710", "199710", "8000", 99, "10384.8", "63957.4"),
        ("983710", "3983710", "983710", "30000", 101, "63957.4", "159439.5")]),
    ("PETH14", "R502", "vapour", [
        ("610", "150610", "610", "1500", 101, "132011.5", "172103.9"),
        ("150610", "4070610", "150610", "40000", 99, "172103.9", "180154")]),
    ("PETH15", "ammonia", "liquid", [
        ("10000", "490000", "10000", "5000", 97, "-435268.9", "-101176.1"),
        ("490000", "900000", "490000", "5000", 83, "-101176.1", "-16877"),
        ("900000", "1300000", "900000", "4000", 101, "-16877", "41824.4"),
        ("1300000", "3300000", "1300000", "20000", 101, "41824.4", "227280.4"),
        ("3300000", "8400000", "3300000", "50000", 103, "227280.4", "485827.1"),
        ("8400000", "11000000", "8400000", "50000", 53, "485827.1", "449505.9")]),
    ("PETH16", "ammonia", "vapour", [
        ("10000", "598000", "10000", "6000", 99, "1036835.5", "1152691.5"),
        ("598000", "3328000", "598000", "30000", 92, "1152691.5", "1166813.2"),
        ("3328000", "8400000", "3300000", "50000", 103, "1167081.2", "1026618.5"),
        ("8400000", "11000000", "8400000", "50000", 53, "1026618.5", "655644.7")]),
]

REFERENCES = ("water", "ammonia")


class Table:
    def __init__(self, row):
        self.name, self.substance, self.side, rows = row
        self.reference_substance = self.substance in REFERENCES
        self.ranges = []
        for lower, upper, origin, step, n, first, last in rows:
            lo, up, org, h = float(lower), float(upper), float(origin), float(step)
            if abs(org + (n - 1) * h - up) > 1e-6 * up or org > lo:
                raise ValueError("%s: range %s to %s does not hold %d points" % (self.name, lower, upper, n))
            grid = [org + k * h for k in range(n - 1)] + [up]
            self.ranges.append({"text": (lower, upper, origin, step), "lower": lo, "upper": up, "origin": org,
                                "step": h, "n": n, "grid": grid,
                                "first": common.f32(first), "last": common.f32(last)})
        for a, b in zip(self.ranges, self.ranges[1:]):
            if a["text"][1] != b["text"][0]:
                raise ValueError("%s: neighbouring ranges do not meet" % self.name)
            if b["origin"] == b["lower"] and a["last"] != b["first"]:
                raise ValueError("%s: neighbouring ranges do not share their end" % self.name)
        self.grid = [r["grid"] for r in self.ranges]
        # The anchors as (pressure, value): the first and last point of each range.
        self.ends = [(r["origin"], r["first"], r["upper"], r["last"]) for r in self.ranges]
        self.anchor_points = sorted({(x, y) for xa, ya, xb, yb in self.ends for x, y in ((xa, ya), (xb, yb))})


def tables():
    return [Table(row) for row in TABLES]


# ---------------------------------------------------------------- sources

def _iapws(args):
    substance, p = args
    return sources.at_pressure(substance, p)


def _martin_hou(args):
    """The Martin-Hou vapour enthalpy, None where the equation has no vapour
    root (close below the critical point)."""
    try:
        return sources.martin_hou_vapour_enthalpy(*args)
    except sources.NoVapourRoot:
        return None


def _latent(args):
    """Clapeyron's latent heat (J/kg) of a refrigerant at absolute pressure p:
    T (v_vapour - v_liquid) dPsat/dT at the saturation temperature of the
    library's vapour-pressure equation, the vapour volume from the library's
    equation of state and the liquid volume from the saturated-liquid density
    curve. None where the equation of state has no vapour root, and beyond
    the end of the liquid density table (R21's enthalpy tables reach past it
    and past the critical temperature, where the curve falls steeply)."""
    substance, p = args
    tk = sources.tsat_equation(substance, p)
    if tk > saturation_density.liquid_density_end(substance):
        return None
    try:
        rho_v = sources.eos_vapour_density(substance, p, tk)
    except sources.NoVapourRoot:
        return None
    rho_l = saturation_density.liquid_density(substance)(tk)
    return tk * (1.0 / rho_v - 1.0 / rho_l) * sources.dpsat_dt(substance, tk)


def check_arguments(table):
    return [[r["origin"] + (k + 0.5) * r["step"] for k in common.check_points(r["n"])
             if r["origin"] + (k + 0.5) * r["step"] >= r["lower"]] for r in table.ranges]


def all_pressures(ts):
    out = set()
    for t in ts:
        out |= {x for g in t.grid for x in g} | {x for c in check_arguments(t) for x in c}
    return sorted(out)


def interpolation_error(table, values, curve):
    """Largest |table reading - curve| (J/kg) per range, at the checked
    midpoints, with the points in single precision."""
    out = []
    for r, vs, xs in zip(table.ranges, values, check_arguments(table)):
        pts = [common.f32(v) for v in vs]
        out.append(max(abs(common.quadratic_reading(r["lower"], r["upper"], r["origin"], r["step"], pts, x)
                           - curve(x)) for x in xs))
    return out


def curve_in_log_pressure(points):
    """The smooth curve in ln P through (pressure, value) points: the
    monotone piecewise-cubic Hermite curve (common.pchip)."""
    s = common.pchip([math.log(p) for p, _ in points], [v for _, v in points])
    return lambda p: s(math.log(p))


def continued(table, form):
    """The closed form `form` (None where undefined) at every pressure of the
    table: close below the critical point the vapour equations can lose
    their vapour root at the saturation temperature of the vapour-pressure
    equation, and the form has no value there. Above the last grid point
    where it is defined the form is continued by the parabola in ln P
    through its values at the last three such grid points. Returns the
    function and that last pressure (None when the form is defined
    everywhere)."""
    grid = sorted({p for g in table.grid for p in g})
    undefined = [p for p in all_pressures([table]) if form(p) is None]
    if not undefined:
        return form, None
    defined = [p for p in grid if form(p) is not None]
    last = defined[-1]
    if len(defined) < 3 or any(p < last for p in undefined):
        raise ValueError("%s: the closed form is undefined inside the table" % table.name)
    xs = [math.log(p) for p in defined[-3:]]
    ys = [form(p) for p in defined[-3:]]

    def parabola(p):
        x = math.log(p)
        return sum(y * math.prod((x - xk) / (xj - xk) for k, xk in enumerate(xs) if k != j)
                   for j, (xj, y) in enumerate(zip(xs, ys)))
    return (lambda p: form(p) if p <= last else parabola(p)), last


# ------------------------------------------------------------------ build

def corrected_curve(table, shape, offsets):
    """shape plus the linear anchor correction of the range that holds p (the
    last range's beyond the table, where a liquid table reaches further than
    its vapour table)."""
    def curve(p):
        for r, (da, db) in zip(table.ranges, offsets):
            if p <= r["upper"] or r is table.ranges[-1]:
                return shape(p) + da + (db - da) * (p - r["origin"]) / (r["upper"] - r["origin"])
    return curve


def build_reference(table, states, offset):
    """Water or ammonia: iapws moved by the substance's offset, with the
    linear anchor correction."""
    shape = lambda p: states[p][table.side]["h"] + offset
    values, offsets = common.range_offset_correction(table.grid, shape, table.ends)
    curve = corrected_curve(table, shape, offsets)
    info = {"source": "iapws", "offset": offset, "corrections": offsets, "curve_kind": "linear correction",
            "departure": max(abs(v - shape(p)) for g, vs in zip(table.grid, values) for p, v in zip(g, vs))}
    return values, curve, info


def build_closed(table, closed, offset):
    """A refrigerant table from its closed form (None: no closed form; the
    form itself None where undefined, see continued): the linear anchor
    correction when the form meets the anchors within the table's
    interpolation error, else the form bent onto them by the smooth curve in
    ln P through its misses (the bare curve through the anchors when there is
    no form). Anchors beyond the form's last defined point do not test the
    form, so they take no part in that choice."""
    info = {"offset": offset}
    if closed is None:
        curve = curve_in_log_pressure(table.anchor_points)
        info.update(source="none", curve_kind="curve through the anchors", continued_above=None)
    else:
        form, last = continued(table, closed)
        shape = lambda p: form(p) + offset
        misses = [(p, y - shape(p)) for p, y in table.anchor_points]
        plain = [[shape(p) for p in g] for g in table.grid]
        own = interpolation_error(table, plain, shape)
        info.update(misses=misses, form_interpolation=own, continued_above=last)
        tested = [m for p, m in misses if last is None or p <= last]
        if max(abs(m) for m in tested) <= max(own):
            offsets = common.range_offset_correction(table.grid, shape, table.ends)[1]
            curve = corrected_curve(table, shape, offsets)
            info.update(curve_kind="linear correction", corrections=offsets)
        else:
            bend = curve_in_log_pressure(misses)
            curve = lambda p: shape(p) + bend(p)
            info["curve_kind"] = "curve through the misses"
        info["departure"] = max(abs(curve(p) - shape(p)) for g in table.grid for p in g)
    values = [[curve(p) for p in g] for g in table.grid]
    values = [[r["first"]] + vs[1:-1] + [r["last"]] for r, vs in zip(table.ranges, values)]
    return values, curve, info


def check(table, values):
    for vs in values:
        if not all(math.isfinite(v) for v in vs):
            raise ValueError("%s: a value is not finite" % table.name)
    for r, vs in zip(table.ranges, values):
        if common.f32(vs[0]) != r["first"] or common.f32(vs[-1]) != r["last"]:
            raise ValueError("%s: an anchor is not kept" % table.name)


def shape_ranges(table, values):
    """The table's ranges as the shape checks see them (common.Range)."""
    return [common.Range(r["lower"], r["upper"], r["origin"], r["step"], [common.f32(v) for v in vs],
                         lambda pts, x, r=r: common.quadratic_reading(r["lower"], r["upper"], r["origin"], r["step"],
                                                                      pts, x))
            for r, vs in zip(table.ranges, values)]


def check_shape(table, values, info):
    """The shape a saturated enthalpy has: the liquid's rises with pressure
    (but in a range whose anchors fall), the vapour's rises to one maximum
    and falls from it; and no kink at a range switch beyond the one the
    linear anchor correction puts there. Raises otherwise; returns the switch
    measures (common.check_switches)."""
    ranges = shape_ranges(table, values)
    if table.side == "liquid":
        info["exempt"] = common.check_monotone(table.name, ranges, +1, "the saturated-liquid enthalpy")
        info["shape"] = "rises with P"
    else:
        common.check_single_turn(table.name, ranges, "the saturated-vapour enthalpy")
        info.update(exempt=[], shape="one maximum")
    if "corrections" in info:
        forced = common.offset_jumps([(r["origin"], r["upper"]) for r in table.ranges], info["corrections"])
    else:
        forced = [0.0] * (len(table.ranges) - 1)
    return common.check_switches(table.name, ranges, forced)


def build_all(ts):
    built = {}
    refs = {}
    for sub in REFERENCES:
        ps = sorted({p for t in ts if t.substance == sub for p in all_pressures([t])})
        refs[sub] = dict(zip(ps, common.parallel_map(_iapws, [(sub, p) for p in ps])))
    for sub in REFERENCES:
        sts = refs[sub]
        diffs = [y - sts[p][t.side]["h"] for t in ts if t.substance == sub for p, y in t.anchor_points]
        offset = common.median(diffs)
        for t in ts:
            if t.substance == sub:
                values, curve, info = build_reference(t, sts, offset)
                built[t.name] = (values, curve, info)
    others = [t for t in ts if not t.reference_substance]
    for sub in sorted({t.substance for t in others}):
        vap = next(t for t in others if t.substance == sub and t.side == "vapour")
        liq = next(t for t in others if t.substance == sub and t.side == "liquid")
        # The vapour's closed form on the table's scale: Martin-Hou moved by
        # the median miss at the vapour anchors; without one (R21), the
        # vapour table's own curve through its anchors.
        if sub in sources.MARTIN_HOU:
            ps = all_pressures([vap, liq])
            mh = dict(zip(ps, common.parallel_map(_martin_hou, [(sub, p) for p in ps])))
            offset = common.median([y - continued(vap, mh.get)[0](p) for p, y in vap.anchor_points])
            vap_values, vap_curve, vap_info = build_closed(vap, mh.get, offset)
            vap_info["source"] = "Martin-Hou"
            vapour = lambda p, mh=mh, offset=offset: None if mh[p] is None else mh[p] + offset
        else:
            vap_values, vap_curve, vap_info = build_closed(vap, None, 0.0)
            vapour = vap_curve
        built[vap.name] = (vap_values, vap_curve, vap_info)
        ps = all_pressures([liq])
        latent = dict(zip(ps, common.parallel_map(_latent, [(sub, p) for p in ps])))
        liq_values, liq_curve, liq_info = build_closed(
            liq, lambda p, vapour=vapour, latent=latent: None if vapour(p) is None or latent[p] is None
            else vapour(p) - latent[p], 0.0)
        liq_info["source"] = "vapour - Clapeyron"
        built[liq.name] = (liq_values, liq_curve, liq_info)
    for t in ts:
        values, curve, info = built[t.name]
        check(t, values)
        info["interpolation"] = interpolation_error(t, values, curve)
        info["switches"] = check_shape(t, values, info)
    return {t.name: (built[t.name][0], built[t.name][2]) for t in ts}


# ------------------------------------------------------------------ output

def _literal(text):
    return common.decimal_double_literal(text)


def cpp(ts, built):
    body = ["namespace prop_data {", "", "namespace {", ""]
    for t in ts:
        body.append("// %s: %s %s, J/kg" % (t.name, t.substance, t.side))
        for k, vs in enumerate(built[t.name][0]):
            body.append(common.float_array("k%s_%d" % (t.name, k + 1), vs))
        body.append("")
    body += ["}  // namespace", ""]
    for t in ts:
        rs = ["{%s, %s, %s, %s, %d, k%s_%d}" % (tuple(_literal(x) for x in r["text"]) + (r["n"], t.name, k + 1))
              for k, r in enumerate(t.ranges)]
        body.append("const PressureTable k%s = {%d, {%s}};" % (t.name, len(rs), ",\n    ".join(rs)))
    body += ["", "}  // namespace prop_data"]
    comment = ("Saturation enthalpy tables: J/kg over absolute pressure;\n"
               "properties/data/README.md says where they come from.")
    return common.cpp_file(comment, "\n".join(body))


def declarations(ts):
    return ["extern const PressureTable k%s;" % t.name for t in ts]


def _j(x):
    return "%+.0f" % x


def report(ts, built):
    ref = ["| table | substance, side | offset of the scale (J/kg) | anchor corrections at the range ends (J/kg) "
           "| interpolation error per range (J/kg) |",
           "|---|---|---|---|---|"]
    ref_rows = []
    rows = ["| table | substance, side | source | misses at the anchors (J/kg) | interpolation error of the "
            "closed form (J/kg) | table | departure from the closed form (J/kg) | interpolation error per range "
            "(J/kg) |",
            "|---|---|---|---|---|---|---|---|"]
    for t in ts:
        _, info = built[t.name]
        interp = " / ".join("%.1f" % e for e in info["interpolation"])
        if t.reference_substance:
            ref_rows.append("| %s | %s %s | %s | %s | %s |" % (
                t.name, t.substance, t.side, _j(info["offset"]),
                " / ".join("%s, %s" % (_j(a), _j(b)) for a, b in info["corrections"]), interp))
        elif info["source"] == "none":
            rows.append("| %s | %s %s | none | - | - | %s | - | %s |" % (
                t.name, t.substance, t.side, info["curve_kind"], interp))
        else:
            kind = info["curve_kind"]
            if info["continued_above"] is not None:
                kind += ", the form continued above %.0f Pa" % info["continued_above"]
            rows.append("| %s | %s %s | %s | %s | %.1f | %s | %.0f | %s |" % (
                t.name, t.substance, t.side, info["source"], " / ".join(_j(m) for _, m in info["misses"]),
                max(info["form_interpolation"]), kind, info["departure"], interp))
    shapes = common.SHAPE_HEADER + [
        common.shape_row(t.name, "%s %s" % (t.substance, t.side), built[t.name][1]["shape"],
                         built[t.name][1]["exempt"], built[t.name][1]["switches"]) for t in ts]
    return {"enthalpy-references": "\n".join(ref + ref_rows), "enthalpy-refrigerants": "\n".join(rows),
            "enthalpy-curve-check": curve_check(), "enthalpy-shapes": "\n".join(shapes)}


# The bare curve in ln P through a table's few anchors, tried on water and
# ammonia over the pressures of the tables' anchors.
CURVE_CHECKS = [
    ("water", "vapour", (610, 20810, 110810, 2090810, 20090810)),
    ("water", "liquid", (610, 20810, 110810, 2090810, 20090810)),
    ("water", "vapour", (610, 150610, 4209610)),
    ("water", "liquid", (610, 150610, 4209610)),
    ("ammonia", "vapour", (10000, 598000, 3328000, 8400000, 11000000)),
    ("ammonia", "liquid", (10000, 490000, 900000, 1300000, 3300000, 8400000, 11000000)),
]


def _check_row(args):
    sub, side, ends = args
    f = lambda p: sources.at_pressure(sub, p)[side]["h"]
    s = curve_in_log_pressure([(p, f(p)) for p in ends])
    lo, hi = math.log(ends[0]), math.log(ends[-1])
    worst = max(abs(s(p) - f(p)) for p in (math.exp(lo + (hi - lo) * k / 60.0) for k in range(61)))
    return "| %s %s | %s | %.0f |" % (sub, side, ", ".join("%d" % p for p in ends), worst)


def curve_check():
    rows = ["| substance, side | anchor pressures (Pa) | largest departure from iapws (J/kg) |", "|---|---|---|"]
    return "\n".join(rows + common.parallel_map(_check_row, CURVE_CHECKS))


def generate():
    ts = tables()
    built = build_all(ts)
    files = {"properties/data/saturation_enthalpy_data.cpp": cpp(ts, built)}
    return files, declarations(ts), report(ts, built)
