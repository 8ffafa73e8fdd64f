"""Global hotkeys with real X input: hotkey_probe.exe under Wine, keys pressed with xdotool.

Environment: BC_BUILD_DIR (folder with hotkey_probe.exe, default <repo>/build/windows),
WINEPREFIX and DISPLAY (defaults <repo>/build/wineprefix and :91).

Keys are held for several polling periods: a tap shorter than a tick shows up only as the
"pressed since the last query" bit, which by design is not a press.
"""

from __future__ import annotations

import os
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
BUILD_DIR = Path(os.environ.get("BC_BUILD_DIR", REPO / "build" / "windows")).resolve()
PROBE = BUILD_DIR / "hotkey_probe.exe"


def wine_env() -> dict:
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", str(REPO / "build" / "wineprefix"))
    env.setdefault("DISPLAY", ":91")
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    return env


def xdotool(*args: str) -> None:
    subprocess.run(["xdotool", *args], env=wine_env(), check=True)


def wait_until(predicate, timeout: float, message: str):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError(message)
        time.sleep(0.02)


class Probe:
    """One hotkey_probe.exe process and its log; it ends when its standard input is closed."""

    def __init__(self, mode: str, folder: Path):
        self.log = folder / f"{mode}.log"
        windows_log = "Z:" + str(self.log).replace("/", "\\")
        self.process = subprocess.Popen(["wine", str(PROBE), mode, windows_log], env=wine_env(),
                                        stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)

    def lines(self) -> list[str]:
        try:
            return self.log.read_text().splitlines()
        except FileNotFoundError:
            return []

    def firings(self, name: str) -> list[str]:
        return [line for line in self.lines() if line.split(" ")[0] == name]

    def wait_line(self, line: str, timeout: float = 60) -> None:
        wait_until(lambda: line in self.lines(), timeout, f"{self.log.name}: no '{line}' line")

    def stop(self) -> None:
        if self.process.poll() is None:
            self.process.stdin.close()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class HotkeyProbeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not PROBE.is_file():
            raise unittest.SkipTest(f"{PROBE} not built")
        for step in ("prefix", "xvfb"):
            subprocess.run([str(REPO / "tools" / "wine-env.sh"), step], env=wine_env(), check=True)

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="bc-hotkeys-"))
        self.probes: list[Probe] = []
        self.listener = self.start("listen")
        self.listener.wait_line("ready")

    def tearDown(self):
        for key in ("minus", "equal", "shift", "ctrl", "super", "alt"):
            xdotool("keyup", key)
        for probe in self.probes:
            probe.stop()
        for path in self.folder.iterdir():
            path.unlink()
        self.folder.rmdir()

    def start(self, mode: str) -> Probe:
        probe = Probe(mode, self.folder)
        self.probes.append(probe)
        return probe

    def wait_firings(self, name: str, count: int) -> list[str]:
        return wait_until(lambda: len(self.listener.firings(name)) >= count and
                          self.listener.firings(name), 3, f"{name} did not fire {count} times")

    def test_alt_minus_fires_once_per_press_not_while_held(self):
        xdotool("keydown", "alt", "sleep", "0.05", "keydown", "minus")
        self.wait_firings("minus", 1)
        time.sleep(1.0)  # both held for a second: nothing more
        self.assertEqual(len(self.listener.firings("minus")), 1)
        xdotool("keyup", "minus", "sleep", "0.1", "keydown", "minus")
        self.wait_firings("minus", 2)
        xdotool("keyup", "minus", "sleep", "0.05", "keyup", "alt")
        time.sleep(0.2)
        self.assertEqual(len(self.listener.firings("minus")), 2)

    def test_an_extra_modifier_fires_nothing(self):
        for extra in ("shift", "ctrl", "super"):  # super: the left Windows key
            with self.subTest(extra=extra):
                xdotool("keydown", "alt", "keydown", extra, "sleep", "0.05", "keydown", "minus",
                        "sleep", "0.3", "keyup", "minus", "keyup", extra, "keyup", "alt",
                        "sleep", "0.1")
        self.assertEqual(self.listener.firings("minus"), [])
        # The same key with Alt alone still works afterwards.
        xdotool("keydown", "alt", "sleep", "0.05", "keydown", "minus")
        self.wait_firings("minus", 1)

    def test_minus_pressed_before_alt_is_used_up_until_pressed_again(self):
        xdotool("keydown", "minus", "sleep", "0.1", "keydown", "alt", "sleep", "0.3")
        self.assertEqual(self.listener.firings("minus"), [])
        xdotool("keyup", "minus", "sleep", "0.1", "keydown", "minus")
        self.wait_firings("minus", 1)

    def test_thread_firing_runs_off_the_gui_thread_and_the_direct_one_on_it(self):
        xdotool("keydown", "alt", "sleep", "0.05", "keydown", "minus", "keydown", "equal")
        minus = self.wait_firings("minus", 1)
        equals = self.wait_firings("equals", 1)
        self.assertIn("thread=other", minus[0])
        self.assertIn("thread=gui", equals[0])

    def test_fires_while_another_program_has_the_focus(self):
        holder = self.start("focus")
        holder.wait_line("ready")
        holder.wait_line("focused", timeout=10)
        xdotool("keydown", "alt", "sleep", "0.05", "keydown", "minus")
        self.assertEqual(self.wait_firings("minus", 1), ["minus thread=other foreground=other"])


if __name__ == "__main__":
    unittest.main()
