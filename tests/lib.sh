# Sourced by the test scripts; sets nothing up by itself: each script calls what it needs.

fail() { echo "FAIL: $*" >&2; exit 1; }
usage() { echo "usage: $0 $*" >&2; exit 2; }
need() { local file; for file; do [[ -f $file ]] || fail "missing $file"; done; }

# builds <native build dir> <windows build dir>: bin, win (their bin folders), exe
# and fixture, all present.
builds() {
    [[ $# -eq 2 ]] || usage "<native build dir> <windows build dir>"
    bin=$(realpath "$1")/bin
    win=$(realpath "$2")/bin
    exe=$win/tactico-update.exe
    fixture=$bin/tactico-display-fixture
    need "$exe" "$fixture" "$bin/tactico-demo"
}

# linux_sample [<name> [--patch]]: a fresh 3.69 installation, its record file and the
# update folder in root ($work/name, else $work), for the Linux program in $bin.
linux_sample() {
    root=$work${1:+/$1}
    "$bin/tactico-demo" prepare --root "$root" --bin "$bin" "${@:2}" >/dev/null ||
        fail "tactico-demo prepare"
    export TACTICO_REGISTRY=$root/registry.reg
}
# run <expected exit code> <arguments...>: the Linux program (or $program) in root's
# update folder, its output in $root/out and $root/err.
run() {
    local got=0
    (cd "$root/update" && timeout 60 "${program:-$bin/tactico-update}" "${@:2}" >"$root/out" 2>"$root/err") ||
        got=$?
    [[ $got -eq $1 ]] || { cat "$root/out" "$root/err" >&2; fail "exit code $got, not $1: ${*:2}"; }
}

# wait_for <seconds> <command...>: polls the command until it succeeds.
wait_for() {
    local deadline=$((SECONDS + $1))
    until "${@:2}" >/dev/null 2>&1; do ((SECONDS < deadline)) || return 1; sleep 0.2; done
}

# work_folder <name>: a new folder in $work. On exit the script's on_exit runs, the
# program it started, its own Wine server and X display end, and the folder goes,
# unless the run failed and KEEP_WINE_WORK is set.
own_prefix="" program_pid="" program_trace="" xvfb_pid=""
work_folder() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
    trap cleanup EXIT
}
cleanup() {
    local status=$?
    set +e
    declare -F on_exit >/dev/null && on_exit
    [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null
    [[ -n $own_prefix ]] && wineserver -k 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    [[ -n ${work:-} ]] || return
    if [[ $status -ne 0 && -n ${KEEP_WINE_WORK:-} ]]; then echo "work folder kept: $work" >&2; else rm -rf "$work"; fi
}

# start_xvfb <first display number> <width>x<height>: a display of this run's own
# at the first free number from there, in DISPLAY.
start_xvfb() {
    local n
    for n in $(seq "$1" $(($1 + 39))); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        # -noreset: by default the server resets when its last client leaves, and a
        # program connecting during that reset (right after the probe below) fails.
        Xvfb ":$n" -screen 0 "$2x24" -nolisten tcp -noreset >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        wait_for 10 xdotool getdisplaygeometry && return
        kill "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    done
    fail "no free X display"
}

# wine_runs_32bit: whether this kernel executes Debian's 32-bit Wine loader (some
# kernels run no 32-bit programs at all: "Exec format error"). TACTICO_WINE32_LOADER
# names another loader, a missing one to act out such a kernel.
wine_runs_32bit() {
    "${TACTICO_WINE32_LOADER:-/usr/lib/wine/wine}" --version >/dev/null 2>&1
}
# Debian's wine, wineboot and winepath all start the 32-bit loader whenever it is
# installed, whatever WINELOADER says; where it cannot run, a folder at the front of
# PATH hands them the 64-bit loader instead.
wine64_only() {
    wine_runs_32bit && return
    [[ -n ${TACTICO_WINE64_SHIMS:-} ]] && return
    export TACTICO_WINE64_SHIMS=$work/wine64-bin WINELOADER=/usr/lib/wine/wine64
    mkdir -p "$TACTICO_WINE64_SHIMS"
    local name
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexec %s "$@"\n' "$WINELOADER" >"$TACTICO_WINE64_SHIMS/$name"
        chmod +x "$TACTICO_WINE64_SHIMS/$name"
    done
    export PATH=$TACTICO_WINE64_SHIMS:$PATH
}

# wine_prefix [given]: a Wine prefix in the work folder, made now and ended with the
# run; with "given", the one already in WINEPREFIX (run.sh's) where there is one.
# Wine's desktop takes the display of the first program in the prefix.
wine_prefix() {
    wine64_only
    [[ ${1:-} == given && -n ${WINEPREFIX:-} ]] && return
    own_prefix=1
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEPREFIX=$work/prefix
    if [[ -n ${TACTICO_WINE_TEMPLATE:-} ]]; then
        copy_prefix "$TACTICO_WINE_TEMPLATE" "$WINEPREFIX"
    else
        mkdir -p "$WINEPREFIX"
    fi
    wineserver -p 60
    [[ -n ${TACTICO_WINE_TEMPLATE:-} ]] || wineboot -i >/dev/null 2>&1 || fail "wineboot"
}
# wine_template <folder>: a Wine prefix made there once (Wine's first start is
# slow), for every later wine_prefix of this shell and its children to copy.
wine_template() {
    work=$1
    wine64_only
    (
        export WINEPREFIX=$1/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
        wineboot -i >/dev/null 2>&1 && wineserver -w
    ) || fail "wineboot"
    export TACTICO_WINE_TEMPLATE=$1/prefix
}
# copy_prefix <template> <folder>: a prefix made in moments from one made before. The
# system's files are shared as hard links, which Wine only reads; the registry and
# the settings files, which it rewrites in place, and the user's profile are copied.
copy_prefix() {
    cp -al "$1" "$2"
    local file
    while IFS= read -r -d '' file; do
        cp --remove-destination "$1/${file#"$2"/}" "$file"
    done < <(find "$2" -maxdepth 1 -name '*.reg' -print0
        find "$2/drive_c/windows" -maxdepth 1 -type f -name '*.ini' -print0)
    rm -rf "$2/drive_c/users"
    cp -a "$1/drive_c/users" "$2/drive_c/users"
}

# make_locale <name>: that UTF-8 locale in $work/locale (for LOCPATH), where Wine
# takes the user-interface language and the ANSI code page from.
make_locale() {
    mkdir -p "$work/locale"
    localedef -i "$1" -f UTF-8 "$work/locale/$1.UTF-8" >/dev/null 2>&1 ||
        [[ -f $work/locale/$1.UTF-8/LC_CTYPE ]] || fail "localedef $1"
}

record='HKLM\Software\Brackwater Ltd\Tactico'
installed="Version 3.69 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)"
expected="Version 3.84 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)"
recorded() { wine reg query "$record" /v Version /reg:32 | grep -qF "$1"; }

# sample [<name> [--patch]]: as linux_sample, with the Windows program in the update
# folder, a copy of the installation as it was in $root/before, and the record
# pointing there, where the game's 32-bit installer leaves it on 64-bit Windows.
# With --patch the update folder holds update.patch instead of update.dat, packed
# here (Debian has no Windows xdelta3).
sample() {
    linux_sample "$@"
    update=$root/update
    cp "$exe" "$update/tactico-update.exe"
    cp -a "$root/installation" "$root/before"
    wine reg add "$record" /v Version /d "$installed" /f /reg:32 >/dev/null
    wine reg add "$record" /v Location /d "$(winepath -w "$root/installation")" /f /reg:32 >/dev/null
}

# exits <expected exit code> <arguments...>: the program in the update folder, run to
# its end with a log in $log; its standard output lands in $root/output.
exits() {
    local got=0
    log=$root/run.log
    rm -f "$log"
    (cd "$update" && wine ./tactico-update.exe "${@:2}" "/log=$(winepath -w "$log")" \
        >"$root/output" 2>"$root/errors") || got=$?
    [[ $got -eq $1 ]] || { cat "$root/output" "$log" >&2 || true; fail "exit code $got, not $1, for ${*:2}"; }
}
logged() { grep -qF -- "$1" "$log" || { cat "$log" >&2; fail "the log lacks: $1"; }; }
# unchanged <case>: every file of the installation as in $root/before, read-only where
# it was, nothing added, and the record still naming the old version.
unchanged() {
    diff -r "$root/before" "$root/installation" >&2 || fail "$1: the installation changed"
    diff <(listing "$root/before") <(listing "$root/installation") >&2 ||
        fail "$1: files added or removed, or read-only no longer"
    recorded "$installed" || fail "$1: the record changed"
}
# Wine keeps Windows' read-only attribute as the Unix write bits; the execute bits
# it sets from the name alone (a renamed .exe gains them), so they are left out.
listing() { (cd "$1" && find . -printf '%P %y %s\n' -type f ! -perm -u=w -printf '%P read-only\n' | sort); }

# start <trace> <arguments...>: the program in the update folder, in the background;
# what Wine writes to standard error lands in $root/<trace>.
start() {
    (cd "$update" && exec wine ./tactico-update.exe "${@:2}" >"$root/output" 2>"$root/$1") &
    program_pid=$!
    program_trace=$root/$1
}
gone() { ! kill -0 "$program_pid" 2>/dev/null; }
# find_window: the program's visible window, in $window (each run has a display of its own).
find_window() {
    window=$(xdotool search --all --onlyvisible --name '^Tactico Update$' | head -n 1)
    [[ -n $window ]]
}
# shown_language: the started program's window, in $window, on the language screen.
shown_language() {
    wait_for 60 find_window || { program_state; fail "no window titled \"Tactico Update\""; }
    wait_for 30 reached language || { program_state; fail "no language screen"; }
}
# reached <screen>: the log in $log (lines end CR LF on Windows) names that screen;
# "the end": the program has ended.
reached() { if [[ $1 == "the end" ]]; then gone; else grep -qE "Screen: $1"$'\r?$' "$log"; fi; }
# Keys before a screen is built are discarded with the other input latched before
# that paint, so each step is repeated until it lands.
keys_until() {
    local screen=$1 attempt
    shift
    for attempt in $(seq 10); do
        xdotool windowfocus --sync "$window" 2>/dev/null || true
        xdotool key --delay 100 "$@" 2>/dev/null || true
        if wait_for 2 reached "$screen"; then return; fi
    done
    program_state
    fail "the keys $* did not lead to $screen"
}
# key_closes <title> <key>: true once no window of that title shows; while one does,
# it is given the focus and the key. Press and release both go through the X
# server's keyboard: with key --window, xdotool sends the release to the window
# itself once the press has closed it or taken its focus, so the server never sees
# the key go up and repeats it into whatever window comes next.
key_closes() {
    local id
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [[ -n $id ]] || return 0
    xdotool windowfocus "$id" 2>/dev/null || true
    xdotool key "$2" 2>/dev/null || true
    return 1
}
# ended <after what> [<exit code>]: the program started in the background ends, with
# that exit code (0).
ended() {
    local got=0
    wait_for 60 gone || fail "the program still runs after $1"
    wait "$program_pid" || got=$?
    program_pid=""
    [[ $got -eq ${2:-0} ]] || fail "exit code $got after $1"
}

# renderings: the button positions (LANGUAGE_X, NEXT_X, ...) of the sample in root and
# the headless renderings of its screens, each pixel a scale by scale block on show.
renderings() {
    local points
    points=$("$bin/tactico-demo" buttons --root "$root") || fail "button positions"
    eval "$points"
    "$fixture" screens "$root" || fail "headless renderings"
}
scale=1
capture() { import -window root -depth 8 "$root/capture.ppm"; }
located() {
    capture && "$fixture" locate "$root/capture.ppm" "$root/language.ppm" "$scale" >"$root/origin"
}
# find_client <seconds>: the language screen on the display; ox, oy its client origin.
find_client() {
    wait_for "$1" located || { program_state; fail "the language screen is not the headless rendering at $scale x"; }
    read -r ox oy <"$root/origin"
}
shows() { capture && "$fixture" compare "$root/capture.ppm" "$root/$1.ppm" "$ox" "$oy" "$scale"; }
expect_screen() {
    wait_for 20 shows "$1" || { shows "$1" || true; program_state; fail "$1 is not the headless rendering at $scale x"; }
}
# program_state: what a screen that does not show may be down to: the program
# ended, or its window gone, moved or resized; and the last of what Wine wrote.
program_state() {
    if [[ -n ${program_pid:-} ]] && gone; then
        local got=0
        wait "$program_pid" || got=$?
        program_pid=""
        echo "the program has ended, exit code $got" >&2
    else
        local id
        for id in $(xdotool search --all --onlyvisible --name 'Tactico' 2>/dev/null); do
            echo "window $id \"$(xdotool getwindowname "$id")\": $(xdotool getwindowgeometry "$id" | tr -s '\n ' ' ')" >&2
        done
    fi
    [[ -n ${program_trace:-} && -s $program_trace ]] && { echo "the last of $program_trace:" >&2; tail -n 20 "$program_trace" >&2; }
    return 0
}
# The program polls the button once a frame: hold it across a few frames.
press() { xdotool mousemove $((ox + scale * $1)) $((oy + scale * $2)) sleep 0.1 mousedown 1; }
click() { press "$@"; sleep 0.3; xdotool mouseup 1; }
# clicks_land: English clicked, then Next held down, each screen as its headless
# rendering. Held down, Next alone is redrawn and copied: a rectangle away from the
# top and bottom edges shows whether rows are taken from the right place.
clicks_land() {
    click "$LANGUAGE_X" "$LANGUAGE_Y"
    expect_screen version
    press "$NEXT_X" "$NEXT_Y"
    expect_screen next-pressed
    xdotool mouseup 1
}

# change_byte <file> <offset>: that byte inverted.
change_byte() {
    local byte
    byte=$(od -An -tu1 -j "$2" -N 1 "$1" | tr -d ' ')
    printf "\\$(printf %03o $((byte ^ 255)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
