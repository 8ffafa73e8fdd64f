#!/bin/sh
# Builds res/hamster.ico (one 32 x 32 image, 32-bit BGRA with alpha, stored as a plain
# bitmap rather than PNG so that old icon loaders read it) and docs/icon-preview.png
# (the icon at 4x on a light background) from res/icon/hamster.svg.
#
# Needs rsvg-convert (Debian: librsvg2-bin) and ImageMagick's convert. ImageMagick's
# built-in SVG renderer draws this file poorly, so rsvg-convert does the rendering.
#
# Usage: tools/make-icon.sh            (run from anywhere inside the repository)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
svg=$root/res/icon/hamster.svg
ico=$root/res/hamster.ico
preview=$root/docs/icon-preview.png

for tool in rsvg-convert convert; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "make-icon: $tool not found (apt-get install librsvg2-bin imagemagick)" >&2
        exit 1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Render at 8x and average each 8 x 8 block down to one pixel: smoother edges than
# rendering at 32 px directly, and the SVG's shapes sit on the 32-unit grid.
rsvg-convert --width 256 --height 256 --format png --output "$work/big.png" "$svg"
convert "$work/big.png" -filter Box -resize 32x32 -strip "PNG32:$work/icon.png"

# Below 256 px ImageMagick stores ICO images as 32 bpp bitmaps with an AND mask.
convert "$work/icon.png" -strip "ICO:$ico"

# Check what was written: one entry, 32 x 32, 32 bpp, bitmap (BITMAPINFOHEADER) data.
u8() { od -An -tu1 -j"$1" -N1 "$ico" | tr -d ' '; }
u16() { od -An -tu2 -j"$1" -N2 "$ico" | tr -d ' '; }
u32() { od -An -tu4 -j"$1" -N4 "$ico" | tr -d ' '; }
count=$(u16 4)
width=$(u8 6)
height=$(u8 7)
bpp=$(u16 12)
offset=$(u32 18)
header=$(u32 "$offset")
if [ "$count" != 1 ] || [ "$width" != 32 ] || [ "$height" != 32 ] || [ "$bpp" != 32 ] ||
    [ "$header" != 40 ]; then
    echo "make-icon: unexpected ICO layout (entries $count, ${width}x$height, $bpp bpp," \
        "header $header)" >&2
    exit 1
fi

mkdir -p "$(dirname "$preview")"
convert "$work/icon.png" -scale 400% -background '#f4f4f4' -flatten -strip \
    -define png:exclude-chunks=date,time "$preview"

echo "wrote $ico and $preview"
