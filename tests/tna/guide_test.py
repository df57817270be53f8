#!/usr/bin/env python3
"""The code blocks of the guide a user would copy, run as the guide says.

docs/GENERATED_PROGRAM.md:
  - the install recipe (sh): its configure line is checked, not run (the
    build directory of the tests, configured already, stands in for
    build-release); the build of the target tna_package and the install
    into $HOME/tna run, HOME being a scratch folder; README.md gives the
    same three lines;
  - the CMakeLists.txt of a model program (cmake) and the commands that
    build it (sh), run in a folder holding it and examples/plate/plate.cpp;
  - the compiler command line (sh), run in the same folder (with
    -DTNA_BOUNDS_CHECK=1 when the build is not a Release build, as the
    guide says, and the sanitizers' flags when SANITIZED is 1, because a
    library built with them links only with their runtimes);
  both programs run on the files of plate_files and print the listing of
  the plate built in the tree.
docs/MODEL_DATABASE.md:
  - the Python writer and the databases of PAIR and LOOP: each file is the
    one pair_files or loop_files writes, byte for byte but the date and
    time of writing, and the program runs on it (with the analysis-case
    file of the recipe of docs/GENERATED_PROGRAM.md) to the listing of the
    file of pair_files or loop_files;
  - its lists of the global control constants are those of
    core/control_constants.h.

usage: guide_test.py SOURCE_DIR BUILD_DIR BUILD_TYPE SANITIZED PLATE PLATE_FILES PAIR PAIR_FILES LOOP LOOP_FILES
Exit status 0 when every check holds, 1 otherwise.
"""
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

from doc_checks import FAILURES, check, code_blocks


def commands(block):
    """The commands of a shell block, continuation lines joined."""
    return [c.strip() for c in block.replace("\\\n", " ").splitlines() if c.strip()]


def run(command, cwd, env):
    done = subprocess.run(command, shell=True, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True)
    check(done.returncode == 0, f"'{command}' in {cwd} ended with status {done.returncode}:\n{done.stdout[-3000:]}")
    return done.returncode == 0


def listing(program, files, cwd):
    """The listing of `program` run in cwd after `files` wrote the model's
    files there; page headers (which carry the clock) left out."""
    os.makedirs(cwd, exist_ok=True)
    if files:
        subprocess.run([files], cwd=cwd, check=True, stdout=subprocess.DEVNULL)
    done = subprocess.run([program], cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    check(done.returncode == 0, f"{program} in {cwd} ended with status {done.returncode}:\n{done.stdout[-2000:]}")
    return [line for line in done.stdout.splitlines() if not re.match(r"^ [0-9 ][0-9] [A-Z][a-z]* *[0-9]{4} ", line)]


def header_names(source, macro):
    with open(os.path.join(source, "core", "control_constants.h")) as f:
        text = f.read()
    body = re.search(r"#define " + macro + r"\(X\)(.*?)\n\n", text, re.S).group(1)
    return re.findall(r"X\((\w+),", body)


def check_program_blocks(source, build, build_type, sanitized, plate, plate_files, work):
    docs = os.path.join(source, "docs")
    sh = [commands(b) for b in code_blocks(os.path.join(docs, "GENERATED_PROGRAM.md"), "sh")]
    cmake = code_blocks(os.path.join(docs, "GENERATED_PROGRAM.md"), "cmake")
    check(len(sh) == 3 and len(cmake) == 1, f"docs/GENERATED_PROGRAM.md: {len(sh)} sh and {len(cmake)} cmake blocks")
    if FAILURES:
        return
    install, model_build, compiler = sh
    home = os.path.join(work, "home")
    os.makedirs(home)
    env = dict(os.environ, HOME=home)

    # The install recipe; README.md gives the same lines.
    with open(os.path.join(source, "README.md")) as f:
        readme = [line.strip() for line in f if line.startswith("    cmake ")]
    check(all(line in readme for line in install), f"README.md lacks the install recipe {install}: {readme}")
    check(len(install) == 3 and install[0] == "cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release",
          f"install recipe {install}")
    for command in install[1:]:
        check(" build-release " in command, f"'{command}' does not use build-release")
        if not run(command.replace(" build-release ", f" {shlex.quote(build)} "), source, env):
            return
    check(os.path.exists(os.path.join(home, "tna", "lib", "cmake", "tna", "tnaConfigVersion.cmake")),
          "no tnaConfigVersion.cmake installed")

    # The model folder: its CMakeLists.txt and the plate's program.
    model = os.path.join(work, "model")
    os.makedirs(model)
    with open(os.path.join(model, "CMakeLists.txt"), "w") as f:
        f.write(cmake[0])
    shutil.copy(os.path.join(source, "examples", "plate", "plate.cpp"), model)
    if not all(run(c, model, env) for c in model_build):
        return
    check(len(compiler) == 1 and compiler[0].startswith("g++ ") and "-o plate" in compiler[0],
          f"compiler line {compiler}")
    direct = compiler[0].replace("-o plate", "-o plate_gxx")
    if build_type != "Release":
        direct += " -DTNA_BOUNDS_CHECK=1"
    if sanitized:
        # A library built with the sanitizers links only with their runtimes,
        # which the package's CMake target adds and a plain g++ line does not.
        direct += " -fsanitize=address,undefined"
    if not run(direct, model, env):
        return

    want = listing(plate, plate_files, os.path.join(work, "run-tree"))
    for name, program in [("CMake", os.path.join(model, "build", "plate")), ("g++", os.path.join(model, "plate_gxx"))]:
        got = listing(program, plate_files, os.path.join(work, "run-" + name))
        check(got == want, f"the plate built with the guide's {name} commands prints another listing")


def check_database_blocks(source, examples, work):
    """examples: (name, program, its _files program) of the worked examples."""
    docs = os.path.join(source, "docs")
    ns = {}
    for block in code_blocks(os.path.join(docs, "GENERATED_PROGRAM.md"), "python"):
        exec(block, ns)

    written = os.path.join(work, "written")
    os.makedirs(written)
    os.chdir(written)
    for block in code_blocks(os.path.join(docs, "MODEL_DATABASE.md"), "python"):
        exec(block, ns)
    check(ns["GLOI_NAMES"] == header_names(source, "TNA_GLOI_LIST"), "GLOI_NAMES differ from core/control_constants.h")
    check(ns["GLOR_NAMES"] == header_names(source, "TNA_GLOR_LIST"), "GLOR_NAMES differ from core/control_constants.h")

    def without_clock(data):  # the date and time of the first record
        return data[:4 + 44] + data[4 + 69:]

    for name, program, files in examples:
        here = os.path.join(written, name)
        os.makedirs(here)
        os.rename(os.path.join(written, name + ".MDB"), os.path.join(here, name + ".MDB"))
        ns["write_least_acd"](os.path.join(here, name + ".acd"))
        reference = os.path.join(work, name + "-files")
        want = listing(program, files, reference)
        with open(os.path.join(here, name + ".MDB"), "rb") as f:
            mine = f.read()
        with open(os.path.join(reference, name + ".MDB"), "rb") as f:
            theirs = f.read()
        check(len(mine) == len(theirs) and without_clock(mine) == without_clock(theirs),
              f"the Python writer's {name}.MDB ({len(mine)} bytes) is not that of {files} ({len(theirs)} bytes)")
        check(listing(program, None, here) == want, f"{name} on the Python writer's files prints another listing")
    os.chdir(work)


def main():
    if len(sys.argv) != 11:
        print(__doc__)
        return 2
    source, build = (os.path.abspath(a) for a in sys.argv[1:3])
    build_type = sys.argv[3]
    sanitized = sys.argv[4] == "1"
    plate, plate_files, pair, pair_files, loop, loop_files = (os.path.abspath(a) for a in sys.argv[5:])
    with tempfile.TemporaryDirectory() as work:
        check_program_blocks(source, build, build_type, sanitized, plate, plate_files, work)
        check_database_blocks(source, [("PAIR", pair, pair_files), ("LOOP", loop, loop_files)], work)
        os.chdir("/")
    if FAILURES:
        print("\n".join(FAILURES))
        return 1
    print("guide_test: the guide's code blocks run as it says")
    return 0


if __name__ == "__main__":
    sys.exit(main())
