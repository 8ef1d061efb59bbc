#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Regenerates the program's icon images from their SVG sources:
#   radar.svg    -> radar-48.png (48 x 48)
#   radar-16.svg -> radar-16.png (16 x 16, its own drawing so it stays legible)
#
# Each image is rendered with rsvg-convert, its transparency is cut to all or
# nothing (outside the disc transparent, the disc opaque), and every pixel is
# mapped without dithering onto the fixed 16-colour palette below, one entry of
# which is fully transparent. The result is written as a 4-bit indexed (palette)
# PNG with a tRNS chunk and no time stamps, so the same tools give the same bytes.
#
# Needs (Debian 12 packages):
#   librsvg2-bin  rsvg-convert
#   imagemagick   convert, identify
#   apt-get update && apt-get install -y librsvg2-bin imagemagick
#
# Run from anywhere:
#   bash assets/icon/make_icons.sh
# It writes next to itself and fails if an image ends up with more than 16 colours
# or without transparency.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

for tool in rsvg-convert convert identify; do
  if ! command -v "$tool" >/dev/null; then
    echo "make_icons.sh: $tool is missing (apt-get install -y librsvg2-bin imagemagick)" >&2
    exit 1
  fi
done

# The palette: the drawing's own colours plus the blends its anti-aliased edges
# and translucent sweep produce over the screen. Pixels snap to the nearest entry.
palette=(
  none      # outside the disc
  '#051d0b' # rim
  '#093013' # rim meeting the screen
  '#0c431e' # screen, outer part
  '#10542a' # screen, middle
  '#2a6f3c' # faint edge of a ring
  '#459256' # half-covered ring pixel
  '#7cd98a' # range ring
  '#266125' # sweep afterglow, faintest
  '#437c29' # sweep afterglow, faint
  '#70a52f' # sweep afterglow, half
  '#a7ec63' # ring seen through the half afterglow
  '#a1dc36' # edge of the bright sweep
  '#d2ff3c' # bright sweep
  '#3d5a1c' # sweep meeting the rim
  '#1a4a1e' # dark edge of the afterglow
)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

swatches=()
for colour in "${palette[@]}"; do
  swatches+=("xc:$colour")
done
convert -size 1x1 "${swatches[@]}" +append "$work/palette.png"

# make_icon SOURCE SIZE OUTPUT
make_icon() {
  local source=$1 size=$2 output=$3
  rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
    --background-color none "$here/$source" -o "$work/render.png"
  # Half-transparent edge pixels become either disc or outside; every transparent
  # pixel gets the same colour value so the transparent entry catches them all.
  convert "$work/render.png" \
    -channel A -threshold 50% +channel \
    -background black -alpha background \
    +dither -remap "$work/palette.png" \
    -strip -define png:exclude-chunks=date,time -define png:bit-depth=4 \
    "PNG8:$here/$output"

  local colours alpha
  colours=$(identify -format '%k' "$here/$output")
  alpha=$(identify -format '%A' "$here/$output")
  if (( colours > 16 )) || [[ ${alpha,,} != true && ${alpha,,} != blend ]]; then
    echo "make_icons.sh: $output has $colours colours, alpha '$alpha'" >&2
    exit 1
  fi
  echo "$output: ${size}x${size}, $colours colours, alpha $alpha"
}

make_icon radar.svg 48 radar-48.png
make_icon radar-16.svg 16 radar-16.png
