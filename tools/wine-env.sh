#!/usr/bin/env bash
# Prepares a Wine prefix and a virtual X display for running and testing the Windows program.
#   tools/wine-env.sh prefix            create the prefix if missing (fonts, CJK font links, desktop)
#   tools/wine-env.sh xvfb              start Xvfb on $DISPLAY unless a server already answers there
#   tools/wine-env.sh stop              stop the wineserver of the prefix
# Settings: WINEPREFIX (default build/wineprefix), DISPLAY (default :91), BC_DESKTOP (1280x800).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export DISPLAY="${DISPLAY:-:91}"
desktop="${BC_DESKTOP:-1280x800}"

make_prefix() {
    [ -f "$WINEPREFIX/.bc-ready" ] && return 0
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    # A fresh 64-bit prefix has no TrueType fonts: without them caption buttons draw as letters.
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    cp -n /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    local reg="$WINEPREFIX/bc-setup.reg"
    cat >"$reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]
"Tahoma"=hex(7):77,00,71,00,79,00,2d,00,7a,00,65,00,6e,00,68,00,65,00,69,00,2e,00,74,00,74,00,63,00,2c,00,57,00,65,00,6e,00,51,00,75,00,61,00,6e,00,59,00,69,00,20,00,5a,00,65,00,6e,00,20,00,48,00,65,00,69,00,00,00,00,00
"Microsoft Sans Serif"=hex(7):77,00,71,00,79,00,2d,00,7a,00,65,00,6e,00,68,00,65,00,69,00,2e,00,74,00,74,00,63,00,2c,00,57,00,65,00,6e,00,51,00,75,00,61,00,6e,00,59,00,69,00,20,00,5a,00,65,00,6e,00,20,00,48,00,65,00,69,00,00,00,00,00

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"SimSun"="WenQuanYi Zen Hei"
"NSimSun"="WenQuanYi Zen Hei"
REG
    # The 宋体 substitute needs UTF-16 text, which REGEDIT4 files cannot carry: use reg.exe.
    wine regedit "$reg" >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v "$(printf '\xe5\xae\x8b\xe4\xbd\x93')" /d "WenQuanYi Zen Hei" /f >/dev/null 2>&1
    # A virtual desktop gives frames, activation and focus like a Windows desktop.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.bc-ready"
}

start_xvfb() {
    if xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then return 0; fi
    local size="${desktop}x24"
    Xvfb "$DISPLAY" -screen 0 "$size" -nolisten tcp >/dev/null 2>&1 &
    for _ in $(seq 1 100); do
        xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    echo "Xvfb did not start on $DISPLAY" >&2
    return 1
}

case "${1:-}" in
prefix) make_prefix ;;
xvfb) start_xvfb ;;
stop) wineserver -k 2>/dev/null || true ;;
*) echo "usage: $0 prefix|xvfb|stop" >&2; exit 2 ;;
esac
