#!/bin/sh
# Renders the hicolor PNGs and the window icon (qt/quorel.png) from the one SVG; run it after
# changing the SVG and commit the results, so that building needs no ImageMagick.
set -eu
cd "$(dirname "$0")"
big=$(mktemp --suffix=.png)
trap 'rm -f "$big"' EXIT
# One large rendering shrunk to each size looks better at 16 pixels than rendering at 16.
convert -background none -density 384 io.github.quorel.Quorel.svg "PNG32:$big"
for size in 16 22 24 32 48 64 128 256; do
  convert "$big" -filter Lanczos -resize "${size}x${size}!" -strip "PNG32:${size}x${size}.png"
done
cp 64x64.png ../../qt/quorel.png
