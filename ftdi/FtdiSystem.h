#pragma once
// What the system says about an attached USB device, for telling the user why it cannot be opened:
// the udev rule and whether it reached the device, a claim by another program, and the programs that
// are known to take FTDI chips. Each function reads below a file-system root ("/" in use, a folder
// in tests): sysfs, the udev database, the rules folders and /proc. Nothing here opens the device.

#include <cstdint>
#include <string>

namespace ftdi {

constexpr const char* kRuleFileName = "70-zentara-configurator.rules";

// Whether the rule lies in any folder udev reads rules from (/etc, /run, /usr/lib, /lib and
// /usr/local/lib udev/rules.d).
bool RuleInstalled(const std::string& root);

// The udev database entry of a USB device node: whether udev tagged it for "uaccess" (the rule
// reached it) and whether it told ModemManager to leave it alone.
struct tUdevEntry {
    bool uaccess = false;
    bool modemManagerIgnores = false;
};
tUdevEntry ReadUdevEntry(const std::string& root, int bus, int address);

// Why the user may not open a device (a ZCFG_PERMISSION_* code): not covered by the rule, the rule
// missing, the rule not yet applied to the device, or applied but for the local session only.
uint32_t PermissionProblem(bool coveredByRule, bool ruleInstalled, bool taggedForUaccess);

// Whether another program has claimed the device's first interface through usbfs.
bool ClaimedThroughUsbfs(const std::string& root, const std::string& location);

// The program that most likely holds an FTDI chip that is in use: brltty (it claims FT232 chips as
// Braille displays), ModemManager (it probes serial ports nobody told it to leave alone), or empty.
std::string LikelyHolder(const std::string& root, bool modemManagerIgnores);

} // namespace ftdi
