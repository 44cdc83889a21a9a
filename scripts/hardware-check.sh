#!/usr/bin/env bash
# For someone with a real USB programming adapter and a Zentara device: lists the adapters, opens
# them, reads their EEPROM identity, reads the attached device, and writes a report to attach to a
# bug report. Nothing is written to the adapter or the device.
#
#   bash scripts/hardware-check.sh [path/to/zcfg] [report-file]
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
zcfg="${1:-}"
if [ -z "$zcfg" ]; then
    if [ -x "$here/build/cli/zcfg" ]; then zcfg="$here/build/cli/zcfg"; else zcfg="$(command -v zcfg || true)"; fi
fi
report="${2:-zentara-hardware-check-$(date +%Y%m%d-%H%M%S).txt}"
if [ -z "$zcfg" ] || [ ! -x "$zcfg" ]; then
    echo "hardware-check: zcfg not found; build it first (bash scripts/build.sh) or name it" >&2
    exit 2
fi

section() { printf '\n== %s\n' "$1"; }

{
    echo "Zentara Configurator hardware check, $(date -u '+%Y-%m-%d %H:%M UTC')"
    section "System"
    uname -srm
    grep PRETTY_NAME /etc/os-release 2>/dev/null
    echo "user: $(id -un), groups: $(id -Gn)"
    dpkg-query -W -f='${Package} ${Version}\n' libftdi1-2 libusb-1.0-0 udev 2>/dev/null
    "$zcfg" --version
    echo "driver library: ${ZCFG_D2XX_LIBRARY:-libzcfg-ftdi.so, found beside zcfg}"

    section "FTDI devices on the USB bus"
    found=0
    for dev in /sys/bus/usb/devices/*; do
        [ -f "$dev/idVendor" ] || continue
        [ "$(cat "$dev/idVendor")" = "0403" ] || continue
        found=1
        name="$(basename "$dev")"
        node="$(printf '/dev/bus/usb/%03d/%03d' "$(cat "$dev/busnum")" "$(cat "$dev/devnum")")"
        driver="$(basename "$(readlink "$dev/$name:1.0/driver" 2>/dev/null)" 2>/dev/null)"
        echo "$name 0403:$(cat "$dev/idProduct") release $(cat "$dev/bcdDevice" 2>/dev/null)" \
             "\"$(cat "$dev/manufacturer" 2>/dev/null)\" \"$(cat "$dev/product" 2>/dev/null)\"" \
             "serial \"$(cat "$dev/serial" 2>/dev/null)\""
        echo "    node: $(ls -l "$node" 2>&1)"
        echo "    interface driver: ${driver:-none}; tty: $(ls "$dev/$name:1.0" 2>/dev/null | grep -m1 ttyUSB || echo none)"
        command -v getfacl >/dev/null && getfacl -p "$node" 2>/dev/null | grep '^user:' | sed 's/^/    acl: /'
    done
    [ "$found" = 1 ] || echo "no FTDI device attached"

    section "udev rule"
    ls -l /etc/udev/rules.d/70-zentara-configurator.rules /usr/lib/udev/rules.d/70-zentara-configurator.rules \
        /usr/local/lib/udev/rules.d/70-zentara-configurator.rules 2>&1 | grep -v 'No such file'
    ls /etc/udev/rules.d /usr/lib/udev/rules.d 2>/dev/null | grep -q '70-zentara-configurator.rules' \
        || echo "not installed: see \"Connecting the adapter on Linux\" in the README"

    section "zcfg adapters (lists, opens and reads the EEPROM of each adapter)"
    "$zcfg" adapters 2>&1
    echo "exit status: $?"

    section "zcfg read (reads the attached device)"
    start=$(date +%s.%N)
    if command -v /usr/bin/time >/dev/null; then
        /usr/bin/time -f 'cpu: %U s user, %S s system; wall %e s' "$zcfg" read 2>&1
    else
        "$zcfg" read 2>&1
    fi
    echo "exit status: $?, took $(echo "$(date +%s.%N) - $start" | bc 2>/dev/null || echo '?') s"

    section "Kernel messages about USB serial adapters"
    (journalctl -k -n 200 --no-pager 2>/dev/null || dmesg 2>/dev/null) | grep -iE 'ftdi|ttyUSB|usb [0-9-]+:' | tail -20
} 2>&1 | tee "$report"

echo
echo "Report written to $report"
