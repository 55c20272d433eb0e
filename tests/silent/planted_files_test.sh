#!/usr/bin/env bash
# The Linux program run as root where an ordinary account (nobody) planted links,
# FIFOs and forged files in the installation and the update folder:
#   tests/silent/planted_files_test.sh <bin folder> <the test publisher's private key>
# (the key of bin/tactico-update-keyed). Whatever it planted or swapped, nothing
# outside the installation changes, the record names no version but the program's
# own, and no run waits for ever.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
[[ $# -eq 2 ]] || usage "<bin folder> <private key PEM>"
bin=$(realpath "$1")
key=$(realpath "$2")
nobody=65534
as_nobody() { setpriv --reuid=$nobody --regid=$nobody --clear-groups "$@"; }
# The races are stepped at a real-time priority, which a container may withhold.
[[ $(id -u) -eq 0 ]] && as_nobody true 2>/dev/null && chrt -f 10 true 2>/dev/null ||
    { echo "SKIP: planting as another account needs root, setpriv and a real-time priority"; exit 0; }
command -v inotifywait >/dev/null || fail "inotifywait is missing (scripts/setup.sh tests)"
work_folder tactico-planted
chmod 755 "$work"

# sample <name>: a fresh 3.69 installation whose folders any account may write,
# and beside it "outside": a root-only file and a folder of nobody's own.
sample() {
    linux_sample "$@"
    install=$root/installation update=$root/update outside=$root/outside log=$root/out
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
planted() {
    before=$(outside_state)
    rm -rf "$root/before" && cp -a "$install" "$root/before"
}
# A race is played out step by step. The program runs on one processor, where each
# watch, and the stop it sends, run at a real-time priority: woken by the program's
# event, they stop it before it takes one more step, however busy the machine is.
# start_stopped <arguments...>: the program (or $program), stopped before it begins.
start_stopped() {
    (cd "$update" && exec taskset -c 0 sh -c 'kill -STOP $$ && exec "$@"' start \
        "${program:-$bin/tactico-update}" "$@" >"$root/out" 2>"$root/err") &
    program_pid=$!
    wait_for 10 stopped || fail "the program did not start"
}
stopped() { [[ $(sed -E 's/.*\) (.).*/\1/' "/proc/$program_pid/stat" 2>/dev/null) == T ]]; }
# stop_at <event> <file or folder>: the program goes on to its first <event> there.
stop_at() {
    rm -f "$root/watch"
    taskset -c 0 chrt -f 10 sh -c 'inotifywait -t 60 -e "$1" "$2" >/dev/null 2>"$3" && kill -STOP "$4"' \
        watch "$1" "$2" "$root/watch" "$program_pid" &
    local watch=$!
    wait_for 10 grep -q "Watches established" "$root/watch" || fail "no watch on $2"
    kill -CONT "$program_pid"
    wait "$watch" || fail "no $1 at $2"
    wait_for 10 stopped || fail "the program went on past $1 at $2"
}
# then_nobody <expected exit code> <swap>: while the program stands stopped, nobody
# runs the shell command <swap>; the program then goes on to its end.
then_nobody() {
    as_nobody sh -c "$2" || true
    kill -CONT "$program_pid"
    ended "$2" "$1"
}
# outcome <case> <exit code> <arguments...>: once nobody has planted, the run ends
# with that exit code and outside is unharmed.
outcome() { planted; run "${@:2}"; unharmed "$1"; }
# unharmed <case>: outside as planted, and a version in the record that is the
# installation's own or the update's.
unharmed() {
    [[ $(outside_state) == "$before" ]] || { diff <(echo "$before") <(outside_state) >&2 || true; fail "$1: outside changed"; }
    grep -Eq '^"Version"="Version 3\.(69|84) \(' "$TACTICO_REGISTRY" || fail "$1: the record was forged"
    echo "ok: $1"
}
# as_was <case>: the installation and the record as they were planted, and outside.
as_was() {
    diff -r "$root/before" "$install" >&2 || fail "$1: the installation changed"
    grep -Eq '^"Version"="Version 3\.69 \(' "$TACTICO_REGISTRY" || fail "$1: the record changed"
    unharmed "$1"
}

staging=tactico-update.staging
sample journal
as_nobody mkdir -m 700 "$install/$staging"
as_nobody sh -c "printf 'Tactico update journal 2\nentry\t0\t1\t1\nend\n' >'$install/$staging/tactico-update.journal'"
as_nobody ln -s "$outside/secret" "$install/$staging/0.old"
planted
run 3 --silent
[[ -e $install/$staging/tactico-update.journal ]] || fail "a staging folder not the program's own was emptied"
logged "is not this program's own staging folder"
unharmed "a staging folder of another account's is neither read nor emptied"

sample fifo
planted
# Each FIFO stands where the run goes earlier than at the one before it; the
# staging folder's, met at the start too, goes once it has ended its run.
for plant in "3 $install/$staging" "2 $update/update.dat" "1 $install/tactico.exe" "6 $update/arial_18.fnt"; do
    name=${plant#* }
    as_nobody sh -c "mkfifo '$name.fifo' && mv -fT '$name.fifo' '$name'"
    run "${plant%% *}" --silent
    case $name in */$staging) as_nobody rm "$name" ;; */tactico.exe) logged "tactico.exe: Invalid argument" ;; esac
done
as_nobody ln -sf "$outside/secret" "$update/arial_18.fnt"
run 6 --silent
unharmed "FIFOs for the staging folder, update.dat, tactico.exe or a font end the run"

sample moved-data
as_nobody mkdir "$outside/theirs/data"
as_nobody cp "$install/data/euro.cfg" "$outside/theirs/data/"
planted
start_stopped --silent
# Once the staging folder holds a file: an empty one is anyone's to remove, as any
# empty folder in a folder others may write.
stop_at create "$install"
stop_at moved_to "$install/$staging"
then_nobody 0 "mv '$install/data' '$install/data.real' && ln -s '$outside/theirs/data' '$install/data'
    { echo theirs >'$install/$staging/14.new' || ls '$install/$staging' || rm -rf '$install/$staging'; } 2>/dev/null"
[[ -d $install/$staging ]] && fail "staging left behind"
cmp -s "$install/data.real/club.dat" "$update/club.dat" || fail "the update did not land in the folder it held"
unharmed "data swapped for a link while staging changes nothing through the link; the staging folder is nobody's to touch"

sample moved-qstart
as_nobody mkdir "$outside/theirs/qstart"
as_nobody touch "$outside/theirs/qstart/saved.qst"
as_nobody sh -c "cd '$install/qstart' && seq 2000 | sed 's/$/.qst/' | xargs touch"
planted
start_stopped --silent /deletequickstart
stop_at delete "$install/qstart"
then_nobody 0 "mv '$install/qstart' '$install/qstart.real' && ln -s '$outside/theirs/qstart' '$install/qstart'"
[[ -z $(ls "$install/qstart.real" | grep '\.qst$') ]] || fail "quick-start games were left"
unharmed "qstart swapped for a link during the deletion deletes nothing through it"

sample moved-game
mkdir "$root/record" && mv "$TACTICO_REGISTRY" "$root/record/" && export TACTICO_REGISTRY=$root/record/registry.reg
chmod 777 "$root"
as_nobody cp -r "$install" "$outside/theirs/game"
as_nobody mv "$install" "$root/installation.real"
as_nobody ln -s "$outside/theirs/game" "$install"
planted
run 1 --silent /deletequickstart
logged "installation is a link in a folder that other accounts may write"
unharmed "a game folder that another account made a link is not found"

sample hard-links
ln "$outside/secret" "$update/run.log"
run 4 --silent "--log=$update/run.log"
mv "$update/readme_eng.txt" "$root/readme_eng.txt" && ln "$outside/secret" "$update/readme_eng.txt"
planted
run 2 --silent
rm "$update/readme_eng.txt" && mv "$root/readme_eng.txt" "$update/"
ln -f "$outside/secret" "$install/changes.txt"
ln "$outside/secret" "$install/qstart/linked.qst"
run 0 --silent /deletequickstart
unharmed "hard links at the log, the readme, a target and a game are refused or removed as names"

sample open-record
chmod 777 "$root"
planted
run 1 --silent
logged "may be written by other accounts"
chmod 755 "$root"
mv "$TACTICO_REGISTRY" "$outside/theirs/registry.reg" && ln -s "$outside/theirs/registry.reg" "$TACTICO_REGISTRY"
run 1 --silent
logged "is a link; it is not used"
rm "$TACTICO_REGISTRY" && mv "$outside/theirs/registry.reg" "$TACTICO_REGISTRY"
unharmed "a record in a folder others may write, or a linked one, is not used"

sample linked-data
as_nobody mkdir "$outside/theirs/data"
as_nobody cp "$install/data/euro.cfg" "$outside/theirs/data/"
as_nobody chmod 444 "$outside/theirs/data/euro.cfg"
as_nobody mv "$install/data" "$install/data.real"
as_nobody ln -s "$outside/theirs/data" "$install/data"
outcome "a linked data folder is refused" 3 --silent

sample pack
as_nobody ln -s "$outside/secret" "$update/update.dat.tmp-update"
as_nobody ln -s "$outside/created" "$update/update.dat.sha256.tmp-update"
outcome "-pack writes past links at its working names" 0 -pack --silent

# The attacks of an ordinary account that downloaded the update (it owns the update
# folder) on the program its administrator then runs as root.
program=$bin/tactico-update-keyed
# signed <name>: a patch sample, its digest file signed by the test publisher.
signed() {
    sample "$1" --patch
    sign
}
sign() { openssl dgst -sha256 -sign "$key" -out "$update/update.dat.sha256.sig" "$update/update.dat.sha256"; }

# 1: the patch rewritten with a forged table and entry the moment root first reads it.
signed rewritten-patch
cp -r "$update" "$root/forged"
head -c 300000 /dev/urandom >>"$root/forged/tactico.exe"
(cd "$root/forged" && "$bin/tactico-update" -pack --silent "/base=$root/base/update.dat" /baseversion=3.69 >/dev/null) ||
    fail "the forged patch was not packed"
chmod -R a+rX "$root/forged"
chown $nobody "$update/update.patch"
planted
start_stopped --silent
stop_at access "$update/update.patch"
as_nobody dd "if=$root/forged/update.patch" "of=$update/update.patch" bs=1M count=1 conv=notrunc status=none
kill -CONT "$program_pid"
ended "the forged first MiB" 0
logged "is signed by publisher key"
cmp -s "$install/tactico.exe" "$update/tactico.exe" || fail "a forged tactico.exe was installed"
unharmed "1: a patch rewritten once root reads it: the copy that was hashed is the one installed"

# 2: an earlier release its publisher signed, put beside the wizard of this one.
signed replayed-release
rm "$update/update.patch"
as_nobody cp "$root/base/update.dat" "$update/update.dat"
(cd "$update" && { echo "# Release: Version 3.69 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)"; sha256sum update.dat readme_*.txt; } >update.dat.sha256)
sign
planted
run 2 --silent
logged 'update.dat.sha256 is for the release "Version 3.69 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)"'
as_was "2: an earlier release, signed in its day, is refused"
program=$bin/tactico-update

# 3: a huge sparse file renamed over the readme once staging begins.
sample sparse-readme
cp "$update/readme_eng.txt" "$root/readme_eng.txt"
planted
start_stopped --silent
stop_at create "$install"
then_nobody 0 "truncate -s 1T '$update/huge' && mv -f '$update/huge' '$update/readme_eng.txt'"
cmp -s "$install/readme.txt" "$root/readme_eng.txt" || fail "the readme installed is not the one checked"
unharmed "3: a sparse file renamed over the readme: the readme checked is copied, no more"

# 4: an unsigned patch whose delta jumps a mebibyte at every copy: the base of
# tactico.exe, 1.4 MB, is read once however the copies jump about it.
sample thrash --patch
rm "$update/update.dat.sha256"
mkdir "$root/xdelta3"
cat >"$root/xdelta3/xdelta3" <<'DELTA'
#!/usr/bin/env bash
# xdelta3 as the attacker has it: tactico.exe's delta copies 4 bytes at a time,
# from the base's start and then a mebibyte in, over and over.
set -e
new=${*: -2:1} delta=${!#}
[[ $new == tactico.exe ]] || PATH=${PATH#*:} exec xdelta3 "$@"
integer() {
    local value=$1 bytes
    bytes=$(printf '\\x%02x' $((value & 127)))
    while (((value >>= 7) > 0)); do bytes=$(printf '\\x%02x' $((value & 127 | 128)))$bytes; done
    printf "$bytes"
}
size=$(stat -c %s "$new") base=$(stat -c %s "${*: -3:1}")
copies=$((size / 4))
# Code 20 of the default table: a copy of 4 bytes, its address from the start.
head -c $copies /dev/zero | tr '\0' '\024' >instructions
{ printf '\x13' && integer $((size % 4)); } >>instructions
printf '\x00\xc0\x80\x00' >addresses
for _ in $(seq 18); do cat addresses addresses >more && mv more addresses; done
truncate -s $((copies / 2 * 4 + copies % 2)) addresses
printf '\x00' >>addresses
{ integer "$size" && printf '\x00\x00' && integer "$(stat -c %s instructions)" &&
    integer "$(stat -c %s addresses)" && cat instructions addresses; } >body
{ printf '\xd6\xc3\xc4\x00\x00\x01' && integer "$base" && printf '\x00' &&
    integer "$(stat -c %s body)" && cat body; } >"$delta"
rm instructions addresses body
DELTA
chmod 755 "$root/xdelta3/xdelta3"
(cd "$update" && PATH=$root/xdelta3:$PATH "$bin/tactico-update" -pack --silent \
    "/base=$root/base/update.dat" /baseversion=3.69 >/dev/null && rm update.dat update.dat.sha256) ||
    fail "the thrashing patch was not packed"
chown $nobody "$update/update.patch"
planted
started=$SECONDS
run 2 --silent
((SECONDS - started <= 5)) || fail "the thrashing patch took $((SECONDS - started)) s"
logged "tactico.exe: the new file is not the size and SHA-256 the patch lists"
as_was "4: a patch whose copies jump a mebibyte each is decoded in moments and refused"

# 5: a log folder that is a link to a root-only folder.
sample linked-log
mkdir -m 700 "$outside/root-only"
as_nobody ln -s "$outside/root-only" "$update/logs"
planted
run 4 --silent /log=logs/update.log
grep -q "Unable to open the log" "$root/err" || { cat "$root/err" >&2; fail "the log's refusal is not told"; }
as_was "5: a log whose folder is a link in a folder others may write is not opened"
