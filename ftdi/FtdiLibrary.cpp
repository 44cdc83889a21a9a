// libzcfg-ftdi.so: the adapter driver's entry points on libusb-1.0 and libftdi1, with C linkage, for
// Linux desktops without the vendor's driver. Adapters are FTDI chips with our product id or a
// factory id, numbered by bus and port path.

#include "ftdi/FtdiHandle.h"
#include "ftdi/FtdiStatus.h"
#include "ftdi/UsbTransport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <libusb.h>
#include <mutex>
#include <set>
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

// The driver layer's state: one libusb context and the open handles. Unloading the library closes
// every handle still open, which joins its reader thread.
class tDriver {
public:
    ~tDriver() {
        for (tFtdiHandle* handle : handles_)
            delete handle;
        if (context_ != nullptr) libusb_exit(context_);
    }

    std::mutex mutex;

    libusb_context* Context() {
        if (context_ == nullptr && libusb_init(&context_) != 0) context_ = nullptr;
        return context_;
    }

    // The listed adapters in their stable order; each device carries one reference the caller drops
    // with unreference().
    std::vector<tListed> List() {
        std::vector<tListed> listed;
        libusb_context* context = Context();
        if (context == nullptr) return listed;
        libusb_device** devices = nullptr;
        const ssize_t count = libusb_get_device_list(context, &devices);
        for (ssize_t i = 0; i < count; ++i) {
            tListed entry;
            entry.device = devices[i];
            if (libusb_get_device_descriptor(devices[i], &entry.descriptor) != 0) continue;
            if (!IsListedProduct(entry.descriptor.idVendor, entry.descriptor.idProduct)) continue;
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

    tFtdiHandle* Find(FT_HANDLE handle) {
        const auto it = handles_.find(static_cast<tFtdiHandle*>(handle));
        return it == handles_.end() ? nullptr : *it;
    }
    void Add(tFtdiHandle* handle) { handles_.insert(handle); }
    void Remove(tFtdiHandle* handle) { handles_.erase(handle); }

    // Tells the user once per run what to install when the system refused access to an adapter.
    void NoteAccessDenied(const tListed& entry) {
        char text[600];
        std::snprintf(text, sizeof text,
                      "No permission to open the USB adapter %04x:%04x at %s. Install the udev rule "
                      "70-zentara-configurator.rules into /etc/udev/rules.d (the package installs it into "
                      "/usr/lib/udev/rules.d), run 'sudo udevadm control --reload' and plug the adapter in "
                      "again.",
                      entry.descriptor.idVendor, entry.descriptor.idProduct, entry.location.Text().c_str());
        if (hint_.empty()) std::fprintf(stderr, "zcfg-ftdi: %s\n", text);
        hint_ = text;
    }
    const char* Hint() const { return hint_.empty() ? nullptr : hint_.c_str(); }

private:
    libusb_context* context_ = nullptr;
    std::set<tFtdiHandle*> handles_;
    std::string hint_;
};

tDriver& driver() {
    static tDriver instance;
    return instance;
}

// Whether another program has claimed the adapter's data interface through usbfs.
bool claimedElsewhere(const tUsbLocation& location) {
    std::error_code error;
    const std::filesystem::path link = "/sys/bus/usb/devices/" + location.Text() + ":1.0/driver";
    const auto target = std::filesystem::read_symlink(link, error);
    return !error && target.filename() == "usbfs";
}

template <class Operation> FT_STATUS withHandle(FT_HANDLE handle, Operation operation) {
    tFtdiHandle* open = nullptr;
    {
        std::lock_guard lock(driver().mutex);
        open = driver().Find(handle);
    }
    return open == nullptr ? FT_INVALID_HANDLE : operation(*open);
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

namespace {
// Runs f on the adapter listed at deviceNumber (the driver's lock held); FT_DEVICE_NOT_FOUND when the
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

ZCFG_FTDI_EXPORT FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle) {
    if (handle == nullptr) return FT_INVALID_PARAMETER;
    *handle = nullptr;
    std::lock_guard lock(driver().mutex);
    libusb_device_handle* usb = nullptr;
    tChipType chip{};
    const FT_STATUS found = withListed(deviceNumber, [&](const tListed& entry) {
        const int opened = libusb_open(entry.device, &usb);
        if (opened == LIBUSB_ERROR_ACCESS) driver().NoteAccessDenied(entry);
        chip = ChipTypeFromRelease(entry.descriptor.bcdDevice, entry.descriptor.iSerialNumber != 0);
        return opened != 0 ? StatusFromUsbError(opened) : FT_OK;
    });
    if (found != FT_OK) return found;

    auto open = std::make_unique<tFtdiHandle>(std::make_unique<tUsbTransport>(usb, chip));
    if (const FT_STATUS status = open->LoadEeprom(); status != FT_OK) return status;
    *handle = open.get();
    driver().Add(open.release());
    return FT_OK;
}

ZCFG_FTDI_EXPORT FT_STATUS FT_Close(FT_HANDLE handle) {
    tFtdiHandle* open = nullptr;
    {
        std::lock_guard lock(driver().mutex);
        open = driver().Find(handle);
        if (open == nullptr) return FT_INVALID_HANDLE;
        driver().Remove(open);
    }
    delete open; // joins the reader thread and gives the interface back
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
        // Whether the user may open the device node, asked without opening it.
        char node[64];
        std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", entry.location.bus,
                      libusb_get_device_address(entry.device));
        if (access(node, R_OK | W_OK) != 0 && errno == EACCES) {
            info->Access = ZCFG_ADAPTER_NO_PERMISSION;
            driver().NoteAccessDenied(entry);
        } else if (claimedElsewhere(entry.location)) {
            info->Access = ZCFG_ADAPTER_IN_USE;
        }
        return FT_OK;
    });
}

ZCFG_FTDI_EXPORT const char* ZCFG_AccessHint() {
    std::lock_guard lock(driver().mutex);
    return driver().Hint();
}
