#pragma once
// The backups of the devices' configurations: before a Program writes a device, what the device held
// is kept as a configuration file in the program's data folder, so that nothing a device held is ever
// lost to a Program and any earlier configuration can be programmed back.
//
// A backup is named by the device type's keyword, the device's identity and the time it was read
// (UTC): "relay_ZENTARA-SIM-0001_0102_20250312T140233Z.zcf". Its comments say whose it is and when
// it was read.

#include "transfer/DeviceIdentity.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>

class tZCfgFile;

// The settings store's value that keeps backups on (1, the default) or off (0); the editor's Tools
// menu sets it, zcfg reads it.
extern const QString KeepBackupsSetting;
// Whether backups are on in the per-user settings store the editor writes.
bool BackupsOnInUserSettings();

// "$XDG_DATA_HOME/zentara-configurator/backups" (the program's data folder, then "backups").
QString DefaultBackupFolder();

struct tBackupEntry {
    QString FilePath;
    uint8_t Type = 0; // the device type the backup holds
    QDateTime Taken;  // when the device was read, UTC
    QString Identity; // the identity part of its name
};

class tBackupStore {
public:
    explicit tBackupStore(QString folder = DefaultBackupFolder());
    const QString& Folder() const { return folder_; }

    // Writes what the device holds (a document read from it) as a new backup, atomically; the
    // folder is made if need be. Returns the file's path, or an empty text and why in error.
    QString Write(const tZCfgFile& device, QString& error,
                  const QDateTime& taken = QDateTime::currentDateTimeUtc()) const;
    // The backups of that device, newest first. The names narrow the search; each candidate's
    // content then has to identify the same device.
    QList<tBackupEntry> BackupsOf(const tDeviceIdentity& identity) const;
    // Every file of the folder whose name is a backup's, newest first.
    QList<tBackupEntry> All() const;

    // What a backup's name says; false for a name that is not a backup's.
    static bool ParseName(const QString& fileName, tBackupEntry& entry);

private:
    QString folder_;
};

// Loads a backup (or any configuration file) into a new document; null with the reason when it
// cannot be read or is not a configuration.
std::unique_ptr<tZCfgFile> LoadBackup(const QString& fileName, QString& error);
