#!/usr/bin/env bash
# Builds the Debian package zentara-configurator_VERSION_ARCH.deb into dist/ (or the folder given).
# Installing it: sudo apt install ./dist/zentara-configurator_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZCFG_PACKAGE_BUILD_DIR:-$root/build-package}"
out="${1:-$root/dist}"
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DZCFG_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out")
rm -rf "$out/_CPack_Packages"
ls "$out"/zentara-configurator_*.deb
