#!/usr/bin/env bash
# The batch's throughput against GNU parallel running one jabbery-cli per
# conversation: N conversations of TURNS turns of two trivial bots, two at
# a time, no interval; for GNU parallel each conversation gets its own copy
# of the bots' folders, made by a shell line, as the batch makes its own.
# Prints each one's wall time, turns a second and peak memory
# (/usr/bin/time -v), then the batch's peak memory for a tenth of N, to
# show that it does not grow with the number of conversations.
# Usage: tools/batch_bench.sh JABBERY_CLI [N] [TURNS]
set -euo pipefail
cli=$(realpath "$1") count=${2:-1000} turns=${3:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for name in Ann Bob; do
    mkdir -p "$work/$name"
    printf 'VORN2\r\nA trivial bot\r\nprintf "%s here\\r\\n" > chat.msg\r\n%s\r\n' "$name" "$name" \
        > "$work/$name/vorn.nfo"
done

# Runs the command after `--` under /usr/bin/time -v; prints LABEL, its wall
# time, turns a second for CONVERSATIONS conversations, and its peak memory.
measure() {
    local label=$1 conversations=$2
    shift 3
    /usr/bin/time -v -o "$work/time.txt" "$@" > /dev/null
    python3 - "$label" "$conversations" "$turns" "$work/time.txt" <<'PY'
import re, sys
label, conversations, turns, report = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), open(sys.argv[4]).read()
wall = re.search(r"Elapsed \(wall clock\) time.*: (?:(\d+):)?(\d+):([\d.]+)", report)
seconds = int(wall.group(1) or 0) * 3600 + int(wall.group(2)) * 60 + float(wall.group(3))
peak = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", report).group(1))
print(f"{label:<34} {seconds:8.2f} s {conversations * turns / seconds:9.1f} turns/s "
      f"{peak / 1024:8.1f} MiB peak")
PY
}

measure "batch, $count conversations" "$count" -- \
    "$cli" --batch "$count" --out "$work/batch" --turns "$turns" --jobs 2 --quiet \
    "$work/Ann" "$work/Bob"
measure "GNU parallel, $count jabbery-cli" "$count" -- \
    parallel --will-cite --halt now,fail=1 -j 2 "mkdir -p $work/p/{} && cp -r $work/Ann $work/Bob $work/p/{}/ &&
        $cli --seed {} --turns $turns --interval 0 --quiet --jsonl $work/p/{}.jsonl \
        $work/p/{}/Ann $work/p/{}/Bob > /dev/null && rm -rf $work/p/{}" ::: $(seq "$count")
tenth=$((count / 10))
measure "batch, $tenth conversations" "$tenth" -- \
    "$cli" --batch "$tenth" --out "$work/tenth" --turns "$turns" --jobs 2 --quiet \
    "$work/Ann" "$work/Bob"
