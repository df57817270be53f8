#!/usr/bin/env python3
"""The worked example of docs/GENERATED_PROGRAM.md: its program text is the
file examples/pair/pair.cpp, and the program gives the answers of the
analytic solution.

PAIR is a block of 500 J/K heated by 10 W and joined by 0.5 W/K to a sink at
0 C. Steady state: T1 = 10 / 0.5 = 20 C. With the heater off the block cools
as T1 = 20 exp(-t / 1000 s); heated again from the temperature T0 it reached,
T1 = 20 + (T0 - 20) exp(-t / 1000 s). The listing prints two decimals.

usage: pair_example_test.py PAIR PAIR_FILES DOCS_DIR PAIR_SOURCE
Exit status 0 when every check holds, 1 otherwise.
"""
import math
import os
import re
import subprocess
import sys
import tempfile


def node_tables(listing):
    """(time, module, {node: T as printed}) of every node table, in order."""
    tables = []
    for line in listing.splitlines():
        m = re.match(r"\s+TIMEN =\s+(\S+)\s+MODULE (\S+)", line)
        if m:
            tables.append((float(m.group(1)), m.group(2), {}))
            continue
        fields = line.split()
        # NODE LABEL T QI C
        if tables and len(fields) == 5 and fields[0].isdigit():
            tables[-1][2][int(fields[0])] = float(fields[2])
    return tables


def main():
    if len(sys.argv) != 5:
        print(__doc__)
        return 2
    pair, pair_files, docs, source = (os.path.abspath(a) for a in sys.argv[1:])
    failures = []

    with open(os.path.join(docs, "GENERATED_PROGRAM.md")) as f:
        blocks = re.findall(r"^```cpp\n(.*?)^```", f.read(), re.M | re.S)
    with open(source) as f:
        program = f.read()
    shown = [b for b in blocks if "Generated program of the model PAIR" in b]
    if shown != [program]:
        failures.append("the program text of docs/GENERATED_PROGRAM.md is not examples/pair/pair.cpp")

    with tempfile.TemporaryDirectory() as run:
        subprocess.run([pair_files], cwd=run, check=True, stdout=subprocess.DEVNULL)
        done = subprocess.run([pair], cwd=run, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        print(done.stdout[-3000:], done.stderr)
        print(f"pair_example_test: PAIR ended with status {done.returncode}")
        return 1

    tau, hot = 1000.0, 20.0
    cooled = hot * math.exp(-2000.0 / tau)
    expected = [(0.0, "SOLVFM", hot)]
    expected += [(t, "SLCRNC", hot * math.exp(-t / tau)) for t in (0.0, 500.0, 1000.0, 1500.0, 2000.0)]
    expected += [(t, "SLCRNC", hot + (cooled - hot) * math.exp(-t / tau)) for t in (0.0, 500.0, 1000.0, 1500.0, 2000.0)]
    tables = node_tables(done.stdout)
    if [(t, m) for t, m, _ in tables] != [(t, m) for t, m, _ in expected]:
        failures.append(f"node tables {[(t, m) for t, m, _ in tables]}")
    for (time, module, printed), (_, _, t1) in zip(tables, expected):
        if abs(printed.get(1, math.nan) - t1) > 0.01 or printed.get(2) != 0.0:
            failures.append(f"{module} at {time}: {printed} against T1 = {t1:.4f}, T2 = 0")

    if failures:
        print("\n".join(failures))
        return 1
    print("pair_example_test: the worked example gives the analytic answers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
