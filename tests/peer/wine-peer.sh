#!/bin/sh
# Runs the Windows COM-port test under Wine against the CAN peer:
#   wine-peer.sh <wine root> <wine64> <test program>
# Starts the peer in a process group of its own, links COM5 of the program's Wine prefix to the
# peer's pty, has the wireless remote send a key every 200 ms while the test runs, checks that
# the test's own key reached the peer, and ends the peer's group by its id.
set -eu
root=$1 wine=$2 program=$3
here=$(cd "$(dirname "$0")" && pwd)
unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export WINEPREFIX="$root/$(basename "$program" .exe)"
work=$(mktemp -d)
peer=""
cleanup() {
  [ -n "$peer" ] && kill -9 -- "-$peer" 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com5"
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/control"
setsid /usr/bin/python3 -S "$here/slcan_adapter.py" <"$work/control" >"$work/peer.out" &
peer=$!
exec 3>"$work/control"
for _ in $(seq 100); do grep -q '^r ready' "$work/peer.out" && break; sleep 0.1; done
pty=$(sed -n 's/^pty //p' "$work/peer.out")
[ -n "$pty" ] || { echo "wine-peer.sh: the peer did not start" >&2; exit 1; }
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com5"

(while :; do echo "pdo 1c9 07" >&3 || exit 0; sleep 0.2; done) &
keys=$!
status=0
TOLVIK_CAN_ADAPTER=slcan:COM5 "$wine" "$program" || status=$?
kill "$keys" 2>/dev/null || true
if ! grep -q '^h t1C8102' "$work/peer.out"; then
  echo "wine-peer.sh: the key transmitted through COM5 did not reach the peer" >&2
  status=1
fi
exit $status
