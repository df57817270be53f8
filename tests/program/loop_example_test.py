#!/usr/bin/env python3
"""The example LOOP (examples/loop) runs FLTNTS to its steady state and
conserves energy.

An electronics box (node 100) dissipating 400 W is joined by four GL of 25 W/K
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


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    loop, loop_files = (os.path.abspath(a) for a in sys.argv[1:])
    with tempfile.TemporaryDirectory() as run:
        subprocess.run([loop_files], cwd=run, check=True, stdout=subprocess.DEVNULL)
        done = subprocess.run([loop], cwd=run, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        print(done.stdout[-3000:], done.stderr)
        print(f"loop_example_test: LOOP ended with status {done.returncode}")
        return 1

    failures = []
    if "@@@@" in done.stdout:
        failures.append("the run printed a diagnostic")
    tables = node_tables(done.stdout)
    times = [(t, m) for t, m, _ in tables]
    if times != [(t, "FLTNTS") for t in (0.0, 3600.0, 7200.0, 10800.0, 14400.0)]:
        failures.append(f"node tables {times}")
        print("\n".join(failures))
        return 1
    last, before = tables[-1][2], tables[-2][2]
    if sorted(last) != [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 100, 999]:
        failures.append(f"nodes of the last table {sorted(last)}")
        print("\n".join(failures))
        return 1
    t = {n: v[0] for n, v in last.items()}
    fe = {n: v[2] for n, v in last.items() if n <= 10}

    into_coolant = GL * sum(t[100] - t[i] for i in (2, 3, 4, 5))
    if abs(into_coolant - POWER) > 2.0:
        failures.append(f"box to coolant {into_coolant:.2f} W, not {POWER} W")
    radiated = STEFAN * GR * sum((t[i] + TABS) ** 4 - (SPACE + TABS) ** 4 for i in (6, 7, 8, 9))
    if abs(radiated - POWER) > 0.01 * POWER:
        failures.append(f"radiated {radiated:.2f} W, not {POWER} W")
    if any(abs(last[n][0] - before[n][0]) > 0.02 for n in last):
        failures.append("the last quarter of the run still moves the temperatures")
    if not all(fe[i] < fe[i + 1] for i in (1, 2, 3, 4)) or not all(fe[i] > fe[i + 1] for i in (5, 6, 7, 8)):
        failures.append(f"enthalpies along the loop {fe}")
    if not (t[100] > t[5] > t[1]) or t[999] != SPACE:
        failures.append(f"temperatures {t}")

    if failures:
        print("\n".join(failures))
        return 1
    print(f"loop_example_test: steady loop, {into_coolant:.1f} W into the coolant, {radiated:.1f} W radiated")
    return 0


if __name__ == "__main__":
    sys.exit(main())
