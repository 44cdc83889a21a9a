#!/bin/sh
# Regenerates the PNG pictures from their SVG sources: the lights and result pictures with
# ImageMagick, the device pictures (at 100 % and 200 %) with the program's own renderer, which the
# build provides (ZCFG_BUILD_DIR, default build/ in the source tree).
cd "$(dirname "$0")" || exit 1
for f in *.svg; do
    convert -background none "$f" -depth 8 "${f%.svg}.png" || exit 1
done
build="${ZCFG_BUILD_DIR:-../../build}"
cmake --build "$build" --target render_device_pictures >/dev/null || exit 1
QT_QPA_PLATFORM=offscreen "$build/tests/pages/render_device_pictures" devices
