// The Linux adapter driver layer without USB: statuses, EEPROM images both ways, blank and damaged
// EEPROMs, the string limit, and an open adapter against a fake transport (EEPROM cache,
// programming, taking over the interface only for data, the reader thread and its buffer, loss).
#include "FakeTransport.h"
#include "ftdi/FtdiHandle.h"
#include "ftdi/FtdiStatus.h"

#include <QtTest>
#include <cstring>
#include <ftdi.h>
#include <libusb.h>

using namespace ftdi;
Q_DECLARE_METATYPE(ftdi::tChipType)
Q_DECLARE_METATYPE(ftdi::tAdapterIdentity)

namespace {

tAdapterIdentity adapterIdentity(const std::string& manufacturer = "Arvel",
                                 const std::string& description = "USB HS Serial Converter",
                                 const std::string& serial = "AV000001") {
    tAdapterIdentity identity;
    identity.vendorId = 0x0403;
    identity.productId = 0xDBC0;
    identity.manufacturer = manufacturer;
    identity.description = description;
    identity.serialNumber = serial;
    identity.maxPower = 44;
    identity.serNumEnable = true;
    identity.usbVersion = 0x0200;
    return identity;
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

std::vector<uint8_t> builtImage(const tAdapterIdentity& identity, tChipType chip) {
    std::vector<uint8_t> image;
    if (BuildImage(identity, chip, 0x80, image) != FT_OK) return {};
    image.resize(kEepromReadBytes);
    std::copy(image.begin(), image.begin() + 0x80, image.begin() + 0x80); // a 128-byte part mirrors
    return image;
}

} // namespace

class TestFtdi : public QObject {
    Q_OBJECT
private slots:
    void statusFromUsbError_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<uint>("status");
        QTest::newRow("success") << int(LIBUSB_SUCCESS) << uint(FT_OK);
        QTest::newRow("no permission") << int(LIBUSB_ERROR_ACCESS) << uint(FT_DEVICE_NOT_OPENED);
        QTest::newRow("busy") << int(LIBUSB_ERROR_BUSY) << uint(FT_DEVICE_NOT_OPENED);
        QTest::newRow("not found") << int(LIBUSB_ERROR_NOT_FOUND) << uint(FT_DEVICE_NOT_FOUND);
        QTest::newRow("no memory") << int(LIBUSB_ERROR_NO_MEM) << uint(FT_INSUFFICIENT_RESOURCES);
        QTest::newRow("invalid parameter") << int(LIBUSB_ERROR_INVALID_PARAM) << uint(FT_INVALID_PARAMETER);
        QTest::newRow("device gone") << int(LIBUSB_ERROR_NO_DEVICE) << uint(FT_IO_ERROR);
        QTest::newRow("unknown") << int(LIBUSB_ERROR_OTHER) << uint(FT_IO_ERROR);
    }
    void statusFromUsbError() {
        QFETCH(int, error);
        QFETCH(uint, status);
        QCOMPARE(uint(StatusFromUsbError(error)), status);
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
    void imageRoundTrip_data() {
        QTest::addColumn<tChipType>("chip");
        QTest::addColumn<tAdapterIdentity>("identity");
        tAdapterIdentity powered = adapterIdentity("Zentara", "Programmer", "ZX1");
        powered.selfPowered = powered.remoteWakeup = true;
        powered.maxPower = 500;
        const tAdapterIdentity noStrings = adapterIdentity("", "", "");
        for (auto [name, chip] : {std::pair{"BM", tChipType::BM},
                                  {"R", tChipType::R},
                                  {"2232C", tChipType::FT2232C},
                                  {"2232H", tChipType::FT2232H},
                                  {"4232H", tChipType::FT4232H}}) {
            QTest::addRow("%s adapter", name) << chip << adapterIdentity();
            QTest::addRow("%s self-powered", name) << chip << powered;
            QTest::addRow("%s without strings", name) << chip << noStrings;
        }
    }
    void imageRoundTrip() {
        QFETCH(tChipType, chip);
        QFETCH(tAdapterIdentity, identity);
        const std::vector<uint8_t> image = builtImage(identity, chip);
        QVERIFY(!image.empty());
        tAdapterIdentity decoded;
        QCOMPARE(uint(DecodeImage(image, chip, decoded)), uint(FT_OK));
        tAdapterIdentity expected = identity;
        if (chip != tChipType::BM && chip != tChipType::FT2232C && chip != tChipType::R)
            expected.usbVersion = 0;
        QCOMPARE(decoded, expected);

        // libftdi's own decoder agrees (its size comes from a build, as it has no device here).
        ftdi_context* context = ftdi_new();
        context->type = static_cast<ftdi_chip_type>(chip);
        context->usb_dev = reinterpret_cast<libusb_device_handle*>(context);
        ftdi_eeprom_initdefaults(context, nullptr, nullptr, nullptr);
        context->usb_dev = nullptr;
        QVERIFY(ftdi_eeprom_build(context) >= 0);
        ftdi_set_eeprom_buf(context, image.data(), 0x80);
        QCOMPARE(ftdi_eeprom_decode(context, 0), 0);
        int vendor = 0, product = 0, power = 0;
        ftdi_get_eeprom_value(context, VENDOR_ID, &vendor);
        ftdi_get_eeprom_value(context, PRODUCT_ID, &product);
        ftdi_get_eeprom_value(context, MAX_POWER, &power);
        ftdi_free(context);
        QCOMPARE(vendor, int(identity.vendorId));
        QCOMPARE(product, int(identity.productId));
        QCOMPARE(power, int(identity.maxPower));
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
        QCOMPARE(uint(DecodeImage(image, chip, decoded)), status);
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
            QCOMPARE(uint(DecodeImage(image, tChipType::BM, decoded)), uint(FT_OK));
            QVERIFY(decoded.manufacturer.size() < 128);
        }
    }

    // The strings share the EEPROM: 48 characters in all on a BM with a 93C46, 46 on an R chip
    // (libftdi would let 48 wrap into the header there); chips libftdi cannot build are refused.
    void stringLimit_data() {
        QTest::addColumn<tChipType>("chip");
        QTest::addColumn<int>("characters");
        QTest::addColumn<uint>("status");
        QTest::newRow("BM 48") << tChipType::BM << 48 << uint(FT_OK);
        QTest::newRow("BM 49") << tChipType::BM << 49 << uint(FT_INVALID_PARAMETER);
        QTest::newRow("R 46") << tChipType::R << 46 << uint(FT_OK);
        QTest::newRow("R 47") << tChipType::R << 47 << uint(FT_INVALID_PARAMETER);
        QTest::newRow("2232C 45") << tChipType::FT2232C << 45 << uint(FT_OK);
        QTest::newRow("2232C 46") << tChipType::FT2232C << 46 << uint(FT_INVALID_PARAMETER);
        QTest::newRow("232H") << tChipType::FT232H << 20 << uint(FT_INVALID_PARAMETER);
        QTest::newRow("230X") << tChipType::FT230X << 20 << uint(FT_INVALID_PARAMETER);
    }
    void stringLimit() {
        QFETCH(tChipType, chip);
        QFETCH(int, characters);
        QFETCH(uint, status);
        const int serial = 8, manufacturer = 5;
        const tAdapterIdentity identity = adapterIdentity(
            "Arvel", std::string(size_t(characters - serial - manufacturer), 'D'), "AV000001");
        std::vector<uint8_t> image;
        QCOMPARE(uint(BuildImage(identity, chip, 0x80, image)), status);
        if (status != FT_OK) QVERIFY(image.empty());
    }

    void descriptorRefusals_data() {
        QTest::addColumn<int>("fault");
        QTest::newRow("unterminated serial number") << 0;
        QTest::newRow("missing description buffer") << 1;
        QTest::newRow("foreign vendor id") << 2;
        QTest::newRow("unlisted product id") << 3;
        QTest::newRow("max power 0") << 4;
        QTest::newRow("strings beyond the EEPROM") << 5;
    }
    // A refused record writes nothing at all.
    void descriptorRefusals() {
        QFETCH(int, fault);
        auto transport = std::make_unique<tFakeTransport>();
        tFakeTransport& fake = *transport;
        fake.SetImage(builtImage(adapterIdentity(), tChipType::R));
        tFtdiHandle handle(std::move(transport));
        QCOMPARE(uint(handle.LoadEeprom()), uint(FT_OK));
        tRecord record;
        switch (fault) {
        case 0:
            std::memset(record.serial, 'A', sizeof record.serial);
            break;
        case 1:
            record.d.Description = nullptr;
            break;
        case 2:
            record.d.VendorId = 0x1234;
            break;
        case 3:
            record.d.ProductId = 0x6002;
            break;
        case 4:
            record.d.MaxPower = 0;
            break;
        case 5:
            std::memset(record.description, 'D', sizeof record.description - 1);
            break;
        }
        QCOMPARE(uint(handle.Program(&record.d)), uint(FT_INVALID_PARAMETER));
        QCOMPARE(fake.wordWrites, 0);
    }

    // Opening reads the EEPROM once; reading the descriptor uses the cache and, on an adapter that
    // nobody reads data from, one request to see that it is still there.
    void descriptorComesFromTheCache() {
        auto transport = std::make_unique<tFakeTransport>();
        tFakeTransport& fake = *transport;
        tFtdiHandle handle(std::move(transport));
        QCOMPARE(uint(handle.LoadEeprom()), uint(FT_OK));
        tRecord record;
        QCOMPARE(uint(handle.ReadDescriptor(&record.d)), uint(FT_EEPROM_NOT_PROGRAMMED));
        fake.SetImage(builtImage(adapterIdentity(), tChipType::R));
        QCOMPARE(uint(handle.ReadDescriptor(&record.d)), uint(FT_EEPROM_NOT_PROGRAMMED)); // cached
        QCOMPARE(uint(handle.LoadEeprom()), uint(FT_OK));
        QCOMPARE(uint(handle.ReadDescriptor(&record.d)), uint(FT_OK));
        QCOMPARE(QByteArray(record.serial), QByteArray("AV000001"));
        QVERIFY(!fake.claimed);
        fake.gone = true;
        QCOMPARE(uint(handle.ReadDescriptor(&record.d)), uint(FT_IO_ERROR));
        fake.gone = false;
        QCOMPARE(uint(handle.ReadDescriptor(&record.d)), uint(FT_IO_ERROR)); // lost stays lost
    }

    void programmingWritesVerifiesAndRestores_data() {
        QTest::addColumn<int>("stuckWord");
        QTest::addColumn<uint>("status");
        QTest::newRow("verified") << -1 << uint(FT_OK);
        QTest::newRow("a word does not take") << 9 << uint(FT_IO_ERROR);
    }
    void programmingWritesVerifiesAndRestores() {
        QFETCH(int, stuckWord);
        QFETCH(uint, status);
        auto transport = std::make_unique<tFakeTransport>(tChipType::BM);
        tFakeTransport& fake = *transport;
        fake.latency = 5;
        fake.stuckWord = stuckWord;
        tFtdiHandle handle(std::move(transport));
        QCOMPARE(uint(handle.LoadEeprom()), uint(FT_OK)); // blank
        QCOMPARE(uint(handle.SetBaudRate(9600)), uint(FT_OK));
        QCOMPARE(uint(handle.SetDataCharacteristics(8, 0, 0)), uint(FT_OK));
        fake.log.clear();
        tRecord record;
        QCOMPARE(uint(handle.Program(&record.d)), status);
        QCOMPARE(fake.wordWrites, 64);
        QCOMPARE(fake.log, (std::vector<std::string>{"latency 119", "latency 5", "baud 9600", "data 800"}));
        tRecord readBack(adapterIdentity("", "", ""));
        if (status == FT_OK) {
            QCOMPARE(uint(handle.ReadDescriptor(&readBack.d)), uint(FT_OK));
            QCOMPARE(QByteArray(readBack.description), QByteArray("USB HS Serial Converter"));
            QCOMPARE(readBack.d.ProductId, uint16_t(0xDBC0));
        }
        handle.Close();
    }

    // The interface is taken over by the first data call only, and given back on close.
    void interfaceClaimedForDataOnly() {
        auto transport = std::make_unique<tFakeTransport>();
        tFakeTransport& fake = *transport;
        tFtdiHandle handle(std::move(transport));
        QCOMPARE(uint(handle.LoadEeprom()), uint(FT_OK));
        QVERIFY(!fake.claimed);
        uint32_t waiting = 99;
        QCOMPARE(uint(handle.QueueStatus(&waiting)), uint(FT_OK));
        QCOMPARE(waiting, 0u);
        QVERIFY(fake.claimed);
        QCOMPARE(uint(handle.QueueStatus(&waiting)), uint(FT_OK));
        QCOMPARE(fake.log, std::vector<std::string>{"claim"}); // no USB traffic for the queue
        QCOMPARE(uint(handle.SetFlowControl(0x0300, 0x11, 0x13)), uint(FT_INVALID_PARAMETER));
        QCOMPARE(uint(handle.SetDataCharacteristics(9, 0, 0)), uint(FT_INVALID_PARAMETER));
        handle.Close();
        QVERIFY(!fake.claimed);
        QCOMPARE(fake.log.back(), std::string("release"));
    }

    void readerThreadFillsTheQueue() {
        auto transport = std::make_unique<tFakeTransport>();
        tFakeTransport& fake = *transport;
        tFtdiHandle handle(std::move(transport));
        uint32_t waiting = 0, written = 0;
        QCOMPARE(uint(handle.Write("B", 1, &written)), uint(FT_OK));
        QCOMPARE(written, 1u);
        QVERIFY(fake.Deliver({0x01, 'P', 'I'}));
        QVERIFY(fake.Deliver({'0', '1'}));
        QCOMPARE(uint(handle.QueueStatus(&waiting)), uint(FT_OK));
        QCOMPARE(waiting, 5u);
        QByteArray taken;
        for (uint32_t i = 0; i < 5; ++i) {
            char byte = 0;
            uint32_t returned = 0;
            QCOMPARE(uint(handle.Read(&byte, 1, &returned)), uint(FT_OK));
            QCOMPARE(returned, 1u);
            taken += byte;
        }
        QCOMPARE(taken, QByteArray("\x01PI01"));
        char spare = 0;
        uint32_t returned = 9;
        QCOMPARE(uint(handle.Read(&spare, 1, &returned)), uint(FT_OK)); // never waits
        QCOMPARE(returned, 0u);

        QVERIFY(fake.Deliver({}, true));
        handle.Close(); // joining the reader makes its last step visible here
        QCOMPARE(uint(handle.QueueStatus(&waiting)), uint(FT_IO_ERROR));
        QCOMPARE(uint(handle.Read(&spare, 1, &returned)), uint(FT_IO_ERROR));
        QCOMPARE(uint(handle.Write("B", 1, &written)), uint(FT_IO_ERROR));
        tRecord record;
        QCOMPARE(uint(handle.ReadDescriptor(&record.d)), uint(FT_IO_ERROR));
        QCOMPARE(uint(handle.Program(&record.d)), uint(FT_IO_ERROR));
    }

    // uaccess is applied by systemd's 73-seat-late.rules: the rule must come before it and grant
    // access to exactly the programmed and the blank adapter, keeping ModemManager off the first.
    void udevRule() {
        QFile file(QStringLiteral(ZCFG_UDEV_RULE));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QVERIFY(QFileInfo(file).fileName() < QStringLiteral("73-seat-late.rules"));
        QStringList granted, modemManagerIgnores;
        const QRegularExpression vendor(QStringLiteral(R"re(ATTRS?\{idVendor\}=="([0-9a-f]{4})")re")),
            product(QStringLiteral(R"re(ATTRS?\{idProduct\}=="([0-9a-f]{4})")re"));
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#'))) continue;
            const QString ids =
                vendor.match(line).captured(1) + QLatin1Char(':') + product.match(line).captured(1);
            QVERIFY2(line.contains(QLatin1String(R"(SUBSYSTEM=="usb")")), qPrintable(line));
            if (line.contains(QLatin1String(R"(TAG+="uaccess")"))) granted << ids;
            if (line.contains(QLatin1String(R"(ENV{ID_MM_DEVICE_IGNORE}="1")"))) modemManagerIgnores << ids;
        }
        QCOMPARE(granted, QStringList({"0403:dbc0", "0403:6001"}));
        QCOMPARE(modemManagerIgnores, QStringList({"0403:dbc0"}));
    }

    void receiveBufferIsBounded() {
        tReceiveBuffer buffer;
        const std::vector<uint8_t> block(tReceiveBuffer::kCapacity - 1, 0x55);
        buffer.Append(block.data(), block.size());
        const uint8_t more[3] = {1, 2, 3};
        buffer.Append(more, 3);
        QCOMPARE(buffer.Size(), uint32_t(tReceiveBuffer::kCapacity));
        std::vector<uint8_t> all(tReceiveBuffer::kCapacity);
        QCOMPARE(buffer.Take(all.data(), uint32_t(all.size())), uint32_t(all.size()));
        QCOMPARE(all.back(), uint8_t(1));
        buffer.Append(more + 1, 2);
        uint8_t two[2] = {};
        QCOMPARE(buffer.Take(two, 2), 2u);
        QCOMPARE(two[1], uint8_t(3));
    }
};

QTEST_GUILESS_MAIN(TestFtdi)
#include "tst_ftdi.moc"
