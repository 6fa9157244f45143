#!/usr/bin/env bash
# The real program, as a user runs it: a configured room, the session started
# at once, and a writer of ours appending hands (one in two pieces) to a table
# file while the program watches. The work log's detailed lines show every
# hand counted and the running money total; the session history beside it
# holds the session, ended by the exit, with every hand. Runs on a virtual X
# display when Xvfb is there, else offscreen.
set -u
EXE="$1"
GEN="$2"
TMP="$(mktemp -d)"
XVFB_PID=""
APP_PID=""
cleanup() {
    [ -n "$APP_PID" ] && kill -KILL "$APP_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$TMP"
}
trap cleanup EXIT

BIN="$TMP/bin"
mkdir -p "$BIN" "$TMP/home/.config/Quillfen" "$TMP/runtime" "$TMP/hh"
chmod 700 "$TMP/runtime"
cp "$EXE" "$BIN/tarnwick"
export HOME="$TMP/home" XDG_CONFIG_HOME="$TMP/home/.config" XDG_RUNTIME_DIR="$TMP/runtime"
export XDG_DATA_HOME="$TMP/home/.local/share" LANG=C.UTF-8
unset WAYLAND_DISPLAY

cat >"$BIN/Settings.xml" <<XML
<?xml version="1.0" encoding="utf-8"?><Settings><Rooms>
<Room Id = "PokerStars" active = "1"><NickName>HERO</NickName><HistoryPath>$TMP/hh</HistoryPath><CurrencyExchangeRate>1.0000</CurrencyExchangeRate></Room>
</Rooms>
	</Settings>
XML
printf '[Debug]\nDebug=1\n' >"$BIN/Tarnwick.ini"
printf '[BaseInfo]\nRunOnStart=1\n' >"$TMP/home/.config/Quillfen/tarnwick.conf"

if command -v Xvfb >/dev/null 2>&1; then
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        unset QT_QPA_PLATFORM
        sleep 1
        break
    done
else
    export QT_QPA_PLATFORM=offscreen
fi

"$BIN/tarnwick" >"$TMP/out.txt" 2>&1 &
APP_PID=$!
for _ in $(seq 200); do
    grep -q "Start WatchDirectory OK" "$BIN/Tarnwick.log" 2>/dev/null && break
    sleep 0.1
done
if ! grep -q "Start WatchDirectory OK" "$BIN/Tarnwick.log" 2>/dev/null; then
    echo "FAIL the session did not start watching"; cat "$BIN/Tarnwick.log" "$TMP/out.txt"
    echo "0 passed, 1 failed"
    exit 1
fi

"$GEN" pokerstars 9 "$TMP/hands.txt" >"$TMP/gen.json"
FILE="$TMP/hh/HH20261208 Table I.txt"
SIZE=$(stat -c %s "$TMP/hands.txt")
head -c $((SIZE / 2 + 17)) "$TMP/hands.txt" >"$FILE"
sleep 0.3
tail -c +$((SIZE / 2 + 18)) "$TMP/hands.txt" >>"$FILE"

WANT=$(python3 -c 'import json,sys; print("%.2f" % json.load(open(sys.argv[1]))["hero_total"])' "$TMP/gen.json")
for _ in $(seq 100); do
    [ "$(grep -c 'MakeMoneyDataOneHand: money = ' "$BIN/Tarnwick.log")" -ge 9 ] && break
    sleep 0.1
done
kill -TERM "$APP_PID"
for _ in $(seq 300); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
wait "$APP_PID" 2>/dev/null
STATUS=$?
APP_PID=""

fail=0
COUNTED=$(grep -c 'MakeMoneyDataOneHand: money = ' "$BIN/Tarnwick.log")
LAST=$(grep 'MakeMoneyDataOneHand: money = ' "$BIN/Tarnwick.log" | tail -1 | sed 's/.*money = //')
[ "$COUNTED" = 9 ] || { echo "FAIL counted $COUNTED hands, wrote 9"; fail=$((fail + 1)); }
[ "$LAST" = "$WANT" ] || { echo "FAIL money total $LAST, wanted $WANT"; fail=$((fail + 1)); }
[ "$STATUS" = 0 ] || { echo "FAIL the program ended with status $STATUS"; fail=$((fail + 1)); }
grep -q -- '------------- End of work' "$BIN/Tarnwick.log" || { echo "FAIL no end line"; fail=$((fail + 1)); }
python3 - "$BIN/Tarnwick.db" "$WANT" <<'PY' || { echo "FAIL the session history"; fail=$((fail + 1)); }
import sqlite3, sys
db = sqlite3.connect("file:%s?mode=ro" % sys.argv[1], uri=True)
sessions = db.execute("SELECT id, hands, money, end_kind FROM sessions").fetchall()
assert len(sessions) == 1, sessions
sid, hands, money, ended = sessions[0]
assert hands == 9 and "%.2f" % money == sys.argv[2] and ended == "exit", sessions
kept = db.execute("SELECT count(*), max(seq) FROM hands WHERE session = ?", (sid,)).fetchone()
assert kept == (9, 9), kept
PY
[ $fail -eq 0 ] || { cat "$BIN/Tarnwick.log"; cat "$TMP/out.txt"; }
echo "$((5 - fail)) passed, $fail failed"
[ $fail -eq 0 ]
