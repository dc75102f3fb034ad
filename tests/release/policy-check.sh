#!/bin/sh
# policy-check.sh ADMX ADML LIST: the Group Policy template against the values the programs
# read. LIST is a program printing the policies they call for (tests/release/product_values.cpp,
# from the one list in common/product_keys.h) as "<policy key>\t<value name>\t<class>". Checks
# that both files are well-formed XML, that every key the template writes lies below
# SOFTWARE\Policies and none in the 32-bit view (WOW6432Node), that Disabled writes nothing but
# deletions, that the template holds exactly those policies, each naming exactly one value,
# that a path is an expandable text box, a number never a text box and a text never a number,
# and that every string, presentation and presentation control the ADMX refers to is in the
# ADML. Prints one line per finding; exits 1 when anything is wrong.
set -u
[ $# -eq 3 ] || { echo "usage: $0 ADMX ADML LIST" >&2; exit 2; }
admx=$1 adml=$2 list=$3
status=0
fail() { echo "FAIL $*"; status=1; }
tab=$(printf '\t')

for file in "$admx" "$adml"; do
    xmllint --noout "$file" || { echo "FAIL $file is not well-formed XML"; exit 1; }
done
# xpath FILE EXPRESSION: the value of an XPath expression; elements by local name, as both
# files put everything in the policy definitions namespace.
xpath() { xmllint --xpath "$2" "$1" 2>/dev/null; }
el() { printf "*[local-name()='%s']" "$1"; }
# The values of every attribute the expression selects, one a line.
attributes() { xpath "$1" "$2" | sed 's/^ *[A-Za-z]*="//; s/"$//; s/" [A-Za-z]*="/\n/g'; }

# Policies, not preferences: every key (of a policy, or of an element that names its own) lies
# below SOFTWARE\Policies, where withdrawing a policy removes its values, and none in the
# 32-bit view; "Disabled" removes a value instead of writing one, so that the product keys decide.
keys=$(attributes "$admx" "//@key" | sort -u)
[ -n "$keys" ] || fail "no key in $admx"
printf '%s\n' "$keys" | while IFS= read -r key; do
    case $(printf '%s' "$key" | tr 'A-Z' 'a-z') in
    *wow6432node*) echo "FAIL a key in the 32-bit view: $key" ;;
    'software\policies\'*) ;;
    *) echo "FAIL a key outside SOFTWARE\\Policies: $key" ;;
    esac
done | grep . && status=1
written_when_disabled=$(xpath "$admx" "count(//$(el disabledValue)/*[local-name() != 'delete'] | //$(el disabledList)//$(el value)/*[local-name() != 'delete'])")
[ "${written_when_disabled:-0}" = 0 ] || fail "$written_when_disabled values written when a policy is disabled"

# Each policy: its key, the one value name it writes, its class.
policies=$(xpath "$admx" "count(//$(el policy))")
[ "${policies:-0}" -gt 0 ] || fail "no policy in $admx"
written=""
i=1
while [ "$i" -le "${policies:-0}" ]; do
    policy="(//$(el policy))[$i]"
    name=$(xpath "$admx" "string($policy/@name)")
    values=$(attributes "$admx" "$policy/@valueName | $policy/$(el elements)/*/@valueName")
    if [ "$(printf '%s\n' "$values" | grep -c .)" != 1 ]; then
        fail "policy $name names not one value but: $(echo $values)"
    fi
    written="$written$(xpath "$admx" "string($policy/@key)")$tab$values$tab$(xpath "$admx" "string($policy/@class)")
"
    i=$((i + 1))
done
expected=$("$list" | tr -d '\r' | cut -f1-3 | sort)
[ -n "$expected" ] || fail "the list of values is empty"
actual=$(printf '%s' "$written" | sort)
if [ "$expected" != "$actual" ]; then
    fail "the policies do not match the values the programs read (< wanted, > in the template):"
    printf '%s\n' "$expected" >"${TMPDIR:-/tmp}/policy-expected.$$"
    printf '%s\n' "$actual" | diff "${TMPDIR:-/tmp}/policy-expected.$$" - | grep '^[<>]'
    rm -f "${TMPDIR:-/tmp}/policy-expected.$$"
fi

# Each value's form: a path (notes.ini, nnotes.dll, the trace file) is an expandable text box,
# so that a computer policy can name a per-user file; a number is never a text box, a text
# never a decimal box.
"$list" | tr -d '\r' | while IFS="$tab" read -r key name class kind; do
    elements="//$(el policy)[@key='$key']/$(el elements)"
    case $kind in
    path) [ "$(xpath "$admx" "count($elements/$(el text)[@valueName='$name' and @expandable='true'])")" = 1 ] ||
        echo "FAIL $name is a path: its text box must be expandable" ;;
    number) [ "$(xpath "$admx" "count($elements/$(el text)[@valueName='$name'])")" = 0 ] ||
        echo "FAIL $name is a number: it must not be a text box" ;;
    text) [ "$(xpath "$admx" "count($elements/$(el decimal)[@valueName='$name'])")" = 0 ] ||
        echo "FAIL $name is a text: it must not be a decimal box" ;;
    *) echo "FAIL $name: unknown kind [$kind]" ;;
    esac
done | grep . && status=1

# Every string the ADMX refers to is in the ADML.
for id in $(grep -o '\$(string\.[A-Za-z0-9_]*)' "$admx" | sed 's/^$(string\.//; s/)$//' | sort -u); do
    [ "$(xpath "$adml" "count(//$(el string)[@id='$id'])")" = 1 ] || fail "no string $id in $adml"
done
# Each policy with elements has its presentation in the ADML, with one control per element.
i=1
while [ "$i" -le "${policies:-0}" ]; do
    policy="(//$(el policy))[$i]"
    name=$(xpath "$admx" "string($policy/@name)")
    elements=$(attributes "$admx" "$policy/$(el elements)/*/@id" | sort | tr '\n' ' ')
    id=$(xpath "$admx" "string($policy/@presentation)" | sed 's/^$(presentation\.//; s/)$//')
    i=$((i + 1))
    if [ -z "$id" ]; then
        [ -z "$elements" ] || fail "policy $name has elements but no presentation"
        continue
    fi
    presentation="//$(el presentation)[@id='$id']"
    [ "$(xpath "$adml" "count($presentation)")" = 1 ] || { fail "no presentation $id in $adml"; continue; }
    controls=$(attributes "$adml" "$presentation/*/@refId" | sort | tr '\n' ' ')
    [ "$elements" = "$controls" ] ||
        fail "policy $name: presentation $id has controls for [$controls], the elements are [$elements]"
done
[ $status = 0 ] && echo "ok   $(basename "$admx"): $policies policies for the values read; $(basename "$adml") holds what it refers to"
exit $status
