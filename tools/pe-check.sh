#!/bin/sh
# pe-check.sh OBJDUMP VERSION MACHINE PROGRAM.exe...: checks shipped Windows programs without
# running them, with the build's own objdump and strings (mingw-w64 binutils):
#   - the PE header: MACHINE (i386 or x86-64) and the subsystem, console for TARNTRACE and
#     GUI for every other program; an i386 program is large-address-aware, so that 64-bit
#     Windows gives it 4 GB of address space instead of 2;
#   - the imports: system libraries only, no compiler runtime (libstdc++, libgcc,
#     libwinpthread) that would have to travel with the program;
#   - the embedded manifest asks for asInvoker;
#   - VERSIONINFO: the fixed file version and the FileVersion and ProductVersion texts are
#     VERSION, the project's version.
# Prints one line per finding and exits 1 when anything is wrong.
set -u
export LC_ALL=C
[ $# -ge 4 ] || { echo "usage: $0 OBJDUMP VERSION i386|x86-64 PROGRAM.exe..." >&2; exit 2; }
objdump=$1 version=$2 machine=$3
shift 3
strings=$(printf '%s' "$objdump" | sed 's/objdump$/strings/')
command -v "$strings" >/dev/null 2>&1 || strings=strings
# The system libraries a shipped program may import.
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll comctl32.dll comdlg32.dll uxtheme.dll
wldap32.dll ws2_32.dll msvcrt.dll shell32.dll ole32.dll crypt32.dll secur32.dll"

status=0
fail() { echo "FAIL $name: $*"; status=1; bad=1; }

. "$(dirname "$0")/pe-version.sh"

for program in "$@"; do
    name=$(basename "$program")
    bad=0
    [ -f "$program" ] || { fail "not found: $program"; continue; }
    header=$("$objdump" -p "$program" 2>&1) || { fail "not a PE file: $header"; continue; }

    case $machine in
    i386) format=pei-i386 ;;
    x86-64) format=pei-x86-64 ;;
    *) echo "unknown machine $machine" >&2; exit 2 ;;
    esac
    printf '%s\n' "$header" | grep -q "file format $format\$" ||
        fail "machine is not $machine: $(printf '%s\n' "$header" | grep -o 'file format .*')"

    case $name in
    TARNTRACE.exe) subsystem='(Windows CUI)' ;;
    *) subsystem='(Windows GUI)' ;;
    esac
    printf '%s\n' "$header" | grep -q "^Subsystem.*$subsystem" ||
        fail "subsystem is not $subsystem: $(printf '%s\n' "$header" | grep '^Subsystem')"
    address=
    if [ "$machine" = i386 ]; then
        printf '%s\n' "$header" | grep -q "^[[:space:]]*large address aware\$" ||
            fail "not large-address-aware (linked without --large-address-aware)"
        address=", large-address-aware"
    fi

    imports=$(printf '%s\n' "$header" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
    [ -n "$imports" ] || fail "no imports found"
    for dll in $imports; do
        case " $(echo $allowed) " in
        *" $dll "*) ;;
        *) fail "imports $dll, which is not a system library" ;;
        esac
    done

    "$strings" -n 8 "$program" | grep -q 'requestedExecutionLevel level="asInvoker"' ||
        fail "no manifest with requestedExecutionLevel asInvoker"

    fixed=$(fixed_version "$program") || fixed="none"
    [ "$fixed" = "$version.0" ] || fail "VERSIONINFO file version is $fixed, not $version.0"
    texts=$("$strings" -el "$program")
    for key in FileVersion ProductVersion; do
        value=$(printf '%s\n' "$texts" | grep -A1 -x "$key" | sed -n 2p)
        [ "$value" = "$version" ] || fail "VERSIONINFO $key is '$value', not '$version'"
    done
    [ $bad = 1 ] || echo "ok   $name: $machine$address, $subsystem, imports $(echo $imports), asInvoker, version $version"
done
exit $status
