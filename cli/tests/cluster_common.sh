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
    diff <(grep -o '"seed":[0-9]*' "$1/manifest.jsonl" | cut -d: -f2 | sort -n) <(seq "$2") || {
        echo "the manifest does not list each seed of 1 to $2 once" >&2
        return 1
    }
    echo "every seed of $2 ran once"
}
