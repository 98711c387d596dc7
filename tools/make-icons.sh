#!/bin/sh
# SPDX-License-Identifier: MIT
# Remakes the program's icons in shell/icons/: jabbery-24.png to -256.png
# (the sizes the desktop's icon theme knows) from the drawing jabbery.svg, and
# jabbery-16.png from a simpler drawing kept below, since at 16 pixels the
# lines and dots of the full one only blur. The program embeds them all and
# the package installs them, with the drawing itself, as the icon
# org.jabbery.Jabbery. A change to jabbery.svg may want a matching change here.
# Needs ImageMagick's convert. Run from anywhere: tools/make-icons.sh
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
icons="$root/shell/icons"

if ! command -v convert >/dev/null 2>&1; then
    echo "make-icons.sh: ImageMagick's convert is needed" >&2
    exit 1
fi
if [ ! -f "$icons/jabbery.svg" ]; then
    echo "make-icons.sh: $icons/jabbery.svg is missing" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# 8-bit RGBA without time stamps, so remaking unchanged drawings gives the
# same files. The drawing is rendered at twice its size and scaled down,
# which smooths its edges.
for size in 256 128 64 48 32 24; do
    convert -background none -density 144 "$icons/jabbery.svg" \
        -resize "${size}x${size}" -depth 8 -strip "PNG32:$icons/jabbery-$size.png"
done

cat >"$work/jabbery-16.svg" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">
  <path d="M3,1 H8 A2.5,2.5 0 0 1 10.5,3.5 V6 A2.5,2.5 0 0 1 8,8.5 H5 L1.5,11.5 L3,8.5 A2.5,2.5 0 0 1 0.5,6 V3.5 A2.5,2.5 0 0 1 3,1 Z" fill="#2f6fb5" stroke="none"/>
  <path d="M8,6 H13 A2.5,2.5 0 0 1 15.5,8.5 V10.5 A2.5,2.5 0 0 1 13,13 H12.5 L14.5,15.5 L10.5,13 H8 A2.5,2.5 0 0 1 5.5,10.5 V8.5 A2.5,2.5 0 0 1 8,6 Z" fill="#f39c32" stroke="#ffffff" stroke-width="1" stroke-linejoin="round"/>
</svg>
EOF
convert -background none "$work/jabbery-16.svg" -depth 8 -strip "PNG32:$icons/jabbery-16.png"

for size in 16 24 32 48 64 128 256; do
    echo "made $icons/jabbery-$size.png"
done
