#!/usr/bin/env bash
# The Windows program under Wine against files planted where ordinary accounts may
# write: the installation and the update folder (no display needed):
#   tests/wine/planted.sh <native build dir> <windows build dir>
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
[[ $# -eq 2 ]] || usage "<native build dir> <windows build dir>"
builds "$@"
work_folder tactico-wine-planted
unset DISPLAY WAYLAND_DISPLAY

echo "== Wine prefix"
wine_prefix
system32=$WINEPREFIX/drive_c/windows/system32

echo "== a forged journal"
sample journal
echo important >"$system32/important.dll"
printf 'Tactico update journal 1\r\nversion\tForged\r\nreadme\tC:\\windows\\system32\\important.dll\r\nentry\t0\t1\t1\r\nend\r\n' \
    >"$root/installation/tactico-update.journal"
exits 3 /silent
[[ -f $system32/important.dll ]] || fail "the journal removed a file outside the installation"
recorded "$installed" || fail "the record was forged"
[[ -f $root/installation/tactico-update.journal ]] || fail "the journal was removed"
logged "is not a journal this program wrote"
echo "ok: a forged journal removes nothing, records nothing, and stops the update (exit code 3)"

echo "== a linked data folder"
sample linked
mkdir "$root/elsewhere"
mv "$root/installation/data" "$root/elsewhere/data"
chmod 444 "$root/elsewhere/data/euro.cfg"
ln -s "$root/elsewhere/data" "$root/installation/data"
sums() { (cd "$root/elsewhere" && find . -type f -printf '%m ' -exec md5sum {} + | sort); }
before=$(sums)
exits 3 /silent
[[ $(sums) == "$before" ]] || fail "files behind the link changed"
recorded "$installed" || fail "the record changed"
logged "its folder is a link"
echo "ok: a data folder that is a reparse point is refused (exit code 3), nothing behind it touched"

echo "== DLLs beside the program"
sample dll
# A marker writes C:\<name>-marker-loaded when any process loads it as <name>.dll.
marker() {
    cat >"$root/$1.c" <<C
#include <windows.h>
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance; (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        HANDLE file = CreateFileA("C:\\\\$1-marker-loaded", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        CloseHandle(file);
    }
    return TRUE;
}
C
    "$cc" -shared -o "$update/$1.dll" "$root/$1.c" || fail "building the marker $1.dll"
}
case $(x86_64-w64-mingw32-objdump -f "$exe") in
    *pei-x86-64*) cc=x86_64-w64-mingw32-gcc ;;
    *) cc=i686-w64-mingw32-gcc ;;
esac
# bcrypt.dll is the program's own choice; shcore.dll comes with shell32.dll.
planted=(bcrypt shcore)
for dll in "${planted[@]}"; do marker "$dll"; done
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;bcrypt,shcore=n,b" exits 0 /silent
for dll in "${planted[@]}"; do
    [[ ! -e $WINEPREFIX/drive_c/$dll-marker-loaded ]] || fail "the program loaded $dll.dll from its folder"
done
[[ -f $update/update.dat.sha256 ]] && logged "Result: updated"
echo "ok: ${planted[*]/%/.dll} beside the program are not loaded; the digest checks with the system's"
echo "PASS"
