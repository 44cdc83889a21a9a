#pragma once
// What an open adapter needs from USB, kept small so that everything above it (the EEPROM cache,
// programming, the reader thread and its buffer, loss of the device) runs against a fake in tests.
// Every operation returns a driver status; the USB implementation maps libusb's errors and retries a
// transfer that failed once on a glitch before it reports the failure.

#include "ftdi/FtdiEeprom.h"

#include <cstdint>

namespace ftdi {

// What one wait for received bytes brought.
struct tReceived {
    enum tKind {
        Data,    // `count` bytes (0 when none came within the wait)
        Stalled, // the chip halted its bulk-in endpoint; ClearStall clears it
        Failed,  // the transfer failed (I/O error, overflow): may pass, may be the end of the device
        Gone,    // the device is no longer there
    };
    tKind kind = Data;
    int count = 0;
};

class tFtdiTransport {
public:
    virtual ~tFtdiTransport() = default;

    virtual tChipType ChipType() const = 0;
    // The ids the device enumerated with (its device descriptor, not its EEPROM image).
    virtual uint16_t VendorId() const = 0;
    virtual uint16_t ProductId() const = 0;
    // True once a request found the device gone: nothing on this handle can succeed any more.
    virtual bool Gone() const = 0;

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

    // Called by the reader thread only: waits a short, bounded time for received bytes.
    virtual tReceived Receive(uint8_t* buffer, int capacity) = 0;
    // Clears a halted bulk-in endpoint (after Receive reported Stalled).
    virtual FT_STATUS ClearStall() = 0;
    // Ends a Receive that is waiting, so the reader thread can be joined at once.
    virtual void InterruptReceive() {}
};

} // namespace ftdi
