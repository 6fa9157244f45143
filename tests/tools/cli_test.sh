#!/usr/bin/env bash
# Checks tarnwick-cli's command line: usage errors, unreadable files, output, and a
# watch whose folder goes and comes back.
set -u
CLI="$(realpath "$1")"
GEN="$(realpath "$2")"
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT
fail=0
passed=0

expect_status() { # want name command...
    local want="$1" name="$2"
    shift 2
    "$@" >"$TMP/out" 2>"$TMP/err"
    local got=$?
    if [ "$got" -ne "$want" ]; then
        echo "FAIL $name: exit $got, wanted $want"; cat "$TMP/err"; fail=$((fail + 1))
    else
        passed=$((passed + 1))
    fi
}

"$GEN" pokerstars 20 "$TMP/h.txt" >"$TMP/gen.json"

expect_status 2 "no command" "$CLI"
expect_status 2 "unknown command" "$CLI" frobnicate
expect_status 2 "no room" "$CLI" replay --nick HERO "$TMP/h.txt"
expect_status 2 "unknown room" "$CLI" replay --room "Poker Planet" --nick HERO "$TMP/h.txt"
expect_status 2 "no nick" "$CLI" replay --room PokerStars "$TMP/h.txt"
expect_status 2 "no file" "$CLI" replay --room PokerStars --nick HERO
expect_status 2 "bad rate" "$CLI" replay --room PokerStars --nick HERO --rate USD=abc "$TMP/h.txt"
expect_status 2 "bad display" "$CLI" replay --room PokerStars --nick HERO --display JPY "$TMP/h.txt"
expect_status 2 "bad read size" "$CLI" replay --room PokerStars --nick HERO --read-bytes 0 "$TMP/h.txt"
if [ "$(wc -l <"$TMP/err")" -lt 1 ]; then echo "FAIL usage error prints no message"; fail=$((fail + 1)); fi

# An unreadable file is named, the others still count, exit 1.
expect_status 1 "missing file" "$CLI" replay --room PokerStars --nick HERO "$TMP/missing.txt" "$TMP/h.txt"
if ! grep -q "missing.txt" "$TMP/err"; then echo "FAIL missing file not named"; fail=$((fail + 1)); fi
if [ "$(grep -c '"hand":' "$TMP/out")" -ne 20 ]; then echo "FAIL other file not processed"; fail=$((fail + 1)); fi

# The generated file's true total for the hero.
summary_of_gen() {
    python3 -c 'import json,sys; print("%.2f" % json.load(open(sys.argv[1]))["hero_total"])' "$TMP/gen.json"
}

# The summary's hand count and money, and the hand lines: "HANDS MONEY LINES".
summary() {
    python3 -c 'import json,sys
lines = open(sys.argv[1]).read().splitlines()
o = json.loads(lines[-1]); assert o["summary"]
print(o["hands"], "%.2f" % o["money"], sum("\"hand\":" in l for l in lines))' "$TMP/out" 2>/dev/null
}

# A bare file name is a file of the current folder: "*.txt" typed in the
# history folder counts what the absolute paths count.
same_in_folder() { # name folder room nick
    local name="$1" dir="$2" room="$3" nick="$4" there
    expect_status 0 "$name in its folder" sh -c 'cd "$1" && shift && exec "$@" *.txt' - "$dir" \
        "$CLI" replay --room "$room" --nick "$nick"
    here=$(summary)
    expect_status 0 "$name by absolute paths" "$CLI" replay --room "$room" --nick "$nick" "$dir"/*.txt
    there=$(summary)
    if [ "$here" != "$there" ] || [ "${here%% *}" -eq 0 ]; then
        echo "FAIL $name: in its folder $here, by absolute paths $there (hands money lines)"
        fail=$((fail + 1))
    fi
}
here=""
mkdir "$TMP/hh"
cp "$TMP/h.txt" "$TMP/hh/a.txt"
sed 's/PokerStars Hand #2/PokerStars Hand #3/' "$TMP/h.txt" >"$TMP/hh/b c.txt" # other hand ids
same_in_folder generated "$TMP/hh" PokerStars HERO
if [ "${here%% *}" != 40 ]; then echo "FAIL generated: $here, wanted 40 hands"; fail=$((fail + 1)); fi
CORPUS="$(cd "$(dirname "$0")/../.." && pwd)/../shared/hh-corpus"
if [ -d "$CORPUS" ]; then
    same_in_folder "corpus pokerstars" "$CORPUS/pokerstars" PokerStars Hero
    same_in_folder "corpus 888" "$CORPUS/888" "888 poker" Borr_09
    same_in_folder "corpus partypoker" "$CORPUS/partypoker" PartyPoker Hero
    same_in_folder "corpus ipoker" "$CORPUS/ipoker" "Titan poker" Hero
else
    echo "no hand-history corpus at $CORPUS: its cases skipped"
fi

# A folder, a FIFO and a file that may not be read, under history names: each
# is named, the others still count, exit 1, and nothing waits on the FIFO (the
# time-out only ends a run that hangs). Root reads any file whatever its
# mode, so as root the run goes as "nobody" (setpriv); without setpriv the
# unreadable file is left out.
mkdir "$TMP/bad" "$TMP/bad/folder.txt"
mkfifo "$TMP/bad/fifo.txt"
cp "$TMP/h.txt" "$TMP/bad/good.txt"
bad="folder.txt fifo.txt"
as_user=""
if [ "$(id -u)" -ne 0 ]; then
    bad="$bad locked.txt"
elif command -v setpriv >/dev/null; then
    bad="$bad locked.txt"
    as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
    chmod 755 "$TMP"
else
    echo "SKIP unreadable file: running as root without setpriv"
fi
case "$bad" in *locked.txt*) cp "$TMP/h.txt" "$TMP/bad/locked.txt" && chmod 000 "$TMP/bad/locked.txt" ;; esac
expect_status 1 "unreadable files" timeout 30 $as_user sh -c 'cd "$1" && shift && exec "$@" *.txt' - \
    "$TMP/bad" "$CLI" replay --room PokerStars --nick HERO
for f in $bad; do
    if ! grep -q "cannot read $f" "$TMP/err"; then echo "FAIL $f not named"; cat "$TMP/err"; fail=$((fail + 1)); fi
done
beside=$(summary)
if [ "$beside" != "20 $(summary_of_gen) 20" ]; then
    echo "FAIL the readable file beside them: $beside (hands money lines)"; fail=$((fail + 1))
fi

# Output: one line per hand, then the summary with the true total.
expect_status 0 "replay" "$CLI" replay --room PokerStars --nick HERO --rate USD=2.00 "$TMP/h.txt"
want=$(python3 -c 'import json,sys; print("%.2f" % (2 * json.load(open(sys.argv[1]))["hero_total"]))' "$TMP/gen.json")
got=$(tail -1 "$TMP/out" | python3 -c 'import json,sys; o=json.loads(sys.stdin.read()); assert o["summary"] and o["hands"] == 20; print("%.2f" % o["money"])')
if [ "$got" != "$want" ]; then echo "FAIL summary money $got, wanted $want"; fail=$((fail + 1)); fi
if ! head -1 "$TMP/out" | python3 -c 'import json,sys; o=json.loads(sys.stdin.read()); assert set(o) == {"file","hand","room","currency","bb","result","money"}, o; assert o["money"] == 2 * o["result"]'; then
    echo "FAIL hand line"; fail=$((fail + 1))
fi

# watch: a room's folder that goes and comes back, and one missing from the
# start, are named on stderr; the hands written into the folder once it is
# back all count, and stdout stays one JSON object per line.
wait_for() { # pattern file [tries of 50 ms]
    for _ in $(seq "${3:-400}"); do
        grep -q "$1" "$2" 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}
check() { # name command...
    local name="$1"
    shift
    if "$@"; then passed=$((passed + 1)); else echo "FAIL $name"; cat "$TMP/werr"; fail=$((fail + 1)); fi
}
mkdir -p "$TMP/w/hh"
"$CLI" watch --room PokerStars --nick HERO --folder "$TMP/w/hh" --room "888 poker" --nick HERO \
    --folder "$TMP/w/later" --seconds 120 >"$TMP/wout" 2>"$TMP/werr" &
wpid=$!
check "watch starts" wait_for "watching 1 folder" "$TMP/werr"
check "missing folder named" grep -q "888 poker: history folder $TMP/w/later does not exist" "$TMP/werr"
rm -rf "$TMP/w/hh"
check "gone folder named" wait_for "PokerStars: history folder $TMP/w/hh is gone" "$TMP/werr"
mkdir "$TMP/w/hh"
cp "$TMP/h.txt" "$TMP/w/hh/HH1.txt"
check "return named" wait_for "PokerStars: history folder $TMP/w/hh is there again" "$TMP/werr"
for _ in $(seq 400); do
    [ "$(grep -c '"hand":' "$TMP/wout")" -ge 20 ] && break
    sleep 0.05
done
kill -INT "$wpid"
wait "$wpid"
check "watch output" python3 -c '
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1])]
hands = [l for l in lines if "hand" in l]
assert len(hands) == 20 and len({h["hand"] for h in hands}) == 20, len(hands)
assert all(set(h) == {"file","hand","room","currency","bb","result","money","delay_ms"} for h in hands)
assert lines[-1]["summary"] and lines[-1]["hands"] == 20, lines[-1]
' "$TMP/wout"

echo "$passed passed, $fail failed"
[ "$fail" -eq 0 ]
