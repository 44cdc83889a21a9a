#include "ftdi/FtdiStatus.h"

#include <libusb.h>
#include <tuple>

namespace ftdi {

FT_STATUS StatusFromUsbError(int libusbError) {
    switch (libusbError) {
    case LIBUSB_SUCCESS:
        return FT_OK;
    case LIBUSB_ERROR_ACCESS:
    case LIBUSB_ERROR_BUSY:
        return FT_DEVICE_NOT_OPENED;
    case LIBUSB_ERROR_NOT_FOUND:
        return FT_DEVICE_NOT_FOUND;
    case LIBUSB_ERROR_NO_MEM:
        return FT_INSUFFICIENT_RESOURCES;
    case LIBUSB_ERROR_INVALID_PARAM:
        return FT_INVALID_PARAMETER;
    default:
        return FT_IO_ERROR; // no device, I/O, timeout, pipe, overflow, anything else
    }
}

bool tUsbLocation::operator<(const tUsbLocation& other) const {
    return std::tie(bus, ports) < std::tie(other.bus, other.ports);
}

std::string tUsbLocation::Text() const {
    std::string text = std::to_string(bus);
    for (size_t i = 0; i < ports.size(); ++i)
        text += (i == 0 ? "-" : ".") + std::to_string(ports[i]);
    return text;
}

} // namespace ftdi
