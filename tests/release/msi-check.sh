#!/bin/sh
# msi-check.sh tables|install BIN_DIR VERSION win32|win64 WORK_DIR: the Windows Installer
# package of the programs in BIN_DIR, built by tools/msi.sh as a release builds it, in WORK_DIR.
#   tables   reads its tables with msiinfo, without Wine: what is installed where, the upgrade,
#            the properties and when they are written.
#   install  installs it under Wine in the test bed's prefix (TARN_TESTBED_DIR), against the
#            test bed's slapd: a silent install with properties beside a value set by hand, an
#            upgrade from an older version, a download by the installed TARNBOOK.exe, and an
#            uninstall. Exits 77 (skipped) for the 32-bit package where 32-bit code cannot run.
# Prints one line per finding; exits 1 when anything is wrong.
set -u
[ $# -eq 5 ] || { echo "usage: $0 tables|install BIN_DIR VERSION win32|win64 WORK_DIR" >&2; exit 2; }
mode=$1 bin=$2 version=$3 platform=$4 work=$5
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
tab=$(printf '\t')
status=0
fail() { echo "FAIL $*"; status=1; }
ok() { echo "ok   $*"; }

# The package of the programs in BIN_DIR at VERSION, with the guide GUIDE, as OUT.
build() { # VERSION GUIDE OUT
    stage=$work/stage-$1
    rm -rf "$stage" && mkdir -p "$stage" || exit 1
    cp "$bin/TARNBOOK.exe" "$bin/TARNSETUP.exe" "$bin/TARNTRACE.exe" "$stage/" || exit 1
    cp "$2" "$stage/ADMIN-GUIDE.md" || exit 1
    "$source_dir/tools/msi.sh" "$stage" "$1" "$platform" "$3" 2>"$work/wixl-$1.log" ||
        { cat "$work/wixl-$1.log"; echo "FAIL the package $1 was not built"; exit 1; }
}
rows() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; } # a table's rows, tab-separated
cell() { rows "$1" "$2" | awk -F "$tab" -v k="$3" -v c="$4" '$1 == k { print $c }'; }

rm -rf "$work" && mkdir -p "$work" || exit 1
msi=$work/tarn-$version-$platform.msi
build "$version" "$source_dir/docs/admin.md" "$msi"
case $platform in
win32) folder=ProgramFilesFolder template='Intel;1033' bits=0 view=32 files='Program Files (x86)' ;;
win64) folder=ProgramFiles64Folder template='x64;1033' bits=256 view=64 files='Program Files' ;;
esac
notes_key='SOFTWARE\VEXMAR\Voxtarion\Varnel Desktop\Lotus Notes'
package_key='SOFTWARE\VEXMAR\Voxtarion\Desktop Package'
properties="HOSTNAME PORTNUMBER SEARCHBASE"

tables() {
    msiinfo suminfo "$msi" | grep -qx "Template: $template" ||
        fail "summary: the template is not $template: $(msiinfo suminfo "$msi" | grep Template)"
    [ "$(cell "$msi" Property ProductVersion 2)" = "$version" ] || fail "ProductVersion is not $version"
    [ "$(cell "$msi" Property ALLUSERS 2)" = 1 ] || fail "not per machine (ALLUSERS is not 1)"
    secure=";$(cell "$msi" Property SecureCustomProperties 2);"
    for p in $properties; do
        case $secure in *";$p;"*) ;; *) fail "$p is not a secure property: $secure" ;; esac
    done

    # The same upgrade code in every build, a new product code in each.
    build 0.0.1 "$source_dir/docs/admin.md" "$work/older.msi"
    upgrade=$(cell "$msi" Property UpgradeCode 2)
    [ -n "$upgrade" ] && [ "$upgrade" = "$(cell "$work/older.msi" Property UpgradeCode 2)" ] ||
        fail "the upgrade code changes between builds"
    [ "$(cell "$msi" Property ProductCode 2)" != "$(cell "$work/older.msi" Property ProductCode 2)" ] ||
        fail "two builds share a product code"
    rows "$msi" Upgrade | grep -q "^$upgrade$tab$tab$version$tab" ||
        fail "no upgrade of older versions: $(rows "$msi" Upgrade)"

    # Exactly the three programs and the guide, each program with its file version, into
    # Voxtarion\Desktop under the platform's Program Files.
    listed=$(rows "$msi" File | cut -f 3 | sort | tr '\n' ' ')
    [ "$listed" = "ADMIN-GUIDE.md TARNBOOK.exe TARNSETUP.exe TARNTRACE.exe " ] ||
        fail "the files are: $listed"
    for program in TARNBOOK TARNSETUP TARNTRACE; do
        [ "$(cell "$msi" File "$program.exe" 5)" = "$version.0" ] ||
            fail "$program.exe: file version '$(cell "$msi" File "$program.exe" 5)'"
    done
    [ "$(cell "$msi" Directory INSTALLDIR 2)/$(cell "$msi" Directory INSTALLDIR 3)" = "VendorFolder/Desktop" ] &&
        [ "$(cell "$msi" Directory VendorFolder 2)/$(cell "$msi" Directory VendorFolder 3)" = "$folder/Voxtarion" ] ||
        fail "not installed into $folder\\Voxtarion\\Desktop: $(rows "$msi" Directory | tr '\n' ' ')"
    rows "$msi" Component | while IFS="$tab" read -r name id dir attributes rest; do
        [ $((attributes & 256)) = "$bits" ] || echo "FAIL component $name: 64-bit attribute is not $bits"
    done | grep . && status=1

    # Each property writes its value to the machine-wide key only when given, and its value
    # goes with the package.
    for p in $properties; do
        condition=$(cell "$msi" Component "Set_$p" 5)
        [ "$condition" = "$p OR (REMOVE~=\"ALL\" AND PACKAGE_$p)" ] ||
            fail "Set_$p is installed on '$condition'"
        rows "$msi" Registry | KEY=$notes_key awk -F "$tab" -v v="[$p]" -v c="Set_$p" \
            '$2 == 2 && $3 == ENVIRON["KEY"] && $5 == v && $6 == c { found = 1 } END { exit !found }' ||
            fail "$p is not written to HKLM\\$notes_key"
    done
    # A search of the 64-bit registry for the 64-bit package (type 16 + 2: raw value).
    for type in $(rows "$msi" RegLocator | cut -f 5); do
        [ "$type" = $((2 + bits / 16)) ] || fail "a registry search of type $type"
    done
    # The older version goes first, after the properties are known and before anything new.
    sequence() { cell "$msi" InstallExecuteSequence "$1" 3; }
    [ "$(sequence InstallValidate)" -lt "$(sequence RemoveExistingProducts)" ] &&
        [ "$(sequence RemoveExistingProducts)" -lt "$(sequence InstallInitialize)" ] ||
        fail "RemoveExistingProducts is not between InstallValidate and InstallInitialize"
    for action in KeepHostName KeepPortNumber KeepSearchBase; do
        [ "$(sequence AppSearch)" -lt "$(sequence "$action")" ] &&
            [ "$(sequence "$action")" -lt "$(sequence CostFinalize)" ] ||
            fail "$action does not run between AppSearch and CostFinalize"
    done
    [ $status = 0 ] && ok "$(basename "$msi"): tables"
}

install() {
    dir=${TARN_TESTBED_DIR:?TARN_TESTBED_DIR is not set}
    . "$source_dir/tests/fixtures/wine-env.sh"
    if [ "$platform" = win32 ] && [ "$TARN_WINE32" = 0 ]; then
        echo "Skipped: this machine cannot run 32-bit code; the 32-bit package's tables are checked."
        exit 77
    fi
    facts=$dir/slapd/testbed.txt
    fact() { sed -n "s/^$1=//p" "$facts"; }
    [ -s "$facts" ] || { echo "FAIL no test bed slapd ($facts)"; exit 1; }
    reg() { "$WINE" reg "$@" "/reg:$view" 2>/dev/null | tr -d '\r'; }
    value() { reg query "HKLM\\$1" /v "$2" | sed -n "s/^ *$2 *REG_SZ *//p"; }
    winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
    installed=$WINEPREFIX/drive_c/$files/Voxtarion/Desktop
    # The product codes of every installed package of ours.
    ours() {
        for v in 32 64; do
            "$WINE" reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' /s \
                "/reg:$v" 2>/dev/null | tr -d '\r' |
                awk '/^HKEY_/ { key = $0; sub(/.*\\/, "", key) }
                     /DisplayName +REG_SZ +Voxtarion Desktop for Lotus Notes/ { print key }'
        done | sort -u
    }
    clean() {
        for code in $(ours); do "$WINE" msiexec /x "$code" /qn >/dev/null 2>&1; done
        for root in HKLM HKCU; do reg delete "$root\\SOFTWARE\\VEXMAR" /f >/dev/null; done
    }
    trap clean EXIT
    clean

    # An older package with an older guide, and the settings of this machine: Notes, and the
    # search base set by hand before anything was installed.
    printf 'The older guide.\r\n' >"$work/older-guide.md"
    build 0.0.1 "$work/older-guide.md" "$work/older.msi"
    "$source_dir/tests/fixtures/notes-install.sh" "$dir" "$work/notes" "$bin" "CN=Mail01/O=Tarn"
    base=$(fact base.staff) port=$(fact directory.port)
    reg add "HKLM\\$notes_key" /v SearchBase /d "$base" /f >/dev/null

    "$WINE" msiexec /i "$(winpath "$work/older.msi")" /qn HOSTNAME=127.0.0.1 PORTNUMBER="$port" ||
        fail "the silent install ended with $?"
    for program in TARNBOOK TARNSETUP TARNTRACE; do
        [ -f "$installed/$program.exe" ] || fail "$program.exe is not in $installed"
    done
    [ "$(value "$notes_key" HostName)" = 127.0.0.1 ] && [ "$(value "$notes_key" PortNumber)" = "$port" ] ||
        fail "HostName and PortNumber were not written from the properties"
    [ "$(value "$notes_key" SearchBase)" = "$base" ] || fail "the search base set by hand changed"
    [ "$(ours | wc -l)" = 1 ] || fail "not one entry in Add/Remove Programs after the install"

    # The upgrade names no property: the values the older package wrote stay.
    "$WINE" msiexec /i "$(winpath "$msi")" /qn || fail "the upgrade ended with $?"
    [ "$(ours | wc -l)" = 1 ] || fail "$(ours | wc -l) entries in Add/Remove Programs after the upgrade"
    for v in 32 64; do
        "$WINE" reg query "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(ours)" \
            /v DisplayVersion "/reg:$v" 2>/dev/null
    done | grep -q "REG_SZ *$version" || fail "Add/Remove Programs does not show version $version"
    cmp -s "$installed/ADMIN-GUIDE.md" "$work/stage-$version/ADMIN-GUIDE.md" ||
        fail "the upgrade left the older guide"
    [ "$(value "$notes_key" HostName)" = 127.0.0.1 ] && [ "$(value "$notes_key" PortNumber)" = "$port" ] ||
        fail "the upgrade lost HostName or PortNumber"

    # The installed TARNBOOK.exe downloads the directory, with the product's libraries found
    # on the path (the package ships none).
    mkdir -p "$work/product" && cp "$bin/tarnlang.dll" "$bin/tarnhook.dll" "$work/product/"
    (cd "$installed" && env -u TARNHOOK_LOG -u TARNHOOK_SCRIPT -u TARNHOOK_ADDRESSBOOK \
        WINEPATH="$(winpath "$work/product")" "$WINE" ./TARNBOOK.exe >"$work/tarnbook.log" 2>&1)
    code=$?
    [ $code = 0 ] || fail "the installed TARNBOOK.exe ended with $code"
    records=$(($(wc -l <"$work/notes/Data/names.csv" 2>/dev/null || echo 1) - 1))
    [ "$records" = "$(fact staff.entries)" ] ||
        fail "the address book holds $records records, not $(fact staff.entries)"

    "$WINE" msiexec /x "$(winpath "$msi")" /qn || fail "the uninstall ended with $?"
    [ ! -e "$(dirname "$installed")" ] || fail "$files\\Voxtarion is still there"
    [ -z "$(ours)" ] || fail "still in Add/Remove Programs"
    for name in HostName PortNumber; do
        [ -z "$(value "$notes_key" "$name")" ] || fail "$name is still there"
    done
    ! "$WINE" reg query "HKLM\\$package_key" "/reg:$view" >/dev/null 2>&1 ||
        fail "the package's own key is still there"
    [ "$(value "$notes_key" SearchBase)" = "$base" ] || fail "the search base set by hand went"
    [ $status = 0 ] && ok "$(basename "$msi"): install, upgrade, download, uninstall"
}

case $mode in
tables) tables ;;
install) install ;;
*) echo "unknown mode $mode" >&2; exit 2 ;;
esac
exit $status
