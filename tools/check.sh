#!/bin/sh
# The project's test command: installs what is missing (Debian packages, as root), builds
# the win32, win64 and host presets and runs every test of all three.
set -eu
cd "$(dirname "$0")/.."

packages="cmake make g++ g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386
wine64 xvfb slapd ldap-utils googletest"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    dpkg --print-foreign-architectures | grep -q i386 || dpkg --add-architecture i386
    apt-get update -qq
    # slapd must not start the machine's own instance: the tests run private ones.
    printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d && chmod +x /usr/sbin/policy-rc.d
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
    rm -f /usr/sbin/policy-rc.d
fi

status=0
for preset in host win32 win64; do
    echo "=== $preset: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
    echo "=== $preset: test"
    ctest --preset "$preset" -j 2 || status=1
done
./tools/fuzz.sh || status=1
exit $status
