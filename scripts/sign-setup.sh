#!/usr/bin/env bash
# Signs a built SETUP.EXE in place (Authenticode, SHA-256 digest, the product's name and URL),
# unless it already carries a signature by the certificate wanted that verifies.
#
#   sign-setup.sh FILE DIR DESCRIPTION URL
#
# The certificate comes from the environment, never from a command line the build logs:
#   QVX_SIGN_PKCS12         the code-signing certificate and key (PKCS#12)
#   QVX_SIGN_PASSWORD       its password (handed on through a pipe and openssl's env:, not argv)
#   QVX_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional; needs the network)
#   QVX_SIGN_CAFILE         the roots the signature must chain to (default: the system's bundle)
#   QVX_RELEASE=1           refuse to sign with anything but such a certificate
# Without QVX_SIGN_PKCS12 the signer is a test certificate issued by a test root, both made once
# in DIR (and made anew when they expire or no longer belong together). A file signed with them
# must never ship. Either way DIR/root.pem is left holding what the signature chains to, for the
# tests.
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 FILE DIR DESCRIPTION URL" >&2; exit 2; }
file=$1 dir=$2 description=$3 url=$4
fail() { echo "sign-setup: $*" >&2; exit 1; }
for tool in osslsigncode openssl; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/bootstrap.sh installs it)"
done
[ -f "$file" ] || fail "no $file"
mkdir -p "$dir"

# Valid for at least another 30 days, and the key is the certificate's.
usable() {  # certificate key
    [ -s "$1" ] && [ -s "$2" ] && openssl x509 -in "$1" -noout -checkend 2592000 >/dev/null 2>&1 &&
        [ "$(openssl x509 -in "$1" -noout -pubkey 2>/dev/null)" = "$(openssl pkey -in "$2" -pubout 2>/dev/null)" ]
}

test_certificate() {
    local root=$dir/test-root signer=$dir/test-signer
    if ! usable "$root.pem" "$root.key" || ! usable "$signer.pem" "$signer.key" ||
        ! openssl verify -CAfile "$root.pem" "$signer.pem" >/dev/null 2>&1; then
        echo "sign-setup: making a test root and code-signing certificate in $dir" >&2
        openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -keyout "$root.key" -out "$root.pem" \
            -subj "/O=Quorvex/CN=QVX Setup TEST Root - never ship" \
            -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null &&
        openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -keyout "$signer.key" -out "$signer.pem" \
            -subj "/O=Quorvex/CN=QVX Setup TEST Signer - never ship" -CA "$root.pem" -CAkey "$root.key" \
            -addext "basicConstraints=critical,CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
            -addext "extendedKeyUsage=codeSigning" 2>/dev/null || fail "openssl could not make the test certificates"
        chmod 600 "$root.key" "$signer.key"
    fi
    cp "$root.pem" "$dir/root.pem"
    cp "$signer.pem" "$dir/signer.pem"
    key=(-certs "$signer.pem" -key "$signer.key")
    who="the TEST certificate in $dir (never ship this file)"
}

real_certificate() {
    [ -r "$QVX_SIGN_PKCS12" ] || fail "cannot read QVX_SIGN_PKCS12 ($QVX_SIGN_PKCS12)"
    export QVX_SIGN_PASSWORD=${QVX_SIGN_PASSWORD-}
    # Older exports use algorithms OpenSSL 3 keeps in its legacy provider.
    local pkcs12=(openssl pkcs12 -in "$QVX_SIGN_PKCS12" -nokeys -clcerts -passin env:QVX_SIGN_PASSWORD)
    "${pkcs12[@]}" >"$dir/signer.pem" 2>/dev/null || "${pkcs12[@]}" -legacy >"$dir/signer.pem" 2>/dev/null ||
        fail "cannot open $QVX_SIGN_PKCS12 with QVX_SIGN_PASSWORD (wrong password?)"
    openssl x509 -in "$dir/signer.pem" -noout -checkend 0 >/dev/null || fail "the certificate in $QVX_SIGN_PKCS12 has expired"
    local cafile=${QVX_SIGN_CAFILE:-/etc/ssl/certs/ca-certificates.crt}
    [ -r "$cafile" ] || fail "no roots to check the signature with: set QVX_SIGN_CAFILE"
    cp "$cafile" "$dir/root.pem"
    key=(-pkcs12 "$QVX_SIGN_PKCS12" -readpass /dev/stdin)
    who="$QVX_SIGN_PKCS12 ($(openssl x509 -in "$dir/signer.pem" -noout -subject -nameopt oneline))"
}

if [ -n "${QVX_SIGN_PKCS12:-}" ]; then
    real_certificate
else
    [ "${QVX_RELEASE:-0}" != 1 ] || fail "QVX_RELEASE=1: set QVX_SIGN_PKCS12 and QVX_SIGN_PASSWORD to a real certificate"
    test_certificate
fi

# Signed already, by this certificate, and still verifying: nothing to do (a rebuild that did not
# relink). Anything else, including another certificate's signature, is replaced.
leaf=$(openssl x509 -in "$dir/signer.pem" -noout -fingerprint -sha256 | sed 's/.*=//; s/://g')
check=(osslsigncode verify -CAfile "$dir/root.pem" -require-leaf-hash "sha256:$leaf")
# Newer osslsigncode fetches the revocation list a real certificate names; whether the certificate
# is revoked is for Windows to judge when it runs the file, and the build may be offline.
[[ $(osslsigncode -h 2>&1) != *-ignore-crl* ]] || check+=(-ignore-crl)
if "${check[@]}" -in "$file" >/dev/null 2>&1; then
    exit 0
fi

signed=$file.signed
trap 'rm -f "$signed"' EXIT
sign=(osslsigncode sign "${key[@]}" -h sha256 -n "$description" -i "$url")
[ -z "${QVX_SIGN_TIMESTAMP_URL:-}" ] || sign+=(-ts "$QVX_SIGN_TIMESTAMP_URL")
rm -f "$signed"
printf %s "${QVX_SIGN_PASSWORD-}" | "${sign[@]}" -in "$file" -out "$signed" >/dev/null ||
    fail "osslsigncode could not sign $file"
"${check[@]}" -in "$signed" >/dev/null || fail "the new signature of $file does not verify against $dir/root.pem"
chmod --reference="$file" "$signed"
mv -f "$signed" "$file"
echo "sign-setup: $file signed with $who" >&2
