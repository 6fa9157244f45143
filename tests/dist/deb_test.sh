#!/usr/bin/env bash
# Makes the Debian package from the build (cpack, into a temporary folder),
# extracts it into a temporary root and runs what it installs as a user
# would: tarnwick under a virtual X display (Xvfb) with a fresh home, whose
# window must appear, with the class its desktop entry names, and whose work
# log and settings must land in the user's data and config folders, not
# beside the executable; tarnwick-cli counting a generated history file to
# its known totals. Skips (77) without the packaging or display tools.
#
#   deb_test.sh CPACK BUILD_DIR TARNWICK_GEN
set -u
CPACK="$1"
BUILD="$2"
GEN="$3"
for tool in dpkg-deb dpkg-shlibdeps Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is missing (scripts/deps installs it): skipped"
        exit 77
    fi
done
TMP="$(mktemp -d)"
XVFB_PID=""
APP_PID=""
cleanup() {
    [ -n "$APP_PID" ] && kill -KILL "$APP_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$TMP"
}
trap cleanup EXIT
. "$(dirname "$0")/../checks.sh"

# The package, as scripts/package makes it, from this build.
if ! (cd "$BUILD" && "$CPACK" -G DEB -B "$TMP/pkg") >"$TMP/cpack.log" 2>&1; then
    cat "$TMP/cpack.log"
    exit 1
fi
DEB="$(ls "$TMP"/pkg/tarnwick_*.deb)"
field() { dpkg-deb -f "$DEB" "$1"; }
check "the package's dependencies are computed" sh -c 'echo "$1" | grep -q "libqt6widgets6"' - \
    "$(field Depends)"
check "the maintainer" sh -c 'echo "$1" | grep -q "^Quillfen"' - "$(field Maintainer)"
check "no maintainer scripts" test -z "$(dpkg-deb --ctrl-tarfile "$DEB" | tar -t | grep -v -e '^\./$' -e '^\./control$' -e '^\./md5sums$')"

ROOT="$TMP/root"
dpkg-deb -x "$DEB" "$ROOT"
BIN="$ROOT/usr/bin"
check "the manual pages are compressed" test -f "$ROOT/usr/share/man/man1/tarnwick.1.gz" \
    -a -f "$ROOT/usr/share/man/man1/tarnwick-cli.1.gz"

# tarnwick-cli from the package counts what the generator wrote.
"$GEN" pokerstars 200 "$TMP/h.txt" >"$TMP/gen.json"
"$BIN/tarnwick-cli" replay --room PokerStars --nick HERO "$TMP/h.txt" >"$TMP/replay.json"
check "tarnwick-cli replays to the generated totals" python3 -c '
import json, sys
want = json.load(open(sys.argv[1]))
got = json.loads(open(sys.argv[2]).read().splitlines()[-1])
assert got["summary"] and got["hands"] == want["hands"] == 200, (got, want)
assert "%.2f" % got["money"] == "%.2f" % want["hero_total"], (got, want)
assert got["unread"] == 0, got' "$TMP/gen.json" "$TMP/replay.json"

# tarnwick as a user starts it: a fresh home, the desktop's defaults for the
# XDG folders.
HOME="$TMP/home"
mkdir -p "$HOME" "$TMP/runtime"
chmod 700 "$TMP/runtime"
export HOME XDG_RUNTIME_DIR="$TMP/runtime" LANG=C.UTF-8
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME XDG_CONFIG_DIRS XDG_DATA_DIRS
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# Xvfb picks a free display and writes its number.
Xvfb -displayfd 9 -screen 0 640x400x24 -nolisten tcp 9>"$TMP/display" >"$TMP/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do
    [ -s "$TMP/display" ] && break
    sleep 0.05
done
export DISPLAY=":$(head -1 "$TMP/display")"

"$BIN/tarnwick" >"$TMP/app.log" 2>&1 &
APP_PID=$!
# The first start opens the settings over the window (no rooms yet).
window="$(timeout 30 xdotool search --sync --onlyvisible --name '^Tarnwick$' 2>/dev/null | head -1)"
check "the window appears" test -n "$window"
if [ -n "$window" ] && command -v xprop >/dev/null 2>&1; then
    wm_class="$(sed -n 's/^StartupWMClass=//p' "$ROOT/usr/share/applications/org.quillfen.Tarnwick.desktop")"
    check "the window's class is the entry's StartupWMClass" sh -c \
        'xprop -id "$1" WM_CLASS | grep -q "= \"$2\", \"$2\"$"' - "$window" "$wm_class"
fi
# Ended as at logout: the window closes and stores its position.
kill -TERM "$APP_PID"
for _ in $(seq 300); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
done
wait "$APP_PID"
status=$?
APP_PID=""
check "the program ends normally" test "$status" -eq 0

DATA="$HOME/.local/share/Quillfen/tarnwick"
check "the work log is in the user's data folder" grep -q -x -- "Files in: $DATA" "$DATA/Tarnwick.log"
check "the settings are in the user's config folder" \
    grep -q '^wndPos=' "$HOME/.config/Quillfen/tarnwick.conf"
check "nothing is written beside the executable" test "$(ls -A "$BIN" | tr '\n' ' ')" = "tarnwick tarnwick-cli "

[ "$fail" -eq 0 ] || { echo "--- program output"; cat "$TMP/app.log"; }
finish
