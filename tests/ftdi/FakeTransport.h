#pragma once
// An adapter without USB: an EEPROM of 64 words, a latency timer, a log of every request, and a
// receive queue the test fills with chunks and faults. Receive hands the reader thread one queued
// entry at a time and counts its calls, so a test knows when a chunk has reached the buffer without
// sleeping.

#include "ftdi/FtdiTransport.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

class tFakeTransport : public ftdi::tFtdiTransport {
public:
    // A 93C46 or the internal EEPROM: 64 words, which repeat through the 128 addresses read.
    explicit tFakeTransport(ftdi::tChipType chipType = ftdi::tChipType::R)
        : eeprom(64, 0xFFFF), chip(chipType) {}

    std::vector<uint16_t> eeprom;
    ftdi::tChipType chip;
    uint8_t latency = 16;
    std::vector<std::string> log;
    int wordWrites = 0;
    int stuckWord = -1; // a word address whose writes are lost
    bool claimed = false;
    std::atomic<bool> gone{false};                  // requests fail: the device is gone
    uint16_t vendorId = 0x0403, productId = 0x6001; // as enumerated
    bool clearFails = false;                        // clearing a halt finds the device gone

    void SetImage(const std::vector<uint8_t>& image) {
        for (size_t i = 0; i + 1 < image.size() && i / 2 < eeprom.size(); i += 2)
            eeprom[i / 2] = static_cast<uint16_t>(image[i] | (image[i + 1] << 8));
    }

    // Queues what the next reads bring (bytes, or a fault) and waits until the reader thread has
    // taken all of it and, unless it is expected to end, has handled the last entry: it has when it
    // asks for more. (An ending reader is joined by Close.)
    bool Deliver(std::vector<uint8_t> chunk, ftdi::tReceived::tKind kind = ftdi::tReceived::Data,
                 int times = 1, bool readerGoesOn = true) {
        std::unique_lock lock(mutex_);
        for (int i = 0; i < times; ++i)
            chunks_.push_back({chunk, kind});
        changed_.notify_all();
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
            return chunks_.empty() && (!readerGoesOn || receiveCalls_ > callsAtLastPop_);
        });
    }

    ftdi::tChipType ChipType() const override { return chip; }
    uint16_t VendorId() const override { return vendorId; }
    uint16_t ProductId() const override { return productId; }
    bool Gone() const override { return gone; }
    FT_STATUS ReadEepromWord(int address, uint16_t& value) override {
        value = eeprom[static_cast<size_t>(address) % eeprom.size()];
        return gone ? FT_IO_ERROR : FT_OK;
    }
    FT_STATUS WriteEepromWord(int address, uint16_t value) override {
        if (gone) return FT_IO_ERROR;
        ++wordWrites;
        if (address != stuckWord) eeprom[static_cast<size_t>(address) % eeprom.size()] = value;
        return FT_OK;
    }
    FT_STATUS GetLatencyTimer(uint8_t& milliseconds) override {
        milliseconds = latency;
        return FT_OK;
    }
    FT_STATUS SetLatencyTimer(uint8_t milliseconds) override {
        latency = milliseconds;
        return note("latency " + std::to_string(milliseconds));
    }
    FT_STATUS Claim() override {
        claimed = true;
        return note("claim");
    }
    void Release() override {
        claimed = false;
        note("release");
    }
    FT_STATUS SetBaudRate(uint32_t baudRate) override { return note("baud " + std::to_string(baudRate)); }
    FT_STATUS SetDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) override {
        return note("data " + std::to_string(wordLength) + std::to_string(stopBits) + std::to_string(parity));
    }
    FT_STATUS SetFlowControl(uint16_t flowControl, uint8_t, uint8_t) override {
        return note("flow " + std::to_string(flowControl));
    }
    FT_STATUS Write(const uint8_t*, uint32_t count, uint32_t& written) override {
        written = count;
        return note("write " + std::to_string(count));
    }
    ftdi::tReceived Receive(uint8_t* buffer, int capacity) override {
        std::unique_lock lock(mutex_);
        ++receiveCalls_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return !chunks_.empty() || interrupted_; });
        if (chunks_.empty()) return {};
        auto [chunk, kind] = chunks_.front();
        chunks_.pop_front();
        callsAtLastPop_ = receiveCalls_;
        changed_.notify_all();
        const int n = std::min(capacity, static_cast<int>(chunk.size()));
        std::copy(chunk.begin(), chunk.begin() + n, buffer);
        return {kind, kind == ftdi::tReceived::Data ? n : 0};
    }
    FT_STATUS ClearStall() override {
        if (!clearFails) return FT_OK;
        gone = true;
        return FT_IO_ERROR;
    }
    void InterruptReceive() override {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
        changed_.notify_all();
    }

private:
    FT_STATUS note(std::string entry) {
        log.push_back(std::move(entry));
        return FT_OK;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::pair<std::vector<uint8_t>, ftdi::tReceived::tKind>> chunks_;
    int receiveCalls_ = 0;
    int callsAtLastPop_ = 0;
    bool interrupted_ = false;
};
