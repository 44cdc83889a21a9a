#include "programmer/AdapterDiagnosis.h"

#include "programmer/USBPanel.h"

#include <algorithm>

namespace {

constexpr uint16_t kFtdiVendorId = 0x0403;
constexpr uint16_t kAdapterProductId = 0xDBC0;
constexpr uint16_t kBlankAdapterProductId = 0x6001;

QString hex4(uint16_t value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

bool adapterIds(uint16_t vendorId, uint16_t productId) {
    return vendorId == kFtdiVendorId &&
           (productId == kAdapterProductId || productId == kBlankAdapterProductId);
}

// Opens the adapter just long enough to read its identity.
void readIdentity(const D2XXEntryPoints& driver, tListedAdapter& adapter) {
    if (driver.FT_Open == nullptr) return;
    FT_HANDLE handle = nullptr;
    const FT_STATUS opened = driver.FT_Open(adapter.index, &handle);
    if (opened != FT_OK) {
        // Status 3 is the driver's answer for a device another program holds.
        adapter.state = opened == FT_DEVICE_NOT_OPENED ? tListedAdapter::InUse : tListedAdapter::NotOpened;
        adapter.status = opened;
        return;
    }
    TUSBDescriptor record;
    const FT_STATUS read = driver.FT_EE_Read != nullptr ? driver.FT_EE_Read(handle, &record.Record()) : FT_OK;
    record.Repair();
    if (driver.FT_Close != nullptr) driver.FT_Close(handle);
    adapter.status = read;
    if (read == FT_EEPROM_NOT_PROGRAMMED) {
        adapter.state = tListedAdapter::BlankEEPROM;
        return;
    }
    if (read != FT_OK) {
        adapter.state = tListedAdapter::UnreadableEEPROM;
        return;
    }
    const FT_DESCRIPTOR& identity = record.Record();
    adapter.manufacturer = TUSBDescriptor::ReadString(identity.Manufacturer, kManufacturerCapacity);
    adapter.description = TUSBDescriptor::ReadString(identity.Description, kDescriptionCapacity);
    adapter.serialNumber = TUSBDescriptor::ReadString(identity.SerialNumber, kSerialNumberCapacity);
    if (adapter.vendorId == 0 && adapter.productId == 0) {
        adapter.vendorId = identity.VendorId;
        adapter.productId = identity.ProductId;
    }
    // Only an EEPROM holding the adapter's identity makes a programming adapter; any other FT232 is
    // someone's serial cable.
    const bool holdsAdapterIds =
        identity.VendorId == kFtdiVendorId && identity.ProductId == kAdapterProductId;
    adapter.state =
        driver.FT_EE_Read == nullptr || holdsAdapterIds ? tListedAdapter::Ready : tListedAdapter::OtherDevice;
}

tAdapterDiagnosis diagnosis(tAdapterProblem problem, const QString& cause, const QString& remedy) {
    return {problem, cause, remedy};
}

tAdapterDiagnosis noPermission(uint32_t permission) {
    const QString found = QStringLiteral("The programming adapter was found but this user may not open it.");
    switch (permission) {
    case ZCFG_PERMISSION_NOT_APPLIED:
        return diagnosis(
            tAdapterProblem::NoPermission, found,
            QStringLiteral("The udev rule is installed but has not reached the adapter yet: plug "
                           "the adapter in again."));
    case ZCFG_PERMISSION_NOT_LOCAL:
        return diagnosis(
            tAdapterProblem::NoPermission,
            QStringLiteral("The programming adapter was found but only the user logged in at this "
                           "computer may open it."),
            QStringLiteral("Run the program in that local session, not over ssh, remote desktop "
                           "or su."));
    default:
        return diagnosis(
            tAdapterProblem::NoPermission, found,
            QStringLiteral("Install the udev rule (see Help, Connecting the adapter on Linux) and "
                           "plug the adapter in again."));
    }
}

tAdapterDiagnosis inUse(const QString& holder) {
    if (holder == QLatin1String("brltty"))
        return diagnosis(tAdapterProblem::InUse,
                         QStringLiteral("The programming adapter is held by brltty, the Braille display "
                                        "service."),
                         QStringLiteral("If no Braille display is used, remove brltty (sudo apt remove "
                                        "brltty) and plug the adapter in again."));
    if (holder == QLatin1String("ModemManager"))
        return diagnosis(tAdapterProblem::InUse,
                         QStringLiteral("The programming adapter is held by ModemManager, which probes "
                                        "serial ports."),
                         QStringLiteral("Install the udev rule (see Help, Connecting the adapter on Linux), "
                                        "which tells ModemManager to leave the adapter alone, and plug the "
                                        "adapter in again."));
    return diagnosis(tAdapterProblem::InUse,
                     QStringLiteral("The programming adapter is in use by another program."),
                     QStringLiteral("Close the other program that uses it, then try again."));
}

} // namespace

QString tAdapterDiagnosis::Line() const {
    if (problem == tAdapterProblem::None) return {};
    return cause + QLatin1Char(' ') + remedy;
}

QString tListedAdapter::StateText() const {
    switch (state) {
    case Ready:
        return QStringLiteral("ready");
    case BlankEEPROM:
        return QStringLiteral("blank EEPROM");
    case NoPermission:
        return QStringLiteral("no permission");
    case InUse:
        return holder.isEmpty() ? QStringLiteral("in use") : QStringLiteral("in use by ") + holder;
    case NotOpened:
        return QStringLiteral("not opened (status %1)").arg(status);
    case UnreadableEEPROM:
        return QStringLiteral("unreadable EEPROM (status %1)").arg(status);
    case OtherDevice:
        return QStringLiteral("other FTDI device, not an adapter");
    }
    return {};
}

QList<tListedAdapter> SurveyAdapters(const D2XXEntryPoints& driver) {
    QList<tListedAdapter> adapters;
    if (driver.FT_ListDevices == nullptr) return adapters;
    uint32_t count = 0;
    if (driver.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) count = 0;
    for (int index = 0; index < int(std::min<uint32_t>(count, 64)); ++index) {
        tListedAdapter adapter;
        adapter.index = index;
        ZCFG_ADAPTER_INFO info{};
        if (driver.ZCFG_GetAdapterInfo != nullptr && driver.ZCFG_GetAdapterInfo(index, &info) == FT_OK) {
            adapter.vendorId = info.VendorId;
            adapter.productId = info.ProductId;
            adapter.location =
                QString::fromLatin1(info.Location, int(qstrnlen(info.Location, sizeof info.Location)));
            adapter.chip = QString::fromLatin1(info.Chip, int(qstrnlen(info.Chip, sizeof info.Chip)));
            if (!adapterIds(info.VendorId, info.ProductId)) {
                adapter.state = tListedAdapter::OtherDevice; // never opened: it belongs to something else
            } else if (info.Access == ZCFG_ADAPTER_NO_PERMISSION) {
                adapter.state = tListedAdapter::NoPermission;
                adapter.permission = info.Permission;
            } else if (info.Access == ZCFG_ADAPTER_IN_USE) {
                adapter.state = tListedAdapter::InUse;
                adapter.holder =
                    QString::fromLatin1(info.Holder, int(qstrnlen(info.Holder, sizeof info.Holder)));
            } else {
                readIdentity(driver, adapter);
            }
        } else {
            readIdentity(driver, adapter);
        }
        adapters << adapter;
    }
    return adapters;
}

tAdapterDiagnosis Diagnose(const QList<tListedAdapter>& adapters) {
    const auto first = [&](tListedAdapter::tState state) -> const tListedAdapter* {
        for (const tListedAdapter& adapter : adapters)
            if (adapter.state == state) return &adapter;
        return nullptr;
    };
    if (first(tListedAdapter::Ready)) return {};
    if (const tListedAdapter* a = first(tListedAdapter::NoPermission)) return noPermission(a->permission);
    if (const tListedAdapter* a = first(tListedAdapter::InUse)) return inUse(a->holder);
    if (first(tListedAdapter::BlankEEPROM))
        return diagnosis(tAdapterProblem::BlankEEPROM,
                         QStringLiteral("The programming adapter was found but has a blank EEPROM."),
                         QStringLiteral("Program it in factory mode (the adapter self-test)."));
    for (const tListedAdapter& a : adapters)
        if (a.state == tListedAdapter::NotOpened || a.state == tListedAdapter::UnreadableEEPROM)
            return diagnosis(
                tAdapterProblem::NotOpened,
                a.state == tListedAdapter::NotOpened
                    ? QStringLiteral("The programming adapter could not be opened (status %1).").arg(a.status)
                    : QStringLiteral("The programming adapter's EEPROM could not be read "
                                     "(status %1).")
                          .arg(a.status),
                QStringLiteral("Unplug the adapter, plug it in again and try again."));
    return diagnosis(tAdapterProblem::NoAdapter, QStringLiteral("No programming adapter was found."),
                     QStringLiteral("Plug the adapter in and try again."));
}

tAdapterDiagnosis DiagnoseAdapters() {
    const D2XXEntryPoints& driver = D2XX::AcquireLibrary();
    tAdapterDiagnosis result;
    if (!D2XX::LibraryLoaded() || driver.FT_ListDevices == nullptr)
        result =
            diagnosis(tAdapterProblem::NoDriver,
                      QStringLiteral("The adapter driver %1 could not be loaded.").arg(D2XX::LibraryName()),
                      QStringLiteral("Reinstall the program, or correct ZCFG_D2XX_LIBRARY."));
    else
        result = Diagnose(SurveyAdapters(driver));
    D2XX::ReleaseLibrary();
    return result;
}

QString DescribeAdapter(const D2XXEntryPoints& driver, int index) {
    ZCFG_ADAPTER_INFO info{};
    if (driver.ZCFG_GetAdapterInfo == nullptr || driver.ZCFG_GetAdapterInfo(index, &info) != FT_OK)
        return QStringLiteral("the adapter at index %1").arg(index);
    return QStringLiteral("%1 at USB %2 (%3:%4)")
        .arg(QString::fromLatin1(info.Chip, int(qstrnlen(info.Chip, sizeof info.Chip))),
             QString::fromLatin1(info.Location, int(qstrnlen(info.Location, sizeof info.Location))),
             hex4(info.VendorId), hex4(info.ProductId));
}
