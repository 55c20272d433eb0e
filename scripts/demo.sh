#!/usr/bin/env bash
# Builds the program and runs a demo update on a sample installation made under
# build/demo: in a real window when a display is available, headless otherwise.
#
#   scripts/demo.sh [--window | --headless] [--language 0-7] [--update-docs]
#
# --window / --headless  force the mode (default: window when $DISPLAY or
#                        $WAYLAND_DISPLAY is set)
# --language N           the language the headless run picks (0 English ... 7 Dutch)
# --update-docs          copy the pictures of the headless run and the English
#                        contact sheet into docs/images
set -euo pipefail
cd "$(dirname "$0")/.."

mode=auto
language=0
update_docs=0
while [[ $# -gt 0 ]]; do
    case "$1" in
        --window) mode=window ;;
        --headless) mode=headless ;;
        --language) language="$2"; shift ;;
        --update-docs) update_docs=1 ;;
        -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
        *) echo "demo.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
if [[ $mode == auto ]]; then
    if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then mode=window; else mode=headless; fi
fi

scripts/setup.sh demo
echo "== building (cmake --preset default)"
# Without the tests and benchmarks, whose libraries the demo does not need;
# scripts/test.sh turns them on again in the same build.
cmake --preset default -DTACTICO_TESTS=OFF -DTACTICO_BENCH=OFF >/dev/null
cmake --build --preset default -j"${JOBS:-$(nproc)}" --target tactico-demo tactico-screens

bin=build/bin
root=build/demo

if [[ $mode == headless ]]; then
    echo "== headless demo"
    "$bin/tactico-demo" play --root "$root" --language "$language"
    if [[ $update_docs == 1 ]]; then
        mkdir -p docs/images
        rm -f docs/images/demo_*.png
        for png in "$root"/screens/*.png; do
            cp "$png" "docs/images/demo_$(basename "$png")"
        done
        "$bin/tactico-screens" --out build/screens --sheet docs/images/screens_en.png >/dev/null
        echo "Pictures copied to docs/images/"
    fi
    exit 0
fi

echo "== window demo"
"$bin/tactico-demo" prepare --root "$root"
registry="$(cd "$root" && pwd)/registry.reg"
echo
echo "The wizard opens now. Pick a language, press Next, watch the 47 files being"
echo "replaced, then Finish (it opens the new readme.txt). Close it any time with Exit."
(cd "$root/update" && TACTICO_REGISTRY="$registry" ./tactico-update)
echo
echo "== checking the installation"
"$bin/tactico-demo" check --root "$root"
