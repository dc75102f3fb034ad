#!/bin/sh
# package.sh: builds the release packages build/package/tarn-<version>-win32.zip and
# tarn-<version>-win64.zip. Each holds TARNBOOK.exe, TARNSETUP.exe and TARNTRACE.exe
# (stripped of symbols), the administrator's guide and a short readme; never a stand-in
# library: tarnhook.dll and tarnlang.dll are the product's, nnotes.dll is Notes'. The
# version is the project's (CMakeLists.txt, project VERSION), the same number every
# program's VERSIONINFO carries; each packaged program is checked with tools/pe-check.sh.
set -eu
cd "$(dirname "$0")/.."
source_dir=$(pwd)
out=$source_dir/build/package
programs="TARNBOOK TARNSETUP TARNTRACE"
mkdir -p "$out"

for preset in win32 win64; do
    echo "== $preset: build (log: build/package/$preset-build.log)"
    if ! { cmake --preset "$preset" &&
        cmake --build --preset "$preset" -j "$(nproc)" --target $programs; } \
        >"$out/$preset-build.log" 2>&1; then
        tail -n 30 "$out/$preset-build.log"
        echo "package: the $preset build failed." >&2
        exit 1
    fi
    build=$source_dir/build/$preset
    version=$(cat "$build/version.txt")
    objdump=$(sed -n 's/^CMAKE_OBJDUMP:FILEPATH=//p' "$build/CMakeCache.txt")
    strip=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$build/CMakeCache.txt")
    case $preset in win32) machine=i386 ;; *) machine=x86-64 ;; esac

    name=tarn-$version-$preset
    stage=$out/$name
    rm -rf "$stage" "$out/$name.zip"
    mkdir -p "$stage"
    for program in $programs; do
        "$strip" -o "$stage/$program.exe" "$build/bin/$program.exe"
    done
    "$source_dir/tools/pe-check.sh" "$objdump" "$version" "$machine" "$stage"/*.exe
    sed -e 's/$/\r/' "$source_dir/docs/admin.md" >"$stage/ADMIN-GUIDE.md"
    sed -e "s/@VERSION@/$version/g" -e "s/@PLATFORM@/$preset/g" -e 's/$/\r/' \
        "$source_dir/docs/package-readme.txt" >"$stage/README.txt"
    (cd "$out" && zip -q -r "$name.zip" "$name")
    echo "== $out/$name.zip:"
    unzip -l "$out/$name.zip" | sed -n '4,$p' | head -n -2
done
