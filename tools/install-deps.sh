#!/bin/sh
# install-deps.sh: installs the Debian packages that building, testing, the demo, the
# screenshots and the release packages (zip, Windows Installer, signing, the Group Policy
# template's check) need. The one place that installs anything; the demo
# and the test command run it first. Installs only what is missing, so a second run is quick
# and needs no network.
#
# Needs Debian 12 (bookworm) or a close relative with apt, and root. It adds the i386
# architecture (the 32-bit Wine that runs the shipping 32-bit build) and keeps the machine's
# own slapd from being started: the tests and the demo run private directory servers.
#
#   install-deps.sh          every package
#   install-deps.sh build    only what configuring and building need, so that the test command
#                            can build while the rest is installed
# TARN_APT_STAMP names a file that says apt's indexes were just updated: the call that updates
# them creates it, and a later call that finds it takes the indexes as they are.
set -eu

# Building: CMake, the mingw-w64 cross compilers (-posix: GoogleTest needs std::mutex), the
# host compiler, GoogleTest's sources. Fuzzing: clang and its runtime libraries.
build="cmake make g++ g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 googletest clang libclang-rt-14-dev"
# Running the Windows programs: Wine (32- and 64-bit), its fonts, a virtual display, and the
# GSSAPI mechanism through which Wine's LDAP client signs in with Kerberos (both bitnesses).
run="wine wine32:i386 wine64 fonts-wine fonts-liberation xvfb libsasl2-modules-gssapi-mit
libsasl2-modules-gssapi-mit:i386"
# The directory servers of the tests and the demo, and their command-line tools: OpenLDAP's
# slapd, Samba as an Active Directory domain controller, 389 Directory Server; openssl makes
# the test bed's own certificate authority for the TLS tests.
directory="slapd ldap-utils samba-ad-dc samba-ad-provision ldb-tools 389-ds-base openssl"
# Screenshots: window dumps and their conversion to PNG.
pictures="x11-apps x11-utils imagemagick"
# The release packages: zip files, Windows Installer packages (wixl, and msitools to read and
# finish them), Authenticode signatures and the throwaway certificate of their test, and the
# XML check of the Group Policy template.
release="zip unzip wixl msitools osslsigncode openssl libxml2-utils"
packages="$build $run $directory $pictures $release"
case "${1:-}" in
"") ;;
build) packages=$build ;;
*)
    echo "usage: $0 [build]" >&2
    exit 2
    ;;
esac

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $p"
done
if [ -z "$missing" ]; then
    echo "install-deps: every package is installed."
    exit 0
fi

echo "install-deps: these Debian packages are missing:$missing"
if ! command -v apt-get >/dev/null 2>&1 || ! command -v dpkg >/dev/null 2>&1; then
    echo "install-deps: this is not a Debian system (no apt-get). Install the packages above," >&2
    echo "or their equivalents, by hand; the project is built and tested on Debian 12." >&2
    exit 1
fi
if [ "$(id -u)" != 0 ]; then
    echo "install-deps: installing needs root. Run as root:" >&2
    echo "    sudo $0" >&2
    echo "or install them yourself (the i386 architecture first, for wine32:i386):" >&2
    echo "    sudo dpkg --add-architecture i386 && sudo apt-get update" >&2
    echo "    sudo apt-get install$missing" >&2
    exit 1
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "install-deps: adding the i386 architecture (for wine32:i386)"
    dpkg --add-architecture i386
fi
# A mirror in the middle of a sync fails an index now and then: try again a little later, and
# after the last try go on with the indexes apt has; the install says what is still missing.
stamp=${TARN_APT_STAMP:-}
[ -n "$stamp" ] && [ -e "$stamp" ] || for wait in 15 45 0; do
    echo "install-deps: apt-get update"
    if apt-get update -qq; then
        [ -z "$stamp" ] || : >"$stamp"
        break
    fi
    if [ "$wait" = 0 ]; then
        echo "install-deps: apt-get update failed; installing from the indexes at hand" >&2
        break
    fi
    echo "install-deps: apt-get update failed; trying again in $wait seconds" >&2
    sleep "$wait"
done
# A policy-rc.d that refuses every service start: installing slapd must not start the
# machine's own instance. Removed again on every way out.
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
    trap 'rm -f "$policy"' EXIT
    trap 'exit 130' INT TERM HUP
    printf '#!/bin/sh\nexit 101\n' >"$policy"
    chmod +x "$policy"
fi
echo "install-deps: apt-get install$missing"
# shellcheck disable=SC2086 # one word per package
if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing; then
    # The i386 packages need the same versions as their amd64 twins; a mirror whose i386
    # index lags behind cannot give them. Without them Wine runs only 64-bit programs and the
    # win32 tests report themselves skipped; everything else is installed.
    rest=$(printf '%s\n' $missing | grep -v ':i386$' | tr '\n' ' ')
    [ "$rest" != "$(printf '%s\n' $missing | tr '\n' ' ')" ] || exit 1
    echo "install-deps: the 32-bit packages cannot be installed now; installing the rest" \
        "(the win32 tests will be skipped): $rest" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $rest
fi
echo "install-deps: done."
