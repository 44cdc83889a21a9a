#pragma once
// The backup kept before every Program. Installed on a document, it is told what the device holds
// once the Program has identified it (that identification reads the whole device, so a backup costs
// no exchange of its own) and writes it to the backup folder before anything is sent. A backup that
// cannot be written stops the Program: the device is not written. Factory programming takes no
// backup (a blank transmitter holds nothing to keep).
//
// A restore also names the device the backup came from: a Program that finds another device attached
// stops before writing it.

#include "transfer/Backups.h"

#include <memory>
#include <optional>

class tProgramBackup {
public:
    // Takes the document's device-identified event; gives it back when destroyed.
    explicit tProgramBackup(tZCfgFile& document, tBackupStore store = tBackupStore());
    ~tProgramBackup();
    tProgramBackup(const tProgramBackup&) = delete;
    tProgramBackup& operator=(const tProgramBackup&) = delete;

    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    const tBackupStore& Store() const { return store_; }

    // The next Program writes only into this device (a restore); forgotten once a device is
    // identified, or when given none (a Program that ended before identifying one).
    void RequireDevice(std::optional<tDeviceIdentity> identity) { required_ = std::move(identity); }

    // What the last Program did about its backup, for its result: "Backup: PATH" or why none was
    // kept; empty when the Program did not get as far as identifying the device. Cleared when taken,
    // so it is told once, with the result of the Program it belongs to.
    QString TakeNote();
    // The file the last backup was written to; empty when none was written.
    const QString& LastBackup() const { return lastBackup_; }

    // The refusal when a backup cannot be written, naming the folder and the cause.
    static QString CannotWriteText(const QString& folder, const QString& cause);
    static QString OtherDeviceText(const tDeviceIdentity& attached, const tDeviceIdentity& expected);

private:
    bool identified(const tZCfgFile* device, QString& refusal);

    tZCfgFile& document_;
    tBackupStore store_;
    bool enabled_ = true;
    std::optional<tDeviceIdentity> required_;
    QString note_;
    QString lastBackup_;
};
