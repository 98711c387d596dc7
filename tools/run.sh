#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs, builds, and runs a conversation between two of the bundled bots:
# in the window when a display is there, else in the terminal.
# Arguments are passed to jabbery-cli (default: --turns 20).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

mapfile -t bots < <(find "$build/bots" -mindepth 2 -maxdepth 2 -name vorn.nfo -printf '%h\n' | sort)
if [ ${#bots[@]} -lt 2 ]; then
    echo "run.sh: the bundled bots were not built in $build/bots" >&2
    exit 1
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build/shell/jabbery" ]; then
    # From the build folder, where the manual lies beside the program.
    cd "$build/shell"
    exec ./jabbery "${bots[0]}" "${bots[1]}"
fi
if [ $# -eq 0 ]; then set -- --turns 20; fi
exec "$build/cli/jabbery-cli" "$@" "${bots[0]}" "${bots[1]}"
