#!/usr/bin/env bash
# Renders the editor window with every page in front (a configuration of every device type, the
# factory pages, the zone indicator in HTM08-03 mode, the comments, the serial monitor after a read),
# each page on its own and the device pictures into PNG files, at 100 % and 200 %:
#   scripts/screenshots.sh OUTDIR      -> OUTDIR/100/*.png and OUTDIR/200/*.png
# Renders under Xvfb; set ZCFG_SCREENSHOT_PLATFORM=offscreen to use Qt's offscreen platform instead.
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
bash "$root/scripts/install-deps.sh" --with-display-tools
cmake --build "$build" --target page_screenshots window_screenshots >/dev/null
platform="${ZCFG_SCREENSHOT_PLATFORM:-xcb}"

render() { # scale folder
    for tool in "$build/tests/window/window_screenshots" "$build/tests/pages/page_screenshots"; do
        if [ "$platform" = xcb ] && [ -z "${DISPLAY:-}" ]; then
            QT_SCALE_FACTOR="$1" xvfb-run -a -s "-screen 0 2560x1600x24" "$tool" "$out/$2"
        else
            QT_QPA_PLATFORM="$platform" QT_SCALE_FACTOR="$1" "$tool" "$out/$2"
        fi
    done
}
render 1 100
render 2 200
