#!/bin/sh
# directory.sh start DIR SIZE... | stop DIR
# The benchmark's private OpenLDAP server in DIR, run by the test bed's tests/fixtures/slapd.sh:
# one database "dc=bench,dc=test" without size limit, holding a unit ou=p<SIZE> of SIZE people
# for each size. About one person in ten has a mail value of digits only (a voice mailbox);
# the others have an Internet address. The generated data is kept for the next start with
# sizes it holds. On start DIR receives: port, pid, slapd.conf, slapd.log. BENCH_SLAPD_OPTIONS:
# what slapd.sh takes after the data (the logon figures' "--syncprov --writable").
set -eu
cmd=$1 dir=$2
shift 2
mkdir -p "$dir"
dir=$(cd "$dir" && pwd) # slapd reads its paths from another directory
fixtures=$(cd "$(dirname "$0")/../../tests/fixtures" && pwd)
suffix=dc=bench,dc=test
data=$dir/data

# The people of every size, in LDIF.
generate() {
    printf 'dn: %s\nobjectClass: dcObject\nobjectClass: organization\ndc: bench\no: bench\n\n' \
        "$suffix"
    for size in "$@"; do
        awk -v size="$size" -v suffix="$suffix" 'BEGIN {
            unit = "ou=p" size "," suffix
            printf "dn: %s\nobjectClass: organizationalUnit\nou: p%s\n\n", unit, size
            for (i = 1; i <= size; i++) {
                printf "dn: cn=Person %d,%s\nobjectClass: inetOrgPerson\ncn: Person %d\n", i, unit, i
                printf "sn: Surname%d\n", i
                if (i % 7 != 0) printf "givenName: Given%d\n", i
                if (i % 3 != 0) printf "telephoneNumber: +1 555 %07d\n", i
                if (i % 10 == 0) printf "mail: %d\n\n", 40000000 + i
                else printf "mail: given%d.surname%d@bench.test\n\n", i, i
            }
        }'
    done
}

case $cmd in
start)
    sizes="$*"
    held=" $(cat "$data/sizes" 2>/dev/null || true) "
    missing=
    for size in "$@"; do
        case $held in *" $size "*) ;; *) missing=1 ;; esac
    done
    if [ ! -f "$data/bench.ldif" ] || [ -n "$missing" ]; then
        rm -rf "$data"
        mkdir -p "$data"
        generate "$@" >"$data/bench.ldif"
        echo "bench unlimited $suffix" >"$data/databases"
        echo "$sizes" >"$data/sizes"
    fi
    # shellcheck disable=SC2086 # one option a word
    "$fixtures/slapd.sh" start "$dir/server" "$data" ${BENCH_SLAPD_OPTIONS:-} >/dev/null
    cp "$dir/server/port" "$dir/port"
    cp "$dir/server/pid" "$dir/pid"
    ;;
stop)
    rm -f "$dir/port" "$dir/pid"
    "$fixtures/slapd.sh" stop "$dir/server"
    ;;
*)
    echo "usage: $0 start DIR SIZE... | stop DIR" >&2
    exit 2
    ;;
esac
