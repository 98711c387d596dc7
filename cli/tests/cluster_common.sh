# SPDX-License-Identifier: MIT
# Sourced by the cluster tests: a work folder removed at the end, two
# quick bots in it, and the check that a batch's manifest lists each of
# its seeds once.
set -euo pipefail
work=$(mktemp -d /tmp/jabbery-cluster-XXXXXX)
chmod 755 "$work"
cleanups=("rm -rf $work")
trap 'for step in "${cleanups[@]}"; do eval "$step" || true; done' EXIT

for name in Ann Bob; do
    mkdir -p "$work/$name"
    printf 'VORN2\r\nA test bot\r\nprintf "%s here\\r\\n" > chat.msg\r\n%s\r\n' "$name" "$name" \
        > "$work/$name/vorn.nfo"
done

# Fails unless the manifest in folder $1 lists seeds 1 to $2, each once.
check_every_seed_once() {
    python3 - "$1/manifest.jsonl" "$2" <<'PY'
import json, sys
seeds = sorted(json.loads(line)["seed"] for line in open(sys.argv[1]))
expected = list(range(1, int(sys.argv[2]) + 1))
if seeds != expected:
    sys.exit(f"the manifest's seeds are {seeds}, not each of 1 to {sys.argv[2]} once")
print(f"every seed of {len(expected)} ran once")
PY
}
