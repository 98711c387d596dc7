#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Debian package jabbery_<version>_<arch>.deb from an existing,
# configured build folder (default: build/), without configuring it again,
# and leaves the package there. Needs dpkg-dev (dpkg-shlibdeps) and file.
#
#   tools/package.sh [BUILD_DIR]
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$repo/build}
if [ ! -f "$build/CPackConfig.cmake" ]; then
    echo "package.sh: $build is not a configured build folder; run tools/setup.sh first" >&2
    exit 1
fi
build=$(cd "$build" && pwd)

# cpack builds what is out of date, installs it into a staging folder under
# _CPack_Packages and packs that.
if ! log=$(cd "$build" && cpack -G DEB --config CPackConfig.cmake 2>&1); then
    echo "$log" >&2
    echo "package.sh: cpack failed" >&2
    exit 1
fi

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
package="$build/jabbery_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$package" ]; then
    echo "package.sh: cpack did not make $package" >&2
    exit 1
fi
echo "$package"
