#!/bin/sh
# bench.sh [SIZE...]: how the download's cost compares with the directory work alone.
# Builds the programs of each platform, starts a private slapd with generated directories of
# SIZE people each (default 1000 10000 65535 100000; about one in ten has a digits-only mail
# value), and runs for each platform and size, alternating, in one Wine prefix, the programs
# of that platform (each build against its own fetch):
#   fetch   tools/bench/fetch.cpp: bind, the same search and the walk with the four value
#           look-ups per entry, nothing else
#   book    TARNBOOK.exe in silent mode into the stand-in bridge, which only counts records
#   viewer  the same with a trace viewer listening (tools/bench/viewer.cpp)
#   file    the same with tracing to a file
# Prints min and median wall time, peak memory of the Wine process, records written, the
# ratio of each variant's median to the fetch's, and the median CPU time of the program and of
# the wineserver that works for it, which a machine shared with others disturbs less. Up to
# BENCH_COUNT_UP_TO entries it also counts the requests each program makes to the Wine server
# (one more run of each with WINEDEBUG=+server), which noise does not move at all. Everything
# it starts is stopped by its pid.
#   BENCH_PLATFORMS    the builds to measure (default "win64 win32"; win32 only where this
#                      machine runs 32-bit code). The 64-bit programs are started by the
#                      64-bit loader and the 32-bit ones by the 32-bit loader, so that their
#                      own process is the one measured.
#   BENCH_REPS         repetitions of each run (default 3)
#   BENCH_VARIANTS     which TARNBOOK runs (default "book viewer file")
#   BENCH_TARNBOOK     the TARNBOOK.exe files to measure instead of the builds', each for the
#                      platform of its machine type
#   BENCH_BEFORE       other TARNBOOK.exe files, measured as variant "before" (for a change's
#                      effect), each for the platform of its machine type; their requests are
#                      counted too
#   BENCH_COUNT_UP_TO  the largest size whose requests are counted (default 100000; 0: none)
#   BENCH_FETCH        0: no timed runs of the fetch, only TARNBOOK's (for sizes where the
#                      fetch alone takes Wine's client far longer than the download); default 1
#   BENCH_DIR          the folder of the run (default build/bench)
#   BENCH_TABLE        0: leave out the download table above, for the logon figures alone
#   BENCH_PUBLISH      the sizes of the published book's figures (default 65535; empty: none)
# The logon figures (Refresh changed): for each server family in BENCH_LOGON (default "slapd
# dirsrv samba"), a private server with its change marker (slapd with syncprov, 389 Directory
# Server with the USN plugin, Samba's domain controller read by an ordinary account) and
# BENCH_LOGON_SIZE people (default 65535; Samba BENCH_LOGON_SAMBA_SIZE, default 5000: loading
# its domain takes Samba far longer), then, with the first platform's TARNBOOK.exe in silent mode
# behind a relay (tools/bench/relay.cpp) that counts what the server sent: a whole refresh, an
# unchanged logon, and a logon after one entry changed. Each prints the bytes the server sent,
# the entries it returned and the time of the run.
# The published book's figures (tools/bench/publish.sh), for each platform and each size of
# BENCH_PUBLISH: the publisher against a silent download, and a desktop that reads an unchanged
# version, one version after 20 changes and the snapshot: time, the bytes the directory server
# sent and the bytes read from the folder.
set -eu
cd "$(dirname "$0")/.."
src=$(pwd)
fixtures=$src/tests/fixtures
dir=${BENCH_DIR:-$src/build/bench}
reps=${BENCH_REPS:-3}
variants=${BENCH_VARIANTS:-book viewer file}
count_up_to=${BENCH_COUNT_UP_TO:-100000}
fetch_runs=${BENCH_FETCH:-1}
sizes=${*:-1000 10000 65535 100000}
table_runs=${BENCH_TABLE:-1}
logon_families=${BENCH_LOGON-slapd dirsrv samba}
logon_size=${BENCH_LOGON_SIZE:-65535}
logon_samba_size=${BENCH_LOGON_SAMBA_SIZE:-5000}
publish_sizes=${BENCH_PUBLISH-65535}
mkdir -p "$dir"
. "$fixtures/wine-env.sh"
platforms=
for platform in ${BENCH_PLATFORMS:-win64 win32}; do
    case $platform in
    win64) ;;
    win32)
        if [ "$TARN_WINE32" = 0 ]; then
            echo "== win32 left out: this machine cannot run 32-bit code"
            continue
        fi
        ;;
    *)
        echo "unknown platform $platform" >&2
        exit 2
        ;;
    esac
    platforms="$platforms $platform"
done

viewer_pid=
awk_pid=
relay_pid=
cleanup() {
    if [ -n "$viewer_pid" ]; then kill "$viewer_pid" 2>/dev/null || true; fi
    if [ -n "$relay_pid" ]; then kill "$relay_pid" 2>/dev/null || true; fi
    "$src/tools/bench/directory.sh" stop "$dir/logon/slapd" >/dev/null 2>&1 || true
    "$src/tools/bench/directory.sh" stop "$dir/publish/slapd" >/dev/null 2>&1 || true
    "$fixtures/dirsrv.sh" stop "$dir/logon" >/dev/null 2>&1 || true
    "$fixtures/samba-ad.sh" stop "$dir/logon" >/dev/null 2>&1 || true
    "$src/tools/bench/directory.sh" stop "$dir/slapd" || true
    "$fixtures/wine-prefix.sh" stop "$dir" >/dev/null 2>&1 || true
    if [ -n "$awk_pid" ]; then kill "$awk_pid" 2>/dev/null || true; fi
    "$fixtures/xvfb.sh" stop "$dir" >/dev/null 2>&1 || true
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

echo "== building$platforms (log: $dir/build.log)"
: >"$dir/build.log"
for platform in $platforms; do
    if ! { cmake --preset "$platform" && cmake --build --preset "$platform" -j2 --target TARNBOOK \
        tarnhook tarnlang nnotes bench_fetch bench_viewer bench_trace_cost bench_relay; } \
        >>"$dir/build.log" 2>&1; then
        tail -n 30 "$dir/build.log"
        exit 1
    fi
done

# of_platform PLATFORM FILE...: the first of the programs built for PLATFORM.
of_platform() {
    want=$1
    shift
    case $want in win64) want=x86_64 ;; win32) want=i386 ;; esac
    for program in "$@"; do
        if [ "$(pe_machine "$program")" = "$want" ]; then
            echo "$program"
            return
        fi
    done
}

"$fixtures/xvfb.sh" start "$dir" >/dev/null
. "$fixtures/wine-env.sh"
"$fixtures/wine-prefix.sh" start "$dir" >/dev/null

product='HKCU\SOFTWARE\VEXMAR\Voxtarion\Varnel Desktop'
reg() { "$WINE" reg "$@" >>"$dir/wine.log" 2>&1; }
: >"$dir/wine.log"
reg delete 'HKLM\SOFTWARE\VEXMAR' /f || true
reg delete 'HKCU\SOFTWARE\VEXMAR' /f || true
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
reg add "$product\\Lotus Notes" /v HostName /d 127.0.0.1 /f
reg add "$product" /v "TRACE FILE" /d "$(winpath "$dir/trace.log")" /f
trace_to_file() { reg add "$product" /v "TRACE TO FILE" /t REG_DWORD /d "$1" /f; }
trace_to_file 0

unset TARNHOOK_LOG TARNHOOK_SCRIPT TARNHOOK_ADDRESSBOOK 2>/dev/null || true
TARNHOOK_RECORD_COUNT=$(winpath "$dir/count.txt")
export TARNHOOK_RECORD_COUNT

# The logon figures. logon_family FAMILY SIZE: starts the family's server, runs the three
# logons and appends their rows to $dir/logon.txt.
logon_table=$dir/logon.txt
: >"$logon_table"
policy='HKLM\SOFTWARE\Policies\VEXMAR\Voxtarion\Varnel Desktop\Lotus Notes'
logon_run() {
    what=$1
    before=$(cat "$dir/logon/counts.txt" 2>/dev/null || echo "0 0 0")
    start=$(date +%s%N)
    (cd "$logon_program" && "$logon_loader" ./TARNBOOK.exe >"$dir/out" 2>&1) ||
        { echo "TARNBOOK.exe ended with $? ($family, $what)"; }
    end=$(date +%s%N)
    # The relay writes its totals once the connection has ended.
    i=0
    while [ "$(cat "$dir/logon/counts.txt" 2>/dev/null || echo "0 0 0")" = "$before" ] && [ $i -lt 50 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    after=$(cat "$dir/logon/counts.txt" 2>/dev/null || echo "0 0 0")
    set -- $before $after
    printf '| %s | %s | %s | %s | %s | %s | %.1f |\n' "$family" "$logon_entries" "$what" \
        "$(($4 - $1))" "$(($5 - $2))" "$(tr -d '\r\n' <"$dir/count.txt" 2>/dev/null || echo -)" \
        "$(awk -v ns=$((end - start)) 'BEGIN { print ns / 1e9 }')" | tee -a "$logon_table"
    rm -f "$dir/count.txt"
}
logon_family() {
    family=$1 size=$2
    case $family in
    slapd)
        BENCH_SLAPD_OPTIONS="--syncprov --writable" "$src/tools/bench/directory.sh" start \
            "$dir/logon/slapd" "$size" ||
            { echo "== $family left out: its server did not start"; return 0; }
        server_port=$(cat "$dir/logon/slapd/port") base=ou=p$size,dc=bench,dc=test
        person="cn=Person 1,$base" admin=cn=admin,dc=bench,dc=test secret=secret
        ;;
    dirsrv)
        TARN_DIRSRV_PEOPLE=$size TARN_DIRSRV_SIZELIMIT=-1 "$fixtures/dirsrv.sh" start "$dir/logon" ||
            { echo "== $family left out: its server did not start"; return 0; }
        server_port=$(sed -n 's/^dirsrv.port=//p' "$dir/logon/dirsrv/testbed.txt")
        base=dc=tarn,dc=test person="cn=DS Person 1,ou=People,dc=tarn,dc=test"
        admin="cn=Directory Manager" secret=tarn-dirsrv-manager
        ;;
    samba)
        TARN_SAMBA_PEOPLE=$size "$fixtures/samba-ad.sh" start "$dir/logon" ||
            { echo "== $family left out: its server did not start"; return 0; }
        server_port=389 base=OU=People,DC=tarn,DC=test person="CN=Person 1,$base"
        admin=Administrator@tarn.test secret=Tarn-Test-2026
        ;;
    esac
    logon_entries=$size
    rm -f "$dir/logon/counts.txt" "$dir/logon/relay.out"
    (cd "$logon_program" && exec "$logon_loader" ./bench_relay.exe "$server_port" \
        "$(winpath "$dir/logon/counts.txt")" >"$dir/logon/relay.out" 2>&1) &
    relay_pid=$!
    i=0
    while ! grep -q '^port' "$dir/logon/relay.out" 2>/dev/null && [ $i -lt 200 ]; do
        sleep 0.05
        i=$((i + 1))
    done
    relay_port=$(sed -n 's/^port \([0-9]*\).*/\1/p' "$dir/logon/relay.out")
    reg add "$product\\Lotus Notes" /v PortNumber /d "$relay_port" /f
    reg add "$product\\Lotus Notes" /v SearchBase /d "$base" /f
    reg add "$policy" /v Refresh /d changed /f
    if [ "$family" = samba ]; then
        # An ordinary account: anonymous readers may not count the domain's entries.
        reg add "$product\\Lotus Notes" /v BindMethod /d simple /f
        reg add "$product\\Lotus Notes" /v BindUser /d tarnreader@tarn.test /f
        reg add "$product\\Lotus Notes" /v AllowClearTextBind /d 1 /f
        printf 'Reader-Bind-4821\n' | (cd "$logon_program" &&
            "$logon_loader" ./TARNBOOK.exe /setbindpassword >>"$dir/wine.log" 2>&1)
    fi
    logon_run "whole refresh"
    logon_run "unchanged logon"
    printf 'dn: %s\nchangetype: modify\nreplace: telephoneNumber\ntelephoneNumber: +1 555 0999\n' \
        "$person" | ldapmodify -x -H "ldap://127.0.0.1:$server_port/" -D "$admin" -w "$secret" \
        >>"$dir/wine.log" 2>&1
    logon_run "one entry changed"
    kill "$relay_pid" 2>/dev/null || true
    wait "$relay_pid" 2>/dev/null || true
    relay_pid=
    for name in BindMethod BindUser AllowClearTextBind BindPassword; do
        reg delete "$product\\Lotus Notes" /v "$name" /f || true
    done
    case $family in
    slapd) "$src/tools/bench/directory.sh" stop "$dir/logon/slapd" ;;
    dirsrv) "$fixtures/dirsrv.sh" stop "$dir/logon" ;;
    samba) "$fixtures/samba-ad.sh" stop "$dir/logon" ;;
    esac
}
if [ -n "$logon_families" ]; then
    logon_platform=$(echo $platforms | cut -d' ' -f1)
    logon_bin=$src/build/$logon_platform/bin
    logon_program=$dir/logon/program
    case $logon_platform in
    win64) logon_loader=$tarn_wine64 ;;
    *) logon_loader=$tarn_wine32 ;;
    esac
    [ -x "$logon_loader" ] || logon_loader=$WINE
    mkdir -p "$dir/logon"
    "$fixtures/notes-install.sh" "$dir" "$dir/logon/notes" "$logon_bin" "CN=Mail01/O=Bench"
    rm -rf "$logon_program"
    mkdir -p "$logon_program"
    cp "$logon_bin/TARNBOOK.exe" "$logon_bin/tarnlang.dll" "$logon_bin/tarnhook.dll" \
        "$logon_bin/bench_relay.exe" "$logon_program/"
    for family in $logon_families; do
        logon_size_of=$logon_size
        [ "$family" = samba ] && logon_size_of=$logon_samba_size
        echo "== logon figures: $family, $logon_size_of entries ($logon_platform)"
        logon_family "$family" "$logon_size_of"
    done
    reg delete "$policy" /v Refresh /f || true
fi

: >"$dir/publish.txt"
if [ -n "$publish_sizes" ]; then
    . "$src/tools/bench/publish.sh"
    for platform in $platforms; do
        for size in $publish_sizes; do publish_figures "$platform" "$size"; done
    done
fi

[ "$table_runs" != 0 ] || platforms=
if [ -n "$platforms" ]; then
    echo "== directory server (generating and loading on first use of these sizes)"
    unique=$(printf '%s\n' $sizes | sort -n -u | tr '\n' ' ')
    "$src/tools/bench/directory.sh" start "$dir/slapd" $unique
    port=$(cat "$dir/slapd/port")
    reg add "$product\\Lotus Notes" /v PortNumber /d "$port" /f
fi

# CPU ticks the wineserver has used so far.
server_pid=$(cat "$dir/wineserver.pid")
ticks_per_second=$(getconf CLK_TCK)
server_ticks() { awk '{ print $14 + $15 }' "/proc/$server_pid/stat" 2>/dev/null || echo 0; }

# records NAME: the records the last run of NAME wrote, from its output or the bridge's count.
records() {
    case $1 in
    fetch*) sed -n 's/^records //p' "$dir/out" | tr -d '\r' ;;
    *) tr -d '\r\n' <"$dir/count.txt" 2>/dev/null || echo "?" ;;
    esac
}

# timed NAME PROGRAM [ARGS...]: runs a program under Wine in the program folder and appends
# "<ms> <peak KiB> <records> <CPU ms of the program and the wineserver>" to $dir/runs/NAME.
timed() {
    name=$1
    shift
    rm -f "$dir/count.txt" "$dir/trace.log"
    server_before=$(server_ticks)
    start=$(date +%s%N)
    (cd "$program" && /usr/bin/time -f '%M %U %S' -o "$dir/peak" "$loader" "$@" >"$dir/out" 2>&1) ||
        { echo "$name failed:"; cat "$dir/out"; exit 1; }
    end=$(date +%s%N)
    server_after=$(server_ticks)
    tr -d '\r' <"$dir/out" >>"$dir/runs/$name.out"
    got=$(records "$name")
    set -- $(tail -n 1 "$dir/peak")
    cpu=$(awk -v u="$2" -v s="$3" -v t=$((server_after - server_before)) -v hz="$ticks_per_second" \
        'BEGIN { printf "%d", (u + s) * 1000 + t * 1000 / hz }')
    echo "$(((end - start) / 1000000)) $1 $got $cpu" >>"$dir/runs/$name"
}

# The Wine-server requests of single runs: a wineserver started with -d1 logs every request,
# and tools/bench/requests.awk reads that log as it is written and counts the requests of each
# process. counting_start puts it in place of the prefix's server, counting_stop brings that
# back; counted NAME PROGRAM [ARGS...] runs a program once under it and notes its pid.
counting_start() {
    "$fixtures/wine-prefix.sh" stop "$dir" >/dev/null 2>&1 || true
    rm -f "$dir/requests.fifo" "$dir/counted"
    mkfifo "$dir/requests.fifo"
    awk -f "$src/tools/bench/requests.awk" <"$dir/requests.fifo" >"$dir/requests.txt" &
    awk_pid=$!
    wineserver -f -p -d1 2>"$dir/requests.fifo" >/dev/null &
    echo $! >"$dir/wineserver.pid"
    i=0
    while [ ! -S "$(wine_server_socket)" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    # The first program of a new server waits for the prefix's services to start.
    (cd "$program" && "$loader" ./bench_fetch.exe 127.0.0.1 "$port" "$first" >/dev/null 2>&1) || true
}
counting_stop() {
    "$fixtures/wine-prefix.sh" stop "$dir" >/dev/null 2>&1 || true
    wait "$awk_pid" || true
    awk_pid=
    rm -f "$dir/requests.fifo"
    "$fixtures/wine-prefix.sh" start "$dir" >/dev/null
    server_pid=$(cat "$dir/wineserver.pid")
}
counted() {
    name=$1
    shift
    rm -f "$dir/count.txt" "$dir/trace.log"
    (cd "$program" && exec sh -c 'echo "$$" >"$0"; exec "$@"' "$dir/pid" "$loader" "$@" \
        >"$dir/out" 2>&1) || { echo "$name failed (counting requests):"; cat "$dir/out"; exit 1; }
    echo "$name $(cat "$dir/pid")" >>"$dir/counted"
}
# requests NAME: the number of requests of the counted run of NAME; kinds NAME: its ten most
# frequent kinds of request.
requests() {
    pid=$(awk -v n="$1" '$1 == n { print $2 }' "$dir/counted")
    awk -v p="$pid" 'NF == 2 && $1 == p { print $2 }' "$dir/requests.txt"
}
kinds() {
    pid=$(awk -v n="$1" '$1 == n { print $2 }' "$dir/counted")
    awk -v p="$pid" 'NF == 3 && $1 == p { print $2, $3 }' "$dir/requests.txt" | sort -rn |
        head -n 10
}

start_viewer() {
    rm -f "$dir/viewer.out"
    (cd "$program" && exec "$loader" ./bench_viewer.exe >"$dir/viewer.out" 2>&1) &
    viewer_pid=$!
    i=0
    while ! grep -q ready "$dir/viewer.out" 2>/dev/null && [ $i -lt 200 ]; do
        sleep 0.05
        i=$((i + 1))
    done
}
stop_viewer() {
    kill "$viewer_pid" 2>/dev/null || true
    wait "$viewer_pid" 2>/dev/null || true
    viewer_pid=
}

book_run() {
    variant=$1
    case $variant in
    viewer)
        start_viewer
        timed "$variant" ./TARNBOOK.exe
        stop_viewer
        ;;
    file)
        trace_to_file 1
        timed "$variant" ./TARNBOOK.exe
        lines=$(wc -l <"$dir/trace.log" 2>/dev/null || echo 0)
        echo "$lines" >>"$dir/runs/file-lines"
        trace_to_file 0
        ;;
    before) timed "$variant" ./TARNBOOK_before.exe ;;
    *) timed "$variant" ./TARNBOOK.exe ;;
    esac
}

# stats FILE: "min median" of the first column; "- -" where nothing ran.
stats() {
    sort -n "$1" | awk '{ v[NR] = $1 }
        END { if (NR == 0) print "- -"; else printf "%d %d", v[1], v[int((NR + 1) / 2)] }'
}
column() { awk -v c="$2" '{ print $c }' "$1" | sort -n | tail -n 1; }
median() { awk -v c="$2" '{ print $c }' "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b + 0 == 0) print "-"; else printf "%.2f", a / b }'; }

table=$dir/table.txt
: >"$table"
: >"$dir/trace-cost.txt"
: >"$dir/kinds.txt"

for platform in $platforms; do
    bin=$src/build/$platform/bin
    case $platform in
    win64) loader=$tarn_wine64 ;;
    win32) loader=$tarn_wine32 ;;
    esac
    [ -x "$loader" ] || loader=$WINE
    tarnbook=$(of_platform "$platform" ${BENCH_TARNBOOK:-})
    tarnbook=${tarnbook:-$bin/TARNBOOK.exe}
    before=$(of_platform "$platform" ${BENCH_BEFORE:-})
    platform_variants=
    for variant in $variants; do
        if [ "$variant" = before ] && [ -z "$before" ]; then
            echo "== $platform: no TARNBOOK.exe of this platform in BENCH_BEFORE, \"before\" left out"
            continue
        fi
        platform_variants="$platform_variants $variant"
    done

    # The stand-in Notes installation and the programs of this platform.
    notes=$dir/$platform/notes
    program=$dir/$platform/program
    "$fixtures/notes-install.sh" "$dir" "$notes" "$bin" "CN=Mail01/O=Bench"
    rm -rf "$program"
    mkdir -p "$program"
    cp "$tarnbook" "$program/TARNBOOK.exe"
    if [ -n "$before" ]; then cp "$before" "$program/TARNBOOK_before.exe"; fi
    cp "$bin/tarnlang.dll" "$bin/tarnhook.dll" "$bin/bench_fetch.exe" "$bin/bench_viewer.exe" \
        "$bin/bench_trace_cost.exe" "$program/"

    {
        echo
        echo "$platform ($(basename "$loader") loader)"
        printf '| entries | fetch min / median ms | TARNBOOK min / median ms | ratio |'
        for variant in $platform_variants; do
            [ "$variant" = book ] || printf ' %s ratio |' "$variant"
        done
        printf ' peak KiB fetch / TARNBOOK | records fetch / TARNBOOK | CPU ms fetch / TARNBOOK | CPU ratio | requests fetch / TARNBOOK | request ratio |\n'
        printf '|---|---|---|---|'
        for variant in $platform_variants; do [ "$variant" = book ] || printf -- '---|'; done
        printf -- '---|---|---|---|---|---|\n'
    } >>"$table"

    # One untimed run first: the prefix's first programs start slower than the rest.
    first=ou=p$(echo $unique | cut -d' ' -f1),dc=bench,dc=test
    reg add "$product\\Lotus Notes" /v SearchBase /d "$first" /f
    if [ "$fetch_runs" != 0 ]; then
        (cd "$program" && "$loader" ./bench_fetch.exe 127.0.0.1 "$port" "$first" >/dev/null 2>&1) || true
    fi

    for size in $sizes; do
        base=ou=p$size,dc=bench,dc=test
        reg add "$product\\Lotus Notes" /v SearchBase /d "$base" /f
        rm -rf "$dir/runs"
        mkdir -p "$dir/runs"
        : >"$dir/runs/fetch"
        echo "== $platform, $size entries, $reps repetitions"
        rep=0
        while [ $rep -lt "$reps" ]; do
            rep=$((rep + 1))
            [ "$fetch_runs" = 0 ] || timed fetch ./bench_fetch.exe 127.0.0.1 "$port" "$base"
            for variant in $platform_variants; do book_run "$variant"; done
        done
        main=$(echo $platform_variants | cut -d' ' -f1)
        fetch_requests= book_requests=
        if [ "$size" -le "$count_up_to" ]; then
            counting_start
            counted fetch ./bench_fetch.exe 127.0.0.1 "$port" "$base"
            case $main in
            before) counted "$main" ./TARNBOOK_before.exe ;;
            *) counted "$main" ./TARNBOOK.exe ;;
            esac
            # The program measured as "before" too, so that a change's requests are compared
            # in one run.
            case " $platform_variants " in
            *" before "*) [ "$main" = before ] || counted before ./TARNBOOK_before.exe ;;
            esac
            counting_stop
            fetch_requests=$(requests fetch)
            book_requests=$(requests "$main")
            {
                echo "$platform, $size entries: the most frequent Wine-server requests, fetch | TARNBOOK"
                kinds fetch >"$dir/runs/fetch.kinds"
                kinds "$main" >"$dir/runs/$main.kinds"
                paste -d'|' "$dir/runs/fetch.kinds" "$dir/runs/$main.kinds" |
                    awk -F'|' '{ printf "  %-34s | %s\n", $1, $2 }'
                if [ "$main" != before ] && grep -q '^before ' "$dir/counted"; then
                    echo "$platform, $size entries: the same of TARNBOOK before | TARNBOOK"
                    kinds before >"$dir/runs/before.kinds"
                    paste -d'|' "$dir/runs/before.kinds" "$dir/runs/$main.kinds" |
                        awk -F'|' '{ printf "  %-34s | %s\n", $1, $2 }'
                fi
            } >>"$dir/kinds.txt"
        fi
        set -- $(stats "$dir/runs/fetch")
        fetch_min=$1 fetch_median=$2
        set -- $(stats "$dir/runs/$main")
        book_min=$1 book_median=$2
        {
            printf '| %s | %s / %s | %s / %s | %s |' "$size" "$fetch_min" "$fetch_median" \
                "$book_min" "$book_median" "$(ratio "$book_median" "$fetch_median")"
            for variant in $platform_variants; do
                [ "$variant" = "$main" ] && continue
                set -- $(stats "$dir/runs/$variant")
                printf ' %s (CPU %s' "$(ratio "$2" "$fetch_median")" \
                    "$(ratio "$(median "$dir/runs/$variant" 4)" "$(median "$dir/runs/fetch" 4)")"
                if [ "$variant" = before ] && [ -n "$fetch_requests" ]; then
                    printf ', requests %s' "$(requests before)"
                fi
                printf ') |'
            done
            fetch_cpu=$(median "$dir/runs/fetch" 4) book_cpu=$(median "$dir/runs/$main" 4)
            printf ' %s / %s | %s / %s | %s / %s | %s | %s / %s | %s |\n' \
                "$(column "$dir/runs/fetch" 2)" "$(column "$dir/runs/$main" 2)" \
                "$(column "$dir/runs/fetch" 3)" "$(column "$dir/runs/$main" 3)" \
                "$fetch_cpu" "$book_cpu" "$(ratio "$book_cpu" "$fetch_cpu")" \
                "${fetch_requests:--}" "${book_requests:--}" \
                "$(ratio "$book_requests" "$fetch_requests")"
        } >>"$table"
        tail -n 1 "$table"
    done

    # What one trace line costs on its own, 2000 lines each.
    trace_cost() { (cd "$program" && "$loader" ./bench_trace_cost.exe 2000 2>&1 | tr -d '\r'); }
    {
        echo "$platform"
        printf 'trace line, no viewer, no file: %s\n' "$(trace_cost)"
        start_viewer
        printf 'trace line, viewer listening:   %s\n' "$(trace_cost)"
        stop_viewer
        trace_to_file 1
        printf 'trace line, trace file:         %s\n' "$(trace_cost)"
        trace_to_file 0
        if [ -f "$dir/runs/file-lines" ]; then
            echo "trace file lines in the last size's file runs: $(tail -n 1 "$dir/runs/file-lines")"
        fi
    } >>"$dir/trace-cost.txt"
done

if [ -s "$logon_table" ]; then
    echo "== logon figures (Refresh changed; bytes and entries the server sent, records the run wrote)"
    echo "| server | entries | logon | bytes sent | entries returned | records written | time s |"
    echo "|---|---|---|---|---|---|---|"
    cat "$logon_table"
    echo
fi
if [ -s "$dir/publish.txt" ]; then
    echo "== the published book (bytes the directory server sent, bytes read from the folder)"
    echo "| build | run | time s | bytes from the directory | bytes from the folder | exit | records |"
    echo "|---|---|---|---|---|---|---|"
    cat "$dir/publish.txt"
    echo
fi
[ -n "$platforms" ] || exit 0
echo "== results (median of $reps; ratios are TARNBOOK's median over the fetch's, per platform)"
cat "$table"
echo
cat "$dir/trace-cost.txt"
if [ -s "$dir/kinds.txt" ]; then
    echo
    cat "$dir/kinds.txt"
fi
