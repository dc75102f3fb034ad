#!/bin/sh
# The project's test command: installs what is missing (tools/install-deps.sh), builds
# the win32, win64 and host presets and runs every test of all three.
set -eu
cd "$(dirname "$0")/.."

./tools/install-deps.sh

status=0
for preset in host win32 win64; do
    echo "=== $preset: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
    echo "=== $preset: test"
    ctest --preset "$preset" -j 2 || status=1
done
# Every fuzz target for ten seconds: the longer runs are for ./tools/fuzz.sh by hand.
./tools/fuzz.sh 10 || status=1
exit $status
