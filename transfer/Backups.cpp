#include "transfer/Backups.h"

#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "property/PelError.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

const QString KeepBackupsSetting = QStringLiteral("Keep Backups");

namespace {
// The time in a backup's name; a second backup within the same second gets "-2", "-3"...
const QString stampFormat = QStringLiteral("yyyyMMdd'T'HHmmss'Z'");
const QRegularExpression
    namePattern(QStringLiteral("^([a-z0-9-]+)_(.*)_(\\d{8}T\\d{6}Z)(?:-(\\d+))?\\.zcf$"));
const QString suffix = QStringLiteral(".zcf");

QString backupNote(const tDeviceIdentity& identity, const QDateTime& taken) {
    return QStringLiteral("Backup of the %1, read from the device on %2 UTC before it was programmed.")
        .arg(identity.Description(), taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}
} // namespace

bool BackupsOnInUserSettings() {
    // The store and key the editor's settings (TPelRegistry) use.
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                             QStringLiteral("Zentara Configurator"));
    bool ok = false;
    const int value = settings.value(KeepBackupsSetting, 1).toInt(&ok);
    return !ok || value != 0;
}

QString DefaultBackupFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/backups");
}

tBackupStore::tBackupStore(QString folder) : folder_(std::move(folder)) {}

QString tBackupStore::Write(const tZCfgFile& device, QString& error, const QDateTime& taken) const {
    const tDeviceIdentity identity = IdentifyDevice(device);
    const QDateTime utc = taken.toUTC();
    if (!QDir().mkpath(folder_)) {
        error = QStringLiteral("the folder cannot be made");
        return QString();
    }
    const QString base = QStringLiteral("%1_%2_%3")
                             .arg(QLatin1String(DeviceTypeInfo(identity.Type).Keyword),
                                  identity.FileNamePart(), utc.toString(stampFormat));
    QDir dir(folder_);
    QString path = dir.filePath(base + suffix);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2%3").arg(base).arg(n).arg(suffix));
    // The scratch document read from the device belongs to the transfer; a copy carries the note.
    std::unique_ptr<tZCfgFile> copy = const_cast<tZCfgFile&>(device).ScratchCopy();
    copy->Comments()->SetLinesFrom({backupNote(identity, utc)});
    if (!copy->SaveToFile(path, error)) return QString();
    return path;
}

bool tBackupStore::ParseName(const QString& fileName, tBackupEntry& entry) {
    const QRegularExpressionMatch match = namePattern.match(fileName);
    if (!match.hasMatch()) return false;
    const tDevType type = DeviceTypeFromKeyword(match.captured(1));
    const QDateTime local = QDateTime::fromString(match.captured(3), stampFormat);
    if (type == dt_None || !local.isValid()) return false;
    const QDateTime taken(local.date(), local.time(), Qt::UTC);
    // Backups taken within one second keep their order.
    entry.Taken = taken.addMSecs(match.captured(4).isEmpty() ? 0 : match.captured(4).toInt());
    entry.Type = type;
    entry.Identity = match.captured(2);
    return true;
}

QList<tBackupEntry> tBackupStore::All() const {
    QList<tBackupEntry> entries;
    const QDir dir(folder_);
    for (const QString& name : dir.entryList({QStringLiteral("*") + suffix}, QDir::Files)) {
        tBackupEntry entry;
        if (!ParseName(name, entry)) continue;
        entry.FilePath = dir.filePath(name);
        entries << entry;
    }
    std::sort(entries.begin(), entries.end(), [](const tBackupEntry& a, const tBackupEntry& b) {
        return a.Taken != b.Taken ? a.Taken > b.Taken : a.FilePath > b.FilePath;
    });
    return entries;
}

QList<tBackupEntry> tBackupStore::BackupsOf(const tDeviceIdentity& identity) const {
    QList<tBackupEntry> found;
    if (!identity.IsKnown()) return found;
    const tDeviceClass deviceClass = DeviceTypeInfo(identity.Type).Class;
    for (const tBackupEntry& entry : All()) {
        if (DeviceTypeInfo(entry.Type).Class != deviceClass || entry.Identity != identity.FileNamePart())
            continue;
        QString error;
        const std::unique_ptr<tZCfgFile> backup = LoadBackup(entry.FilePath, error);
        if (backup && IdentifyDevice(*backup).SameDevice(identity)) found << entry;
    }
    return found;
}

std::unique_ptr<tZCfgFile> LoadBackup(const QString& fileName, QString& error) {
    tMessageCapture quiet; // a backup's own warnings (an unknown version) are no reason to refuse it
    std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    const tLoadResult result = doc->LoadFromFile(fileName);
    if (!result.touchedDocument()) {
        error = result.message;
        return nullptr;
    }
    doc->SetModified(false);
    return doc;
}
