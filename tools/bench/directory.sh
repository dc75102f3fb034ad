#!/bin/sh
# directory.sh start DIR SIZE... | stop DIR
# The benchmark's private OpenLDAP server in DIR: its own configuration, one mdb database
# "dc=bench,dc=test" holding a unit ou=p<SIZE> of SIZE people for each size, a free port on
# 127.0.0.1, stopped by its pid. About one person in ten has a mail value of digits only (a
# voice mailbox); the others have an Internet address. The loaded database is kept for the
# next start with the same sizes. On start DIR receives: port, pid, slapd.conf, slapd.log.
set -eu
cmd=$1 dir=$2
shift 2
mkdir -p "$dir"
dir=$(cd "$dir" && pwd) # slapd reads its paths from another directory
schema=/etc/ldap/schema
suffix=dc=bench,dc=test

stop_slapd() {
    [ -f "$dir/pid" ] || return 0
    pid=$(cat "$dir/pid")
    rm -f "$dir/pid" "$dir/port"
    kill -0 "$pid" 2>/dev/null || return 0
    kill -TERM "$pid" 2>/dev/null || true
    i=0
    while kill -0 "$pid" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    kill -KILL "$pid" 2>/dev/null || true
}

write_config() {
    cat >"$dir/slapd.conf" <<CONF
include $schema/core.schema
include $schema/cosine.schema
include $schema/inetorgperson.schema
pidfile $dir/slapd.pid
argsfile $dir/slapd.args
modulepath /usr/lib/ldap
moduleload back_mdb
loglevel 0

database mdb
suffix "$suffix"
directory $dir/db
maxsize 2147483648
sizelimit unlimited
access to * by * read
CONF
}

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

start_on_free_port() {
    attempt=0
    seed=$(od -An -N2 -tu2 /dev/urandom | tr -d ' ')
    while [ $attempt -lt 20 ]; do
        port=$((20000 + (seed + attempt * 7919) % 30000))
        attempt=$((attempt + 1))
        if slapd -f "$dir/slapd.conf" -h "ldap://127.0.0.1:$port/" -n tarn-bench-slapd \
            </dev/null >>"$dir/slapd.log" 2>&1; then
            echo "$port" >"$dir/port"
            cp "$dir/slapd.pid" "$dir/pid"
            return 0
        fi
    done
    echo "slapd did not start:" >&2
    cat "$dir/slapd.log" >&2
    exit 1
}

wait_until_ready() {
    i=0
    while [ $i -lt 100 ]; do
        rc=0
        ldapsearch -x -LLL -H "ldap://127.0.0.1:$port/" -s base -b "$suffix" dn \
            >/dev/null 2>&1 || rc=$?
        [ $rc -eq 0 ] && return 0
        sleep 0.1
        i=$((i + 1))
    done
    echo "slapd on port $port does not answer" >&2
    exit 1
}

case $cmd in
start)
    stop_slapd
    mkdir -p "$dir"
    sizes="$*"
    if [ ! -f "$dir/db/data.mdb" ] || [ "$(cat "$dir/sizes" 2>/dev/null)" != "$sizes" ]; then
        rm -rf "$dir/db" "$dir/sizes"
        mkdir -p "$dir/db"
        write_config
        : >"$dir/slapd.log"
        generate "$@" | slapadd -q -f "$dir/slapd.conf" -b "$suffix" >>"$dir/slapd.log" 2>&1 ||
            { echo "slapadd failed:" >&2; cat "$dir/slapd.log" >&2; exit 1; }
        echo "$sizes" >"$dir/sizes"
    fi
    start_on_free_port
    wait_until_ready
    ;;
stop)
    stop_slapd
    ;;
*)
    echo "usage: $0 start DIR SIZE... | stop DIR" >&2
    exit 2
    ;;
esac
