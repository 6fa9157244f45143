#!/usr/bin/env bash
# Runs the real program, as a user would start it, in a fresh folder with a
# fresh home: twice in a row, with malformed files, with bankroll mode and
# with a Russian locale. Checks exit status, the order of the work log's
# blocks and the stored bankroll.
set -u
EXE="$1"
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT
fail=0
passed=0

mkdir -p "$TMP/bin" "$TMP/home/.config/Quillfen" "$TMP/runtime"
chmod 700 "$TMP/runtime"
cp "$EXE" "$TMP/bin/tarnwick"
BIN="$TMP/bin"
LOG="$BIN/Tarnwick.log"
export HOME="$TMP/home" XDG_CONFIG_HOME="$TMP/home/.config" XDG_DATA_HOME="$TMP/home/.local/share"
export XDG_RUNTIME_DIR="$TMP/runtime" QT_QPA_PLATFORM=offscreen
unset LANGUAGE LC_ALL LC_MESSAGES
export LANG=C.UTF-8

check() { # name condition...
    local name="$1"
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "FAIL $name"
        fail=$((fail + 1))
    fi
}

# Starts the program; once start-up has written its run header (the session
# window opens right after it), asks it to end the way the system does at
# logout. The program closes its window as Exit does and ends normally.
run() {
    local before after pid
    before=$(grep -c '^Files in: ' "$LOG" 2>/dev/null)
    "$BIN/tarnwick" >>"$TMP/out" 2>&1 &
    pid=$!
    for _ in $(seq 300); do
        after=$(grep -c '^Files in: ' "$LOG" 2>/dev/null)
        [ "${after:-0}" -gt "${before:-0}" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    sleep 0.3
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 300); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null # still there after 30 s: the run fails
    wait "$pid"
}

# Line numbers of the start banners and of the end lines, in order.
banners() { grep -n -x -- '-----------------------------------------------------------' "$LOG" | cut -d: -f1 | tr '\n' ' '; }
ends() { grep -n -x -- '------------- End of work ---------------------------------------------' "$LOG" | cut -d: -f1 | tr '\n' ' '; }

# Every banner comes after the previous run's end line.
in_order() {
    local b e
    read -r -a b <<<"$(banners)"
    read -r -a e <<<"$(ends)"
    [ "${#b[@]}" -eq "$1" ] && [ "${#e[@]}" -eq "$1" ] || return 1
    local i
    for ((i = 0; i < $1; i++)); do
        [ "${b[$i]}" -lt "${e[$i]}" ] || return 1
        if [ "$i" -gt 0 ]; then
            [ "${e[$((i - 1))]}" -lt "${b[$i]}" ] || return 1
        fi
    done
}

check "first run exits 0" run
check "second run exits 0" run
check "two banners and two end lines, in order" in_order 2
check "the run header names the program" grep -q -x -- "$BIN/tarnwick" "$LOG"
check "the run header names the folder in use" grep -q -x -- "Files in: $BIN" "$LOG"
check "a missing rooms file is logged" grep -q -- "File <$BIN/Settings.xml> could not be opened!" "$LOG"
check "no version list is left behind" test ! -e "$BIN/ToolList.txt"
check "the window stored its position when it closed" \
    grep -q '^wndPos=-\?[0-9]*:-\?[0-9]*:-\?[0-9]*:-\?[0-9]*$' "$HOME/.config/Quillfen/tarnwick.conf"

# Malformed files everywhere, with bankroll mode on.
head -c 3000 /dev/urandom >"$BIN/Settings.xml"
{ printf '[Bankroll]\r\nUse=1\r\nTotal=1000\r\n'; head -c 500 /dev/urandom; } >"$BIN/Tarnwick.ini"
{
    printf '[View]\nOpacity=abc\nSize=-7\nColorBg=@Variant(\\0\\0)\n[Alarm]\nParam=x:y\n'
    printf '[Currency]\nCur=99\nUSD_K=,,,\n[[[\n=\n'
    head -c 300 /dev/urandom
} >"$HOME/.config/Quillfen/tarnwick.conf"
check "a run with malformed files exits 0" run
check "three banners and three end lines, in order" in_order 3
check "the bankroll is stored at exit" grep -q $'^Total=1000.000000\r$' "$BIN/Tarnwick.ini"

# A Russian default locale picks the Russian variant of the version notice.
LANG=ru_RU.UTF-8 check "a Russian run exits 0" run
check "the version notice sees the Russian locale" grep -q "VerComparison: 1$" "$LOG"
check "four banners and four end lines, in order" in_order 4

if [ "$fail" -ne 0 ]; then
    echo "--- program output"; cat "$TMP/out"
    echo "--- log"; cat "$LOG"
    exit 1
fi
echo "program: $passed checks passed"
