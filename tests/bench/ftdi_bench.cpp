// The Linux driver layer's own costs, without an adapter:
//  1. CPU of an open, idle link: the reader thread waiting on a mocked chip that, like a real one,
//     answers every 16 ms (its latency timer) with no data, while the link's tick asks for the
//     EEPROM and the queue status every 100 ms.
//  2. Time to list adapters with 0, 1 and 4 mocked USB devices (needs umockdev-run): the first
//     listing after loading (libusb scans the bus) and each later one (one per tick).
//
//   umockdev-run -- ftdi_bench [seconds]
//
// What this cannot show: the cost of the USB transfers themselves (the kernel's URB handling and
// libusb's event handling for a bulk read every 16 ms, the control request when an unclaimed
// adapter is checked), which needs a real adapter: scripts/hardware-check.sh reports it there.

#include "ftdi/FtdiHandle.h"
#include "programmer/D2XX.h"

#include <QCoreApplication>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <umockdev.h>

namespace {

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A programmed R chip with nothing to say: each bulk read ends after the latency timer.
class tIdleChip : public ftdi::tFtdiTransport {
public:
    std::vector<uint8_t> image;
    ftdi::tChipType ChipType() const override { return ftdi::tChipType::R; }
    FT_STATUS ReadEepromWord(int address, uint16_t& value) override {
        value = uint16_t(image[size_t(2 * address) % image.size()] |
                         image[size_t(2 * address + 1) % image.size()] << 8);
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
    int Receive(uint8_t*, int) override {
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(16), [&] { return interrupted_; });
        return 0;
    }
    void InterruptReceive() override {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
        wake_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool interrupted_ = false;
};

void idleLink(int seconds) {
    ftdi::tAdapterIdentity identity;
    identity.vendorId = 0x0403;
    identity.productId = 0xDBC0;
    identity.manufacturer = "Arvel";
    identity.description = "USB HS Serial Converter";
    identity.serialNumber = "AV000001";
    identity.maxPower = 44;
    auto chip = std::make_unique<tIdleChip>();
    ftdi::BuildImage(identity, ftdi::tChipType::R, 0x80, chip->image);
    ftdi::tFtdiHandle handle(std::move(chip));
    handle.LoadEeprom();
    handle.SetBaudRate(9600);
    handle.SetDataCharacteristics(8, 0, 0);

    char strings[4][65] = {};
    FT_DESCRIPTOR descriptor{};
    descriptor.Manufacturer = strings[0];
    descriptor.ManufacturerId = strings[1];
    descriptor.Description = strings[2];
    descriptor.SerialNumber = strings[3];
    const int ticks = seconds * 10;
    const double start = processCpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    for (int i = 0; i < ticks; ++i) {
        uint32_t waiting = 0;
        handle.ReadDescriptor(&descriptor);
        handle.QueueStatus(&waiting);
        std::this_thread::sleep_until(wallStart + std::chrono::milliseconds(100 * (i + 1)));
    }
    const double cpu = processCpuSeconds() - start;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    handle.Close();
    std::printf("idle link, reader thread on a mocked chip: %.1f s, cpu %.1f ms, %.4f %% of one core "
                "(target below 0.5 %%)\n",
                wall, cpu * 1e3, cpu / wall * 100.0);
}

void listing(const char* library) {
    if (!umockdev_in_mock_environment()) {
        std::printf("listing: not measured, run under umockdev-run for mocked USB devices\n");
        return;
    }
    qputenv("ZCFG_D2XX_LIBRARY", library);
    UMockdevTestbed* testbed = umockdev_testbed_new();
    g_free(umockdev_testbed_add_device(testbed, "usb", "usb1", nullptr, "busnum", "1", "devnum", "1",
                                       "idVendor", "1d6b", "idProduct", "0002", nullptr, "DEVTYPE",
                                       "usb_device", nullptr));
    int added = 0;
    for (int wanted : {0, 1, 4}) {
        for (; added < wanted; ++added) {
            const QByteArray name = "1-" + QByteArray::number(added + 1),
                             address = QByteArray::number(added + 2);
            const QByteArray node = "/dev/bus/usb/001/00" + address;
            gchar* path = umockdev_testbed_add_device(
                testbed, "usb", name.constData(), nullptr, "busnum", "1", "devnum", address.constData(),
                "idVendor", "0403", "idProduct", "dbc0", "speed", "12", "bConfigurationValue", "1",
                "bNumConfigurations", "1", nullptr, "DEVTYPE", "usb_device", "DEVNAME", node.constData(),
                "BUSNUM", "001", "DEVNUM", address.constData(), nullptr);
            guint8 descriptors[] = {18, 1,  0, 2, 0, 0, 0,    8,    0x03, 0x04, 0xC0, 0xDB, 0,
                                    6,  1,  2, 3, 1, 9, 2,    32,   0,    1,    1,    0,    0x80,
                                    45, 9,  4, 0, 0, 2, 0xFF, 0xFF, 0xFF, 2,    7,    5,    0x81,
                                    2,  64, 0, 0, 7, 5, 0x02, 2,    64,   0,    0};
            umockdev_testbed_set_attribute_binary(testbed, path, "descriptors", descriptors,
                                                  sizeof descriptors);
            g_free(path);
        }
        const D2XXEntryPoints& driver = D2XX::AcquireLibrary();
        uint32_t count = 0;
        auto t0 = std::chrono::steady_clock::now();
        driver.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
        const double first =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
        const int repeats = 1000;
        t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < repeats; ++i)
            driver.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
        const double each =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() /
            repeats;
        std::printf("listing %d mocked adapter(s): found %u, first listing %.0f us, then %.1f us each\n",
                    wanted, count, first, each);
        D2XX::ReleaseLibrary();
    }
    g_object_unref(testbed);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    idleLink(seconds);
    listing(ZCFG_FTDI_LIBRARY);
    return 0;
}
