#!/usr/bin/env bash
# Signing round trip of the Windows package with a throwaway self-signed certificate:
#   tests/release/signing.sh <windows build dir>
# The zip's program must verify against that certificate, a wrong password must
# stop the package, and without a certificate the package must be unsigned.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
[[ $# -eq 1 ]] || usage "<windows build dir>"
build=$(realpath "$1")
work_folder tactico-signing
failed_package() { cat "$work/package.log" >&2; fail "$@"; }

package() {
    cmake --build "$build" --target package >"$work/package.log" 2>&1 || return 1
    local zips=("$build"/tactico-update-*-windows-*.zip)
    rm -rf "$work/unpacked"
    mkdir "$work/unpacked"
    (cd "$work/unpacked" && cmake -E tar xf "${zips[0]}")
    program=$(echo "$work"/unpacked/*/tactico-update.exe)
}

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout "$work/key.pem" -out "$work/cert.pem" \
    -subj "/CN=Brackwater Ltd/O=Brackwater Ltd" -addext "extendedKeyUsage=codeSigning" \
    -addext "keyUsage=digitalSignature" 2>/dev/null || fail "openssl could not make a certificate"
password="throwaway $RANDOM"
openssl pkcs12 -export -in "$work/cert.pem" -inkey "$work/key.pem" -out "$work/publisher.p12" \
    -passout "pass:$password" || fail "openssl could not make the PKCS#12 file"

TACTICO_SIGN_PKCS12=$work/publisher.p12 TACTICO_SIGN_PASSWORD=$password package ||
    failed_package "packaging with a certificate"
osslsigncode verify -CAfile "$work/cert.pem" -in "$program" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log" >&2; fail "the signed program does not verify"; }
grep -q 'Subject: /CN=Brackwater Ltd' "$work/verify.log" || fail "signed by someone else"
echo "ok: the zip's program is signed and verifies against the publisher's certificate"

TACTICO_SIGN_PKCS12=$work/publisher.p12 TACTICO_SIGN_PASSWORD="not $password" package &&
    fail "a wrong password still made a package"
echo "ok: a wrong password stops the package"

unset TACTICO_SIGN_PKCS12 TACTICO_SIGN_PASSWORD
package || failed_package "packaging without a certificate"
! osslsigncode verify -in "$program" >/dev/null 2>&1 || fail "the package is signed without a certificate"
echo "ok: without a certificate the package is built unsigned"
