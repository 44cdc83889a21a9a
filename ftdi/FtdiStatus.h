#pragma once
// libusb's error codes as the driver statuses the link understands (1-6 and 15 only), and the
// order in which attached adapters are numbered.

#include "programmer/D2XXTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ftdi {

// A libusb result (0 or a negative LIBUSB_ERROR_*) as a driver status. No permission and a device
// claimed by another program are FT_DEVICE_NOT_OPENED; a vanished device is FT_IO_ERROR.
FT_STATUS StatusFromUsbError(int libusbError);

// Where an adapter sits: its bus and the chain of hub ports leading to it. Adapters are numbered
// in this order, so an index names the same adapter from one listing to the next.
struct tUsbLocation {
    uint8_t bus = 0;
    std::vector<uint8_t> ports;
    bool operator<(const tUsbLocation& other) const;
    bool operator==(const tUsbLocation& other) const = default;
    std::string Text() const; // "1-2.3", as the kernel names the device
};

} // namespace ftdi
