#!/usr/bin/env bash
# Signs an update folder's digest file with the publisher's private key:
#   scripts/sign-package.sh publisher-key.pem [update folder, default .] [publisher-public.pem]
# Writes update.dat.sha256.sig beside update.dat.sha256 (ECDSA P-256 over SHA-256,
# DER), which a program built with the matching public key requires; given the
# public key, it checks the new signature with it. Anyone can check it with:
#   openssl dgst -sha256 -verify publisher-public.pem -signature update.dat.sha256.sig update.dat.sha256
# On any failure it exits non-zero and leaves no signature behind.
set -euo pipefail
[[ $# -ge 1 && $# -le 3 ]] || {
    echo "usage: $0 <private key PEM> [update folder] [public key PEM]" >&2
    exit 2
}
# Paths as the caller gave them, before the change of folder.
key=$(realpath -e -- "$1" 2>/dev/null) || { echo "no private key at $1" >&2; exit 1; }
public=""
if [[ $# -eq 3 ]]; then
    public=$(realpath -e -- "$3" 2>/dev/null) || { echo "no public key at $3" >&2; exit 1; }
fi
folder=${2:-.}
cd -- "$folder"
signature=update.dat.sha256.sig
temporary=""
failed() {
    rm -f -- "$signature" ${temporary:+"$temporary"}
    echo "not signed: $*" >&2
    exit 1
}
[[ -f update.dat.sha256 ]] || failed "no update.dat.sha256 in $folder: pack first (-pack)"
# What is signed must still be what was packed.
sha256sum --quiet --strict -c update.dat.sha256 || failed "a file differs from update.dat.sha256"
# The release line is what binds the signature to this release.
grep -q '^# Release: ' update.dat.sha256 ||
    echo "warning: update.dat.sha256 names no release; a program built with keys refuses it" >&2
temporary=$(mktemp "$signature.XXXXXX")
openssl dgst -sha256 -sign "$key" -out "$temporary" update.dat.sha256 ||
    failed "openssl could not sign with $key"
if [[ -n $public ]]; then
    openssl dgst -sha256 -verify "$public" -signature "$temporary" update.dat.sha256 >/dev/null ||
        failed "the signature does not verify with $public"
fi
mv -f -- "$temporary" "$signature"
echo "signed $(realpath -- update.dat.sha256):"
sed 's/^/  /' update.dat.sha256
echo "signature: $(realpath -- "$signature")"
