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
source scripts/window.sh
tolvik_start_xvfb
trap 'kill "$TOLVIK_XVFB_PID" 2>/dev/null || true' EXIT

build/default/bin/tolvik &
tool=$!
window=$(tolvik_find_window "$tool")
sleep "${TOLVIK_RUN_SECONDS:-5}"
import -window "$window" "$screenshot"
/usr/bin/python3 scripts/close-window.py "$window"
wait "$tool"
echo "Tolvik ran on the simulated bench and was closed. Screenshot: $screenshot"
