#!/usr/bin/env bash
# The publisher's signing step as the README gives it: a key named relative to the
# current folder, an update folder with a blank in its name; a wrong key or a
# missing one leaves no signature.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
script=$(realpath "$(dirname "$0")/../../scripts/sign-package.sh")
work_folder tactico-sign-package
cd "$work"
mkdir "my update"
echo data >"my update/update.dat"
(cd "my update" && { echo "# Release: $expected"; sha256sum update.dat; } >update.dat.sha256)
openssl ecparam -name prime256v1 -genkey -noout -out key.pem
openssl ecparam -name prime256v1 -genkey -noout -out other.pem
openssl pkey -in key.pem -pubout -out public.pem
sig="my update/update.dat.sha256.sig"

"$script" key.pem "my update" public.pem >out || fail "signing with a relative key"
grep -qF "# Release: $expected" out || fail "the script does not show the release it signed"
openssl dgst -sha256 -verify public.pem -signature "$sig" "my update/update.dat.sha256" >/dev/null ||
    fail "the signature does not verify"
for wrong in other.pem missing.pem; do
    ! "$script" "$wrong" "my update" public.pem >/dev/null 2>&1 || fail "$wrong: signed"
    [[ -z $(find "my update" -name '*.sig*') ]] || fail "$wrong: a signature is left"
done
echo "ok: signed with a relative key in a folder with a blank; a wrong or missing key leaves no signature"
