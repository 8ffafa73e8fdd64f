"""Level gestures with real X input: the wheel, the right button on the slider, the utility's own
hotkeys (in the foreground and in the background), and quick changes that must not overwrite
each other.

xdotool's button 4 is one wheel notch up (delta 120), button 5 one notch down.  Wine delivers
WM_MOUSEWHEEL to the window under the cursor.  Keys are held at least 50 ms: the hotkeys are
polled every 10 ms, and a quicker tap shows only as the "pressed since the last query" bit,
which is deliberately not a press.
"""

from __future__ import annotations

import subprocess
import time
import unittest

import harness as h
from harness import LABEL, SLIDER, Utility

WHEEL_UP, WHEEL_DOWN, RIGHT_BUTTON = 4, 5, 3
# A change 1 to 99 ms after the previous one starts no applier: inputs whose starts are counted
# are kept further apart than that.
START_SPACING = 0.15


def stays(predicate, seconds: float = 0.3) -> bool:
    """True if predicate holds throughout the next seconds."""
    try:
        h.wait_until(lambda: not predicate(), seconds)
        return False
    except AssertionError:
        return True


class Spacer:
    """Keeps inputs at least START_SPACING apart, counting the time the checks took."""

    def __init__(self):
        self.last = 0.0

    def __call__(self):
        left = self.last + START_SPACING - time.monotonic()
        if left > 0:
            time.sleep(left)
        self.last = time.monotonic()


def wheel(point, button: int) -> None:
    h.xdotool("mousemove", *point, "sleep", 0.05, "click", button)


def hotkey(name: str, modifiers=("alt",), hold: float = 0.08) -> None:
    chain = []
    for modifier in modifiers:
        chain += ["keydown", modifier]
    chain += ["sleep", 0.03, "keydown", name, "sleep", hold, "keyup", name, "sleep", 0.03]
    for modifier in reversed(modifiers):
        chain += ["keyup", modifier]
    h.xdotool(*chain)


def release_keys() -> None:
    h.xdotool("keyup", "minus", "keyup", "equal", "keyup", "shift", "keyup", "alt")


class LevelChecks(unittest.TestCase):
    def assert_level(self, u: Utility, level: int, settle: float = 0.0) -> None:
        """File, label and slider (stored and shown) all at level; with settle, still there
        that long after (a second run of a handler would move it on)."""
        u.wait_label(f"亮度：{level}")
        u.wait_level(str(level))
        slider = u.member(SLIDER)["slider"]
        self.assertEqual((slider["stored"], slider["pos"]), (level, level))
        if settle:
            self.assertTrue(stays(lambda: u.label_text() == f"亮度：{level}" and
                                  u.level_file() == str(level), settle),
                            f"moved on from {level}: {u.label_text()}, file {u.level_file()!r}")

    def assert_starts(self, u: Utility, n: int) -> None:
        u.wait_starts(n)
        self.assertTrue(stays(lambda: len(u.applier_starts()) == n, 0.5),
                        f"{len(u.applier_starts())} applier starts, expected {n}")


class WheelTest(LevelChecks):
    def test_one_notch_moves_by_the_step_of_the_window_under_the_cursor(self):
        # Over the slider only the handler's own 3 shows: Wine's trackbar ignores WM_MOUSEWHEEL
        # (it hands it to the default processing), where Windows' trackbar may move further.
        # Moving by exactly 3 (not 4) also shows that the window's handler did not run; over the
        # label, 1 (not 2) that the message the label hands to its parent raised no event.
        with Utility(level_file="50") as u:
            client = u.state()["client"]
            points = {"window": (client["x"] + 15, client["y"] + 30),  # left of the slider
                      "label": u.center(LABEL), "slider": u.center(SLIDER)}
            cases = [("window", WHEEL_UP, 51), ("window", WHEEL_DOWN, 50),
                     ("label", WHEEL_UP, 51), ("label", WHEEL_DOWN, 50),
                     ("slider", WHEEL_UP, 53), ("slider", WHEEL_DOWN, 50)]
            spacer = Spacer()
            for where, button, level in cases:
                with self.subTest(where=where, button=button):
                    spacer()
                    wheel(points[where], button)
                    self.assert_level(u, level, settle=0.3)
            self.assert_starts(u, len(cases))  # one applier start per notch

    def test_ends_of_the_range(self):
        # At 0 the step down is stored as 0, and the pipeline still runs: the file is
        # rewritten (here from "0\r\n" to "0"). Over the slider at 99, 102 is written and the
        # pipeline brings it back to 100.
        cases = [("0\r\n", "window", WHEEL_DOWN, 0), ("99", "slider", WHEEL_UP, 100)]
        for fixture, where, button, level in cases:
            with self.subTest(fixture=fixture, where=where), Utility(level_file=fixture) as u:
                client = u.state()["client"]
                point = (client["x"] + 15, client["y"] + 30) if where == "window" \
                    else u.center(SLIDER)
                wheel(point, button)
                self.assert_level(u, level, settle=0.3)
                self.assert_starts(u, 1)


class RightButtonTest(LevelChecks):
    def test_right_click_sets_half_the_x_within_the_slider(self):
        # Two pixels per level from the slider's left edge, whatever the thumb's position;
        # the rightmost pixel gives 99.
        with Utility(level_file="50") as u:
            slider = u.member(SLIDER)
            self.assertEqual((slider["rect"]["x"], slider["rect"]["y"], slider["rect"]["width"]),
                             (40, 20, 200))
            screen = slider["screen"]
            cases = [(57, 28), (0, 0), (199, 99), (57, 28)]
            spacer = Spacer()
            for x, level in cases:
                with self.subTest(x=x):
                    spacer()
                    h.click(screen["x"] + x, screen["y"] + screen["height"] // 2,
                            button=RIGHT_BUTTON)
                    self.assert_level(u, level)
            self.assert_starts(u, len(cases))
            self.assertEqual(u.state()["focus"], SLIDER)


class HotkeyTest(LevelChecks):
    def tearDown(self):
        release_keys()

    def test_alt_minus_and_alt_equals_in_the_foreground(self):
        with Utility(level_file="3") as u:
            cases = [("minus", 0), ("equal", 5), ("equal", 10), ("minus", 5)]
            spacer = Spacer()
            for name, level in cases:
                with self.subTest(key=name, level=level):
                    spacer()
                    hotkey(name)
                    self.assert_level(u, level)
            self.assert_starts(u, len(cases))
            # The keys went to the window too; it neither moved the focus nor left it.
            state = u.state()
            self.assertEqual((state["focus"], state["active"]), (SLIDER, True))

    def test_one_firing_per_press_and_none_with_an_extra_modifier(self):
        with Utility(level_file="50") as u:
            h.xdotool("keydown", "alt", "sleep", 0.05, "keydown", "minus")
            self.assert_level(u, 45)
            time.sleep(1.0)  # both held for a second: nothing more
            self.assert_level(u, 45)
            h.xdotool("keyup", "minus", "sleep", 0.1, "keydown", "minus")
            self.assert_level(u, 40)
            h.xdotool("keyup", "minus", "sleep", 0.05, "keyup", "alt")

            hotkey("minus", modifiers=("alt", "shift"), hold=0.3)
            self.assert_level(u, 40, settle=0.3)
            self.assert_starts(u, 2)

    def test_fires_while_another_program_has_the_foreground(self):
        with Utility(level_file="50") as u:
            holder = h.start_program("foreground_holder", stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            try:
                self.assertEqual(holder.stdout.readline().strip(), "foreground")
                h.wait_until(lambda: not u.state()["active"], 3,
                             message="the utility stayed active")
                for name, level in [("equal", 55), ("minus", 50)]:
                    with self.subTest(key=name):
                        hotkey(name)
                        self.assert_level(u, level)
                        holder.stdin.write("\n")
                        holder.stdin.flush()
                        self.assertEqual(holder.stdout.readline().strip(), "foreground")
                        state = u.state()
                        self.assertFalse(state["active"] or state["foreground"])
            finally:
                holder.stdin.close()
                holder.wait(timeout=10)
                holder.stdout.close()


class OverlapTest(LevelChecks):
    """Every hotkey firing runs on a thread of its own; quick presses must not lose steps.

    Under Wine one change takes only a few milliseconds and the polling runs on the GUI thread,
    so at the pace real keys allow the firings seldom overlap: these tests guard the outcome
    (no step lost, file, label and slider agreeing) more than they provoke the race itself.
    """

    def tearDown(self):
        release_keys()

    def test_quick_presses_never_lose_steps(self):
        # Alt stays down; each key is held about 45 ms and released for about 40 ms.
        cases = [("0", "equal", 20, 100), ("50", "minus", 4, 30)]
        for fixture, name, presses, level in cases:
            with self.subTest(fixture=fixture, key=name), Utility(level_file=fixture) as u:
                chain = ["keydown", "alt", "sleep", 0.03]
                for _ in range(presses):
                    chain += ["keydown", name, "sleep", 0.045, "keyup", name, "sleep", 0.04]
                h.xdotool(*chain, "keyup", "alt")
                self.assert_level(u, level, settle=0.3)

    def test_hotkeys_and_gestures_while_the_level_file_is_busy(self):
        # Every applier start keeps the level file open for 400 ms, so the writes of the changes
        # that follow find it busy, and hotkey firings meet the GUI thread's own wheel changes.
        # Under Wine, WaitForInputIdle on the command interpreter returns at once, so the
        # pipeline's own wait for the applier cannot be made long here; the GUI thread is busy
        # only for the process start and the file's retries.
        with Utility(level_file="50", env={"BC_RECORDER_HOLD_MS": "400"}) as u:
            client = u.state()["client"]
            window = (client["x"] + 15, client["y"] + 30)
            h.xdotool("mousemove", *window, "sleep", 0.05)
            # 50 +1 (wheel) +5 +5 (hotkeys) +1 (wheel) -5 (hotkey) +1 (wheel) = 58
            h.xdotool("click", WHEEL_UP, "keydown", "alt", "sleep", 0.02,
                      "keydown", "equal", "sleep", 0.05, "keyup", "equal", "sleep", 0.04,
                      "keydown", "equal", "sleep", 0.05, "keyup", "equal", "keyup", "alt",
                      "click", WHEEL_UP, "keydown", "alt", "sleep", 0.02,
                      "keydown", "minus", "sleep", 0.05, "keyup", "minus", "keyup", "alt",
                      "click", WHEEL_UP)
            u.wait_label("亮度：58")
            self.assert_level(u, 58, settle=0.3)
            self.assertTrue(u.applier_starts())


if __name__ == "__main__":
    unittest.main()
