#!/usr/bin/env bash
# Installs, builds, and runs every test (the window's tests under Xvfb), then
# builds the Debian package and checks it (tools/package_test.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

cd "$build"
ctest --output-on-failure -j 2 --timeout 600
bash "$repo/tools/package_test.sh" "$build"
