#!/bin/sh
# msi-check.sh tables|install BIN_DIR VERSION win32|win64 WORK_DIR: the Windows Installer
# package of the programs in BIN_DIR, built by tools/msi.sh as a release builds it, in WORK_DIR.
#   tables   reads its tables with msiinfo, without Wine: what is installed where, the upgrade,
#            the properties and when they are written, kept and forgotten, the event sources,
#            Add/Remove Programs, what a standard user cannot steer (no setting's property and
#            not the folder in SecureCustomProperties, the locked program folder), a rollback
#            action for every deferred one, the launch condition against the other platform's
#            package, and the rules of the standard validation that the tables themselves show
#            (a _Validation row for every column, short names, file versions).
#   install  installs it under Wine in a prefix of the test bed (TARN_TESTBED_DIR), against the
#            test bed's slapd: a silent install with properties beside a value set by hand, a
#            value changed by hand after it, an upgrade from an older version and a repair that
#            both keep it, the other platform's package refused, a download by the installed
#            TARNBOOK.exe, a rebuild of the same version, an uninstall, and an upgrade that
#            keeps a folder of the administrator's.
#            Exits 77 (skipped) for the 32-bit package where 32-bit code cannot run.
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
# msiinfo writes a table's binary streams into the current folder: it runs in WORK_DIR.
export_table() { (cd "$work" && msiinfo export "$1" "$2"); }
rows() { export_table "$1" "$2" | tail -n +4 | tr -d '\r'; } # a table's rows, tab-separated
cell() { rows "$1" "$2" | awk -F "$tab" -v k="$3" -v c="$4" '$1 == k { print $c }'; }

rm -rf "$work" && mkdir -p "$work" && work=$(cd "$work" && pwd) || exit 1
msi=$work/tarn-$version-$platform.msi
build "$version" "$source_dir/docs/admin.md" "$msi"
case $platform in
win32) folder=ProgramFilesFolder template='Intel;1033' bits=0 view=32 system=SystemFolder files='Program Files (x86)' ;;
win64) folder=ProgramFiles64Folder template='x64;1033' bits=256 view=64 system=System64Folder files='Program Files' ;;
esac
notes_key='SOFTWARE\VEXMAR\Voxtarion\Varnel Desktop\Lotus Notes'
package_key='SOFTWARE\VEXMAR\Voxtarion\Desktop Package'
event_sources='SYSTEM\CurrentControlSet\Services\EventLog\Application'
properties="HOSTNAME PORTNUMBER SEARCHBASE BINDMETHOD BINDUSER BINDDOMAIN SECURITY NOTESINIPATH
NOTESDLLPATH REFRESH REFRESHDAYS SEARCHFILTER LASTNAMEATTRIBUTE FIRSTNAMEATTRIBUTE PHONEATTRIBUTE
MAILATTRIBUTE SHRINKLIMIT BOOKSOURCE"
long_name() { sed 's/^[^|]*|//'; } # short|long or long: the long name

tables() {
    sequence() { cell "$msi" InstallExecuteSequence "$1" 3; }
    msiinfo suminfo "$msi" | grep -qx "Template: $template" ||
        fail "summary: the template is not $template: $(msiinfo suminfo "$msi" | grep Template)"
    [ "$(cell "$msi" Property ProductVersion 2)" = "$version" ] || fail "ProductVersion is not $version"
    [ "$(cell "$msi" Property ALLUSERS 2)" = 1 ] || fail "not per machine (ALLUSERS is not 1)"
    # No property of a setting (any Set_ component's) and not the folder is secure: in a managed
    # installation a standard user's command line steers none of them.
    secure=";$(cell "$msi" Property SecureCustomProperties 2);"
    for p in $(rows "$msi" Component | sed -n "s/^Set_\([A-Z_]*\)$tab.*/\1/p") INSTALLDIR; do
        case $secure in *";$p;"*) fail "$p is secure: SecureCustomProperties $secure" ;; esac
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
    # ... and of the same version (msidbUpgradeAttributesVersionMaxInclusive): a rebuild
    # replaces the installed package instead of installing beside it.
    inclusive=$(rows "$msi" Upgrade | awk -F "$tab" -v v="$version" '$3 == v { print $5 }')
    [ $((${inclusive:-0} & 512)) = 512 ] || fail "a rebuild of $version does not replace it"

    # Exactly the three programs and the guide, each program with its file version, into
    # Voxtarion\Desktop under the platform's Program Files.
    listed=$(rows "$msi" File | cut -f 3 | long_name | sort | tr '\n' ' ')
    [ "$listed" = "ADMIN-GUIDE.md TARNBOOK.exe TARNSETUP.exe TARNTRACE.exe " ] ||
        fail "the files are: $listed"
    for program in TARNBOOK TARNSETUP TARNTRACE; do
        [ "$(cell "$msi" File "$program.exe" 5)" = "$version.0" ] ||
            fail "$program.exe: file version '$(cell "$msi" File "$program.exe" 5)'"
    done
    [ "$(cell "$msi" Directory INSTALLDIR 2)/$(cell "$msi" Directory INSTALLDIR 3 | long_name)" = "VendorFolder/Desktop" ] &&
        [ "$(cell "$msi" Directory VendorFolder 2)/$(cell "$msi" Directory VendorFolder 3 | long_name)" = "$folder/Voxtarion" ] ||
        fail "not installed into $folder\\Voxtarion\\Desktop: $(rows "$msi" Directory | tr '\n' ' ')"
    rows "$msi" Component | awk -F "$tab" -v bits="$bits" '
        int($4 / 256) % 2 * 256 != bits { print "FAIL component " $1 ": 64-bit attribute is not " bits }' |
        grep . && status=1

    # Each property writes its value to the machine-wide key only when given, by a component
    # without a component code (never repaired, never removed), and records it under the
    # package's key while there is something to record.
    for p in $properties; do
        [ -z "$(cell "$msi" Component "Set_$p" 2)" ] && [ "$(cell "$msi" Component "Set_$p" 5)" = "$p" ] ||
            fail "Set_$p: component code '$(cell "$msi" Component "Set_$p" 2)', installed on '$(cell "$msi" Component "Set_$p" 5)'"
        [ "$(cell "$msi" Component "Record_$p" 5)" = "PACKAGE_$p" ] ||
            fail "Record_$p is installed on '$(cell "$msi" Component "Record_$p" 5)'"
        for written in "$notes_key [$p] Set_$p" "$package_key [PACKAGE_$p] Record_$p"; do
            rows "$msi" Registry | W=$written awk -F "$tab" '
                BEGIN { n = split(ENVIRON["W"], w, " "); c = w[n]; v = w[n - 1]; k = ENVIRON["W"]; sub(/ [^ ]+ [^ ]+$/, "", k) }
                $2 == 2 && $3 == k && $5 == v && $6 == c { found = 1 } END { exit !found }' ||
                fail "$p: no row writing $written"
        done
        # Removing the package, and not for an upgrade, deletes the value with the platform's
        # reg.exe where it still holds what was recorded.
        name=$(rows "$msi" Registry | awk -F "$tab" -v c="Set_$p" '$6 == c { print $4 }')
        [ "$(cell "$msi" CustomAction "Forget_$p" 2)" = 3170 ] &&
            [ "$(cell "$msi" CustomAction "Forget_$p" 4)" = "\"[$system]reg.exe\" delete \"HKLM\\$notes_key\" /v \"$name\" /f /reg:$view" ] ||
            fail "Forget_$p: $(rows "$msi" CustomAction | grep "^Forget_$p$tab")"
        [ "$(cell "$msi" InstallExecuteSequence "Forget_$p" 2)" = "REMOVE~=\"ALL\" AND NOT UPGRADINGPRODUCTCODE AND PACKAGE_$p AND NOTES_$p = PACKAGE_$p AND NOT (NOTES_$p >< DoubleQuote)" ] ||
            fail "Forget_$p runs on '$(cell "$msi" InstallExecuteSequence "Forget_$p" 2)'"
        # Its rollback writes back what stood there: the value last, its quote left open so that
        # a trailing backslash stays a backslash.
        [ "$(cell "$msi" CustomAction "Restore_$p" 4)" = "\"[$system]reg.exe\" add \"HKLM\\$notes_key\" /v \"$name\" /t REG_SZ /f /reg:$view /d \"[NOTES_$p]" ] ||
            fail "Restore_$p: $(rows "$msi" CustomAction | grep "^Restore_$p$tab")"
        [ "$(sequence InstallInitialize)" -lt "$(sequence "Forget_$p")" ] &&
            [ "$(sequence "Forget_$p")" -lt "$(sequence InstallFinalize)" ] ||
            fail "Forget_$p is not between InstallInitialize and InstallFinalize"
        # The command line's value is recorded before the Notes key's is carried over.
        [ "$(sequence AppSearch)" -lt "$(sequence "Remember$name")" ] &&
            [ "$(sequence "Remember$name")" -lt "$(sequence "Carry$name")" ] &&
            [ "$(sequence "Carry$name")" -lt "$(sequence CostFinalize)" ] ||
            fail "Remember$name and Carry$name do not run in turn between AppSearch and CostFinalize"
    done
    [ "$(cell "$msi" Property DoubleQuote 2)" = '"' ] || fail "DoubleQuote is not a double quote"
    # Every deferred action (in-script, 1024, neither rollback 256 nor commit 512) has a
    # rollback action of the same condition right before it.
    rows "$msi" CustomAction | awk -F "$tab" '{ print $1, $2 }' >"$work/types"
    while read -r action type; do
        [ $((type & 1024)) = 1024 ] && [ $((type & 768)) = 0 ] || continue
        at=$(sequence "$action") condition=$(cell "$msi" InstallExecuteSequence "$action" 2)
        rollback=$(rows "$msi" InstallExecuteSequence | awk -F "$tab" -v s=$((${at:-0} - 1)) '$3 == s { print $1 }')
        rollback_type=$(awk -v a="$rollback" '$1 == a { print $2 }' "$work/types")
        [ -n "$rollback" ] && [ $((${rollback_type:-0} & 1792)) = 1280 ] &&
            [ "$(cell "$msi" InstallExecuteSequence "$rollback" 2)" = "$condition" ] ||
            fail "the deferred $action (at ${at:-none}) has no rollback action of its condition before it: '$rollback'"
        [ "$(sequence InstallInitialize)" -lt "$(sequence "$rollback")" ] 2>/dev/null ||
            fail "$action's rollback $rollback comes before InstallInitialize"
    done <"$work/types"
    grep -q '^Forget_' "$work/types" || fail "no deferred actions at all"

    # Only one platform's package at a time: the other's upgrade code, any version, only
    # detected, refuses an install but not a removal, with a message that says what to do.
    case $platform in
    win32) other='{D73D3AF6-EF27-4D46-BAAE-E57D9D5CDD65}' other_bits=64 bits_name=32 ;;
    win64) other='{AA03F45D-B8E1-4959-B9B0-987A1796FDDC}' other_bits=32 bits_name=64 ;;
    esac
    found=$(rows "$msi" Upgrade | awk -F "$tab" -v c="$other" '$1 == c && $2 == "0.0.0" && $3 == "" && int($5 / 2) % 2 == 1 && int($5 / 256) % 2 == 1 { print $7 }')
    [ -n "$found" ] || fail "no search for any version of the $other_bits-bit package: $(rows "$msi" Upgrade | tr '\n' ' ')"
    case $secure in *";$found;"*) ;; *) fail "$found is not secure" ;; esac
    message=$(cell "$msi" LaunchCondition "Installed OR NOT $found" 2)
    case $message in
    *"$other_bits-bit package"*"is installed"*"Remove it before installing the $bits_name-bit package"*) ;;
    *) fail "no launch condition 'Installed OR NOT $found' with a clear message: $(rows "$msi" LaunchCondition)" ;;
    esac
    for table in InstallExecuteSequence InstallUISequence; do
        [ "$(cell "$msi" $table FindRelatedProducts 3)" -lt "$(cell "$msi" $table LaunchConditions 3)" ] 2>/dev/null ||
            fail "$table does not find the other package before LaunchConditions"
    done

    # The program folder: administrators and the system full control, users read and run,
    # inherited by all in it and nothing inherited from above; set as the folder is created.
    [ "$(rows "$msi" MsiLockPermissionsEx | cut -f 2-5)" = "INSTALLDIR${tab}CreateFolder${tab}D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)$tab" ] ||
        fail "the program folder is not locked: $(rows "$msi" MsiLockPermissionsEx)"
    rows "$msi" CreateFolder | grep -q "^INSTALLDIR$tab" || fail "INSTALLDIR is not in CreateFolder"
    [ -n "$(sequence CreateFolders)" ] && [ "$(sequence CreateFolders)" -lt "$(sequence InstallFiles)" ] ||
        fail "CreateFolders does not run before InstallFiles"
    ! msiinfo tables "$msi" | grep -qx LockPermissions || fail "both LockPermissions and MsiLockPermissionsEx"

    # A search of the 64-bit registry for the 64-bit package (type 16 + 2: raw value).
    for type in $(rows "$msi" RegLocator | cut -f 5); do
        [ "$type" = $((2 + bits / 16)) ] || fail "a registry search of type $type"
    done
    # The older version goes first, after the properties are known and before anything new;
    # an upgrade keeps the installed folder, also where a user interface resolves it.
    [ "$(sequence InstallValidate)" -lt "$(sequence RemoveExistingProducts)" ] &&
        [ "$(sequence RemoveExistingProducts)" -lt "$(sequence InstallInitialize)" ] ||
        fail "RemoveExistingProducts is not between InstallValidate and InstallInitialize"
    for table in InstallExecuteSequence InstallUISequence; do
        at=$(cell "$msi" "$table" KeepInstallFolder 3)
        [ "$(cell "$msi" CustomAction KeepInstallFolder 3)" = INSTALLDIR ] &&
            [ "$(cell "$msi" "$table" AppSearch 3)" -lt "${at:-0}" ] &&
            [ "${at:-0}" -lt "$(cell "$msi" "$table" CostFinalize 3)" ] ||
            fail "$table does not keep the installed folder before CostFinalize"
    done

    # Add/Remove Programs: an icon of the package, the guide as help, the folder.
    [ -n "$(cell "$msi" Icon "$(cell "$msi" Property ARPPRODUCTICON 2)" 1)" ] || fail "no icon for Add/Remove Programs"
    for shown in "ARPHELPLINK [INSTALLDIR]ADMIN-GUIDE.md" "ARPINSTALLLOCATION [INSTALLDIR]"; do
        action=$(rows "$msi" CustomAction | awk -F "$tab" -v s="$shown" '$3 " " $4 == s { print $1 }')
        [ -n "$action" ] && [ "$(sequence CostFinalize)" -lt "$(sequence "$action")" ] &&
            [ "$(sequence "$action")" -lt "$(sequence RegisterProduct)" ] ||
            fail "Add/Remove Programs does not show $shown"
    done
    # The programs as event sources, whose keys go with them.
    for program in TARNBOOK TARNSETUP; do
        for value in "EventMessageFile [#$program.exe]" "TypesSupported #7" "* "; do
            rows "$msi" Registry | V=$value K="$event_sources\\$program" awk -F "$tab" -v c="$program" '
                $2 == 2 && $3 == ENVIRON["K"] && $4 " " $5 == ENVIRON["V"] && $6 == c { found = 1 } END { exit !found }' ||
                fail "$program: no event source row '$value'"
        done
    done

    # What the standard validation checks in the tables alone: a _Validation row for exactly
    # the columns there are, nullable where the column is; a valid 8.3 name for every file and
    # folder; every versioned file with a language and without a hash.
    for table in $(msiinfo tables "$msi" | grep -v '^_S\|^_F'); do
        export_table "$msi" "$table" | head -n 2 | tr -d '\r' |
            awk -F "$tab" -v t="$table" 'NR == 1 { split($0, n) } NR == 2 { for (i = 1; i <= NF; i++) print t, n[i], ($i ~ /^[A-Z]/ ? "Y" : "N") }'
    done | sort >"$work/columns"
    rows "$msi" _Validation | awk -F "$tab" '{ print $1, $2, $3 }' | sort >"$work/validated"
    cmp -s "$work/columns" "$work/validated" ||
        fail "_Validation does not describe the columns (< columns, > _Validation): $(diff "$work/columns" "$work/validated" | grep '^[<>]' | tr '\n' ' ')"
    { rows "$msi" File | cut -f 3; rows "$msi" Directory | awk -F "$tab" '$2 != "" { print $3 }' | grep -v '^\.$'; } |
        sed 's/:.*//; s/|.*//' | while read -r short; do
            printf '%s\n' "$short" | grep -Eq '^[A-Za-z0-9_~-]{1,8}(\.[A-Za-z0-9_~-]{1,3})?$' ||
                echo "FAIL no 8.3 short name: $short"
        done | grep . && status=1
    rows "$msi" File | awk -F "$tab" '$5 != "" && $6 == "" { print "FAIL " $3 ": a version but no language" }' | grep . && status=1
    for file in $(rows "$msi" File | awk -F "$tab" '$5 != "" { print $1 }'); do
        [ -z "$(cell "$msi" MsiFileHash "$file" 1)" ] || fail "$file: versioned, yet in MsiFileHash"
    done
    [ $status = 0 ] && ok "$(basename "$msi"): tables"
}

install() {
    testbed=${TARN_TESTBED_DIR:?TARN_TESTBED_DIR is not set}
    # The Wine seat ctest handed the test; held under a lock where it handed none.
    dir=$testbed
    . "$source_dir/tests/fixtures/wine-seat.sh"
    if [ -n "$seat_lock" ] && [ -z "${TARN_SEAT_HELD:-}" ]; then
        TARN_SEAT_HELD=1
        export TARN_SEAT_HELD
        exec flock -o "$seat_lock" "$0" "$mode" "$bin" "$version" "$platform" "$work"
    fi
    dir=$seat_dir
    . "$source_dir/tests/fixtures/wine-env.sh"
    if [ "$platform" = win32 ] && [ "$TARN_WINE32" = 0 ]; then
        echo "Skipped: this machine cannot run 32-bit code; the 32-bit package's tables are checked."
        exit 77
    fi
    facts=$testbed/slapd/testbed.txt
    fact() { sed -n "s/^$1=//p" "$facts"; }
    [ -s "$facts" ] || { echo "FAIL no test bed slapd ($facts)"; exit 1; }
    reg() { "$WINE" reg "$@" "/reg:$view" 2>/dev/null | tr -d '\r'; }
    value() { reg query "HKLM\\$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
    winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
    msiexec() { "$WINE" msiexec "$@" >>"$work/msiexec.log" 2>&1; }
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
    # What Add/Remove Programs shows of ours: NAME and value, one a line.
    shown() {
        for v in 32 64; do
            "$WINE" reg query "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(ours)" \
                "/reg:$v" 2>/dev/null | tr -d '\r' | sed -n 's/^ *\([A-Za-z]*\) *REG_[A-Z_]* *\(.*\)/\1 \2/p'
        done
    }
    # The event source keys of both programs, as "TARNBOOK <message file> <types>".
    sources() {
        for program in TARNBOOK TARNSETUP; do
            printf '%s %s %s\n' "$program" "$(value "$event_sources\\$program" EventMessageFile)" \
                "$(value "$event_sources\\$program" TypesSupported)"
        done
    }
    clean() {
        for code in $(ours); do msiexec /x "$code" /qn; done
        for root in HKLM HKCU; do reg delete "$root\\SOFTWARE\\VEXMAR" /f >/dev/null; done
        for program in TARNBOOK TARNSETUP; do reg delete "HKLM\\$event_sources\\$program" /f >/dev/null; done
    }
    # On the way out the test bed's own event sources come back (wine-prefix.sh registers
    # them for the other tests; the uninstalls and clean take them away).
    trap 'clean; "$WINE" reg import "$(winpath "$dir/event-sources.reg")" >/dev/null 2>&1' EXIT
    clean

    # An older package with an older guide, and the settings of this machine: Notes, and the
    # search base set by hand before anything was installed.
    printf 'The older guide.\r\n' >"$work/older-guide.md"
    build 0.0.1 "$work/older-guide.md" "$work/older.msi"
    "$source_dir/tests/fixtures/notes-install.sh" "$dir" "$work/notes" "$bin" "CN=Mail01/O=Tarn"
    base=$(fact base.staff) port=$(fact directory.port)
    reg add "HKLM\\$notes_key" /v SearchBase /d "$base" /f >/dev/null

    # BindUser and BindDomain have no effect on the anonymous download; the filter, whose
    # characters the uninstall's command lines must carry, takes every entry.
    filter='(&(cn=*)(!(cn=nobody)))'
    msiexec /i "$(winpath "$work/older.msi")" /qn HOSTNAME=127.0.0.1 PORTNUMBER="$port" \
        BINDUSER=package-user BINDDOMAIN=PACKAGE "SEARCHFILTER=$filter" ||
        fail "the silent install ended with $?"
    for program in TARNBOOK TARNSETUP TARNTRACE; do
        [ -f "$installed/$program.exe" ] || fail "$program.exe is not in $installed"
    done
    [ "$(value "$notes_key" HostName)" = 127.0.0.1 ] && [ "$(value "$notes_key" PortNumber)" = "$port" ] ||
        fail "HostName and PortNumber were not written from the properties"
    [ "$(value "$notes_key" BindDomain)" = PACKAGE ] || fail "BindDomain was not written from its property"
    [ "$(value "$notes_key" SearchFilter)" = "$filter" ] ||
        fail "SearchFilter is '$(value "$notes_key" SearchFilter)', not $filter"
    [ "$(value "$notes_key" SearchBase)" = "$base" ] || fail "the search base set by hand changed"
    [ "$(ours | wc -l)" = 1 ] || fail "not one entry in Add/Remove Programs after the install"
    expected_sources=$(for program in TARNBOOK TARNSETUP; do
        printf '%s C:\\%s\\Voxtarion\\Desktop\\%s.exe 0x7\n' "$program" "$files" "$program"
    done)
    [ "$(sources)" = "$expected_sources" ] || fail "the event sources are: $(sources | tr '\n' ';')"
    # Wine writes no DisplayIcon: the icon is checked in the tables.
    for entry in "InstallLocation C:\\$files\\Voxtarion\\Desktop\\" \
        "HelpLink C:\\$files\\Voxtarion\\Desktop\\ADMIN-GUIDE.md"; do
        shown | grep -qxF "$entry" || fail "Add/Remove Programs does not show $entry"
    done

    # The other platform's package (any programs will do: it is refused before it installs
    # anything) stops at its launch condition and leaves this one's event sources alone.
    case $platform in win32) other=win64 ;; *) other=win32 ;; esac
    "$source_dir/tools/msi.sh" "$work/stage-0.0.1" "$version" "$other" "$work/other.msi" 2>"$work/wixl-other.log" ||
        { cat "$work/wixl-other.log"; fail "the $other package was not built"; }
    msiexec /i "$(winpath "$work/other.msi")" /qn && fail "the $other package installed beside this one"
    [ "$(ours | wc -l)" = 1 ] || fail "$(ours | wc -l) entries in Add/Remove Programs after the $other package"
    [ "$(sources)" = "$expected_sources" ] || fail "after the $other package the event sources are: $(sources | tr '\n' ';')"

    # A value changed by hand after the install is the administrator's: the upgrade names no
    # property, so every value in the Notes key stays as it stands.
    reg add "HKLM\\$notes_key" /v BindDomain /d BY-HAND /f >/dev/null
    msiexec /i "$(winpath "$msi")" /qn || fail "the upgrade ended with $?"
    [ "$(ours | wc -l)" = 1 ] || fail "$(ours | wc -l) entries in Add/Remove Programs after the upgrade"
    shown | grep -q "^DisplayVersion $version$" || fail "Add/Remove Programs does not show version $version"
    cmp -s "$installed/ADMIN-GUIDE.md" "$work/stage-$version/ADMIN-GUIDE.md" ||
        fail "the upgrade left the older guide"
    [ "$(value "$notes_key" HostName)" = 127.0.0.1 ] && [ "$(value "$notes_key" PortNumber)" = "$port" ] ||
        fail "the upgrade lost HostName or PortNumber"
    [ "$(value "$notes_key" BindDomain)" = BY-HAND ] ||
        fail "the upgrade turned BindDomain into '$(value "$notes_key" BindDomain)'"

    # A repair of the machine's registry entries (msiexec /fm; Wine's msiexec finds no product
    # by a package's path, so as the properties /fm stands for) puts back what the package
    # owns, a value of an event source, and leaves the Notes key as it stands.
    reg delete "HKLM\\$event_sources\\TARNBOOK" /v TypesSupported /f >/dev/null
    msiexec /i "$(winpath "$msi")" /qn REINSTALL=ALL REINSTALLMODE=m || fail "the repair ended with $?"
    [ "$(sources)" = "$expected_sources" ] || fail "the repair left the event sources as: $(sources | tr '\n' ';')"
    [ "$(value "$notes_key" BindDomain)" = BY-HAND ] ||
        fail "the repair turned BindDomain into '$(value "$notes_key" BindDomain)'"

    # The installed TARNBOOK.exe downloads the directory, with the product's libraries where
    # the guide puts them (the package ships none): tarnlang.dll beside the programs,
    # tarnhook.dll in the Notes program folder.
    cp "$bin/tarnlang.dll" "$installed/" && cp "$bin/tarnhook.dll" "$work/notes/"
    (cd "$installed" && env -u TARNHOOK_LOG -u TARNHOOK_SCRIPT -u TARNHOOK_ADDRESSBOOK \
        "$WINE" ./TARNBOOK.exe >"$work/tarnbook.log" 2>&1)
    code=$?
    rm -f "$installed/tarnlang.dll" "$work/notes/tarnhook.dll"
    [ $code = 0 ] || fail "the installed TARNBOOK.exe ended with $code"
    records=$(($(wc -l <"$work/notes/Data/names.csv" 2>/dev/null || echo 1) - 1))
    [ "$records" = "$(fact staff.entries)" ] ||
        fail "the address book holds $records records, not $(fact staff.entries)"

    # A rebuild of the same version replaces the installed package.
    build "$version" "$source_dir/docs/admin.md" "$work/rebuilt.msi"
    msiexec /i "$(winpath "$work/rebuilt.msi")" /qn || fail "the rebuilt package's install ended with $?"
    [ "$(ours)" = "$(cell "$work/rebuilt.msi" Property ProductCode 2)" ] ||
        fail "after a rebuild of the same version Add/Remove Programs lists: $(ours | tr '\n' ' ')"

    # Uninstalling removes what the package wrote where it still stands, and nothing else.
    msiexec /x "$(winpath "$work/rebuilt.msi")" /qn || fail "the uninstall ended with $?"
    [ ! -e "$(dirname "$installed")" ] || fail "$files\\Voxtarion is still there"
    [ -z "$(ours)" ] || fail "still in Add/Remove Programs"
    for name in HostName PortNumber BindUser SearchFilter; do
        [ -z "$(value "$notes_key" "$name")" ] || fail "$name is still there"
    done
    ! "$WINE" reg query "HKLM\\$package_key" "/reg:$view" >/dev/null 2>&1 ||
        fail "the package's own key is still there"
    [ "$(value "$notes_key" SearchBase)" = "$base" ] || fail "the search base set by hand went"
    [ "$(value "$notes_key" BindDomain)" = BY-HAND ] || fail "BindDomain, changed by hand, went"
    for program in TARNBOOK TARNSETUP; do
        ! "$WINE" reg query "HKLM\\$event_sources\\$program" >/dev/null 2>&1 ||
            fail "the event source $program is still registered"
    done

    # An upgrade keeps the folder an administrator chose.
    custom='C:\Tarn Custom\Desktop'
    msiexec /i "$(winpath "$work/older.msi")" /qn "INSTALLDIR=$custom" || fail "the install into $custom ended with $?"
    msiexec /i "$(winpath "$msi")" /qn || fail "the upgrade ended with $?"
    [ -f "$WINEPREFIX/drive_c/Tarn Custom/Desktop/TARNBOOK.exe" ] && [ ! -e "$installed" ] ||
        fail "the upgrade did not keep $custom"
    [ "$(sources | sed 's/^[^ ]* //; s/ [^ ]*$//')" = "$(printf '%s\\TARNBOOK.exe\n%s\\TARNSETUP.exe' "$custom" "$custom")" ] ||
        fail "the event sources name: $(sources | tr '\n' ';')"
    msiexec /x "$(winpath "$msi")" /qn || fail "the uninstall from $custom ended with $?"
    [ ! -e "$WINEPREFIX/drive_c/Tarn Custom/Desktop" ] || fail "$custom is still there"
    [ $status = 0 ] && ok "$(basename "$msi"): install, the other platform refused, upgrade, repair, download, rebuild, uninstall, own folder"
}

case $mode in
tables) tables ;;
install) install ;;
*) echo "unknown mode $mode" >&2; exit 2 ;;
esac
exit $status
