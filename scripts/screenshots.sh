#!/usr/bin/env bash
# Renders every device page (each bound to a configuration of its type, the factory pages and the
# zone indicator in HTM08-03 mode) and the device pictures into PNG files, at 100 % and 200 %:
#   scripts/screenshots.sh OUTDIR      -> OUTDIR/100/*.png and OUTDIR/200/*.png
# Uses Qt's offscreen platform; set ZCFG_SCREENSHOT_PLATFORM=xcb to render under Xvfb instead.
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "Usage: $0 OUTDIR" >&2
    exit 2
fi
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZCFG_BUILD_DIR:-$root/build}"
out="$1"
if [ ! -d "$build" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target page_screenshots >/dev/null
tool="$build/tests/pages/page_screenshots"
platform="${ZCFG_SCREENSHOT_PLATFORM:-offscreen}"

render() { # scale folder
    if [ "$platform" = xcb ] && [ -z "${DISPLAY:-}" ]; then
        QT_SCALE_FACTOR="$1" xvfb-run -a -s "-screen 0 2560x1600x24" "$tool" "$out/$2"
    else
        QT_QPA_PLATFORM="$platform" QT_SCALE_FACTOR="$1" "$tool" "$out/$2"
    fi
}
render 1 100
render 2 200
