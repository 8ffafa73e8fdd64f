#!/usr/bin/env bash
# Hotkey polling cost under Wine: one tick, and idle CPU with and without polling.
#   bench/run-hotkey-bench.sh [WINDOWS_BUILD_DIR] [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export DISPLAY="${DISPLAY:-:91}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
"$root/tools/wine-env.sh" prefix
"$root/tools/wine-env.sh" xvfb
wine "$build/hotkey_bench.exe" "${2:-10}"
