#!/usr/bin/env bash
# Builds the programs from two copies of the tree in folders of different path
# lengths and compares them byte for byte: the Linux program, the 64-bit and the
# 32-bit Windows program, and the three archives (which hold the fonts as well).
# Then signs one copy's 64-bit zip as a release is signed: it must differ from the
# other copy's only in the program, which without its signature is the unsigned one.
#   tests/release/reproducible.sh           two fresh copies
#   tests/release/reproducible.sh --reuse   the checkout's own build folders, as
#                                           scripts/test.sh has just made them,
#                                           against one fresh copy, the programs only
#                                           (no archives, no signing)
# The copies are the files git tracks or would track, as they are in the checkout.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
reuse="" archives=1
case ${1:-} in
--reuse) reuse=1 archives="" ;;
"") ;;
*) usage "[--reuse]" ;;
esac
root=$(cd "$(dirname "$0")/../.." && pwd)
work_folder tactico-reproducible
unset TACTICO_SIGN_PKCS12
presets=(default windows windows32)
# The archives are dated from the commit; the programs must not depend on it.
epoch=$(git -C "$root" log -1 --format=%ct)

copy_tree() {
    mkdir "$1"
    git -C "$root" ls-files -z --cached --others --exclude-standard |
        tar -C "$root" --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -C "$1" -xf -
}
# build <copy>: the program of each preset, the fonts, and the archives. CPack
# builds everything before it packages, unless a fresh copy is told not to.
build() {
    local preset folder options=() start=$SECONDS
    [[ $1 == "$root" ]] || options=(-DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON)
    for preset in "${presets[@]}"; do
        folder=build
        [[ $preset == default ]] || folder=build-$preset
        (
            cd "$1"
            unset SOURCE_DATE_EPOCH
            cmake --preset "$preset" "${options[@]}" >"$work/configure.log" 2>&1 ||
                { cat "$work/configure.log" >&2; fail "$1: cmake --preset $preset"; }
            targets=(tactico-update)
            [[ $preset != default || -z $archives ]] || targets+=(fonts)
            cmake --build --preset "$preset" -j2 --target "${targets[@]}" >"$work/build.log" 2>&1 ||
                { cat "$work/build.log" >&2; fail "$1: building $preset"; }
            [[ -n $archives ]] || exit 0
            cd "$folder"
            SOURCE_DATE_EPOCH=$epoch cpack >"$work/package.log" 2>&1 ||
                { cat "$work/package.log" >&2; fail "$1: packaging $preset"; }
        )
    done
    echo "built${archives:+ and packaged} $1 in $((SECONDS - start)) s"
}

if [[ -n $reuse ]]; then
    first=$root
    second=$work/copy
    # Paths of the same length could hide a difference that follows the length.
    [[ ${#second} -ne ${#first} ]] || second=$work/copy2
else
    first=$work/a
    second=$work/a-second-copy-of-the-tree
    copy_tree "$first"
fi
copy_tree "$second"
build "$first"
build "$second"

different=0
# compare <file in each copy>: a difference names the file and shows where: the
# copy's folder named inside, the differing headers of a program or listings of an
# archive, the first differing bytes.
compare() {
    local a=$first/$1 b=$second/$1
    need "$a" "$b"
    if cmp -s "$a" "$b"; then
        echo "ok: $1 is the same in both"
        return
    fi
    different=1
    echo "DIFFERS: $1 ($(cmp -l "$a" "$b" 2>/dev/null | wc -l) bytes; sizes $(stat -c %s "$a" "$b" | paste -sd/))" >&2
    local named
    named=$(grep -aoF "$first" "$a" | wc -l || true)
    [[ $named -eq 0 ]] || echo "  it names its folder $first $named times" >&2
    case $1 in
    *.exe) diff <(x86_64-w64-mingw32-objdump -p "$a" | sed -n '4,40p') \
        <(x86_64-w64-mingw32-objdump -p "$b" | sed -n '4,40p') >&2 || true ;;
    *.zip | *.tar.gz) diff <(cmake -E tar tvf "$a") <(cmake -E tar tvf "$b") >&2 || true ;;
    *) diff <(readelf -n "$a") <(readelf -n "$b") >&2 || true ;;
    esac
    cmp -l "$a" "$b" 2>/dev/null | head -5 >&2 || true
}
compare build/bin/tactico-update
compare build-windows/bin/tactico-update.exe
compare build-windows32/bin/tactico-update.exe
if [[ -n $archives ]]; then
    for archive in "$second"/build/tactico-update-*.tar.gz "$second"/build-windows/tactico-update-*.zip \
        "$second"/build-windows32/tactico-update-*.zip; do
        compare "${archive#"$second"/}"
    done
fi
[[ $different -eq 0 ]] || fail "two builds of the same tree differ"
[[ -n $archives ]] || exit 0

# A player's check of a signed release: the zip as the unsigned one but for the
# program, and the program, its signature removed, the one built here.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout "$work/key.pem" -out "$work/cert.pem" \
    -subj "/CN=Brackwater Ltd" -addext "extendedKeyUsage=codeSigning" 2>/dev/null ||
    fail "openssl could not make a certificate"
openssl pkcs12 -export -in "$work/cert.pem" -inkey "$work/key.pem" -out "$work/publisher.p12" \
    -passout pass:throwaway || fail "openssl could not make the PKCS#12 file"
(cd "$second/build-windows" && TACTICO_SIGN_PKCS12=$work/publisher.p12 TACTICO_SIGN_PASSWORD=throwaway \
    SOURCE_DATE_EPOCH=$epoch cpack >"$work/package.log" 2>&1) ||
    { cat "$work/package.log" >&2; fail "packaging signed"; }
mkdir "$work/unsigned" "$work/signed"
(cd "$work/unsigned" && cmake -E tar xf "$first"/build-windows/tactico-update-*.zip)
(cd "$work/signed" && cmake -E tar xf "$second"/build-windows/tactico-update-*.zip)
files() { (cd "$1" && find . -type f -printf '%P %M %T@\n' | sort); }
diff <(files "$work/unsigned") <(files "$work/signed") >&2 ||
    fail "signing changed the zip's names, modes or dates"
diff -r --exclude=tactico-update.exe "$work/unsigned" "$work/signed" >&2 ||
    fail "signing changed the zip's other files"
signed=$(echo "$work"/signed/*/tactico-update.exe)
osslsigncode verify -CAfile "$work/cert.pem" -in "$signed" >/dev/null 2>&1 || fail "the zip's program is not signed"
osslsigncode remove-signature -in "$signed" -out "$work/removed.exe" >/dev/null ||
    fail "osslsigncode remove-signature"
cmp "$work/removed.exe" "$(echo "$work"/unsigned/*/tactico-update.exe)" >&2 ||
    fail "the signed program is more than the unsigned one and its signature"
echo "ok: signing changes only the zip's program, whose signature removed is the unsigned program"
