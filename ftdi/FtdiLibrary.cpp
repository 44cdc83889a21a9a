// libzcfg-ftdi.so: the adapter driver's entry points on libusb-1.0 and libftdi1, with C linkage, for
// Linux desktops without the vendor's driver. Adapters are FTDI chips with the adapter's own ids
// (0403:dbc0, and 0403:6001 before programming), numbered by bus and port path; with ZCFG_FTDI_ALL
// set, FTDI's other factory ids are listed too.

#include "ftdi/FtdiHandle.h"
#include "ftdi/FtdiStatus.h"
#include "ftdi/FtdiSystem.h"
#include "ftdi/UsbTransport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <libusb.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>

#define ZCFG_FTDI_EXPORT extern "C" __attribute__((visibility("default")))

using namespace ftdi;

namespace {

struct tListed {
    libusb_device* device = nullptr;
    tUsbLocation location;
    libusb_device_descriptor descriptor{};
};

// Whether the user asked for every FTDI device, not only the adapter's own ids.
bool everyFtdiDevice() {
    const char* value = std::getenv("ZCFG_FTDI_ALL");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

tChipType chipOf(const libusb_device_descriptor& descriptor) {
    return ChipTypeFromRelease(descriptor.bcdDevice, descriptor.iSerialNumber != 0);
}

// The driver layer's state: one libusb context and the open handles. A call on a handle holds a
// reference to it, so closing it (or unloading the library) while a call runs ends the handle when
// that call returns; the global lock is held only to list, to open the device node and to look a
// handle up, never across transfers.
class tDriver {
public:
    ~tDriver() {
        handles_.clear(); // joins every reader thread before libusb goes
        if (context_ != nullptr) libusb_exit(context_);
    }

    std::mutex mutex;

    libusb_context* Context() {
        if (context_ == nullptr && libusb_init(&context_) != 0) context_ = nullptr;
        return context_;
    }

    // The listed devices in their stable order; each device carries one reference the caller drops
    // with unreference().
    std::vector<tListed> List() {
        std::vector<tListed> listed;
        libusb_context* context = Context();
        if (context == nullptr) return listed;
        const bool every = everyFtdiDevice();
        libusb_device** devices = nullptr;
        const ssize_t count = libusb_get_device_list(context, &devices);
        for (ssize_t i = 0; i < count; ++i) {
            tListed entry;
            entry.device = devices[i];
            if (libusb_get_device_descriptor(devices[i], &entry.descriptor) != 0) continue;
            if (!IsListedProduct(entry.descriptor.idVendor, entry.descriptor.idProduct, every)) continue;
            entry.location.bus = libusb_get_bus_number(devices[i]);
            uint8_t ports[8];
            const int depth = libusb_get_port_numbers(devices[i], ports, sizeof ports);
            if (depth > 0) entry.location.ports.assign(ports, ports + depth);
            libusb_ref_device(devices[i]);
            listed.push_back(entry);
        }
        if (count >= 0) libusb_free_device_list(devices, 1);
        std::stable_sort(listed.begin(), listed.end(),
                         [](const tListed& a, const tListed& b) { return a.location < b.location; });
        return listed;
    }

    static void unreference(std::vector<tListed>& listed) {
        for (tListed& entry : listed)
            libusb_unref_device(entry.device);
        listed.clear();
    }

    std::shared_ptr<tFtdiHandle> Find(FT_HANDLE handle) {
        const auto it = handles_.find(handle);
        return it == handles_.end() ? nullptr : it->second;
    }
    void Add(std::shared_ptr<tFtdiHandle> handle) { handles_.emplace(handle.get(), std::move(handle)); }
    std::shared_ptr<tFtdiHandle> Remove(FT_HANDLE handle) {
        const auto it = handles_.find(handle);
        if (it == handles_.end()) return nullptr;
        std::shared_ptr<tFtdiHandle> open = std::move(it->second);
        handles_.erase(it);
        return open;
    }

    // Keeps what to tell the user about an adapter the system refused to open, for the window and
    // zcfg; nothing is said for devices the rule is not for.
    void NoteAccessDenied(const tListed& entry, uint32_t problem) {
        const char* advice = nullptr;
        switch (problem) {
        case ZCFG_PERMISSION_NO_RULE:
            advice =
                "Install the udev rule 70-zentara-configurator.rules into /etc/udev/rules.d (the package "
                "installs it into /usr/lib/udev/rules.d), run 'sudo udevadm control --reload' and plug "
                "the adapter in again.";
            break;
        case ZCFG_PERMISSION_NOT_APPLIED:
            advice = "The udev rule is installed but has not reached the adapter yet: plug it in again.";
            break;
        case ZCFG_PERMISSION_NOT_LOCAL:
            advice =
                "The udev rule gives access only to the user logged in at this computer (a local session), "
                "not to an ssh, remote desktop or su session: run the program in the local session.";
            break;
        default:
            return;
        }
        char text[600];
        std::snprintf(text, sizeof text, "No permission to open the USB adapter %04x:%04x at %s. %s",
                      entry.descriptor.idVendor, entry.descriptor.idProduct, entry.location.Text().c_str(),
                      advice);
        hint_ = text;
    }
    const char* Hint() const { return hint_.empty() ? nullptr : hint_.c_str(); }

private:
    libusb_context* context_ = nullptr;
    std::map<FT_HANDLE, std::shared_ptr<tFtdiHandle>> handles_;
    std::string hint_;
};

tDriver& driver() {
    static tDriver instance;
    return instance;
}

// Why the user may not open a listed device.
uint32_t permissionProblem(const tListed& entry) {
    const tUdevEntry udev = ReadUdevEntry("/", entry.location.bus, libusb_get_device_address(entry.device));
    return PermissionProblem(IsAdapterProduct(entry.descriptor.idVendor, entry.descriptor.idProduct),
                             RuleInstalled("/"), udev.uaccess);
}

template <class Operation> FT_STATUS withHandle(FT_HANDLE handle, Operation operation) {
    std::shared_ptr<tFtdiHandle> open;
    {
        std::lock_guard lock(driver().mutex);
        open = driver().Find(handle);
    }
    return open == nullptr ? FT_INVALID_HANDLE : operation(*open);
}

// Runs f on the device listed at deviceNumber (the driver's lock held); FT_DEVICE_NOT_FOUND when the
// list has no such entry. The listing's references are released afterwards either way.
template <class F> FT_STATUS withListed(int deviceNumber, F&& f) {
    std::vector<tListed> listed = driver().List();
    FT_STATUS status = FT_DEVICE_NOT_FOUND;
    if (deviceNumber >= 0 && static_cast<size_t>(deviceNumber) < listed.size())
        status = f(listed[static_cast<size_t>(deviceNumber)]);
    tDriver::unreference(listed);
    return status;
}

} // namespace

ZCFG_FTDI_EXPORT FT_STATUS FT_ListDevices(void* arg1, void* /*arg2*/, uint32_t flags) {
    if (arg1 == nullptr || (flags & FT_LIST_NUMBER_ONLY) == 0) return FT_INVALID_PARAMETER;
    std::lock_guard lock(driver().mutex);
    // A machine without USB (libusb cannot start) simply has no adapters.
    std::vector<tListed> listed = driver().List();
    *static_cast<uint32_t*>(arg1) = static_cast<uint32_t>(listed.size());
    tDriver::unreference(listed);
    return FT_OK;
}

ZCFG_FTDI_EXPORT FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle) {
    if (handle == nullptr) return FT_INVALID_PARAMETER;
    *handle = nullptr;
    libusb_device_handle* usb = nullptr;
    libusb_device_descriptor descriptor{};
    {
        std::lock_guard lock(driver().mutex);
        const FT_STATUS found = withListed(deviceNumber, [&](const tListed& entry) {
            const int opened = libusb_open(entry.device, &usb);
            if (opened == LIBUSB_ERROR_ACCESS) driver().NoteAccessDenied(entry, permissionProblem(entry));
            descriptor = entry.descriptor;
            return opened != 0 ? StatusFromUsbError(opened) : FT_OK;
        });
        if (found != FT_OK) return found;
    }
    // The EEPROM is read without the driver's lock: listing goes on meanwhile.
    auto open = std::make_shared<tFtdiHandle>(
        std::make_unique<tUsbTransport>(usb, chipOf(descriptor), descriptor.idVendor, descriptor.idProduct));
    if (const FT_STATUS status = open->LoadEeprom(); status != FT_OK) return status;
    *handle = open.get();
    std::lock_guard lock(driver().mutex);
    driver().Add(std::move(open));
    return FT_OK;
}

ZCFG_FTDI_EXPORT FT_STATUS FT_Close(FT_HANDLE handle) {
    std::shared_ptr<tFtdiHandle> open;
    {
        std::lock_guard lock(driver().mutex);
        open = driver().Remove(handle);
    }
    if (open == nullptr) return FT_INVALID_HANDLE;
    open->Close(); // joins the reader thread and gives the interface back
    return FT_OK;
}

ZCFG_FTDI_EXPORT FT_STATUS FT_SetBaudRate(FT_HANDLE handle, uint32_t baudRate) {
    return withHandle(handle, [&](tFtdiHandle& h) { return h.SetBaudRate(baudRate); });
}

ZCFG_FTDI_EXPORT FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, uint8_t wordLength, uint8_t stopBits,
                                                     uint8_t parity) {
    return withHandle(handle,
                      [&](tFtdiHandle& h) { return h.SetDataCharacteristics(wordLength, stopBits, parity); });
}

ZCFG_FTDI_EXPORT FT_STATUS FT_SetFlowControl(FT_HANDLE handle, uint16_t flowControl, uint8_t xon,
                                             uint8_t xoff) {
    return withHandle(handle, [&](tFtdiHandle& h) { return h.SetFlowControl(flowControl, xon, xoff); });
}

ZCFG_FTDI_EXPORT FT_STATUS FT_Write(FT_HANDLE handle, void* buffer, uint32_t bytesToWrite,
                                    uint32_t* bytesWritten) {
    return withHandle(handle, [&](tFtdiHandle& h) { return h.Write(buffer, bytesToWrite, bytesWritten); });
}

ZCFG_FTDI_EXPORT FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, uint32_t* bytesWaiting) {
    return withHandle(handle, [&](tFtdiHandle& h) { return h.QueueStatus(bytesWaiting); });
}

ZCFG_FTDI_EXPORT FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, uint32_t bytesToRead,
                                   uint32_t* bytesReturned) {
    return withHandle(handle, [&](tFtdiHandle& h) { return h.Read(buffer, bytesToRead, bytesReturned); });
}

ZCFG_FTDI_EXPORT FT_STATUS FT_EE_Read(FT_HANDLE handle, FT_DESCRIPTOR* descriptor) {
    return withHandle(handle, [&](tFtdiHandle& h) { return h.ReadDescriptor(descriptor); });
}

ZCFG_FTDI_EXPORT FT_STATUS FT_EE_Program(FT_HANDLE handle, FT_DESCRIPTOR* descriptor) {
    return withHandle(handle, [&](tFtdiHandle& h) { return h.Program(descriptor); });
}

ZCFG_FTDI_EXPORT FT_STATUS ZCFG_GetAdapterInfo(int deviceNumber, ZCFG_ADAPTER_INFO* info) {
    if (info == nullptr) return FT_INVALID_PARAMETER;
    std::lock_guard lock(driver().mutex);
    return withListed(deviceNumber, [&](const tListed& entry) {
        std::memset(info, 0, sizeof *info);
        info->VendorId = entry.descriptor.idVendor;
        info->ProductId = entry.descriptor.idProduct;
        std::snprintf(info->Location, sizeof info->Location, "%s", entry.location.Text().c_str());
        std::snprintf(info->Chip, sizeof info->Chip, "%s", ChipName(chipOf(entry.descriptor)));
        // Whether the user may open the device node, asked without opening it.
        const int address = libusb_get_device_address(entry.device);
        char node[64];
        std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03d", entry.location.bus, address);
        if (access(node, R_OK | W_OK) != 0 && errno == EACCES) {
            info->Access = ZCFG_ADAPTER_NO_PERMISSION;
            info->Permission = permissionProblem(entry);
            driver().NoteAccessDenied(entry, info->Permission);
        } else if (ClaimedThroughUsbfs("/", entry.location.Text())) {
            info->Access = ZCFG_ADAPTER_IN_USE;
            const tUdevEntry udev = ReadUdevEntry("/", entry.location.bus, address);
            std::snprintf(info->Holder, sizeof info->Holder, "%s",
                          LikelyHolder("/", udev.modemManagerIgnores).c_str());
        }
        return FT_OK;
    });
}

ZCFG_FTDI_EXPORT const char* ZCFG_AccessHint() {
    std::lock_guard lock(driver().mutex);
    return driver().Hint();
}
