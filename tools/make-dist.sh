#!/usr/bin/env bash
# Builds the release zip from a Windows build folder:
#   tools/make-dist.sh <windows build dir> [<output dir>]
# gives <output dir>/brightness-control-<version>-win64.zip (output dir default: dist/), holding
#   brightness-control/brightness-control.exe
#   brightness-control/scripts/brightness.exe
#   brightness-control/README.txt    (res/dist/README.txt: UTF-8 with BOM, CRLF, for Notepad)
#   brightness-control/LICENSE.txt
# The version is the one in CMakeLists.txt, which both executables' VERSIONINFO carry too.
# File times are the last commit's (or SOURCE_DATE_EPOCH), so the same tree gives the same zip.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:?usage: $0 <windows build dir> [<output dir>]}"
out="${2:-$root/dist}"

version="$(sed -nE 's/^project\([^)]*VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' "$root/CMakeLists.txt" | head -n 1)"
if [ -z "$version" ]; then
    echo "make-dist: no project(... VERSION x.y.z) in CMakeLists.txt" >&2
    exit 1
fi
for exe in brightness-control.exe brightness.exe; do
    if [ ! -f "$build/$exe" ]; then
        echo "make-dist: $build/$exe is missing (build the Windows targets first)" >&2
        exit 1
    fi
done

epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}"
staging="$(mktemp -d)"
trap 'rm -rf "$staging"' EXIT
top="$staging/brightness-control"
mkdir -p "$top/scripts"
cp "$build/brightness-control.exe" "$top/"
cp "$build/brightness.exe" "$top/scripts/"
to_crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$@"; }
{ printf '\xEF\xBB\xBF'; sed "s/@VERSION@/$version/g" "$root/res/dist/README.txt" | to_crlf; } \
    >"$top/README.txt"
to_crlf "$root/LICENSE" >"$top/LICENSE.txt"
find "$top" -exec touch -h -d "@$epoch" {} +

mkdir -p "$out"
zip_path="$(cd "$out" && pwd)/brightness-control-$version-win64.zip"
rm -f "$zip_path"
(cd "$staging" && find brightness-control -type f | LC_ALL=C sort |
    TZ=UTC zip -X -D -q -9 "$zip_path" -@)
echo "$zip_path"
