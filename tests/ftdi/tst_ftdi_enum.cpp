// Listing adapters through libusb against mocked USB devices (umockdev): which devices count, in
// which order, and that a removed one disappears. Runs under umockdev-run; skips with its reason
// where the mock environment is missing. libusb learns of devices plugged in later from hotplug
// events; here each listing starts from a freshly loaded driver layer, which scans the bus.
#include "programmer/D2XX.h"

#include <QtEndian>
#include <QtTest>
#include <umockdev.h>

class TestFtdiEnumeration : public QObject {
    Q_OBJECT
    UMockdevTestbed* testbed_ = nullptr;
    const D2XXEntryPoints* driver_ = nullptr;

    void addDevice(const char* name, int bus, int address, uint16_t vendor, uint16_t product) {
        const QByteArray busText = QByteArray::number(bus), addressText = QByteArray::number(address);
        const QByteArray node = QString::asprintf("/dev/bus/usb/%03d/%03d", bus, address).toLatin1();
        const QByteArray vendorText = QString::asprintf("%04x", vendor).toLatin1(),
                         productText = QString::asprintf("%04x", product).toLatin1();
        gchar* path = umockdev_testbed_add_device(
            testbed_, "usb", name, nullptr, "busnum", busText.constData(), "devnum", addressText.constData(),
            "idVendor", vendorText.constData(), "idProduct", productText.constData(), "speed", "12",
            "bConfigurationValue", "1", "bNumConfigurations", "1", nullptr, "DEVTYPE", "usb_device",
            "DEVNAME", node.constData(), "BUSNUM", busText.constData(), "DEVNUM", addressText.constData(),
            nullptr);
        // A full-speed device of release 6.00 with one configuration of one interface, two endpoints.
        QByteArray descriptors = QByteArray::fromHex("12010002000000080000000000060102030109022000010100802d"
                                                     "0904000002ffffff020705810240000007050202400000");
        qToLittleEndian(vendor, descriptors.data() + 8);
        qToLittleEndian(product, descriptors.data() + 10);
        umockdev_testbed_set_attribute_binary(
            testbed_, path, "descriptors", reinterpret_cast<guint8*>(descriptors.data()), descriptors.size());
        g_free(path);
    }

    // The adapters the driver layer lists, each as location and ids. It is loaded afresh, so its
    // libusb context scans the mocked bus.
    QStringList listing() {
        if (driver_ != nullptr) D2XX::ReleaseLibrary();
        driver_ = &D2XX::AcquireLibrary();
        if (!driver_->FT_ListDevices || !driver_->ZCFG_GetAdapterInfo)
            return {"the driver layer did not load"};
        uint32_t n = 0;
        if (const FT_STATUS s = driver_->FT_ListDevices(&n, nullptr, FT_LIST_NUMBER_ONLY); s != FT_OK)
            return {QStringLiteral("listing failed: %1").arg(s)};
        QStringList entries;
        for (int i = 0; i < int(n); ++i) {
            ZCFG_ADAPTER_INFO info{};
            if (const FT_STATUS s = driver_->ZCFG_GetAdapterInfo(i, &info); s != FT_OK)
                return {QStringLiteral("failed %1 of %2: %3").arg(i).arg(n).arg(s)};
            entries << QString::asprintf("%s %04x:%04x", info.Location, info.VendorId, info.ProductId);
        }
        return entries;
    }

private Q_SLOTS:
    void initTestCase() {
        if (!umockdev_in_mock_environment())
            QSKIP("needs the umockdev mock environment: run under umockdev-run (package umockdev)");
        testbed_ = umockdev_testbed_new();
        // The root hubs the adapters hang from.
        for (const char* bus : {"1", "2"})
            g_free(umockdev_testbed_add_device(
                testbed_, "usb", (QByteArray("usb") + bus).constData(), nullptr, "busnum", bus, "devnum", "1",
                "idVendor", "1d6b", "idProduct", "0002", nullptr, "DEVTYPE", "usb_device", nullptr));
        qputenv("ZCFG_D2XX_LIBRARY", ZCFG_FTDI_LIBRARY);
    }
    void cleanupTestCase() {
        if (driver_ != nullptr) D2XX::ReleaseLibrary();
        if (testbed_ != nullptr) g_object_unref(testbed_);
    }

    // Nothing at first; then a blank adapter, an unrelated FTDI device and a programmed adapter plugged
    // in out of order; then one of them removed.
    void listedInBusAndPortOrder() {
        QCOMPARE(listing(), QStringList());
        addDevice("2-1", 2, 5, 0x0403, 0xDBC0);
        addDevice("1-4", 1, 4, 0x0403, 0x6002); // an FTDI device that is not an adapter
        addDevice("1-3", 1, 3, 0x0403, 0x6001);
        addDevice("1-1", 1, 2, 0x0403, 0xDBC0);
        addDevice("1-2", 1, 6, 0x046d, 0xc077); // not FTDI at all
        QCOMPARE(listing(), QStringList({"1-1 0403:dbc0", "1-3 0403:6001", "2-1 0403:dbc0"}));
        QCOMPARE(listing(), listing()); // the same from one listing to the next
        umockdev_testbed_remove_device(testbed_, "/sys/devices/1-3");
        QCOMPARE(listing(), QStringList({"1-1 0403:dbc0", "2-1 0403:dbc0"}));
    }
};

QTEST_GUILESS_MAIN(TestFtdiEnumeration)
#include "tst_ftdi_enum.moc"
