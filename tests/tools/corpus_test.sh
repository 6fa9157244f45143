#!/usr/bin/env bash
# Replays the real hand histories beside the project, when they are there.
# Skips (exit 77) when they are not.
TOOL="$1"
CLI="$2"
shift 2
if [ ! -x "$TOOL" ] && [ ! -f "$TOOL" ]; then
    echo "no hand-history corpus at $TOOL: skipped"
    exit 77
fi
python3 "$TOOL" "$CLI" "$@" -v
