// The Linux adapter driver layer without USB: statuses, EEPROM images both ways, blank and damaged
// EEPROMs, the string limit, what programming may write, an open adapter against a fake transport
// (EEPROM cache, programming, taking over the interface only for data, the reader thread, its
// buffer, its retries and loss), and what the system says about a device (udev, /proc, sysfs).
#include "FakeTransport.h"
#include "ftdi/FtdiHandle.h"
#include "ftdi/FtdiStatus.h"
#include "ftdi/FtdiSystem.h"

#include <QtTest>
#include <cstring>
#include <ftdi.h>
#include <libusb.h>

using namespace ftdi;

namespace {

tAdapterIdentity adapterIdentity(const std::string& manufacturer = "Arvel",
                                 const std::string& description = "USB HS Serial Converter",
                                 const std::string& serial = "AV000001") {
    return {.vendorId = 0x0403,
            .productId = 0xDBC0,
            .manufacturer = manufacturer,
            .description = description,
            .serialNumber = serial,
            .maxPower = 44,
            .serNumEnable = true,
            .usbVersion = 0x0200};
}

// A descriptor record with its own string buffers, as the link keeps one.
struct tRecord {
    char manufacturer[kManufacturerCapacity] = {}, manufacturerId[kManufacturerIdCapacity] = {},
         description[kDescriptionCapacity] = {}, serial[kSerialNumberCapacity] = {};
    FT_DESCRIPTOR d{};
    explicit tRecord(const tAdapterIdentity& identity = adapterIdentity()) {
        d.Manufacturer = manufacturer;
        d.ManufacturerId = manufacturerId;
        d.Description = description;
        d.SerialNumber = serial;
        FillDescriptor(identity, tChipType::R, &d);
    }
};
using tSpoil = void (*)(tRecord&, tFakeTransport&);

std::vector<uint8_t> builtImage(const tAdapterIdentity& identity, tChipType chip) {
    std::vector<uint8_t> image;
    if (BuildImage(identity, chip, 0x80, image) != FT_OK) return {};
    image.resize(kEepromReadBytes);
    std::copy(image.begin(), image.begin() + 0x80, image.begin() + 0x80); // a 128-byte part mirrors
    return image;
}

// An adapter on a fake transport holding `image`, opened: its EEPROM is read.
struct tAdapter {
    std::unique_ptr<tFakeTransport> owned;
    tFakeTransport& fake;
    tFtdiHandle handle;
    explicit tAdapter(tChipType chip = tChipType::R, const std::vector<uint8_t>& image = {})
        : owned(std::make_unique<tFakeTransport>(chip)), fake(*owned), handle(std::move(owned)) {
        fake.SetImage(image);
        if (!image.empty()) fake.productId = 0xDBC0; // a programmed adapter enumerates with its own id
        QCOMPARE(handle.LoadEeprom(), uint(FT_OK));
    }
};

} // namespace

Q_DECLARE_METATYPE(ftdi::tChipType)
Q_DECLARE_METATYPE(ftdi::tAdapterIdentity)
Q_DECLARE_METATYPE(tSpoil)

class TestFtdi : public QObject {
    Q_OBJECT
private slots:
    void statusFromUsbError() {
        const std::pair<int, FT_STATUS> expected[] = {{LIBUSB_SUCCESS, FT_OK},
                                                      {LIBUSB_ERROR_ACCESS, FT_DEVICE_NOT_OPENED},
                                                      {LIBUSB_ERROR_BUSY, FT_DEVICE_NOT_OPENED},
                                                      {LIBUSB_ERROR_NOT_FOUND, FT_DEVICE_NOT_FOUND},
                                                      {LIBUSB_ERROR_NO_MEM, FT_INSUFFICIENT_RESOURCES},
                                                      {LIBUSB_ERROR_INVALID_PARAM, FT_INVALID_PARAMETER},
                                                      {LIBUSB_ERROR_NO_DEVICE, FT_IO_ERROR},
                                                      {LIBUSB_ERROR_OTHER, FT_IO_ERROR}};
        for (const auto& [error, status] : expected)
            QCOMPARE(std::pair(error, StatusFromUsbError(error)), std::pair(error, status));
    }

    void listingOrderIsBusThenPortPath() {
        std::vector<tUsbLocation> locations = {{2, {1}}, {1, {3}}, {1, {2, 4}}, {1, {2}}, {1, {10}}};
        std::sort(locations.begin(), locations.end());
        QStringList texts;
        for (const tUsbLocation& l : locations)
            texts << QString::fromStdString(l.Text());
        QCOMPARE(texts, QStringList({"1-2", "1-2.4", "1-3", "1-10", "2-1"}));
    }

    // Every chip family: what is built decodes to the same identity, by our decoder and by libftdi's.
    // Every chip family: what is built decodes to the same identity, by our decoder and by libftdi's.
    // The strings share the EEPROM: 48 characters in all on a BM with a 93C46, 46 on an R chip
    // (libftdi would let 48 wrap into the header there); chips libftdi cannot build are refused.
    void imageRoundTrip_data() {
        QTest::addColumn<tChipType>("chip");
        QTest::addColumn<tAdapterIdentity>("identity");
        QTest::addColumn<bool>("built");
        tAdapterIdentity powered = adapterIdentity("Zentara", "Programmer", "ZX1");
        powered.selfPowered = powered.remoteWakeup = true;
        powered.maxPower = 500;
        // 5 characters of manufacturer and 8 of serial number; the description takes the rest.
        const auto strings = [](int characters) {
            return adapterIdentity("Arvel", std::string(size_t(characters - 13), 'D'), "AV000001");
        };
        for (auto [name, chip, limit] : {std::tuple{"BM", tChipType::BM, 48},
                                         {"R", tChipType::R, 46},
                                         {"2232C", tChipType::FT2232C, 45},
                                         {"2232H", tChipType::FT2232H, 0},
                                         {"4232H", tChipType::FT4232H, 0}}) {
            QTest::addRow("%s adapter", name) << chip << adapterIdentity() << true;
            QTest::addRow("%s self-powered", name) << chip << powered << true;
            QTest::addRow("%s without strings", name) << chip << adapterIdentity("", "", "") << true;
            if (limit == 0) continue;
            QTest::addRow("%s %d characters", name, limit) << chip << strings(limit) << true;
            QTest::addRow("%s %d characters", name, limit + 1) << chip << strings(limit + 1) << false;
        }
        QTest::newRow("232H") << tChipType::FT232H << strings(20) << false;
        QTest::newRow("230X") << tChipType::FT230X << strings(20) << false;
    }
    void imageRoundTrip() {
        QFETCH(tChipType, chip);
        QFETCH(tAdapterIdentity, identity);
        QFETCH(bool, built);
        std::vector<uint8_t> image;
        QCOMPARE(BuildImage(identity, chip, 0x80, image), uint(built ? FT_OK : FT_INVALID_PARAMETER));
        QCOMPARE(image.empty(), !built); // never a truncated image
        if (!built) return;
        image = builtImage(identity, chip);
        tAdapterIdentity decoded, expected = identity;
        QCOMPARE(DecodeImage(image, chip, decoded), uint(FT_OK));
        if (chip != tChipType::BM && chip != tChipType::FT2232C && chip != tChipType::R)
            expected.usbVersion = 0;
        QCOMPARE(decoded, expected);

        // libftdi's own decoder agrees (its size comes from a build, as it has no device here).
        const std::unique_ptr<ftdi_context, void (*)(ftdi_context*)> context(ftdi_new(), ftdi_free);
        context->type = static_cast<ftdi_chip_type>(chip);
        context->usb_dev = reinterpret_cast<libusb_device_handle*>(context.get());
        ftdi_eeprom_initdefaults(context.get(), nullptr, nullptr, nullptr);
        context->usb_dev = nullptr;
        QVERIFY(ftdi_eeprom_build(context.get()) >= 0);
        ftdi_set_eeprom_buf(context.get(), image.data(), 0x80);
        QCOMPARE(ftdi_eeprom_decode(context.get(), 0), 0);
        for (auto [name, value] : {std::pair{VENDOR_ID, int(identity.vendorId)},
                                   {PRODUCT_ID, int(identity.productId)},
                                   {MAX_POWER, int(identity.maxPower)}}) {
            int decodedValue = -1;
            ftdi_get_eeprom_value(context.get(), name, &decodedValue);
            QCOMPARE(decodedValue, value);
        }
    }

    void damagedImages_data() {
        QTest::addColumn<int>("damage");
        QTest::addColumn<uint>("status");
        QTest::newRow("blank") << -1 << uint(FT_EEPROM_NOT_PROGRAMMED);
        QTest::newRow("changed vendor byte") << 2 << uint(FT_IO_ERROR);
        QTest::newRow("changed string byte") << 0x20 << uint(FT_IO_ERROR);
        QTest::newRow("changed checksum") << 0x7E << uint(FT_IO_ERROR);
        QTest::newRow("too short") << -2 << uint(FT_IO_ERROR);
        QTest::newRow("128-byte image in a 93C56") << -3 << uint(FT_OK);
    }
    void damagedImages() {
        QFETCH(int, damage);
        QFETCH(uint, status);
        const tChipType chip = damage == -3 ? tChipType::BM : tChipType::R;
        std::vector<uint8_t> image = builtImage(adapterIdentity(), chip);
        if (damage == -1)
            image.assign(kEepromReadBytes, 0xFF);
        else if (damage == -2)
            image.resize(0x40);
        else if (damage == -3)
            std::fill(image.begin() + 0x80, image.end(), 0xFF);
        else
            image[size_t(damage)] ^= 0x01;
        tAdapterIdentity decoded;
        QCOMPARE(DecodeImage(image, chip, decoded), status);
    }

    // Images with a valid checksum but nonsense string tables decode without reading past the image.
    void arbitraryImagesStayInBounds() {
        uint32_t seed = 12345;
        for (int round = 0; round < 2000; ++round) {
            std::vector<uint8_t> image(0x80);
            for (uint8_t& b : image)
                b = uint8_t((seed = seed * 1103515245 + 12345) >> 16);
            const uint16_t checksum = ImageChecksum(image, 0x80, tChipType::BM);
            image[0x7E] = uint8_t(checksum);
            image[0x7F] = uint8_t(checksum >> 8);
            tAdapterIdentity decoded;
            QCOMPARE(DecodeImage(image, tChipType::BM, decoded), uint(FT_OK));
            QVERIFY(decoded.manufacturer.size() < 128);
        }
    }

    // A refused record, and any chip that is not ours to write, is written nothing at all.
    void refusedRecords_data() {
        QTest::addColumn<tSpoil>("spoil");
        QTest::newRow("unterminated serial number")
            << tSpoil([](tRecord& r, tFakeTransport&) { std::memset(r.serial, 'A', sizeof r.serial); });
        QTest::newRow("missing description buffer")
            << tSpoil([](tRecord& r, tFakeTransport&) { r.d.Description = nullptr; });
        QTest::newRow("foreign vendor id")
            << tSpoil([](tRecord& r, tFakeTransport&) { r.d.VendorId = 0x1234; });
        QTest::newRow("unlisted product id")
            << tSpoil([](tRecord& r, tFakeTransport&) { r.d.ProductId = 0x6010; });
        QTest::newRow("max power 0") << tSpoil([](tRecord& r, tFakeTransport&) { r.d.MaxPower = 0; });
        QTest::newRow("strings beyond the EEPROM") << tSpoil(
            [](tRecord& r, tFakeTransport&) { std::memset(r.description, 'D', sizeof r.description - 1); });
        QTest::newRow("programmed FT232R at 6001: someone's cable")
            << tSpoil([](tRecord&, tFakeTransport& f) { f.productId = 0x6001; });
        QTest::newRow("chip of another maker")
            << tSpoil([](tRecord&, tFakeTransport& f) { f.vendorId = 0x1A86; });
        QTest::newRow("blank FT2232H at 6010") << tSpoil([](tRecord&, tFakeTransport& f) {
            f.productId = 0x6010;
            f.chip = tChipType::FT2232H;
            f.eeprom.assign(128, 0xFFFF);
        });
    }
    void refusedRecords() {
        QFETCH(tSpoil, spoil);
        tAdapter a(tChipType::R, builtImage(adapterIdentity(), tChipType::R));
        tRecord record;
        spoil(record, a.fake);
        QCOMPARE(a.handle.LoadEeprom(), uint(FT_OK));
        QCOMPARE(a.handle.Program(&record.d), uint(FT_INVALID_PARAMETER));
        QCOMPARE(a.fake.wordWrites, 0);
    }

    // Opening reads the EEPROM once; reading the descriptor uses the cache and, on an adapter that
    // nobody reads data from, one request to see that it is still there.
    void descriptorComesFromTheCache() {
        tAdapter a; // blank
        tRecord record;
        QCOMPARE(a.handle.ReadDescriptor(&record.d), uint(FT_EEPROM_NOT_PROGRAMMED));
        a.fake.SetImage(builtImage(adapterIdentity(), tChipType::R));
        QCOMPARE(a.handle.ReadDescriptor(&record.d), uint(FT_EEPROM_NOT_PROGRAMMED)); // cached
        QCOMPARE(a.handle.LoadEeprom(), uint(FT_OK));
        QCOMPARE(a.handle.ReadDescriptor(&record.d), uint(FT_OK));
        QCOMPARE(QByteArray(record.serial), QByteArray("AV000001"));
        QVERIFY(!a.fake.claimed);
        a.fake.gone = true;
        QCOMPARE(a.handle.ReadDescriptor(&record.d), uint(FT_IO_ERROR));
        a.fake.gone = false;
        QCOMPARE(a.handle.ReadDescriptor(&record.d), uint(FT_IO_ERROR)); // lost stays lost
    }

    // Programming writes the whole image at the vendor tools' latency, gives the adapter back its
    // latency timer and line settings, and verifies the image by reading it back.
    void programming_data() {
        QTest::addColumn<int>("stuckWord");
        QTest::addColumn<uint>("status");
        QTest::newRow("verified") << -1 << uint(FT_OK);
        QTest::newRow("a word does not take") << 9 << uint(FT_IO_ERROR);
    }
    void programming() {
        QFETCH(int, stuckWord);
        QFETCH(uint, status);
        tAdapter a(tChipType::BM); // blank
        a.fake.latency = 5;
        a.fake.stuckWord = stuckWord;
        QCOMPARE(a.handle.SetBaudRate(9600), uint(FT_OK));
        QCOMPARE(a.handle.SetDataCharacteristics(8, 0, 0), uint(FT_OK));
        a.fake.log.clear();
        tRecord record, readBack(adapterIdentity("", "", ""));
        QCOMPARE(a.handle.Program(&record.d), status);
        QCOMPARE(a.fake.wordWrites, 64);
        QCOMPARE(a.fake.log, (std::vector<std::string>{"latency 119", "latency 5", "baud 9600", "data 800"}));
        if (status != FT_OK) return;
        QCOMPARE(a.handle.ReadDescriptor(&readBack.d), uint(FT_OK));
        QCOMPARE(QByteArray(readBack.description), QByteArray("USB HS Serial Converter"));
        QCOMPARE(readBack.d.ProductId, uint16_t(0xDBC0));
    }

    // The interface is taken over by the first data call only, and given back on close. From then
    // on the reader thread fills the queue that reads take from without waiting, until the adapter
    // is lost, which fails every later call.
    void dataThroughTheReaderThread() {
        tAdapter a;
        using tResult = std::pair<FT_STATUS, uint32_t>;
        const auto queued = [&] {
            uint32_t waiting = 99;
            return tResult(a.handle.QueueStatus(&waiting), waiting);
        };
        const auto read = [&](char* target, uint32_t count) {
            uint32_t returned = 99;
            return tResult(a.handle.Read(target, count, &returned), returned);
        };
        const auto write = [&] {
            uint32_t written = 99;
            return tResult(a.handle.Write("B", 1, &written), written);
        };
        QVERIFY(!a.fake.claimed);
        QCOMPARE(queued(), tResult(FT_OK, 0));
        QVERIFY(a.fake.claimed);
        QCOMPARE(write(), tResult(FT_OK, 1));
        QCOMPARE(queued(), tResult(FT_OK, 0));
        QCOMPARE(a.fake.log, (std::vector<std::string>{"claim", "write 1"})); // the queue needs no USB
        QCOMPARE(a.handle.SetFlowControl(0x0300, 0x11, 0x13), uint(FT_INVALID_PARAMETER));
        QCOMPARE(a.handle.SetDataCharacteristics(9, 0, 0), uint(FT_INVALID_PARAMETER));

        QVERIFY(a.fake.Deliver({0x01, 'P', 'I'}));
        QVERIFY(a.fake.Deliver({'0', '1'}));
        QCOMPARE(queued(), tResult(FT_OK, 5));
        char taken[8] = {};
        QCOMPARE(read(taken, 2), tResult(FT_OK, 2));
        QCOMPARE(read(taken + 2, 6), tResult(FT_OK, 3));
        QCOMPARE(QByteArray(taken), QByteArray("\x01PI01"));
        QCOMPARE(read(taken, 1), tResult(FT_OK, 0)); // never waits

        QVERIFY(a.fake.Deliver({}, tReceived::Gone, 1, false));
        a.handle.Close(); // joining the reader makes its last step visible here
        QVERIFY(!a.fake.claimed);
        QCOMPARE(a.fake.log.back(), std::string("release"));
        QCOMPARE(queued().first, uint(FT_IO_ERROR));
        QCOMPARE(read(taken, 1).first, uint(FT_IO_ERROR));
        QCOMPARE(write().first, uint(FT_IO_ERROR));
        tRecord record;
        QCOMPARE(a.handle.ReadDescriptor(&record.d), uint(FT_IO_ERROR));
        QCOMPARE(a.handle.Program(&record.d), uint(FT_IO_ERROR));
    }

    // The reader never spins: a halted endpoint is cleared and a failed transfer retried after a pause
    // that doubles up to its ceiling, an empty answer that came at once is followed by a short pause,
    // and only a vanished device or failures that outlast the retries lose the adapter.
    void readerPausesAndRetries_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("times");
        QTest::addColumn<bool>("clearFails");
        QTest::addColumn<QList<int>>("pauses"); // ms
        QTest::addColumn<bool>("lost");
        const QList<int> retries = {10, 20, 40, 80, 160, 320, 500};
        QTest::newRow("halted twice") << int(tReceived::Stalled) << 2 << false << QList<int>{10, 20} << false;
        QTest::newRow("three failures")
            << int(tReceived::Failed) << 3 << false << QList<int>{10, 20, 40} << false;
        QTest::newRow("failures outlasting the retries")
            << int(tReceived::Failed) << 8 << false << retries << true;
        QTest::newRow("halted for good") << int(tReceived::Stalled) << 8 << false << retries << true;
        QTest::newRow("halt that finds the device gone")
            << int(tReceived::Stalled) << 1 << true << QList<int>{} << true;
        QTest::newRow("device gone") << int(tReceived::Gone) << 1 << false << QList<int>{} << true;
        QTest::newRow("empty answers at once")
            << int(tReceived::Data) << 2 << false << QList<int>{8, 8} << false;
    }
    void readerPausesAndRetries() {
        QFETCH(int, kind);
        QFETCH(int, times);
        QFETCH(bool, clearFails);
        QFETCH(QList<int>, pauses);
        QFETCH(bool, lost);
        tAdapter a(tChipType::R, builtImage(adapterIdentity(), tChipType::R));
        QList<int> paused;
        a.handle.SetPause([&](tFtdiHandle::tMilliseconds d) { paused << int(d.count()); });
        a.fake.clearFails = clearFails;
        uint32_t waiting = 0;
        QCOMPARE(a.handle.QueueStatus(&waiting), uint(FT_OK));
        QVERIFY(a.fake.Deliver({}, tReceived::tKind(kind), times, !lost));
        if (!lost) QVERIFY(a.fake.Deliver({'O', 'K'}));
        a.handle.Close(); // joins the reader: what it did is visible from here on
        QCOMPARE(paused, pauses);
        QCOMPARE(a.handle.Lost(), lost);
        QCOMPARE(a.handle.StallsCleared(), uint64_t(kind == tReceived::Stalled && !clearFails ? times : 0));
        QCOMPARE(a.handle.QueueStatus(&waiting), uint(lost ? FT_IO_ERROR : FT_OK));
        if (!lost) QCOMPARE(waiting, 2u);
    }

    void receiveBufferIsBounded() {
        tReceiveBuffer buffer;
        const std::vector<uint8_t> block(tReceiveBuffer::kCapacity - 1, 0x55);
        const uint8_t more[3] = {1, 2, 3};
        buffer.Append(block.data(), block.size());
        buffer.Append(more, 3); // only the first fits
        std::vector<uint8_t> all(tReceiveBuffer::kCapacity + 1);
        QCOMPARE(buffer.Take(all.data(), uint32_t(all.size())), uint32_t(tReceiveBuffer::kCapacity));
        QCOMPARE(all[tReceiveBuffer::kCapacity - 1], uint8_t(1));
        buffer.Append(more + 1, 2);
        uint8_t two[2] = {};
        QCOMPARE(buffer.Take(two, 2), 2u);
        QCOMPARE(two[1], uint8_t(3));
    }

    // uaccess is applied by systemd's 73-seat-late.rules: the rule must come before it and grant
    // access to exactly the programmed and the blank adapter, keeping ModemManager off both.
    void udevRule() {
        QFile file(QStringLiteral(ZCFG_UDEV_RULE));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QVERIFY(QFileInfo(file).fileName() < "73-seat-late.rules");
        QStringList granted, modemManagerIgnores;
        const QRegularExpression vendor(R"re(ATTRS?\{idVendor\}=="([0-9a-f]{4})")re"),
            product(R"re(ATTRS?\{idProduct\}=="([0-9a-f]{4})")re");
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
            if (line.trimmed().isEmpty() || line.trimmed().startsWith('#')) continue;
            const QString ids = vendor.match(line).captured(1) + ':' + product.match(line).captured(1);
            QVERIFY2(line.contains(R"(SUBSYSTEM=="usb")"), qPrintable(line));
            if (line.contains(R"(TAG+="uaccess")")) granted << ids;
            if (line.contains(R"(ENV{ID_MM_DEVICE_IGNORE}="1")")) modemManagerIgnores << ids;
        }
        QCOMPARE(granted, QStringList({"0403:dbc0", "0403:6001"}));
        QCOMPARE(modemManagerIgnores, QStringList({"0403:dbc0", "0403:6001"}));
    }

    // What the system says about a device, read below a root folder laid out as the test says.
    void systemFacts() {
        QTemporaryDir root;
        const std::string r = root.path().toStdString();
        const auto write = [&](const QString& path, const QByteArray& content) {
            QVERIFY(QDir(root.path()).mkpath(QFileInfo(root.filePath(path)).path()));
            QFile file(root.filePath(path));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        };
        QVERIFY(!RuleInstalled(r));
        write("usr/local/lib/udev/rules.d/70-zentara-configurator.rules", "#");
        QVERIFY(RuleInstalled(r));

        write("run/udev/data/c189:2", "E:ID_MM_DEVICE_IGNORE=1\nG:uaccess\n"); // bus 1, address 3
        write("run/udev/data/c189:128", "Q:seat\n");                           // bus 2, address 1
        const tUdevEntry tagged = ReadUdevEntry(r, 1, 3), untagged = ReadUdevEntry(r, 2, 1);
        QCOMPARE(std::pair(tagged.uaccess, tagged.modemManagerIgnores), std::pair(true, true));
        QCOMPARE(std::pair(untagged.uaccess, untagged.modemManagerIgnores), std::pair(false, false));
        QCOMPARE(QList<uint>({PermissionProblem(false, true, true), PermissionProblem(true, false, false),
                              PermissionProblem(true, true, false), PermissionProblem(true, true, true)}),
                 QList<uint>({ZCFG_PERMISSION_NOT_COVERED, ZCFG_PERMISSION_NO_RULE,
                              ZCFG_PERMISSION_NOT_APPLIED, ZCFG_PERMISSION_NOT_LOCAL}));

        write("proc/1/comm", "systemd\n");
        write("proc/42/comm", "ModemManager\n");
        QCOMPARE(LikelyHolder(r, false), std::string("ModemManager"));
        QCOMPARE(LikelyHolder(r, true), std::string());
        write("proc/77/comm", "brltty\n");
        QCOMPARE(LikelyHolder(r, true), std::string("brltty"));

        QVERIFY(QDir(root.path()).mkpath("sys/bus/usb/devices/1-3:1.0"));
        QVERIFY(QFile::link("../../../drivers/usbfs", root.filePath("sys/bus/usb/devices/1-3:1.0/driver")));
        QVERIFY(ClaimedThroughUsbfs(r, "1-3"));
        QVERIFY(!ClaimedThroughUsbfs(r, "1-4"));
    }
};

QTEST_GUILESS_MAIN(TestFtdi)
#include "tst_ftdi.moc"
