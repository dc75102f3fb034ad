#!/bin/sh
# demo.sh: the address book download at work on this machine. Builds the programs if needed,
# starts a private directory server (slapd) with a generated sample directory, sets up a
# stand-in Lotus Notes installation and the product's registry values in a private Wine
# prefix, runs TARNBOOK.exe in silent mode with tracing to a file, and prints the address book
# that the reference bridge wrote and the trace. Everything it starts (slapd, Xvfb, the
# wineserver) is stopped again by its process id; its files stay in build/demo.
#
# The shipping build is the 32-bit one (preset win32); on a machine that cannot run 32-bit
# programs under Wine the demo builds and runs the 64-bit programs (preset win64) instead.
set -eu
cd "$(dirname "$0")/.."
./tools/install-deps.sh
source_dir=$(pwd)
fixtures=$source_dir/tests/fixtures
dir=$source_dir/build/demo
mkdir -p "$dir"
. "$fixtures/wine-env.sh"

say() { printf '== %s\n' "$*"; }

cleanup() {
    "$fixtures/slapd.sh" stop "$dir/slapd" || true
    "$fixtures/wine-prefix.sh" stop "$dir" >/dev/null 2>&1 || true
    "$fixtures/xvfb.sh" stop "$dir" || true
}
trap cleanup EXIT
# Ended by a signal (an interrupt, a closed terminal or pipe), it still cleans up.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 141' PIPE
trap 'exit 143' TERM

if [ "$TARN_WINE32" = 1 ]; then
    preset=win32
else
    preset=win64
    say "This machine cannot run 32-bit programs under Wine: using the 64-bit build."
fi
bin=$source_dir/build/$preset/bin

say "Building preset $preset (log: build/demo/build.log)"
if ! { cmake --preset "$preset" &&
    cmake --build --preset "$preset" -j "$(nproc)" --target TARNBOOK tarnhook tarnlang nnotes; } \
    >"$dir/build.log" 2>&1; then
    tail -n 30 "$dir/build.log"
    say "The build failed."
    exit 1
fi

# The sample directory: people with Internet addresses, with and without phone numbers and
# given names, and voice mailboxes whose mail value is a mailbox number.
"$fixtures/ldap-data.sh" demo "$dir/ldap-data"
"$fixtures/slapd.sh" start "$dir/slapd" "$dir/ldap-data" >/dev/null
port=$(cat "$dir/slapd/port")
base=$(sed -n 's/^base\.demo=//p' "$dir/ldap-data/bases")
entries=$(grep -c '^dn: cn=' "$dir/ldap-data/demo.ldif")
say "Directory server: ldap://127.0.0.1:$port/ (slapd pid $(cat "$dir/slapd/pid")),"\
" search base $base, $entries entries; like Active Directory it returns at most 100 entries"\
" to one plain search and all of them to a paged one"

"$fixtures/xvfb.sh" start "$dir" >/dev/null
. "$fixtures/wine-env.sh" # again, now that the display is known
"$fixtures/wine-prefix.sh" start "$dir" >/dev/null

product='HKCU\SOFTWARE\VEXMAR\Voxtarion\Varnel Desktop'
reg() { "$WINE" reg "$@" >>"$dir/wine.log" 2>&1; }
: >"$dir/wine.log"
reg delete 'HKLM\SOFTWARE\VEXMAR' /f || true
reg delete 'HKCU\SOFTWARE\VEXMAR' /f || true

# A stand-in Notes installation and the program's own folder.
notes=$dir/notes
program=$dir/program
"$fixtures/notes-install.sh" "$dir" "$notes" "$bin" "CN=Mail01/O=Voxtarion Demo"
rm -rf "$program"
mkdir -p "$program"
cp "$bin/TARNBOOK.exe" "$bin/tarnlang.dll" "$bin/tarnhook.dll" "$program/"
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
rm -f "$dir/trace.log"

reg add "$product\\Lotus Notes" /v HostName /d 127.0.0.1 /f
reg add "$product\\Lotus Notes" /v PortNumber /d "$port" /f
reg add "$product\\Lotus Notes" /v SearchBase /d "$base" /f
reg add "$product" /v "TRACE TO FILE" /t REG_DWORD /d 1 /f
reg add "$product" /v "TRACE FILE" /d "$(winpath "$dir/trace.log")" /f

say "Running TARNBOOK.exe in silent mode"
(cd "$program" && "$WINE" ./TARNBOOK.exe >>"$dir/wine.log" 2>&1)

book=$notes/Data/names.csv
say "Address book written by the reference bridge (build/demo/notes/Data/names.csv):"
if [ -s "$book" ]; then
    records=$(($(wc -l <"$book") - 1))
    tr -d '\r' <"$book" | head -n 16
    [ "$records" -gt 15 ] && echo "... ($((records - 15)) more)"
    say "$records records written, of $entries directory entries (voice mailboxes are not"\
" Internet addresses)"
else
    echo "(none written)"
fi
say "Trace (build/demo/trace.log):"
tr -d '\r' <"$dir/trace.log"
