#pragma once
// What an open adapter needs from USB, kept small so that everything above it (the EEPROM cache,
// programming, the reader thread and its buffer, loss of the device) runs against a fake in tests.
// Every operation returns a driver status; the USB implementation maps libusb's errors.

#include "ftdi/FtdiEeprom.h"

#include <cstdint>

namespace ftdi {

class tFtdiTransport {
public:
    virtual ~tFtdiTransport() = default;

    virtual tChipType ChipType() const = 0;

    // EEPROM words and the latency timer: vendor requests on the control endpoint, which need no
    // claimed interface, so the kernel's serial driver keeps the device meanwhile.
    virtual FT_STATUS ReadEepromWord(int address, uint16_t& value) = 0;
    virtual FT_STATUS WriteEepromWord(int address, uint16_t value) = 0;
    virtual FT_STATUS GetLatencyTimer(uint8_t& milliseconds) = 0;
    virtual FT_STATUS SetLatencyTimer(uint8_t milliseconds) = 0;

    // Takes the data interface over from the kernel's serial driver; Release gives it back.
    virtual FT_STATUS Claim() = 0;
    virtual void Release() = 0;

    virtual FT_STATUS SetBaudRate(uint32_t baudRate) = 0;
    virtual FT_STATUS SetDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) = 0;
    virtual FT_STATUS SetFlowControl(uint16_t flowControl, uint8_t xon, uint8_t xoff) = 0;
    virtual FT_STATUS Write(const uint8_t* bytes, uint32_t count, uint32_t& written) = 0;

    // Called by the reader thread only: waits a short, bounded time for received bytes and returns
    // how many were stored (0 when none came), or -1 when the adapter is gone.
    virtual int Receive(uint8_t* buffer, int capacity) = 0;
    // Ends a Receive that is waiting, so the reader thread can be joined at once.
    virtual void InterruptReceive() {}
};

} // namespace ftdi
