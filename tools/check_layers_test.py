#!/usr/bin/env python3
"""Tests of tools/check-layers on small source trees built in a scratch folder."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check-layers")

LAYERS = "# lowest first\nbase\nmid side\ntop\n"


def run(files, layers=LAYERS):
    """Exit status and output of check-layers over a tree of {path: text}."""
    with tempfile.TemporaryDirectory() as root:
        with open(os.path.join(root, "layers.txt"), "w") as f:
            f.write(layers)
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(text)
        p = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
        return p.returncode, p.stdout


# A tree whose includes follow the layers: each folder includes downward or
# itself only; test and tool folders include anything.
CLEAN = {
    "base/a.h": "#pragma once\n",
    "base/a.cpp": '#include "base/a.h"\n',
    "mid/m.cpp": '#include "mid/m.h"\n#include "base/a.h"\n',
    "mid/m.h": "#pragma once\n",
    "side/s.cpp": '#  include "base/a.h"\n',
    "top/t.cpp": '#include "mid/m.h"\n#include "side/s.h"\n#include <vector>\n',
    "tests/top/t_test.cpp": '#include "top/t.h"\n#include "base/a.h"\n',
    "tools/w.cpp": '#include "top/t.h"\n',
}


class CheckLayers(unittest.TestCase):
    def test_includes_that_follow_the_layers_pass(self):
        status, out = run(CLEAN)
        self.assertEqual(status, 0, out)
        self.assertIn("4 library folders, 3 layers", out)

    def test_each_violation_fails_and_is_named(self):
        cases = [
            ("upward", {"base/a.cpp": '#include "top/t.h"\n'},
             ["base/a.cpp:1: upward include of top/t.h"]),
            ("sideways on one layer", {"side/s.cpp": '#include "mid/m.h"\n'},
             ["side/s.cpp:1: sideways include of mid/m.h"]),
            ("upward in a header of a sub-folder", {"mid/detail/x.h": '\n\n#include "top/t.h"\n'},
             ["mid/detail/x.h:3: upward include of top/t.h"]),
            ("cycle", {"base/a.h": '#include "mid/m.h"\n'},
             ["upward include of mid/m.h", "include cycle between folders: base mid"]),
            ("folder not in layers.txt", {"extra/e.cpp": '#include "base/a.h"\n'},
             ["extra/ is a library folder missing from layers.txt"]),
            ("test infrastructure in the library", {"mid/m.cpp": '#include "tools/w.h"\n'},
             ["mid/m.cpp:1: includes tools/w.h, which is not a library folder"]),
        ]
        for name, change, expected in cases:
            with self.subTest(name):
                status, out = run({**CLEAN, **change})
                self.assertEqual(status, 1, out)
                for text in expected:
                    self.assertIn(text, out)
                self.assertIn("FAILED", out)

    def test_unit_cycles_fail_unless_listed_with_their_reason(self):
        # Two units of one folder whose sources include each other's header,
        # and two headers that include each other.
        pair = {"mid/p.h": "#pragma once\n", "mid/p.cpp": '#include "mid/p.h"\n#include "mid/q.h"\n',
                "mid/q.h": "#pragma once\n", "mid/q.cpp": '#include "mid/q.h"\n#include "mid/p.h"\n'}
        headers = {"base/x.h": '#include "base/y.h"\n', "base/y.h": '#include "base/x.h"\n'}
        listed_pair = "Cycle mid/p mid/q: p and q share one state\n"
        cases = [
            # name, extra files, lines added to layers.txt, status, texts expected in the output
            ("unlisted source cycle", pair, "", 1,
             ["include cycle between units of mid/: mid/p mid/q",
              "mid/p.cpp:2: includes mid/q.h", "mid/q.cpp:2: includes mid/p.h"]),
            ("unlisted header cycle", headers, "", 1,
             ["include cycle between units of base/: base/x base/y", "base/x.h:1: includes base/y.h"]),
            ("listed cycle", pair, listed_pair, 0, ["1 unit cycles (1 listed): ok", "3 layers"]),
            ("listed in another order", pair, "Cycle mid/q mid/p: shared state\n", 0, ["ok"]),
            ("listed cycle that grew",
             {**pair, "mid/r.h": '#include "mid/p.h"\n', "mid/p.h": '#include "mid/r.h"\n'}, listed_pair, 1,
             ["include cycle between units of mid/: mid/p mid/q mid/r",
              "layers.txt:5: the cycle mid/p mid/q no longer exists"]),
            ("listed cycle that no longer exists", {}, listed_pair, 1,
             ["layers.txt:5: the cycle mid/p mid/q no longer exists: remove its line"]),
            ("listed without a reason", pair, "Cycle mid/p mid/q:\n", 1,
             ["layers.txt:5: a Cycle line names two units or more, then after a colon why",
              "include cycle between units of mid/: mid/p mid/q"]),
            ("listed with one unit", pair, "Cycle mid/p: alone\n", 1, ["layers.txt:5: a Cycle line names"]),
            ("listed twice", pair, listed_pair + listed_pair, 1,
             ["layers.txt:6: lists the cycle mid/p mid/q twice"]),
            # Units of different folders (a sub-folder is a folder of its
            # own) and includes of one unit's own files are no unit cycle.
            ("sub-folder", {"mid/s.cpp": '#include "mid/sub/t.h"\n', "mid/s.h": "#pragma once\n",
                            "mid/sub/t.cpp": '#include "mid/s.h"\n', "mid/sub/t.h": "#pragma once\n"}, "", 0,
             ["0 unit cycles (0 listed): ok"]),
        ]
        for name, change, extra, expected_status, expected in cases:
            with self.subTest(name):
                status, out = run({**CLEAN, **change}, LAYERS + extra)
                self.assertEqual(status, expected_status, out)
                for text in expected:
                    self.assertIn(text, out)

    def test_help_and_wrong_command_lines_print_the_usage(self):
        def call(*args):
            p = subprocess.run([sys.executable, SCRIPT, *args], capture_output=True, text=True)
            return p.returncode, p.stdout, p.stderr

        usage = "usage: tools/check-layers [ROOT]"
        for flag in ("--help", "-h"):
            status, out, err = call(flag)
            self.assertEqual((status, err), (0, ""), flag)
            self.assertTrue(out.startswith(usage), out)
        with tempfile.TemporaryDirectory() as empty:
            for args, message in [((empty,), f"no layers.txt in {empty}"), (("--root", empty), ""),
                                  ((empty, empty), "")]:
                status, out, err = call(*args)
                self.assertEqual((status, out), (2, ""), args)
                self.assertIn(message, err)
                self.assertIn(usage, err)

    def test_folder_listed_twice_fails(self):
        status, out = run(CLEAN, LAYERS + "base\n")
        self.assertEqual(status, 1, out)
        self.assertIn("layers.txt lists base twice", out)


if __name__ == "__main__":
    unittest.main()
