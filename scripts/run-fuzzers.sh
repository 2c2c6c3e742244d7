#!/bin/sh
# Builds the fuzz targets with the fuzz preset and runs each in turn for SECONDS.
#
#   scripts/run-fuzzers.sh SECONDS [BUILD_DIR [TARGET...]]   (BUILD_DIR defaults to build/fuzz;
#                                                            no TARGET: all of them)
#
# Inputs the fuzzers find go to BUILD_DIR/corpus/<target> (the seeds in tests/fuzz/corpus are
# only read). A crashing or hanging input is left in BUILD_DIR/findings; keep each one as a case
# of its subsystem's unit tests (an XML input in tests/config/regressions/, which config_tests
# replays) so that it is checked from then on.
set -eu

if [ $# -lt 1 ]; then
    echo "usage: $0 SECONDS [BUILD_DIR]" >&2
    exit 2
fi
seconds=$1
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build/fuzz}

# target:seed folder:dictionary (none: -)
fuzzers="fuzz_xml_parse_utf8:xml-parse:xml.dict fuzz_xml_parse_single_byte:xml-parse:xml.dict
fuzz_xml_parse_shift_jis:xml-parse:xml.dict fuzz_xml_load:xml-load:xml.dict
fuzz_registry_export:registry-export:- fuzz_cal_file:cal-file:- fuzz_scenario:scenario:-
fuzz_slcan_parser:slcan-parser:- fuzz_sdo_client:sdo-client:- fuzz_adapter_names:adapter-names:-"
if [ $# -gt 2 ]; then
    shift 2
    chosen=""
    for f in $fuzzers; do
        for t in "$@"; do
            [ "${f%%:*}" = "$t" ] && chosen="$chosen $f"
        done
    done
    fuzzers=$chosen
fi
targets=$(for f in $fuzzers; do printf '%s ' "${f%%:*}"; done)

cd "$root"
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --parallel 2 --target $targets

# The load fuzzer writes its file once per input: a memory-backed folder keeps it fast.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

mkdir -p "$build/findings"
status=0
for f in $fuzzers; do
    target=${f%%:*}
    rest=${f#*:}
    seeds=$root/tests/fuzz/corpus/${rest%%:*}
    dict=${rest#*:}
    set --
    [ "$dict" != "-" ] && set -- -dict="$root/tests/fuzz/$dict"
    mkdir -p "$build/corpus/$target"
    echo "== $target for ${seconds}s"
    if ! "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        "$@" -artifact_prefix="$build/findings/$target-" \
        "$build/corpus/$target" "$seeds" >"$build/$target.log" 2>&1; then
        echo "   FINDING: see $build/$target.log and $build/findings" >&2
        status=1
    fi
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' \
        "$build/$target.log" || true
done
exit $status
