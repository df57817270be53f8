#!/usr/bin/python3
"""Writes the constant tables of the substance library as C++ data files
under properties/data/, their declarations (properties/data/tables.h) and the
generated sections of properties/data/README.md.

Run with the system Python and Debian's python3-iapws, python3-numpy and
python3-scipy:

    /usr/bin/python3 tools/property_tables/generate.py [--root DIR] [--check]

--check writes nothing and exits with status 1 when a file would change.
The output depends only on these packages, never on the machine: every value
goes through plain Python arithmetic and is written in a fixed form.

One module per table family; each has generate() returning
({file path: text}, [declarations], {README section: text}).
"""

import argparse
import os
import sys
import time

sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree

import common  # noqa: E402
import compressibility  # noqa: E402
import saturation_density  # noqa: E402
import saturation_enthalpy  # noqa: E402
import saturation_temperature  # noqa: E402
import sound_speed  # noqa: E402
import temperature_tables  # noqa: E402
import virial_coefficient  # noqa: E402

FAMILIES = [temperature_tables, saturation_temperature, saturation_density, saturation_enthalpy, virial_coefficient,
            compressibility, sound_speed]

HEADER = "properties/data/tables.h"
README = "properties/data/README.md"


def header(declarations):
    lines = ["// " + common.GENERATED_NOTE,
             "// The constant tables of the substance library, one object per table;",
             "// properties/table_lookup.h reads them.",
             "#pragma once",
             "",
             '#include "properties/table_lookup.h"',
             "",
             "namespace prop_data {",
             ""]
    lines += declarations
    lines += ["", "}  // namespace prop_data", ""]
    return "\n".join(lines)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--root", default=os.path.normpath(os.path.join(here, "..", "..")))
    ap.add_argument("--check", action="store_true")
    args = ap.parse_args(argv)

    files, decls, sections = {}, [], {}
    for fam in FAMILIES:
        start = time.time()
        f, d, s = fam.generate()
        files.update(f)
        decls += d
        sections.update(s)
        print("%-24s %5.1f s" % (fam.__name__, time.time() - start))
    files[HEADER] = header(decls)

    with open(os.path.join(args.root, README)) as fh:
        readme = fh.read()
    for name, body in sections.items():
        readme = common.replace_section(readme, name, body)
    files[README] = readme

    changed = []
    for rel, text in sorted(files.items()):
        path = os.path.join(args.root, rel)
        old = open(path).read() if os.path.exists(path) else None
        if old != text:
            changed.append(rel)
            if not args.check:
                with open(path, "w") as fh:
                    fh.write(text)
    for rel in changed:
        print(("differs: " if args.check else "written: ") + rel)
    return 1 if (args.check and changed) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
