#!/usr/bin/env bash
# tarnwick-cli with the session window's alarms: the stop-loss line comes
# right after the hand that takes the result to the loss, in replay and while
# watching a folder that generated hands are written into; the alarm options
# refuse what they cannot take. Warnings and the day stop loss (counting the
# day's earlier session in the history) follow their hands the same way.
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
. "$(dirname "$0")/../checks.sh"

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
watch_generated() { # name options...: watches $TMP/name for 4 s while 200 hands are written
    local name="$1"
    shift
    mkdir -p "$TMP/$name"
    "$CLI" watch --room PartyPoker --nick HERO --folder "$TMP/$name" "$@" --seconds 4 \
        >"$TMP/$name.out" 2>"$TMP/$name.err" &
    WATCH_PID=$!
    for _ in $(seq 100); do
        grep -q "watching 1 folder" "$TMP/$name.err" && break
        sleep 0.1
    done
    "$GEN" partypoker 200 "$TMP/$name/table.txt" >/dev/null
    wait "$WATCH_PID"
    WATCH_PID=""
}
watch_generated watch --stop-loss 5 --time-limit 00:00
check "watch counts the hands" test "$(grep -c '"hand":' "$TMP/watch.out")" -eq 200
check "watch --stop-loss 5" stop_loss_follows_the_hand "$TMP/watch.out"
check "watch --time-limit 00:00" grep -q '^{"alarm":"time","money":[^,]*,"bb":[^,]*,"hands":[0-9]*,"seconds":[0-9]*,"level":0}$' "$TMP/watch.out"

# --- Warnings and day limits -----------------------------------------------
# An earlier session of the day in the history: the first hands of the
# generated table, as many as take the hero to 10 down.
"$CLI" replay --room PartyPoker --nick HERO "$TMP/party.txt" >"$TMP/all" 2>/dev/null
first=$(python3 - "$TMP/all" <<'PY'
import json, sys
total = 0.0
for n, line in enumerate((json.loads(l) for l in open(sys.argv[1]) if '"hand"' in l), 1):
    total += line["money"]
    if total <= -10:
        print(n)
        break
PY
)
"$GEN" partypoker "$first" "$TMP/earlier.txt" >/dev/null
DB="$TMP/Tarnwick.db"
"$CLI" replay --room PartyPoker --nick HERO --db "$DB" "$TMP/earlier.txt" >/dev/null 2>&1
earlier=$("$CLI" sessions --db "$DB" | python3 -c 'import json, sys; print(json.loads(sys.stdin.readline())["money"])')

# Each line of KIND right after the first hand whose running result (from
# START) reaches LEVEL, and once; a warning only when that hand does not
# reach its alarm's level too.
line_follows_the_hand() { # output-file what kind level [start]
    python3 - "$@" <<'PY'
import json, sys
path, what, kind, level = sys.argv[1], sys.argv[2], sys.argv[3], float(sys.argv[4])
start = float(sys.argv[5]) if len(sys.argv) > 5 else 0.0
total, crossed, seen, previous = start, False, 0, None
for line in open(path):
    o = json.loads(line)
    if o.get(what) == kind:
        seen += 1
        assert previous == "crossing hand", (previous, o)
        assert o["level"] == level, o
        previous = what
    elif "hand" in o and o.get("counted", True):
        total += o["money"]
        previous = "crossing hand" if total <= level and not crossed else "hand"
        crossed = crossed or total <= level
    elif "alarm" not in o and "warning" not in o:
        previous = "other"
assert crossed and seen == 1, (crossed, seen)
PY
}

watch_generated watch2 --db "$DB" --stop-loss 10 --warn-percent 80 --day-stop-loss 15
check "the warning at -8" line_follows_the_hand "$TMP/watch2.out" warning stop_loss -8
check "the stop loss at -10" line_follows_the_hand "$TMP/watch2.out" alarm stop_loss -10
check "the day stop loss at -15 with the earlier session's $earlier" \
    line_follows_the_hand "$TMP/watch2.out" alarm day_stop_loss -15 "$earlier"
check "the day's figures on the day alarm" python3 -c '
import json, sys
o = next(json.loads(l) for l in open(sys.argv[1]) if "day_stop_loss" in l)
assert abs(o["day_money"] - (o["money"] + float(sys.argv[2]))) < 1e-6, o' "$TMP/watch2.out" "$earlier"

expect_usage_error "warn percent 100" replay --room PartyPoker --nick HERO --warn-percent 100 "$TMP/party.txt"
expect_usage_error "warn minutes in replay" replay --room PartyPoker --nick HERO --warn-minutes 5 "$TMP/party.txt"
expect_usage_error "day stop loss no amount" replay --room PartyPoker --nick HERO --day-stop-loss lots "$TMP/party.txt"
expect_usage_error "day start not a time" replay --room PartyPoker --nick HERO --day-start 25:00 "$TMP/party.txt"

finish
