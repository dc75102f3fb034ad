#!/bin/sh
# sign-check.sh BIN_DIR VERSION win32|win64 WORK_DIR: tools/sign.sh against a throwaway
# code-signing certificate made with openssl: each program of BIN_DIR and its Windows Installer
# package carries a valid signature over its content (osslsigncode verify), the package the
# extended one, a changed byte breaks it, a PKCS#12 file signs with its password read from a
# file or from the environment (never a command line: a stand-in osslsigncode records them),
# a wrong password signs nothing, and without a certificate nothing is signed. Prints one line
# per finding; exits 1 when anything is wrong.
set -u
[ $# -eq 4 ] || { echo "usage: $0 BIN_DIR VERSION win32|win64 WORK_DIR" >&2; exit 2; }
bin=$(cd "$1" && pwd) version=$2 platform=$3 work=$4
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
status=0
fail() { echo "FAIL $*"; status=1; }
unset TARN_SIGN_CERT TARN_SIGN_KEY TARN_SIGN_PKCS12 TARN_SIGN_PASSWORD TARN_SIGN_PASSWORD_FILE \
    TARN_SIGN_TIMESTAMP

rm -rf "$work" && mkdir -p "$work/stage" || exit 1
cd "$work" || exit 1
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
    -subj "/CN=Tarn throwaway code signing" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=codeSigning" 2>openssl.log || { cat openssl.log; exit 1; }
openssl pkcs12 -export -inkey key.pem -in cert.pem -out signer.p12 -passout pass:throwaway ||
    exit 1
cp "$bin/TARNBOOK.exe" "$bin/TARNSETUP.exe" "$bin/TARNTRACE.exe" stage/
cp "$(dirname "$tools")/docs/admin.md" stage/ADMIN-GUIDE.md
"$tools/msi.sh" stage "$version" "$platform" package.msi 2>wixl.log || { cat wixl.log; exit 1; }
files="stage/TARNBOOK.exe stage/TARNSETUP.exe stage/TARNTRACE.exe package.msi"

# verify FILE: osslsigncode's verdict against the throwaway certificate, with its report.
verify() { osslsigncode verify -CAfile cert.pem -in "$1" >"$1.verify.log" 2>&1; }

# Without a certificate: nothing is signed, and the script says so.
cp package.msi unsigned.msi
"$tools/sign.sh" unsigned.msi | grep -q "not signed" || fail "no word that nothing was signed"
cmp -s package.msi unsigned.msi || fail "the package changed without a certificate"
! verify unsigned.msi || fail "an unsigned package passes verification"

# Signed with the certificate and key: each file carries a valid signature; a changed byte
# in the middle of its content makes the digest mismatch.
TARN_SIGN_CERT=cert.pem TARN_SIGN_KEY=key.pem "$tools/sign.sh" $files >sign.log 2>&1 ||
    { cat sign.log; fail "signing failed"; }
for file in $files; do
    if verify "$file"; then
        echo "ok   $(basename "$file"): signed"
        case $file in
        *.msi) grep -q '^Current MsiDigitalSignatureEx' "$file.verify.log" ||
            fail "$(basename "$file"): no extended signature (MsiDigitalSignatureEx)" ;;
        esac
    else
        fail "$(basename "$file"): $(tail -n 3 "$file.verify.log" | tr '\n' ' ')"
    fi
    changed=$file.changed
    cp "$file" "$changed"
    at=$(($(stat -c %s "$changed") / 2))
    byte=$(od -An -tu1 -j "$at" -N 1 "$changed" | tr -d ' ')
    printf "\\$(printf '%03o' $((byte ^ 255)))" | dd of="$changed" bs=1 seek="$at" conv=notrunc 2>/dev/null
    if verify "$changed"; then
        fail "$(basename "$file"): a changed byte still verifies"
    else
        grep -q MISMATCH "$changed.verify.log" ||
            fail "$(basename "$file"): a changed byte fails otherwise than by its digest"
    fi
done

# Signed from a PKCS#12 file, its password read from a file (with a line end) or taken from
# the environment; every command line osslsigncode got is recorded, and none holds it.
real=$(command -v osslsigncode)
mkdir -p spy
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/commands.log"\nexec "%s" "$@"\n' "$(pwd)" "$real" >spy/osslsigncode
chmod +x spy/osslsigncode
printf 'throwaway\n' >password.txt
for given in TARN_SIGN_PASSWORD_FILE=password.txt TARN_SIGN_PASSWORD=throwaway; do
    cp "$bin/TARNBOOK.exe" from-p12.exe
    env PATH="$(pwd)/spy:$PATH" TARN_SIGN_PKCS12=signer.p12 "$given" "$tools/sign.sh" from-p12.exe \
        >>sign.log 2>&1 || fail "signing from the PKCS#12 file with $given failed"
    verify from-p12.exe || fail "from-p12.exe ($given): $(tail -n 3 from-p12.exe.verify.log | tr '\n' ' ')"
done
[ "$(grep -c . commands.log)" = 2 ] || fail "osslsigncode ran $(grep -c . commands.log) times, not twice"
! grep -q throwaway commands.log || fail "the password stood on a command line: $(grep throwaway commands.log)"
cp "$bin/TARNBOOK.exe" wrong.exe
! TARN_SIGN_PKCS12=signer.p12 TARN_SIGN_PASSWORD=wrong "$tools/sign.sh" wrong.exe >>sign.log 2>&1 ||
    fail "a wrong password signed"
exit $status
