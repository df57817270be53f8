"""Temperature tables of the substance library: thermal conductivity
(PCNDnn), specific heat (PCPnn, table members) and dynamic viscosity
(PVSCnn) of the saturated liquid (odd nn) and vapour (even nn), two ranges
with a uniform step each, read by linear interpolation.

Sources, in order:
- water and ammonia: the curve's shape from python3-iapws saturated states,
  times a factor linear in T within each range that equals anchor/iapws at
  both ends of the range (common.linear_factor_correction);
- the refrigerants: a three-coefficient form through the three anchors
  (common.FORMS), chosen per property and side by testing the candidate
  forms on the water and ammonia tables (choose_forms).
Every anchor (the values at T0, T1 and T2) is kept as given.
"""

import math

import common
import sources

# name, substance, side, (T0, T1, T2) K, (points of range 1, of range 2),
# (step 1, step 2) K, (value at T0, at T1, at T2), all as the data give them.
TABLES = [
    ("PCND01", "water", "liquid", ("273.16", "447.76", "624.16"), (98, 99), ("1.8", "1.8"), ("0.5683", "0.6792", "0.4375")),
    ("PCND02", "water", "vapour", ("273.16", "471.16", "623.76"), (100, 110), ("2", "1.4"), ("0.0173", "0.0397", "0.1362")),
    ("PCND03", "R11", "liquid", ("199.95", "372.75", "470.75"), (97, 99), ("1.8", "1"), ("0.1149", "0.0662", "0.0246")),
    ("PCND04", "R11", "vapour", ("288.71", "372.71", "471.71"), (106, 111), ("0.8", "0.9"), ("0.01018", "0.0111", "0.02235")),
    ("PCND05", "R12", "liquid", ("177.6", "299.2", "385.2"), (77, 87), ("1.6", "1"), ("0.1131", "0.0686", "0.0242")),
    ("PCND06", "R12", "vapour", ("244.26", "347.46", "384.66"), (87, 63), ("1.2", "0.6"), ("0.00701", "0.01287", "0.02088")),
    ("PCND07", "R21", "liquid", ("188.15", "342.95", "451.95"), (87, 110), ("1.8", "1"), ("0.1438", "0.085", "0.0294")),
    ("PCND08", "R21", "vapour", ("288.15", "412.65", "451.65"), (84, 66), ("1.5", "0.6"), ("0.00843", "0.01423", "0.02569")),
    ("PCND09", "R22", "liquid", ("199.85", "304.25", "369.05"), (59, 82), ("1.8", "0.8"), ("0.1364", "0.0843", "0.0331")),
    ("PCND10", "R22", "vapour", ("233.15", "342.65", "369.05"), (74, 89), ("1.5", "0.3"), ("0.00699", "0.01429", "0.02922")),
    ("PCND11", "R114", "liquid", ("199.85", "311.45", "418.25"), (63, 90), ("1.8", "1.2"), ("0.0902", "0.0611", "0.0224")),
    ("PCND12", "R114", "vapour", ("277.15", "342.75", "418.75"), (83, 96), ("0.8", "0.8"), ("0.00918", "0.01295", "0.01768")),
    ("PCND13", "R502", "liquid", ("199.15", "312.75", "355.35"), (72, 72), ("1.6", "0.6"), ("0.103", "0.0583", "0.0251")),
    ("PCND14", "R502", "vapour", ("221.15", "313.15", "355.15"), (116, 85), ("0.8", "0.5"), ("0.01298", "0.01283", "0.02366")),
    ("PCND15", "ammonia", "liquid", ("195.45", "278.05", "363.45"), (60, 62), ("1.4", "1.4"), ("0.6312", "0.5097", "0.3292")),
    ("PCND16", "ammonia", "vapour", ("195.45", "332.25", "363.05"), (77, 78), ("1.8", "0.4"), ("0.01526", "0.03916", "0.0635")),
    ("PCP01", "water", "liquid", ("273.16", "447.96", "624.66"), (93, 94), ("1.9", "1.9"), ("4198.12", "4385.72", "10680.53")),
    ("PCP02", "water", "vapour", ("273.16", "470.96", "624.41"), (87, 94), ("2.3", "1.65"), ("1868.07", "2846.68", "16944.59")),
    ("PCP03", "R11", "liquid", ("199.95", "372", "471"), (94, 91), ("1.85", "1.1"), ("816.76", "965.79", "1256.88")),
    ("PCP05", "R12", "liquid", ("177.6", "299.1", "386.1"), (91, 88), ("1.35", "1"), ("832.42", "975.45", "1897.43")),
    ("PCP07", "R21", "liquid", ("188.15", "342.85", "452.05"), (92, 92), ("1.7", "1.2"), ("563.15", "654.78", "5416.11")),
    ("PCP08", "R21", "vapour", ("288.15", "412.75", "451.81"), (90, 94), ("1.4", "0.42"), ("322.3", "564.35", "914.99")),
    ("PCP09", "R22", "liquid", ("199.85", "304.25", "370.05"), (88, 95), ("1.2", "0.7"), ("1067.64", "1276.7", "2112.85")),
    ("PCP11", "R114", "liquid", ("199.85", "312.95", "419.75"), (88, 90), ("1.3", "1.2"), ("786.86", "1046.27", "1294.3")),
    ("PCP13", "R502", "liquid", ("199.15", "312.25", "355.75"), (88, 88), ("1.3", "0.5"), ("566.76", "718.75", "825.5")),
    ("PCP15", "ammonia", "liquid", ("195.45", "278.25", "364.25"), (93, 87), ("0.9", "1"), ("4841.28", "4649.18", "6275.14")),
    ("PCP16", "ammonia", "vapour", ("195.45", "331.95", "363.45"), (92, 91), ("1.5", "0.35"), ("1986.81", "4168.26", "6436.2")),
    ("PVSC01", "water", "liquid", ("273.16", "447.96", "624.66"), (93, 94), ("1.9", "1.9"), ("0.001793", "0.000155", "6.497e-5")),
    ("PVSC02", "water", "vapour", ("273.16", "475", "623.15"), (101, 101), ("2.0184", "1.4815"), ("9.226e-6", "1.577e-5", "2.382e-5")),
    ("PVSC03", "R11", "liquid", ("199.95", "372", "471"), (94, 91), ("1.85", "1.1"), ("0.001654", "0.0002376", "4.216e-5")),
    ("PVSC04", "R11", "vapour", ("288.71", "372.31", "471.31"), (89, 91), ("0.95", "1.1"), ("1.08e-5", "1.337e-5", "3.243e-5")),
    ("PVSC05", "R12", "liquid", ("177.6", "299.1", "386.1"), (91, 88), ("1.35", "1"), ("0.001007", "0.0002115", "3.648e-5")),
    ("PVSC06", "R12", "vapour", ("244.26", "347.46", "385.68"), (87, 92), ("1.2", "0.42"), ("1.032e-5", "1.641e-5", "2.987e-5")),
    ("PVSC07", "R21", "liquid", ("188.15", "342.85", "452.05"), (92, 92), ("1.7", "1.2"), ("0.001314", "0.0002259", "4.25e-5")),
    ("PVSC08", "R21", "vapour", ("288.15", "412.75", "451.81"), (90, 94), ("1.4", "0.42"), ("1.128e-5", "1.762e-5", "2.992e-5")),
    ("PVSC09", "R22", "liquid", ("199.85", "304.25", "370.05"), (88, 95), ("1.2", "0.7"), ("0.0004755", "0.0001896", "3.422e-5")),
    ("PVSC10", "R22", "vapour", ("233.15", "342.35", "369.35"), (92, 91), ("1.2", "0.3"), ("1.013e-5", "1.633e-5", "2.952e-5")),
    ("PVSC11", "R114", "liquid", ("199.85", "312.95", "419.75"), (88, 90), ("1.3", "1.2"), ("0.001795", "0.0002877", "3.578e-5")),
    ("PVSC12", "R114", "vapour", ("277.15", "343.15", "419.65"), (89, 91), ("0.75", "0.85"), ("1.009e-5", "1.289e-5", "2.983e-5")),
    ("PVSC13", "R502", "liquid", ("199.15", "312.25", "355.75"), (88, 88), ("1.3", "0.5"), ("0.0005701", "0.0001503", "3.331e-5")),
    ("PVSC14", "R502", "vapour", ("221.15", "312.45", "355.45"), (84, 87), ("1.1", "0.5"), ("9.578e-6", "1.478e-5", "3.037e-5")),
    ("PVSC15", "ammonia", "liquid", ("195.45", "278.25", "364.25"), (93, 87), ("0.9", "1"), ("0.0006899", "0.0001736", "7.6e-5")),
    ("PVSC16", "ammonia", "vapour", ("195.45", "331.95", "363.45"), (92, 91), ("1.5", "0.35"), ("6.573e-6", "1.189e-5", "1.351e-5")),
]

PROPERTY = {"PCND": "k", "PCP": "cp", "PVSC": "mu"}
UNIT = {"k": "W/(m K)", "cp": "J/(kg K)", "mu": "Pa s"}
KINDS = [("k", "liquid"), ("k", "vapour"), ("cp", "liquid"), ("cp", "vapour"), ("mu", "liquid"), ("mu", "vapour")]
REFERENCES = ("water", "ammonia")


class Table:
    def __init__(self, row):
        (self.name, self.substance, self.side, self.t_text, (self.n1, self.n2),
         self.step_text, self.anchor_text) = row
        self.family = self.name[:-2]
        self.prop = PROPERTY[self.family]
        self.kind = (self.prop, self.side)
        self.t0, self.t1, self.t2 = (float(x) for x in self.t_text)
        self.step1, self.step2 = (float(x) for x in self.step_text)
        self.anchors = [common.f32(x) for x in self.anchor_text]
        # The grid as the data mean it: T0 + k*step1, T1 + k*step2.
        self.grid = [[self.t0 + k * self.step1 for k in range(self.n1)],
                     [self.t1 + k * self.step2 for k in range(self.n2)]]
        for r, b in enumerate((self.t1, self.t2)):
            if abs(self.grid[r][-1] - b) > 1e-9 * b:
                raise ValueError("%s: range %d does not end at %r" % (self.name, r + 1, b))
            self.grid[r][-1] = b
        self.ends = (self.t0, self.t1, self.t2)
        self.tcs = sources.pole_temperature(self.substance, self.t2)
        self.reference_substance = self.substance in REFERENCES


# ------------------------------------------------------------- assessment

def _form_errors(substance, side, prop, ends, grid, tcs):
    """For every candidate form: the largest relative difference, range by
    range, between the form through the iapws values at the three ends and
    iapws itself at the grid points. {form name: (range 1, range 2)}."""
    ref = lambda t: sources.saturated(substance, side, prop, t)
    ys = [ref(t) for t in ends]
    out = {}
    for name, form in common.FORMS.items():
        y = form.fit(ends, ys, tcs)
        out[name] = tuple(max(abs(y(t) / ref(t) - 1.0) for t in xs) for xs in grid)
    return out


def own_grid_errors(table):
    """The candidate forms on a water or ammonia table's own grid, anchors
    taken from iapws: {form name: (range 1, range 2)}."""
    return _form_errors(table.substance, table.side, table.prop, table.ends, table.grid, table.tcs)


# Every how many grid points the stand-in test looks at (and the last one).
STANDIN_STRIDE = 3


def standin_errors(table):
    """The candidate forms' errors where they stand in for water and for
    ammonia over the table's grid mapped onto theirs:
    T' = Tc - (Tc* - T) s, so that the pole falls on the reference's critical
    temperature, with s = Tc/Tc* (every point keeps its distance to the pole
    relative to Tc*), or smaller where the grid would otherwise begin below
    the reference's lowest saturated temperature (T0 then maps onto it).
    Returns {reference: {form name: (range 1, range 2)}}."""
    out = {}
    for ref in REFERENCES:
        tc, tmin = sources.IAPWS_TC[ref], sources.IAPWS_TMIN[ref]
        s = min(tc / table.tcs, (tc - tmin) / (table.tcs - table.t0))
        m = lambda t: tc - (table.tcs - t) * s
        ends = tuple(m(t) for t in table.ends)
        grid = [[m(t) for t in xs[::STANDIN_STRIDE] + xs[-1:]] for xs in table.grid]
        grid[0][0] = max(grid[0][0], tmin)
        out[ref] = _form_errors(ref, table.side, table.prop, ends, grid, tc)
    return out


# Forms whose largest stand-in error is within this factor of the best count
# as equal; the water and ammonia tables' own grids then decide.
EQUAL_WITHIN = 1.10


def choose_forms(tables, own, standin):
    """The form of each property and side: the candidate with the smallest
    largest error over every test of that kind (the water and ammonia tables
    on their own grids, the refrigerant tables' stand-in tests); forms within
    EQUAL_WITHIN of it count as equal, and among them the one with the
    smallest largest error on the own grids wins.
    Returns {kind: form name}, {kind: {form name: (worst of all, worst own)}}."""
    worst = {k: {f: [0.0, 0.0] for f in common.FORMS} for k in KINDS}
    for t in tables:
        results = [own[t.name]] if t.reference_substance else list(standin[t.name].values())
        for r in results:
            for f, errs in r.items():
                w = worst[t.kind][f]
                w[0] = max(w[0], max(errs))
                if t.reference_substance:
                    w[1] = max(w[1], max(errs))
    chosen = {}
    for k in KINDS:
        best = min(w[0] for w in worst[k].values())
        equal = [f for f in common.FORMS if worst[k][f][0] <= best * EQUAL_WITHIN]
        chosen[k] = min(equal, key=lambda f: (worst[k][f][1], f))
    return chosen, worst


# ------------------------------------------------------------------ build

def build(table, form):
    """Point values of both ranges: iapws with the anchor factor for water
    and ammonia, else the stand-in form through the anchors."""
    if table.reference_substance:
        shape = lambda t: sources.saturated(table.substance, table.side, table.prop, t)
        values, factors = common.linear_factor_correction(table.grid, shape, table.ends, table.anchors)
        dev = max(abs(v / shape(t) - 1.0) for xs, vs in zip(table.grid, values) for t, v in zip(xs, vs))
        info = {"factors": factors, "deviation": dev}
    else:
        y = common.FORMS[form].fit(table.ends, table.anchors, table.tcs)
        values = common.snap_ends([[y(t) for t in xs] for xs in table.grid], table.anchors)
        info = {"form": form, "monotone": [common.monotone(vs) for vs in values]}
    for vs in values:
        for v in vs:
            if not (math.isfinite(v) and v > 0.0):
                raise ValueError("%s: value %r is not finite and positive" % (table.name, v))
    kept = [values[0][0], values[0][-1], values[1][0], values[1][-1]]
    if [common.f32(v) for v in kept] != [table.anchors[i] for i in (0, 1, 1, 2)]:
        raise ValueError("%s: an anchor is not kept" % table.name)
    if table.reference_substance:
        forced = common.factor_jumps(table.ends, table.anchors, info["factors"])
    else:
        forced = [form_kink(y, table.t1)]
    info.update(check_shape(table, values, forced))
    return values, info


def form_kink(y, t):
    """The jump of the slope of the curve y at t (right minus left): the kink
    a form that is fitted range by range has at the switch, none for the
    others."""
    d = 1e-6 * t
    return (y(t + d) - y(t)) / d - (y(t) - y(t - d)) / d


# The way each property of a saturated liquid or vapour goes as the
# temperature rises: +1 rises, -1 falls; water's liquid conductivity has one
# maximum (near 400 K) and its liquid specific heat one minimum (near 308 K).
DIRECTION = {("k", "liquid"): -1, ("k", "vapour"): +1, ("cp", "liquid"): +1, ("cp", "vapour"): +1,
             ("mu", "liquid"): -1, ("mu", "vapour"): +1}
WATER_TURN = {("k", "liquid"): "maximum", ("cp", "liquid"): "minimum"}


def check_shape(table, values, forced):
    """The shape of the property on the saturation line (DIRECTION; a range
    whose anchors go the other way is exempt) and no kink at the switch
    beyond the one the anchors put there (`forced`). Raises otherwise;
    returns {"exempt": ranges, "shape": text, "switches": measures}."""
    ranges = []
    for lower, upper, step, vs in ((table.t0, table.t1, table.step1, values[0]),
                                   (table.t1, table.t2, table.step2, values[1])):
        def read(pts, x, lower=lower, step=step):
            i = min(int((x - lower) / step), len(pts) - 2)
            return pts[i] + (pts[i + 1] - pts[i]) * (x - (lower + i * step)) / step
        ranges.append(common.Range(lower, upper, lower, step, [common.f32(v) for v in vs], read))
    what = "the saturated %s %s" % (table.side, {"k": "conductivity", "cp": "specific heat",
                                                  "mu": "viscosity"}[table.prop])
    if table.substance == "water" and table.kind in WATER_TURN:
        common.check_single_turn(table.name, ranges, what, WATER_TURN[table.kind])
        exempt, shape = [], "one " + WATER_TURN[table.kind]
    else:
        exempt = common.check_monotone(table.name, ranges, DIRECTION[table.kind], what)
        shape = "%s with T" % ("rises" if DIRECTION[table.kind] > 0 else "falls")
    return {"exempt": exempt, "shape": shape, "switches": common.check_switches(table.name, ranges, forced)}


def _build(args):
    return build(*args)


# ------------------------------------------------------------------ output

def cpp(tables, built):
    body = ["namespace prop_data {", "", "namespace {", ""]
    for t in tables:
        values, _ = built[t.name]
        body.append("// %s: %s %s, %s" % (t.name, t.substance, t.side, UNIT[t.prop]))
        body.append(common.float_array("k%s_1" % t.name, values[0]))
        body.append(common.float_array("k%s_2" % t.name, values[1]))
        body.append("")
    body += ["}  // namespace", ""]
    lit = common.decimal_f32_literal
    for t in tables:
        body.append("const TemperatureTable k%s = {%s, %s, %s, %s, %s, %d, %d, k%s_1, k%s_2};" % (
            t.name, lit(t.t_text[0]), lit(t.t_text[1]), lit(t.t_text[2]), lit(t.step_text[0]),
            lit(t.step_text[1]), t.n1, t.n2, t.name, t.name))
    body += ["", "}  // namespace prop_data"]
    comment = ("Temperature tables of the substance library: conductivity, specific heat and\n"
               "viscosity of the saturated liquid and vapour; properties/data/README.md says\n"
               "where every table comes from.")
    return common.cpp_file(comment, "\n".join(body))


def declarations(tables):
    return ["extern const TemperatureTable k%s;" % t.name for t in tables]


def _pair(errs):
    return "%s / %s" % (common.percent(errs[0]), common.percent(errs[1]))


# Where the README compares the two forms of the ammonia conductivity.
AMMONIA_CHECK_TEMPERATURES = (200.0, 250.0, 300.0, 332.25, 363.05)


def report(tables, built, own, standin, chosen, worst):
    """The README's sections of this family."""
    forms = list(common.FORMS)
    head = "| %s | " + " | ".join("`%s`" % common.FORMS[f].label for f in forms) + " |"
    rule = "|---|" + "---|" * len(forms)

    cand = [head % "table (range 1 / range 2)", rule]
    for t in tables:
        if t.reference_substance:
            cand.append("| %s %s %s | %s |" % (t.name, t.substance, t.side,
                                                " | ".join(_pair(own[t.name][f]) for f in forms)))

    summary = [head % "property, side: all tests / own grids", rule]
    for k in KINDS:
        cells = [("**%s**" if f == chosen[k] else "%s") % ("%s / %s" % tuple(common.percent(x) for x in worst[k][f]))
                 for f in forms]
        summary.append("| %s %s | %s |" % (k[0], k[1], " | ".join(cells)))

    per = ["| table | substance, side | anchor / iapws at T0, T1, T2 | largest departure from iapws |",
           "|---|---|---|---|"]
    for t in tables:
        if t.reference_substance:
            info = built[t.name][1]
            per.append("| %s | %s %s | %s | %s |" % (
                t.name, t.substance, t.side, " / ".join("%.4f" % f for f in info["factors"]),
                common.percent(info["deviation"])))

    ref = ["| table | substance, side | form | Tc* (K) | stand-in error, water (range 1 / range 2) "
           "| ammonia (range 1 / range 2) | monotone in each range |",
           "|---|---|---|---|---|---|---|"]
    for t in tables:
        if t.reference_substance:
            continue
        info = built[t.name][1]
        f = info["form"]
        s = standin[t.name]
        ref.append("| %s | %s %s | `%s` | %.3f | %s | %s | %s |" % (
            t.name, t.substance, t.side, common.FORMS[f].label, t.tcs, _pair(s["water"][f]),
            _pair(s["ammonia"][f]), " / ".join("yes" if m else "**no**" for m in info["monotone"])))
    nh3 = ["| T (K) | saturated vapour density (kg/m3) | conductivity, published form (W/(m K)) "
           "| as iapws 1.5.2 computes it |",
           "|---|---|---|---|"]
    for tk in AMMONIA_CHECK_TEMPERATURES:
        rho = sources.saturated("ammonia", "vapour", "rho", tk)
        nh3.append("| %.2f | %.4g | %.5f | %.5f |" % (tk, rho, sources.saturated("ammonia", "vapour", "k", tk),
                                                    sources.nh3_conductivity_as_shipped(rho, tk)))
    shapes = common.SHAPE_HEADER + [
        common.shape_row(t.name, "%s %s" % (t.substance, t.side), built[t.name][1]["shape"],
                         built[t.name][1]["exempt"], built[t.name][1]["switches"]) for t in tables]
    return {"ammonia-conductivity": "\n".join(nh3), "temperature-shapes": "\n".join(shapes),
            "temperature-candidates": "\n".join(cand),
            "temperature-choice": "\n".join(summary),
            "temperature-references": "\n".join(per),
            "temperature-refrigerants": "\n".join(ref)}


def generate():
    """Builds the family: {file: text}, declarations, {README section: text}."""
    tables = [Table(row) for row in TABLES]
    refs = [t for t in tables if t.reference_substance]
    others = [t for t in tables if not t.reference_substance]
    own = dict(zip((t.name for t in refs), common.parallel_map(own_grid_errors, refs)))
    standin = dict(zip((t.name for t in others), common.parallel_map(standin_errors, others)))
    chosen, worst = choose_forms(tables, own, standin)
    built = dict(zip((t.name for t in tables), common.parallel_map(_build, [(t, chosen[t.kind]) for t in tables])))
    files = {"properties/data/temperature_table_data.cpp": cpp(tables, built)}
    return files, declarations(tables), report(tables, built, own, standin, chosen, worst)
