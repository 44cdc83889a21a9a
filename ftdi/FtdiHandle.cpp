#include "ftdi/FtdiHandle.h"

#include <algorithm>
#include <cstring>

namespace ftdi {

void tReceiveBuffer::Append(const uint8_t* bytes, size_t count) {
    std::lock_guard lock(mutex_);
    const size_t room = kCapacity - (bytes_.size() - start_);
    count = std::min(count, room);
    if (start_ > 0 && start_ == bytes_.size()) {
        bytes_.clear();
        start_ = 0;
    }
    bytes_.insert(bytes_.end(), bytes, bytes + count);
}

uint32_t tReceiveBuffer::Size() const {
    std::lock_guard lock(mutex_);
    return static_cast<uint32_t>(bytes_.size() - start_);
}

uint32_t tReceiveBuffer::Take(uint8_t* target, uint32_t count) {
    std::lock_guard lock(mutex_);
    const size_t n = std::min(static_cast<size_t>(count), bytes_.size() - start_);
    std::memcpy(target, bytes_.data() + start_, n);
    start_ += n;
    // Reclaim the consumed front once it is most of the storage.
    if (start_ > 4096 && start_ * 2 > bytes_.size()) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    return static_cast<uint32_t>(n);
}

tFtdiHandle::tFtdiHandle(std::unique_ptr<tFtdiTransport> transport) : transport_(std::move(transport)) {}

tFtdiHandle::~tFtdiHandle() {
    Close();
}

// A failed request loses the adapter when the transport found the device gone.
FT_STATUS tFtdiHandle::track(FT_STATUS status) {
    if (status != FT_OK && transport_->Gone()) lost_ = true;
    return lost_ ? FT_IO_ERROR : status;
}

FT_STATUS tFtdiHandle::LoadEeprom() {
    std::lock_guard lock(call_);
    return loadEeprom();
}

FT_STATUS tFtdiHandle::loadEeprom() {
    if (lost_) return FT_IO_ERROR;
    const tChipType chip = transport_->ChipType();
    std::vector<uint8_t> image(static_cast<size_t>(EepromReadBytes(chip)));
    for (int address = 0; address < static_cast<int>(image.size() / 2); ++address) {
        uint16_t value = 0;
        if (const FT_STATUS status = transport_->ReadEepromWord(address, value); status != FT_OK)
            return track(status);
        image[static_cast<size_t>(2 * address)] = static_cast<uint8_t>(value);
        image[static_cast<size_t>(2 * address + 1)] = static_cast<uint8_t>(value >> 8);
    }
    image_ = std::move(image);
    identity_ = {};
    identityStatus_ = DecodeImage(image_, chip, identity_);
    return FT_OK;
}

FT_STATUS tFtdiHandle::ReadDescriptor(FT_DESCRIPTOR* descriptor) {
    if (descriptor == nullptr) return FT_INVALID_PARAMETER;
    std::lock_guard lock(call_);
    if (lost_) return FT_IO_ERROR;
    // The identity read at open answers; only an adapter nobody reads from is asked whether it is
    // still there (one control request, tried twice), since for the others the reader thread notices
    // a loss.
    if (!claimed_) {
        uint16_t probe = 0;
        if (transport_->ReadEepromWord(0, probe) != FT_OK) {
            lost_ = true;
            return FT_IO_ERROR;
        }
    }
    if (image_.empty()) return FT_IO_ERROR;
    if (identityStatus_ != FT_OK) return identityStatus_;
    return FillDescriptor(identity_, transport_->ChipType(), descriptor);
}

FT_STATUS tFtdiHandle::Program(const FT_DESCRIPTOR* descriptor) {
    std::lock_guard lock(call_);
    if (lost_) return FT_IO_ERROR;
    tAdapterIdentity identity;
    if (const FT_STATUS status = IdentityFromDescriptor(descriptor, identity); status != FT_OK) return status;
    const tChipType chip = transport_->ChipType();
    // Only a chip that is ours to write is written: a programmed adapter, or a blank FT232 at FTDI's
    // factory id. And only the adapter's own ids are written, which the listing shows and the udev
    // rule opens: anything else would make the adapter vanish from the program.
    const bool blank = identityStatus_ == FT_EEPROM_NOT_PROGRAMMED;
    if (!MayProgram(transport_->VendorId(), transport_->ProductId(), chip, blank) ||
        !IsAdapterProduct(identity.vendorId, identity.productId))
        return FT_INVALID_PARAMETER;
    const int size = image_.empty() ? 0x80 : EepromSize(image_, chip);
    std::vector<uint8_t> image;
    if (const FT_STATUS status = BuildImage(identity, chip, size, image); status != FT_OK) return status;

    uint8_t latency = 16;
    if (const FT_STATUS status = transport_->GetLatencyTimer(latency); status != FT_OK) return track(status);
    FT_STATUS status = writeImage(image);
    // Whatever happened, the adapter gets back its latency timer and the line settings in use.
    const FT_STATUS restored = transport_->SetLatencyTimer(latency);
    restoreLineSettings();
    if (status == FT_OK) status = restored;
    if (status != FT_OK) return track(status);

    if (const FT_STATUS reread = loadEeprom(); reread != FT_OK) return track(reread);
    if (!std::equal(image.begin(), image.end(), image_.begin())) return FT_IO_ERROR;
    return FT_OK;
}

FT_STATUS tFtdiHandle::writeImage(const std::vector<uint8_t>& image) {
    // The sequence the vendor's tools use before writing: a latency timer of 0x77 ms.
    if (const FT_STATUS status = transport_->SetLatencyTimer(0x77); status != FT_OK) return status;
    const int words = static_cast<int>(image.size() / 2);
    for (int address = 0; address < words; ++address) {
        const auto value = static_cast<uint16_t>(image[static_cast<size_t>(2 * address)] |
                                                 (image[static_cast<size_t>(2 * address + 1)] << 8));
        if (const FT_STATUS status = transport_->WriteEepromWord(address, value); status != FT_OK)
            return status;
    }
    return FT_OK;
}

void tFtdiHandle::restoreLineSettings() {
    if (!claimed_) return;
    if (baudRate_) transport_->SetBaudRate(*baudRate_);
    if (dataCharacteristics_)
        transport_->SetDataCharacteristics(dataCharacteristics_->wordLength, dataCharacteristics_->stopBits,
                                           dataCharacteristics_->parity);
    if (flowControl_) transport_->SetFlowControl(flowControl_->mode, flowControl_->xon, flowControl_->xoff);
}

FT_STATUS tFtdiHandle::claim() {
    if (lost_) return FT_IO_ERROR;
    if (claimed_) return FT_OK;
    if (const FT_STATUS status = transport_->Claim(); status != FT_OK) return track(status);
    claimed_ = true;
    {
        std::lock_guard stop(stopMutex_);
        stopping_ = false;
    }
    reader_ = std::thread([this] { readerLoop(); });
    return FT_OK;
}

void tFtdiHandle::pause(tMilliseconds duration) {
    if (pause_) {
        pause_(duration);
        return;
    }
    std::unique_lock stop(stopMutex_);
    stopWake_.wait_for(stop, duration, [this] { return stopping_; });
}

void tFtdiHandle::readerLoop() {
    uint8_t chunk[512];
    int failures = 0;
    tMilliseconds retryPause = kFirstRetryPause;
    const auto stopping = [this] {
        std::lock_guard stop(stopMutex_);
        return stopping_;
    };
    while (!stopping()) {
        const auto started = std::chrono::steady_clock::now();
        const tReceived received = transport_->Receive(chunk, sizeof chunk);
        ++receives_;
        switch (received.kind) {
        case tReceived::Data:
            failures = 0;
            retryPause = kFirstRetryPause;
            if (received.count > 0) {
                received_.Append(chunk, static_cast<size_t>(received.count));
            } else if (std::chrono::steady_clock::now() - started < kIdlePause && !stopping()) {
                // A chip waits its latency timer before it answers with nothing; one that answers at
                // once must not make this thread spin.
                pause(kIdlePause);
            }
            continue;
        case tReceived::Stalled:
            if (transport_->ClearStall() == FT_OK) ++stallsCleared_;
            break;
        case tReceived::Failed:
            break;
        case tReceived::Gone:
            lost_ = true;
            return;
        }
        if (transport_->Gone() || ++failures >= kFailuresBeforeLoss) {
            lost_ = true;
            return;
        }
        pause(retryPause);
        retryPause = std::min(retryPause * 2, kLongestRetryPause);
    }
}

void tFtdiHandle::Close() {
    std::lock_guard lock(call_);
    if (reader_.joinable()) {
        {
            std::lock_guard stop(stopMutex_);
            stopping_ = true;
        }
        stopWake_.notify_all();
        transport_->InterruptReceive();
        reader_.join();
    }
    if (claimed_) {
        transport_->Release();
        claimed_ = false;
    }
}

FT_STATUS tFtdiHandle::SetBaudRate(uint32_t baudRate) {
    std::lock_guard lock(call_);
    if (const FT_STATUS status = claim(); status != FT_OK) return status;
    const FT_STATUS status = transport_->SetBaudRate(baudRate);
    if (status == FT_OK) baudRate_ = baudRate;
    return track(status);
}

FT_STATUS tFtdiHandle::SetDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) {
    if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) || parity > 4)
        return FT_INVALID_PARAMETER;
    std::lock_guard lock(call_);
    if (const FT_STATUS status = claim(); status != FT_OK) return status;
    const FT_STATUS status = transport_->SetDataCharacteristics(wordLength, stopBits, parity);
    if (status == FT_OK) dataCharacteristics_ = tDataCharacteristics{wordLength, stopBits, parity};
    return track(status);
}

FT_STATUS tFtdiHandle::SetFlowControl(uint16_t flowControl, uint8_t xon, uint8_t xoff) {
    if (flowControl != 0x0000 && flowControl != 0x0100 && flowControl != 0x0200 && flowControl != 0x0400)
        return FT_INVALID_PARAMETER;
    std::lock_guard lock(call_);
    if (const FT_STATUS status = claim(); status != FT_OK) return status;
    const FT_STATUS status = transport_->SetFlowControl(flowControl, xon, xoff);
    if (status == FT_OK) flowControl_ = tFlowControl{flowControl, xon, xoff};
    return track(status);
}

FT_STATUS tFtdiHandle::Write(const void* bytes, uint32_t count, uint32_t* written) {
    if (bytes == nullptr && count > 0) return FT_INVALID_PARAMETER;
    std::lock_guard lock(call_);
    if (const FT_STATUS status = claim(); status != FT_OK) return status;
    uint32_t done = 0;
    const FT_STATUS status = transport_->Write(static_cast<const uint8_t*>(bytes), count, done);
    if (written != nullptr) *written = done;
    return track(status);
}

FT_STATUS tFtdiHandle::QueueStatus(uint32_t* waiting) {
    if (waiting == nullptr) return FT_INVALID_PARAMETER;
    std::lock_guard lock(call_);
    if (const FT_STATUS status = claim(); status != FT_OK) return status;
    if (lost_) return FT_IO_ERROR;
    *waiting = received_.Size();
    return FT_OK;
}

FT_STATUS tFtdiHandle::Read(void* target, uint32_t count, uint32_t* returned) {
    if (target == nullptr && count > 0) return FT_INVALID_PARAMETER;
    std::lock_guard lock(call_);
    if (const FT_STATUS status = claim(); status != FT_OK) return status;
    if (lost_) return FT_IO_ERROR;
    // Never waits: the link reads only what the queue status said is there.
    const uint32_t n = received_.Take(static_cast<uint8_t*>(target), count);
    if (returned != nullptr) *returned = n;
    return FT_OK;
}

} // namespace ftdi
