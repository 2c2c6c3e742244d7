#!/bin/sh
# Screenshot of Tolvik.exe on the training bench at a given DPI under Wine, for docs/:
#   xvfb-run -a -s "-screen 0 1600x1200x24" scripts/dpi-screenshot.sh <build/windows> <dpi> <out.png>
# Uses a Wine prefix of its own under the build folder (a linked copy of the tests' template),
# and ends its Wine processes and removes it afterwards.
set -eu
build=$(cd "$1" && pwd) dpi=$2 out=$(realpath "$3")
export WINEPREFIX="$build/wine/screenshots" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver
trap '"$server" -k 2>/dev/null || true; "$server" -w; rm -rf "$WINEPREFIX"' EXIT
here=$(dirname "$0")
"$here/../tests/windows/wine.sh" template "$build/wine" "$wine" "$server" >/dev/null 2>&1
"$here/../tests/windows/wine.sh" create "$build/wine" "$wine" screenshots
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
"$server" -w
(cd "$build/tests/win32/tolvik" && "$wine" Tolvik.exe &)
window=
for _ in $(seq 60); do
  window=$(xdotool search --name '^Tolvik$' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 1
done
[ -n "$window" ] || { echo "no Tolvik window" >&2; exit 1; }
sleep 8  # the bench's first lines
import -window "$window" "$out"
