#!/usr/bin/env python3
"""Runs every test tier and ends with one summary line: "N passed, N failed[, N skipped]".

    tools/run-tests.py --native DIR --windows DIR --stage DIR [--tiers 1,2,3] [-k PATTERN]

Tier 1: DIR/unit_tests (native, sanitizers), GoogleTest JSON output.
Tier 2: wine_tests.exe and every other *_wine_tests.exe of the Windows build, under Wine in Xvfb.
Tier 3: the end-to-end tests tests/e2e/test_*.py (Python unittest), one count per test case.
Wine: WINEPREFIX (default build/wineprefix) and DISPLAY (default :91) may be set by the caller;
one Xvfb and one Wine session serve tiers 2 and 3. Reports and logs go to --results
(default build/test-results/).
Exit status: 0 when nothing failed.
"""

from __future__ import annotations

import argparse
import contextlib
import json
import os
import subprocess
import sys
import time
import traceback
import unittest
from dataclasses import dataclass, field
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
E2E_DIR = REPO / "tests" / "e2e"
RESULTS = REPO / "build" / "test-results"
WINE_TEST_TIMEOUT = 240
E2E_TIMEOUT = 480


@dataclass
class Tally:
    passed: int = 0
    failed: int = 0
    skipped: int = 0
    failures: list[tuple[str, str]] = field(default_factory=list)  # (name, details)

    def fail(self, name: str, details: str) -> None:
        self.failed += 1
        self.failures.append((name, details))

    def add(self, other: "Tally") -> None:
        self.passed += other.passed
        self.failed += other.failed
        self.skipped += other.skipped
        self.failures += other.failures

    def line(self) -> str:
        text = f"{self.passed} passed, {self.failed} failed"
        return text + (f", {self.skipped} skipped" if self.skipped else "")


def say(text: str = "") -> None:
    print(text, flush=True)


def tail(text: str, lines: int = 40) -> str:
    return "\n".join(text.rstrip().splitlines()[-lines:])


def run_logged(command, log: Path, timeout: float, **kwargs) -> tuple[int | None, str, float]:
    """Runs command with its output in a file (Wine's session processes would hold a pipe)."""
    started = time.monotonic()
    with open(log, "wb") as out:
        try:
            code = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=subprocess.STDOUT, timeout=timeout, **kwargs).returncode
        except subprocess.TimeoutExpired:
            code = None
        except OSError as error:
            out.write(f"cannot run {command[0]}: {error}\n".encode())
            code = 127
    return code, log.read_bytes().decode("utf-8", "replace"), time.monotonic() - started


# --- GoogleTest tiers ----------------------------------------------------------------------

def gtest_tally(name: str, report: Path, code: int | None, output: str) -> Tally:
    tally = Tally()
    try:
        data = json.loads(report.read_text(encoding="utf-8", errors="replace"))
    except (OSError, ValueError):
        data = None
    if data:
        for suite in data.get("testsuites", []):
            for case in suite.get("testsuite", []):
                test = f"{suite['name']}.{case['name']}"
                if case.get("status") == "NOTRUN":
                    tally.skipped += 1
                elif case.get("failures"):
                    messages = "\n".join(f["failure"] for f in case["failures"])
                    tally.fail(f"{name}: {test}", messages)
                elif case.get("result") == "SKIPPED":
                    tally.skipped += 1
                else:
                    tally.passed += 1
    if data is None:
        # No report (a crash or a hang): count from the text output what finished.
        running, details = None, []
        for line in output.splitlines():
            if line.startswith("[ RUN      ] "):
                running, details = line[13:].strip(), []
            elif line.startswith("[       OK ] "):
                tally.passed += 1
                running = None
            elif line.startswith("[  SKIPPED ] ") and running:
                tally.skipped += 1
                running = None
            elif line.startswith("[  FAILED  ] ") and running:
                tally.fail(f"{name}: {running}", "\n".join(details))
                running = None
            elif running:
                details.append(line)
        what = "timed out" if code is None else f"ended with exit code {code}"
        where = f" in {running}" if running else ""
        tally.fail(f"{name}: {what}{where}, no report", tail(output))
    elif code is None:
        tally.fail(f"{name}: timed out", tail(output))
    elif code != 0 and not tally.failed:
        tally.fail(f"{name}: exit code {code} with no failed test", tail(output))
    return tally


def tier_unit(native: Path) -> Tally:
    exe = native / "unit_tests"
    report = RESULTS / "unit_tests.json"
    report.unlink(missing_ok=True)
    code, output, seconds = run_logged([str(exe), f"--gtest_output=json:{report}"],
                                       RESULTS / "unit_tests.log", 300)
    tally = gtest_tally("unit_tests", report, code, output)
    say(f"  unit_tests: {tally.line()} ({seconds:.1f} s)")
    return tally


def wine_path(path: Path) -> str:
    return "Z:" + str(path.resolve()).replace("/", "\\")


def tier_wine(windows: Path, env: dict) -> Tally:
    total = Tally()
    exes = [windows / "wine_tests.exe"] if (windows / "wine_tests.exe").is_file() else []
    exes += sorted(p for p in windows.glob("*_wine_tests.exe"))
    if not exes:
        total.fail("wine tests", f"no wine_tests.exe in {windows}")
    for exe in exes:
        name = exe.stem
        report = RESULTS / f"{name}.json"
        report.unlink(missing_ok=True)
        code, output, seconds = run_logged(
            ["wine", str(exe), f"--gtest_output=json:{wine_path(report)}"],
            RESULTS / f"{name}.log", WINE_TEST_TIMEOUT, env=env, cwd=RESULTS)
        tally = gtest_tally(name, report, code, output)
        say(f"  {exe.name}: {tally.line()} ({seconds:.1f} s)")
        total.add(tally)
    return total


# --- End-to-end tier -----------------------------------------------------------------------

class RecordingResult(unittest.TextTestResult):
    """Writes one JSON line per finished test case (and one when it starts) to a file."""

    def __init__(self, stream, descriptions, verbosity, sink):
        super().__init__(stream, descriptions, verbosity)
        self.sink = sink
        self.outcome: dict[str, tuple[str, str]] = {}
        self.started_at = 0.0

    def emit(self, **record) -> None:
        self.sink.write(json.dumps(record, ensure_ascii=False) + "\n")
        self.sink.flush()

    def note(self, test, status: str, details: str = "") -> None:
        previous = self.outcome.get(test.id())
        if previous and previous[0] == "failed":
            details = previous[1] + "\n" + details if details else previous[1]
            status = "failed"
        self.outcome[test.id()] = (status, details)

    def startTest(self, test):
        super().startTest(test)
        self.started_at = time.monotonic()
        self.emit(event="start", id=test.id())

    def stopTest(self, test):
        super().stopTest(test)
        status, details = self.outcome.pop(test.id(), ("passed", ""))
        self.emit(event="end", id=test.id(), status=status, details=details,
                  seconds=round(time.monotonic() - self.started_at, 2))

    def addSuccess(self, test):
        super().addSuccess(test)
        self.note(test, "passed")

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self.note(test, "failed", self._exc_info_to_string(err, test))

    def addError(self, test, err):
        super().addError(test, err)
        if isinstance(test, unittest.case._SubTest):
            test = test.test_case
        if test.id() == getattr(test, "description", None) or not hasattr(test, "_testMethodName"):
            # setUpClass / setUpModule failures arrive without a test case of their own.
            self.emit(event="end", id=str(test), status="failed",
                      details=self._exc_info_to_string(err, test), seconds=0)
            return
        self.note(test, "failed", self._exc_info_to_string(err, test))

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        if err is not None:
            self.note(test, "failed", f"{subtest}\n{self._exc_info_to_string(err, test)}")

    def addSkip(self, test, reason):
        super().addSkip(test, reason)
        self.note(test, "skipped", reason)

    def addExpectedFailure(self, test, err):
        super().addExpectedFailure(test, err)
        self.note(test, "passed")

    def addUnexpectedSuccess(self, test):
        super().addUnexpectedSuccess(test)
        self.note(test, "failed", "unexpected success")


def e2e_child(out: Path, pattern: str | None) -> int:
    """Runs inside a child process: discovers and runs the end-to-end tests."""
    sys.path.insert(0, str(E2E_DIR))
    loader = unittest.TestLoader()
    if pattern:
        loader.testNamePatterns = [pattern if "*" in pattern else f"*{pattern}*"]
    with open(out, "w", encoding="utf-8") as sink:
        try:
            suite = loader.discover(str(E2E_DIR), pattern="test_*.py", top_level_dir=str(E2E_DIR))
        except Exception:
            sink.write(json.dumps({"event": "end", "id": "discovery", "status": "failed",
                                   "details": traceback.format_exc(), "seconds": 0}) + "\n")
            return 1
        runner = unittest.TextTestRunner(
            stream=sys.stdout, verbosity=2,
            resultclass=lambda s, d, v: RecordingResult(s, d, v, sink))
        runner.run(suite)
    return 0


def tier_e2e(windows: Path, stage: Path, env: dict, pattern: str | None) -> Tally:
    tally = Tally()
    if not list(E2E_DIR.glob("test_*.py")):
        return tally
    records = RESULTS / "e2e.jsonl"
    records.unlink(missing_ok=True)
    child_env = dict(env, BC_BUILD_DIR=str(windows.resolve()), BC_STAGE_DIR=str(stage.resolve()),
                     PYTHONUNBUFFERED="1", PYTHONDONTWRITEBYTECODE="1")
    command = [sys.executable, str(Path(__file__).resolve()), "--e2e-child", str(records)]
    if pattern:
        command += ["-k", pattern]
    code, output, seconds = run_logged(command, RESULTS / "e2e.log", E2E_TIMEOUT, env=child_env,
                                       cwd=REPO)
    running = None
    lines = records.read_text(encoding="utf-8").splitlines() if records.exists() else []
    for line in lines:
        with contextlib.suppress(ValueError):
            record = json.loads(line)
            if record["event"] == "start":
                running = record["id"]
                continue
            running = None
            if record["status"] == "passed":
                tally.passed += 1
            elif record["status"] == "skipped":
                tally.skipped += 1
            else:
                tally.fail(f"e2e: {record['id']}", record["details"].rstrip())
    if code is None:
        tally.fail(f"e2e: timed out after {E2E_TIMEOUT} s" + (f" in {running}" if running else ""),
                   tail(output))
    elif running:
        tally.fail(f"e2e: {running} did not finish (exit code {code})", tail(output))
    elif code != 0:
        tally.fail(f"e2e: runner exit code {code}", tail(output))
    say(f"  tests/e2e: {tally.line()} ({seconds:.1f} s)")
    return tally


# --- Wine session --------------------------------------------------------------------------

def display_answers(env: dict) -> bool:
    return subprocess.run(["xdpyinfo"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


@contextlib.contextmanager
def wine_session(windows: Path):
    """One Xvfb and one Wine prefix for the run, with an idle Windows process keeping the
    session (wineserver, the virtual desktop) alive between test programs."""
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", str(REPO / "build" / "wineprefix"))
    env.setdefault("DISPLAY", ":91")
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    wine_env = str(REPO / "tools" / "wine-env.sh")
    started = time.monotonic()
    # The prefix first: its script waits for the wineserver to end, so nothing may run yet.
    subprocess.run([wine_env, "prefix"], env=env, check=True, timeout=300)
    own_xvfb = not display_answers(env)
    subprocess.run([wine_env, "xvfb"], env=env, check=True, timeout=60)
    keeper = None
    inspector = windows / "window_inspector.exe"
    if inspector.is_file():
        keeper = subprocess.Popen(["wine", str(inspector), "stay"], env=env, stdin=subprocess.PIPE,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    say(f"  Wine prefix {env['WINEPREFIX']}, display {env['DISPLAY']} "
        f"({time.monotonic() - started:.1f} s)")
    try:
        yield env
    finally:
        if keeper:
            with contextlib.suppress(Exception):
                keeper.stdin.close()
                keeper.wait(timeout=10)
        # Anything a test left behind ends with the session.
        with contextlib.suppress(Exception):
            subprocess.run(["wineserver", "-k"], env=env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if own_xvfb:
            lock = Path(f"/tmp/.X{env['DISPLAY'].lstrip(':').split('.')[0]}-lock")
            with contextlib.suppress(Exception):
                os.kill(int(lock.read_text().strip()), 15)


# --- Main ----------------------------------------------------------------------------------

def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--native", type=Path, default=REPO / "build" / "native")
    parser.add_argument("--windows", type=Path, default=REPO / "build" / "windows")
    parser.add_argument("--stage", type=Path, default=REPO / "dist" / "brightness-control")
    parser.add_argument("--tiers", default="1,2,3", help="comma-separated subset of 1,2,3")
    parser.add_argument("--results", type=Path, default=REPO / "build" / "test-results",
                        help="where the tiers' reports and logs go")
    parser.add_argument("-k", dest="pattern", help="only end-to-end tests matching this")
    parser.add_argument("--e2e-child", type=Path, help=argparse.SUPPRESS)
    args = parser.parse_args()
    args.native, args.windows, args.stage = (p.resolve() for p in (args.native, args.windows,
                                                                   args.stage))
    if args.e2e_child:
        return e2e_child(args.e2e_child, args.pattern)

    global RESULTS
    RESULTS = args.results.resolve()
    RESULTS.mkdir(parents=True, exist_ok=True)
    tiers = {t.strip() for t in args.tiers.split(",")}
    total = Tally()
    started = time.monotonic()
    if "1" in tiers:
        say("Tier 1: native unit tests")
        total.add(tier_unit(args.native))
    if tiers & {"2", "3"}:
        try:
            with wine_session(args.windows) as env:
                if "2" in tiers:
                    say("Tier 2: Win32 integration tests under Wine")
                    total.add(tier_wine(args.windows, env))
                if "3" in tiers:
                    say("Tier 3: end-to-end tests under Wine")
                    total.add(tier_e2e(args.windows, args.stage, env, args.pattern))
        except (subprocess.SubprocessError, OSError) as error:
            total.fail("Wine session", f"{error}")

    for name, details in total.failures:
        say()
        say(f"FAILED {name}")
        if details:
            say("    " + details.replace("\n", "\n    "))
    say()
    say(f"Results in {RESULTS} ({time.monotonic() - started:.0f} s)")
    say(total.line())
    return 1 if total.failed else 0


if __name__ == "__main__":
    sys.exit(main())
