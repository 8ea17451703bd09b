#!/usr/bin/env python3
"""Checks that tools/repeat-tests judges runs as ctest does, on stand-in
tests of a ctest project of their own (no build, no Wine). Takes another
copy of the tool to check as its argument."""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "..", "tools", "repeat-tests")

# The locked stand-ins take file locks of the same names and fail when they
# cannot take one at once: two runs that share a lock name must never
# overlap. Hang and Leaves leave processes that hold their locks: one that
# only its tag ties to the run (it leaves the run's process group, as
# wine-exec's `timeout` does with the Windows process) and one that only its
# process group does, so that whatever outlives its run makes the next run
# on the lock end at once with a code of its own. StartsWinesOwn starts a
# program named as one that Wine keeps for the whole session, holding the
# run's output: the run ends without it, and leaves it running.
STAND_INS = r'''
add_test(Skip /bin/sh -c "echo '[  SKIPPED ] not on this system'")
set_tests_properties(Skip PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
add_test(SkipCode /bin/sh -c "exit 4")
set_tests_properties(SkipCode PROPERTIES SKIP_RETURN_CODE 4)
add_test(SkipThenCrash /bin/sh -c "echo '[  SKIPPED ]'; kill -SEGV \$\$")
set_tests_properties(SkipThenCrash PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
add_test(Fail /bin/sh -c "exit 1")
add_test(FailPattern /bin/sh -c "echo trouble")
set_tests_properties(FailPattern PROPERTIES FAIL_REGULAR_EXPRESSION "trouble")
add_test(PassPattern /bin/sh -c "printf 'one\\ntwo{2}'; exit 1")
set_tests_properties(PassPattern PROPERTIES PASS_REGULAR_EXPRESSION "one.two{2}")
add_test(WillFail /bin/sh -c "exit 3")
set_tests_properties(WillFail PROPERTIES WILL_FAIL ON)
add_test(NoTimeOut /bin/sh -c "sleep 0.2")
set_tests_properties(NoTimeOut PROPERTIES TIMEOUT 0)
add_test(NotFound /nonexistent/program)
add_test(Col/a /bin/sh -c "echo Col/a; exit 1")
add_test(Col_a /bin/sh -c "echo Col_a")
add_test(LockA flock -n a sleep 0.2)
set_tests_properties(LockA PROPERTIES RESOURCE_LOCK A)
add_test(LockAB flock -n a flock -n b sleep 0.2)
set_tests_properties(LockAB PROPERTIES RESOURCE_LOCK "A;B")
add_test(Hang /bin/sh -c "flock -n b true || exit 11; flock -n c true || exit 12; setsid flock b sleep 600 >/dev/null 2>&1 & env -u OVALIS_REPEAT_RUN flock c sleep 600 >/dev/null 2>&1 & wait")
set_tests_properties(Hang PROPERTIES RESOURCE_LOCK B TIMEOUT 1)
add_test(Leaves /bin/sh -c "flock -n d true || exit 13; setsid flock d sleep 600 >/dev/null 2>&1 &")
set_tests_properties(Leaves PROPERTIES RESOURCE_LOCK D)
add_test(StartsWinesOwn python3 -c "import subprocess; subprocess.Popen(['./services.exe', '600'], start_new_session=True)")
set_tests_properties(StartsWinesOwn PROPERTIES TIMEOUT 10)
add_test(HoldsOutput /bin/sh -c "sleep 600 & echo started")
set_tests_properties(HoldsOutput PROPERTIES TIMEOUT 1)
add_test(Sleeps /bin/sh -c "setsid sleep 600 & touch started.\$\$; sleep 600")
'''

EXPECTED = {
    "Skip": "   0 of 3 passed, 3 skipped",
    "SkipCode": "   0 of 3 passed, 3 skipped",
    "SkipThenCrash": "   0 of 3 passed",
    "Fail": "   0 of 3 passed",
    "FailPattern": "   0 of 3 passed",
    "PassPattern": "   3 of 3 passed",
    "WillFail": "   3 of 3 passed",
    "NoTimeOut": "   3 of 3 passed",
    "NotFound": "   0 of 3 passed",
    "Col/a": "   0 of 3 passed",
    "Col_a": "   3 of 3 passed",
    "LockA": "   3 of 3 passed",
    "LockAB": "   3 of 3 passed",
    "Hang": "   0 of 3 passed",
    "Leaves": "   3 of 3 passed",
    "HoldsOutput": "   0 of 3 passed",
    "StartsWinesOwn": "   3 of 3 passed",
}


def tool(build, *arguments, **options):
    return subprocess.Popen([sys.executable, TOOL, "--no-wine", "--build", build] + list(arguments),
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **options)


def interrupted(build):
    """Runs Sleeps twice at once, sends Ctrl-C's signal once both are up;
    the tool's exit code and output."""
    stopped = tool(build, "--runs", "2", "--jobs", "2", "^Sleeps$", start_new_session=True)
    deadline = time.monotonic() + 60
    while len([name for name in os.listdir(build) if name.startswith("started.")]) < 2:
        if time.monotonic() > deadline or stopped.poll() is not None:
            break
        time.sleep(0.05)
    try:
        os.killpg(stopped.pid, signal.SIGINT)
        stopped.wait(60)
    except (OSError, subprocess.TimeoutExpired):
        stopped.kill()
    return stopped.wait(), stopped.stdout.read()


def left_running(build):
    """Ends the processes that still run in the stand-ins' folder; their
    command lines."""
    found = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            if not os.readlink(f"/proc/{entry}/cwd").startswith(build):
                continue
            with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                found.append(cmdline.read().replace(b"\0", b" ").decode(errors="replace").strip())
            os.kill(int(entry), signal.SIGKILL)
        except OSError:
            pass
    return found


def main():
    problems = []
    with tempfile.TemporaryDirectory(prefix="repeat-tests-check.") as build:
        with open(os.path.join(build, "CTestTestfile.cmake"), "w") as out:
            out.write(STAND_INS)
        shutil.copy("/bin/sleep", os.path.join(build, "services.exe"))
        for folder, arguments in ((build, ["--jobs", "0", "."]), (build, ["--runs", "0", "."]),
                                  (build, ["("]), (os.path.join(build, "none"), ["."])):
            refusal = tool(folder, *arguments)
            told = refusal.communicate(timeout=60)[0]
            if refusal.returncode != 2 or len(told.splitlines()) != 1:
                problems.append(f"{arguments} in {folder} gave exit code {refusal.returncode} and {told[:200]!r}")
        # A second invocation on the same folder, interrupted, while the
        # first still runs and holds logs of failed runs.
        judged = tool(build, "--runs", "3", "--jobs", "8", f"^({'|'.join(EXPECTED)})$")
        lines = []
        for line in judged.stdout:
            lines.append(line)
            if line.startswith("FAILED"):
                break
        stop_code, stop_output = interrupted(build)
        lines += judged.stdout.readlines()
        judged.wait(600)
        output = "".join(lines)
        failed_logs = re.findall(r"^FAILED (\S+) run \d \(.*\): (.*)$", output, re.MULTILINE)
        logs = {log: open(log).read() if os.path.exists(log) else None for _, log in failed_logs}
        left = left_running(build)
    print(output + stop_output)

    tally = dict(reversed(line.rsplit("  ", 1)) for line in output.splitlines() if " of 3 passed" in line)
    for name, expected in EXPECTED.items():
        if tally.get(name) != expected:
            problems.append(f"{name}: {tally.get(name)!r}, not {expected!r}")
    hangs = re.findall(r"^FAILED Hang run \d \((.*), [\d.]+ s\)", output, re.MULTILINE)
    if hangs != ["time-out after 1 s"] * 3:
        problems.append(f"the hang's runs ended as {hangs}, not three clean time-outs")
    for name, log in failed_logs:
        if logs[log] is None or (name.startswith("Col") and name not in logs[log]):
            problems.append(f"{name}'s log {log} is gone or another's")
    if judged.returncode != 1:
        problems.append(f"exit code {judged.returncode}, not 1")
    if stop_code in (0, 2) or "Traceback" in stop_output or "   0 of 2 passed, 2 not run  Sleeps" not in stop_output:
        problems.append(f"a Ctrl-C ended the tool with exit code {stop_code} and no tally of runs not run")
    if left != ["./services.exe 600"] * 3:
        problems.append(f"left running: {left}, not the 3 programs Wine would keep")
    for problem in problems:
        print("repeat-tests check:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
