#!/usr/bin/env bash
# Builds and runs the whole test suite: the normal build, then AddressSanitizer + UBSan, then
# ThreadSanitizer for the tests that exercise threads, then the Windows build (mingw-w64) with
# its tests under Wine and the 32-bit Windows build, whose DLLs' exports are checked but which
# cannot run here. Fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
tolvik_setup
tolvik_peer_setup

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"

for preset in default asan tsan; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done

for preset in windows windows-x86; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
