#!/bin/sh
# Regenerates the PNG icons of the hicolor sizes from the SVG (needs ImageMagick).
cd "$(dirname "$0")" || exit 1
for size in 16 22 24 32 48 64 128 256; do
    convert -background none -density 384 zentara-configurator.svg -resize "${size}x${size}" -depth 8 \
        "PNG32:zentara-configurator-$size.png" || exit 1
done
