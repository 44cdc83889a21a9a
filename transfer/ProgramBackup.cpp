#include "transfer/ProgramBackup.h"

#include "device/UnitZCfgFile.h"

#include <QDir>

tProgramBackup::tProgramBackup(tZCfgFile& document, tBackupStore store)
    : document_(document), store_(std::move(store)) {
    document_.SetOnDeviceIdentified(
        [this](const tZCfgFile* device, QString& refusal) { return identified(device, refusal); });
}

tProgramBackup::~tProgramBackup() {
    document_.SetOnDeviceIdentified(nullptr);
}

QString tProgramBackup::TakeNote() {
    return std::exchange(note_, QString());
}

QString tProgramBackup::CannotWriteText(const QString& folder, const QString& cause) {
    return QStringLiteral("The device was not programmed: what it holds could not be kept as a backup in "
                          "\"%1\" (%2). Make the folder writable or free some space and program it "
                          "again, or turn backups off (Tools, Keep a Backup Before Programming; zcfg "
                          "program --no-backup).")
        .arg(QDir::toNativeSeparators(folder), cause);
}

QString tProgramBackup::OtherDeviceText(const tDeviceIdentity& attached, const tDeviceIdentity& expected) {
    return QStringLiteral("The device was not programmed: the attached device is the %1, but the backup was "
                          "taken from the %2.")
        .arg(attached.Description(), expected.Description());
}

bool tProgramBackup::identified(const tZCfgFile* device, QString& refusal) {
    const std::optional<tDeviceIdentity> required = std::exchange(required_, std::nullopt);
    note_.clear();
    lastBackup_.clear();
    if (required) {
        if (!device) {
            refusal = QStringLiteral("The device was not programmed: its user record cannot be read, so it "
                                     "cannot be told whether the backup was taken from it.");
            return false;
        }
        const tDeviceIdentity attached = IdentifyDevice(*device);
        if (!attached.SameDevice(*required)) {
            refusal = OtherDeviceText(attached, *required);
            return false;
        }
    }
    if (!enabled_) return true;
    if (!device) {
        // Its user record cannot be read: there is nothing to keep that could be programmed back,
        // and the Program is what mends it.
        note_ = QStringLiteral("No backup was kept: the device's user record could not be read.");
        return true;
    }
    QString error;
    const QString path = store_.Write(*device, error);
    if (path.isEmpty()) {
        refusal = CannotWriteText(store_.Folder(), error);
        return false;
    }
    lastBackup_ = path;
    note_ = QStringLiteral("Backup: ") + QDir::toNativeSeparators(path);
    return true;
}
