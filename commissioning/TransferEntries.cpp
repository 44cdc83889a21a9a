#include "commissioning/TransferEntries.h"

#include "device/DeviceTypeTable.h"
#include "device/SimulatedAdapter.h"
#include "device/UnitZCfgFile.h"
#include "programmer/USBPanel.h"
#include "property/ValueDifferences.h"

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

tDeviceIdentity ConfigurationIdentity(tZCfgFile& configuration) {
    tDeviceIdentity identity;
    if (auto* transmitter = dynamic_cast<tIRRFDevice*>(configuration.Device())) {
        tIRRFFactoryRecord* record = transmitter->FactoryRecord();
        identity.FactoryData = record->GetRecordText();
        identity.HardwareRevision = record->HW()->Value();
        identity.FirmwareRevision = record->SW()->Value();
    } else if (auto* wired = dynamic_cast<tOtherDevice*>(configuration.Device())) {
        identity.FactoryData = wired->FactoryString()->Value();
        identity.FirmwareRevision = wired->Version()->Value();
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

    tZCfgFile* device = outcome.DeviceConfiguration.get();
    // A verified factory record is the device's own now; so is a transmitter's record a verified
    // Program took over when the device's own answer could not be kept.
    if ((action == tCommissioningAction::FactoryProgram && outcome.Verified) || (!device && outcome.Verified))
        device = &document;
    const tDeviceTypeInfo& type = DeviceTypeInfo(device ? device->GetDeviceType() : document.GetDeviceType());
    if (type.Type != dt_None) entry.DeviceType = QLatin1String(type.ModelName);
    if (device) entry.Identity = ConfigurationIdentity(*device);

    entry.Success = outcome.Ok() && (outcome.Kind != tTransferKind::Compare || outcome.Differences.isEmpty());
    entry.Result = outcome.Message;
    entry.Differences = context.Differences;
    if (entry.Differences.isEmpty())
        for (const tValueDifference& difference : outcome.Differences)
            entry.Differences << DifferenceLine(difference);

    const bool written = action == tCommissioningAction::Program || action == tCommissioningAction::Restore ||
                         action == tCommissioningAction::FactoryProgram;
    // The file as a full path: zcfg is given paths relative to where it runs.
    const QString file =
        document.FileName().isEmpty() ? QString() : QFileInfo(document.FileName()).absoluteFilePath();
    if (written) {
        entry.ConfigurationFile = file;
        entry.Configuration = ConfigurationText(document);
    } else if (outcome.DeviceConfiguration) {
        entry.Configuration = ConfigurationText(*outcome.DeviceConfiguration);
    }
    if (action == tCommissioningAction::Compare) entry.ConfigurationFile = file;
    entry.Comments = document.Comments()->Lines().join(QLatin1Char('\n'));
    return entry;
}
