#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the program.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
build="${ZCFG_BUILD_DIR:-$root/build}"
exec "$build/cli/zcfg" --help
