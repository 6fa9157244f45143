#!/usr/bin/env python3
"""Appends PokerStars-format hands to many table files at a steady rate, some
hands in pieces, the way poker clients write them; records what it wrote.

usage: load_writer.py --pool FILE --folder DIR [--tables 24] [--rate 20]
                      [--seconds 600] [--pieces 0.3] [--record FILE]

The pool is a file of generated hands (tarnwick-gen pokerstars N FILE); each
written hand gets a hand number of its own. The record lists every hand
number written, so a reader's output can be checked for hands lost or counted
twice.
"""
import argparse, heapq, json, os, random, re, time

def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--pool", required=True)
    ap.add_argument("--folder", required=True)
    ap.add_argument("--tables", type=int, default=24)
    ap.add_argument("--rate", type=float, default=20.0, help="hands per second, all tables")
    ap.add_argument("--seconds", type=float, default=600.0)
    ap.add_argument("--pieces", type=float, default=0.3, help="share of hands written in pieces")
    ap.add_argument("--record", default=None)
    a = ap.parse_args()

    pool = open(a.pool, encoding="utf-8").read()
    hands = [h for h in re.split(r"(?=PokerStars Hand #)", pool) if h.startswith("PokerStars Hand #")]
    rng = random.Random(7)
    os.makedirs(a.folder, exist_ok=True)
    files = [os.path.join(a.folder, "HH20261208 Table %02d - $0.05-$0.10 - USD No Limit Hold'em.txt" % t)
             for t in range(a.tables)]
    # Tables open before the reader starts have some hands already.
    for f in files:
        with open(f, "ab") as out:
            out.write(hands[0].replace("#200000000001", "#100000000001").encode())
    time.sleep(2.0)

    written = []
    next_id = 300000000000
    queue = []  # (when, seq, table, piece)
    seq = 0
    # A client writes one hand of a table after the other: the pieces of a
    # table never interleave with its next hand.
    table_free = [0.0] * a.tables
    start = time.monotonic()
    period = 1.0 / a.rate
    n = 0
    while True:
        now = time.monotonic() - start
        if now >= a.seconds and not queue:
            break
        due_new = n * period
        due_piece = queue[0][0] if queue else float("inf")
        if now < a.seconds and due_new <= due_piece:
            wait = due_new - now
            if wait > 0:
                time.sleep(wait)
            table = n % a.tables
            n += 1
            next_id += 1
            text = re.sub(r"#\d+", "#%d" % next_id, rng.choice(hands), count=1).encode()
            written.append(next_id)
            t = max(time.monotonic() - start, table_free[table])
            if rng.random() < a.pieces:
                cuts = sorted(rng.sample(range(1, len(text)), rng.randint(1, 3)))
                parts = [text[i:j] for i, j in zip([0] + cuts, cuts + [len(text)])]
            else:
                parts = [text]
            for p in parts:
                seq += 1
                heapq.heappush(queue, (t, seq, table, p))
                t += rng.uniform(0.05, 0.4)
            table_free[table] = t
        else:
            wait = due_piece - now
            if wait > 0:
                time.sleep(min(wait, 0.05))
                continue
            _, _, table, part = heapq.heappop(queue)
            with open(files[table], "ab") as out:
                out.write(part)
    if a.record:
        json.dump({"written": written}, open(a.record, "w"))
    print(json.dumps({"hands": len(written), "seconds": round(time.monotonic() - start, 1)}))

main()
