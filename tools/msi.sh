#!/bin/sh
# msi.sh STAGE VERSION win32|win64 OUT.msi: builds the Windows Installer package of one
# platform from tools/msi/tarn.wxs with wixl (Debian's wixl), taking the programs and
# ADMIN-GUIDE.md from the folder STAGE. Then does what wixl cannot express:
#   - each component named Set_<PROPERTY> (without a component code: never repaired, never
#     removed) is installed only when PROPERTY is given; its record Record_<PROPERTY> while
#     there is something to record; PROPERTY stays out of SecureCustomProperties, as INSTALLDIR
#     does: a standard user who may start a managed, elevated install or repair must not choose
#     the machine's directory server, which libraries the programs load or where they lie; an
#     elevated administrator's command line, a transform and policy set them;
#   - Forget_<PROPERTY>: removing the package (not for an upgrade) deletes the value only
#     where it still holds what the package recorded, with the system's reg.exe; its
#     rollback action Restore_<PROPERTY>, just before it, writes the value back when the
#     removal fails or is cancelled;
#   - the program folder's permissions (MsiLockPermissionsEx): administrators and the system
#     full control, users read and run, nothing inherited from a folder above, wherever it is;
#   - the event source keys of the programs go with them on uninstall;
#   - each program's file version (its VERSIONINFO) and language go into the File table, so
#     that an installation compares it as the file versioning rules say, and versioned files
#     leave MsiFileHash; every file and folder whose name is not 8.3 gets a short name;
#   - a rebuild of the same version replaces the installed one;
#   - the _Validation table (tools/msi/validation.idt) describes every column.
set -eu
[ $# -eq 4 ] || { echo "usage: $0 STAGE VERSION win32|win64 OUT.msi" >&2; exit 2; }
stage=$1 version=$2 platform=$3 out=$4
case $platform in
win32) arch=x86 view=32 system=SystemFolder ;;
win64) arch=x64 view=64 system=System64Folder ;;
*) echo "msi: unknown platform $platform" >&2; exit 2 ;;
esac
tools=$(cd "$(dirname "$0")" && pwd)
. "$tools/pe-version.sh"
wxs=$tools/msi/tarn.wxs
stage=$(cd "$stage" && pwd)
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

# wixl takes every source relative to the folder it runs in.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$stage" "$work/stage"
cp "$tools/msi/tarn.ico" "$work/tarn.ico"
rm -f "$out"
(cd "$work" && wixl -a "$arch" -D "Version=$version" -D "Platform=$platform" -D Stage=stage \
    -D Icon=tarn.ico -o "$out" "$wxs")

tab=$(printf '\t')
rows() { msiinfo export "$out" "$1" | tail -n +4 | tr -d '\r'; }
cell() { rows "$1" | awk -F "$tab" -v k="$2" -v c="$3" '$1 == k { print $c }'; }
# The queries are gathered as the arguments of one msibuild run.
set --
sequence_of() { cell InstallExecuteSequence "$1" 3; }

forget_at=$(sequence_of PublishProduct)
properties=$(rows Component | sed -n "s/^Set_\([A-Z_]*\)$tab.*/\1/p")
[ -n "$properties" ] || { echo "msi: no Set_ components in $out" >&2; exit 1; }
for property in $properties; do
    set -- "$@" -q "UPDATE \`Component\` SET \`Condition\` = '$property' WHERE \`Component\` = 'Set_$property'"
    set -- "$@" -q "UPDATE \`Component\` SET \`Condition\` = 'PACKAGE_$property' WHERE \`Component\` = 'Record_$property'"
    key=$(rows Registry | awk -F "$tab" -v c="Set_$property" '$6 == c { print $3 }')
    name=$(rows Registry | awk -F "$tab" -v c="Set_$property" '$6 == c { print $4 }')
    # The platform's reg.exe in the platform's registry view, deferred, as the system; its exit
    # status is ignored: 34 (a program run in a folder) + 64 + 1024 + 2048.
    command="\"[$system]reg.exe\" delete \"HKLM\\$key\" /v \"$name\" /f /reg:$view"
    # Its rollback (+ 256) writes back the value that stood there, put into the command line
    # when the removal is scheduled. The value comes last and its quote stays open, so that a
    # trailing backslash (a folder) is not read as an escaped quote; a value holding a quote
    # could break out of the command line, so such a value is never deleted.
    restore="\"[$system]reg.exe\" add \"HKLM\\$key\" /v \"$name\" /t REG_SZ /f /reg:$view /d \"[NOTES_$property]"
    condition="REMOVE~=\"ALL\" AND NOT UPGRADINGPRODUCTCODE AND PACKAGE_$property AND NOTES_$property = PACKAGE_$property AND NOT (NOTES_$property >< DoubleQuote)"
    set -- "$@" -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('Restore_$property', 3426, '$system', '$restore')"
    set -- "$@" -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('Forget_$property', 3170, '$system', '$command')"
    for action in Restore_$property Forget_$property; do
        forget_at=$((forget_at + 1))
        set -- "$@" -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('$action', '$condition', $forget_at)"
    done
done
[ "$forget_at" -lt "$(sequence_of InstallFinalize)" ] ||
    { echo "msi: no room for the Forget_ actions before InstallFinalize" >&2; exit 1; }
set -- "$@" -q "INSERT INTO \`Property\` (\`Property\`, \`Value\`) VALUES ('DoubleQuote', '\"')"

# Administrators and the system full control, users read and run (0x1200a9), for the folder
# and everything in it (OICI); protected (P), so that nothing is inherited from a folder
# above, wherever INSTALLDIR lies.
[ "$(rows CreateFolder | awk -F "$tab" '$1 == "INSTALLDIR"' | wc -l)" = 1 ] ||
    { echo "msi: the program folder is not created by one component" >&2; exit 1; }
sddl='D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)'
set -- "$@" -q "CREATE TABLE \`MsiLockPermissionsEx\` (\`MsiLockPermissionsEx\` CHAR(72) NOT NULL, \`LockObject\` CHAR(72) NOT NULL, \`Table\` CHAR(32) NOT NULL, \`SDDLText\` LONGCHAR NOT NULL, \`Condition\` CHAR(255) PRIMARY KEY \`MsiLockPermissionsEx\`)"
set -- "$@" -q "INSERT INTO \`MsiLockPermissionsEx\` (\`MsiLockPermissionsEx\`, \`LockObject\`, \`Table\`, \`SDDLText\`) VALUES ('ProgramFolder', 'INSTALLDIR', 'CreateFolder', '$sddl')"

# An event source key, created with its values, goes with all of them ("*").
rows Registry | awk -F "$tab" '$3 ~ /^SYSTEM\\CurrentControlSet\\Services\\EventLog\\/ { print $3 "\t" $6 }' |
    sort -u >"$work/sources"
while IFS="$tab" read -r key component; do
    set -- "$@" -q "INSERT INTO \`Registry\` (\`Registry\`, \`Root\`, \`Key\`, \`Name\`, \`Component_\`) VALUES ('EventSource_$component', 2, '$key', '*', '$component')"
done <"$work/sources"

for program in "$stage"/*.exe; do
    file=$(basename "$program")
    file_version=$(fixed_version "$program") || { echo "msi: no VERSIONINFO in $program" >&2; exit 1; }
    language=$(file_language "$program") || { echo "msi: no language in $program" >&2; exit 1; }
    set -- "$@" -q "UPDATE \`File\` SET \`Version\` = '$file_version', \`Language\` = '$language' WHERE \`FileName\` = '$file'"
    set -- "$@" -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = '$(rows File | awk -F "$tab" -v n="$file" '$3 == n { print $1 }')'"
done

# short|long where the long name is not 8.3: the first six letters, digits, _ and - of the
# name, ~ and a number that keeps it unique, and the first three of the extension.
short_names() { # TABLE NAME_COLUMN
    rows "$1" | awk -F "$tab" -v table="$1" -v column="$2" -v q="'" '
        function plain(text) { return text !~ /[^A-Za-z0-9_~-]/ }
        {
            name = $3
            if (name ~ /[|:]/ || name == "." || (column == "DefaultDir" && $2 == "")) next
            base = name; ext = ""
            if (match(name, /\.[^.]*$/)) { base = substr(name, 1, RSTART - 1); ext = substr(name, RSTART + 1) }
            if (plain(base) && plain(ext) && length(base) >= 1 && length(base) <= 8 && length(ext) <= 3) next
            gsub(/[^A-Za-z0-9_-]/, "", base); gsub(/[^A-Za-z0-9_-]/, "", ext)
            base = toupper(substr(base, 1, 6)); ext = toupper(substr(ext, 1, 3))
            for (i = 1; (short = base "~" i (ext == "" ? "" : "." ext)) in used; i++) ;
            used[short] = 1
            print "UPDATE `" table "` SET `" column "` = " q short "|" name q " WHERE `" table "` = " q $1 q
        }'
}
{ short_names File FileName; short_names Directory DefaultDir; } >"$work/short-names"
while IFS= read -r statement; do set -- "$@" -q "$statement"; done <"$work/short-names"

# The upgrade of older versions takes in the same version: msidbUpgradeAttributesVersionMaxInclusive
# (Attributes is part of the table's key, so the row is written anew).
upgrade=$(rows Upgrade | awk -F "$tab" '$7 == "WIX_UPGRADE_DETECTED" && $2 $4 $6 == "" { print $1, $3, $5 }')
[ "$(printf '%s\n' "$upgrade" | grep -c .)" = 1 ] ||
    { echo "msi: not one plain upgrade of older versions: $(rows Upgrade)" >&2; exit 1; }
read -r code maximum attributes <<EOF_UPGRADE
$upgrade
EOF_UPGRADE
action=WIX_UPGRADE_DETECTED
set -- "$@" -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = '$action'"
set -- "$@" -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$code', '$maximum', $((attributes | 512)), '$action')"

msibuild "$out" -i "$tools/msi/validation.idt" "$@"
