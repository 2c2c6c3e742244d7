#!/usr/bin/env bash
# Starts Tolvik on the CAN adapter library with no adapter named under Xvfb, saves a screenshot
# of the adapter chooser (listing this machine's adapters) and cancels it with Esc, which ends
# Tolvik. The remembered choice goes to a settings folder of its own, not the user's.
#   scripts/chooser-screenshot.sh [OUTPUT.png]    (default: build/screenshots/tolvik-chooser.png)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
tolvik_setup

cmake --preset default >/dev/null
cmake --build --preset default --target tolvik tolvikcan

screenshot="${1:-$PWD/build/screenshots/tolvik-chooser.png}"
mkdir -p "$(dirname "$screenshot")"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

source scripts/window.sh
tolvik_start_xvfb
pids+=("$TOLVIK_XVFB_PID")

env -u TOLVIK_CAN_ADAPTER XDG_CONFIG_HOME="$work" \
  build/default/bin/tolvik --bridge-library build/default/bin/libtolvikcan.so &
tool=$!
pids+=("$tool")
window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --pid "$tool" --name '^Tolvik - CAN adapter$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "The adapter chooser did not appear." >&2; exit 1; }
sleep 0.5
import -window "$window" "$screenshot"
xdotool key --window "$window" Escape
wait "$tool"
echo "The chooser ended Tolvik on Cancel. Screenshot: $screenshot"
