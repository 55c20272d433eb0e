#!/usr/bin/env bash
# The update's read-only cases, as a Windows program under Wine, where a read-only
# file cannot be removed (on Linux as root it can, so there they prove nothing):
#   tests/wine/readonly.sh <windows build dir>
# Uses the Wine prefix in $WINEPREFIX when one is set (run.sh's), else a new one.
set -euo pipefail
[[ $# -eq 1 ]] || { echo "usage: $0 <windows build dir>" >&2; exit 2; }
program=$(realpath "$1")/bin/tactico-readonly-cases.exe
[[ -f $program ]] || { echo "missing $program" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tactico-readonly.XXXXXX")
own_prefix=""
if [[ -z ${WINEPREFIX:-} ]]; then
    own_prefix=1
    export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
fi
cleanup() {
    [[ -n $own_prefix ]] && wineserver -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

echo "== read-only files"
mkdir "$work/case"
wine "$program" "$(winepath -w "$work/case")"
