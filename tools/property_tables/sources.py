"""Where the table values come from: saturated states of water and ammonia
from python3-iapws, the closed-form saturation-pressure equations of the
property library, and the critical temperatures the library carries for
each substance.
"""

import functools
import math
import struct
import warnings

from iapws import IAPWS95
from iapws.ammonia import NH3
from iapws.iapws97 import _TSat_P
from scipy.constants import Boltzmann

warnings.simplefilter("ignore")  # iapws warns about states it still computes


# ----------------------------------------------------- critical temperatures

# The highest critical temperature (K) that the library's routines carry for
# each substance (surface tension, saturation pressure, vapour specific heat,
# compressed liquid and vapour equations of state; Rankine values / 1.8).
LIBRARY_TC = {
    "water": 647.286,
    "R11": 471.19,
    "R12": 385.17,
    "R21": 812.9 / 1.8,
    "R22": 369.3,
    "R114": 418.9,
    "R502": 639.56 / 1.8,
    "ammonia": 405.4,
}


def pole_temperature(substance, t2):
    """Tc* of the stand-in forms: 1 K above the higher of the substance's
    highest library critical temperature and the table's upper end."""
    return max(LIBRARY_TC[substance], t2) + 1.0


# -------------------------------------------------------- saturated states

PROPERTIES = ("k", "cp", "mu")  # W/(m K), J/(kg K), Pa s


class NH3Sound(NH3):
    """iapws ammonia with the critical enhancement of the thermal
    conductivity in its published form below 0.6 of the critical density.

    iapws 1.5.2 replaces the enhancement there by the bare damping ratio
    X^2/(X^2 + (0.36 rhoc)^2) times (rho/(0.6 rhoc))^2, a dimensionless
    number added to a conductivity in W/(m K); the correlation (Tufeu et al.
    1984, eq. 14) scales the enhancement at 0.6 rhoc by (rho/(0.6 rhoc))^2.
    """

    def _thermo(self, rho, T, fase):
        rhoc = 235
        no = [0.3589e-1, -0.1750e-3, 0.4551e-6, 0.1685e-9, -0.4828e-12]
        lo = sum(n * T**i for i, n in enumerate(no))
        nb = [0.16207e-3, 0.12038e-5, -0.23139e-8, 0.32749e-11]
        lb = sum(n * rho**(i + 1) for i, n in enumerate(nb))
        t = abs(T - 405.4) / 405.4
        dpt = 1e5 * (2.18 - 0.12 / math.exp(17.8 * t))
        nbt = 1e-5 * (2.6 + 1.6 * t)
        kb = Boltzmann
        dl = 1.2 * kb * T**2 / 6 / math.pi / nbt / (1.34e-10 / t**0.63 * (1 + t**0.5)) * dpt**2 * \
            0.423e-8 / t**1.24 * (1 + t**0.5 / 0.7)
        dl *= math.exp(-36 * t**2)
        x = 0.61 * rhoc + 16.5 * math.log(t)
        if rho > 0.6 * rhoc:
            dl *= x**2 / (x**2 + (rho - 0.96 * rhoc)**2)
        else:
            dl *= x**2 / (x**2 + (0.6 * rhoc - 0.96 * rhoc)**2)
            dl *= rho**2 / (0.6 * rhoc)**2
        return lo + lb + dl


def nh3_conductivity_as_shipped(rho, t):
    """Conductivity of iapws 1.5.2's own ammonia routine, for the README's
    comparison."""
    return NH3._thermo(NH3Sound.__new__(NH3Sound), rho, t, None)


def _side(state, side):
    phase = state.Liquid if side == "liquid" else state.Gas
    return {"k": phase.k, "cp": phase.cp * 1000.0, "mu": phase.mu, "rho": phase.rho}


@functools.lru_cache(maxsize=None)
def _water(t):
    s = IAPWS95(T=t, x=0.5)
    return {"liquid": _side(s, "liquid"), "vapour": _side(s, "vapour")}


AMMONIA_TRIPLE = 195.495  # iapws refuses ammonia below this temperature
AMMONIA_STEP_BELOW = 0.045


@functools.lru_cache(maxsize=None)
def _ammonia_iapws(t):
    s = NH3Sound(T=t, x=0.5)
    return {"liquid": _side(s, "liquid"), "vapour": _side(s, "vapour")}


def _ammonia(t):
    if t >= AMMONIA_TRIPLE:
        return _ammonia_iapws(t)
    # Linear extrapolation below the triple point from the line through the
    # states at the triple point and 0.045 K above it.
    a = _ammonia_iapws(AMMONIA_TRIPLE)
    b = _ammonia_iapws(AMMONIA_TRIPLE + AMMONIA_STEP_BELOW)
    w = (AMMONIA_TRIPLE - t) / AMMONIA_STEP_BELOW
    return {side: {p: a[side][p] + (a[side][p] - b[side][p]) * w for p in a[side]} for side in a}


# Critical temperature (K) of the iapws equations of state.
IAPWS_TC = {"water": 647.096, "ammonia": 405.40}
IAPWS_TMIN = {"water": 273.16, "ammonia": AMMONIA_TRIPLE}


def saturated(substance, side, prop, t):
    """Property prop of the saturated liquid or vapour of water or ammonia
    at absolute temperature t (K), in SI units."""
    states = _water(t) if substance == "water" else _ammonia(t)
    return states[side][prop]


# ------------------------------------------------- saturation pressure

# Refrigerant vapour-pressure coefficients (Tc, A, B, C, D, E, F), the
# library's closed form in psi and degrees Rankine.
REFRIGERANT_PSAT = {
    "R11": (471.15, 42.14703, -4344.344, -12.84595, 0.004008372, 0.03136, 862.07),
    "R12": (385.15, 39.88382, -3436.632, -12.47152, 0.004730442, 0.0, 0.0),
    "R21": (451.6, 42.7908, -4261.34, -13.0295, 0.0039851, 0.0, 0.0),
    "R22": (369.17, 29.35754, -3845.193, -7.861031, 0.002190939, 0.445747, 686.1),
    "R114": (418.86, 27.07131, -5113.702, -6.308676, 0.0006913003, 0.781421, 768.35),
    "R502": (355.31, 10.64495, -3671.154, -0.369835, -0.001746352, 0.816114, 654.0),
}


def psat_equation(substance, tk):
    """Absolute saturation pressure (Pa) of the library's closed forms at tk
    (K), without their clamp at the critical temperature: the refrigerant
    equations continue smoothly above it, and the saturation-temperature
    tables that end a little above it follow them there."""
    if substance == "water":
        tr = tk / 647.25
        t = 1.0 - tr
        return 2.2093e7 * math.exp((t / tr) * (-7.863889 + math.sqrt(t) * (
            1.898527 - 2.364891 * t + t**5 * (9.982952 * t - 9.911414))))
    if substance == "ammonia":
        tr = tk / 405.4
        t = 1.0 - tr
        return 11333000.0 * math.exp((-7.22986 * t + 1.28909 * t**1.5 - 2.45958 * t**3 - 1.37809 * t**6) / tr)
    _, a, b, c, d, e, f = REFRIGERANT_PSAT[substance]
    r = 1.8 * tk
    lg = a + b / r + c * math.log10(r) + d * r
    if e != 0.0:
        lg += e * (f - r) / r * math.log10(abs(f - r))
    return 10.0**lg * 100000.0 / 14.5


# Upper temperature limits of the bisection: water's and ammonia's forms
# need t = 1 - Tk/Tc >= 0.
_PSAT_TMAX = {"water": 647.25, "ammonia": 405.4}


def tsat_equation(substance, p):
    """The temperature (K) at which psat_equation gives p (Pa), by bisection
    to the last bit."""
    lo, hi = 100.0, _PSAT_TMAX.get(substance, 700.0)
    if not psat_equation(substance, lo) < p <= psat_equation(substance, hi):
        raise ValueError("no saturation temperature for %s at %r Pa" % (substance, p))
    while True:
        mid = 0.5 * (lo + hi)
        if mid <= lo or mid >= hi:
            return lo if abs(psat_equation(substance, lo) - p) <= abs(psat_equation(substance, hi) - p) else hi
        if psat_equation(substance, mid) < p:
            lo = mid
        else:
            hi = mid


def tsat_if97_water(p):
    """Saturation temperature (K) of water at p (Pa) by the IAPWS-IF97
    saturation equation (for the README's comparison)."""
    return _TSat_P(p * 1e-6)


def tsat_ammonia(p):
    """Saturation temperature (K) of iapws ammonia at p (Pa), by secant steps
    on its saturation pressure from the library equation's temperature (for
    the README's comparison; iapws's own pressure solver is not reliable
    above a few MPa)."""
    psat = lambda t: NH3(T=t, x=0.5).P * 1e6
    t0 = tsat_equation("ammonia", p)
    t1 = t0 + 0.01
    p0, p1 = psat(t0), psat(t1)
    for _ in range(20):
        if p1 == p0 or abs(t1 - t0) < 1e-10:
            break
        t0, t1 = t1, t1 - (p1 - p) * (t1 - t0) / (p1 - p0)
        p0, p1 = p1, psat(t1)
    return t1


# ------------------------------------------- saturated states at a pressure

# Water's triple point: iapws refuses saturated states below it. The first
# pressure of the water tables, 610 Pa, lies 1.65 Pa lower; there the states
# are extrapolated along the line through the states at the triple point and
# WATER_STEP_ABOVE kelvin above it (a linear function of pressure).
WATER_TRIPLE_T = 273.16
WATER_STEP_ABOVE = 0.05


def _state_values(s):
    return {"T": s.T,
            "liquid": {"h": s.Liquid.h * 1000.0, "rho": s.Liquid.rho},
            "vapour": {"h": s.Gas.h * 1000.0, "rho": s.Gas.rho}}


def _extrapolate(a, b, w):
    """a + (a - b) * w, key by key, for the nested state dictionaries."""
    if isinstance(a, dict):
        return {k: _extrapolate(a[k], b[k], w) for k in a}
    return a + (a - b) * w


@functools.lru_cache(maxsize=None)
def _water_triple():
    a = IAPWS95(T=WATER_TRIPLE_T, x=0.5)
    b = IAPWS95(T=WATER_TRIPLE_T + WATER_STEP_ABOVE, x=0.5)
    return a.P * 1e6, _state_values(a), b.P * 1e6, _state_values(b)


@functools.lru_cache(maxsize=None)
def water_at_pressure(p):
    """Saturated liquid and vapour of water (IAPWS-95) at absolute pressure p
    (Pa): {"T": K, "liquid": {"h": J/kg, "rho": kg/m3}, "vapour": {...}}."""
    pt, a, pb, b = _water_triple()
    if p >= pt:
        return _state_values(IAPWS95(P=p * 1e-6, x=0.5))
    return _extrapolate(a, b, (pt - p) / (pb - pt))


@functools.lru_cache(maxsize=None)
def ammonia_at_pressure(p):
    """Saturated liquid and vapour of iapws ammonia at absolute pressure p
    (Pa), in the form of water_at_pressure."""
    return _state_values(NH3(T=tsat_ammonia(p), x=0.5))


def at_pressure(substance, p):
    return water_at_pressure(p) if substance == "water" else ammonia_at_pressure(p)


# ----------------------------------------------- saturation pressure slope

def dpsat_dt(substance, tk, dt=1e-3):
    """Slope dP/dT (Pa/K) of psat_equation at tk, by a central difference
    (the equations are smooth; the step's error is far below a part in a
    million)."""
    return (psat_equation(substance, tk + dt) - psat_equation(substance, tk - dt)) / (2.0 * dt)


# ------------------------------------- refrigerant vapour equations of state

def _f32(x):
    return struct.unpack("<f", struct.pack("<f", float(x)))[0]


# The library's equation of state of the refrigerant vapours (the one behind
# the vapour densities off saturation), in psi, degrees Rankine and ft3/lb:
# R, b, K, Tc, (A2..A5), (B2..B5), (C2..C5). The R21 constants are double
# values as written, the others single-precision values.
_EOS_TEXT = {
    "R11": ("0.078117", "0.0019", "4.5", "848.07", ("-3.126759", "-0.025341", "0.001687277", "-2.35893e-05"),
            ("0.001318523", "4.875121e-05", "-1.805062e-06", "2.448303e-08"),
            ("-35.76999", "1.220367", "0", "-0.0001478379")),
    "R12": ("0.088734", "0.006509389", "5.475", "693.3", ("-3.409727", "0.060239445", "-0.000548737", "0"),
            ("0.0015943485", "-1.8796185e-05", "0", "3.468834e-09"),
            ("-56.762768", "1.3113991", "0", "-2.5439067e-05")),
    "R21": ("0.10427", "0", "0", "812.9", ("-7.316", "-0.20382376", "0", "0"),
            ("0.0046421", "0.0003593", "0", "0"), ("0", "0", "0", "0")),
    "R22": ("0.124098", "0.002", "4.2", "664.5", ("-4.353547", "-0.017464", "0.002310142", "-3.724044e-05"),
            ("0.002407252", "7.62789e-05", "-3.605723e-06", "5.355465e-08"),
            ("-44.066868", "1.483763", "0", "-0.0001845051")),
    "R114": ("0.062780805", "0.005914907", "3.0", "753.95", ("-2.3856704", "0.034055687", "-0.0003857481",
                                                             "1.6017659e-06"),
             ("0.0010801207", "-5.3336494e-06", "0", "6.263241e-10"),
             ("-6.564365", "0.16366057", "0", "-1.0165314e-05")),
    "R502": ("0.096125", "0.00167", "4.2", "639.56", ("-3.2613344", "0.034866747", "-0.00085765676",
                                                      "8.836897e-06"),
             ("0.0020576287", "-8.6791315e-06", "7.024055e-07", "-7.916809e-09"),
             ("-24.24879", "0.3327478", "0.022412367", "-0.0003716723")),
}


def _eos_constants(substance):
    conv = float if substance == "R21" else _f32
    r, b, k, tc, a, bb, c = _EOS_TEXT[substance]
    return {"R": conv(r), "b": conv(b), "K": conv(k), "Tc": conv(tc),
            "A": [conv(x) for x in a], "B": [conv(x) for x in bb], "C": [conv(x) for x in c]}


EOS = {s: _eos_constants(s) for s in _EOS_TEXT}

# The library's unit factors of that equation (single-precision values).
RANKINE_PER_KELVIN = _f32(1.8)
PSI_PER_PA = _f32(0.000145)
LB_FT3_PER_KG_M3 = _f32(0.06243)


def _eos_pressure(c, tr, v):
    w = v - c["b"]
    e = math.exp(-c["K"] * tr / c["Tc"])
    return c["R"] * tr / w + sum((c["A"][i] + c["B"][i] * tr + c["C"][i] * e) / w ** (i + 2) for i in range(4))


class NoVapourRoot(ValueError):
    """The isotherm has no vapour root at the pressure asked for: its vapour
    branch ends (at a maximum of the pressure) below that pressure."""


def _bisect(pressure, lo, hi, p):
    """The volume between lo (pressure at or above p) and hi (below p) where
    pressure(v) meets p, by bisection to the last bit."""
    while True:
        mid = 0.5 * (lo + hi)
        if mid <= lo or mid >= hi:
            return mid
        if pressure(mid) < p:
            hi = mid
        else:
            lo = mid


def _maximum(pressure, lo, hi):
    """The volume of the pressure's largest value between lo and hi (one
    maximum there), by golden-section search to a relative 1e-13."""
    g = 0.5 * (math.sqrt(5.0) - 1.0)
    a, b = lo, hi
    c, d = b - g * (b - a), a + g * (b - a)
    pc, pd = pressure(c), pressure(d)
    while b - a > 1e-13 * b:
        if pc > pd:
            b, d, pd = d, c, pc
            c = b - g * (b - a)
            pc = pressure(c)
        else:
            a, c, pc = c, d, pd
            d = a + g * (b - a)
            pd = pressure(d)
    return c if pc > pd else d


def _vapour_root(pressure, v_ideal, b, p):
    """The vapour root of pressure(v) = p, the largest volume where the
    isotherm meets p: scanning down in steps of 1 % from twice the ideal-gas
    volume to the first sample at or above p, then bisection to the last bit.
    Coming down from large volumes the pressure of the vapour rises; when the
    samples begin to fall before one reaches p, the isotherm has passed a
    maximum, and the vapour root is where it meets p before that maximum if
    the maximum reaches p (a hump narrower than a step), else there is none
    (NoVapourRoot: close below the critical point the equation's vapour
    branch can end below the pressure of the vapour-pressure equation)."""
    hi = 2.0 * v_ideal
    above = None  # the sample before hi, at a larger volume
    lo = hi
    p_prev = pressure(hi)
    while True:
        p_lo = pressure(lo)
        if p_lo >= p:
            break
        if p_lo < p_prev:
            v_max = _maximum(pressure, lo, above if above is not None else hi)
            if pressure(v_max) < p:
                raise NoVapourRoot("no vapour volume at %r" % (p,))
            return _bisect(pressure, v_max, above if above is not None else hi, p)
        above, hi, p_prev, lo = hi, lo, p_lo, lo * 0.99
        if lo <= b * 1.000001:
            raise ValueError("no vapour volume at %r" % (p,))
    return _bisect(pressure, lo, hi, p)


def eos_vapour_density(substance, pk, tk):
    """Vapour density (kg/m3) of the refrigerant's equation of state at
    absolute pressure pk (Pa) and temperature tk (K), with the library's unit
    factors; the vapour root, solved to the last bit."""
    c = EOS[substance]
    tr = RANKINE_PER_KELVIN * tk
    ppsi = PSI_PER_PA * pk
    v = _vapour_root(lambda v: _eos_pressure(c, tr, v), c["R"] * tr / ppsi + c["b"], c["b"], ppsi)
    return (1.0 / v) / LB_FT3_PER_KG_M3


# ------------------------------------------- refrigerant vapour enthalpy

# The Martin-Hou constants of the refrigerant vapour specific heat (SI:
# pascal, kelvin, m3/kg), in the order A2 A3 A4 A5 E0 B2 B3 B4 B5 E1 b C2 C3
# C4 C5 E2 E3 E4 k R Tc. R21 has none.
MARTIN_HOU = {
    "R11": (-84.016821, -0.042508422, 0.00017669205, -1.5421446e-7, 99.708642, 0.063772295, 0.00014720045,
            -3.4024774e-7, 2.8810295e-10, 2.1092601, 0.0001186132, -961.14885, 2.0471124, 0, -9.6648659e-7,
            -0.0028808944, 1.4648052e-6, -4.3522952e-5, 4.5, 60.522467, 471.15),
    "R12": (-91.620247, 0.10104904, -5.746387e-5, 0, 33.890053, 0.077112999, -5.6753601e-5, 0, 4.08193e-11,
            2.5070206, 0.0004063681, -1525.2302, 2.1998148, 0, -1.66307e-7, -0.0032745059, 1.6417367e-6, 0,
            5.475, 68.748167, 385.16667),
    "R22": (-116.98093, -0.029295098, 0.0002419186, -2.43458e-7, 117.76799, 0.11643027, 0.00023031815,
            -6.796659e-7, 6.30201e-10, 1.6997295, 0.000124856, -1184.0881, 2.4889477, 0, -1.20619e-6,
            -0.00088304328, 0, 3.3254175e-5, 4.2, 96.147024, 369.16667),
    "R114": (-64.103579, 0.05712693, -4.0395633e-5, 1.0471504e-8, 73.269, 0.052241618, -1.6104535e-5, 0,
             7.3703325e-12, 2.6301477, 0.00036925538, -176.38617, 0.27453347, 0, -6.6455487e-8, -0.0022653937,
             0, 0, 3.0, 48.640487, 418.68111),
    "R502": (-87.632897, 0.058487449, -8.981402e-5, 5.77709e-8, 85.490269, 0.099520224, -2.6205955e-5,
             1.3240093e-7, 9.31606e-11, 2.2584618, 0.00010425476, -651.57124, 0.5581699, 0.002347028,
             -2.42979e-6, -0.0019113995, 5.3983513e-7, 0, 4.2, 74.47447, 355.3111),
}


def _martin_hou(substance):
    c = MARTIN_HOU[substance]
    return {"A": c[0:4], "B": (c[5], c[6], c[7], c[8]), "C": (c[11], c[12], c[13], c[14]),
            "E": (c[4], c[9], c[15], c[16], c[17]), "b": c[10], "k": c[18], "R": c[19], "Tc": c[20]}


def _mh_pressure(m, tk, v):
    w = v - m["b"]
    e = math.exp(-m["k"] * tk / m["Tc"])
    return m["R"] * tk / w + sum((m["A"][i] + m["B"][i] * tk + m["C"][i] * e) / w ** (i + 2) for i in range(4))


def martin_hou_vapour_enthalpy(substance, pk):
    """Enthalpy (J/kg, on the equation's own scale) of the saturated vapour
    at absolute pressure pk: at the saturation temperature of the library's
    vapour-pressure equation and the vapour volume of the Martin-Hou
    equation, h = u0(T) + (u - u0) + P v, where u0 integrates the ideal-gas
    heat capacity cv0 = E0 + E1 T + E2 T^2 + E3 T^3 + E4/T^2 and
    u - u0 = sum over i of (Ai + Ci e (1 + k T/Tc)) / ((i - 1) (v - b)^(i - 1)),
    e = exp(-k T/Tc), the integral of T (dP/dT)v - P from infinite volume."""
    m = _martin_hou(substance)
    tk = tsat_equation(substance, pk)
    v = _vapour_root(lambda v: _mh_pressure(m, tk, v), m["R"] * tk / pk + m["b"], m["b"], pk)
    e0, e1, e2, e3, e4 = m["E"]
    u0 = e0 * tk + e1 * tk ** 2 / 2 + e2 * tk ** 3 / 3 + e3 * tk ** 4 / 4 - e4 / tk
    w = v - m["b"]
    e = math.exp(-m["k"] * tk / m["Tc"])
    du = sum((m["A"][i] + m["C"][i] * e * (1.0 + m["k"] * tk / m["Tc"])) / ((i + 1) * w ** (i + 1)) for i in range(4))
    return u0 + du + pk * v


# ------------------------------------------------ ammonia virial and liquid

@functools.lru_cache(maxsize=None)
def _nh3():
    return NH3()


def ammonia_second_virial(t):
    """Second virial coefficient (cm3/mol) of the iapws ammonia equation of
    state at absolute temperature t (K): the slope of its residual Helmholtz
    energy at vanishing density, B = (d phi_r / d delta at delta -> 0) / rhoc,
    times the molar mass. The limit needs no saturated state, so it holds
    below the triple point too, where the equation is continued."""
    n = _nh3()
    return n._virial(t)["B"] / n.rhoc * n.M * 1000.0


def ammonia_liquid_compressibility(t):
    """Isothermal compressibility (1/bar) of iapws ammonia's saturated liquid
    at absolute temperature t (K)."""
    return NH3(T=t, x=0.0).Liquid.kappa * 0.1
