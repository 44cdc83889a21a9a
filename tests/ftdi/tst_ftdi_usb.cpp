// The Linux driver layer against FTDI chips emulated at the usbfs level (tests/ftdi/EmulatedFtdiChip):
// which devices are listed and in which order, opening and what programming may write, the data path
// through the reader thread, a halted, failing or unplugged chip, nodes without permission or held by
// another program, the diagnosis over the real layer, and calls from several threads. Runs under
// umockdev-run; skips where the mock environment is missing. Each test loads the layer afresh, so its
// libusb scans the mocked bus. Run as root, the test becomes "nobody" first, as root opens any node.
#include "EmulatedFtdiChip.h"
#include "ftdi/FtdiEeprom.h"
#include "ftdi/FtdiHandle.h"
#include "ftdi/FtdiSystem.h"
#include "programmer/AdapterDiagnosis.h"
#include "programmer/USBPanel.h"

#include <QtTest>
#include <future>
#include <grp.h>
#include <memory>
#include <thread>
#include <unistd.h>

using tChip = tEmulatedFtdiChip;

namespace {

// An EEPROM holding an identity, as a chip of that family keeps it.
std::vector<uint16_t> programmed(uint16_t productId, const std::string& serial, ftdi::tChipType chip) {
    ftdi::tAdapterIdentity identity{.vendorId = 0x0403,
                                    .productId = productId,
                                    .manufacturer = "Arvel",
                                    .description = "USB HS Serial Converter",
                                    .serialNumber = serial,
                                    .maxPower = 44};
    std::vector<uint8_t> image;
    ftdi::BuildImage(identity, chip, 0x80, image);
    return tChip::Words(image);
}

// Waits for what another thread does within microseconds of an event the chip saw.
template <class F> bool eventually(F condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition())
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        else
            std::this_thread::yield();
    return true;
}

using tFault = void (*)(tChip&);

} // namespace

Q_DECLARE_METATYPE(tFault)
Q_DECLARE_METATYPE(tAdapterProblem)

class TestFtdiUsb : public QObject {
    Q_OBJECT
    UMockdevTestbed* testbed_ = nullptr;
    std::vector<std::unique_ptr<tChip>> chips_;
    const D2XXEntryPoints* driver_ = nullptr;
    bool canDenyAccess_ = true;

    tChip& add(const char* name, int bus, int address, uint16_t product, uint16_t release,
               std::vector<uint16_t> eeprom = std::vector<uint16_t>(64, 0xFFFF)) {
        chips_.push_back(std::make_unique<tChip>(
            testbed_, tChip::tSetup{name, bus, address, 0x0403, product, release, std::move(eeprom)}));
        return *chips_.back();
    }
    // The layer loaded afresh, so that its libusb scans the mocked bus.
    const D2XXEntryPoints& load() {
        if (driver_ != nullptr) D2XX::ReleaseLibrary();
        driver_ = &D2XX::AcquireLibrary();
        return *driver_;
    }
    QStringList listing() {
        const D2XXEntryPoints& d = load();
        uint32_t n = 0;
        if (!d.FT_ListDevices || d.FT_ListDevices(&n, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK)
            return {"failed"};
        QStringList entries;
        for (int i = 0; i < int(n); ++i) {
            ZCFG_ADAPTER_INFO info{};
            d.ZCFG_GetAdapterInfo(i, &info);
            entries << QString::asprintf("%s %04x:%04x %s", info.Location, info.VendorId, info.ProductId,
                                         info.Chip);
        }
        return entries;
    }
    FT_HANDLE open(int index = 0) {
        FT_HANDLE handle = nullptr;
        return driver_->FT_Open(index, &handle) == FT_OK ? handle : nullptr;
    }
    uint32_t queued(FT_HANDLE handle) {
        uint32_t waiting = 0;
        const FT_STATUS status = driver_->FT_GetQueueStatus(handle, &waiting);
        return status == FT_OK ? waiting : 1000 + status;
    }
    // Sends bytes through the chip and waits until the reader thread has stored them: it has when it
    // asks the chip for more.
    bool receive(tChip& chip, const std::string& bytes) {
        int delivery = chip.State().lastDelivery;
        chip.Send(bytes);
        return chip.WaitUntil([&](const tChip::tRecord& r) {
            return r.lastDelivery > delivery && (delivery = r.lastDelivery);
        }) && chip.WaitUntil([&](const tChip::tRecord& r) { return r.bulkInSubmits > delivery; });
    }

private Q_SLOTS:
    void initTestCase() {
        if (!umockdev_in_mock_environment())
            QSKIP("needs the umockdev mock environment: run under umockdev-run (package umockdev)");
        if (geteuid() == 0)
            canDenyAccess_ = setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
        qputenv("ZCFG_D2XX_LIBRARY", ZCFG_FTDI_LIBRARY);
    }
    void init() {
        testbed_ = umockdev_testbed_new();
        tChip::AddRootHub(testbed_, 1);
        tChip::AddRootHub(testbed_, 2);
        qunsetenv("ZCFG_FTDI_ALL");
    }
    void cleanup() {
        if (driver_ != nullptr) D2XX::ReleaseLibrary();
        driver_ = nullptr;
        chips_.clear();
        g_object_unref(testbed_);
    }

    // Only the adapter's own ids by default, FTDI's other factory ids when asked for; numbered by bus
    // and port path, the same from one listing to the next.
    void listedAdapters() {
        add("2-1", 2, 5, 0xDBC0, 0x0600);
        add("1-4", 1, 4, 0x6002, 0x0400); // not an id of FTDI's factory list
        add("1-3", 1, 3, 0x6001, 0x0400);
        add("1-1", 1, 2, 0xDBC0, 0x0600);
        add("1-5", 1, 7, 0x6010, 0x0700);
        const QStringList adapters = {"1-1 0403:dbc0 FT232R", "1-3 0403:6001 FT232BM",
                                      "2-1 0403:dbc0 FT232R"};
        QCOMPARE(listing(), adapters);
        QCOMPARE(listing(), adapters);
        qputenv("ZCFG_FTDI_ALL", "1");
        QCOMPARE(listing(), QStringList({"1-1 0403:dbc0 FT232R", "1-3 0403:6001 FT232BM",
                                         "1-5 0403:6010 FT2232H", "2-1 0403:dbc0 FT232R"}));
    }

    // Opening reads the identity without taking the chip from the kernel's driver; programming writes
    // a blank FT232 at FTDI's factory id or a programmed adapter, never someone else's chip.
    void openAndProgram_data() {
        QTest::addColumn<int>("product");
        QTest::addColumn<int>("release");
        QTest::addColumn<bool>("programmedBefore");
        QTest::addColumn<uint>("readStatus");
        QTest::addColumn<uint>("programStatus");
        QTest::newRow("blank FT232BM at 6001")
            << 0x6001 << 0x0400 << false << uint(FT_EEPROM_NOT_PROGRAMMED) << uint(FT_OK);
        QTest::newRow("programmed adapter") << 0xDBC0 << 0x0600 << true << uint(FT_OK) << uint(FT_OK);
        QTest::newRow("someone's FT232R cable at 6001")
            << 0x6001 << 0x0600 << true << uint(FT_OK) << uint(FT_INVALID_PARAMETER);
        QTest::newRow("blank FT2232H at 6010")
            << 0x6010 << 0x0700 << false << uint(FT_EEPROM_NOT_PROGRAMMED) << uint(FT_INVALID_PARAMETER);
    }
    void openAndProgram() {
        QFETCH(int, product);
        QFETCH(int, release);
        QFETCH(bool, programmedBefore);
        QFETCH(uint, readStatus);
        QFETCH(uint, programStatus);
        qputenv("ZCFG_FTDI_ALL", "1");
        const auto chipType = ftdi::ChipTypeFromRelease(uint16_t(release), true);
        tChip& chip = add("1-3", 1, 3, uint16_t(product), uint16_t(release),
                          programmedBefore ? programmed(uint16_t(product), "FT12345", chipType)
                                           : std::vector<uint16_t>(128, 0xFFFF));
        load();
        FT_HANDLE handle = open();
        QVERIFY(handle);
        TUSBDescriptor record;
        QCOMPARE(driver_->FT_EE_Read(handle, &record.Record()), readStatus);
        const std::vector<uint16_t> before = chip.Eeprom();
        TUSBDescriptor adapter; // FTDI's defaults with the adapter's ids and serial number
        adapter.Record().ProductId = 0xDBC0;
        TUSBDescriptor::WriteString(adapter.Record().SerialNumber, kSerialNumberCapacity,
                                    QStringLiteral("AV000001"));
        QCOMPARE(driver_->FT_EE_Program(handle, &adapter.Record()), programStatus);
        if (programStatus != FT_OK) QCOMPARE(chip.Eeprom(), before);
        QCOMPARE(chip.State().eepromWrites, programStatus == FT_OK ? 64 : 0);
        if (programStatus == FT_OK) {
            QCOMPARE(driver_->FT_EE_Read(handle, &record.Record()), uint(FT_OK));
            QCOMPARE(QByteArray(record.Record().SerialNumber), QByteArray("AV000001"));
        }
        QCOMPARE(chip.State().driverDetaches, 0); // the serial driver kept the chip throughout
        QCOMPARE(driver_->FT_Close(handle), uint(FT_OK));
    }

    // The first data call takes the interface from the kernel's driver; close gives it back. Line
    // settings and bytes reach the chip, and what it receives arrives through the reader thread.
    void dataPath() {
        tChip& chip = add("1-3", 1, 3, 0xDBC0, 0x0400, programmed(0xDBC0, "AV000001", ftdi::tChipType::BM));
        load();
        FT_HANDLE handle = open();
        QVERIFY(handle);
        QCOMPARE(driver_->FT_SetBaudRate(handle, 9600), uint(FT_OK));
        QCOMPARE(driver_->FT_SetDataCharacteristics(handle, 8, 0, 0), uint(FT_OK));
        uint32_t written = 0;
        QCOMPARE(driver_->FT_Write(handle, const_cast<char*>("B\x05"), 2, &written), uint(FT_OK));
        const tChip::tRecord sent = chip.State();
        QCOMPARE(std::tuple(sent.claimed, sent.driverDetaches, sent.baudValue, sent.lineValue, sent.written),
                 std::tuple(true, 1, 0x4138, 0x0008, std::string("B\x05"))); // 3 MHz / 312.5, 8N1
        QVERIFY(receive(chip, "\x01PI"));
        QCOMPARE(queued(handle), 3u);
        char taken[4] = {};
        uint32_t returned = 0;
        QCOMPARE(driver_->FT_Read(handle, taken, 3, &returned), uint(FT_OK));
        QCOMPARE(QByteArray(taken), QByteArray("\x01PI"));
        QCOMPARE(driver_->FT_Close(handle), uint(FT_OK));
        QCOMPARE(std::pair(chip.State().claimed, chip.State().driverAttaches), std::pair(false, 1));
    }

    // A halted endpoint is cleared and transient failures are retried, each after a growing pause, so
    // the reader never spins: a fault that never ends costs exactly as many reads as there are
    // retries before the adapter is lost. A lost adapter opens again; an unplugged one is lost at once.
    void readerSurvivesTheLink_data() {
        QTest::addColumn<tFault>("fault");
        QTest::addColumn<int>("failedReads");
        QTest::addColumn<bool>("halts");
        QTest::addColumn<bool>("lost");
        const int retries = ftdi::tFtdiHandle::kFailuresBeforeLoss;
        QTest::newRow("endpoint halted twice") << tFault([](tChip& c) { c.HaltIn(2); }) << 2 << true << false;
        QTest::newRow("three failed transfers")
            << tFault([](tChip& c) { c.FailIn(3); }) << 3 << false << false;
        QTest::newRow("endpoint halted for good")
            << tFault([](tChip& c) { c.HaltIn(1000); }) << retries << true << true;
        QTest::newRow("unplugged") << tFault([](tChip& c) { c.Unplug(); }) << 0 << false << true;
    }
    void readerSurvivesTheLink() {
        QFETCH(tFault, fault);
        QFETCH(int, failedReads);
        QFETCH(bool, halts);
        QFETCH(bool, lost);
        tChip& chip = add("1-3", 1, 3, 0xDBC0, 0x0600, programmed(0xDBC0, "AV000001", ftdi::tChipType::R));
        load();
        FT_HANDLE handle = open();
        QCOMPARE(queued(handle), 0u); // claims and starts the reader
        QVERIFY(chip.WaitUntil([](const tChip::tRecord& r) { return r.bulkInSubmits > 0; }));
        fault(chip);
        if (lost) {
            QVERIFY(eventually([&] { return queued(handle) == 1000 + FT_IO_ERROR; }));
            TUSBDescriptor record;
            QCOMPARE(driver_->FT_EE_Read(handle, &record.Record()), uint(FT_IO_ERROR));
        } else {
            QVERIFY(receive(chip, "OK"));
            QCOMPARE(queued(handle), 2u);
        }
        const tChip::tRecord seen = chip.State();
        QCOMPARE(std::pair(seen.failedReads, seen.clearHalts),
                 std::pair(failedReads, halts ? failedReads : 0));
        QCOMPARE(driver_->FT_Close(handle), uint(FT_OK));
        if (failedReads == 0) return; // unplugged
        // Connect again without unplugging: the chip answers as before.
        handle = open();
        QVERIFY(handle);
        chip.HaltIn(0);
        chip.FailIn(0);
        QCOMPARE(queued(handle), 0u);
        QVERIFY(receive(chip, "again"));
        QCOMPARE(queued(handle), 5u);
        QCOMPARE(driver_->FT_Close(handle), uint(FT_OK));
    }

    // A node the user may not open and a chip another program holds: listed with that state, told
    // apart in the diagnosis, and a permission hint only for devices the udev rule is for.
    void permissionAndUse_data() {
        QTest::addColumn<int>("product");
        QTest::addColumn<bool>("deny");
        QTest::addColumn<uint>("access");
        QTest::addColumn<uint>("permission");
        QTest::addColumn<tAdapterProblem>("problem");
        const uint rule = ftdi::RuleInstalled("/") ? ZCFG_PERMISSION_NOT_APPLIED : ZCFG_PERMISSION_NO_RULE;
        QTest::newRow("adapter without permission")
            << 0x6001 << true << uint(ZCFG_ADAPTER_NO_PERMISSION) << rule << tAdapterProblem::NoPermission;
        QTest::newRow("other FTDI device without permission")
            << 0x6010 << true << uint(ZCFG_ADAPTER_NO_PERMISSION) << uint(ZCFG_PERMISSION_NOT_COVERED)
            << tAdapterProblem::NoAdapter;
        QTest::newRow("adapter held through usbfs")
            << 0x6001 << false << uint(ZCFG_ADAPTER_IN_USE) << 0u << tAdapterProblem::InUse;
        QTest::newRow("blank adapter")
            << 0x6001 << false << uint(ZCFG_ADAPTER_AVAILABLE) << 0u << tAdapterProblem::BlankEEPROM;
    }
    void permissionAndUse() {
        QFETCH(int, product);
        QFETCH(bool, deny);
        QFETCH(uint, access);
        QFETCH(uint, permission);
        QFETCH(tAdapterProblem, problem);
        qputenv("ZCFG_FTDI_ALL", "1");
        tChip& chip = add("1-3", 1, 3, uint16_t(product), product == 0x6001 ? 0x0400 : 0x0700);
        if (deny && !chip.DenyAccess()) QSKIP("the test could not give up root, who opens any node");
        if (access == ZCFG_ADAPTER_IN_USE) chip.ClaimElsewhere();
        load();
        ZCFG_ADAPTER_INFO info{};
        QCOMPARE(driver_->ZCFG_GetAdapterInfo(0, &info), uint(FT_OK));
        QCOMPARE(std::pair(info.Access, info.Permission), std::pair(access, permission));
        FT_HANDLE handle = nullptr;
        QCOMPARE(driver_->FT_Open(0, &handle), uint(deny ? FT_DEVICE_NOT_OPENED : FT_OK));
        const char* hint = driver_->ZCFG_AccessHint();
        QCOMPARE(hint != nullptr, deny && product == 0x6001);
        if (hint) QVERIFY2(QByteArray(hint).contains("0403:6001 at 1-3"), hint);
        if (handle) {
            QCOMPARE(driver_->FT_SetBaudRate(handle, 9600),
                     uint(access == ZCFG_ADAPTER_IN_USE ? FT_DEVICE_NOT_OPENED : FT_OK));
            driver_->FT_Close(handle);
        }
        QCOMPARE(DiagnoseAdapters().problem, problem);
    }

    // The driver's lock is not held while an adapter's EEPROM is read, and a handle outlives a call
    // that runs on it while another thread closes it.
    void callsFromSeveralThreads() {
        tChip& chip = add("1-3", 1, 3, 0xDBC0, 0x0600, programmed(0xDBC0, "AV000001", ftdi::tChipType::R));
        load();
        chip.HoldEepromRead(5);
        auto opening = std::async(std::launch::async, [&] { return open(); });
        QVERIFY(chip.WaitForHeldRead());
        auto listing = std::async(std::launch::async, [&] {
            uint32_t n = 0;
            driver_->FT_ListDevices(&n, nullptr, FT_LIST_NUMBER_ONLY);
            return n;
        });
        // Within the second after which the held request would time out.
        const bool listedMeanwhile =
            listing.wait_for(std::chrono::milliseconds(500)) == std::future_status::ready;
        chip.ReleaseEepromRead(); // before any check, which would leave the opening thread waiting
        QVERIFY(listedMeanwhile);
        QCOMPARE(listing.get(), 1u);
        FT_HANDLE handle = opening.get();
        QVERIFY(handle);

        chip.HoldEepromRead(0); // the check that an adapter nobody reads from is still there
        TUSBDescriptor record;
        auto reading =
            std::async(std::launch::async, [&] { return driver_->FT_EE_Read(handle, &record.Record()); });
        QVERIFY(chip.WaitForHeldRead());
        auto closing = std::async(std::launch::async, [&] { return driver_->FT_Close(handle); });
        const bool closeWaited =
            closing.wait_for(std::chrono::milliseconds(50)) == std::future_status::timeout;
        chip.ReleaseEepromRead();
        QVERIFY(closeWaited);
        QCOMPARE(reading.get(), uint(FT_OK));
        QCOMPARE(QByteArray(record.Record().SerialNumber), QByteArray("AV000001"));
        QCOMPARE(closing.get(), uint(FT_OK));
        QCOMPARE(driver_->FT_EE_Read(handle, &record.Record()), uint(FT_INVALID_HANDLE));
    }
};

QTEST_GUILESS_MAIN(TestFtdiUsb)
#include "tst_ftdi_usb.moc"
