#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, skipping those already present.
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev libgl-dev
          libfontconfig-dev libftdi1-dev libusb-1.0-0-dev umockdev libumockdev-dev)
# Validators of the desktop entry, file type and metainfo, and the Debian package tools.
packages+=(desktop-file-utils appstream shared-mime-info libxml2-utils dpkg-dev)
# The commissioning log: Qt SQL's SQLite driver, the PostgreSQL driver for a shared log, and a
# PostgreSQL server for the test that runs a throwaway cluster of its own.
packages+=(libqt6sql6-sqlite libqt6sql6-psql postgresql)
case "${1:-}" in
    --with-display-tools) packages+=(xvfb xdotool imagemagick) ;;
    --with-ci-tools) packages+=(clang-format) ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}" >&2
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
