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
    local marker="$WINEPREFIX/.bc-ready-4"
    [ -f "$marker" ] && return 0
    mkdir -p "$WINEPREFIX"
    [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
    # A fresh 64-bit prefix has no TrueType fonts: without them caption buttons draw as letters.
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    cp -n /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    cp -n /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Chinese text: link the UI fonts to WenQuanYi Micro Hei and let it stand in for SimSun/宋体.
    # Not Zen Hei: its gasp table turns antialiasing off from 9 to 16 ppem and it has no hinting,
    # so the 11 px DEFAULT_GUI_FONT and 12 px 宋体 come out as broken one-bit strokes. Micro Hei is
    # hinted and antialiased at every size. Zen Hei stays linked second as a fallback.
    # reg.exe takes its arguments in the Unix locale, so give it UTF-8.
    local nt='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
    local link="wqy-microhei.ttc,WenQuanYi Micro Hei\0wqy-zenhei.ttc,WenQuanYi Zen Hei"
    for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
        LANG=C.UTF-8 wine reg add "$nt\\FontLink\\SystemLink" /v "$face" /t REG_MULTI_SZ /d "$link" /f >/dev/null 2>&1
    done
    for face in SimSun NSimSun "$(printf '\xe5\xae\x8b\xe4\xbd\x93')" "MS Shell Dlg" "Microsoft Sans Serif" "MS Sans Serif"; do
        LANG=C.UTF-8 wine reg add "$nt\\FontSubstitutes" /v "$face" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
    done
    # Grayscale smoothing, as Wine's default, set explicitly so the rendering does not drift.
    local desk='HKCU\Control Panel\Desktop'
    wine reg add "$desk" /v FontSmoothing /d 2 /f >/dev/null 2>&1
    wine reg add "$desk" /v FontSmoothingType /t REG_DWORD /d 1 /f >/dev/null 2>&1
    # A virtual desktop gives frames, activation and focus like a Windows desktop.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f >/dev/null 2>&1
    # Waits for the prefix's processes to settle; a running program of the prefix would keep
    # this waiting for ever, hence the bound.
    timeout 60 wineserver -w || true
    touch "$marker"
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
