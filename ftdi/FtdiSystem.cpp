#include "ftdi/FtdiSystem.h"

#include "programmer/D2XXTypes.h"

#include <filesystem>
#include <fstream>

namespace ftdi {

namespace {

namespace fs = std::filesystem;

bool present(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// Whether a program of this name runs: /proc/PID/comm, which every user may read.
bool running(const std::string& root, const std::string& name) {
    std::error_code error;
    for (fs::directory_iterator it(fs::path(root) / "proc", error), end; !error && it != end;
         it.increment(error)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream comm(it->path() / "comm");
        std::string command;
        if (std::getline(comm, command) && command == name) return true;
    }
    return false;
}

} // namespace

bool RuleInstalled(const std::string& root) {
    for (const char* folder : {"etc/udev/rules.d", "run/udev/rules.d", "usr/lib/udev/rules.d",
                               "lib/udev/rules.d", "usr/local/lib/udev/rules.d"})
        if (present(fs::path(root) / folder / kRuleFileName)) return true;
    return false;
}

tUdevEntry ReadUdevEntry(const std::string& root, int bus, int address) {
    // USB device nodes have major 189, minors numbered by bus and address.
    const int minor = (bus - 1) * 128 + (address - 1);
    std::ifstream data(fs::path(root) / "run/udev/data" / ("c189:" + std::to_string(minor)));
    tUdevEntry entry;
    for (std::string line; std::getline(data, line);) {
        // "G:" lists the tags the device was given, "Q:" (newer udev) those it currently has.
        if (line == "G:uaccess" || line == "Q:uaccess") entry.uaccess = true;
        if (line == "E:ID_MM_DEVICE_IGNORE=1") entry.modemManagerIgnores = true;
    }
    return entry;
}

uint32_t PermissionProblem(bool coveredByRule, bool ruleInstalled, bool taggedForUaccess) {
    if (!coveredByRule) return ZCFG_PERMISSION_NOT_COVERED;
    if (taggedForUaccess) return ZCFG_PERMISSION_NOT_LOCAL;
    return ruleInstalled ? ZCFG_PERMISSION_NOT_APPLIED : ZCFG_PERMISSION_NO_RULE;
}

bool ClaimedThroughUsbfs(const std::string& root, const std::string& location) {
    std::error_code error;
    const fs::path link = fs::path(root) / "sys/bus/usb/devices" / (location + ":1.0") / "driver";
    const fs::path target = fs::read_symlink(link, error);
    return !error && target.filename() == "usbfs";
}

std::string LikelyHolder(const std::string& root, bool modemManagerIgnores) {
    if (running(root, "brltty")) return "brltty";
    if (!modemManagerIgnores && running(root, "ModemManager")) return "ModemManager";
    return {};
}

} // namespace ftdi
