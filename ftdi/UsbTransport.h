#pragma once
// The adapter over libusb (control requests, bulk transfers) with libftdi setting the line.

#include "ftdi/FtdiTransport.h"

#include <atomic>

struct libusb_device_handle;
struct ftdi_context;

namespace ftdi {

class tUsbTransport final : public tFtdiTransport {
public:
    // Takes over an opened (not claimed) device handle of a device that enumerated with these ids.
    tUsbTransport(libusb_device_handle* handle, tChipType chip, uint16_t vendorId, uint16_t productId);
    ~tUsbTransport() override;

    tChipType ChipType() const override { return chip_; }
    uint16_t VendorId() const override { return vendorId_; }
    uint16_t ProductId() const override { return productId_; }
    bool Gone() const override { return gone_; }
    FT_STATUS ReadEepromWord(int address, uint16_t& value) override;
    FT_STATUS WriteEepromWord(int address, uint16_t value) override;
    FT_STATUS GetLatencyTimer(uint8_t& milliseconds) override;
    FT_STATUS SetLatencyTimer(uint8_t milliseconds) override;
    FT_STATUS Claim() override;
    void Release() override;
    FT_STATUS SetBaudRate(uint32_t baudRate) override;
    FT_STATUS SetDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) override;
    FT_STATUS SetFlowControl(uint16_t flowControl, uint8_t xon, uint8_t xoff) override;
    FT_STATUS Write(const uint8_t* bytes, uint32_t count, uint32_t& written) override;
    tReceived Receive(uint8_t* buffer, int capacity) override;
    FT_STATUS ClearStall() override;

private:
    // A vendor request; a transfer that fails with an I/O error is tried once more.
    int control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, unsigned char* data,
                uint16_t length);
    FT_STATUS status(int libusbResult);
    FT_STATUS lineStatus(int ftdiResult);

    libusb_device_handle* handle_;
    tChipType chip_;
    uint16_t vendorId_;
    uint16_t productId_;
    std::atomic<bool> gone_{false};
    ftdi_context* line_ = nullptr; // while claimed
    int packetSize_ = 64;
};

} // namespace ftdi
