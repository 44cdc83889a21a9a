#pragma once
// The adapter over libusb (control requests, bulk transfers) with libftdi setting the line.

#include "ftdi/FtdiTransport.h"

struct libusb_device_handle;
struct ftdi_context;

namespace ftdi {

class tUsbTransport final : public tFtdiTransport {
public:
    // Takes over an opened (not claimed) device handle.
    tUsbTransport(libusb_device_handle* handle, tChipType chip);
    ~tUsbTransport() override;

    tChipType ChipType() const override { return chip_; }
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
    int Receive(uint8_t* buffer, int capacity) override;

private:
    static FT_STATUS lineStatus(int ftdiResult);

    libusb_device_handle* handle_;
    tChipType chip_;
    ftdi_context* line_ = nullptr; // while claimed
    int packetSize_ = 64;
};

} // namespace ftdi
