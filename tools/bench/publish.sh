# Sourced by tools/bench.sh: the published book's figures. publish_figures PLATFORM SIZE runs,
# with PLATFORM's programs against a private slapd (syncprov, writable) of SIZE people behind
# the relay, and appends a row per run to $dir/publish.txt:
#   download        TARNBOOK.exe in silent mode without BookSource: the whole download
#   publish         TARNBOOK.exe -publish FOLDER, the first version
#   publish again   the same over an unchanged directory
#   desktop (c)     a desktop with BookSource and no local copy of this publication: the snapshot
#   desktop (a)     the same desktop again: an unchanged version
#   publish (20)    the publisher after 20 changes (adds, a changed phone, a deletion, a move out
#                   of the base, an entry that stops matching the filter)
#   desktop (b)     the desktop one version behind
# Each row: time, the bytes the directory server sent (the relay), the bytes a run of the same
# case read from the folder (every read of a file in it, counted by strace in a run of its own),
# the exit status and the records written.

# publish_bytes FOLDER COMMAND...: runs COMMAND under strace and prints the bytes read from
# files below FOLDER (a Linux path).
publish_bytes() {
    folder=$1
    shift
    strace -f -qq -y -e trace=read,pread64,readv,preadv -e signal=none -o "$dir/strace.txt" "$@" \
        >/dev/null 2>&1 || true
    awk -v folder="$folder/" '
        { line = $0; at = index(line, "<" folder) }
        at > 0 && match(line, /= [0-9]+$/) { sum += substr(line, RSTART + 2) }
        END { printf "%d", sum }' "$dir/strace.txt"
    rm -f "$dir/strace.txt"
}

# publish_row WHAT [ARGS...]: one timed run of TARNBOOK.exe ARGS through the relay; the row's
# bytes read from the folder are row_bytes, counted beforehand in a run of the same case.
publish_row() {
    what=$1
    shift
    rm -f "$dir/count.txt"
    before=$(cat "$dir/publish/counts.txt" 2>/dev/null || echo "0 0 0")
    start=$(date +%s%N)
    status=0
    (cd "$publish_program" && "$publish_loader" ./TARNBOOK.exe "$@" >"$dir/out" 2>&1) || status=$?
    end=$(date +%s%N)
    records=-
    [ -f "$dir/count.txt" ] && records=$(tr -d '\r\n' <"$dir/count.txt")
    # The relay writes its totals once a connection has ended; a run without one leaves them.
    i=0
    while [ "$(cat "$dir/publish/counts.txt" 2>/dev/null || echo "0 0 0")" = "$before" ] &&
        [ $i -lt 20 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    after=$(cat "$dir/publish/counts.txt" 2>/dev/null || echo "0 0 0")
    set -- $before $after
    printf '| %s | %s | %.1f | %s | %s | %s | %s |\n' "$publish_platform" "$what" \
        "$(awk -v ns=$((end - start)) 'BEGIN { print ns / 1e9 }')" "$(($4 - $1))" \
        "${row_bytes:--}" "$status" "$records" | tee -a "$dir/publish.txt"
    row_bytes=
}

# desktop_bytes FOLDER: the bytes a silent desktop run with BookSource FOLDER reads from it.
desktop_bytes() {
    reg add "$product\\Lotus Notes" /v BookSource /d "$(winpath "$1")" /f
    (cd "$publish_program" && publish_bytes "$1" "$publish_loader" ./TARNBOOK.exe)
}
use_source() {
    if [ -n "$1" ]; then
        reg add "$product\\Lotus Notes" /v BookSource /d "$(winpath "$1")" /f
    else
        reg delete "$product\\Lotus Notes" /v BookSource /f || true
    fi
}

# publish_changes N: N changes to the directory as in the issue's list, by the directory's
# administrator; the Nth round uses fresh names.
publish_changes() {
    round=$1 base=$publish_base
    {
        i=0
        while [ $i -lt 16 ]; do
            i=$((i + 1))
            printf 'dn: cn=New %s-%s,%s\nchangetype: add\nobjectClass: inetOrgPerson\ncn: New %s-%s\nsn: New%s\nmail: new%s.%s@bench.test\n\n' \
                "$round" "$i" "$base" "$round" "$i" "$i" "$round" "$i"
        done
        printf 'dn: cn=Person %s,%s\nchangetype: modify\nreplace: telephoneNumber\ntelephoneNumber: +1 555 9%06d\n\n' \
            $((round * 10 + 1)) "$base" "$round"
        printf 'dn: cn=Person %s,%s\nchangetype: delete\n\n' $((round * 10 + 2)) "$base"
        printf 'dn: cn=Person %s,%s\nchangetype: modrdn\nnewrdn: cn=Person %s\ndeleteoldrdn: 1\nnewsuperior: dc=bench,dc=test\n\n' \
            $((round * 10 + 3)) "$base" $((round * 10 + 3))
        # The filter asks for a mail value: an entry without one stops matching it.
        printf 'dn: cn=Person %s,%s\nchangetype: modify\ndelete: mail\n\n' $((round * 10 + 4)) "$base"
    } | ldapmodify -x -H "ldap://127.0.0.1:$publish_server/" -D cn=admin,dc=bench,dc=test \
        -w secret >>"$dir/wine.log" 2>&1
}

publish_figures() {
    publish_platform=$1 publish_size=$2
    bin=$src/build/$publish_platform/bin
    case $publish_platform in
    win64) publish_loader=$tarn_wine64 ;;
    *) publish_loader=$tarn_wine32 ;;
    esac
    [ -x "$publish_loader" ] || publish_loader=$WINE
    publish_program=$dir/publish/$publish_platform/program
    notes=$dir/publish/$publish_platform/notes
    rm -rf "$dir/publish/$publish_platform"
    mkdir -p "$publish_program"
    "$fixtures/notes-install.sh" "$dir" "$notes" "$bin" "CN=Mail01/O=Bench"
    cp "$bin/TARNBOOK.exe" "$bin/tarnlang.dll" "$bin/tarnhook.dll" "$bin/bench_relay.exe" \
        "$publish_program/"
    BENCH_SLAPD_OPTIONS="--syncprov --writable" "$src/tools/bench/directory.sh" start \
        "$dir/publish/slapd" "$publish_size" ||
        { echo "== published book left out: its server did not start"; return 0; }
    publish_server=$(cat "$dir/publish/slapd/port")
    publish_base=ou=p$publish_size,dc=bench,dc=test
    rm -f "$dir/publish/counts.txt" "$dir/publish/relay.out"
    (cd "$publish_program" && exec "$publish_loader" ./bench_relay.exe "$publish_server" \
        "$(winpath "$dir/publish/counts.txt")" >"$dir/publish/relay.out" 2>&1) &
    relay_pid=$!
    i=0
    while ! grep -q '^port' "$dir/publish/relay.out" 2>/dev/null && [ $i -lt 200 ]; do
        sleep 0.05
        i=$((i + 1))
    done
    relay_port=$(sed -n 's/^port \([0-9]*\).*/\1/p' "$dir/publish/relay.out")
    reg add "$product\\Lotus Notes" /v PortNumber /d "$relay_port" /f
    reg add "$product\\Lotus Notes" /v SearchBase /d "$publish_base" /f
    reg add "$product\\Lotus Notes" /v SearchFilter /d '(mail=*)' /f
    reg delete "$product\\Lotus Notes" /v BookSource /f || true
    folder=$dir/publish/$publish_platform/book
    mkdir -p "$folder"

    echo "== published book: $publish_platform, $publish_size entries"
    publish_row "silent download"
    publish_row "publish: first version" -publish "$(winpath "$folder")"
    publish_row "publish: unchanged directory" -publish "$(winpath "$folder")"
    # (c): a desktop with no local copy of the publication. The count's run reads a copy of the
    # folder, so that the timed run finds no copy of this one either.
    cp -r "$folder" "$folder-copy"
    row_bytes=$(desktop_bytes "$folder-copy")
    use_source "$folder"
    publish_row "desktop (c): the snapshot"
    # (a): the same desktop again.
    row_bytes=$(desktop_bytes "$folder")
    publish_row "desktop (a): unchanged version"
    # (b): one version behind after 20 changes, twice: the first round's run counts the bytes,
    # the second's is timed.
    for round in 1 2; do
        publish_changes "$round"
        use_source ""
        publish_row "publish: after 20 changes" -publish "$(winpath "$folder")"
        if [ "$round" = 1 ]; then
            bytes_b=$(desktop_bytes "$folder")
        else
            use_source "$folder"
            row_bytes=$bytes_b
            publish_row "desktop (b): one version behind"
        fi
    done
    kill "$relay_pid" 2>/dev/null || true
    wait "$relay_pid" 2>/dev/null || true
    relay_pid=
    use_source ""
    reg delete "$product\\Lotus Notes" /v SearchFilter /f || true
    "$src/tools/bench/directory.sh" stop "$dir/publish/slapd"
}
