#!/usr/bin/env bash
# Builds Tolvik and runs it on the built-in simulated bench. With a display it opens the window;
# without one it runs under Xvfb for a few seconds, saves a screenshot and closes the window
# with the close box's message, as a window manager does for a user.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
tolvik_setup

cmake --preset default >/dev/null
cmake --build --preset default --target tolvik tolvikbench

if [ -n "${DISPLAY:-}" ]; then
  exec build/default/bin/tolvik
fi

screenshot="$PWD/build/screenshots/tolvik-bench.png"
mkdir -p "$(dirname "$screenshot")"
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done 2>/dev/null || sleep 1

build/default/bin/tolvik &
tool=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --pid "$tool" --name '^Tolvik$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "The Tolvik window did not appear." >&2
  kill "$tool" 2>/dev/null || true
  exit 1
fi
sleep "${TOLVIK_RUN_SECONDS:-5}"
import -window "$window" "$screenshot"
/usr/bin/python3 scripts/close-window.py "$window"
wait "$tool"
echo "Tolvik ran on the simulated bench and was closed. Screenshot: $screenshot"
