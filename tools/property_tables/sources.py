"""Where the table values come from: saturated states of water and ammonia
from python3-iapws, the closed-form saturation-pressure equations of the
property library, and the critical temperatures the library carries for
each substance.
"""

import functools
import math
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
