#!/usr/bin/env bash
# Runs every benchmark under Wine, each beside its baseline in the same run.
#   bench/run-benchmarks.sh [WINDOWS_BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export DISPLAY="${DISPLAY:-:91}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
"$root/tools/wine-env.sh" prefix
"$root/tools/wine-env.sh" xvfb

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/scripts"
cp "$build"/{pipeline_bench,startup_bench,gui_minimal_window,brightness-control}.exe "$work/"
cp "$build/trivial_applier.exe" "$work/scripts/brightness.exe"

echo "== executable size"
for exe in brightness-control.exe gui_minimal_window.exe; do
    printf '%-28s %8d bytes\n' "$exe" "$(stat -c %s "$build/$exe")"
done
if [ -f "$build/brightness.exe" ]; then
    printf '%-28s %8d bytes\n' "scripts/brightness.exe" "$(stat -c %s "$build/brightness.exe")"
fi

echo "== one level change (the file write is the baseline)"
(cd "$work" && wine pipeline_bench.exe)

echo "== start-up until the window is shown, beside a minimal Win32 window"
(cd "$work" && wine startup_bench.exe 10 "$(winepath -w "$work/brightness-control.exe")" \
    "$(winepath -w "$work/gui_minimal_window.exe")")

for extra in "$root"/bench/run-*.sh; do
    [ "$extra" = "$root/bench/run-benchmarks.sh" ] && continue
    echo "== $(basename "$extra")"
    "$extra" "$build"
done
