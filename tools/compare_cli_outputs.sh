#!/usr/bin/env bash
# Runs two builds of jabbery-cli on the same 200-turn conversation (the three
# bundled bots and one that fails every fifth turn, four bots in all) and
# compares standard output, --save (without its dated banner), --rtf and
# --jsonl (without its time fields and end record).
# Usage: tools/compare_cli_outputs.sh OLD_JABBERY_CLI NEW_JABBERY_CLI BOTS_DIR [SEED]
# BOTS_DIR holds hask, wren and brixley (build/bots). Without SEED, no --seed.
set -euo pipefail
old=$(realpath "$1") new=$(realpath "$2") bots=$(realpath "$3") seed=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() {  # run BINARY FOLDER
    mkdir -p "$2/flaky"
    printf 'x\nx\nsh ./run.sh\nFlaky\n' > "$2/flaky/vorn.nfo"
    cat > "$2/flaky/run.sh" <<'BOT'
n=$(cat n 2>/dev/null || echo 0); n=$((n+1)); echo $n > n
if [ $((n % 5)) = 0 ]; then echo "oops $n" >&2; exit 3; fi
printf 'flaky {\\b %s} said\r\n' "$n" > chat.msg
BOT
    (cd "$2" && NO_COLOR=1 "$1" ${seed:+--seed "$seed"} --interval 0 --turns 200 \
        --save save.txt --rtf t.rtf --jsonl t.jsonl "$bots/hask" "$bots/wren" "$bots/brixley" \
        flaky > stdout.txt 2> /dev/null)
    sed -i '1,3d' "$2/save.txt"
    python3 -c '
import json, sys
for line in open(sys.argv[1]):
    record = json.loads(line)
    if "turn" not in record: continue
    for key in ("time", "ms", "conversation"): record.pop(key, None)
    print(json.dumps(record))' "$2/t.jsonl" > "$2/turns.txt"
    sed -i "s#$2#FOLDER#g" "$2/stdout.txt" "$2/save.txt" "$2/t.rtf" "$2/turns.txt"
}
run "$old" "$work/old"
run "$new" "$work/new"
status=0
for file in stdout.txt save.txt t.rtf turns.txt; do
    if cmp -s "$work/old/$file" "$work/new/$file"; then
        echo "$file: the same"
    else
        echo "$file: differs"; status=1
    fi
done
exit $status
