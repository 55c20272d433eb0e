#!/usr/bin/env bash
# Signs an update folder's digest file with the publisher's private key:
#   scripts/sign-package.sh publisher-key.pem [update folder, default .]
# Writes update.dat.sha256.sig beside update.dat.sha256 (ECDSA P-256 over SHA-256,
# DER), which a program built with the matching public key requires. Anyone can
# check it with:
#   openssl dgst -sha256 -verify publisher-public.pem -signature update.dat.sha256.sig update.dat.sha256
set -euo pipefail
[[ $# -ge 1 && $# -le 2 ]] || { echo "usage: $0 <private key PEM> [update folder]" >&2; exit 2; }
key=$1
folder=${2:-.}
cd "$folder"
[[ -f update.dat.sha256 ]] || { echo "no update.dat.sha256 in $folder: pack first (-pack)" >&2; exit 1; }
# What is signed must still be what was packed.
sha256sum --quiet -c update.dat.sha256
# The release line is what binds the signature to this release.
grep -m1 '^# Release: ' update.dat.sha256 ||
    echo "warning: update.dat.sha256 names no release; a program built with keys refuses it" >&2
openssl dgst -sha256 -sign "$key" -out update.dat.sha256.sig update.dat.sha256
echo "signed: $folder/update.dat.sha256.sig"
