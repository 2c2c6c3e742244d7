#!/bin/sh
# Runs a Windows program that opens windows: under its own Wine prefix, on the display that
# xvfb-run gives it, and ends the prefix's wineserver (and with it every Wine process of the
# prefix) before xvfb-run ends the display.
#   xvfb-run -a wine-window.sh <prefix> <wine64> <wineserver> <program> [args...]
set -u
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=$2 server=$3
shift 3
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1
fi
"$wine" "$@"
status=$?
"$server" -k 2>/dev/null
"$server" -w
exit $status
