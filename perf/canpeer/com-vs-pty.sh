#!/bin/sh
# The adapter library's SDO read round trip through a COM port under Wine against the same through
# the pty on Linux, both on the CAN peer and in the same run; prints both and their ratio.
#   perf/canpeer/com-vs-pty.sh [reads]
# Builds can_peer_bench (perf preset) and can_com_bench (windows preset) first.
set -eu
cd "$(dirname "$0")/../.."
reads=${1:-500}
cmake --preset perf >/dev/null
cmake --build --preset perf --parallel 2 --target can_peer_bench >/dev/null
cmake --preset windows >/dev/null
cmake --build --preset windows --parallel 2 --target can_com_bench >/dev/null

root=$PWD/build/windows/wine
tests/windows/wine.sh template "$root" /usr/lib/wine/wine64 /usr/lib/wine/wineserver64
tests/windows/wine.sh create "$root" /usr/lib/wine/wine64 can_com_bench
trap 'tests/windows/wine.sh stop "$root" /usr/lib/wine/wineserver64 can_com_bench' EXIT

posix=$(build/perf/bin/can_peer_bench "$reads")
com=$(TOLVIK_PEER_EXPECT="O C" tests/peer/wine-peer.sh "$root" /usr/lib/wine/wine64 \
  build/windows/bin/can_com_bench.exe "$reads" | tr -d '\r')
awk -v p50="$(echo "$posix" | awk '/round trip p50/ {print $7}')" \
    -v p99="$(echo "$posix" | awk '/round trip p99/ {print $7}')" \
    -v c50="$(echo "$com" | awk '$1 == "p50" {print $2}')" \
    -v c99="$(echo "$com" | awk '$1 == "p99" {print $2}')" 'BEGIN {
  if (p50 == "" || c50 == "") { print "com-vs-pty.sh: a bench gave no figure" > "/dev/stderr"; exit 1 }
  printf "%-24s %12s %12s %8s\n", "SDO read round trip", "POSIX pty", "Wine COM5", "ratio"
  printf "%-24s %12.1f %12.1f %8.2f\n", "p50 (us)", p50, c50, c50 / p50
  printf "%-24s %12.1f %12.1f %8.2f\n", "p99 (us)", p99, c99, c99 / p99
}'
