#!/bin/sh
# sign.sh FILE...: signs Windows programs and Windows Installer packages in place with an
# Authenticode signature (osslsigncode, SHA-256), when a code-signing certificate is given:
#   TARN_SIGN_CERT and TARN_SIGN_KEY  the certificate (with its chain, PEM or DER) and the
#                                     private key, or
#   TARN_SIGN_PKCS12                  a PKCS#12 file holding both;
#   TARN_SIGN_PASSWORD_FILE           a file holding the password of the key or of the PKCS#12
#                                     file, if any (a line end after it does not count); or
#   TARN_SIGN_PASSWORD                that password itself. Either way osslsigncode reads it
#                                     (from the file, or from its standard input): it never
#                                     stands on a command line, which the process list shows;
#   TARN_SIGN_TIMESTAMP               the URL of an RFC 3161 timestamp server: the signature
#                                     then stays valid after the certificate expires. Without
#                                     it no timestamp is asked for (and no network is used).
# Windows Installer packages (.msi) also get the extended signature (MsiDigitalSignatureEx),
# which covers the metadata of the package's streams as well. Without a certificate it leaves the files as
# they are and says so. Exits 1 when a file could not be signed.
set -eu
cert=${TARN_SIGN_CERT:-} key=${TARN_SIGN_KEY:-} pkcs12=${TARN_SIGN_PKCS12:-}
password=${TARN_SIGN_PASSWORD:-} password_file=${TARN_SIGN_PASSWORD_FILE:-}
timestamp=${TARN_SIGN_TIMESTAMP:-}
if [ -z "$pkcs12" ] && { [ -z "$cert" ] || [ -z "$key" ]; }; then
    echo "sign: no certificate given (TARN_SIGN_CERT and TARN_SIGN_KEY, or TARN_SIGN_PKCS12):" \
        "not signed."
    exit 0
fi

# sign IN OUT: osslsigncode with the certificate given, the password and timestamp if any.
sign() {
    case $1 in *.[Mm][Ss][Ii]) extended=-add-msi-dse ;; *) extended= ;; esac
    set -- -h sha256 -n "Voxtarion Desktop for Lotus Notes" -in "$1" -out "$2"
    [ -z "$extended" ] || set -- "$extended" "$@"
    [ -z "$timestamp" ] || set -- -ts "$timestamp" "$@"
    if [ -n "$pkcs12" ]; then
        set -- -pkcs12 "$pkcs12" "$@"
    else
        set -- -certs "$cert" -key "$key" "$@"
    fi
    if [ -n "$password_file" ]; then
        osslsigncode sign -readpass "$password_file" "$@"
    elif [ -n "$password" ]; then
        # printf is the shell's own: the password reaches no command line.
        printf '%s' "$password" | osslsigncode sign -readpass - "$@"
    else
        osslsigncode sign "$@"
    fi
}

status=0
for file in "$@"; do
    rm -f "$file.signed"
    if sign "$file" "$file.signed" >"$file.sign.log" 2>&1; then
        mv "$file.signed" "$file"
        rm -f "$file.sign.log"
        echo "sign: signed $(basename "$file")${timestamp:+, timestamped by $timestamp}"
    else
        cat "$file.sign.log" >&2
        rm -f "$file.signed" "$file.sign.log"
        echo "sign: $file could not be signed." >&2
        status=1
    fi
done
exit $status
