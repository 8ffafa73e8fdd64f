"""Level changes end to end: the level file, the applier's start and the faults around both."""

import contextlib
import os
import subprocess
import unittest

import harness as h
from harness import SLIDER, Utility

SW_HIDE = 0


def focus_slider(utility: Utility) -> None:
    for _ in range(3):
        if utility.state()["focus"] == SLIDER:
            return
        h.key("Tab")
    h.wait_until(lambda: utility.state()["focus"] == SLIDER, 3, message="slider never focused")


def stays(predicate, seconds: float = 1.5) -> bool:
    """True if predicate holds throughout the next seconds (for things that must not happen,
    such as an applier start whose log line would come late)."""
    try:
        h.wait_until(lambda: not predicate(), seconds)
        return False
    except AssertionError:
        return True


def press_quickly(*keys: str, gap: float = 0.03) -> None:
    """Key presses about gap seconds apart, in one xdotool run so the spacing holds."""
    chain = []
    for i, key in enumerate(keys):
        chain += (["sleep", gap] if i else []) + ["keydown", key, "keyup", key]
    h.xdotool(*chain)


class ApplierStartTest(unittest.TestCase):
    def test_first_change_starts_the_applier_hidden_through_the_command_interpreter(self):
        with Utility("run dir 亮度", level_file="50") as u:
            focus_slider(u)
            h.key("Right")
            [start] = u.wait_starts(1)
            run_dir = h.wine_path(u.run_dir)
            applier = f"{run_dir}\\scripts\\brightness.exe"

            self.assertEqual(start["parent"]["name"].lower(), "cmd.exe")
            self.assertEqual(start["parent"]["command_line"], f'CMD /C @ "{applier}"')
            self.assertEqual(start["grandparent"]["name"], "brightness-control.exe")
            # The show state is the command interpreter's own start-up information; it does not
            # hand it on, so the applier itself starts with none.
            self.assertTrue(start["parent"]["startup"]["uses_show_window"])
            self.assertEqual(start["parent"]["startup"]["show_window"], SW_HIDE)
            self.assertFalse(start["console"]["visible"])
            self.assertEqual(start["command_line"].strip('"').lower(), applier.lower())
            # The applier inherits the utility's current directory, where the file was written.
            self.assertEqual(start["cwd"].lower(), run_dir.lower())
            self.assertEqual(start["level_file"], "55")
            u.wait_label("亮度：55")

    def test_start_is_skipped_within_100_ms_of_the_previous_change(self):
        with Utility(level_file="50") as u:
            focus_slider(u)
            # Two changes about 30 ms apart: the first starts the applier, the second does not.
            press_quickly("Right", "Right")
            u.wait_label("亮度：60")
            u.wait_level("60")
            first = u.wait_starts(1)
            # A change well after the previous one starts it again. Had the second change of
            # the pair started one too, the second start logged would have read "60".
            h.xdotool("sleep", 0.2)
            h.key("Left")
            u.wait_label("亮度：55")
            starts = u.wait_starts(2)
            self.assertEqual(starts[1]["level_file"], "55", starts)
            self.assertGreaterEqual(starts[1]["time_ms"] - first[0]["time_ms"], 100)
            self.assertTrue(stays(lambda: len(u.applier_starts()) == 2), u.applier_starts())

    def test_fast_drag_starts_the_applier_once_and_leaves_the_last_level(self):
        with Utility(level_file="50") as u:
            start = u.thumb_center()
            left = u.channel_point(0.0)
            # Steps 20 ms apart and a prompt release: every change after the first lies
            # within 100 ms of the one before it.
            h.drag(start, (left[0] - 10, start[1]), steps=6, step_delay=0.02, hold=0.02)
            u.wait_level("0")
            u.wait_label("亮度：0")
            u.wait_starts(1)
            self.assertTrue(stays(lambda: len(u.applier_starts()) == 1), u.applier_starts())


@contextlib.contextmanager
def unwritable_file(path):
    """path made impossible to write for Wine, even when the tests run as root."""
    path.write_text("50")
    if os.geteuid() == 0:
        # Root writes through a cleared write bit (and Wine's read-only attribute is that bit).
        if subprocess.run(["chattr", "+i", str(path)], capture_output=True).returncode != 0:
            raise unittest.SkipTest("running as root on a file system without chattr +i")
    else:
        path.chmod(0o444)
    try:
        yield
    finally:
        if os.geteuid() == 0:
            subprocess.run(["chattr", "-i", str(path)], capture_output=True)
        path.chmod(0o644)


class LevelFileFaultTest(unittest.TestCase):
    def test_unwritable_level_file_is_skipped_and_the_next_change_writes(self):
        cases = {
            "read-only": lambda u: unwritable_file(u.level_path),
            "folder": lambda u: self.folder(u),
        }
        for name, fault in cases.items():
            with self.subTest(fault=name), Utility() as u:
                with fault(u):
                    before = u.level_file()
                    focus_slider(u)
                    h.key("Right")
                    u.wait_label("亮度：5")  # no level file was read, so it starts at 0
                    u.wait_starts(1)
                    self.assertEqual(u.level_file(), before)
                    self.assertEqual([o for o in u.state()["others"] if o["visible"]], [])
                h.xdotool("sleep", 0.15)
                h.key("Right")
                u.wait_label("亮度：10")
                u.wait_level("10")
                self.assertTrue(u.running())

    @contextlib.contextmanager
    def folder(self, u):
        u.level_path.mkdir()
        try:
            yield
        finally:
            u.level_path.rmdir()

    def test_file_held_open_by_a_reader_gets_the_level_once_free(self):
        # The applier reads the file right after its start, so a write can meet a reader. With
        # no further change the level must still reach the file when the reader lets go.
        for share in ("none", "read"):
            with self.subTest(share=share), Utility(level_file="50") as u:
                focus_slider(u)
                with h.hold_file(u.level_path, share):
                    h.key("Right")
                    u.wait_label("亮度：55")
                    u.wait_starts(1)
                    self.assertEqual(u.level_file(), "50")
                u.wait_level("55", timeout=5)

    def test_slow_applier_reading_the_file_does_not_lose_the_last_level(self):
        # Every started applier keeps the file open for a second; quick changes meanwhile.
        with Utility(level_file="50", env={"BC_RECORDER_HOLD_MS": "1000"}) as u:
            focus_slider(u)
            h.key("Right")
            u.wait_starts(1)
            press_quickly("Right", "Right", "Right")
            u.wait_label("亮度：70")
            self.assertEqual(u.level_file(), "55")  # the reader still holds it
            u.wait_level("70", timeout=5)

    def test_missing_applier_still_writes_the_file(self):
        with Utility(level_file="50", recorder=False, applier=False) as u:
            focus_slider(u)
            for key, level in [("Right", 55), ("Right", 60)]:
                h.key(key)
                u.wait_level(str(level))
                u.wait_label(f"亮度：{level}")
            self.assertTrue(u.running())
            self.assertEqual([o for o in u.state()["others"] if o["visible"]], [])


if __name__ == "__main__":
    unittest.main()
