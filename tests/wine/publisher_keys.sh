#!/usr/bin/env bash
# The Windows program linked once more with a throwaway publisher key, under Wine
# (BCrypt's verification, no display needed):
#   tests/wine/publisher_keys.sh <native build dir> <windows build dir>
# The key stays in the Windows build folder, so a rerun links nothing new. A signed
# update installs; unsigned, another key's signature and one changed byte of the
# package (BCrypt's SHA-256 and signature check) are refused with nothing changed.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
[[ $# -eq 2 ]] || usage "<native build dir> <windows build dir>"
build=$(realpath "$2")
key=$build/test-key
mkdir -p "$key"
if [[ ! -f $key/public.pem ]]; then
    openssl ecparam -name prime256v1 -genkey -noout -out "$key/private.pem"
    openssl pkey -in "$key/private.pem" -pubout -out "$key/public.pem"
fi
cmake "$build" -DTACTICO_TEST_PUBLISHER_KEY="$key/public.pem" >"$key/configure.log" 2>&1 ||
    { cat "$key/configure.log" >&2; fail "configure"; }
cmake --build "$build" --target tactico-update-keyed -j2 >"$key/build.log" 2>&1 ||
    { tail -30 "$key/build.log" >&2; fail "build"; }
builds "$1" "$build"
exe=$win/tactico-update-keyed.exe
work_folder tactico-wine-keys
unset DISPLAY WAYLAND_DISPLAY
openssl ecparam -name prime256v1 -genkey -noout -out "$work/other.pem"
wine_prefix

fingerprint=$(openssl pkey -pubin -in "$key/public.pem" -outform DER | sha256sum | cut -c1-64)
# sample_signed <name> [<private key>]: a sample whose digest file that key signed.
sample_signed() {
    sample "$1"
    (cd "$update" && { echo "# Release: $expected"; sha256sum update.dat readme_*.txt; } >update.dat.sha256)
    openssl dgst -sha256 -sign "${2:-$key/private.pem}" -out "$update/update.dat.sha256.sig" \
        "$update/update.dat.sha256"
}

sample_signed signed
exits 0 /silent /lang=eng /deletequickstart
"$fixture" check "$root" || fail "not updated"
logged "$fingerprint"
echo "ok: signed by the built-in key: updated, the log names the key"

# refused <what> <logged>: the sample laid out and spoiled is refused, nothing changed.
refused() {
    exits 2 /silent /lang=eng
    logged "$2"
    unchanged "$1"
    echo "ok: $1: exit code 2, nothing changed"
}
sample_signed unsigned
rm "$update/update.dat.sha256.sig"
refused unsigned "update.dat.sha256.sig is missing"
sample_signed foreign "$work/other.pem"
refused "another key" "no signature of update.dat.sha256 by a publisher key"
sample_signed changed
change_byte "$update/update.dat" 5000
refused "one changed byte of update.dat" "update.dat has SHA-256"

exits 0 /silent /help
grep -qF "$fingerprint" "$root/output" || fail "the usage does not name the key"
echo "ok: the usage names the key"
