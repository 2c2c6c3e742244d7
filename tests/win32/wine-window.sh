#!/bin/sh
# Runs a Windows program that opens windows: under its own Wine prefix (a linked copy of the
# template beside it), on the display that xvfb-run gives it; then ends the prefix's wineserver
# (and with it every Wine process of the prefix) before xvfb-run ends the display, and removes
# the prefix.
#   xvfb-run -a wine-window.sh <prefix> <wine64> <wineserver> <program> [args...]
set -u
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=$2 server=$3
shift 3
"$(dirname "$0")/../windows/wine.sh" create "$(dirname "$WINEPREFIX")" "$wine" \
  "$(basename "$WINEPREFIX")" || exit 1
"$wine" "$@"
status=$?
"$server" -k 2>/dev/null
"$server" -w
rm -rf "$WINEPREFIX"
exit $status
