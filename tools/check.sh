#!/bin/sh
# The project's test command: installs what is missing (tools/install-deps.sh), builds the
# win32, win64, host and fuzz presets, runs every test of the first three and every fuzz
# target for ten seconds.
#
# What building needs is installed first; the rest (Wine, the directory servers, the packaging
# tools) is installed while the builds run. The win32 build comes first. The win64, host and
# fuzz builds go on beside it and its tests at the lowest priority (nice 19): they take the
# processor time that the tests leave while they wait for windows, servers and timeouts, and
# the tests keep what they need.
# The win64 tests follow once their build is done (the test beds of both Windows builds use
# Samba's fixed ports, so their tests never run at once), then the host tests and the fuzz
# targets, as many at a time as there are processors.
set -eu
cd "$(dirname "$0")/.."

jobs=$(nproc)
logs=build/check
rm -rf "$logs"
mkdir -p "$logs"
status=0
# The second call of install-deps.sh takes the indexes the first one updated.
TARN_APT_STAMP=$PWD/$logs/apt-updated
export TARN_APT_STAMP
./tools/install-deps.sh build

# build PRESET [COMMAND...]: configures and builds PRESET through COMMAND (nice), its output in
# build/check/PRESET.log; then build/check/PRESET.done, and PRESET.ok where it succeeded.
build() {
    preset=$1
    shift
    if "$@" cmake --preset "$preset" >"$logs/$preset.log" 2>&1 &&
        "$@" cmake --build --preset "$preset" -j "$jobs" >>"$logs/$preset.log" 2>&1; then
        : >"$logs/$preset.ok"
    fi
    : >"$logs/$preset.done"
}

# built PRESET: waits for the build of PRESET, shows its output and tells whether it succeeded.
built() {
    while [ ! -e "$logs/$1.done" ]; do sleep 1; done
    echo "=== $1: configure and build"
    cat "$logs/$1.log"
    [ -e "$logs/$1.ok" ] && return 0
    echo "=== $1: the build failed"
    status=1
    return 1
}

# A Windows test spends most of its time waiting for windows, servers and timeouts: one test
# more than there are processors. The Wine seats (cmake/test-resources.json, three) bound how
# many of those that change a prefix run at once.
run_tests() {
    echo "=== $1: test"
    ctest --preset "$1" -j "$((jobs + 1))" || status=1
}

build win32 &
(for preset in win64 host fuzz; do build "$preset" nice -n 19; done) &
builds=$!
if ! ./tools/install-deps.sh; then
    wait
    exit 1
fi
if built win32; then run_tests win32; fi
if built win64; then run_tests win64; fi
if built host; then run_tests host; fi
wait "$builds"
# Every fuzz target for ten seconds: the longer runs are for ./tools/fuzz.sh by hand.
if built fuzz; then TARN_FUZZ_JOBS=$jobs ./tools/fuzz.sh 10 || status=1; fi
exit $status
