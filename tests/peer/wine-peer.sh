#!/bin/sh
# Runs the Windows COM-port test under Wine against the CAN peer:
#   wine-peer.sh <wine root> <wine64> <test program>
# Starts the peer in a process group of its own, links COM5 of the program's Wine prefix to the
# peer's pty, runs the test, checks that the adapter was opened, given the test's key press and
# release and closed again, and ends the peer's group by its id.
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
# The link lets Wine open COM5; the Ports value makes Wine's mount manager list it as a serial
# device (\Device\SerialN) at its next start, which is how the library sees that COM5 exists.
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com5"
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$pty" /f >/dev/null
wineserver="$(dirname "$wine")/wineserver"
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w

status=0
TOLVIK_CAN_ADAPTER=slcan:COM5 "$wine" "$program" || status=$?
for line in O t1C8102 t1C8100 C; do
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
