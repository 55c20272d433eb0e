#!/usr/bin/env bash
# The update's read-only cases, as a Windows program under Wine, where a read-only
# file cannot be removed (on Linux as root it can, so there they prove nothing):
#   tests/wine/readonly.sh <windows build dir>
# Uses the Wine prefix in $WINEPREFIX when one is set (run.sh's), else a new one.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
[[ $# -eq 1 ]] || usage "<windows build dir>"
program=$(realpath "$1")/bin/tactico-readonly-cases.exe
need "$program"
work_folder tactico-readonly
wine_prefix given
mkdir "$work/case"
wine "$program" "$(winepath -w "$work/case")"
