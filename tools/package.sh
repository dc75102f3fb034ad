#!/bin/sh
# package.sh: builds the release packages of both platforms in build/package:
#   tarn-<version>-win32.zip and -win64.zip: TARNBOOK.exe, TARNSETUP.exe and TARNTRACE.exe
#     (stripped of symbols), the administrator's guide, a short readme and the Group Policy
#     template (policy/);
#   tarn-<version>-win32.msi and -win64.msi: the Windows Installer packages of the same
#     programs and guide (tools/msi.sh).
# Never a stand-in library: tarnhook.dll and tarnlang.dll are the product's, nnotes.dll is
# Notes'. The version is the project's (CMakeLists.txt, project VERSION), the same number
# every program's VERSIONINFO carries; each packaged program is checked with tools/pe-check.sh.
# The programs and the packages are signed when a certificate is given (tools/sign.sh says
# how: TARN_SIGN_CERT and TARN_SIGN_KEY, or TARN_SIGN_PKCS12; TARN_SIGN_PASSWORD_FILE (or
# TARN_SIGN_PASSWORD) and TARN_SIGN_TIMESTAMP where needed); else they are not, and the script
# says so.
set -eu
cd "$(dirname "$0")/.."
source_dir=$(pwd)
out=$source_dir/build/package
programs="TARNBOOK TARNSETUP TARNTRACE"
mkdir -p "$out"
if [ -n "${TARN_SIGN_PKCS12:-}" ] || { [ -n "${TARN_SIGN_CERT:-}" ] && [ -n "${TARN_SIGN_KEY:-}" ]; }; then
    sign() { "$source_dir/tools/sign.sh" "$@"; }
else
    sign() { :; }
    echo "== No certificate given (TARN_SIGN_CERT and TARN_SIGN_KEY, or TARN_SIGN_PKCS12):" \
        "the programs and packages are not signed."
fi

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
    sign "$stage"/*.exe
    sed -e 's/$/\r/' "$source_dir/docs/admin.md" >"$stage/ADMIN-GUIDE.md"
    cp -r "$source_dir/docs/policy" "$stage/policy"
    sed -e "s/@VERSION@/$version/g" -e "s/@PLATFORM@/$preset/g" -e 's/$/\r/' \
        "$source_dir/docs/package-readme.txt" >"$stage/README.txt"
    (cd "$out" && zip -q -r "$name.zip" "$name")
    echo "== $out/$name.zip:"
    unzip -l "$out/$name.zip" | sed -n '4,$p' | head -n -2

    "$source_dir/tools/msi.sh" "$stage" "$version" "$preset" "$out/$name.msi" 2>"$out/$preset-msi.log" ||
        { cat "$out/$preset-msi.log"; echo "package: the $preset installer package failed." >&2; exit 1; }
    sign "$out/$name.msi"
    echo "== $out/$name.msi:"
    msiinfo export "$out/$name.msi" File | tail -n +4 | cut -f 3,4,5
done
