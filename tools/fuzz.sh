#!/bin/sh
# fuzz.sh [SECONDS] [TARGET...]: builds the fuzz targets (the fuzz preset: clang with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) and runs each for SECONDS
# (default 20), or only the targets named; TARN_FUZZ_JOBS of them at a time (default 1).
# Each starts from its seed corpus in tests/fuzz/corpus/<target> and keeps what it learns in
# build/fuzz/corpus/<target>.
# Exits non-zero when a target finds a crash, a hang, a leak or a failed property, and
# names the target and the file that holds the input.
#
# Needs clang and libclang-rt-14-dev (tools/install-deps.sh installs them).
set -eu
cd "$(dirname "$0")/.."

seconds=${1:-20}
[ $# -gt 0 ] && shift
case $seconds in
'' | *[!0-9]*)
    echo "usage: $0 [SECONDS] [TARGET...]" >&2
    exit 2
    ;;
esac
if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz.sh: clang++ is missing; run tools/install-deps.sh as root" >&2
    exit 2
fi

build=build/fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" >"$build.log" 2>&1 || {
    cat "$build.log" >&2
    echo "fuzz.sh: the fuzz targets do not build" >&2
    exit 2
}

targets=${*:-$(cat "$build/fuzz-targets.txt")}
# fuzz TARGET: one target's run; its report in build/fuzz/logs/TARGET.report, exits non-zero
# on a finding.
fuzz() {
    target=$1
    program=$build/bin/fuzz_$target
    seeds=tests/fuzz/corpus/$target
    corpus=$build/corpus/$target
    findings=$build/findings/$target
    log=$build/logs/$target.log
    report=$build/logs/$target.report
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    rm -f "$findings"/*
    if [ ! -x "$program" ]; then
        echo "fuzz.sh: no fuzz target $target" >"$report"
        return 1
    fi
    if "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$seeds" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
        echo "fuzz $target: ${seconds}s, ${runs:-?} executions, ${cov:-cov: ?}, no finding" >"$report"
        return 0
    fi
    {
        echo "fuzz $target: FINDING (log $log)"
        for found in "$findings"/*; do
            [ -e "$found" ] && echo "    input: $found"
        done
        grep -E 'ERROR|property failed|SUMMARY' "$log" | head -n 5 | sed 's/^/    /'
    } >"$report"
    return 1
}

# TARN_FUZZ_JOBS (default 1) targets run at a time, each on a processor of its own.
parallel=${TARN_FUZZ_JOBS:-1}
status=0
set -- $targets
while [ $# -gt 0 ]; do
    batch=
    while [ $# -gt 0 ] && [ "$(echo $batch | wc -w)" -lt "$parallel" ]; do
        fuzz "$1" &
        batch="$batch $1:$!"
        shift
    done
    for run in $batch; do
        wait "${run#*:}" || status=1
        cat "$build/logs/${run%%:*}.report"
    done
done
exit $status
