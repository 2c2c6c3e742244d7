#!/usr/bin/env bash
# Screenshots of an adapter failure with its reason in the status log, on both front ends: the
# adapter library with an adapter named that is not plugged in, the message box dismissed as a
# technician would, the main window taken.
#   xvfb-run -a -s "-screen 0 1024x768x24" scripts/reason-screenshots.sh <build/default> <build/windows> <out folder>
# Tolvik.exe runs in a Wine prefix of its own under the Windows build folder, ended and removed
# afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
linux=$(cd "$1" && pwd) windows=$(cd "$2" && pwd) out=$(realpath "$3")
mkdir -p "$out"

# The box comes first, alone; once it is closed the main window shows the log.
# $1: the picture; the rest: how xdotool finds the program's windows.
take() {
  local picture=$1 window="" box=""
  shift
  for _ in $(seq 150); do
    box=$(xdotool search --onlyvisible "$@" --name '^Tolvik$' 2>/dev/null | head -n 1 || true)
    [ -n "$box" ] && break
    sleep 0.2
  done
  [ -n "$box" ] || { echo "No window came." >&2; return 1; }
  sleep 0.5
  xdotool key --window "$box" Return
  for _ in $(seq 50); do
    window=$(xdotool search --onlyvisible "$@" --name '^Tolvik$' 2>/dev/null | grep -vx "$box" | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || { echo "The main window did not come." >&2; return 1; }
  xdotool mousemove 1020 760  # no tooltip over the picture
  sleep 1
  import -window "$window" "$picture"
  echo "Screenshot: $picture"
}

env -u TOLVIK_REGISTRY TOLVIK_BRIDGE_LIBRARY="$linux/bin/libtolvikcan.so" TOLVIK_CAN_ADAPTER=slcan:/dev/ttyUSB7 \
  "$linux/bin/tolvik" 2>/dev/null &
tool=$!
take "$out/tolvik-adapter-reason.png" --pid "$tool" || true
kill "$tool" 2>/dev/null || true
wait "$tool" 2>/dev/null || true

export WINEPREFIX="$windows/wine/reason-screenshot" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver
trap '"$server" -k 2>/dev/null || true; "$server" -w; rm -rf "$WINEPREFIX"' EXIT
"$here/../tests/windows/wine.sh" template "$windows/wine" "$wine" "$server" >/dev/null 2>&1
"$here/../tests/windows/wine.sh" create "$windows/wine" "$wine" reason-screenshot
(cd "$windows/bin" && TOLVIK_BRIDGE_LIBRARY=tolvikcan.dll TOLVIK_CAN_ADAPTER=slcan:COM9 "$wine" Tolvik.exe &)
take "$out/tolvik-adapter-reason-wine.png"
