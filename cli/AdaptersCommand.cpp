// zcfg adapters: every USB programming adapter the driver layer finds, with its identity and
// whether it can be used.
#include "cli/CliSupport.h"
#include "cli/CommandParser.h"
#include "cli/Commands.h"
#include "programmer/D2XX.h"

#include <QScopeGuard>

namespace {

// A descriptor record with its own string buffers.
struct DescriptorRecord {
    char manufacturer[kManufacturerCapacity] = {};
    char manufacturerId[kManufacturerIdCapacity] = {};
    char description[kDescriptionCapacity] = {};
    char serialNumber[kSerialNumberCapacity] = {};
    FT_DESCRIPTOR descriptor{};
    DescriptorRecord() {
        descriptor.Manufacturer = manufacturer;
        descriptor.ManufacturerId = manufacturerId;
        descriptor.Description = description;
        descriptor.SerialNumber = serialNumber;
    }
};

QString text(const char* bytes) {
    return QString::fromLatin1(bytes);
}

QString hex4(uint16_t value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

// One adapter's line: index, vendor:product, manufacturer, description, serial number, state.
QString describe(const D2XXEntryPoints& driver, int index, bool& refused) {
    QString ids = QStringLiteral("????:????");
    QString state;
    if (driver.ZCFG_GetAdapterInfo != nullptr) {
        ZCFG_ADAPTER_INFO info{};
        if (driver.ZCFG_GetAdapterInfo(index, &info) == FT_OK) {
            ids = hex4(info.VendorId) + QLatin1Char(':') + hex4(info.ProductId);
            if (info.Access == ZCFG_ADAPTER_NO_PERMISSION) state = QStringLiteral("no permission");
            if (info.Access == ZCFG_ADAPTER_IN_USE) state = QStringLiteral("in use");
        }
    }
    DescriptorRecord record;
    if (state.isEmpty() && driver.FT_Open != nullptr) {
        FT_HANDLE handle = nullptr;
        const FT_STATUS opened = driver.FT_Open(index, &handle);
        if (opened == FT_DEVICE_NOT_OPENED) {
            state = QStringLiteral("in use");
        } else if (opened != FT_OK) {
            state = QStringLiteral("not opened (status %1)").arg(opened);
        } else {
            const FT_STATUS read =
                driver.FT_EE_Read != nullptr ? driver.FT_EE_Read(handle, &record.descriptor) : FT_OK;
            if (read == FT_OK) {
                state = QStringLiteral("ready");
                if (driver.ZCFG_GetAdapterInfo == nullptr)
                    ids = hex4(record.descriptor.VendorId) + QLatin1Char(':') +
                          hex4(record.descriptor.ProductId);
            } else if (read == FT_EEPROM_NOT_PROGRAMMED) {
                state = QStringLiteral("blank EEPROM");
            } else {
                state = QStringLiteral("unreadable EEPROM (status %1)").arg(read);
            }
            if (driver.FT_Close != nullptr) driver.FT_Close(handle);
        }
    }
    refused = refused || state == QLatin1String("no permission");
    const auto field = [](const char* bytes) {
        return bytes[0] == '\0' ? QStringLiteral("-") : QLatin1Char('"') + text(bytes) + QLatin1Char('"');
    };
    return QStringLiteral("%1  %2  %3  %4  %5  %6")
        .arg(index)
        .arg(ids, field(record.manufacturer), field(record.description), field(record.serialNumber), state);
}

} // namespace

int CommandAdapters(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("adapters"),
        QStringLiteral("Lists the USB programming adapters attached: index, vendor:product, "
                       "manufacturer, description, serial number and state (ready, blank "
                       "EEPROM, no permission, in use)."));
    if (!command.Parse(arguments)) return command.ExitCode();
    if (!command.Parser().positionalArguments().isEmpty())
        return UsageError(QStringLiteral("adapters"), QStringLiteral("takes no arguments"));

    const D2XXEntryPoints& driver = D2XX::AcquireLibrary();
    const auto release = qScopeGuard([] { D2XX::ReleaseLibrary(); });
    if (!D2XX::LibraryLoaded() || driver.FT_ListDevices == nullptr) {
        PrintError(QStringLiteral("zcfg adapters: the adapter driver %1 could not be loaded")
                       .arg(D2XX::LibraryName()));
        return ExitProblems;
    }
    uint32_t count = 0;
    if (driver.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) count = 0;
    if (count == 0) {
        PrintError(
            QStringLiteral("No adapter found: connect the USB programming adapter (see \"Connecting the "
                           "adapter on Linux\" in the README)."));
        return ExitProblems;
    }
    bool refused = false;
    QStringList lines;
    for (int index = 0; index < static_cast<int>(count); ++index)
        lines << describe(driver, index, refused);
    PrintLines(lines);
    if (refused && driver.ZCFG_AccessHint != nullptr && driver.ZCFG_AccessHint() != nullptr)
        PrintError(text(driver.ZCFG_AccessHint()));
    return ExitSuccess;
}
