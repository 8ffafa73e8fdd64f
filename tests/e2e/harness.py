"""End-to-end harness: the staged utility under Wine in Xvfb, driven by real X input (xdotool).

Environment (all optional; tools/run-tests.py sets them):
    BC_STAGE_DIR   staged program folder (brightness-control.exe + scripts/),
                   default <repo>/dist/brightness-control
    BC_BUILD_DIR   Windows build folder holding the test programs (window_inspector.exe,
                   applier_recorder.exe, file_holder.exe), default <repo>/build/windows
    WINEPREFIX     default <repo>/build/wineprefix;  DISPLAY  default :91

Module API (stable; other test files rely on it):
    ensure_environment()            Xvfb, prefix and a kept-alive Wine session, once per process
    wine_path(path) -> str          the Windows (Z:) path of a Unix path
    run_program(name, *args, timeout=10) -> subprocess.CompletedProcess
                                    runs BC_BUILD_DIR/name.exe under Wine, captures UTF-8 text
    start_program(name, *args, **popen_kwargs) -> subprocess.Popen    same, without waiting
    inspect() -> dict               the main window's state as window_inspector prints it
                                    ({"found": False, ...} when there is no window)
    wait_until(predicate, timeout=5, interval=0.03, message=None)
                                    polls until predicate() is truthy and returns that value;
                                    raises AssertionError(message) on timeout
    hold_file(path, share="none")   context manager: another Windows process holds path open
    screenshot(path, rect=None)     saves the X screen (or rect: {"x","y","width","height"}) as PNG
    Input (X screen coordinates, which equal Windows screen coordinates in the Wine desktop):
    mouse_move(x, y); mouse_down(button=1); mouse_up(button=1); click(x, y, button=1, hold=0.08)
    drag(start, end, steps=10, step_delay=0.03, hold=0.1)     press, move in steps, release
    key(name, hold=0.08)            press and hold at least 50 ms (a quick xdotool tap shows only
                                    as the low bit of GetAsyncKeyState), then release
    key_down(name); key_up(name); xdotool(*args)              raw xdotool command chains
    Constants: TITLE, SLIDER, LABEL, CHECKBOX, BUTTON, PLACEHOLDER (control IDs)

class Utility(run_dir_name="run", recorder=True, applier=True, level_file=None, env=None)
    A fresh copy of the staged program in a new temporary run folder (the utility's current
    directory).  recorder=True puts applier_recorder.exe at scripts/brightness.exe;
    applier=False removes scripts/brightness.exe; level_file (str or bytes) is written to
    brightness.txt before the start; env adds environment variables for the utility.
    Use as a context manager (starts, waits for the window, closes and cleans up), or call
    start() / close() yourself.
    Attributes: run_dir, scripts_dir, level_path, log_path, process (the wine Popen)
    start(wait=True, cursor=(640, 400))
                                    move the pointer to cursor (None: leave it), launch, and
                                    wait until the window is visible and active; the window
                                    opens next to the cursor (as a context manager: defaults)
    state() -> dict                 inspect(), asserting that the window exists
    member(id) -> dict;  center(id) -> (x, y) screen point in the middle of a member
    thumb_center() -> (x, y);  channel_point(fraction) -> (x, y) on the slider's channel
    slider_pos() -> int;  label_text() -> str
    level_file() -> str | None      content of brightness.txt (None if missing or unreadable)
    applier_starts() -> list[dict]  the recorder's log lines, oldest first
    wait_level(text, timeout=5)     until brightness.txt holds text
    wait_label(text, timeout=5)     until the label reads text
    wait_starts(n, timeout=5)       until the recorder logged at least n starts; returns them
    wait_exit(timeout=5) -> bool    until the utility's process has ended
    running() -> bool
    close()                         WM_CLOSE (through the inspector), then kill if needed
"""

from __future__ import annotations

import atexit
import contextlib
import json
import os
import shutil
import stat
import subprocess
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
TITLE = "亮度控制"
SLIDER, LABEL, CHECKBOX, BUTTON, PLACEHOLDER = 1001, 1002, 1003, 1004, 1005

STAGE_DIR = Path(os.environ.get("BC_STAGE_DIR", REPO / "dist" / "brightness-control")).resolve()
BUILD_DIR = Path(os.environ.get("BC_BUILD_DIR", REPO / "build" / "windows")).resolve()

_env_ready = False
_keeper: subprocess.Popen | None = None
_own_xvfb = False


def _wine_env(extra: dict | None = None) -> dict:
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", str(REPO / "build" / "wineprefix"))
    env.setdefault("DISPLAY", ":91")
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    if extra:
        env.update(extra)
    return env


def _display_answers(env: dict) -> bool:
    return subprocess.run(["xdpyinfo"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def ensure_environment() -> None:
    """Prepares Xvfb, the prefix and a Wine session that stays up between tests (once)."""
    global _env_ready, _keeper, _own_xvfb
    if _env_ready:
        return
    env = _wine_env()
    os.environ.update({k: env[k] for k in ("WINEPREFIX", "DISPLAY", "WINEDEBUG",
                                           "WINEDLLOVERRIDES")})
    if not (STAGE_DIR / "brightness-control.exe").is_file():
        raise RuntimeError(f"no staged program in {STAGE_DIR} (run make build)")
    wine_env = REPO / "tools" / "wine-env.sh"
    subprocess.run([str(wine_env), "prefix"], env=env, check=True)
    _own_xvfb = not _display_answers(env)
    subprocess.run([str(wine_env), "xvfb"], env=env, check=True)
    # One idle Windows process keeps the session (wineserver, the virtual desktop) alive, so each
    # test pays only for its own process start.  Not "wineserver -p": a persistent server would
    # outlive the run and make the prefix script's "wineserver -w" wait forever.
    _keeper = subprocess.Popen(["wine", str(BUILD_DIR / "window_inspector.exe"), "stay"],
                               env=env, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    atexit.register(_shutdown)
    _env_ready = True
    run_program("window_inspector", timeout=120)  # the session is up once this returns


def _shutdown() -> None:
    if _keeper and _keeper.poll() is None:
        with contextlib.suppress(Exception):
            _keeper.stdin.close()
            _keeper.wait(timeout=5)
    if _own_xvfb:
        display = _wine_env()["DISPLAY"]
        lock = Path(f"/tmp/.X{display.lstrip(':').split('.')[0]}-lock")
        with contextlib.suppress(Exception):
            os.kill(int(lock.read_text().strip()), 15)


def wine_path(path) -> str:
    """The path as Wine's Z: drive shows it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def start_program(name: str, *args, **popen_kwargs) -> subprocess.Popen:
    ensure_environment()
    popen_kwargs.setdefault("env", _wine_env())
    return subprocess.Popen(["wine", str(BUILD_DIR / f"{name}.exe"), *map(str, args)],
                            **popen_kwargs)


def run_program(name: str, *args, timeout: float = 10) -> subprocess.CompletedProcess:
    ensure_environment()
    # Output goes through files, not pipes: Wine's session processes (wineserver, explorer) that
    # a first start spawns would inherit a pipe and keep it open long after the program ended.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        command = ["wine", str(BUILD_DIR / f"{name}.exe"), *map(str, args)]
        result = subprocess.run(command, env=_wine_env(), stdin=subprocess.DEVNULL, stdout=out,
                                stderr=err, timeout=timeout)
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(
            command, result.returncode, out.read().decode("utf-8", "replace"),
            err.read().decode("utf-8", "replace"))


def _inspector(*args, timeout: float = 10) -> dict:
    result = run_program("window_inspector", *args, timeout=timeout)
    lines = [line for line in result.stdout.splitlines() if line.startswith("{")]
    if not lines:
        raise RuntimeError(f"window_inspector {args}: no output; stderr: {result.stderr[-500:]}")
    return json.loads(lines[-1])


def inspect() -> dict:
    return _inspector()


def wait_until(predicate, timeout: float = 5, interval: float = 0.03, message=None):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(message or f"condition not met within {timeout} s")
        time.sleep(interval)


@contextlib.contextmanager
def hold_file(path, share: str = "none"):
    """Another Windows process keeps path open for reading, sharing nothing (or reading)."""
    holder = start_program("file_holder", wine_path(path), share, stdin=subprocess.PIPE,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        line = holder.stdout.readline().strip()
        if line != "held":
            raise RuntimeError(f"file_holder could not open {path}: {line!r}")
        yield
    finally:
        holder.stdin.close()
        holder.wait(timeout=10)
        holder.stdout.close()


def screenshot(path, rect: dict | None = None) -> Path:
    command = ["import", "-window", "root"]
    if rect:
        command += ["-crop", f"{rect['width']}x{rect['height']}+{rect['x']}+{rect['y']}", "+repage"]
    subprocess.run(command + [str(path)], env=_wine_env(), check=True, timeout=30)
    return Path(path)


# --- X input -------------------------------------------------------------------------------

def xdotool(*args) -> None:
    subprocess.run(["xdotool", *map(str, args)], env=_wine_env(), check=True)


def mouse_move(x: int, y: int) -> None:
    xdotool("mousemove", int(x), int(y))


def mouse_down(button: int = 1) -> None:
    xdotool("mousedown", button)


def mouse_up(button: int = 1) -> None:
    xdotool("mouseup", button)


def click(x: int, y: int, button: int = 1, hold: float = 0.08) -> None:
    xdotool("mousemove", int(x), int(y), "sleep", 0.05, "mousedown", button,
            "sleep", hold, "mouseup", button)


def drag(start, end, steps: int = 10, step_delay: float = 0.03, hold: float = 0.1) -> None:
    chain = ["mousemove", int(start[0]), int(start[1]), "sleep", 0.05, "mousedown", 1,
             "sleep", hold]
    for i in range(1, steps + 1):
        x = start[0] + (end[0] - start[0]) * i / steps
        y = start[1] + (end[1] - start[1]) * i / steps
        chain += ["mousemove", round(x), round(y), "sleep", step_delay]
    chain += ["sleep", hold, "mouseup", 1]
    xdotool(*chain)


def key(name: str, hold: float = 0.08) -> None:
    xdotool("keydown", name, "sleep", hold, "keyup", name)


def key_down(name: str) -> None:
    xdotool("keydown", name)


def key_up(name: str) -> None:
    xdotool("keyup", name)


# --- The utility ---------------------------------------------------------------------------

def _make_writable(path: Path) -> None:
    for root, dirs, files in os.walk(path):
        for name in dirs + files:
            with contextlib.suppress(OSError):
                p = Path(root) / name
                p.chmod(p.stat().st_mode | stat.S_IWUSR | stat.S_IRUSR | stat.S_IXUSR)


class Utility:
    def __init__(self, run_dir_name: str = "run", recorder: bool = True, applier: bool = True,
                 level_file=None, env: dict | None = None):
        ensure_environment()
        self._temp = Path(tempfile.mkdtemp(prefix="bc-e2e-"))
        self.run_dir = self._temp / run_dir_name
        self.scripts_dir = self.run_dir / "scripts"
        shutil.copytree(STAGE_DIR, self.run_dir)
        self.scripts_dir.mkdir(exist_ok=True)
        applier_path = self.scripts_dir / "brightness.exe"
        if recorder:
            shutil.copy(BUILD_DIR / "applier_recorder.exe", applier_path)
        if not applier:
            applier_path.unlink(missing_ok=True)
        self.level_path = self.run_dir / "brightness.txt"
        self.log_path = self.scripts_dir / "applier-starts.log"
        if level_file is not None:
            data = level_file.encode("ascii") if isinstance(level_file, str) else level_file
            self.level_path.write_bytes(data)
        self._env = env or {}
        self.process: subprocess.Popen | None = None

    def __enter__(self) -> "Utility":
        self.start()
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def start(self, wait: bool = True, cursor: tuple[int, int] | None = (640, 400)) -> None:
        if inspect()["found"]:
            raise RuntimeError("a utility window is already open; an earlier test leaked it")
        if cursor:  # the window opens next to the cursor: keep it on the screen
            mouse_move(*cursor)
        self.process = subprocess.Popen(
            ["wine", str(self.run_dir / "brightness-control.exe")], cwd=self.run_dir,
            env=_wine_env(self._env), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        if wait:
            state = _inspector("wait-window", 15000, timeout=30)
            if not state["found"]:
                raise AssertionError("the utility's window did not appear within 15 s")
            wait_until(lambda: self.state()["active"], 5, message="window never became active")

    def running(self) -> bool:
        return self.process is not None and self.process.poll() is None

    def wait_exit(self, timeout: float = 5) -> bool:
        try:
            self.process.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def close(self) -> None:
        try:
            if self.running():
                _inspector("close")
                if not self.wait_exit(5):
                    self.process.kill()
                    self.process.wait(timeout=5)
            # Appliers still running would keep files open; they end within moments.
            _inspector("wait-gone", 3000)
        finally:
            _make_writable(self._temp)
            shutil.rmtree(self._temp, ignore_errors=True)

    # State of the window.
    def state(self) -> dict:
        state = inspect()
        if not state["found"]:
            raise AssertionError("the utility's window is not there")
        return state

    def member(self, control_id: int) -> dict:
        return self.state()["members"][str(control_id)]

    def center(self, control_id: int) -> tuple[int, int]:
        r = self.member(control_id)["screen"]
        return r["x"] + r["width"] // 2, r["y"] + r["height"] // 2

    def thumb_center(self) -> tuple[int, int]:
        """Screen point in the middle of the slider's thumb."""
        slider = self.member(SLIDER)
        thumb = slider["slider"]["thumb"]
        return (slider["screen"]["x"] + thumb["x"] + thumb["width"] // 2,
                slider["screen"]["y"] + thumb["y"] + thumb["height"] // 2)

    def channel_point(self, fraction: float) -> tuple[int, int]:
        """Screen point on the slider's channel, fraction 0.0 (left end) to 1.0 (right end)."""
        slider = self.member(SLIDER)
        channel = slider["slider"]["channel"]
        return (slider["screen"]["x"] + channel["x"] + round(channel["width"] * fraction),
                slider["screen"]["y"] + channel["y"] + channel["height"] // 2)

    def slider_pos(self) -> int:
        return self.member(SLIDER)["slider"]["pos"]

    def label_text(self) -> str:
        return self.member(LABEL)["text"]

    # Files.
    def level_file(self) -> str | None:
        try:
            return self.level_path.read_bytes().decode("latin-1")
        except OSError:
            return None

    def applier_starts(self) -> list[dict]:
        try:
            text = self.log_path.read_text(encoding="utf-8")
        except OSError:
            return []
        starts = []
        for line in text.splitlines():
            with contextlib.suppress(ValueError):
                starts.append(json.loads(line))
        return starts

    def wait_level(self, text: str, timeout: float = 5) -> None:
        wait_until(lambda: self.level_file() == text, timeout,
                   message=f"brightness.txt holds {self.level_file()!r}, expected {text!r}")

    def wait_label(self, text: str, timeout: float = 5) -> None:
        wait_until(lambda: self.label_text() == text, timeout,
                   message=f"label reads {self.label_text()!r}, expected {text!r}")

    def wait_starts(self, n: int, timeout: float = 5) -> list[dict]:
        return wait_until(lambda: (s := self.applier_starts()) and len(s) >= n and s, timeout,
                          message=f"{len(self.applier_starts())} applier starts, expected {n}")
