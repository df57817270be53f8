#!/usr/bin/env python3
"""The example LOOP (examples/loop) runs FLTNTS to its steady state and
conserves energy, in its base case and in a parameter case that raises the
power by half (an "!INITIAL" case: the snapshot restored, INITIAL and
EXECUTION run again).

An electronics box (node 100) dissipating 400 W (600 W in the case) is joined by four GL of 25 W/K
to the cold-plate nodes 2-5 of a pumped water loop; the radiator nodes 6-9
radiate through GR = 0.25 m2 each to deep space at -270 C. In the steady
state the box gives its 400 W to the coolant, 25 x sum(T100 - Ti) = 400, and
the radiator gives the same 400 W to space, STEFAN x 0.25 x sum((Ti + TABS)^4
- (TS + TABS)^4) = 400. The coolant warms along the cold plate and cools
along the radiator. The listing prints two decimals.

usage: loop_example_test.py LOOP LOOP_FILES
Exit status 0 when every check holds, 1 otherwise.
"""
import os
import re
import subprocess
import sys
import tempfile

CASES = "$PARAMETERS\n!INITIAL = 'More power'\nCHANGE POWER = 600\n"
POWER, GL, GR, STEFAN, TABS, SPACE = 400.0, 25.0, 0.25, 5.6704e-8, 273.15, -270.0
ROW = re.compile(r"^\s+(\d+)\s+(\S.*?)\s{2,}(-?[\d.]+)\s+(-?[\d.]+)\s+(-?[\d.]+)\s*$")


def node_tables(listing):
    """(time, module, {node: (three values as printed)}) of every node table."""
    tables = []
    for line in listing.splitlines():
        m = re.match(r"\s+TIMEN =\s+(\S+)\s+MODULE (\S+)", line)
        if m:
            tables.append((float(m.group(1)), m.group(2), {}))
            continue
        m = ROW.match(line)
        if tables and m:
            tables[-1][2][int(m.group(1))] = tuple(float(m.group(k)) for k in (3, 4, 5))
    return tables


def steady_state(power, tables):
    """The failures of the last table of a run as the steady state of `power` W."""
    failures = []
    last, before = tables[-1][2], tables[-2][2]
    if sorted(last) != [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 100, 999]:
        return [f"nodes of the last table {sorted(last)}"]
    t = {n: v[0] for n, v in last.items()}
    fe = {n: v[2] for n, v in last.items() if n <= 10}
    if last[100][1] != power:
        failures.append(f"heat of the box {last[100][1]} W, not {power} W")
    into_coolant = GL * sum(t[100] - t[i] for i in (2, 3, 4, 5))
    if abs(into_coolant - power) > 2.0:
        failures.append(f"box to coolant {into_coolant:.2f} W, not {power} W")
    radiated = STEFAN * GR * sum((t[i] + TABS) ** 4 - (SPACE + TABS) ** 4 for i in (6, 7, 8, 9))
    if abs(radiated - power) > 0.01 * power:
        failures.append(f"radiated {radiated:.2f} W, not {power} W")
    if any(abs(last[n][0] - before[n][0]) > 0.02 for n in last):
        failures.append("the last quarter of the run still moves the temperatures")
    if not all(fe[i] < fe[i + 1] for i in (1, 2, 3, 4)) or not all(fe[i] > fe[i + 1] for i in (5, 6, 7, 8)):
        failures.append(f"enthalpies along the loop {fe}")
    if not (t[100] > t[5] > t[1]) or t[999] != SPACE:
        failures.append(f"temperatures {t}")
    return failures


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    loop, loop_files = (os.path.abspath(a) for a in sys.argv[1:])
    with tempfile.TemporaryDirectory() as run:
        subprocess.run([loop_files], cwd=run, check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(run, "LOOP.PAR"), "w") as f:
            f.write(CASES)
        done = subprocess.run([loop], cwd=run, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        print(done.stdout[-3000:], done.stderr)
        print(f"loop_example_test: LOOP ended with status {done.returncode}")
        return 1

    failures = []
    if "@@@@" in done.stdout:
        failures.append("the run printed a diagnostic")
    if "Parameter Case No.:     1" not in done.stdout or "CHANGE  POWER=600" not in done.stdout:
        failures.append("no banner of the parameter case")
    tables = node_tables(done.stdout)
    times = [(t, m) for t, m, _ in tables]
    if times != [(t, "FLTNTS") for t in (0.0, 3600.0, 7200.0, 10800.0, 14400.0)] * 2:
        failures.append(f"node tables {times}")
        print("\n".join(failures))
        return 1
    for name, power, run_tables in (("base case", POWER, tables[:5]), ("more power", 1.5 * POWER, tables[5:])):
        failures += [f"{name}: {f}" for f in steady_state(power, run_tables)]
    if failures:
        print("\n".join(failures))
        return 1
    print("loop_example_test: steady loops of 400 W and 600 W, the heat in equal to the heat radiated")
    return 0


if __name__ == "__main__":
    sys.exit(main())
