#!/bin/sh
# msi.sh STAGE VERSION win32|win64 OUT.msi: builds the Windows Installer package of one
# platform from tools/msi/tarn.wxs with wixl (Debian's wixl), taking the programs and
# ADMIN-GUIDE.md from the folder STAGE. Then does what wixl cannot express: each component
# named Set_<PROPERTY> is installed only when PROPERTY is given (and removed with the
# package when it was), and those properties are
# secure, so that a per-machine install takes them from the command line; each program's
# file version (its VERSIONINFO) goes into the File table, so that an installation compares
# it as Windows Installer's file versioning rules say.
set -eu
[ $# -eq 4 ] || { echo "usage: $0 STAGE VERSION win32|win64 OUT.msi" >&2; exit 2; }
stage=$1 version=$2 platform=$3 out=$4
case $platform in
win32) arch=x86 ;;
win64) arch=x64 ;;
*) echo "msi: unknown platform $platform" >&2; exit 2 ;;
esac
tools=$(cd "$(dirname "$0")" && pwd)
. "$tools/pe-version.sh"
wxs=$tools/msi/tarn.wxs
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

rm -f "$out"
# wixl takes a file's source relative to the folder it runs in.
(cd "$stage" && wixl -a "$arch" -D "Version=$version" -D "Platform=$platform" -D Stage=. \
    -o "$out" "$wxs")

query() { msibuild "$out" -q "$1"; }
tab=$(printf '\t')
properties=$(msiinfo export "$out" Component | sed -n "s/^Set_\([A-Z_]*\)$tab.*/\1/p")
[ -n "$properties" ] || { echo "msi: no Set_ components in $out" >&2; exit 1; }
secure=$(msiinfo export "$out" Property | sed -n "s/^SecureCustomProperties$tab//p" | tr -d '\r')
for property in $properties; do
    # Removed with the package only where the package wrote it (PACKAGE_<PROPERTY>, its own
    # copy, was found): a component whose condition is false then stays behind, and one never
    # installed must not take a value set by other means with it.
    condition="$property OR (REMOVE~=\"ALL\" AND PACKAGE_$property)"
    query "UPDATE \`Component\` SET \`Condition\` = '$condition' WHERE \`Component\` = 'Set_$property'"
    secure="${secure:+$secure;}$property"
done
query "UPDATE \`Property\` SET \`Value\` = '$secure' WHERE \`Property\` = 'SecureCustomProperties'"
for program in "$stage"/*.exe; do
    file_version=$(fixed_version "$program") || { echo "msi: no VERSIONINFO in $program" >&2; exit 1; }
    query "UPDATE \`File\` SET \`Version\` = '$file_version' WHERE \`FileName\` = '$(basename "$program")'"
done
