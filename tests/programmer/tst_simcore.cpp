// The virtual devices and the simulated driver, without the link.

#include "sim/Simulator.h"

#include <QTest>

using namespace zsim;

namespace {
const QByteArray kEnquiry(5, '\x05');

QByteArray feed(VirtualDevice& device, const QByteArray& bytes, const DeviceFaults& faults = {}) {
    QByteArray reply;
    for (char c : bytes)
        reply += device.Receive(uint8_t(c), faults);
    return reply;
}

// Drives a request through the driver entry points and returns what is readable at the next poll.
QByteArray exchange(Simulator& sim, FT_HANDLE handle, const QByteArray& request) {
    uint32_t n = 0;
    sim.Write(handle, request.constData(), uint32_t(request.size()), &n);
    sim.ListDevices(&n, nullptr, FT_LIST_NUMBER_ONLY);
    QByteArray out;
    uint32_t waiting = 0;
    while (sim.GetQueueStatus(handle, &waiting) == FT_OK && waiting > 0) {
        char c = 0;
        sim.Read(handle, &c, 1, &n);
        out.append(c);
    }
    return out;
}
} // namespace

class TestSimCore : public QObject {
    Q_OBJECT
private slots:
    void checkByteOfTheRelayExample() {
        // The relay's reply frame and its programming frame as the configurator knows them.
        QCOMPARE(CheckByte("PI010102ABCDEFGHIJKLMNOP050328"), uint8_t(0x7C));
        QCOMPARE(Frame("28"), QByteArray("\x01"
                                         "28"
                                         "\x04\x6F"));
    }

    void answersOnlyWhenWoken_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QByteArrayList>("records");
        QTest::newRow("staff") << "staff"
                               << QByteArrayList{
                                      "FD2 SW02A0 HW00T0 W/O 000000 Date 01/02/09 CC000 SF007 CN Arvel",
                                      "UD1PT1BT11BT21BT31CO0BP10BP20BP30RF10RF20RF30TM0ID1IC000BV1GP000"};
        QTest::newRow("mpd monitor point")
            << "mpd-monitor-point" << QByteArrayList{"PI000201ZENTARA-SIM-00010101490A00"};
        QTest::newRow("zone indicator")
            << "zone-indicator" << QByteArrayList{"PI020201ZENTARA-SIM-000101010000242424242421C345"};
    }

    void answersOnlyWhenWoken() {
        QFETCH(QString, keyword);
        QFETCH(QByteArrayList, records);
        DeviceType type{};
        QVERIFY(DeviceTypeFromKeyword(keyword, type));
        VirtualDevice device(type);
        QVERIFY(feed(device, kEnquiry).isEmpty());
        QByteArray expected;
        for (const QByteArray& r : records)
            expected += Frame(r);
        QCOMPARE(feed(device, "B" + kEnquiry), expected);
        QVERIFY(feed(device, kEnquiry).isEmpty());                 // each request needs its own wake-up
        QVERIFY(feed(device, "B\x05\x05x\x05\x05\x05").isEmpty()); // the five ENQ bytes must be consecutive
    }

    void framesAreStoredAndAcknowledged() {
        VirtualDevice relay(dt_Relay_Output);
        QCOMPARE(feed(relay, "B" + Frame("28")), Frame("OK"));
        QCOMPARE(relay.PiRecord(), QByteArray("PI010102ZENTARA-SIM-000101012"
                                              "8"));
        QVERIFY(feed(relay, "B" + Frame("FD1 SW")).isEmpty()); // wired devices take no factory data
        QByteArray badCheck = Frame("77");
        badCheck.back() = char(badCheck.back() + 1);
        QVERIFY(feed(relay, "B" + badCheck).isEmpty());
        QVERIFY(relay.PiRecord().endsWith("28"));
        QCOMPARE(relay.FramesRejected(), 2);

        VirtualDevice staff(dt_Staff_Transmitter);
        const QByteArray fd = "FD1 SW02A0 HW00T0 W/O 123456 Date 01/02/09 CC012 CN X";
        QCOMPARE(feed(staff, "B" + Frame(fd)), Frame("OK") + Frame(fd));
        QCOMPARE(staff.FdRecord(), fd);
        QVERIFY(feed(staff, "B" + Frame("XX")).isEmpty());
    }

    void noiseDoesNotGrowWithoutBound() {
        VirtualDevice staff(dt_Staff_Transmitter);
        QVERIFY(feed(staff, "\x01" + QByteArray(5000, 'A')).isEmpty());
        QCOMPARE(feed(staff, "B" + kEnquiry).count('\x01'), 2); // back in step after the noise
    }

    void scenarioReplacesTheSetup() {
        Simulator sim;
        const QByteArray json = R"({"adapters": [
            {"serial": "AV000009", "device": "relay", "records": {"pi": "PI01XYZ"}},
            {"product": "6001", "blank": true, "attached": false, "device": "none"}]})";
        QString error;
        QVERIFY2(sim.LoadScenarioJson(json, &error), qPrintable(error));
        QCOMPARE(sim.AdapterCount(), 2);
        uint32_t count = 0;
        QCOMPARE(sim.ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
        QCOMPARE(count, 1u);
        FT_HANDLE handle = nullptr;
        QCOMPARE(sim.Open(0, &handle), FT_OK);
        QCOMPARE(exchange(sim, handle, "B" + kEnquiry), Frame("PI01XYZ"));
        QCOMPARE(sim.AdapterAt(1)->eeprom.product, uint16_t(0x6001));

        for (const QByteArray& bad :
             {QByteArray("{"), QByteArray("[]"), QByteArray(R"({"adapters":[{"device":"toaster"}]})"),
              QByteArray(R"({"adapters":[{"vendor":"12345"}]})")}) {
            QVERIFY(!sim.LoadScenarioJson(bad, &error));
            QVERIFY(!error.isEmpty());
            QCOMPARE(sim.AdapterCount(), 2); // the previous setup stays
        }
    }

    void blankEEPROMUntilProgrammed() {
        Simulator sim;
        Identity blank;
        blank.blank = true;
        sim.AddAdapter(blank, std::nullopt);
        FT_HANDLE handle = nullptr;
        QCOMPARE(sim.Open(0, &handle), FT_OK);
        char m[kManufacturerCapacity], mi[kManufacturerIdCapacity], d[kDescriptionCapacity],
            s[kSerialNumberCapacity];
        FT_DESCRIPTOR record{};
        record.Manufacturer = m;
        record.ManufacturerId = mi;
        record.Description = d;
        record.SerialNumber = s;
        QCOMPARE(sim.EERead(handle, &record), FT_STATUS(15));
        qstrcpy(m, "Arvel");
        qstrcpy(mi, "AV");
        qstrcpy(d, "Desc");
        qstrcpy(s, "AV000042");
        record.VendorId = 0x0403;
        record.ProductId = 0xDBC0;
        QCOMPARE(sim.EEProgram(handle, &record), FT_OK);
        std::memset(s, 'x', sizeof s);
        QCOMPARE(sim.EERead(handle, &record), FT_OK);
        QCOMPARE(QByteArray(s), QByteArray("AV000042"));
        QCOMPARE(sim.Open(0, &handle), FT_STATUS(3)); // already open
    }

    void statusesAndUnpluggedHandles() {
        Simulator sim;
        sim.LoadKeyword(QStringLiteral("none"));
        FT_HANDLE handle = nullptr;
        QCOMPARE(sim.Open(1, &handle), FT_STATUS(2));
        QCOMPARE(sim.Open(0, &handle), FT_OK);
        sim.SetFailingStatus(QStringLiteral("FT_Write"), 4);
        uint32_t n = 0;
        QCOMPARE(sim.Write(handle, "B", 1, &n), FT_STATUS(4));
        sim.SetFailingStatus(QStringLiteral("FT_Write"), 0);
        QCOMPARE(sim.Write(handle, "B", 1, &n), FT_OK);
        sim.Detach(0);
        QCOMPARE(sim.GetQueueStatus(handle, &n), FT_STATUS(4));
        sim.Attach(0);
        QCOMPARE(sim.GetQueueStatus(handle, &n), FT_STATUS(1)); // the old handle died with the unplug
        QCOMPARE(sim.Read(nullptr, nullptr, 1, &n), FT_STATUS(1));
    }

    void pacedAtNineThousandSixHundredBaud() {
        Simulator sim;
        sim.LoadKeyword(QStringLiteral("relay"));
        sim.SetPacing(Pacing::Clock);
        FT_HANDLE handle = nullptr;
        sim.Open(0, &handle);
        QVERIFY(exchange(sim, handle, "B" + kEnquiry).isEmpty());
        sim.AdvanceClock(3 * Simulator::kByteTimeUs);
        QCOMPARE(exchange(sim, handle, {}).size(), 3);
        sim.AdvanceClock(1000 * Simulator::kByteTimeUs);
        QCOMPARE(exchange(sim, handle, {}).size(), Frame(sim.AdapterAt(0)->device->PiRecord()).size() - 3);
    }
};

QTEST_GUILESS_MAIN(TestSimCore)
#include "tst_simcore.moc"
