#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what Jabbery needs on Debian 12 (only what is missing), then
# configures and builds everything into build/. Sourced by run.sh and test.sh.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build"
packages=(g++ clang libclang-rt-14-dev cmake ninja-build pkg-config libgtest-dev libbenchmark-dev
          libwxgtk3.2-dev libgtk-3-dev wx-common xvfb xauth xdotool imagemagick chromium
          dpkg-dev file lintian man-db appstream desktop-file-utils
          libcurl4-openssl-dev nlohmann-json3-dev libcpp-httplib-dev libcli11-dev libre2-dev libtomlplusplus-dev python3
          libedit-dev tmux xterm parallel slurm-wlm munge time)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
