#!/usr/bin/env python3
"""The Python recipes of the documents run on the plate example's files.

Runs plate_files (the stand-in for the preprocessor) in a scratch folder,
replaces its analysis-case file by the least one that the recipe of
docs/GENERATED_PROGRAM.md writes, adds the parameter-case file of
docs/RESULTS.md, runs the plate, then runs every Python block of
docs/RESULTS.md there and checks the tables they give against the node
tables of the listing: the same times, nodes and temperatures (the listing
prints two decimals).

usage: results_recipe_test.py PLATE PLATE_FILES DOCS_DIR
Exit status 0 when every check holds, 1 otherwise.
"""
import math
import os
import re
import subprocess
import sys
import tempfile

from doc_checks import FAILURES, check, code_blocks


def is_number(text):
    try:
        float(text)
        return True
    except ValueError:
        return False


def node_tables(listing):
    """Every node table of the listing, in order: its time, module and the T
    column as printed, by node number."""
    tables = []
    for line in listing.splitlines():
        m = re.match(r"\s+TIMEN =\s+(\S+)\s+MODULE (\S+)", line)
        if m:
            tables.append({"time": float(m.group(1)), "module": m.group(2), "T": {}})
            continue
        fields = line.split()
        # NODE LABEL T QS QE QA QI C
        if tables and len(fields) >= 8 and fields[0].isdigit() and all(map(is_number, fields[-6:])):
            tables[-1]["T"][int(fields[0])] = float(fields[-6])
    return tables


def same_as_printed(value, printed):
    return math.isfinite(value) and abs(value - printed) <= 0.005 + 1e-9


def check_frame(name, frame, tables):
    """A table of tmd_nodes (rows by time, columns (model, node)) against node tables."""
    check(list(frame.index) == [t["time"] for t in tables],
          f"{name}: times {list(frame.index)} against the listing's {[t['time'] for t in tables]}")
    check(list(frame.columns) == [("PLATE", n) for n in (1, 2, 3, 4, 99)], f"{name}: columns {list(frame.columns)}")
    for (time, row), table in zip(frame.iterrows(), tables):
        for (model, node), value in row.items():
            printed = table["T"].get(node)
            check(printed is not None and same_as_printed(value, printed),
                  f"{name}: node {node} at {time}: {value} against the listing's {printed}")


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    plate, plate_files, docs = (os.path.abspath(a) for a in sys.argv[1:])
    try:
        import h5py  # noqa: F401  (the recipes import it themselves)
        import pandas  # noqa: F401
    except ImportError as e:
        print(f"results_recipe_test: {e}: the recipes need python3-h5py and python3-pandas (tools/install-deps)")
        return 1

    with tempfile.TemporaryDirectory() as run:
        os.chdir(run)
        subprocess.run([plate_files], check=True, stdout=subprocess.DEVNULL)
        os.remove("PLATE.acd")
        acd = {}
        for block in code_blocks(os.path.join(docs, "GENERATED_PROGRAM.md"), "python"):
            exec(block, acd)
        acd["write_least_acd"]("PLATE.acd")
        par = [b for b in code_blocks(os.path.join(docs, "RESULTS.md"), "text") if b.startswith("$PARAMETERS")]
        check(len(par) == 1, "docs/RESULTS.md shows one parameter-case file")
        with open("PLATE.PAR", "w") as f:
            f.write(par[0])
        done = subprocess.run([plate], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if done.returncode != 0:
            print(done.stdout[-3000:], done.stderr)
            print(f"results_recipe_test: the plate ended with status {done.returncode}")
            return 1
        tables = node_tables(done.stdout)
        # Base case: the steady state and the transient's five output times;
        # case SHORT: the same with the transient shortened to 3600 s.
        modules = [t["module"] for t in tables]
        check(modules == (["SOLVFM"] + ["SLCRNC"] * 5) * 2, f"node tables of the listing: {modules}")
        if FAILURES:
            print("\n".join(FAILURES))
            return 1

        ns = {}
        for block in code_blocks(os.path.join(docs, "RESULTS.md"), "python"):
            exec(block, ns)
        tmd_nodes, tmd_conductors, csv_table = ns["tmd_nodes"], ns["tmd_conductors"], ns["csv_table"]

        check_frame("PLATE.TMD", ns["steady"], tables[0:1])
        check_frame("PLATE.TMD2", ns["transient"], tables[1:6])
        check_frame("PLATE.TMD3", tmd_nodes("PLATE.TMD3"), tables[6:7])
        check_frame("PLATE.TMD4", tmd_nodes("PLATE.TMD4"), tables[7:12])
        check(list(ns["edge"]) == list(ns["transient"][("PLATE", 1)]), "edge is node 1 of the transient")
        check(list(ns["heat"][("PLATE", 1)]) == [25.0, 25.0, 0.0, 0.0, 0.0],
              f"the edge heater through the transient: {list(ns['heat'][('PLATE', 1)])}")
        check(ns["tabs"] == 273.15, f"TAbs {ns['tabs']}")
        # The conductors: GL between neighbouring strips, GR from each strip
        # to deep space, all active, through every slice.
        gl, gl_active = ns["gl"], ns["gl_active"]
        check(list(gl.columns) == [("PLATE:1", "PLATE:2", 1), ("PLATE:2", "PLATE:3", 1), ("PLATE:3", "PLATE:4", 1)],
              f"GL columns {list(gl.columns)}")
        check(list(gl.index) == list(ns["transient"].index), f"GL times {list(gl.index)}")
        check((gl == 1.28).all().all() and (gl_active == 1.0).all().all(), f"GL values\n{gl}\n{gl_active}")
        check(list(ns["edge_to_next"]) == [1.28] * 5, f"GL(1, 2) {list(ns['edge_to_next'])}")
        gr, _ = tmd_conductors("PLATE.TMD", "GR")
        check(list(gr.columns) == [(f"PLATE:{n}", "PLATE:99", 1) for n in (1, 2, 3, 4)], f"GR columns {list(gr.columns)}")
        # Cells as the CSV writer gives them, three-digit exponents included.
        csv_value = ns["csv_value"]
        for cell, want in [(" 1.500000-120", 1.5e-120), ("-2.250000+150", -2.25e150), (" 1.000000E-99", 1e-99),
                           (" 3.000000E+00", 3.0)]:
            check(csv_value(cell) == want, f"CSV cell {cell!r}: {csv_value(cell)}")
        check(math.isnan(csv_value("U")) and csv_value("ABC") == "ABC", "CSV cells U and a text")
        kelvin = ns["kelvin"][("PLATE", 99)]
        check(all(abs(k - 3.15) < 1e-9 for k in kelvin), f"deep space in kelvin: {list(kelvin)}")

        # The CSV table: a row per node table, in order.
        table = csv_table("PLATE_PAR.csv")
        check(list(table.columns) == ["Parameter case number", "Parameter case name", "Time",
                                      "T1", "T2", "T3", "T4", "T99"], f"CSV columns {list(table.columns)}")
        check(len(table) == len(tables), f"{len(table)} CSV rows for {len(tables)} node tables")
        check(list(table["Parameter case number"]) == [0] * 6 + [1] * 6, "CSV case numbers")
        check(list(table["Parameter case name"]) == ["ORIGINAL"] * 6 + ["SHORT"] * 6, "CSV case names")
        for (i, row), t in zip(table.iterrows(), tables):
            check(row["Time"] == t["time"], f"CSV row {i}: time {row['Time']} against {t['time']}")
            for node in (1, 2, 3, 4, 99):
                check(same_as_printed(row[f"T{node}"], t["T"][node]),
                      f"CSV row {i}: T{node} {row[f'T{node}']} against the listing's {t['T'][node]}")
        check(list(ns["edge_short"].index) == [0.0, 0.0, 900.0, 1800.0, 2700.0, 3600.0],
              f"times of the case SHORT: {list(ns['edge_short'].index)}")
        os.chdir("/")

    if FAILURES:
        print("\n".join(FAILURES))
        return 1
    print("results_recipe_test: the recipes agree with the listing")
    return 0


if __name__ == "__main__":
    sys.exit(main())
