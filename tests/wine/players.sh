#!/usr/bin/env bash
# The Windows program under Wine on machines as players have them, unattended (no
# display needed):
#   tests/wine/players.sh <native build dir> <windows build dir>
# A data file held for a moment, the game still running, the whole system ended
# inside the commit and inside its undo, folders in Cyrillic, Greek,
# Chinese and Polish, paths past 260 characters. Each case ends with all 47 files
# and the record all old or all new, and nothing left beside.
# TACTICO_PLAYERS_CASES="<case> ..." runs those cases only (names at the end).
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
builds "$@"
holder=$win/tactico-hold-open.exe standin=$win/tactico-game-standin.exe
need "$holder" "$standin"
work_folder tactico-wine-players
unset DISPLAY WAYLAND_DISPLAY
# Its own prefix, since ending the whole system is part of the test.
wine_prefix
staging=tactico-update.staging

silent() { exits "$1" /silent /lang=eng /deletequickstart "${@:2}"; }
# updated <case>: all new, recorded, nothing beside (not even an empty staging
# folder, which the fixture's check does not see).
updated() {
    "$fixture" check "$root" || fail "$1: not all new, or files left beside"
    recorded "$expected" || fail "$1: \"$expected\" was not recorded"
    [[ ! -e $root/installation/$staging ]] || fail "$1: $staging is left"
}
# said <pattern>: the first line of the log that matches, without its time.
said() {
    local line
    line=$(grep -m 1 -aiE "$1" "$log" | tr -d '\r') || { cat "$log" >&2; return 1; }
    echo "${line:20}"
}

# hold <options...>: data/club.dat held by tactico-hold-open in the background,
# until $root/release appears or the options say otherwise.
hold() {
    wine "$holder" "$(winepath -w "$root/installation/data/club.dat")" \
        "$(winepath -w "$root/release")" "$@" >"$root/holder" 2>&1 &
    holder_pid=$!
    wait_for 30 grep -qE "holding|waiting" "$root/holder" || fail "club.dat not held"
}
let_go() { touch "$root/release" && wait "$holder_pid" || fail "the holder ended with $?"; }

# A scanner, the search indexer or a sync client opens a file the moment it is
# written and keeps it for a moment: the commit waits for it. (all_or_nothing.sh
# holds it throughout, as the game does.)
case_held_briefly() {
    sample held-briefly
    hold /share=read /for=1500 "/once=Staged " "/in=$(winepath -w "$root/run.log")"
    silent 0
    let_go
    updated "club.dat held for 1.5 s"
    local line
    line=$(said 'club\.dat.*(retr|again|in use|wait)') || fail "club.dat held: no retry logged"
    echo "ok: club.dat held for 1.5 s from the first file staged: all new ($line)"
}

case_game_running() {
    sample game-running
    cp "$standin" "$root/installation/tactico.exe"
    cp "$standin" "$root/before/tactico.exe"
    (cd "$root/installation" && exec wine ./tactico.exe "$(winepath -w "$root/game-ends")") \
        >"$root/game" 2>&1 &
    local game=$! line
    wait_for 30 grep -q running "$root/game" || fail "the game did not start"
    silent 3
    unchanged "the game running"
    line=$(said 'game is running') || fail "the log does not say the game is running"
    touch "$root/game-ends"
    wait "$game" || fail "the game ended with $?"
    silent 0
    updated "the game ended"
    echo "ok: the game running: exit code 3, all old ($line); once it ended, all new"
}

# killed <case> <operation> <check> <when> [held]: the program paused after that
# operation of its commit or undo (check confirms where, from the log) and the
# whole system ended there; the next start leaves all old or all new.
before_pause() { sed '/Test pause after operation/q' "$log"; }
paused_or_ended() { grep -q "Test pause after operation" "$log" || gone; }
killed() {
    sample "killed-$1"
    [[ -z ${5:-} ]] || hold
    log=$root/run.log
    (cd "$update" && TACTICO_TEST_PAUSE_AFTER=$2 exec wine ./tactico-update.exe /silent /lang=eng \
        /deletequickstart "/log=$(winepath -w "$log")" >"$root/output" 2>&1) &
    program_pid=$!
    wait_for 120 paused_or_ended && ! gone || { cat "$log" >&2; fail "$1: no pause after operation $2"; }
    "$3" "$1"
    wineserver -k
    wait "$program_pid" || true
    program_pid=""
    local got=0
    log=$root/next.log
    (cd "$update" && wine ./tactico-update.exe /silent /lang=eng /deletequickstart \
        "/log=$(winepath -w "$log")" >"$root/output" 2>&1) || got=$?
    [[ ! -e $root/installation/$staging ]] ||
        { cat "$log" >&2; fail "$1: $staging is left after the next start (exit code $got)"; }
    if recorded "$expected"; then
        [[ $got -eq 0 ]] || { cat "$log" >&2; fail "$1: all new, yet exit code $got"; }
        # Only the commit that installed it takes the readme from the update folder.
        rm -f "$update/readme_eng.txt"
        updated "$1"
        echo "ok: ended $4; the next start: all new (exit code 0)"
    else
        unchanged "$1"
        [[ $got -ne 0 ]] || fail "$1: all old, yet exit code 0"
        echo "ok: ended $4; the next start: all old (exit code $got)"
    fi
}
some_replaced() {
    local replaced
    replaced=$(before_pause | grep -ac Replaced) || true
    ((replaced > 0 && replaced < 47)) || fail "$1: $replaced files replaced before the pause"
}
# The commit fails at club.dat, the 15th file, and undoes the 14 before it.
undoing() {
    before_pause | grep -a 'club\.dat' | grep -aqvE "Staged|Replaced" ||
        fail "$1: the pause came before the commit failed at club.dat"
    ! before_pause | grep -aq Undid || fail "$1: the pause came after the undo"
}
case_killed_midway() { killed midway 31 some_replaced "after 15 of 47 files were replaced"; }
case_killed_undo() { killed undo 35 undoing "inside the undo, club.dat held throughout" held; }

# windows_path <path under root>: as Windows writes it (winepath cuts a path that
# does not exist yet at 260 characters).
windows_path() { local path=$1; printf '%s\\%s' "$(winepath -w "$root")" "${path//\//\\}"; }
# move_installation <path under root>: the installation moved there and the record
# naming it, as UTF-16 in the registry; $root/installation links to it for the checks.
move_installation() {
    local place
    place=$(windows_path "$1")
    mkdir -p "$(dirname "$root/$1")"
    mv "$root/installation" "$root/$1"
    ln -s "$1" "$root/installation"
    wine reg add "$record" /v Location /d "$place" /f /reg:32 >/dev/null
    wine reg export "$record" "$(winepath -w "$root/record.reg")" /reg:32 /y >/dev/null 2>&1
    iconv -f UTF-16 -t UTF-8 "$root/record.reg" | tr -d '\r' |
        grep -qxF "\"Location\"=\"${place//\\/\\\\}\"" || fail "the registry does not hold $place"
}
# move_update <path under root>: likewise the update folder, in $update.
move_update() {
    mkdir -p "$(dirname "$root/$1")"
    mv "$root/update" "$root/$1"
    ln -s "$1" "$root/update"
    update=$root/$1
}
# padded <characters>: a path under root that long as Windows writes it, in names
# of at most 100 characters (Linux takes 255 bytes).
padded() {
    local need=$(($1 - $(winepath -w "$root" | tr -d '\n' | wc -m) - 1)) path=""
    while ((${#path} + 100 < need)); do path+=$(printf 'd%.0s' $(seq 99))/; done
    path+=$(printf 'g%.0s' $(seq $((need - ${#path}))))
    [[ $(windows_path "$path" | wc -m) -eq $1 ]] || fail "no path of $1 characters"
    echo "$path"
}

# Names that no ANSI code page holds all of, one folder in the other.
case_game_unicode() {
    sample game-unicode
    move_installation "Тактико/Τακτικό/战术足球"
    silent 0
    updated "a game folder in Cyrillic, Greek and Chinese"
    echo "ok: the game folder \"Тактико\\Τακτικό\\战术足球\": all new"
}
# A best fit to code page 1252 makes "Łódź" "Lódz": the other folder.
case_lodz() {
    sample lodz
    move_installation "Łódź"
    cp -a "$root/Łódź" "$root/Lódz"
    silent 0
    diff -r "$root/before" "$root/Lódz" >&2 || fail "Lódz, beside Łódź, was changed"
    updated "Łódź"
    echo "ok: the game folder \"Łódź\": all new; \"Lódz\" beside it untouched"
}
case_update_cyrillic() {
    sample update-cyrillic
    move_update "Обновление 3.84"
    silent 0
    updated "an update folder named Обновление 3.84"
    echo "ok: the update folder \"Обновление 3.84\": all new"
}
case_long_game() {
    sample long-game
    local path
    path=$(padded 270)
    move_installation "$path"
    silent 0
    updated "a game folder of 270 characters"
    echo "ok: a game folder of 270 characters: all new"
}
# Windows (and Wine) starts no program from a path past 260 characters: this one
# starts from beside the folder, with the folder as its current one.
case_long_update() {
    sample long-update
    local path got=0
    path=$(padded 245)
    mv "$update/tactico-update.exe" "$root/"
    move_update "$path"
    log=$root/run.log
    (cd "$update" && wine "$(winepath -w "$root")\\tactico-update.exe" /silent /lang=eng \
        /deletequickstart "/log=$(winepath -w "$log")" >"$root/output" 2>&1) || got=$?
    [[ $got -eq 0 ]] || { cat "$root/output" >&2; fail "an update folder of 245 characters: exit code $got"; }
    updated "an update folder of 245 characters"
    echo "ok: an update folder of 245 characters: all new"
}

cases=(held-briefly game-running killed-midway killed-undo game-unicode lodz update-cyrillic
    long-game long-update)
read -ra chosen <<<"${TACTICO_PLAYERS_CASES:-${cases[*]}}"
for name in "${chosen[@]}"; do
    [[ " ${cases[*]} " == *" $name "* ]] || fail "no case $name (cases: ${cases[*]})"
    "case_${name//-/_}"
done
