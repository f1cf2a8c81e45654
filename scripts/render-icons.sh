#!/usr/bin/env bash
# Renders the program's icon, packaging/icons/io.github.brisklander.Brisklander.svg, into
# the PNG sizes beside it (48, 128 and 256 px), which are kept in the repository so the
# build needs no SVG tool. Run it again after changing the SVG; needs rsvg-convert
# (Debian librsvg2-bin).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
icons=$root/packaging/icons
id=io.github.brisklander.Brisklander
if ! command -v rsvg-convert >/dev/null; then
    echo "render-icons: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2
    exit 1
fi
for size in 48 128 256; do
    rsvg-convert --width "$size" --height "$size" "$icons/$id.svg" --output "$icons/$id-$size.png"
done
echo "render-icons: $id-{48,128,256}.png in $icons"
