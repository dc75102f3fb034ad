# pe-version.sh: sourced by the scripts that read a Windows program's version.
# fixed_version FILE: the four numbers of VS_FIXEDFILEINFO's file version, as 1.2.3.4.
fixed_version() {
    at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | head -n 1 | cut -d: -f1)
    [ -n "$at" ] || return 1
    set -- $(od -An -tu2 -j $((at + 8)) -N 8 "$1")
    echo "$2.$1.$4.$3"
}
# file_language FILE: the language of VERSIONINFO's first translation, as a decimal LANGID.
file_language() {
    at=$(LC_ALL=C grep -obUaP 'T\x00r\x00a\x00n\x00s\x00l\x00a\x00t\x00i\x00o\x00n\x00\x00\x00' "$1" |
        head -n 1 | cut -d: -f1)
    [ -n "$at" ] || return 1
    # The value follows the key and its terminator, aligned to four bytes.
    at=$(((at + 24 + 3) / 4 * 4))
    set -- $(od -An -tu2 -j "$at" -N 2 "$1")
    [ "${1:-0}" -gt 0 ] && echo "$1"
}
