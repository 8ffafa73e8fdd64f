"""The applier scripts\\brightness.exe under Wine, started the way the utility starts it.

applier_launcher.exe writes each level to brightness.txt like the utility (created or
truncated, unshared) and starts CMD /C @ "<run folder>\\scripts\\brightness.exe" hidden, with
the run folder as the current directory; it prints each start's exit code and lifetime.
"""

from __future__ import annotations

import json
import os
import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

import harness

NO_SUPPORTED_DISPLAY = 2
LEVEL_FILE_UNREADABLE = 3
DISPLAY_FAILED = 4

# The recording fake's two displays and their ranges (tests/applier/recording_displays.cpp).
FAKE_RANGES = {"panel": (0, 100), "monitor": (10, 255)}


def scaled(level: int, low: int, high: int) -> int:
    return low + ((high - low) * level + 50) // 100


class RunFolder:
    """A temporary run folder with scripts/brightness.exe taken from the build."""

    def __init__(self, applier: str):
        self.root = Path(tempfile.mkdtemp(prefix="bc-applier-"))
        (self.root / "scripts").mkdir()
        shutil.copy(harness.BUILD_DIR / f"{applier}.exe", self.root / "scripts" / "brightness.exe")

    def cleanup(self) -> None:
        shutil.rmtree(self.root, ignore_errors=True)

    def launch(self, *levels, gap_ms: int = 0, env: dict | None = None, timeout: float = 90):
        """Starts the applier once per level (once without levels); returns (codes, ms, stderr)."""
        harness.ensure_environment()
        run_env = dict(os.environ)
        run_env.update(env or {})
        args = [harness.wine_path(self.root)]
        if levels:
            args += ["--gap-ms", str(gap_ms), *map(str, levels)]
        result = subprocess.run(
            ["wine", str(harness.BUILD_DIR / "applier_launcher.exe"), *args], cwd=self.root,
            env=run_env, capture_output=True, timeout=timeout, encoding="utf-8", errors="replace")
        lines = [line for line in result.stdout.splitlines() if line.startswith("{")]
        if not lines:
            raise AssertionError(f"applier_launcher printed nothing; stderr: {result.stderr[-800:]}")
        report = json.loads(lines[-1])
        return report["exit_codes"], report["elapsed_ms"], result.stderr

    def snapshot(self) -> dict:
        return {str(p.relative_to(self.root)): (p.stat().st_mtime_ns, p.read_bytes())
                for p in self.root.rglob("*") if p.is_file()}

    def fake_log(self) -> list[tuple[int, int, str, str, int]]:
        """The fake's events in time order; lines mixed up by writers at once fail the test."""
        path = self.root / "scripts" / "fake-displays.log"
        events = []
        for line in path.read_text(encoding="ascii", errors="replace").splitlines():
            fields = line.split()
            if len(fields) != 5 or not all(f.isdigit() for f in (fields[0], fields[1], fields[4])):
                raise AssertionError(f"mixed-up log line {line!r}: two appliers wrote at once")
            t, pid, event, key, value = fields
            events.append((int(t), int(pid), event, key, int(value)))
        return sorted(events)


class RealApplier(unittest.TestCase):
    """Wine has no DDC/CI monitors and no WMI brightness classes: nothing can be set."""

    # Wine's own trace of the back ends' calls: the WMI query and dxva2's stubs.
    TRACE = {"WINEDEBUG": "-all,trace+wbemprox,fixme+dxva2,trace+dxva2"}
    WRITES = re.compile(r"SetMonitorBrightness|SetVCPFeature|ExecMethod|WmiSetBrightness")

    def setUp(self):
        self.run_folder = RunFolder("brightness")
        self.addCleanup(self.run_folder.cleanup)

    def test_started_like_the_utility_it_finds_no_display_and_touches_nothing(self):
        (self.run_folder.root / "brightness.txt").write_bytes(b"40")
        before = self.run_folder.snapshot()
        codes, elapsed, trace = self.run_folder.launch(env=self.TRACE)
        self.assertEqual(codes, [NO_SUPPORTED_DISPLAY])
        # A process start under Wine alone takes a few hundred milliseconds.
        self.assertLess(elapsed[0], 3000)
        # Both back ends asked, neither wrote.
        self.assertIn("WmiMonitorBrightnessMethods", trace)
        self.assertIn("GetNumberOfPhysicalMonitorsFromHMONITOR", trace)
        self.assertIsNone(self.WRITES.search(trace), self.WRITES.search(trace))
        self.assertEqual(self.run_folder.snapshot(), before)

    def test_without_a_level_file_it_does_not_even_look_for_displays(self):
        before = self.run_folder.snapshot()
        codes, _, trace = self.run_folder.launch(env=self.TRACE)
        self.assertEqual(codes, [LEVEL_FILE_UNREADABLE])
        self.assertNotIn("WmiMonitorBrightnessMethods", trace)
        self.assertNotIn("PhysicalMonitors", trace)
        self.assertEqual(self.run_folder.snapshot(), before)

    def test_command_line(self):
        exe = str(self.run_folder.root / "scripts" / "brightness.exe")
        cases = [(["--list"], NO_SUPPORTED_DISPLAY, "no display with adjustable brightness"),
                 (["--help"], 0, "Exit codes:"),
                 (["--level", "5"], 1, None)]
        harness.ensure_environment()
        before = self.run_folder.snapshot()
        for args, code, text in cases:
            with self.subTest(args=args):
                result = subprocess.run(["wine", exe, *args], cwd=self.run_folder.root,
                                        capture_output=True, timeout=30, encoding="utf-8",
                                        errors="replace")
                self.assertEqual(result.returncode, code, result.stderr[-500:])
                if text:
                    self.assertIn(text, result.stdout)
        self.assertEqual(self.run_folder.snapshot(), before)


class RecordingFake(unittest.TestCase):
    """The applier's own shell and decisions against fake displays that log every call."""

    def run_folder(self) -> RunFolder:
        folder = RunFolder("applier_recording_fake")
        self.addCleanup(folder.cleanup)
        return folder

    def assert_turns_never_overlap(self, events, appliers: int):
        """Every applier had one turn; from "turn" to "done" only that applier's events."""
        holder = None
        turns = []
        for _, pid, event, key, value in events:
            if event == "turn":
                self.assertIsNone(holder, f"{pid} got the turn while {holder} still had it")
                holder = pid
                turns.append(pid)
            else:
                self.assertEqual(pid, holder, f"{pid} {event} {key} {value} outside its turn")
                if event == "done":
                    holder = None
        self.assertIsNone(holder)
        self.assertEqual(len(set(turns)), appliers, turns)
        self.assertEqual(len(turns), appliers, turns)

    def test_five_appliers_started_at_once_apply_the_final_level_last_and_never_overlap(self):
        levels = [12, 27, 43, 61, 88]
        for gap_ms in (0, 100, 400):
            with self.subTest(gap_ms=gap_ms):
                folder = self.run_folder()
                codes, _, stderr = folder.launch(*levels, gap_ms=gap_ms)
                self.assertEqual(codes, [0] * 5, stderr[-500:])
                events = folder.fake_log()
                self.assert_turns_never_overlap(events, 5)
                for key, (low, high) in FAKE_RANGES.items():
                    written = [v for _, _, e, k, v in events if e == "write-end" and k == key]
                    expected = [scaled(level, low, high) for level in levels]
                    # Only levels that were in the file, in the order they were written, none
                    # twice; the final level last.
                    self.assertTrue(written, f"{key}: nothing written")
                    self.assertEqual(written, sorted(set(written)), f"{key}: {written}")
                    self.assertTrue(set(written) <= set(expected), f"{key}: {written}")
                    self.assertEqual(written[-1], expected[-1], f"{key}: {written}")
                state = (folder.root / "scripts" / "fake-displays.state").read_text()
                self.assertEqual(sorted(state.split("\n")[:-1]),
                                 [f"{k} {scaled(levels[-1], *r)}"
                                  for k, r in sorted(FAKE_RANGES.items())])

    def test_changes_that_start_no_applier_are_picked_up_by_the_one_running(self):
        # A drag: the first change starts the applier, the utility starts none for the rest.
        folder = self.run_folder()
        codes, _, stderr = folder.launch(12, "=27", "=43", "=61", "=88", gap_ms=150)
        self.assertEqual(codes, [0], stderr[-500:])
        events = folder.fake_log()
        self.assert_turns_never_overlap(events, 1)
        for key, (low, high) in FAKE_RANGES.items():
            written = [v for _, _, e, k, v in events if e == "write-end" and k == key]
            self.assertEqual(written[-1], scaled(88, low, high), f"{key}: {written}")

    def test_a_display_that_hangs_ends_the_applier_in_time_and_frees_the_turn(self):
        folder = self.run_folder()
        codes, elapsed, _ = folder.launch(30, env={"BC_FAKE_HANG": "write"})
        self.assertEqual(codes, [DISPLAY_FAILED])
        # Each display's call is given up on after 1 s; the rest is Wine's process start.
        self.assertLess(elapsed[0], 6000)
        # The next applier gets the turn, and as no write was confirmed it writes again.
        codes, _, _ = folder.launch(30)
        self.assertEqual(codes, [0])
        writes = [(e, k, v) for _, _, e, k, v in folder.fake_log()
                  if e.startswith("write")]
        self.assertEqual(writes, [("write-begin", "panel", 30),
                                  ("write-begin", "monitor", scaled(30, 10, 255)),
                                  ("write-begin", "panel", 30), ("write-end", "panel", 30),
                                  ("write-begin", "monitor", scaled(30, 10, 255)),
                                  ("write-end", "monitor", scaled(30, 10, 255))])


if __name__ == "__main__":
    unittest.main()
