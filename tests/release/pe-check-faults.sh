#!/bin/sh
# pe-check-faults.sh OBJDUMP VERSION i386|x86-64 TARNTRACE.exe WORK_DIR: proves that
# tools/pe-check.sh fails on a program lacking any one of its hardening marks. Each case
# patches one field of a copy of the built console program (TARNTRACE.exe) and expects
# pe-check to fail naming what is missing; the unpatched copy must pass first.
# Prints one line per case; exits 1 when anything is wrong.
set -u
export LC_ALL=C
[ $# -eq 5 ] || { echo "usage: $0 OBJDUMP VERSION i386|x86-64 TARNTRACE.exe WORK_DIR" >&2; exit 2; }
objdump=$1 version=$2 machine=$3 image=$4 work=$5
check=$(cd "$(dirname "$0")/../../tools" && pwd)/pe-check.sh
status=0
fail() { echo "FAIL $*"; status=1; }

rm -rf "$work" && mkdir -p "$work" || exit 1
copy=$work/TARNTRACE.exe

u16() { od -An -tu2 -j "$1" -N 2 "$copy" | tr -d ' '; } # OFFSET: the little-endian word there
put_u16() { # OFFSET VALUE
    printf "\\$(printf %o $(($2 & 255)))\\$(printf %o $(($2 >> 8)))" |
        dd of="$copy" bs=1 seek="$1" conv=notrunc 2>/dev/null
}
# The optional header follows the PE signature (at e_lfanew, 0x3c) and the file header.
optional=$(($(od -An -tu4 -j 60 -N 4 "$image" | tr -d ' ') + 24))
subsystem_at=$((optional + 68)) characteristics_at=$((optional + 70))
major_subsystem_at=$((optional + 48))

# How each case damages the copy: clear BITS of DllCharacteristics, set a header WORD, or
# replace the first BYTES (a grep -P pattern) with others of the same length.
damage() { # HOW ARGUMENT...
    case $1 in
    clear) put_u16 $characteristics_at $(($(u16 $characteristics_at) & ~$2)) ;;
    word) put_u16 "$2" "$3" ;;
    bytes)
        at=$(grep -obUaP "$2" "$copy" | head -n 1 | cut -d: -f1)
        [ -n "$at" ] || { echo "no $2 in the image"; return 1; }
        printf "$3" | dd of="$copy" bs=1 seek="$at" conv=notrunc 2>/dev/null ;;
    esac
}

cp "$image" "$copy" || exit 1
"$check" "$objdump" "$version" "$machine" "$copy" >"$work/intact.log" ||
    { cat "$work/intact.log"; echo "FAIL the intact copy does not pass pe-check"; exit 1; }

# the machine it applies to | the case | what pe-check must say | the damage
while IFS='|' read -r only case expected how argument value; do
    [ "$only" = any ] || [ "$only" = "$machine" ] || continue
    cp "$image" "$copy"
    damage $how "$argument" "$value" || { fail "$case: the copy could not be patched"; continue; }
    cmp -s "$image" "$copy" && { fail "$case: the patch changed nothing"; continue; }
    output=$("$check" "$objdump" "$version" "$machine" "$copy")
    code=$?
    if [ $code = 1 ] && printf '%s\n' "$output" | grep -q "^FAIL TARNTRACE.exe: $expected"; then
        echo "ok   $case: pe-check fails with '$expected'"
    else
        fail "$case: pe-check ended with $code, not with '$expected': $output"
    fi
done <<EOF
any|without ASLR|not DYNAMIC_BASE|clear|0x40
any|without DEP|not NX_COMPAT|clear|0x100
x86-64|without high-entropy ASLR|not HIGH_ENTROPY_VA|clear|0x20
i386|with SEH handlers allowed|not NO_SEH|clear|0x400
any|for Windows 5|subsystem version 5.|word|$major_subsystem_at|5
any|a window program|subsystem is not (Windows CUI)|word|$subsystem_at|2
any|without the stack protector|no stack protector|bytes|\*\*\* stack smashing|***_stack
i386|NO_SEH with the handler chain in use|NO_SEH, yet the code uses the handler chain|bytes|\x64\xa1\x18\x00\x00\x00|\144\241\000\000\000\000
EOF
exit $status
