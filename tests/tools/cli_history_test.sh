#!/usr/bin/env bash
# tarnwick-cli and the session history: a `watch --db` killed with SIGKILL
# in the middle of a session loses no hand it printed, and the next start
# closes that session as interrupted at its last hand; `sessions` and
# `hands` give the same numbers as CSV (read with Python's csv module) as
# as JSON; the reading commands refuse what they cannot read and change
# nothing.
set -u
CLI="$1"
GEN="$2"
TMP="$(mktemp -d)"
WATCH_PID=""
WRITER_PID=""
cleanup() {
    [ -n "$WATCH_PID" ] && kill -9 "$WATCH_PID" 2>/dev/null
    [ -n "$WRITER_PID" ] && kill "$WRITER_PID" 2>/dev/null
    rm -rf "$TMP"
}
trap cleanup EXIT
. "$(dirname "$0")/../checks.sh"

wait_for() { # seconds command...: polls until the command succeeds
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.1
    done
}

hand_lines() { grep -c '"hand"' "$1" 2>/dev/null || true; }
at_least() { [ "$(hand_lines "$1")" -ge "$2" ]; }

"$GEN" pokerstars 400 "$TMP/pool.txt" >/dev/null
mkdir "$TMP/hh"
DB="$TMP/Tarnwick.db"
WATCH=(watch --room PokerStars --nick HERO --folder "$TMP/hh" --db "$DB")

# --- Killed in the middle of a session ---------------------------------------
"$CLI" "${WATCH[@]}" >"$TMP/out1" 2>"$TMP/err1" &
WATCH_PID=$!
wait_for 30 grep -q watching "$TMP/err1"
# A table that gets a hand every 20 ms, on and on.
python3 - "$TMP/pool.txt" "$TMP/hh/HH20261208 Table 1.txt" <<'PY' &
import re, sys, time
hands = re.split(r"(?=PokerStars Hand #)", open(sys.argv[1], encoding="utf-8").read())
with open(sys.argv[2], "a", encoding="utf-8") as out:
    for h in hands:
        if h.startswith("PokerStars Hand #"):
            out.write(h)
            out.flush()
            time.sleep(0.02)
PY
WRITER_PID=$!
check "watch --db prints hands while they are written" wait_for 60 at_least "$TMP/out1" 40
kill -9 "$WATCH_PID"
wait "$WATCH_PID" 2>/dev/null
WATCH_PID=""
wait "$WRITER_PID"
WRITER_PID=""

"$CLI" hands --db "$DB" --session 1 >"$TMP/kept1" 2>"$TMP/err"
check "the killed session's hands can be read" test -s "$TMP/kept1"
every_printed_hand_is_kept() {
    python3 - "$TMP/out1" "$TMP/kept1" <<'PY'
import json, sys
printed = [json.loads(l) for l in open(sys.argv[1]) if '"hand"' in l]
kept = [json.loads(l) for l in open(sys.argv[2])]
ids = [h["hand"] for h in kept]
assert len(ids) == len(set(ids)), "a hand kept twice"
missing = [h["hand"] for h in printed if h["hand"] not in ids]
assert not missing, ("printed but not kept", missing)
total = 0.0
for i, h in enumerate(kept):
    total += h["money"]
    assert h["seq"] == i + 1 and abs(h["total"] - total) < 1e-6, h
PY
}
check "every hand printed before the kill is kept, in order" every_printed_hand_is_kept

# The next start finds the session open and closes it at its last hand.
"$CLI" "${WATCH[@]}" --seconds 0.5 >"$TMP/out2" 2>"$TMP/err2"
check "the next start says it closed the session" grep -q interrupted "$TMP/err2"
"$CLI" sessions --db "$DB" >"$TMP/sessions" 2>"$TMP/err"
closed_as_interrupted() {
    python3 - "$TMP/sessions" "$TMP/kept1" <<'PY'
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1])]
kept = [json.loads(l) for l in open(sys.argv[2])]
first, second, totals = lines
assert first["id"] == 1 and first["ended"] == "interrupted", first
assert first["end"] == kept[-1]["time"], (first["end"], kept[-1]["time"])
assert first["hands"] == len(kept) and abs(first["money"] - kept[-1]["total"]) < 1e-6, first
assert second["id"] == 2 and second["ended"] == "exit", second
assert totals["totals"] is True and totals["sessions"] == 2, totals
assert totals["hands"] == first["hands"] + second["hands"], totals
PY
}
check "the killed session is closed as interrupted at its last hand" closed_as_interrupted

# --- CSV gives the numbers JSON gives -----------------------------------------
"$CLI" sessions --db "$DB" --csv >"$TMP/sessions.csv" 2>"$TMP/err"
"$CLI" hands --db "$DB" --session 1 --csv >"$TMP/hands.csv" 2>"$TMP/err"
csv_matches_json() {
    python3 - "$TMP/sessions" "$TMP/sessions.csv" "$TMP/kept1" "$TMP/hands.csv" <<'PY'
import csv, json, sys

def same(json_lines, csv_rows, totals_key=None):
    assert len(json_lines) == len(csv_rows), (len(json_lines), len(csv_rows))
    for j, row in zip(json_lines, csv_rows):
        if j.get("totals"):
            assert row["id"] == "totals", row
        for name, value in row.items():
            if name == "id" and value == "totals":
                continue
            if name == "rooms":
                assert json.loads(value) == j["rooms"], (value, j["rooms"])
            elif name == "ended" and j.get("totals"):
                assert value == "", value
            elif j[name] is None:
                assert value == "", (name, value)
            elif isinstance(j[name], (int, float)):
                assert float(value) == float(j[name]), (name, value, j[name])
            else:
                assert value == j[name], (name, value, j[name])

sessions = [json.loads(l) for l in open(sys.argv[1])]
with open(sys.argv[2], newline="") as f:
    rows = list(csv.DictReader(f))
same(sessions, rows)
hands = [json.loads(l) for l in open(sys.argv[3])]
with open(sys.argv[4], newline="") as f:
    rows = list(csv.DictReader(f))
assert list(rows[0].keys()) == list(hands[0].keys()), rows[0].keys()
same(hands, rows)
PY
}
check "sessions and hands as CSV give the JSON numbers" csv_matches_json

# --- Refusals -----------------------------------------------------------------
expect_status() { # name status args...
    local name="$1" want="$2"
    shift 2
    "$CLI" "$@" >"$TMP/out" 2>"$TMP/err"
    local got=$?
    if [ "$got" -ne "$want" ] || [ ! -s "$TMP/err" ]; then
        echo "FAIL $name: exit $got, wanted $want with a message"; fail=$((fail + 1))
    else
        passed=$((passed + 1))
    fi
}
expect_status "sessions needs --db" 2 sessions
expect_status "hands needs --session" 2 hands --db "$DB"
expect_status "a bad --period" 2 sessions --db "$DB" --period year
expect_status "a session that is not there" 1 hands --db "$DB" --session 99
expect_status "a history that is not there" 1 sessions --db "$TMP/none.db"
printf 'not a history at all\n%.0s' $(seq 200) >"$TMP/garbage.db"
cp "$TMP/garbage.db" "$TMP/garbage.orig"
expect_status "a file that is no history" 1 sessions --db "$TMP/garbage.db"
check "reading leaves a file that is no history as it was" cmp -s "$TMP/garbage.db" "$TMP/garbage.orig"

finish
