#!/bin/sh
# Runs a Windows program that opens windows: under its own Wine prefix (a linked copy of the
# template beside it), on the display that xvfb-run gives it; then ends the prefix's wineserver
# (and with it every Wine process of the prefix) before xvfb-run ends the display, and removes
# the prefix.
#   xvfb-run -a wine-window.sh [--hostile-ports] <prefix> <wine64> <wineserver> <program> [args...]
# --hostile-ports lists serial ports that are none, as Wine lists a port: a dosdevices link and a
# Ports value, read by the mount manager at the wineserver's next start. COM7 is /dev/zero, COM8 a
# FIFO, COM11 a regular file, COM12 /dev/null and COM13 a folder.
set -u
hostile=0
if [ "$1" = --hostile-ports ]; then
  hostile=1
  shift
fi
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=$2 server=$3
shift 3
"$(dirname "$0")/../windows/wine.sh" create "$(dirname "$WINEPREFIX")" "$wine" \
  "$(basename "$WINEPREFIX")" || exit 1
work=""
if [ $hostile = 1 ]; then
  work=$(mktemp -d)
  mkdir "$work/folder"
  mkfifo "$work/fifo"
  echo "not a port" >"$work/file"
  for port in COM7=/dev/zero COM8="$work/fifo" COM11="$work/file" COM12=/dev/null COM13="$work/folder"; do
    name=${port%%=*} target=${port#*=}
    ln -sfn "$target" "$WINEPREFIX/dosdevices/$(echo "$name" | tr A-Z a-z)"
    "$wine" reg add 'HKLM\Software\Wine\Ports' /v "$name" /d "$target" /f >/dev/null
  done
  "$server" -k 2>/dev/null
  "$server" -w
fi
"$wine" "$@"
status=$?
"$server" -k 2>/dev/null
"$server" -w
rm -rf "$WINEPREFIX"
[ -n "$work" ] && rm -rf "$work"
exit $status
