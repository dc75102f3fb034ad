#!/bin/sh
# bench.sh [SIZE...]: how the download's cost compares with the directory work alone.
# Builds the win64 programs, starts a private slapd with generated directories of SIZE people
# each (default 1000 10000 65535 100000; about one in ten has a digits-only mail value), and
# runs for each size, alternating, in one Wine prefix:
#   fetch   tools/bench/fetch.cpp: bind, the same search and the walk with the four value
#           look-ups per entry, nothing else
#   book    TARNBOOK.exe in silent mode into the stand-in bridge, which only counts records
#   viewer  the same with a trace viewer listening (tools/bench/viewer.cpp)
#   file    the same with tracing to a file
# Prints min and median wall time, peak memory of the Wine process, records written, the
# ratio of each variant's median to the fetch's, and the median CPU time of the program and of
# the wineserver that works for it, which a machine shared with others disturbs less. Everything it starts is stopped by its pid.
#   BENCH_REPS       repetitions of each run (default 3)
#   BENCH_VARIANTS   which TARNBOOK runs (default "book viewer file")
#   BENCH_TARNBOOK   the TARNBOOK.exe to measure (default: the win64 build's)
#   BENCH_BEFORE     another TARNBOOK.exe, measured as variant "before" (for a change's effect)
#   BENCH_DIR        the folder of the run (default build/bench)
set -eu
cd "$(dirname "$0")/.."
src=$(pwd)
fixtures=$src/tests/fixtures
dir=${BENCH_DIR:-$src/build/bench}
bin=$src/build/win64/bin
reps=${BENCH_REPS:-3}
variants=${BENCH_VARIANTS:-book viewer file}
sizes=${*:-1000 10000 65535 100000}
mkdir -p "$dir"
. "$fixtures/wine-env.sh"

viewer_pid=
cleanup() {
    if [ -n "$viewer_pid" ]; then kill "$viewer_pid" 2>/dev/null || true; fi
    "$src/tools/bench/directory.sh" stop "$dir/slapd" || true
    "$fixtures/wine-prefix.sh" stop "$dir" >/dev/null 2>&1 || true
    "$fixtures/xvfb.sh" stop "$dir" >/dev/null 2>&1 || true
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

echo "== building (log: $dir/build.log)"
if ! { cmake --preset win64 && cmake --build --preset win64 -j2 --target TARNBOOK tarnhook \
    tarnlang nnotes bench_fetch bench_viewer bench_trace_cost; } >"$dir/build.log" 2>&1; then
    tail -n 30 "$dir/build.log"
    exit 1
fi
tarnbook=${BENCH_TARNBOOK:-$bin/TARNBOOK.exe}

echo "== directory server (generating and loading on first use of these sizes)"
unique=$(printf '%s\n' $sizes | sort -n -u | tr '\n' ' ')
"$src/tools/bench/directory.sh" start "$dir/slapd" $unique
port=$(cat "$dir/slapd/port")

"$fixtures/xvfb.sh" start "$dir" >/dev/null
. "$fixtures/wine-env.sh"
# The 64-bit programs are started by the 64-bit loader itself: the 32-bit one hands them on
# to a process of their own, whose time and memory would then go unmeasured.
if [ -x "$tarn_wine64" ]; then WINE=$tarn_wine64; fi
"$fixtures/wine-prefix.sh" start "$dir" >/dev/null

product='HKCU\SOFTWARE\VEXMAR\Voxtarion\Varnel Desktop'
reg() { "$WINE" reg "$@" >>"$dir/wine.log" 2>&1; }
: >"$dir/wine.log"
reg delete 'HKLM\SOFTWARE\VEXMAR' /f || true
reg delete 'HKCU\SOFTWARE\VEXMAR' /f || true

notes=$dir/notes
program=$dir/program
"$fixtures/notes-install.sh" "$dir" "$notes" "$bin" "CN=Mail01/O=Bench"
rm -rf "$program"
mkdir -p "$program"
cp "$tarnbook" "$program/TARNBOOK.exe"
if [ -n "${BENCH_BEFORE:-}" ]; then cp "$BENCH_BEFORE" "$program/TARNBOOK_before.exe"; fi
cp "$bin/tarnlang.dll" "$bin/tarnhook.dll" "$bin/bench_fetch.exe" "$bin/bench_viewer.exe" \
    "$bin/bench_trace_cost.exe" "$program/"
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
reg add "$product\\Lotus Notes" /v HostName /d 127.0.0.1 /f
reg add "$product\\Lotus Notes" /v PortNumber /d "$port" /f
reg add "$product" /v "TRACE FILE" /d "$(winpath "$dir/trace.log")" /f
trace_to_file() { reg add "$product" /v "TRACE TO FILE" /t REG_DWORD /d "$1" /f; }
trace_to_file 0

unset TARNHOOK_LOG TARNHOOK_SCRIPT TARNHOOK_ADDRESSBOOK 2>/dev/null || true
TARNHOOK_RECORD_COUNT=$(winpath "$dir/count.txt")
export TARNHOOK_RECORD_COUNT

# CPU ticks the wineserver has used so far.
server_pid=$(cat "$dir/wineserver.pid")
ticks_per_second=$(getconf CLK_TCK)
server_ticks() { awk '{ print $14 + $15 }' "/proc/$server_pid/stat" 2>/dev/null || echo 0; }

# timed NAME PROGRAM [ARGS...]: runs a program under Wine in the program folder and appends
# "<ms> <peak KiB> <records> <CPU ms of the program and the wineserver>" to $dir/runs/NAME.
timed() {
    name=$1
    shift
    rm -f "$dir/count.txt" "$dir/trace.log"
    server_before=$(server_ticks)
    start=$(date +%s%N)
    (cd "$program" && /usr/bin/time -f '%M %U %S' -o "$dir/peak" "$WINE" "$@" >"$dir/out" 2>&1) ||
        { echo "$name failed:"; cat "$dir/out"; exit 1; }
    end=$(date +%s%N)
    server_after=$(server_ticks)
    tr -d '\r' <"$dir/out" >>"$dir/runs/$name.out"
    case $name in
    fetch*) records=$(sed -n 's/^records //p' "$dir/out" | tr -d '\r') ;;
    *) records=$(tr -d '\r\n' <"$dir/count.txt" 2>/dev/null || echo "?") ;;
    esac
    set -- $(tail -n 1 "$dir/peak")
    cpu=$(awk -v u="$2" -v s="$3" -v t=$((server_after - server_before)) -v hz="$ticks_per_second" \
        'BEGIN { printf "%d", (u + s) * 1000 + t * 1000 / hz }')
    echo "$(((end - start) / 1000000)) $1 $records $cpu" >>"$dir/runs/$name"
}

start_viewer() {
    rm -f "$dir/viewer.out"
    (cd "$program" && exec "$WINE" ./bench_viewer.exe >"$dir/viewer.out" 2>&1) &
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

# stats FILE: "min median" of the first column.
stats() {
    sort -n "$1" | awk '{ v[NR] = $1 } END { printf "%d %d", v[1], v[int((NR + 1) / 2)] }'
}
column() { awk -v c="$2" '{ print $c }' "$1" | sort -n | tail -n 1; }
median() { awk -v c="$2" '{ print $c }' "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

table=$dir/table.txt
{
    printf '| entries | fetch min / median ms | TARNBOOK min / median ms | ratio |'
    for variant in $variants; do
        [ "$variant" = book ] || printf ' %s ratio |' "$variant"
    done
    printf ' peak KiB fetch / TARNBOOK | records fetch / TARNBOOK | CPU ms fetch / TARNBOOK | CPU ratio |\n'
    printf '|---|---|---|---|'
    for variant in $variants; do [ "$variant" = book ] || printf -- '---|'; done
    printf -- '---|---|---|---|\n'
} >"$table"

# One untimed run first: the prefix's first programs start slower than the rest.
reg add "$product\\Lotus Notes" /v SearchBase /d "ou=p$(echo $unique | cut -d' ' -f1),dc=bench,dc=test" /f
(cd "$program" && "$WINE" ./bench_fetch.exe 127.0.0.1 "$port" \
    "ou=p$(echo $unique | cut -d' ' -f1),dc=bench,dc=test" >/dev/null 2>&1) || true

for size in $sizes; do
    base=ou=p$size,dc=bench,dc=test
    reg add "$product\\Lotus Notes" /v SearchBase /d "$base" /f
    rm -rf "$dir/runs"
    mkdir -p "$dir/runs"
    echo "== $size entries, $reps repetitions"
    rep=0
    while [ $rep -lt "$reps" ]; do
        rep=$((rep + 1))
        timed fetch ./bench_fetch.exe 127.0.0.1 "$port" "$base"
        for variant in $variants; do book_run "$variant"; done
    done
    set -- $(stats "$dir/runs/fetch")
    fetch_min=$1 fetch_median=$2
    main=$(echo $variants | cut -d' ' -f1)
    set -- $(stats "$dir/runs/$main")
    book_min=$1 book_median=$2
    {
        printf '| %s | %s / %s | %s / %s | %s |' "$size" "$fetch_min" "$fetch_median" \
            "$book_min" "$book_median" \
            "$(awk -v a="$book_median" -v b="$fetch_median" 'BEGIN { printf "%.2f", a / b }')"
        for variant in $variants; do
            [ "$variant" = "$main" ] && continue
            set -- $(stats "$dir/runs/$variant")
            printf ' %s (CPU %s) |' \
                "$(awk -v a="$2" -v b="$fetch_median" 'BEGIN { printf "%.2f", a / b }')" \
                "$(awk -v a="$(median "$dir/runs/$variant" 4)" -v b="$(median "$dir/runs/fetch" 4)" \
                    'BEGIN { printf "%.2f", a / b }')"
        done
        fetch_cpu=$(median "$dir/runs/fetch" 4) book_cpu=$(median "$dir/runs/$main" 4)
        printf ' %s / %s | %s / %s | %s / %s | %s |\n' "$(column "$dir/runs/fetch" 2)" \
            "$(column "$dir/runs/$main" 2)" "$(column "$dir/runs/fetch" 3)" \
            "$(column "$dir/runs/$main" 3)" "$fetch_cpu" "$book_cpu" \
            "$(awk -v a="$book_cpu" -v b="$fetch_cpu" 'BEGIN { printf "%.2f", a / b }')"
    } >>"$table"
    tail -n 1 "$table"
done

# What one trace line costs on its own, 2000 lines each.
trace_cost() { (cd "$program" && "$WINE" ./bench_trace_cost.exe 2000 2>&1 | tr -d '\r'); }
{
    printf 'trace line, no viewer, no file: %s\n' "$(trace_cost)"
    start_viewer
    printf 'trace line, viewer listening:   %s\n' "$(trace_cost)"
    stop_viewer
    trace_to_file 1
    printf 'trace line, trace file:         %s\n' "$(trace_cost)"
    trace_to_file 0
} >"$dir/trace-cost.txt"

echo "== results (median of $reps; ratios are TARNBOOK's median over the fetch's)"
cat "$table"
cat "$dir/trace-cost.txt"
if [ -f "$dir/runs/file-lines" ]; then
    echo "trace file lines in the last size's file runs: $(tail -n 1 "$dir/runs/file-lines")"
fi
