#pragma once
// One open adapter behind an FT_HANDLE. Opening reads the EEPROM once and keeps it with the identity
// decoded from it; the data interface is taken over only when the adapter is used for data (line
// settings, write, queue, read), so adapters opened just to read their identity stay with the
// kernel's serial driver. From then on a reader thread moves received bytes into a mutex-guarded
// buffer: queue status and reads take from it without USB traffic.
//
// The reader never spins: a halted endpoint is cleared and a failed transfer retried, each after a
// pause that doubles while the failures go on, and an empty transfer that returns at once is followed
// by a short pause too. Only the device vanishing, or failures that outlast every retry, lose the
// adapter; a lost adapter turns every later call into FT_IO_ERROR. Each call holds the handle's own
// lock for its whole length, so calls from several threads take turns.

#include "ftdi/FtdiTransport.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace ftdi {

// Received bytes waiting to be read. The reader thread appends, the caller's thread takes.
class tReceiveBuffer {
public:
    // Beyond this many waiting bytes newer ones are dropped, so a device that never stops sending
    // cannot exhaust memory when nobody reads.
    static constexpr size_t kCapacity = 1 << 20;

    void Append(const uint8_t* bytes, size_t count);
    uint32_t Size() const;
    uint32_t Take(uint8_t* target, uint32_t count);

private:
    mutable std::mutex mutex_;
    std::vector<uint8_t> bytes_;
    size_t start_ = 0;
};

class tFtdiHandle {
public:
    using tMilliseconds = std::chrono::milliseconds;
    // How the reader waits between tries: the first pause after a failure, its ceiling, the pause after
    // an empty transfer that came back at once, and the failures in a row that lose the adapter.
    static constexpr tMilliseconds kFirstRetryPause{10};
    static constexpr tMilliseconds kLongestRetryPause{500};
    static constexpr tMilliseconds kIdlePause{8};
    static constexpr int kFailuresBeforeLoss = 8;

    explicit tFtdiHandle(std::unique_ptr<tFtdiTransport> transport);
    ~tFtdiHandle();
    tFtdiHandle(const tFtdiHandle&) = delete;
    tFtdiHandle& operator=(const tFtdiHandle&) = delete;

    // Reads the EEPROM into the cache and decodes the identity. FT_OK also for a blank EEPROM
    // (reported by ReadDescriptor).
    FT_STATUS LoadEeprom();

    FT_STATUS ReadDescriptor(FT_DESCRIPTOR* descriptor);
    FT_STATUS Program(const FT_DESCRIPTOR* descriptor);

    FT_STATUS SetBaudRate(uint32_t baudRate);
    FT_STATUS SetDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity);
    FT_STATUS SetFlowControl(uint16_t flowControl, uint8_t xon, uint8_t xoff);
    FT_STATUS Write(const void* bytes, uint32_t count, uint32_t* written);
    FT_STATUS QueueStatus(uint32_t* waiting);
    FT_STATUS Read(void* target, uint32_t count, uint32_t* returned);

    // Stops the reader thread and gives the interface back to the kernel's driver.
    void Close();

    bool Lost() const { return lost_; }
    bool Claimed() const { return claimed_; }
    const std::vector<uint8_t>& CachedImage() const { return image_; }
    // Transfers the reader thread has asked for, and halts it has cleared, since the claim.
    uint64_t Receives() const { return receives_; }
    uint64_t StallsCleared() const { return stallsCleared_; }

    // Replaces how the reader pauses (tests record the pauses instead of waiting). Set before the
    // first data call.
    void SetPause(std::function<void(tMilliseconds)> pause) { pause_ = std::move(pause); }

private:
    FT_STATUS loadEeprom();
    FT_STATUS claim();
    FT_STATUS track(FT_STATUS status);
    FT_STATUS writeImage(const std::vector<uint8_t>& image);
    void restoreLineSettings();
    void readerLoop();
    void pause(tMilliseconds duration);

    std::unique_ptr<tFtdiTransport> transport_;
    std::mutex call_; // held by every call for its whole length
    std::vector<uint8_t> image_;
    FT_STATUS identityStatus_ = FT_IO_ERROR; // what decoding the cached image gave
    tAdapterIdentity identity_;
    std::atomic<bool> lost_{false};
    bool claimed_ = false;

    std::thread reader_;
    std::mutex stopMutex_;
    std::condition_variable stopWake_;
    bool stopping_ = false;
    std::function<void(tMilliseconds)> pause_;
    std::atomic<uint64_t> receives_{0};
    std::atomic<uint64_t> stallsCleared_{0};
    tReceiveBuffer received_;

    struct tDataCharacteristics {
        uint8_t wordLength, stopBits, parity;
    };
    struct tFlowControl {
        uint16_t mode;
        uint8_t xon, xoff;
    };
    std::optional<uint32_t> baudRate_;
    std::optional<tDataCharacteristics> dataCharacteristics_;
    std::optional<tFlowControl> flowControl_;
};

} // namespace ftdi
