#include "cli/DeviceSession.h"

#include "device/SimulatedAdapter.h"
#include "programmer/AdapterDiagnosis.h"
#include "programmer/ProgrammerLinkSetup.h"
#include "transfer/ProgramBackup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

const QString ConnectFailure =
    QStringLiteral("Unable to connect to programmer. Check device is connected and retry");

const QCommandLineOption& SimOption() {
    static const QCommandLineOption option(
        QStringLiteral("sim"),
        QStringLiteral("Use the simulated adapter with a virtual device of TYPE (") +
            SimulatedDeviceKeywords().join(QStringLiteral(", ")) + QStringLiteral(")."),
        QStringLiteral("TYPE"));
    return option;
}

bool UseSimulator(const QCommandLineParser& parser, const QString& command) {
    if (!parser.isSet(SimOption())) return true;
    const QString type = parser.value(SimOption());
    if (UseSimulatedAdapter(type)) return true;
    PrintError(QStringLiteral("zcfg %1: unknown simulated device \"%2\" (one of: %3)")
                   .arg(command, type, SimulatedDeviceKeywords().join(QStringLiteral(", "))));
    return false;
}

DeviceSession::DeviceSession(tZCfgFile& doc) : doc_(doc), link_(nullptr, true) {
    ConfigureProgrammerLink(link_);
    doc_.AttachLink(&link_);
    doc_.SetResultPresenter([this](const QString& text, bool success) {
        outcome_.gotResult = true;
        outcome_.success = success;
        outcome_.result = text;
        return true;
    });
    previousPresenter_ = SetMessagePresenter([this](MessageKind kind, const QString& text) {
        if (kind == MessageKind::Error) outcome_.errors << text;
        PrintError((kind == MessageKind::Error ? QStringLiteral("Error: ") : QStringLiteral("Warning: ")) +
                   text);
    });
}

DeviceSession::~DeviceSession() {
    doc_.AttachLink(nullptr);
    SetMessagePresenter(previousPresenter_);
}

bool DeviceSession::Connect() {
    if (link_.Active()) return true;
    try {
        link_.SetActive(true);
    } catch (const EZcfgError&) {
    }
    if (!link_.Active()) {
        PrintError(QStringLiteral("Error: ") + ConnectFailure);
        // Why, in the words `zcfg adapters` and the window use.
        if (const QString why = DiagnoseAdapters().Line(); !why.isEmpty()) PrintError(why);
    }
    return link_.Active();
}

Outcome DeviceSession::Run(const std::function<void()>& start) {
    outcome_ = Outcome();
    start();
    QEventLoop loop;
    QTimer watch;
    QElapsedTimer elapsed;
    elapsed.start();
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        // A device that keeps talking without completing a transfer is given up after a minute.
        if (doc_.TransferState() == tZCfgFile::tsIdle || elapsed.elapsed() > 60000) loop.quit();
    });
    watch.start(10);
    if (doc_.TransferState() != tZCfgFile::tsIdle) loop.exec();
    if (doc_.TransferState() != tZCfgFile::tsIdle) {
        outcome_.errors << QStringLiteral("The transfer did not end");
        PrintError(QStringLiteral("Error: the transfer did not end within a minute"));
    } else {
        // A Program that identified the device has kept its backup, if one was to be kept.
        const tTransferOutcome& ended = doc_.LastOutcome();
        const bool backedUp = backup_ && ended.Kind == tTransferKind::Program && ended.DeviceConfiguration;
        recorder_.Record(doc_, link_, backedUp ? backup_->LastBackup() : QString());
    }
    return outcome_;
}

std::unique_ptr<tZCfgFile> LoadForDevice(const QString& command, const QString& fileName, const QString& done,
                                         int problemsExit, int& exitCode) {
    exitCode = ExitSuccess;
    std::unique_ptr<tZCfgFile> doc = LoadConfiguration(fileName, exitCode);
    if (!doc || exitCode == ExitSuccess) return doc;
    PrintError(QStringLiteral("zcfg %1: the file has problems; nothing was %2").arg(command, done));
    exitCode = problemsExit;
    return nullptr;
}

std::unique_ptr<tZCfgFile> LoadFileForDevice(const QString& command, const QCommandLineParser& parser,
                                             const QString& done, int problemsExit, int& exitCode) {
    exitCode = ExitUsage;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        UsageError(command, QStringLiteral("name one file"));
        return nullptr;
    }
    if (!UseSimulator(parser, command)) return nullptr;
    return LoadForDevice(command, positional.first(), done, problemsExit, exitCode);
}

const QCommandLineOption& NoBackupOption() {
    static const QCommandLineOption option(
        QStringLiteral("no-backup"),
        QStringLiteral("Keep no backup of what the device holds before programming it (by default one is "
                       "kept in ") +
            QDir::toNativeSeparators(DefaultBackupFolder()) + QStringLiteral(")."));
    return option;
}

std::unique_ptr<tProgramBackup> MakeProgramBackup(tZCfgFile& doc, const QCommandLineParser& parser) {
    auto backup = std::make_unique<tProgramBackup>(doc);
    backup->SetEnabled(!parser.isSet(NoBackupOption()) && BackupsOnInUserSettings());
    return backup;
}

bool ProgramAndReport(DeviceSession& session, tZCfgFile& doc, tProgramBackup* backup,
                      std::shared_ptr<tZCfgFile> configuration) {
    session.SetBackup(backup);
    const Outcome outcome = session.Run([&] {
        if (configuration)
            doc.StartProgramOf(std::move(configuration));
        else
            doc.StartProgram();
    });
    const QString note = backup ? backup->TakeNote() : QString();
    if (!note.isEmpty()) PrintOut(note + QLatin1Char('\n'));
    if (outcome.gotResult) PrintOut(outcome.result + QLatin1Char('\n'));
    return outcome.gotResult && outcome.success && outcome.result == TransferText::TransferredAndVerified;
}
