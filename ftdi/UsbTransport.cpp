#include "ftdi/UsbTransport.h"

#include "ftdi/FtdiStatus.h"

#include <algorithm>
#include <ftdi.h>
#include <libusb.h>

namespace ftdi {

namespace {

constexpr uint8_t kVendorIn = 0xC0;  // vendor request to the device, data from the device
constexpr uint8_t kVendorOut = 0x40; // vendor request to the device, data to the device
constexpr uint8_t kReadEeprom = 0x90;
constexpr uint8_t kWriteEeprom = 0x91;
constexpr uint8_t kSetLatency = 0x09;
constexpr uint8_t kGetLatency = 0x0A;
constexpr uint16_t kPortA = 1;    // the chip's first serial port, as its requests number it
constexpr uint8_t kDataIn = 0x81; // bulk endpoints of the first port
constexpr uint8_t kDataOut = 0x02;
constexpr unsigned kControlTimeout = 1000; // ms
constexpr unsigned kWriteTimeout = 1000;   // ms
// A bulk read returns at the latest after the chip's latency timer (16 ms), with its two status
// bytes; this bound only matters for a chip that stopped answering.
constexpr unsigned kReceiveTimeout = 100; // ms

} // namespace

tUsbTransport::tUsbTransport(libusb_device_handle* handle, tChipType chip, uint16_t vendorId,
                             uint16_t productId)
    : handle_(handle), chip_(chip), vendorId_(vendorId), productId_(productId) {}

tUsbTransport::~tUsbTransport() {
    Release();
    libusb_close(handle_);
}

FT_STATUS tUsbTransport::status(int libusbResult) {
    if (libusbResult == LIBUSB_ERROR_NO_DEVICE) gone_ = true;
    return libusbResult >= 0 ? FT_OK : StatusFromUsbError(libusbResult);
}

int tUsbTransport::control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                           unsigned char* data, uint16_t length) {
    int result = LIBUSB_ERROR_IO;
    for (int attempt = 0; attempt < 2 && result == LIBUSB_ERROR_IO; ++attempt)
        result = libusb_control_transfer(handle_, requestType, request, value, index, data, length,
                                         kControlTimeout);
    return result;
}

FT_STATUS tUsbTransport::ReadEepromWord(int address, uint16_t& value) {
    unsigned char bytes[2] = {};
    const int n = control(kVendorIn, kReadEeprom, 0, static_cast<uint16_t>(address), bytes, 2);
    if (n < 0) return status(n);
    if (n != 2) return FT_IO_ERROR;
    value = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    return FT_OK;
}

FT_STATUS tUsbTransport::WriteEepromWord(int address, uint16_t value) {
    return status(control(kVendorOut, kWriteEeprom, value, static_cast<uint16_t>(address), nullptr, 0));
}

FT_STATUS tUsbTransport::GetLatencyTimer(uint8_t& milliseconds) {
    unsigned char byte = 0;
    const int n = control(kVendorIn, kGetLatency, 0, kPortA, &byte, 1);
    if (n < 0) return status(n);
    if (n != 1) return FT_IO_ERROR;
    milliseconds = byte;
    return FT_OK;
}

FT_STATUS tUsbTransport::SetLatencyTimer(uint8_t milliseconds) {
    return status(control(kVendorOut, kSetLatency, milliseconds, kPortA, nullptr, 0));
}

FT_STATUS tUsbTransport::Claim() {
    if (line_ != nullptr) return FT_OK;
    // The kernel's serial driver is detached for as long as the interface is claimed and attached
    // again when it is released, so /dev/ttyUSB* comes back on close.
    libusb_set_auto_detach_kernel_driver(handle_, 1);
    if (const int result = libusb_claim_interface(handle_, 0); result != 0) return status(result);
    line_ = ftdi_new();
    if (line_ == nullptr) {
        libusb_release_interface(handle_, 0);
        return FT_INSUFFICIENT_RESOURCES;
    }
    line_->usb_dev = handle_;
    line_->type = static_cast<ftdi_chip_type>(chip_);
    line_->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
    const int packet = libusb_get_max_packet_size(libusb_get_device(handle_), kDataIn);
    packetSize_ = packet > 2 ? packet : 64;
    line_->max_packet_size = static_cast<unsigned>(packetSize_);
    return FT_OK;
}

void tUsbTransport::Release() {
    if (line_ == nullptr) return;
    line_->usb_dev = nullptr; // the handle stays ours; libftdi must not close it
    ftdi_free(line_);
    line_ = nullptr;
    libusb_release_interface(handle_, 0);
}

FT_STATUS tUsbTransport::lineStatus(int ftdiResult) {
    if (ftdiResult >= 0) return FT_OK;
    // libftdi reports a failed request as a negative number of its own; one more request tells a
    // glitch from a device that is gone.
    uint8_t latency = 0;
    GetLatencyTimer(latency);
    return FT_IO_ERROR;
}

FT_STATUS tUsbTransport::SetBaudRate(uint32_t baudRate) {
    if (line_ == nullptr) return FT_DEVICE_NOT_OPENED;
    if (baudRate == 0 || baudRate > 12000000) return FT_INVALID_PARAMETER;
    return lineStatus(ftdi_set_baudrate(line_, static_cast<int>(baudRate)));
}

FT_STATUS tUsbTransport::SetDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) {
    if (line_ == nullptr) return FT_DEVICE_NOT_OPENED;
    // The driver's codes are the chip's: 7/8 bits, stop bits 0 (one) or 2 (two), parity 0..4.
    return lineStatus(ftdi_set_line_property2(line_, static_cast<ftdi_bits_type>(wordLength),
                                              static_cast<ftdi_stopbits_type>(stopBits),
                                              static_cast<ftdi_parity_type>(parity), BREAK_OFF));
}

FT_STATUS tUsbTransport::SetFlowControl(uint16_t flowControl, uint8_t xon, uint8_t xoff) {
    if (line_ == nullptr) return FT_DEVICE_NOT_OPENED;
    if (flowControl == SIO_XON_XOFF_HS) return lineStatus(ftdi_setflowctrl_xonxoff(line_, xon, xoff));
    return lineStatus(ftdi_setflowctrl(line_, flowControl));
}

FT_STATUS tUsbTransport::Write(const uint8_t* bytes, uint32_t count, uint32_t& written) {
    written = 0;
    if (line_ == nullptr) return FT_DEVICE_NOT_OPENED;
    // A halted endpoint is cleared and a glitch tried once more; what was sent is not sent again.
    for (int attempt = 0; attempt < 2 && written < count; ++attempt) {
        int sent = 0;
        const int result = libusb_bulk_transfer(handle_, kDataOut, const_cast<uint8_t*>(bytes) + written,
                                                static_cast<int>(count - written), &sent, kWriteTimeout);
        written += static_cast<uint32_t>(std::max(sent, 0));
        if (result == 0) continue;
        if (result == LIBUSB_ERROR_PIPE) {
            if (const int cleared = libusb_clear_halt(handle_, kDataOut); cleared != 0)
                return status(cleared);
        } else if (result != LIBUSB_ERROR_IO) {
            return status(result);
        }
    }
    return written == count ? FT_OK : FT_IO_ERROR;
}

tReceived tUsbTransport::Receive(uint8_t* buffer, int capacity) {
    // Each packet from the chip starts with two modem-status bytes, which are dropped.
    unsigned char packets[512];
    int length = 0;
    const int result =
        libusb_bulk_transfer(handle_, kDataIn, packets, sizeof packets, &length, kReceiveTimeout);
    switch (result) {
    case 0:
    case LIBUSB_ERROR_TIMEOUT: // a chip that stopped answering: no bytes this time
        break;
    case LIBUSB_ERROR_PIPE:
        return {tReceived::Stalled, 0};
    case LIBUSB_ERROR_NO_DEVICE:
        gone_ = true;
        return {tReceived::Gone, 0};
    default: // I/O error, overflow, interrupted
        return {tReceived::Failed, 0};
    }
    int stored = 0;
    for (int start = 0; start < length; start += packetSize_) {
        const int end = std::min(length, start + packetSize_);
        for (int i = start + 2; i < end && stored < capacity; ++i)
            buffer[stored++] = packets[i];
    }
    return {tReceived::Data, stored};
}

FT_STATUS tUsbTransport::ClearStall() {
    return status(libusb_clear_halt(handle_, kDataIn));
}

} // namespace ftdi
