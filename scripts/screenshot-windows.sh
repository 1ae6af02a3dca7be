#!/usr/bin/env bash
# A screenshot of the Windows desktop program under wine, as a user would see it: Xvfb with a
# window manager, the windows platform, a chart cast by pressing Enter in the first input.
#   scripts/screenshot-windows.sh EXE OUT.png [SCALE]     (SCALE 1 or 2; needs xvfb, openbox,
#                                                          xdotool, x11-apps and imagemagick)
# The wine prefix is build-windows/wine-shots; the data folder a fresh one beside OUT.png.
set -euo pipefail
exe=$(realpath "$1")
out=$(realpath -m "$2")
scale=${3:-1}
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build-windows/wine-shots} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
data=$(dirname "$out")/data-$(basename "$out" .png)
rm -rf "$data"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 $((1100 * scale))x$((800 * scale))x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $wm $xvfb 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
openbox >/dev/null 2>&1 &
wm=$!
[ -d "$WINEPREFIX" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
# Wine's own screen resolution decides the scale of a Windows program: 96 dpi times SCALE.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $((96 * scale)) /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Fonts' /v LogPixels /t REG_DWORD /d $((96 * scale)) /f >/dev/null 2>&1
wineserver -w

wine "$exe" --data-dir "$(winepath -w "$data")" >/dev/null 2>&1 &
win=""
for _ in $(seq 60); do
  win=$(xdotool search --onlyvisible --name '衡鉴' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 1
done
[ -n "$win" ] || { echo "screenshot: no window appeared" >&2; exit 1; }
sleep 2
xdotool windowactivate --sync "$win" 2>/dev/null || true
xdotool key --window "$win" Return
sleep 4
xwd -root -silent | convert xwd:- "$out"
echo "screenshot: $out"
