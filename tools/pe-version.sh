# pe-version.sh: sourced by the scripts that read a Windows program's version.
# fixed_version FILE: the four numbers of VS_FIXEDFILEINFO's file version, as 1.2.3.4.
fixed_version() {
    at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | head -n 1 | cut -d: -f1)
    [ -n "$at" ] || return 1
    set -- $(od -An -tu2 -j $((at + 8)) -N 8 "$1")
    echo "$2.$1.$4.$3"
}
