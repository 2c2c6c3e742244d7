#!/bin/sh
# Screenshot of Tolvik.exe's adapter chooser under Wine, for docs/:
#   xvfb-run -a -s "-screen 0 1024x768x24" scripts/chooser-wine-screenshot.sh <build/windows> <out.png>
# Tolvik.exe starts on tolvikcan.dll with no adapter named; the prefix's SERIALCOMM key gets a
# USB port beside Wine's own, the picture is taken and Esc cancels, which ends Tolvik. Uses a
# Wine prefix of its own under the build folder, ended and removed afterwards.
set -eu
build=$(cd "$1" && pwd) out=$(realpath "$2")
export WINEPREFIX="$build/wine/chooser-screenshot" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver
trap '"$server" -k 2>/dev/null || true; "$server" -w; rm -rf "$WINEPREFIX"' EXIT
here=$(dirname "$0")
"$here/../tests/windows/wine.sh" template "$build/wine" "$wine" "$server" >/dev/null 2>&1
"$here/../tests/windows/wine.sh" create "$build/wine" "$wine" chooser-screenshot
"$wine" reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v '\Device\VCP0' /t REG_SZ /d COM5 /f >/dev/null 2>&1
(cd "$build/bin" && TOLVIK_BRIDGE_LIBRARY=tolvikcan.dll "$wine" Tolvik.exe &)
window=""
for _ in $(seq 150); do
  window=$(xdotool search --name '^Tolvik - CAN adapter$' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "The adapter chooser did not appear." >&2; exit 1; }
sleep 1
import -window "$window" "$out"
xdotool key --window "$window" Escape
"$server" -w
echo "Screenshot: $out"
