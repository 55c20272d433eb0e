#!/usr/bin/env bash
# The Windows program under Wine against files planted where ordinary accounts may
# write: the installation and the update folder (no display needed):
#   tests/wine/planted.sh <native build dir> <windows build dir>
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
builds "$@"
work_folder tactico-wine-planted
unset DISPLAY WAYLAND_DISPLAY
wine_prefix
system32=$WINEPREFIX/drive_c/windows/system32

sample journal
echo important >"$system32/important.dll"
mkdir "$root/installation/tactico-update.staging"
printf 'Tactico update journal 2\r\nentry\t0\t1\t1\r\nend\r\n' \
    >"$root/installation/tactico-update.staging/tactico-update.journal"
exits 3 /silent
[[ -f $system32/important.dll ]] || fail "the journal removed a file outside the installation"
recorded "$installed" || fail "the record was forged"
[[ -f $root/installation/tactico-update.staging/tactico-update.journal ]] || fail "the journal was removed"
# Wine runs every program as one account, which owns the folder either way: the
# journal in it is read, and refused.
logged "is not a journal this program wrote"
echo "ok: a planted journal is neither acted on nor removed (exit code 3)"

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
logged "is a link or junction"
echo "ok: a data folder that is a reparse point is refused (exit code 3), nothing behind it touched"

sample swapped
mkdir "$root/elsewhere"
cp "$root/installation/data/euro.cfg" "$root/elsewhere/"
chmod 444 "$root/elsewhere/euro.cfg"
before=$(sums)
inotifywait -e create "$root/installation" >/dev/null 2>"$root/watch" &
watch=$!
wait_for 10 grep -q "Watches established" "$root/watch" || fail "no watch on the installation"
start trace /silent
wait "$watch" || fail "the staging folder never came"
# Stopped while the folder is swapped, the program goes on with the folders it holds.
kill -STOP "$program_pid"
mv "$root/installation/data" "$root/installation/data.real"
ln -s "$root/elsewhere" "$root/installation/data"
kill -CONT "$program_pid"
# Wine looks names up by path even below a folder handle, so the staging of data
# meets the link and stops the update; on Windows it lands in the folder held.
ended "data was swapped for a link" 3
[[ $(sums) == "$before" ]] || fail "files behind the link changed"
recorded "$installed" || fail "the record changed"
echo "ok: data swapped for a link during the update changes nothing behind the link (exit code 3)"

sample dll
# A marker writes the file MARKER when any process loads it.
cat >"$root/marker.c" <<'C'
#include <windows.h>
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH)
        CloseHandle(CreateFileA(MARKER, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return TRUE;
}
C
cc=i686-w64-mingw32-gcc
[[ $(x86_64-w64-mingw32-objdump -f "$exe") == *pei-x86-64* ]] && cc=x86_64-w64-mingw32-gcc
# bcrypt.dll is the program's own choice; shcore.dll comes with shell32.dll.
planted=(bcrypt shcore)
for dll in "${planted[@]}"; do
    "$cc" -shared -DMARKER="\"C:\\\\$dll-marker-loaded\"" -o "$update/$dll.dll" "$root/marker.c" ||
        fail "building the marker $dll.dll"
done
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;bcrypt,shcore=n,b" exits 0 /silent
for dll in "${planted[@]}"; do
    [[ ! -e $WINEPREFIX/drive_c/$dll-marker-loaded ]] || fail "the program loaded $dll.dll from its folder"
done
[[ -f $update/update.dat.sha256 ]] && logged "Result: updated"
echo "ok: ${planted[*]/%/.dll} beside the program are not loaded; the digest checks with the system's"
