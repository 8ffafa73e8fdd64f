"""The help balloon under real X input: shown at the cursor by a double click on the label,
never active, hidden by clicks, keys, the wheel and by another program taking the activation."""

import subprocess
import tempfile
import unittest
from pathlib import Path

import harness as h
from harness import LABEL, Utility

BALLOON_CLASS = "BrightnessControlHelpBalloon"
WS_POPUP, WS_EX_TOPMOST, WS_EX_TOOLWINDOW, WS_EX_APPWINDOW = 0x80000000, 0x8, 0x80, 0x40000
FILL, FRAME = (255, 255, 225), (0, 0, 0)
TIP = (16, 0)  # where the tail's tip sits in the window when the balloon hangs below-right


def balloon(state: dict) -> dict | None:
    """The balloon among the utility's other top-level windows, if it is shown."""
    for window in state["others"]:
        if window["class"] == BALLOON_CLASS and window["visible"]:
            return window
    return None


def double_click(x: int, y: int) -> None:
    h.xdotool("mousemove", x, y, "sleep", 0.1, "click", "--repeat", 2, "--delay", 90, 1)


def pixels(points) -> list[tuple[int, int, int]]:
    """The screen's colours at the given points, from one screenshot."""
    with tempfile.TemporaryDirectory() as folder:
        shot = h.screenshot(Path(folder) / "screen.png")
        found = []
        for x, y in points:
            text = subprocess.run(
                ["convert", str(shot), "-format", f"%[fx:int(255*p{{{x},{y}}}.r)],"
                 f"%[fx:int(255*p{{{x},{y}}}.g)],%[fx:int(255*p{{{x},{y}}}.b)]", "info:"],
                capture_output=True, text=True, check=True).stdout
            found.append(tuple(int(v) for v in text.split(",")))
        return found


class HelpBalloonTest(unittest.TestCase):
    def show_at(self, u: Utility, x: int, y: int) -> dict:
        double_click(x, y)
        window = h.wait_until(lambda: balloon(u.state()), 5,
                              message=f"no balloon after a double click at {(x, y)}")
        r = window["rect"]
        self.assertEqual((r["x"] + TIP[0], r["y"] + TIP[1]), (x, y), "the tip is not at the cursor")
        return window

    def assert_still_active(self, u: Utility, focus) -> None:
        state = u.state()
        self.assertTrue(state["active"])
        self.assertTrue(state["foreground"])
        self.assertEqual(state["focus"], focus, "the keyboard focus moved")

    def wait_hidden(self, u: Utility, what: str) -> None:
        h.wait_until(lambda: balloon(u.state()) is None, 5, message=f"{what} left the balloon shown")

    def test_double_click_shows_it_and_clicks_moves_and_keys_behave(self):
        with Utility(level_file="50") as u:
            x, y = u.center(LABEL)
            focus = u.state()["focus"]  # the slider's, normally
            window = self.show_at(u, x, y)
            self.assertEqual(window["style"] & WS_POPUP, WS_POPUP)
            self.assertEqual(window["exstyle"] & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
                             WS_EX_TOPMOST | WS_EX_TOOLWINDOW)
            self.assertFalse(window["exstyle"] & WS_EX_APPWINDOW)
            self.assert_still_active(u, focus)

            # Pale yellow inside, between the tail and the text; a black frame down the left.
            r = window["rect"]
            inside = (r["x"] + 40, r["y"] + 20)
            frame = (r["x"], r["y"] + 16 + (r["height"] - 19) // 2)
            self.assertEqual(pixels([inside, frame]), [FILL, FRAME])

            # Moving over the balloon and away, for a while, keeps it.
            for px, py in [inside, (inside[0] + 30, inside[1] + 30), (r["x"] + r["width"] + 50,
                           r["y"] + 10), (x - 100, y), inside, (x, y)]:
                h.mouse_move(px, py)
            h.xdotool("sleep", 0.3)
            self.assertIsNotNone(balloon(u.state()), "a mouse move hid the balloon")

            # A click on the balloon hides it; the window stays active.
            h.click(*inside)
            self.wait_hidden(u, "a click on the balloon")
            self.assert_still_active(u, focus)

            # A second double click elsewhere on the label moves it there; the release does not
            # hide it.
            self.show_at(u, x + 20, y + 3)
            h.xdotool("sleep", 0.3)
            self.assertIsNotNone(balloon(u.state()))

            # Alt alone while the program is active.
            h.key("Alt_L")
            self.wait_hidden(u, "Alt")
            self.assertEqual(u.level_file(), "50")

    def test_wheel_over_the_window_hides_it_and_changes_the_level(self):
        with Utility(level_file="50") as u:
            x, y = u.center(LABEL)
            self.show_at(u, x, y)
            client = u.state()["client"]
            h.xdotool("mousemove", client["x"] + 15, client["y"] + 8, "sleep", 0.1, "click", 4)
            self.wait_hidden(u, "the wheel")
            h.wait_until(lambda: u.level_file() not in (None, "50"), 5,
                         message="the wheel did not change the level")

    def test_another_program_taking_the_activation_hides_it(self):
        with Utility(level_file="50") as u:
            x, y = u.center(LABEL)
            self.show_at(u, x, y)
            other = subprocess.Popen(["wine", "notepad.exe"],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
            try:
                h.wait_until(lambda: not u.state()["active"], 15,
                             message="the other program never became active")
                self.wait_hidden(u, "losing the activation")
            finally:
                other.kill()
                other.wait(timeout=10)


if __name__ == "__main__":
    unittest.main()
