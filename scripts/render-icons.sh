#!/usr/bin/env bash
# Renders the application icon packaging/icons/tarnwick.svg into the PNG sizes that are committed beside it
# (packaging/icons/hicolor/NxN/apps/tarnwick.png): the Linux icon theme installs them, and the program carries
# them as its window icon. Run it after changing the SVG. Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
icons="$root/packaging/icons"
if ! command -v rsvg-convert >/dev/null; then
    echo "render-icons: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2
    exit 1
fi
for size in 16 32 48 64 128 256; do
    folder="$icons/hicolor/${size}x$size/apps"
    mkdir -p "$folder"
    rsvg-convert --width "$size" --height "$size" "$icons/tarnwick.svg" -o "$folder/tarnwick.png"
done
echo "render-icons: $(find "$icons/hicolor" -name tarnwick.png | wc -l) PNG files under $icons/hicolor"
