#include "commissioning/TransferEntries.h"

#include "device/DeviceTypeTable.h"
#include "device/SimulatedAdapter.h"
#include "device/UnitZCfgFile.h"
#include "programmer/USBPanel.h"
#include "property/ValueDifferences.h"
#include "transfer/DeviceIdentity.h"

#include <QFileInfo>

std::optional<tCommissioningAction> CommissioningActionOf(tTransferKind kind) {
    switch (kind) {
    case tTransferKind::Read:
        return tCommissioningAction::Read;
    case tTransferKind::Program:
        return tCommissioningAction::Program;
    case tTransferKind::FactoryProgram:
        return tCommissioningAction::FactoryProgram;
    case tTransferKind::Compare:
        return tCommissioningAction::Compare;
    case tTransferKind::Identify:
    case tTransferKind::None:
        break;
    }
    return std::nullopt;
}

// The identity the device reports (what backups are named by), in the log's fields: the revisions
// apart, the rest as the factory data (a wired device's factory string; a transmitter's works order
// and date of manufacture).
tLoggedIdentity ConfigurationIdentity(tZCfgFile& configuration) {
    const tDeviceIdentity reported = IdentifyDevice(configuration);
    tLoggedIdentity identity;
    QList<tIdentityField> factory;
    for (const tIdentityField& field : reported.Fields) {
        if (field.Name == QLatin1String("HW"))
            identity.HardwareRevision = field.Value;
        else if (field.Name == QLatin1String("SW") || field.Name == QLatin1String("Version"))
            identity.FirmwareRevision = field.Value;
        else
            factory << field;
    }
    if (factory.size() == 1) {
        identity.FactoryData = factory.first().Value;
    } else {
        QStringList parts;
        for (const tIdentityField& field : factory)
            parts << field.Name + QLatin1Char(' ') + field.Value;
        identity.FactoryData = parts.join(QStringLiteral(", "));
    }
    return identity;
}

QString ConfigurationText(tZCfgFile& document) {
    const bool modified = document.Modified();
    const tLines lines = document.ToLines();
    if (modified) document.SetModified(true);
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

QStringList ConfigurationLines(const QString& text) {
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = unified.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QString TransferAdapterName(const TUSBPanel& link) {
    return SimulatedAdapterDescription().isEmpty() ? link.SerialNo() : SimulatedAdapterName();
}

tCommissioningEntry TransferEntry(const tTransferOutcome& outcome, tZCfgFile& document,
                                  const tTransferContext& context) {
    tCommissioningEntry entry;
    const tCommissioningAction action =
        context.Action.value_or(CommissioningActionOf(outcome.Kind).value_or(tCommissioningAction::Read));
    entry.Action = CommissioningActionText(action);
    entry.AdapterSerial = context.AdapterSerial;
    entry.BackupFile = context.BackupFile;

    // What a Program wrote: another configuration than the document when it was given one.
    tZCfgFile& written = outcome.Programmed ? *outcome.Programmed : document;
    tZCfgFile* device = outcome.DeviceConfiguration.get();
    // A verified factory record is the device's own now; so is a transmitter's record a verified
    // Program took over when the device's own answer could not be kept.
    if ((action == tCommissioningAction::FactoryProgram && outcome.Verified) || (!device && outcome.Verified))
        device = &written;
    const tDeviceTypeInfo& type = DeviceTypeInfo(device ? device->GetDeviceType() : written.GetDeviceType());
    if (type.Type != dt_None) entry.DeviceType = QLatin1String(type.ModelName);
    if (device) entry.Identity = ConfigurationIdentity(*device);

    entry.Success = outcome.Ok() && (outcome.Kind != tTransferKind::Compare || outcome.Differences.isEmpty());
    entry.Result = outcome.Message;
    entry.Differences = context.Differences;
    if (entry.Differences.isEmpty())
        for (const tValueDifference& difference : outcome.Differences)
            entry.Differences << DifferenceLine(difference);

    const bool writes = action == tCommissioningAction::Program || action == tCommissioningAction::Restore ||
                        action == tCommissioningAction::FactoryProgram;
    // The file as a full path: zcfg is given paths relative to where it runs.
    const QString file =
        written.FileName().isEmpty() ? QString() : QFileInfo(written.FileName()).absoluteFilePath();
    if (writes) {
        entry.ConfigurationFile = file;
        entry.Configuration = ConfigurationText(written);
    } else if (outcome.DeviceConfiguration) {
        entry.Configuration = ConfigurationText(*outcome.DeviceConfiguration);
    }
    if (action == tCommissioningAction::Compare) entry.ConfigurationFile = file;
    entry.Comments = written.Comments()->Lines().join(QLatin1Char('\n'));
    return entry;
}
