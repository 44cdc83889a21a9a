// The Linux driver layer's own costs, without an adapter:
//  1. The reader thread of an open link on a mocked chip, in every state a chip can be in: idle (it
//     answers each read after its 16 ms latency timer), halted for good, halted after every read,
//     failing for good, answering empty at once, silent. The link's tick asks for the EEPROM and the
//     queue status every 100 ms meanwhile. Figures: CPU share of one core and reads per second. The
//     mocked chip answers faults at once, the worst case for a reader that would spin.
//  2. The layer over an FTDI chip emulated at the usbfs level (tests/ftdi/EmulatedFtdiChip, needs
//     umockdev-run): the time FT_Open takes per index (EEPROM words read: 128 on an FT232BM, 64 on an
//     FT232R), how long a listing waits while another thread opens an adapter, and the CPU and reads
//     per second of an open idle link and of one whose endpoint is halted for good. The CPU figures
//     include the emulation, which answers every ioctl over a socket.
//  3. Time to list adapters with 0, 1 and 4 mocked USB devices: the first listing after loading
//     (libusb scans the bus) and each later one (one per tick).
//
//   umockdev-run -- ftdi_bench [seconds]
//
// What this cannot show: the cost of real USB transfers (the kernel's URB handling, a control
// request taking a millisecond or two on the wire), which needs a real adapter:
// scripts/hardware-check.sh reports it there.

#include "../ftdi/EmulatedFtdiChip.h"
#include "ftdi/FtdiHandle.h"
#include "programmer/D2XX.h"
#include "programmer/USBPanel.h"

#include <QCoreApplication>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <future>
#include <thread>
#include <umockdev.h>

namespace {

using namespace std::chrono;

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

ftdi::tAdapterIdentity adapterIdentity() {
    ftdi::tAdapterIdentity identity;
    identity.vendorId = 0x0403;
    identity.productId = 0xDBC0;
    identity.manufacturer = "Arvel";
    identity.description = "USB HS Serial Converter";
    identity.serialNumber = "AV000001";
    identity.maxPower = 44;
    return identity;
}

// A programmed R chip in one of the states a chip can be in.
class tMockedChip : public ftdi::tFtdiTransport {
public:
    enum tState { Idle, HaltedForGood, HaltedAfterEveryRead, FailingForGood, EmptyAtOnce, Silent };
    explicit tMockedChip(tState state) : state_(state) {
        ftdi::BuildImage(adapterIdentity(), ftdi::tChipType::R, 0x80, image_);
    }
    ftdi::tChipType ChipType() const override { return ftdi::tChipType::R; }
    uint16_t VendorId() const override { return 0x0403; }
    uint16_t ProductId() const override { return 0xDBC0; }
    bool Gone() const override { return false; }
    FT_STATUS ReadEepromWord(int address, uint16_t& value) override {
        value = uint16_t(image_[size_t(2 * address) % image_.size()] |
                         image_[size_t(2 * address + 1) % image_.size()] << 8);
        return FT_OK;
    }
    FT_STATUS WriteEepromWord(int, uint16_t) override { return FT_OK; }
    FT_STATUS GetLatencyTimer(uint8_t& ms) override {
        ms = 16;
        return FT_OK;
    }
    FT_STATUS SetLatencyTimer(uint8_t) override { return FT_OK; }
    FT_STATUS Claim() override { return FT_OK; }
    void Release() override {}
    FT_STATUS SetBaudRate(uint32_t) override { return FT_OK; }
    FT_STATUS SetDataCharacteristics(uint8_t, uint8_t, uint8_t) override { return FT_OK; }
    FT_STATUS SetFlowControl(uint16_t, uint8_t, uint8_t) override { return FT_OK; }
    FT_STATUS Write(const uint8_t*, uint32_t count, uint32_t& written) override {
        written = count;
        return FT_OK;
    }
    ftdi::tReceived Receive(uint8_t*, int) override {
        switch (state_) {
        case HaltedForGood:
            return {ftdi::tReceived::Stalled, 0};
        case HaltedAfterEveryRead:
            halted_ = !halted_;
            return {halted_ ? ftdi::tReceived::Stalled : ftdi::tReceived::Data, 0};
        case FailingForGood:
            return {ftdi::tReceived::Failed, 0};
        case EmptyAtOnce:
            return {};
        case Idle:
        case Silent:
            break;
        }
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, milliseconds(state_ == Idle ? 16 : 100), [&] { return interrupted_; });
        return {};
    }
    FT_STATUS ClearStall() override { return FT_OK; }
    void InterruptReceive() override {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
        wake_.notify_all();
    }

private:
    tState state_;
    std::vector<uint8_t> image_;
    bool halted_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool interrupted_ = false;
};

// Ticks the way the link does, every 100 ms, for `seconds`: the EEPROM check and the queue status.
template <class Tick> void tickFor(int seconds, Tick tick) {
    const auto start = steady_clock::now();
    for (int i = 0; i < seconds * 10; ++i) {
        tick();
        std::this_thread::sleep_until(start + milliseconds(100 * (i + 1)));
    }
}

void readerOnMockedChip(int seconds) {
    std::printf("1. reader thread on a mocked chip, %d s each (target: below 1 %% of one core)\n", seconds);
    const std::pair<tMockedChip::tState, const char*> states[] = {
        {tMockedChip::Idle, "idle, answers after 16 ms"},
        {tMockedChip::HaltedForGood, "halted for good"},
        {tMockedChip::HaltedAfterEveryRead, "halted after every read"},
        {tMockedChip::FailingForGood, "failing for good"},
        {tMockedChip::EmptyAtOnce, "answering empty at once"},
        {tMockedChip::Silent, "silent, reads time out"}};
    for (const auto& [state, name] : states) {
        ftdi::tFtdiHandle handle(std::make_unique<tMockedChip>(state));
        handle.LoadEeprom();
        handle.SetBaudRate(9600);
        TUSBDescriptor record;
        const double cpu0 = processCpuSeconds();
        const auto wall0 = steady_clock::now();
        tickFor(seconds, [&] {
            uint32_t waiting = 0;
            handle.ReadDescriptor(&record.Record());
            handle.QueueStatus(&waiting);
        });
        const double cpu = processCpuSeconds() - cpu0;
        const double wall = duration<double>(steady_clock::now() - wall0).count();
        std::printf("   %-26s cpu %6.1f ms, %7.3f %% of one core, %6.1f reads/s%s\n", name, cpu * 1e3,
                    cpu / wall * 100.0, double(handle.Receives()) / wall,
                    handle.Lost() ? ", adapter lost" : "");
        handle.Close();
    }
}

// A mocked USB bus with its root hub, and the layer to load; null outside umockdev-run.
UMockdevTestbed* mockedBus(const char* library) {
    if (!umockdev_in_mock_environment()) {
        std::printf("   not measured: run under umockdev-run\n");
        return nullptr;
    }
    qputenv("ZCFG_D2XX_LIBRARY", library);
    UMockdevTestbed* testbed = umockdev_testbed_new();
    tEmulatedFtdiChip::AddRootHub(testbed, 1);
    return testbed;
}

void layerOnEmulatedChip(const char* library, int seconds) {
    std::printf("2. the layer over an FTDI chip emulated at the usbfs level\n");
    UMockdevTestbed* testbed = mockedBus(library);
    if (testbed == nullptr) return;
    std::vector<uint8_t> bm, r;
    ftdi::BuildImage(adapterIdentity(), ftdi::tChipType::BM, 0x80, bm);
    ftdi::BuildImage(adapterIdentity(), ftdi::tChipType::R, 0x80, r);
    {
        tEmulatedFtdiChip bmChip(testbed,
                                 {"1-2", 1, 2, 0x0403, 0xDBC0, 0x0400, tEmulatedFtdiChip::Words(bm)});
        tEmulatedFtdiChip rChip(testbed, {"1-3", 1, 3, 0x0403, 0xDBC0, 0x0600, tEmulatedFtdiChip::Words(r)});
        const D2XXEntryPoints& driver = D2XX::AcquireLibrary();
        for (int index : {0, 1}) { // the first open of a node sets up its emulation
            FT_HANDLE handle = nullptr;
            driver.FT_Open(index, &handle);
            driver.FT_Close(handle);
        }
        for (const auto& [index, name] :
             {std::pair{0, "FT232BM, 128 EEPROM words"}, {1, "FT232R, 64 EEPROM words"}}) {
            const int opens = 10;
            const auto t0 = steady_clock::now();
            for (int i = 0; i < opens; ++i) {
                FT_HANDLE handle = nullptr;
                driver.FT_Open(index, &handle);
                driver.FT_Close(handle);
            }
            std::printf("   FT_Open, index %d (%s): %.1f ms each under emulation\n", index, name,
                        duration<double, std::milli>(steady_clock::now() - t0).count() / opens);
        }
        // A listing while another thread opens an adapter: it waits for the driver's lock only.
        auto opening = std::async(std::launch::async, [&] {
            FT_HANDLE handle = nullptr;
            driver.FT_Open(0, &handle);
            return handle;
        });
        double longest = 0;
        int listings = 0;
        while (opening.wait_for(milliseconds(0)) != std::future_status::ready) {
            uint32_t n = 0;
            const auto t0 = steady_clock::now();
            driver.FT_ListDevices(&n, nullptr, FT_LIST_NUMBER_ONLY);
            longest = std::max(longest, duration<double, std::milli>(steady_clock::now() - t0).count());
            ++listings;
            std::this_thread::sleep_for(milliseconds(1));
        }
        driver.FT_Close(opening.get());
        std::printf("   listing during an open: %d listings, the longest %.2f ms\n", listings, longest);

        for (bool halted : {false, true}) {
            FT_HANDLE handle = nullptr;
            driver.FT_Open(1, &handle);
            driver.FT_SetBaudRate(handle, 9600);
            if (halted) rChip.HaltIn(1 << 30);
            const int reads0 = rChip.State().bulkInSubmits;
            const double cpu0 = processCpuSeconds();
            const auto wall0 = steady_clock::now();
            TUSBDescriptor record;
            tickFor(seconds, [&] {
                uint32_t waiting = 0;
                driver.FT_EE_Read(handle, &record.Record());
                driver.FT_GetQueueStatus(handle, &waiting);
            });
            const double cpu = processCpuSeconds() - cpu0;
            const double wall = duration<double>(steady_clock::now() - wall0).count();
            uint32_t waiting = 0;
            const bool lost = driver.FT_GetQueueStatus(handle, &waiting) == FT_IO_ERROR;
            std::printf("   open link, %-16s cpu %6.1f ms, %7.3f %% of one core, %6.1f reads/s%s\n",
                        halted ? "halted for good:" : "idle:", cpu * 1e3, cpu / wall * 100.0,
                        (rChip.State().bulkInSubmits - reads0) / wall, lost ? ", adapter lost" : "");
            driver.FT_Close(handle);
            rChip.HaltIn(0);
        }
        D2XX::ReleaseLibrary();
    }
    g_object_unref(testbed);
}

void listing(const char* library) {
    std::printf("3. listing\n");
    UMockdevTestbed* testbed = mockedBus(library);
    if (testbed == nullptr) return;
    std::vector<std::unique_ptr<tEmulatedFtdiChip>> chips;
    for (int wanted : {0, 1, 4}) {
        while (int(chips.size()) < wanted) {
            const int n = int(chips.size());
            chips.push_back(std::make_unique<tEmulatedFtdiChip>(
                testbed,
                tEmulatedFtdiChip::tSetup{"1-" + std::to_string(n + 1), 1, n + 2, 0x0403, 0xDBC0, 0x0600}));
        }
        const D2XXEntryPoints& driver = D2XX::AcquireLibrary();
        uint32_t count = 0;
        auto t0 = steady_clock::now();
        driver.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
        const double first = duration<double, std::micro>(steady_clock::now() - t0).count();
        const int repeats = 1000;
        t0 = steady_clock::now();
        for (int i = 0; i < repeats; ++i)
            driver.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
        const double each = duration<double, std::micro>(steady_clock::now() - t0).count() / repeats;
        std::printf("   %d mocked adapter(s): found %u, first listing %.0f us, then %.1f us each\n", wanted,
                    count, first, each);
        D2XX::ReleaseLibrary();
    }
    chips.clear();
    g_object_unref(testbed);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    readerOnMockedChip(seconds);
    layerOnEmulatedChip(ZCFG_FTDI_LIBRARY, seconds);
    listing(ZCFG_FTDI_LIBRARY);
    return 0;
}
