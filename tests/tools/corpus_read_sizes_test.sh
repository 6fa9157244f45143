#!/usr/bin/env bash
# Replays every file of the real hand histories beside the project (each with
# a player who has hands in it as the hero) at several read sizes and checks
# that every size gives the same hands, results and totals as the default.
# Skips (exit 77) when the corpus is not there.
#
# usage: corpus_read_sizes_test.sh CORPUS_DIR TARNWICK_CLI [SIZE...]
CORPUS="$1"
CLI="$2"
shift 2
if [ ! -f "$CORPUS/expected.jsonl" ]; then
    echo "no hand-history corpus at $CORPUS: skipped"
    exit 77
fi
exec python3 - "$CORPUS" "$CLI" "${@:-64 333 4096}" <<'EOF'
import collections, json, os, subprocess, sys

corpus, cli = sys.argv[1], sys.argv[2]
sizes = [int(s) for s in " ".join(sys.argv[3:]).split()]
ROOMS = {"888": "888 poker", "ipoker": "Titan poker", "partypoker": "PartyPoker"}
TIMING = ("seconds", "hands_per_second", "peak_rss_kb")

def room_for(fmt, path):
    if fmt != "pokerstars":
        return ROOMS[fmt]
    head = open(path, "rb").read(4000).decode("utf-8", "replace")
    if "PokerBros Hand #" in head:
        return "PokerBros"
    return "UPoker" if "UPoker Hand #" in head else "PokerStars"

# The hero of each file: the player with the most hands in it.
hands = collections.defaultdict(collections.Counter)
for line in open(os.path.join(corpus, "expected.jsonl"), encoding="utf-8"):
    r = json.loads(line)
    hands[r["file"]][r["player"]] += 1

def replay(fmt, path, hero, size):
    cmd = [cli, "replay", "--room", room_for(fmt, path), "--nick", hero]
    if size:
        cmd += ["--read-bytes", str(size)]
    p = subprocess.run(cmd + [path], capture_output=True, text=True, errors="replace")
    out = []
    for l in p.stdout.splitlines():
        o = json.loads(l)
        for k in TIMING:
            o.pop(k, None)
        out.append(o)
    return p.returncode, out

fail = 0
counted = collections.Counter()
files = collections.Counter()
for fmt in ("pokerstars", "888", "partypoker", "ipoker"):
    for name in sorted(os.listdir(os.path.join(corpus, fmt))):
        rel = fmt + "/" + name
        if rel not in hands:
            continue  # no player has a cash hand there (.hp sidecars, play money)
        hero = hands[rel].most_common(1)[0][0]
        path = os.path.join(corpus, rel)
        want = replay(fmt, path, hero, 0)
        files[fmt] += 1
        counted[fmt] += want[1][-1]["hands"]
        for size in sizes:
            got = replay(fmt, path, hero, size)
            if got != want:
                fail += 1
                print(f"FAIL {rel} (hero {hero}) read {size} bytes at a time:")
                print(f"  whole: exit {want[0]}, {want[1][-1]}")
                print(f"  {size:5}: exit {got[0]}, {got[1][-1] if got[1] else None}")
                w = {json.dumps(o, sort_keys=True) for o in want[1][:-1]}
                g = {json.dumps(o, sort_keys=True) for o in got[1][:-1]}
                for o in sorted(w - g)[:5]:
                    print("  missing:", o)
                for o in sorted(g - w)[:5]:
                    print("  extra:  ", o)
for fmt in sorted(files):
    print(f"{fmt}: {files[fmt]} files, {counted[fmt]} hands, read sizes {sizes} and whole")
    if counted[fmt] == 0:
        fail += 1
        print(f"FAIL {fmt}: no hand counted at all")
print("ok" if fail == 0 else f"{fail} failures")
sys.exit(1 if fail else 0)
EOF
