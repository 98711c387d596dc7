#!/bin/sh
# SPDX-License-Identifier: MIT
# Makes the pictures in docs/: the main window during a conversation between
# two of the sample bots (light and dark theme), paused, the Bots window with
# a failing bot, and the bot-count dialog. Everything runs on a virtual X
# display (Xvfb), so the pictures can be made again on any machine with the
# build, xvfb-run, xdotool and ImageMagick's import.
#
#   tools/screenshot.sh [BUILD_DIR] [OUTPUT_DIR]
#
# BUILD_DIR defaults to ./build (it needs the jabbery program and the sample
# bots built), OUTPUT_DIR to docs/.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
output=${2:-$repo/docs}
case $output in /*) ;; *) output=$(pwd)/$output ;; esac

program=$build/shell/jabbery
for needed in "$program" "$build/bots/ottilie/ottilie" "$build/bots/hask/hask"; do
    if [ ! -x "$needed" ]; then
        echo "screenshot.sh: $needed is missing; build the project first" >&2
        exit 1
    fi
done

# Prints the id of the visible window whose title matches $1, waiting up to 20 s.
find_window() {
    tries=0
    while [ $tries -lt 100 ]; do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
        sleep 0.2
        tries=$((tries + 1))
    done
    echo "screenshot.sh: no window titled $1 appeared" >&2
    return 1
}

# Takes the window titled $1 into $output/$2, without the pointer over it.
take() {
    window=$(find_window "$1")
    xdotool mousemove 0 0
    sleep 0.5
    import -window "$window" "$output/$2"
    echo "wrote $output/$2"
}

# Presses the keys $2 in the window titled $1: without a window manager,
# keys go to the window under the pointer.
press() {
    xdotool mousemove --window "$(find_window "$1")" 40 40 key "$2"
}

# Starts the program in the background with the remaining arguments.
start() {
    GSETTINGS_BACKEND=memory "$program" --no-autosave "$@" >/dev/null 2>&1 &
    pid=$!
}

# The program stops its running bot and ends on SIGTERM.
stop() {
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# Runs inside the virtual display.
inside() {
    # A working folder of its own, so no manual or file of the caller's is touched.
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    cd "$work"
    bots="$build/bots/ottilie $build/bots/hask"
    # A bot that always fails, for the Bots window.
    mkdir fay
    printf 'VORN2\r\nFails\r\necho "no idea what to say" >&2; exit 3\r\nFay\r\n' > fay/vorn.nfo

    # Eight turns (one every two seconds): both colours and a few exchanges.
    start $bots
    sleep 17
    take '^Jabbery 3\.0\.1$' screenshot.png
    press '^Jabbery 3\.0\.1$' ctrl+p
    take '^Jabbery 3\.0\.1 \(paused\)$' screenshot-paused.png
    stop

    GTK_THEME=Adwaita:dark start $bots
    sleep 17
    take '^Jabbery 3\.0\.1$' screenshot-dark.png
    stop

    start $bots "$work/fay"
    sleep 13
    press '^Jabbery 3\.0\.1' ctrl+b
    take '^Bots$' screenshot-bots.png
    stop

    start
    take '^Number of bots$' screenshot-count.png
    stop
}

if [ "${JABBERY_SCREENSHOT_INSIDE:-}" = 1 ]; then
    inside
else
    JABBERY_SCREENSHOT_INSIDE=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$output"
fi
