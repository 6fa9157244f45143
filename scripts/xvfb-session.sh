# Sourced by scripts/screenshot and scripts/idle-usage: starts the program as
# a user would see it, on a virtual X display (Xvfb), from a fresh copy in a
# temporary folder: one configured room, bankroll mode with a stored total so
# the money figure shows, all three alarms on, the session started at once.
#
# Expects ROOT and SIZE (0 Small, 1 Medium, 2 Large); with HH_MISSING=1 the
# room's history folder does not exist, so the window shows the room as not
# watched. With ALARMS=1 the hands alarm (at 3 hands) shows its message, a
# window manager runs when one is installed (openbox), and a stand-in poker
# table has the focus. WARNINGS=1 is the same with warnings instead: 3 hands
# before the hands limit of 8 and at 80 % of the way to a take profit of 8.
# Sets TMP, APP_PID, DISPLAY; cleans up on exit.

BUILD="${TARNWICK_BUILD_DIR:-$ROOT/build}"
"$ROOT/scripts/build" >/dev/null

TMP="$(mktemp -d)"
XVFB_PID=""
APP_PID=""
EXTRA_PIDS=()
cleanup() {
    if [ -n "$APP_PID" ]; then
        kill "$APP_PID" 2>/dev/null && wait "$APP_PID" 2>/dev/null
    fi
    # They end by the signal: their status must not stop the cleanup.
    for pid in "${EXTRA_PIDS[@]}"; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    fi
    rm -rf "$TMP"
}
trap cleanup EXIT

BIN="$TMP/bin"
mkdir -p "$BIN" "$TMP/home/.config/Quillfen" "$TMP/runtime"
[ "${HH_MISSING:-0}" = 1 ] || mkdir -p "$TMP/hh"
chmod 700 "$TMP/runtime"
cp "$BUILD/tarnwick" "$BIN/tarnwick"
export HOME="$TMP/home" XDG_CONFIG_HOME="$TMP/home/.config" XDG_RUNTIME_DIR="$TMP/runtime"
export XDG_DATA_HOME="$TMP/home/.local/share" LANG=C.UTF-8
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

cat >"$BIN/Settings.xml" <<XML
<?xml version="1.0" encoding="utf-8"?><Settings><Rooms>
<Room Id = "PokerStars" active = "1"><NickName>HERO</NickName><HistoryPath>$TMP/hh</HistoryPath><CurrencyExchangeRate>1.0000</CurrencyExchangeRate></Room>
</Rooms>
	</Settings>
XML
printf '[Bankroll]\r\nUse=1\r\nTotal=1234.56\r\n' >"$BIN/Tarnwick.ini"
HANDS_LIMIT=700
TAKE_PROFIT=0
MONEY_LIMITS=100:-50
LIMITS=""
TABLE=0
[ "${ALARMS:-0}" = 1 ] || [ "${WARNINGS:-0}" = 1 ] && TABLE=1
if [ "${WARNINGS:-0}" = 1 ]; then
    HANDS_LIMIT=8
    TAKE_PROFIT=1
    MONEY_LIMITS=8:-50 # the first hands bring the session's result past 6.40
    LIMITS="[Limits]
WarnHands=1
WarnHandsBefore=3
WarnTakeProfit=1
WarnPercent=80"
fi
if [ "${ALARMS:-0}" = 1 ]; then
    printf '[AlarmMessage]\r\nHand=1\r\n' >>"$BIN/Tarnwick.ini"
    HANDS_LIMIT=3
    TAKE_PROFIT=1
    MONEY_LIMITS=5:-50 # the session's result passes 5 with the first hands
fi
cat >"$HOME/.config/Quillfen/tarnwick.conf" <<INI
[BaseInfo]
RunOnStart=1
[View]
Size=${SIZE:-0}
wndPos=16:16:156:96
[Alarm]
Param=1:$HANDS_LIMIT
[Alarm2]
Param=1:$MONEY_LIMITS
TakeProfit=$TAKE_PROFIT
[Alarm3]
Param=1:90
$LIMITS
INI

# A free display number.
DISPLAY_NUMBER=90
while [ -e "/tmp/.X11-unix/X$DISPLAY_NUMBER" ] || [ -e "/tmp/.X$DISPLAY_NUMBER-lock" ]; do
    DISPLAY_NUMBER=$((DISPLAY_NUMBER + 1))
done
Xvfb ":$DISPLAY_NUMBER" -screen 0 640x400x24 -nolisten tcp >"$TMP/xvfb.log" 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUMBER"
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$DISPLAY_NUMBER" ] && break
    sleep 0.05
done

if [ "$TABLE" = 1 ]; then
    if command -v openbox >/dev/null 2>&1; then
        openbox >"$TMP/wm.log" 2>&1 &
        EXTRA_PIDS+=($!)
        sleep 1
    fi
    # The poker table the user plays at, below the window.
    xmessage -geometry 300x120+16+260 -name table "poker table" >/dev/null 2>&1 &
    EXTRA_PIDS+=($!)
fi

"$BIN/tarnwick" >"$TMP/app.log" 2>&1 &
APP_PID=$!
# The window appears after start-up (the version notice may take a few
# seconds without a network).
if ! timeout 30 xdotool search --sync --onlyvisible --name '^Tarnwick$' >/dev/null 2>&1; then
    echo "the window did not appear" >&2
    cat "$TMP/app.log" >&2
    exit 1
fi
