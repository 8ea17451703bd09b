#!/usr/bin/env python3
"""Checks that tools/repeat-tests judges runs as ctest does, on stand-in
tests of a ctest project of their own (no build, no Wine)."""

import os
import re
import subprocess
import sys
import tempfile

TOOL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "repeat-tests")

# The locked stand-ins take file locks of the same names and fail when they
# cannot take one at once: two runs that share a lock name must never
# overlap. The hang holds "b" through a process that leaves the run's process
# group, as wine-exec's `timeout` does with the Windows process, so that
# whatever outlives its time-out makes the next run on "B" fail.
STAND_INS = r'''
add_test(Skip /bin/sh -c "echo '[  SKIPPED ] not on this system'")
set_tests_properties(Skip PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
add_test(WillFail /bin/sh -c "exit 3")
set_tests_properties(WillFail PROPERTIES WILL_FAIL ON)
add_test(LockA flock -n a sleep 0.2)
set_tests_properties(LockA PROPERTIES RESOURCE_LOCK A)
add_test(LockAB flock -n a flock -n b sleep 0.2)
set_tests_properties(LockAB PROPERTIES RESOURCE_LOCK "A;B")
add_test(Hang /bin/sh -c "timeout 600 flock -n b sleep 600 | cat")
set_tests_properties(Hang PROPERTIES RESOURCE_LOCK B TIMEOUT 1)
'''

EXPECTED = {
    "Skip": "   0 of 3 passed, 3 skipped",
    "WillFail": "   3 of 3 passed",
    "LockA": "   3 of 3 passed",
    "LockAB": "   3 of 3 passed",
    "Hang": "   0 of 3 passed",
}


def main():
    with tempfile.TemporaryDirectory(prefix="repeat-tests-check.") as build:
        with open(os.path.join(build, "CTestTestfile.cmake"), "w") as out:
            out.write(STAND_INS)
        result = subprocess.run([sys.executable, TOOL, "--no-wine", "--build", build,
                                 "--runs", "3", "--jobs", "4", "."],
                                capture_output=True, text=True, timeout=600)
    print(result.stdout + result.stderr)
    problems = []
    tally = dict(reversed(line.rsplit("  ", 1)) for line in result.stdout.splitlines() if " of 3 passed" in line)
    for name, expected in EXPECTED.items():
        if tally.get(name) != expected:
            problems.append(f"{name}: {tally.get(name)!r}, not {expected!r}")
    hangs = re.findall(r"^FAILED Hang run \d \((.*), [\d.]+ s\)", result.stdout, re.MULTILINE)
    if hangs != ["time-out after 1 s"] * 3:
        problems.append(f"the hang's runs ended as {hangs}, not three clean time-outs")
    if result.returncode != 1:
        problems.append(f"exit code {result.returncode}, not 1")
    for problem in problems:
        print("repeat-tests check:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
