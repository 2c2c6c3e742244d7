# Helpers for the scripts that run Tolvik's window under Xvfb. Sourced.

# Starts Xvfb on a free-looking display, exports DISPLAY and waits until it answers. Sets
# TOLVIK_XVFB_PID; the caller ends it.
tolvik_start_xvfb() {
  local display=":$((90 + RANDOM % 100))"
  Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
  TOLVIK_XVFB_PID=$!
  export DISPLAY="$display"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done 2>/dev/null || sleep 1
}

# Prints the id of the visible Tolvik window of process $1 once it appears; fails (and ends the
# process) when none appears within ten seconds.
tolvik_find_window() {
  local tool=$1 window=""
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --pid "$tool" --name '^Tolvik$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  if [ -z "$window" ]; then
    echo "The Tolvik window did not appear." >&2
    kill "$tool" 2>/dev/null || true
    return 1
  fi
  echo "$window"
}
