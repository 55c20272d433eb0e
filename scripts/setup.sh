#!/usr/bin/env bash
# Installs the Debian packages that the demo or the tests need and this machine
# lacks, and only those:
#
#   scripts/setup.sh demo     what scripts/demo.sh needs
#   scripts/setup.sh tests    what scripts/test.sh needs (everything)
#
# As root it runs apt-get itself, otherwise through sudo. Without apt-get it lists
# the packages and stops; TACTICO_SKIP_SETUP=1 skips the check altogether (for a
# machine that has the same libraries from another source).
set -euo pipefail

# The one place the packages are listed. The demo: a compiler and CMake, the
# libraries the program and its tools link, and the fonts the .fnt files are made from.
demo_packages=(
    cmake make g++ libfreetype-dev libpng-dev libsdl2-dev libssl-dev zlib1g-dev fonts-liberation
)
# The tests need the demo's packages and these: GoogleTest and Google Benchmark,
# clang for the fuzzers, the X tools of the real-window runs, mingw-w64 and Wine
# for the Windows program with zlib for it, xdelta3, which makes the deltas of a
# patch update, and inotify-tools for the races of the planted-file runs.
test_packages=(
    clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool x11-apps x11-utils imagemagick osslsigncode openssl
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 libz-mingw-w64-dev wine wine64 wine32:i386 locales
    xdelta3 inotify-tools
)

usage() {
    echo "usage: $0 demo|tests" >&2
    exit 2
}
[[ $# -eq 1 ]] || usage
case "$1" in
    demo) wanted=("${demo_packages[@]}") ;;
    tests) wanted=("${demo_packages[@]}" "${test_packages[@]}") ;;
    *) usage ;;
esac
[[ -z ${TACTICO_SKIP_SETUP:-} ]] || exit 0

# The second letter of dpkg's status is "i" once a package is fully installed.
installed() {
    local status
    status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null) || return 1
    [[ ${status:1:1} == i ]]
}

if ! command -v apt-get >/dev/null || ! command -v dpkg-query >/dev/null; then
    echo "setup.sh: this machine has no apt-get, so the packages cannot be installed here." >&2
    echo "Install these Debian packages or their equivalents under your system's names:" >&2
    echo "  ${wanted[*]}" >&2
    echo "then run again with TACTICO_SKIP_SETUP=1." >&2
    exit 1
fi

missing=()
for package in "${wanted[@]}"; do
    installed "$package" || missing+=("$package")
done
[[ ${#missing[@]} -gt 0 ]] || exit 0

if [[ $(id -u) -eq 0 ]]; then
    as_root=()
elif command -v sudo >/dev/null; then
    as_root=(sudo)
else
    echo "setup.sh: these Debian packages are missing: ${missing[*]}" >&2
    echo "Installing them needs root, and sudo is not installed. As root, run:" >&2
    echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
fi

echo "== installing the missing Debian packages: ${missing[*]}"
# Wine's 32-bit half comes from the i386 architecture, which must be known to
# dpkg before the package lists are fetched.
if [[ " ${missing[*]} " == *:i386\ * ]] &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"

still_missing=()
for package in "${missing[@]}"; do
    installed "$package" || still_missing+=("$package")
done
if [[ ${#still_missing[@]} -gt 0 ]]; then
    echo "setup.sh: still missing after apt-get: ${still_missing[*]}" >&2
    exit 1
fi
