#!/bin/sh
# SPDX-License-Identifier: MIT
# Makes the pictures in docs/: the main window during a conversation between
# two of the sample bots (light and dark theme), paused, with a human typing
# on the entry line, the Bots window with a failing bot, the bot-count
# dialog, and jabbery-cli --join in a terminal (xterm). Everything runs on a
# virtual X display (Xvfb), so the pictures can be made again on any machine
# with the build, xvfb-run, xdotool, ImageMagick's import, unshare and xterm.
#
#   tools/screenshot.sh [BUILD_DIR] [OUTPUT_DIR]
#
# BUILD_DIR defaults to ./build (fully built: it is installed into a
# temporary prefix, and the pictures show that installed copy), OUTPUT_DIR to
# docs/. The pictures show the folders a user of the package sees: the bots
# are the user's copies in ~/.local/share/jabbery/bots/ of a user whose home
# is /home/ann, which a mount namespace of the script's own provides (an
# empty /home, seen only by the script and the programs it starts).
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
script=$repo/tools/screenshot.sh
build=$(cd "${1:-$repo/build}" && pwd)
output=${2:-$repo/docs}
case $output in /*) ;; *) output=$(pwd)/$output ;; esac
# The user whose folders the pictures show.
home=/home/ann

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

# Takes the window titled $1 into $work/$2, without the pointer over it.
take() {
    window=$(find_window "$1")
    xdotool mousemove 0 0
    sleep 0.5
    import -window "$window" "$work/$2"
}

# Presses the keys $2 in the window titled $1: without a window manager,
# keys go to the window under the pointer.
press() {
    xdotool mousemove --window "$(find_window "$1")" 40 40 key "$2"
}

# Starts the installed program in the background with the remaining arguments.
start() {
    GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 "$prefix/bin/jabbery" --no-autosave "$@" \
        >/dev/null 2>&1 &
    pid=$!
}

# The program stops its running bot and ends on SIGTERM.
stop() {
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# Makes the user in $home, inside the mount namespace.
make_home() {
    # /home is the namespace's own empty tmpfs; nothing of the caller's is
    # seen or touched (the work folder lies in /tmp, which stays visible).
    mount -t tmpfs -o mode=755 tmpfs /home
    mkdir -p "$home"
    export HOME="$home"
    unset XDG_DATA_HOME XDG_STATE_HOME XDG_CONFIG_HOME XDG_CACHE_HOME
    cd "$HOME"
}

# jabbery-cli --join in a terminal: the bots' lines come above Sam's
# half-typed line. xterm cannot start inside the namespace (it gives its
# terminal to the tty group, which the namespace does not map), so the
# namespace runs inside xterm.
take_terminal() {
    xterm -title jabbery-cli -geometry 96x18 -fa 'DejaVu Sans Mono' -fs 10 -bg white -fg black \
        -e env JABBERY_SCREENSHOT_STAGE=terminal unshare --map-root-user --mount "$script" "$build" &
    terminal=$!
    sleep 5
    xdotool mousemove --window "$(find_window '^jabbery-cli$')" 40 40 \
        type --delay 60 "Hask, what do you make of"
    sleep 6
    take '^jabbery-cli$' screenshot-terminal.png
    kill "$terminal"
    wait "$terminal" 2>/dev/null || true
}

# Runs inside the virtual display and the mount namespace, as the user in $home.
inside() {
    make_home
    # A bot that always fails, for the Bots window, beside the sample bots' copies.
    fay=$HOME/.local/share/jabbery/bots/fay
    mkdir -p "$fay"
    printf 'VORN2\r\nFails\r\necho "no idea what to say" >&2; exit 3\r\nFay\r\n' > "$fay/vorn.nfo"
    # Bare names: the user's copies of the sample bots, made on first use.
    bots="ottilie hask"

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

    # Sam has joined and is typing on the entry line.
    start --name Sam $bots
    sleep 9
    press '^Jabbery 3\.0\.1$' ctrl+j
    xdotool type --delay 40 "Hask, what do you make of that?"
    take '^Jabbery 3\.0\.1$' screenshot-join.png
    stop

    start $bots fay
    sleep 13
    press '^Jabbery 3\.0\.1' ctrl+b
    take '^Bots$' screenshot-bots.png
    stop

    start
    take '^Number of bots$' screenshot-count.png
    stop
}

case ${JABBERY_SCREENSHOT_STAGE:-} in
inside)
    inside
    ;;
terminal)
    make_home
    exec "$prefix/bin/jabbery-cli" --join --name Sam --interval 1500 ottilie hask
    ;;
display)
    take_terminal
    # A mount namespace in a user namespace of our own, so that an empty
    # /home can be mounted without privileges; the X display stays shared.
    JABBERY_SCREENSHOT_STAGE=inside exec unshare --map-root-user --mount "$script" "$build"
    ;;
*)
    for tool in xvfb-run xdotool import unshare xterm; do
        if ! command -v "$tool" >/dev/null; then
            echo "screenshot.sh: $tool is missing" >&2
            exit 1
        fi
    done
    if [ ! -x "$build/shell/jabbery" ]; then
        echo "screenshot.sh: $build/shell/jabbery is missing; build the project first" >&2
        exit 1
    fi
    # In /tmp, which the namespace leaves visible (a TMPDIR may lie under /home).
    work=$(mktemp -d /tmp/jabbery-screenshots.XXXXXX)
    trap 'rm -rf "$work"' EXIT
    # An installed copy, as a package would put it; the sample bots' copies run its programs.
    prefix=$work/usr
    cmake --install "$build" --prefix "$prefix" >/dev/null
    export work prefix
    JABBERY_SCREENSHOT_STAGE=display xvfb-run -a -s "-screen 0 1024x768x24" "$script" "$build"
    mkdir -p "$output"
    for picture in "$work"/*.png; do
        cp "$picture" "$output/"
        echo "wrote $output/${picture##*/}"
    done
    ;;
esac
