#!/usr/bin/env bash
# Runs Tolvik on the CAN adapter library and the test peer (the base and wireless remotes behind a
# pty slcan adapter) under Xvfb, lets the remotes report a key, the battery and the signal
# strength, saves a screenshot and closes the window with its close box's message.
#   scripts/peer-screenshot.sh [OUTPUT.png]    (default: build/screenshots/tolvik-can-peer.png)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
tolvik_setup
tolvik_peer_setup

cmake --preset default >/dev/null
cmake --build --preset default --target tolvik tolvikcan

screenshot="${1:-$PWD/build/screenshots/tolvik-can-peer.png}"
mkdir -p "$(dirname "$screenshot")"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -- "-$pid" 2>/dev/null || kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The peer, in a process group of its own, commanded through a FIFO.
mkfifo "$work/control"
setsid /usr/bin/python3 -S tests/peer/slcan_adapter.py <"$work/control" >"$work/peer.out" &
pids+=($!)
exec 3>"$work/control"
for _ in $(seq 100); do grep -q '^r ready' "$work/peer.out" && break; sleep 0.1; done
pty=$(sed -n 's/^pty //p' "$work/peer.out")
[ -n "$pty" ] || { echo "The peer did not start." >&2; exit 1; }

source scripts/window.sh
tolvik_start_xvfb
pids+=("$TOLVIK_XVFB_PID")

TOLVIK_CAN_ADAPTER="slcan:$pty" build/default/bin/tolvik --bridge-library build/default/bin/libtolvikcan.so &
tool=$!
window=$(tolvik_find_window "$tool")
sleep 3  # the start-up's pauses: the signal-strength set-up
for command in "pdo 2c9 00" "pdo 3c8 b4" "pdo 1c9 07"; do
  echo "$command" >&3
  sleep 0.3
done
sleep 1
import -window "$window" "$screenshot"
/usr/bin/python3 scripts/close-window.py "$window"
wait "$tool"
echo "quit" >&3
echo "Tolvik ran on libtolvikcan and the CAN peer ($pty). Screenshot: $screenshot"
