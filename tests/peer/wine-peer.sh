#!/bin/sh
# Runs a Windows test program under Wine against the CAN peer:
#   wine-peer.sh [--window] <wine root> <wine64> <test program> [args...]
# Starts the peer in a process group of its own, links COM5 of the program's Wine prefix to the
# peer's pty and registers it, runs the test, checks that the adapter received the lines
# $TOLVIK_PEER_EXPECT (default: opened, the test's key press and release, closed again), then ends
# the prefix's Wine processes and the peer's group by its id. The program may drive the peer: lines it appends to $TOLVIK_PEER_COMMANDS go to
# the peer's control input, and $TOLVIK_PEER_LOG holds everything the peer printed so far.
# --window keeps the display (the caller runs it under xvfb-run); otherwise Wine gets none.
set -eu
window=0
if [ "$1" = --window ]; then
  window=1
  shift
fi
root=$1 wine=$2 program=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
[ $window = 1 ] || unset DISPLAY
unset WAYLAND_DISPLAY
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export WINEPREFIX="$root/$(basename "$program" .exe)"
wineserver="$(dirname "$wine")/wineserver"
work=$(mktemp -d)
peer="" feeder=""
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w 2>/dev/null || true
  [ -n "$feeder" ] && kill "$feeder" 2>/dev/null || true
  [ -n "$peer" ] && kill -9 -- "-$peer" 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com5"
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/control"
setsid /usr/bin/python3 -S "$here/slcan_adapter.py" <"$work/control" >"$work/peer.out" &
peer=$!
exec 3>"$work/control"
: >"$work/commands"
tail -n +1 -s 0.05 -f "$work/commands" >&3 &
feeder=$!
export TOLVIK_PEER_COMMANDS="$work/commands" TOLVIK_PEER_LOG="$work/peer.out"
for _ in $(seq 100); do grep -q '^r ready' "$work/peer.out" && break; sleep 0.1; done
pty=$(sed -n 's/^pty //p' "$work/peer.out")
[ -n "$pty" ] || { echo "wine-peer.sh: the peer did not start" >&2; exit 1; }
# The link lets Wine open COM5; the Ports value makes Wine's mount manager list it as a serial
# device (\Device\SerialN) at its next start, which is how the library sees that COM5 exists.
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com5"
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$pty" /f >/dev/null
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w

status=0
TOLVIK_CAN_ADAPTER=slcan:COM5 "$wine" "$program" "$@" || status=$?
for line in ${TOLVIK_PEER_EXPECT:-O t1C8102 t1C8100 C}; do
  if ! grep -qx "h $line" "$work/peer.out"; then
    echo "wine-peer.sh: \"$line\" did not reach the adapter through COM5" >&2
    status=1
  fi
done
if [ $status -ne 0 ]; then
  echo "wine-peer.sh: what the adapter received (first 40 lines):" >&2
  grep '^h ' "$work/peer.out" | head -n 40 >&2
fi
exit $status
