#!/bin/sh
# Makes docs/screenshot.png: the main window during a conversation between
# two of the sample bots, on a virtual X display (Xvfb), so the picture can
# be made again on any machine with the build, xvfb-run, xdotool and
# ImageMagick's import.
#
#   tools/screenshot.sh [BUILD_DIR] [OUTPUT]
#
# BUILD_DIR defaults to ./build (it needs the jabbery program and the sample
# bots built), OUTPUT to docs/screenshot.png.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
output=${2:-$repo/docs/screenshot.png}
case $output in /*) ;; *) output=$(pwd)/$output ;; esac

program=$build/shell/jabbery
for needed in "$program" "$build/bots/ottilie/ottilie" "$build/bots/hask/hask"; do
    if [ ! -x "$needed" ]; then
        echo "screenshot.sh: $needed is missing; build the project first" >&2
        exit 1
    fi
done

# Runs inside the virtual display: start the program with two bots, let
# them talk for a few turns (one every two seconds), then take the window.
take() {
    # A working folder of its own, so no manual or file of the caller's is touched.
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    cd "$work"
    GSETTINGS_BACKEND=memory "$program" "$build/bots/ottilie" "$build/bots/hask" &
    pid=$!
    window=""
    tries=0
    while [ -z "$window" ] && [ $tries -lt 100 ]; do
        sleep 0.2
        window=$(xdotool search --onlyvisible --name '^Jabbery 3\.0\.1$' 2>/dev/null | head -n 1 || true)
        tries=$((tries + 1))
    done
    if [ -z "$window" ]; then
        echo "screenshot.sh: the window did not appear" >&2
        kill "$pid" 2>/dev/null || true
        exit 1
    fi
    # Eight turns: enough lines to show both colours and a few exchanges.
    sleep 17
    # The pointer would otherwise hover over a button in the picture.
    xdotool mousemove 0 0
    import -window "$window" "$output"
    # The program stops its running bot and ends on SIGTERM.
    kill -TERM "$pid"
    wait "$pid" || true
}

if [ "${JABBERY_SCREENSHOT_INSIDE:-}" = 1 ]; then
    take
else
    JABBERY_SCREENSHOT_INSIDE=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$output"
fi
echo "wrote $output"
