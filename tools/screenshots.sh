#!/bin/sh
# screenshots.sh: pictures of every window the programs show, in docs/screenshots/<window>.png.
# Builds what it needs, starts a private Xvfb display, a Wine prefix of its own and a private
# directory server (the tests' data) in build/screenshots, and runs the screenshot scenes
# (tests/screens): they put TARNBOOK, TARNSETUP and TARNTRACE, with the stand-in libraries,
# into each state and ask for a picture of the window. Each picture is a dump (xwd) of the
# window's X window, or of the display cropped to the window (ImageMagick). Everything it
# starts is stopped by its pid.
#   tools/screenshots.sh [SCENE]   SCENE: a GoogleTest filter, e.g. 'Screens.SetupMessages'
set -eu
cd "$(dirname "$0")/.."
source_dir=$(pwd)
fixtures=$source_dir/tests/fixtures
dir=$source_dir/build/screenshots
out=$source_dir/docs/screenshots
filter=${1:-Screens.*}
for tool in xwd xwininfo convert Xvfb slapd; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "screenshots: $tool is missing; run tools/install-deps.sh as root." >&2; exit 1; }
done
mkdir -p "$dir" "$out"
dir=$(cd "$dir" && pwd)
. "$fixtures/wine-env.sh"

cleanup() {
    [ -z "${scenes:-}" ] || kill "$scenes" 2>/dev/null || true
    "$fixtures/slapd.sh" stop "$dir/slapd" || true
    "$fixtures/wine-prefix.sh" stop "$dir" >/dev/null 2>&1 || true
    "$fixtures/xvfb.sh" stop "$dir" || true
}
trap cleanup EXIT
trap 'exit 130' INT HUP TERM

if [ "$TARN_WINE32" = 1 ]; then preset=win32; else preset=win64; fi
bin=$source_dir/build/$preset/bin
echo "== Building preset $preset (log: build/screenshots/build.log)"
if ! { cmake --preset "$preset" &&
    cmake --build --preset "$preset" -j "$(nproc)" --target tarn_screens; } \
    >"$dir/build.log" 2>&1; then
    tail -n 30 "$dir/build.log"
    exit 1
fi

"$fixtures/ldap-data.sh" testbed "$dir/ldap-data"
"$fixtures/slapd.sh" start "$dir/slapd" "$dir/ldap-data" >/dev/null
fact() { sed -n "s/^$1=//p" "$dir/ldap-data/bases"; }
"$fixtures/xvfb.sh" start "$dir" >/dev/null
. "$fixtures/wine-env.sh" # again, now that the display is known
"$fixtures/wine-prefix.sh" start "$dir" >/dev/null
# Wine's own fonts (fonts-wine): this Wine does not load them from its data folder by itself,
# and without Marlett the title bar buttons show as letters.
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null ||
    echo "screenshots: Wine's fonts (fonts-wine) are missing; pictures may show letters for symbols." >&2

winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
exchange=$dir/exchange
rm -rf "$exchange"
mkdir -p "$exchange"
export TARN_TESTBED_DIR="$dir" TARN_BIN_DIR="$bin" TARN_SOURCE_DIR="$source_dir"
export TARN_SHOTS_DIR="$(winpath "$exchange")" TARN_SHOTS_PORT="$(cat "$dir/slapd/port")"
export TARN_SHOTS_SLAPD_PID="$(cat "$dir/slapd/pid")"
export TARN_SHOTS_BASE_PEOPLE="$(fact base.people)" TARN_SHOTS_BASE_EMPTY="$(fact base.empty)"
export TARN_SHOTS_BASE_VOICE="$(fact base.voice)" TARN_SHOTS_BASE_LIMITED="$(fact base.limited)"

echo "== Running the scenes ($filter); pictures go to docs/screenshots"
(cd "$bin" && exec "$WINE" ./tarn_screens.exe --gtest_filter="$filter" >"$dir/scenes.log" 2>&1) &
scenes=$!
# Answers each picture request: "<name> <x> <y> <width> <height>" of the window on screen.
while kill -0 "$scenes" 2>/dev/null; do
    if [ -f "$exchange/request" ]; then
        read -r name x y w h <"$exchange/request"
        # The window's own X window, the topmost shown one with exactly its place: a message
        # box that comes right after another window of its program can stay black in a dump
        # of the whole display, although its X window holds what it drew. Without one, the
        # display cropped to the window.
        xid=
        for id in $(xwininfo -root -children -display "$DISPLAY" |
            awk -v place="${w}x${h}+${x}+${y}" 'NF > 1 && $(NF - 1) == place { print $1 }'); do
            if xwininfo -id "$id" -display "$DISPLAY" 2>/dev/null | grep -q IsViewable; then
                xid=$id
                break
            fi
        done
        tries=0
        rm -f "$exchange/last.png"
        # A window just shown may not be drawn yet: pictures are taken until two in a row are
        # the same and not of one colour.
        while :; do
            if [ -n "$xid" ]; then
                xwd -id "$xid" -silent -display "$DISPLAY" | convert xwd:- -strip \
                    -define png:exclude-chunks=date,time "$out/$name.png"
            else
                xwd -root -silent -display "$DISPLAY" |
                    convert xwd:- -crop "${w}x${h}+${x}+${y}" +repage -strip \
                        -define png:exclude-chunks=date,time "$out/$name.png"
            fi
            tries=$((tries + 1))
            [ $tries -lt 20 ] || break
            if [ "$(convert "$out/$name.png" -format '%[fx:standard_deviation>0]' info:)" = 1 ] &&
                [ -f "$exchange/last.png" ] && cmp -s "$out/$name.png" "$exchange/last.png"; then
                break
            fi
            cp "$out/$name.png" "$exchange/last.png"
            sleep 0.5
        done
        # The whole screen too, for a look at what lay around the window.
        xwd -root -silent -display "$DISPLAY" | convert xwd:- "$dir/screen-$name.png"
        echo "   $name.png (${w}x${h}+${x}+${y}${xid:+, X window $xid})"
        rm -f "$exchange/request"
        : >"$exchange/done"
    fi
    sleep 0.1
done
status=0
wait "$scenes" || status=$?
scenes=
grep -E '^\[  (FAILED|PASSED)|Failure|error' "$dir/scenes.log" || true
[ "$status" = 0 ] || echo "screenshots: some scenes failed; see build/screenshots/scenes.log" >&2
exit "$status"
