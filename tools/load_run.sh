#!/usr/bin/env bash
# The live figures: tarnwick-cli watch while tools/load_writer.py appends hands
# to 24 table files at 20 hands/s (some in pieces), then a quiet minute.
# Prints hands written and counted, lost and doubled, the append-to-count
# delay (median, p99), the watcher's CPU time while nothing changes and its
# resident memory over the run.
#
# usage: tools/load_run.sh BUILD_DIR WORK_DIR [SECONDS [WATCH_OPTION...]]
# The watch options go to tarnwick-cli watch as they are: `--db WORK_DIR/h.db`
# measures the same run while the session is recorded.
set -euo pipefail
BUILD="$1"
WORK="$2"
SECONDS_RUN="${3:-600}"
shift $(($# < 3 ? $# : 3))
QUIET=60
rm -rf "$WORK" && mkdir -p "$WORK/hh"
"$BUILD/tarnwick-gen" pokerstars 5000 "$WORK/pool.txt" >/dev/null
HERE="$(cd "$(dirname "$0")" && pwd)"

python3 "$HERE/load_writer.py" --pool "$WORK/pool.txt" --folder "$WORK/hh" --tables 24 --rate 20 \
    --seconds "$SECONDS_RUN" --record "$WORK/written.json" >"$WORK/writer.json" &
WRITER=$!
sleep 1 # the tables are open before the session starts
"$BUILD/tarnwick-cli" watch --room PokerStars --nick HERO --folder "$WORK/hh" \
    --seconds $((SECONDS_RUN + QUIET + 15)) "$@" >"$WORK/out.jsonl" 2>"$WORK/err.txt" &
CLI=$!
# One sample a second: CPU ticks (user + system) and resident kB.
( while kill -0 $CLI 2>/dev/null; do
      if [ -r /proc/$CLI/stat ]; then
          t=$(awk '{print $14 + $15}' /proc/$CLI/stat 2>/dev/null || echo 0)
          r=$(awk '/VmRSS/ {print $2}' /proc/$CLI/status 2>/dev/null || echo 0)
          echo "$(date +%s.%N) $t $r"
      fi
      sleep 1
  done ) >"$WORK/samples.txt" &
SAMPLER=$!
wait $WRITER
WRITER_END=$(date +%s.%N)
wait $CLI || true
wait $SAMPLER 2>/dev/null || true

python3 - "$WORK" "$WRITER_END" "$(getconf CLK_TCK)" <<'PY'
import json, sys
work, writer_end, hz = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
written = [str(x) for x in json.load(open(work + "/written.json"))["written"]]
hands = [json.loads(l) for l in open(work + "/out.jsonl") if '"hand"' in l]
ids = [h["hand"] for h in hands if h["hand"].startswith("3")]
delays = sorted(h["delay_ms"] for h in hands if h["hand"].startswith("3"))
samples = [tuple(map(float, l.split())) for l in open(work + "/samples.txt") if len(l.split()) == 3]
# Quiet: from 5 s after the last write to the end.
quiet = [s for s in samples if s[0] >= writer_end + 5]
busy = [s for s in samples if s[0] < writer_end]
q_cpu = (quiet[-1][1] - quiet[0][1]) / hz if len(quiet) > 1 else None
q_len = quiet[-1][0] - quiet[0][0] if len(quiet) > 1 else None
rss = [s[2] for s in samples]
third = max(1, len(busy) // 3)
print(json.dumps({
    "written": len(written), "counted": len(ids),
    "lost": len(set(written) - set(ids)), "doubled": len(ids) - len(set(ids)),
    "delay_ms_median": delays[len(delays) // 2] if delays else None,
    "delay_ms_p99": delays[min(len(delays) - 1, int(len(delays) * 0.99))] if delays else None,
    "delay_ms_max": delays[-1] if delays else None,
    "quiet_seconds": round(q_len, 1) if q_len else None,
    "quiet_cpu_seconds": q_cpu,
    "rss_kb_first_third_max": max(s[2] for s in busy[:third]) if busy else None,
    "rss_kb_last_third_max": max(s[2] for s in busy[-third:]) if busy else None,
    "rss_kb_max": max(rss) if rss else None,
}))
PY
