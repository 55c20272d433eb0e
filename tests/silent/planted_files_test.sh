#!/usr/bin/env bash
# The Linux program run as root where an ordinary account (nobody) can write the
# installation and the update folder, after that account planted links, FIFOs and
# forged files there:
#   tests/silent/planted_files_test.sh <bin folder>
# Whatever it planted, nothing outside the installation changes and the record
# names no version but the program's own.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
bin=$(realpath "$1")
nobody=65534
as_nobody() { setpriv --reuid=$nobody --regid=$nobody --clear-groups "$@"; }
if [[ $(id -u) -ne 0 ]] || ! as_nobody true 2>/dev/null; then
    echo "SKIP: planting as another account needs root and setpriv"
    exit 0
fi
work_folder tactico-planted
chmod 755 "$work"

# sample <name>: a fresh 3.69 installation whose folders any account may write,
# and beside it "outside": a root-only file and a folder of nobody's own.
sample() {
    linux_sample "$1"
    install=$root/installation update=$root/update outside=$root/outside
    find "$install" "$update" -type d -exec chmod 777 {} +
    mkdir -p "$outside/theirs"
    echo secret >"$outside/secret"
    chmod 400 "$outside/secret"
    chown $nobody:$nobody "$outside/theirs"
}
# outside_state: every name, mode, size and content below "outside".
outside_state() {
    (cd "$outside" && find . -printf '%p %m %s %l\n' | sort && find . -type f -exec md5sum {} + | sort)
}
planted() { before=$(outside_state); }
# unharmed <case>: outside as planted, and a version in the record that is the
# installation's own or the update's.
unharmed() {
    [[ $(outside_state) == "$before" ]] || { diff <(echo "$before") <(outside_state) >&2 || true; fail "$1: outside changed"; }
    grep -Eq '^"Version"="Version 3\.(69|84) \(' "$TACTICO_REGISTRY" || fail "$1: the record was forged"
    echo "ok: $1"
}

sample journal
as_nobody sh -c "printf 'Tactico update journal 1\nversion\tForged\nreadme\t%s\nentry\t0\t1\t1\nend\n' \
    '$outside/secret' >'$install/tactico-update.journal'"
planted
run 3 --silent
[[ -e $install/tactico-update.journal ]] || fail "the journal that does not parse was removed"
unharmed "a forged journal removes nothing and records nothing"

sample fifo
as_nobody mkfifo "$install/tactico-update.journal"
planted
run 3 --silent
as_nobody rm "$install/tactico-update.journal"
as_nobody rm "$update/update.dat"
as_nobody mkfifo "$update/update.dat"
run 2 --silent
unharmed "a FIFO for a journal or for update.dat ends the run"

sample staging-links
as_nobody ln -s "$outside/created" "$install/readme.txt.new-update"
as_nobody ln -s "$outside/secret" "$install/data/euro.cfg.new-update.tmp-update"
as_nobody ln -s "$outside/secret" "$install/tactico.exe.new-update"
as_nobody ln -s "$outside/secret" "$install/changes.txt.old-update"
planted
run 0 --silent
unharmed "links at staged, temporary and old-copy names lead nowhere"

sample linked-data
as_nobody mkdir "$outside/theirs/data"
as_nobody cp "$install/data/euro.cfg" "$outside/theirs/data/"
as_nobody chmod 444 "$outside/theirs/data/euro.cfg"
as_nobody mv "$install/data" "$install/data.real"
as_nobody ln -s "$outside/theirs/data" "$install/data"
planted
run 3 --silent
unharmed "a linked data folder is refused"

sample linked-qstart
as_nobody mkdir "$outside/theirs/qstart"
as_nobody touch "$outside/theirs/qstart/saved.qst"
mv "$install/qstart" "$root/qstart.orig"
as_nobody ln -s "$outside/theirs/qstart" "$install/qstart"
planted
run 0 --silent /deletequickstart
unharmed "a linked qstart folder is not emptied"

sample log-link
as_nobody ln -s "$outside/secret" "$update/run.log"
planted
run 4 --silent "--log=$update/run.log"
unharmed "/log refuses a link"

sample pack
as_nobody ln -s "$outside/secret" "$update/update.dat.tmp-update"
as_nobody ln -s "$outside/created" "$update/update.dat.sha256.tmp-update"
planted
run 0 -pack --silent
unharmed "-pack writes past links at its working names"
echo "PASS"
