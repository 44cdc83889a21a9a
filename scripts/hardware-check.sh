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
    rules=0
    for dir in /etc/udev/rules.d /run/udev/rules.d /usr/lib/udev/rules.d /lib/udev/rules.d /usr/local/lib/udev/rules.d; do
        if [ -f "$dir/70-zentara-configurator.rules" ]; then
            ls -l "$dir/70-zentara-configurator.rules"
            rules=1
        fi
    done
    [ "$rules" = 1 ] || echo "not installed: see \"Connecting the adapter on Linux\" in the README"
    for dev in /sys/bus/usb/devices/*; do
        [ -f "$dev/idVendor" ] && [ "$(cat "$dev/idVendor")" = "0403" ] || continue
        minor=$(( ($(cat "$dev/busnum") - 1) * 128 + $(cat "$dev/devnum") - 1 ))
        echo "$(basename "$dev") udev tags and ModemManager flag:" \
             "$(grep -hE '^(G|Q):|ID_MM_DEVICE_IGNORE' "/run/udev/data/c189:$minor" 2>/dev/null | tr '\n' ' ')"
    done

    section "Session (the rule's uaccess serves the local session at the seat only)"
    echo "XDG_SESSION_ID=${XDG_SESSION_ID:-unset} XDG_SEAT=${XDG_SEAT:-unset} SSH_CONNECTION=${SSH_CONNECTION:-unset}"
    if command -v loginctl >/dev/null && [ -n "${XDG_SESSION_ID:-}" ]; then
        loginctl show-session "$XDG_SESSION_ID" -p Seat -p Remote -p Active -p Type 2>&1
    fi

    section "Programs that take FTDI chips"
    for program in brltty ModemManager; do
        if cat /proc/[0-9]*/comm 2>/dev/null | grep -qx "$program"; then echo "$program: running"; else echo "$program: not running"; fi
    done

    section "zcfg adapters --all (lists, opens and reads the EEPROM of each adapter)"
    "$zcfg" adapters --all 2>&1
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
