#!/bin/sh
# pe-check.sh OBJDUMP VERSION MACHINE PROGRAM.exe...: checks shipped Windows programs without
# running them, with the build's own objdump and strings (mingw-w64 binutils):
#   - the PE header: MACHINE (i386 or x86-64) and the subsystem, console for TARNTRACE and
#     GUI for every other program; an i386 program is large-address-aware, so that 64-bit
#     Windows gives it 4 GB of address space instead of 2;
#   - the hardening, each stated at link time (CMakeLists.txt): ASLR (DYNAMIC_BASE), DEP
#     (NX_COMPAT), high-entropy ASLR (HIGH_ENTROPY_VA) on x86-64, subsystem version 6.0 or
#     later (Windows ends a program whose heap is corrupted), the stack protector (its failure
#     text, which only a program with protected functions links in), and on i386 NO_SEH,
#     which holds only where nothing uses the structured exception handler chain at fs:0;
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

    flags="DYNAMIC_BASE NX_COMPAT"
    case $machine in
    i386) flags="$flags NO_SEH" ;;
    x86-64) flags="$flags HIGH_ENTROPY_VA" ;;
    esac
    for flag in $flags; do
        printf '%s\n' "$header" | grep -q "^[[:space:]]*$flag\$" || fail "not $flag"
    done
    major=$(printf '%s\n' "$header" | sed -n 's/^MajorSubsystemVersion[[:space:]]*//p')
    minor=$(printf '%s\n' "$header" | sed -n 's/^MinorSubsystemVersion[[:space:]]*//p')
    [ "${major:-0}" -ge 6 ] 2>/dev/null ||
        fail "subsystem version ${major:-?}.${minor:-?} is below 6.0"
    "$strings" -n 8 "$program" | grep -q '^\*\*\* stack smashing detected \*\*\*' ||
        fail "no stack protector (no __stack_chk_fail linked in)"
    if [ "$machine" = i386 ]; then
        chain=$("$objdump" -d --no-show-raw-insn "$program" | grep -E '%fs:(0x0|0)([^0-9a-fx]|$)' | head -n 3)
        [ -z "$chain" ] || fail "NO_SEH, yet the code uses the handler chain at fs:0: $chain"
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
    [ $bad = 1 ] || echo "ok   $name: $machine$address, $subsystem $major.$minor, $(echo $flags | tr " " ","), stack protector, imports $(echo $imports), asInvoker, version $version"
done
exit $status
