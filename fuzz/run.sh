#!/usr/bin/env bash
# Fuzzes every target of a build in turn:  fuzz/run.sh BUILD_DIR [SECONDS_EACH]
#
# Each target starts from its seeds (fuzz/seeds/<target>/, only read) and its
# work corpus BUILD_DIR/fuzz-work/corpus/<target>/, which keeps what earlier
# runs found. A crash, leak, hang (10 s on one input) or undefined behaviour
# fails the run; the input is kept as BUILD_DIR/fuzz-work/<target>-crash-...
# (or -leak-, -timeout-) and the target's log is shown. Every target runs,
# and a line per target tells its executions.
set -euo pipefail
BUILD="$(cd "$1" && pwd)"
EACH="${2:-5}"
SRC="$(cd "$(dirname "$0")" && pwd)"
WORK="$BUILD/fuzz-work"
mkdir -p "$WORK/tmp"
# The targets' scratch files stay inside the build folder.
export TMPDIR="$WORK/tmp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

status=0
for seeds in "$SRC"/seeds/*/; do
    target="$(basename "$seeds")"
    exe="$BUILD/fuzz/$target"
    if [ ! -x "$exe" ]; then
        echo "fuzz: $exe is missing" >&2
        status=1
        continue
    fi
    mkdir -p "$WORK/corpus/$target"
    args=(-max_total_time="$EACH" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
          -artifact_prefix="$WORK/$target-")
    case "$target" in
    *ipoker* | *rooms_file*) args+=(-dict="$SRC/xml.dict") ;;
    esac
    log="$WORK/$target.log"
    if "$exe" "${args[@]}" "$WORK/corpus/$target" "$seeds" >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
    fi
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    corpus="$(ls "$WORK/corpus/$target" | wc -l)"
    printf 'fuzz: %-26s %-6s %9s runs in %ss, %s inputs in its corpus\n' \
        "$target" "$result" "${runs:-?}" "$EACH" "$corpus"
    if [ "$result" != ok ]; then
        grep -v '^#\|^INFO\|^stat::' "$log" | tail -60 >&2
    fi
done
exit "$status"
