#!/usr/bin/env bash
# The Windows program read by a screen reader's means under Wine: another process
# asks the window for its accessible object, reads the language screen, presses
# "Install in English" and reads the version screen.
#   tests/wine/screen_reader.sh <native build dir> <windows build dir>
# Uses the Wine prefix and display of run.sh when they are set, else new ones.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
[[ $# -eq 2 ]] || usage "<native build dir> <windows build dir>"
builds "$@"
check=$win/tactico-screen-reader-check.exe
need "$check"
work_folder tactico-screen-reader
[[ -n ${DISPLAY:-} ]] || start_xvfb 130 1024x768
wine_prefix given

echo "== screen reader"
sample
start reader.log
wine "$check" >"$root/read.txt" 2>"$root/read-errors" ||
    { cat "$root/read.txt" "$root/read-errors" >&2; fail "the screen reader's check"; }
cat "$root/read.txt"
# The check closes the window once it has read it.
ended "the screen reader's check"
echo "ok: the language and version screens read through Active Accessibility"
