#!/bin/sh
# Regenerates the PNG pictures from their SVG sources (needs ImageMagick).
cd "$(dirname "$0")" || exit 1
for f in *.svg; do
    convert -background none "$f" -depth 8 "${f%.svg}.png" || exit 1
done
