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
constexpr uint16_t kPortA = 1;             // the chip's first serial port, as its requests number it
constexpr uint8_t kDataIn = 0x81;          // bulk endpoint from the chip
constexpr unsigned kControlTimeout = 1000; // ms
// A bulk read returns at the latest after the chip's latency timer (16 ms), with its two status
// bytes; this bound only matters for a chip that stopped answering.
constexpr unsigned kReceiveTimeout = 100; // ms

} // namespace

tUsbTransport::tUsbTransport(libusb_device_handle* handle, tChipType chip) : handle_(handle), chip_(chip) {}

tUsbTransport::~tUsbTransport() {
    Release();
    libusb_close(handle_);
}

FT_STATUS tUsbTransport::ReadEepromWord(int address, uint16_t& value) {
    unsigned char bytes[2] = {};
    const int n = libusb_control_transfer(handle_, kVendorIn, kReadEeprom, 0, static_cast<uint16_t>(address),
                                          bytes, 2, kControlTimeout);
    if (n < 0) return StatusFromUsbError(n);
    if (n != 2) return FT_IO_ERROR;
    value = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    return FT_OK;
}

FT_STATUS tUsbTransport::WriteEepromWord(int address, uint16_t value) {
    const int n = libusb_control_transfer(handle_, kVendorOut, kWriteEeprom, value,
                                          static_cast<uint16_t>(address), nullptr, 0, kControlTimeout);
    return n < 0 ? StatusFromUsbError(n) : FT_OK;
}

FT_STATUS tUsbTransport::GetLatencyTimer(uint8_t& milliseconds) {
    unsigned char byte = 0;
    const int n =
        libusb_control_transfer(handle_, kVendorIn, kGetLatency, 0, kPortA, &byte, 1, kControlTimeout);
    if (n < 0) return StatusFromUsbError(n);
    if (n != 1) return FT_IO_ERROR;
    milliseconds = byte;
    return FT_OK;
}

FT_STATUS tUsbTransport::SetLatencyTimer(uint8_t milliseconds) {
    const int n = libusb_control_transfer(handle_, kVendorOut, kSetLatency, milliseconds, kPortA, nullptr, 0,
                                          kControlTimeout);
    return n < 0 ? StatusFromUsbError(n) : FT_OK;
}

FT_STATUS tUsbTransport::Claim() {
    if (line_ != nullptr) return FT_OK;
    // The kernel's serial driver is detached for as long as the interface is claimed and attached
    // again when it is released, so /dev/ttyUSB* comes back on close.
    libusb_set_auto_detach_kernel_driver(handle_, 1);
    if (const int result = libusb_claim_interface(handle_, 0); result != 0) return StatusFromUsbError(result);
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
    // libftdi reports a failed transfer as a negative number of its own.
    return ftdiResult >= 0 ? FT_OK : FT_IO_ERROR;
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
    if (count == 0) return FT_OK;
    const int n = ftdi_write_data(line_, bytes, static_cast<int>(count));
    if (n < 0) return lineStatus(n);
    written = static_cast<uint32_t>(n);
    return written == count ? FT_OK : FT_IO_ERROR;
}

int tUsbTransport::Receive(uint8_t* buffer, int capacity) {
    // Each packet from the chip starts with two modem-status bytes, which are dropped.
    unsigned char packets[512];
    int length = 0;
    const int result =
        libusb_bulk_transfer(handle_, kDataIn, packets, sizeof packets, &length, kReceiveTimeout);
    if (result == LIBUSB_ERROR_NO_DEVICE || result == LIBUSB_ERROR_IO) return -1;
    if (result != 0 && result != LIBUSB_ERROR_TIMEOUT) return 0;
    int stored = 0;
    for (int start = 0; start < length; start += packetSize_) {
        const int end = std::min(length, start + packetSize_);
        for (int i = start + 2; i < end && stored < capacity; ++i)
            buffer[stored++] = packets[i];
    }
    return stored;
}

} // namespace ftdi
