// Listing adapters through libusb against mocked USB devices (umockdev): which devices count, in
// which order, and that a removed one disappears. Runs under umockdev-run; skips with its reason
// where the mock environment is missing. libusb learns of devices plugged in later from hotplug
// events; here each listing starts from a freshly loaded driver layer, which scans the bus.
#include "programmer/D2XX.h"

#include <QtTest>
#include <umockdev.h>

namespace {

// A full-speed FTDI device descriptor followed by one configuration with one interface.
QByteArray descriptors(uint16_t vendor, uint16_t product, uint16_t release) {
    const char device[18] = {18,
                             1,
                             0x00,
                             0x02,
                             0,
                             0,
                             0,
                             8,
                             char(vendor & 0xFF),
                             char(vendor >> 8),
                             char(product & 0xFF),
                             char(product >> 8),
                             char(release & 0xFF),
                             char(release >> 8),
                             1,
                             2,
                             3,
                             1};
    const char configuration[] = {9, 2,          32,         0,          1, 1, 0, char(0x80), 45, 9,  4, 0, 0,
                                  2, char(0xFF), char(0xFF), char(0xFF), 2, 7, 5, char(0x81), 2,  64, 0, 0, 7,
                                  5, 0x02,       2,          64,         0, 0};
    return QByteArray(device, sizeof device) + QByteArray(configuration, sizeof configuration);
}

} // namespace

class TestFtdiEnumeration : public QObject {
    Q_OBJECT
    UMockdevTestbed* testbed_ = nullptr;
    const D2XXEntryPoints* driver_ = nullptr;

    QString addDevice(const char* name, int bus, int address, uint16_t vendor, uint16_t product) {
        const QByteArray busText = QByteArray::number(bus), addressText = QByteArray::number(address);
        const QByteArray node = QStringLiteral("/dev/bus/usb/%1/%2")
                                    .arg(bus, 3, 10, QLatin1Char('0'))
                                    .arg(address, 3, 10, QLatin1Char('0'))
                                    .toLatin1();
        const QByteArray vendorText = QByteArray::number(vendor, 16).rightJustified(4, '0');
        const QByteArray productText = QByteArray::number(product, 16).rightJustified(4, '0');
        gchar* path = umockdev_testbed_add_device(
            testbed_, "usb", name, nullptr, "busnum", busText.constData(), "devnum", addressText.constData(),
            "idVendor", vendorText.constData(), "idProduct", productText.constData(), "speed", "12",
            "bConfigurationValue", "1", "bNumConfigurations", "1", nullptr, "DEVTYPE", "usb_device",
            "DEVNAME", node.constData(), "BUSNUM", busText.constData(), "DEVNUM", addressText.constData(),
            nullptr);
        QByteArray bytes = descriptors(vendor, product, 0x0600);
        umockdev_testbed_set_attribute_binary(testbed_, path, "descriptors",
                                              reinterpret_cast<guint8*>(bytes.data()), bytes.size());
        const QString result = QString::fromUtf8(path);
        g_free(path);
        return result;
    }

    // Loads the driver layer afresh, so its libusb context scans the mocked bus.
    void reload() {
        if (driver_ != nullptr) D2XX::ReleaseLibrary();
        driver_ = &D2XX::AcquireLibrary();
    }

    uint32_t count() {
        uint32_t n = 99;
        if (driver_->FT_ListDevices(&n, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) return 99;
        return n;
    }

    QStringList listing() {
        QStringList entries;
        const uint32_t n = count();
        for (int i = 0; i < int(n); ++i) {
            ZCFG_ADAPTER_INFO info{};
            if (const FT_STATUS s = driver_->ZCFG_GetAdapterInfo(i, &info); s != FT_OK)
                return {QStringLiteral("failed %1 of %2: %3").arg(i).arg(n).arg(s)};
            entries << QStringLiteral("%1 %2:%3")
                           .arg(QLatin1String(info.Location))
                           .arg(info.VendorId, 4, 16, QLatin1Char('0'))
                           .arg(info.ProductId, 4, 16, QLatin1Char('0'));
        }
        return entries;
    }

private Q_SLOTS:
    void initTestCase() {
        if (!umockdev_in_mock_environment())
            QSKIP("needs the umockdev mock environment: run under umockdev-run (package umockdev)");
        testbed_ = umockdev_testbed_new();
        // The root hubs the adapters hang from.
        for (int bus : {1, 2}) {
            const QByteArray name = "usb" + QByteArray::number(bus), busText = QByteArray::number(bus);
            g_free(umockdev_testbed_add_device(
                testbed_, "usb", name.constData(), nullptr, "busnum", busText.constData(), "devnum", "1",
                "idVendor", "1d6b", "idProduct", "0002", nullptr, "DEVTYPE", "usb_device", nullptr));
        }
        qputenv("ZCFG_D2XX_LIBRARY", ZCFG_FTDI_LIBRARY);
        reload();
        QVERIFY2(driver_->FT_ListDevices && driver_->ZCFG_GetAdapterInfo, "the driver layer did not load");
    }
    void cleanupTestCase() {
        if (driver_ != nullptr) D2XX::ReleaseLibrary();
        if (testbed_ != nullptr) g_object_unref(testbed_);
    }

    void noAdapters() {
        reload();
        QCOMPARE(count(), 0u);
    }

    // A blank adapter, an unrelated FTDI device and a programmed adapter plugged in out of order.
    void listedInBusAndPortOrder() {
        addDevice("2-1", 2, 5, 0x0403, 0xDBC0);
        addDevice("1-4", 1, 4, 0x0403, 0x6002); // an FTDI device that is not an adapter
        addDevice("1-3", 1, 3, 0x0403, 0x6001);
        addDevice("1-1", 1, 2, 0x0403, 0xDBC0);
        addDevice("1-2", 1, 6, 0x046d, 0xc077); // not FTDI at all
        reload();
        QCOMPARE(listing(), QStringList({"1-1 0403:dbc0", "1-3 0403:6001", "2-1 0403:dbc0"}));
        QCOMPARE(listing(), listing()); // the same from one listing to the next
    }

    void removedAdapterDisappears() {
        umockdev_testbed_remove_device(testbed_, "/sys/devices/1-3");
        reload();
        QCOMPARE(listing(), QStringList({"1-1 0403:dbc0", "2-1 0403:dbc0"}));
    }
};

QTEST_GUILESS_MAIN(TestFtdiEnumeration)
#include "tst_ftdi_enum.moc"
