#!/usr/bin/env bash
# Starts the utility under Wine:  tools/run-under-wine.sh path/to/brightness-control.exe
# With a display ($DISPLAY set) it opens there. Without one it starts Xvfb (:91 or the next free
# number), opens the utility in it, waits for its window, saves a screenshot, prints the
# screenshot's path, and runs until interrupted (Ctrl-C ends the utility and Xvfb).
# The utility's current directory, where brightness.txt goes, is the folder of the executable.
# Settings: WINEPREFIX (default build/wineprefix), BC_BUILD_DIR (window_inspector.exe, default
# build/windows), BC_SCREENSHOT (default build/screenshots/window-<time>.png).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 path/to/brightness-control.exe" >&2
    exit 2
fi
exe="$(realpath "$1")"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
inspector="${BC_BUILD_DIR:-$root/build/windows}/window_inspector.exe"

if [ -n "${DISPLAY:-}" ]; then
    "$root/tools/wine-env.sh" prefix
    cd "$(dirname "$exe")"
    exec wine "$exe"
fi

# No display: a private Xvfb on the first free display number from 91 on.
number=91
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do
    number=$((number + 1))
done
export DISPLAY=":$number"
"$root/tools/wine-env.sh" prefix
"$root/tools/wine-env.sh" xvfb
xvfb_pid="$(tr -d ' ' <"/tmp/.X$number-lock")"

utility_pid=""
cleanup() {
    trap - INT TERM EXIT
    if [ -n "$utility_pid" ] && kill -0 "$utility_pid" 2>/dev/null; then
        kill "$utility_pid" 2>/dev/null || true
        wait "$utility_pid" 2>/dev/null || true
    fi
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup INT TERM EXIT

cd "$(dirname "$exe")"
wine "$exe" </dev/null >/dev/null 2>&1 &
utility_pid=$!

# Wait for the window: the inspector knows it by class and title; xdotool by its X name.
shown=no
if [ -f "$inspector" ]; then
    wine "$inspector" wait-window 20000 </dev/null >/dev/null 2>&1 && shown=yes
else
    for _ in $(seq 1 200); do
        if xdotool search --name "亮度控制" >/dev/null 2>&1; then shown=yes; break; fi
        sleep 0.1
    done
fi
if [ "$shown" != yes ]; then
    echo "the window did not appear" >&2
    exit 1
fi
sleep 0.5 # the first paint follows the show

shot="${BC_SCREENSHOT:-$root/build/screenshots/window-$(date +%Y%m%d-%H%M%S).png}"
mkdir -p "$(dirname "$shot")"
import -window root "$shot"
echo "screenshot: $shot"
echo "running on display $DISPLAY; press Ctrl-C to stop"
wait "$utility_pid" || true
