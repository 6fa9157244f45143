#!/usr/bin/env bash
# tarnwick-cli with the session window's alarms: the stop-loss line comes
# right after the hand that takes the result to the loss, in replay and while
# watching a folder that generated hands are written into; the alarm options
# refuse what they cannot take.
set -u
CLI="$1"
GEN="$2"
TMP="$(mktemp -d)"
WATCH_PID=""
cleanup() {
    [ -n "$WATCH_PID" ] && kill "$WATCH_PID" 2>/dev/null
    rm -rf "$TMP"
}
trap cleanup EXIT
fail=0
passed=0

check() { # name command...: counts a failure when the command fails
    local name="$1"
    shift
    if "$@"; then passed=$((passed + 1)); else echo "FAIL $name"; fail=$((fail + 1)); fi
}

expect_usage_error() { # name args...
    local name="$1"
    shift
    "$CLI" "$@" >"$TMP/out" 2>"$TMP/err"
    local got=$?
    if [ "$got" -ne 2 ] || [ ! -s "$TMP/err" ]; then
        echo "FAIL $name: exit $got, wanted 2 with a message"; fail=$((fail + 1))
    else
        passed=$((passed + 1))
    fi
}

# The hero of the generated PartyPoker hands loses more than 5 along the way.
"$GEN" partypoker 200 "$TMP/party.txt" >/dev/null

# One alarm line of KIND, right after the first hand whose running session
# result reaches LEVEL (down to it for stop_loss, up to it for take_profit),
# naming that result, the hands so far and the level. The session's result
# counts from zero whatever bankroll the money total starts from.
alarm_follows_the_hand() { # output-file kind level
    python3 - "$1" "$2" "$3" <<'PY'
import json, sys
kind, level = sys.argv[2], float(sys.argv[3])
reached = (lambda t: t <= level) if kind == "stop_loss" else (lambda t: t >= level)
total, hands, crossed, seen = 0.0, 0, False, 0
previous = None
for line in open(sys.argv[1]):
    o = json.loads(line)
    if o.get("alarm") == kind:
        seen += 1
        assert crossed and previous == "crossing hand", (previous, o)
        assert o["hands"] == hands and abs(o["money"] - total) < 1e-6 and o["level"] == level, o
        previous = "alarm"
    elif "hand" in o and o.get("counted", True):
        total += o["money"]
        hands += 1
        previous = "crossing hand" if reached(total) and not crossed else "hand"
        crossed = crossed or reached(total)
    else:
        previous = "other"
assert crossed and seen == 1, (crossed, seen)
PY
}
stop_loss_follows_the_hand() { alarm_follows_the_hand "$1" stop_loss -5; }

for loss in 5 -5; do
    "$CLI" replay --room PartyPoker --nick HERO --stop-loss "$loss" "$TMP/party.txt" >"$TMP/replay$loss" 2>"$TMP/err"
    check "replay --stop-loss $loss" stop_loss_follows_the_hand "$TMP/replay$loss"
done

# Bankroll mode: the summary carries the bankroll, the take profit measures
# the session (the generated hero is up 3 at some point, never 100).
"$CLI" replay --room PartyPoker --nick HERO --bankroll 1000 --take-profit 3 "$TMP/party.txt" \
    >"$TMP/bankroll" 2>"$TMP/err"
check "replay --bankroll 1000 --take-profit 3" alarm_follows_the_hand "$TMP/bankroll" take_profit 3
check "replay --bankroll: the summary is the bankroll" python3 -c '
import json, sys
o = [json.loads(l) for l in open(sys.argv[1])][-1]
assert o["summary"] and 960 < o["money"] < 1000, o' "$TMP/bankroll"

expect_usage_error "time limit in replay" replay --room PartyPoker --nick HERO --time-limit 01:00 "$TMP/party.txt"
expect_usage_error "time limit not HH:MM" watch --room PartyPoker --nick HERO --folder "$TMP" --time-limit 1:30
expect_usage_error "time limit beyond 99:59" watch --room PartyPoker --nick HERO --folder "$TMP" --time-limit 99:60
expect_usage_error "no hands" replay --room PartyPoker --nick HERO --hands-limit 0 "$TMP/party.txt"
expect_usage_error "stop loss no amount" replay --room PartyPoker --nick HERO --stop-loss five "$TMP/party.txt"
expect_usage_error "bb stop not whole" replay --room PartyPoker --nick HERO --bb-stop-loss 2.5 "$TMP/party.txt"

# Live: the hands are written into the watched folder once the watch runs. A
# time limit of 00:00 fires at the first tick.
mkdir -p "$TMP/hh"
"$CLI" watch --room PartyPoker --nick HERO --folder "$TMP/hh" --stop-loss 5 --time-limit 00:00 \
    --seconds 4 >"$TMP/watch" 2>"$TMP/watch.err" &
WATCH_PID=$!
for _ in $(seq 100); do
    grep -q "watching 1 folder" "$TMP/watch.err" && break
    sleep 0.1
done
"$GEN" partypoker 200 "$TMP/hh/table.txt" >/dev/null
wait "$WATCH_PID"
WATCH_PID=""
check "watch counts the hands" test "$(grep -c '"hand":' "$TMP/watch")" -eq 200
check "watch --stop-loss 5" stop_loss_follows_the_hand "$TMP/watch"
check "watch --time-limit 00:00" grep -q '^{"alarm":"time","money":[^,]*,"bb":[^,]*,"hands":[0-9]*,"seconds":[0-9]*,"level":0}$' "$TMP/watch"

echo "$passed passed, $fail failed"
[ "$fail" -eq 0 ]
