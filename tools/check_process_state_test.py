#!/usr/bin/env python3
"""Tests of tools/check-process-state on small archives compiled in a scratch folder.

usage: check_process_state_test.py CXX
"""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check-process-state")
CXX = "c++"

# What platform/process_state.h declares, as an object that uses it sees it.
REGISTER = "namespace plat { bool register_state_reset(const char*, void (*)()); }\n"


def run(sources):
    """Exit status and output of the check over one archive of {name: C++ source}."""
    with tempfile.TemporaryDirectory() as root:
        objects = []
        for name, text in sources.items():
            src = os.path.join(root, name + ".cpp")
            with open(src, "w") as f:
                f.write(text)
            obj = os.path.join(root, name + ".cpp.o")
            subprocess.run([CXX, "-std=c++20", "-c", src, "-o", obj], check=True)
            objects.append(obj)
        archive = os.path.join(root, "libtna_demo.a")
        subprocess.run(["ar", "rcs", archive] + objects, check=True)
        p = subprocess.run([sys.executable, SCRIPT, archive], capture_output=True, text=True)
        return p.returncode, p.stdout


class CheckProcessState(unittest.TestCase):
    def test_state_without_a_reset_is_named(self):
        code, out = run({"counter": "namespace { int g_count = 0; }\nint bump() { return ++g_count; }\n"})
        self.assertEqual(code, 1)
        self.assertIn("counter.cpp.o", out)
        self.assertIn("g_count", out)

    def test_a_function_local_static_counts_too(self):
        code, out = run({"cache": "#include <vector>\nstd::vector<int>& cache() { static std::vector<int> c; return c; }\n"})
        self.assertEqual(code, 1)
        self.assertIn("cache()::c", out)

    def test_state_with_a_registered_reset_passes(self):
        code, out = run({"counter": REGISTER + "namespace { int g_count = 0; void reset() { g_count = 0; }\n"
                                               "const bool r = plat::register_state_reset(\"demo/counter\", reset); }\n"
                                               "int bump() { return ++g_count; }\n"})
        self.assertEqual(code, 0, out)

    def test_constants_and_code_need_no_reset(self):
        code, out = run({"table": "extern const int kLimits[3];\nconst int kLimits[3] = {1, 2, 3};\n"
                                  "int twice(int x) { return 2 * x; }\n"})
        self.assertEqual(code, 0, out)


if __name__ == "__main__":
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        CXX = sys.argv.pop(1)
    unittest.main()
