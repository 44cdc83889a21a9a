#pragma once
// What the zcfg commands that talk to a device share: the --sim option, and a session that runs one
// transfer of a document through the programmer link until it ends, printing its messages.

#include "cli/CliSupport.h"
#include "cli/TransferRecorder.h"
#include "programmer/USBPanel.h"

#include <QCommandLineParser>
#include <functional>
#include <memory>

class tProgramBackup;

extern const QString ConnectFailure;
// --sim TYPE
const QCommandLineOption& SimOption();
// Selects the simulated adapter before the link binds its driver; false (the message printed) for an
// unknown TYPE.
bool UseSimulator(const QCommandLineParser& parser, const QString& command);

// How one transfer ended.
struct Outcome {
    bool gotResult = false;
    bool success = false;
    QString result;
    QStringList errors;
};

// The programmer link configured as the editor configures it, ticking on its own 100 ms timer, with
// the document attached. Messages are printed to standard error as they are shown. Every transfer
// that ends is recorded in the commissioning log.
class DeviceSession {
public:
    explicit DeviceSession(tZCfgFile& doc);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    bool Connect();
    // Starts a transfer and runs the event loop until the document is idle again.
    Outcome Run(const std::function<void()>& start);
    // The next transfer is recorded as this action (a Restore) rather than as its own.
    void RecordNextAs(tCommissioningAction action) { recorder_.SetNextAction(action); }
    // The backup helper whose backup a Program's entry names.
    void SetBackup(const tProgramBackup* backup) { backup_ = backup; }

private:
    tZCfgFile& doc_;
    TUSBPanel link_;
    MessagePresenter previousPresenter_;
    Outcome outcome_;
    const tProgramBackup* backup_ = nullptr;
    tTransferRecorder recorder_;
};

// The configuration a device command works with. Null (the reason printed) when the file cannot be
// read, exitCode ExitUsage; or when it has problems, which it lists, then says "zcfg COMMAND: the file
// has problems; nothing was DONE", exitCode problemsExit.
std::unique_ptr<tZCfgFile> LoadForDevice(const QString& command, const QString& fileName, const QString& done,
                                         int problemsExit, int& exitCode);
// The same for a command given exactly one FILE, after choosing the --sim adapter; a usage error
// (ExitUsage) for any other number of files or an unknown simulated device.
std::unique_ptr<tZCfgFile> LoadFileForDevice(const QString& command, const QCommandLineParser& parser,
                                             const QString& done, int problemsExit, int& exitCode);

// --no-backup, and the backup kept before each Program unless it is given or the editor's Tools
// setting turned backups off.
const QCommandLineOption& NoBackupOption();
std::unique_ptr<tProgramBackup> MakeProgramBackup(tZCfgFile& doc, const QCommandLineParser& parser);

// Programs the device with the document, or with `configuration` through the document's link when
// given (StartProgramOf), and prints the result and, when a backup helper is given, what became of
// the backup. True when the device was programmed and verified.
bool ProgramAndReport(DeviceSession& session, tZCfgFile& doc, tProgramBackup* backup,
                      std::shared_ptr<tZCfgFile> configuration = nullptr);
