#!/usr/bin/env python3
"""Checks tools/repeat-tests on stand-in tests of ctest projects of their own
(no build, no Wine): its verdicts against ctest's on copies of the projects,
and what it does beyond ctest (locks, ending what runs leave, Wine's own
programs and stops) in its own mode and, through a stand-in Wine session and
stand-in Wine programs, in its Wine mode. Takes another copy of the tool to
check as its argument."""

import collections
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

# Run by the tool in its own mode (--no-wine), three times each. The locked
# stand-ins take file locks of the same names and fail when they cannot take
# one at once: two runs that share a lock name must never overlap. Hang and
# Leaves leave processes that hold their locks: one that only its tag ties to
# the run (it leaves the run's process group, as wine-exec's `timeout` does
# with the Windows process) and one that only its process group does, so that
# whatever outlives its run makes the next run on the lock end at once with a
# code of its own. NativeServices bears the name of a program Wine keeps for
# the session and holds the output: outside Wine it is a program like any.
JUDGED = r'''
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
add_test(WillFailFound printf found)
set_tests_properties(WillFailFound PROPERTIES PASS_REGULAR_EXPRESSION "found" WILL_FAIL ON)
add_test(Dollar printf two)
set_tests_properties(Dollar PROPERTIES PASS_REGULAR_EXPRESSION "two$")
add_test(DollarOptional printf ab)
set_tests_properties(DollarOptional PROPERTIES PASS_REGULAR_EXPRESSION "ab$?")
add_test(CarriageReturns printf "a\\r\\nb\\r\\n")
set_tests_properties(CarriageReturns PROPERTIES PASS_REGULAR_EXPRESSION "^a\nb\n$")
add_test(Backslash printf d)
set_tests_properties(Backslash PROPERTIES PASS_REGULAR_EXPRESSION "\\d")
add_test(Brackets printf d-)
set_tests_properties(Brackets PROPERTIES PASS_REGULAR_EXPRESSION "[\\d][^a-b-c]")
add_test(Rejected printf ab)
set_tests_properties(Rejected PROPERTIES PASS_REGULAR_EXPRESSION "(")
add_test(Unreadable printf ab)
set_tests_properties(Unreadable PROPERTIES PASS_REGULAR_EXPRESSION "@E9@")
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
set_tests_properties(Hang PROPERTIES RESOURCE_LOCK B TIMEOUT 0.5)
add_test(Leaves /bin/sh -c "flock -n d true || exit 13; setsid flock d sleep 600 >/dev/null 2>&1 &")
set_tests_properties(Leaves PROPERTIES RESOURCE_LOCK D)
add_test(NativeServices /bin/sh -c "setsid ./services.exe 600 & echo started")
set_tests_properties(NativeServices PROPERTIES TIMEOUT 1)
add_test(HoldsOutput /bin/sh -c "sleep 600 & echo started")
set_tests_properties(HoldsOutput PROPERTIES TIMEOUT 1)
add_test(Sleeps /bin/sh -c "setsid sleep 600 & touch started.$ENV{MARK}.\$\$; sleep 600")
set_tests_properties(Sleeps PROPERTIES TIMEOUT 0)
subdirs(same1 same2)
'''
SAME = {"same1": 'add_test(Same /bin/sh -c "exit 0")', "same2": 'add_test(Same /bin/sh -c "exit 1")'}

# Run by the tool in its Wine mode, twice each. A stand-in for one of Wine's
# programs (fake.py) is named as Wine names them and maps ntdll.dll from the
# stand-in Wine folder and its program file from the folder it is given, as
# Wine loads them; the stand-in server is a program in the folder of the
# `wineserver` on PATH. Each holds the run's output. Drained stops the tool,
# leaves more output in the pipe than one read takes and ends, and its desktop
# lets the tool go on once it has: the tool finds only Wine's desktop holding
# the output, with the last words still in the pipe.
WINE = r'''
add_test(WinesDesktop @PY@ @FAKE@ start explorer.exe @WINE@ /desktop)
add_test(WinesServer /bin/sh -c "setsid wineserver 600 & echo started")
add_test(Drained @PY@ @FAKE@ drained)
set_tests_properties(WinesDesktop WinesServer Drained PROPERTIES TIMEOUT 60)
set_tests_properties(Drained PROPERTIES PASS_REGULAR_EXPRESSION "\nall read\n$")
add_test(NotWinesDesktop @PY@ @FAKE@ start explorer.exe @WINE@ /select)
add_test(NotWinesServices @PY@ @FAKE@ start services.exe @ELSEWHERE@)
set_tests_properties(NotWinesDesktop NotWinesServices PROPERTIES TIMEOUT 1)
add_test(DartTimeOut sleep 3)
add_test(Sleeps /bin/sh -c "setsid sleep 600 & touch started.$ENV{MARK}.\$\$; sleep 600")
set_tests_properties(Sleeps PROPERTIES TIMEOUT 0)
'''

FAKE = r'''
import mmap, os, signal, subprocess, sys, time
HERE = os.path.dirname(os.path.abspath(__file__))
WINE = os.path.join(HERE, "winelib")


def start(program, folder, *arguments):
    return subprocess.Popen(["C:\\windows\\system32\\" + program, __file__, "be", program, folder] + list(arguments),
                            executable=sys.executable, start_new_session=True)


if sys.argv[1] == "be":
    program, folder = sys.argv[2:4]
    files = [open(os.path.join(WINE, "ntdll.dll"), "rb"), open(os.path.join(folder, program), "rb")]
    maps = [mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) for f in files]
    if sys.argv[4:5] == ["/desktop"] and sys.argv[5:6]:
        ran, tool = map(int, sys.argv[5:7])
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            try:
                with open(f"/proc/{ran}/stat", "rb") as stat:
                    if stat.read().rsplit(b")", 1)[1].split()[0] == b"Z":
                        break
            except OSError:
                break
            time.sleep(0.01)
        os.kill(tool, signal.SIGCONT)
    time.sleep(600)
elif sys.argv[1] == "start":
    start(*sys.argv[2:])
    print("started", flush=True)
else:
    tool = os.getppid()
    start("explorer.exe", WINE, "/desktop", str(os.getpid()), str(tool))
    print("started", flush=True)
    import fcntl
    fcntl.fcntl(1, getattr(fcntl, "F_SETPIPE_SZ", 1031), 1 << 20)
    os.kill(tool, signal.SIGSTOP)
    os.write(1, b"x" * 200000 + b"\nall read\n")
    os._exit(0)
'''

STANDIN_SESSION = r'''#!/bin/sh
# A Wine session's stand-in: the mark of one in the environment, no Wine.
while [ "$1" != "--" ]; do shift; done
shift
if [ -n "$STANDIN_SESSION_FAILS" ]; then echo "wine-session: Xvfb did not start" >&2; exit 1; fi
OVALIS_WINE_SESSION=stand-in exec "$@"
'''

# The verdict of every run of each, which ctest gives too unless the test
# shows what the tool does beyond ctest; the reason of a failed run where
# REASONS names it.
EXPECTED = {
    "judged": {"Skip": "skipped", "SkipCode": "skipped", "SkipThenCrash": "failed", "Fail": "failed",
               "FailPattern": "failed", "PassPattern": "passed", "WillFail": "passed", "WillFailFound": "failed",
               "Dollar": "failed", "DollarOptional": "passed", "CarriageReturns": "passed", "Backslash": "passed",
               "Brackets": "passed", "Rejected": "failed", "NoTimeOut": "passed", "NotFound": "failed",
               "Col/a": "failed", "Col_a": "passed", "LockA": "passed", "LockAB": "passed", "Hang": "failed",
               "Leaves": "passed", "NativeServices": "failed", "HoldsOutput": "failed", "Same": ["passed", "failed"]},
    "wine": {"WinesDesktop": "passed", "WinesServer": "passed", "Drained": "passed", "NotWinesDesktop": "failed",
             "NotWinesServices": "failed", "DartTimeOut": "failed"},
}
BEYOND_CTEST = {"LockA", "LockAB", "Hang", "Leaves", "WinesDesktop", "WinesServer", "Drained", "NotWinesDesktop",
                "NotWinesServices"}
REASONS = {"Hang": "time-out after 0.5 s", "DartTimeOut": "time-out after 1 s",
           "WillFailFound": "a pass pattern in the output, WILL_FAIL"}
# What the stand-ins of Wine's programs leave running: the session ends them.
WINES_LEFT = collections.Counter({"C:\\windows\\system32\\explorer.exe": 4, "wineserver": 2})


def tool(top, project, *arguments, wine=False, mark="", **options):
    environment = dict(os.environ, MARK=mark and f"{mark}.{os.getpid()}",
                       PATH=os.path.join(top, "winebin") + os.pathsep + os.environ["PATH"])
    environment.pop("OVALIS_WINE_SESSION", None)  # the stand-in session is the one
    environment.update(options.pop("env", {}))
    command = [sys.executable, os.path.join(top, "tools", "repeat-tests"), "--build", os.path.join(top, project)]
    return subprocess.Popen(command + ([] if wine else ["--no-wine"]) + list(arguments), env=environment,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **options)


def ctest(top, project, excluded):
    """ctest's verdicts, by label, on a copy of the project."""
    copy = os.path.join(top, project + "-ctest")
    listing = subprocess.run(["ctest", "-j", "8", "-E", f"^({'|'.join(map(re.escape, excluded))})$"],
                             cwd=copy, capture_output=True, text=True, timeout=120).stdout
    found = re.findall(r"Test +#(\d+): (\S+) \.*\s*\**(\w+)", listing)
    names = collections.Counter(name for _, name, _ in found)
    return {(name if names[name] == 1 else f"{name} #{number}"): {"Passed": "passed", "Skipped": "skipped"}.get(
        status, "failed") for number, name, status in found}


def tallies(output, runs):
    """The verdict of every run, by label, from the tool's tally."""
    verdicts = {}
    for passed, rest, label in re.findall(rf"^ +(\d+) of {runs} passed(.*?)  (.+)$", output, re.MULTILINE):
        skipped = re.search(r"(\d+) skipped", rest)
        verdicts[label] = ("passed" if int(passed) == runs else "skipped" if skipped and int(skipped[1]) == runs
                           else "failed" if passed == "0" and not rest else f"mixed: {passed}{rest}")
    return verdicts


def matches(expected, verdicts):
    """The problems of the verdicts against those expected, by name; tests of
    one name in the order of their numbers."""
    problems = []
    for name, verdict in expected.items():
        found = [verdicts.get(name)]
        if isinstance(verdict, list):
            numbered = sorted((int(label.rsplit("#", 1)[1]), v) for label, v in verdicts.items()
                              if label.startswith(name + " #"))
            found = [v for _, v in numbered]
        if found != (verdict if isinstance(verdict, list) else [verdict]):
            problems.append(f"{name}: {found}, not {verdict}")
    return problems


def when_started(top, project, mark, count, process):
    """Waits till count runs of Sleeps with the mark are up (or the tool ended)."""
    deadline = time.monotonic() + 120
    folder = os.path.join(top, project)
    while len([name for name in os.listdir(folder) if name.startswith(f"started.{mark}.{os.getpid()}.")]) < count:
        if time.monotonic() > deadline or process.poll() is not None:
            return
        time.sleep(0.05)


def marked(mark):
    """The processes of this check's whose environment holds the mark."""
    found = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{entry}/environ", "rb") as environ:
                if f"MARK={mark}.{os.getpid()}".encode() in environ.read().split(b"\0"):
                    found.append(int(entry))
        except OSError:
            pass
    return found


def left_running(top):
    """Ends the processes that still run in the stand-ins' folders; their
    programs, by folder."""
    found = collections.defaultdict(list)
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            folder = os.readlink(f"/proc/{entry}/cwd")
            if not folder.startswith(top + os.sep):
                continue
            with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                words = cmdline.read().decode(errors="replace").split("\0")
            os.kill(int(entry), signal.SIGKILL)
            found[os.path.relpath(folder, top)].append(words[0])
        except OSError:
            pass
    return found


def make(top):
    os.makedirs(os.path.join(top, "tools"))
    shutil.copy(TOOL, os.path.join(top, "tools", "repeat-tests"))
    with open(os.path.join(top, "tools", "wine-session"), "w") as out:
        out.write(STANDIN_SESSION)
    os.chmod(os.path.join(top, "tools", "wine-session"), 0o755)
    for folder, files in (("winelib", ["ntdll.dll", "explorer.exe", "services.exe"]), ("elsewhere", ["services.exe"])):
        os.makedirs(os.path.join(top, folder))
        for name in files:
            with open(os.path.join(top, folder, name), "w") as out:
                out.write(name)
    os.makedirs(os.path.join(top, "winebin"))
    shutil.copy("/bin/sleep", os.path.join(top, "winebin", "wineserver"))
    with open(os.path.join(top, "fake.py"), "w") as out:
        out.write(FAKE)
    for project, text in (("judged", JUDGED), ("wine", WINE)):
        os.makedirs(os.path.join(top, project))
        for key, value in (("@PY@", sys.executable), ("@FAKE@", os.path.join(top, "fake.py")),
                           ("@WINE@", os.path.join(top, "winelib")), ("@ELSEWHERE@", os.path.join(top, "elsewhere"))):
            text = text.replace(key, value)
        with open(os.path.join(top, project, "CTestTestfile.cmake"), "wb") as out:
            out.write(text.encode().replace(b"@E9@", b"\xe9"))
    for folder, text in SAME.items():
        os.makedirs(os.path.join(top, "judged", folder))
        with open(os.path.join(top, "judged", folder, "CTestTestfile.cmake"), "w") as out:
            out.write(text)
    shutil.copy("/bin/sleep", os.path.join(top, "judged", "services.exe"))
    with open(os.path.join(top, "wine", "DartConfiguration.tcl"), "w") as out:
        out.write("TimeOut: 1\n")
    for project in ("judged", "wine"):
        shutil.copytree(os.path.join(top, project), os.path.join(top, project + "-ctest"))


def main():
    problems = []
    top = tempfile.mkdtemp(prefix="repeat-tests-check.")
    try:
        make(top)
        # Each refused in one line, with nothing run.
        refusals = {name: tool(top, project, *arguments) for name, project, arguments in (
            ("--jobs 0", "judged", ["--jobs", "0", "."]), ("--runs 0", "judged", ["--runs", "0", "."]),
            ("(", "judged", ["("]), ("no ctest files", "none", ["."]),
            ("Unreadable", "judged", ["^Unreadable$"]))}
        judged = tool(top, "judged", "--runs", "3", "--jobs", "8", f"^({'|'.join(EXPECTED['judged'])})$")
        wine = tool(top, "wine", "--runs", "2", "--jobs", "8", f"^({'|'.join(EXPECTED['wine'])})$", wine=True)
        # A second invocation on the same folder at once, stopped by Ctrl-C's
        # signal to its group; stops by pid in the Wine mode; SIGKILL with
        # busy loops; a Wine session that does not start.
        sleeps = ["--runs", "2", "--jobs", "3"]
        stops = {
            "INT": ("judged", tool(top, "judged", *sleeps, "^(Sleeps|Fail)$", mark="int", start_new_session=True)),
            "TERM": ("wine", tool(top, "wine", *sleeps, "^Sleeps$", wine=True, mark="term")),
            "HUP": ("wine", tool(top, "wine", *sleeps, "^Sleeps$", wine=True, mark="hup")),
        }
        killed = tool(top, "wine", *sleeps, "--load", "^Sleeps$", wine=True, mark="kill")
        unstarted = tool(top, "wine", *sleeps, "^Sleeps$", wine=True, env={"STANDIN_SESSION_FAILS": "1"})
        verdicts = {"judged": ctest(top, "judged", ["Sleeps", "Unreadable"] + sorted(BEYOND_CTEST)),
                    "wine": ctest(top, "wine", ["Sleeps"] + sorted(BEYOND_CTEST))}

        for name, (project, process) in stops.items():
            when_started(top, project, name.lower(), 2, process)
            number = getattr(signal, "SIG" + name)
            (os.killpg if name == "INT" else os.kill)(process.pid, number)
        when_started(top, "wine", "kill", 2, killed)
        killed.kill()
        killed.wait()
        deadline = time.monotonic() + 60
        while marked("kill") and time.monotonic() < deadline:
            time.sleep(0.05)
        if marked("kill"):
            problems.append(f"after a SIGKILL of the tool, its busy loops or runs {marked('kill')} ran on")

        outputs = {}
        for name, process in [(name, process) for name, (_, process) in stops.items()] + [
                ("judged", judged), ("wine", wine), ("unstarted", unstarted)] + list(refusals.items()):
            try:
                # A stop the tool does not heed would keep it for 600 s.
                outputs[name] = process.communicate(timeout=120 if name in stops else 600)[0]
            except subprocess.TimeoutExpired:
                process.kill()
                outputs[name] = process.communicate()[0] + "(went on till killed)"
            print(f"== {name}, exit code {process.returncode}\n{outputs[name]}")
        left = left_running(top)

        for name, process in refusals.items():
            if process.returncode != 2 or len(outputs[name].splitlines()) != 1 or "Traceback" in outputs[name]:
                problems.append(f"{name} was not refused in one line")
        if "Unreadable" not in outputs["Unreadable"]:
            problems.append("the refusal of an unreadable pattern does not name its test")
        for project, runs, process in (("judged", 3, judged), ("wine", 2, wine)):
            found = tallies(outputs[project], runs)
            problems += [f"{project}: {problem}" for problem in matches(EXPECTED[project], found)]
            ctests = {name: v for name, v in EXPECTED[project].items() if name not in BEYOND_CTEST}
            problems += [f"{project}: ctest says {problem}" for problem in matches(ctests, verdicts[project])]
            if process.returncode != 1:
                problems.append(f"{project}: exit code {process.returncode}, not 1")
        for name, reason in REASONS.items():
            found = set(re.findall(rf"^FAILED {name} run \d \((.*), [\d.]+ s\)", outputs["judged"] + outputs["wine"],
                                   re.MULTILINE))
            if found != {reason}:
                problems.append(f"{name} failed for {found}, not {reason!r}")
        failed_logs = re.findall(r"^FAILED (\S+) .*: (.*)$", outputs["judged"] + outputs["INT"], re.MULTILINE)
        for name, log in failed_logs:
            if not os.path.exists(log) or (name.startswith("Col") and name not in open(log).read()):
                problems.append(f"{name}'s log {log} is gone or another's")
        if len({log for _, log in failed_logs}) != len(failed_logs) or \
                len({os.path.dirname(log) for _, log in failed_logs}) != 2:
            problems.append("two invocations shared a folder of logs")

        for name, (_, process) in stops.items():
            number = getattr(signal, "SIG" + name)
            if process.returncode != 128 + number or "   0 of 2 passed, 2 not run  Sleeps" not in outputs[name] or \
                    f"stopped by signal {number} (SIG{name})" not in outputs[name]:
                problems.append(f"SIG{name} ended the tool with exit code {process.returncode}, not"
                                f" {128 + number} with a tally of the runs not run")
        if unstarted.returncode != 1 or "   0 of 2 passed, 2 not run  Sleeps" not in outputs["unstarted"]:
            problems.append(f"with no Wine session the tool ended with exit code {unstarted.returncode}")
        wines_left = collections.Counter(left.pop("wine", []))
        if wines_left != WINES_LEFT or left.get("judged"):
            problems.append(f"left running: {dict(wines_left)} in the Wine mode and {left.get('judged')},"
                            f" not only the Wine programs' stand-ins")
    finally:
        left_running(top)
        for pid in marked("kill"):
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        shutil.rmtree(top, ignore_errors=True)
    for problem in problems:
        print("repeat-tests check:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
