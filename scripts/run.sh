#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the editor. Arguments go to the editor
# (for example a configuration file to open).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
build="${ZCFG_BUILD_DIR:-$root/build}"
# Without a display the editor cannot open its window; say so instead of letting Qt abort.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are unset); run it on a desktop, or try: xvfb-run bash scripts/run.sh, or QT_QPA_PLATFORM=offscreen bash scripts/run.sh" >&2
    exit 1
fi
exec "$build/app/zentara-configurator" "$@"
