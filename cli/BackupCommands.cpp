// zcfg commands around the device's configuration as it stands: compare a file with the attached
// device, and restore a backup kept before an earlier Program.
#include "cli/CliSupport.h"
#include "cli/CommandParser.h"
#include "cli/Commands.h"
#include "cli/DeviceSession.h"
#include "transfer/ProgramBackup.h"

#include <QDir>

int CommandCompare(const QStringList& arguments) {
    const QString name = QStringLiteral("compare");
    CommandParser command(
        name,
        QStringLiteral("Reads the attached device and lists each value it holds otherwise than FILE, one "
                       "line each:\nPATH: FILE-VALUE -> DEVICE-VALUE. Exit status: 0 when the device "
                       "holds the file's configuration, 1 when\nit differs, 2 on errors."));
    command.Parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A configuration file."));
    command.Parser().addOption(SimOption());
    if (!command.Parse(arguments)) return command.ExitCode();
    int exitCode = ExitSuccess;
    std::unique_ptr<tZCfgFile> doc =
        LoadFileForDevice(name, command.Parser(), QStringLiteral("compared"), ExitUsage, exitCode);
    if (!doc) return exitCode;
    DeviceSession session(*doc);
    if (!session.Connect()) return ExitUsage;
    PrintError(QStringLiteral("Reading the device..."));
    session.Run([&] { doc->StartCompare(); });
    const tTransferOutcome& outcome = doc->LastOutcome();
    if (!outcome.Ok()) return ExitUsage; // the message has been printed
    PrintError(outcome.Message);
    QStringList lines;
    for (const tValueDifference& difference : outcome.Differences)
        lines << DifferenceLine(difference);
    PrintLines(lines);
    return lines.isEmpty() ? ExitSuccess : ExitProblems;
}

int CommandRestore(const QStringList& arguments) {
    const QString name = QStringLiteral("restore");
    CommandParser command(
        name,
        QStringLiteral("Programs the attached device with a backup of it and verifies it: BACKUP, or the "
                       "newest backup of\nthe attached device. The backup must have been taken from "
                       "the attached device. What the\ndevice holds is kept as a backup first."));
    command.Parser().addPositionalArgument(
        QStringLiteral("BACKUP"), QStringLiteral("A backup file (optional)."), QStringLiteral("[BACKUP]"));
    command.Parser().addOption(NoBackupOption());
    command.Parser().addOption(SimOption());
    if (!command.Parse(arguments)) return command.ExitCode();
    const QStringList positional = command.Parser().positionalArguments();
    if (positional.size() > 1) return UsageError(name, QStringLiteral("name one backup at most"));
    if (!UseSimulator(command.Parser(), name)) return ExitUsage;

    int exitCode = ExitSuccess;
    std::unique_ptr<tZCfgFile> doc =
        positional.isEmpty()
            ? NewConfiguration()
            : LoadForDevice(name, positional.first(), QStringLiteral("programmed"), ExitProblems, exitCode);
    if (!doc) return exitCode;
    DeviceSession session(*doc);
    if (!session.Connect()) return ExitUsage;
    const std::unique_ptr<tProgramBackup> backup = MakeProgramBackup(*doc, command.Parser());
    QString chosen = positional.value(0);
    if (chosen.isEmpty()) {
        PrintError(QStringLiteral("Identifying the device..."));
        session.Run([&] { doc->StartIdentify(); });
        const tTransferOutcome& outcome = doc->LastOutcome();
        if (!outcome.Ok() || !outcome.DeviceConfiguration) return ExitProblems;
        const tDeviceIdentity attached = IdentifyDevice(*outcome.DeviceConfiguration);
        const QList<tBackupEntry> backups = backup->Store().BackupsOf(attached);
        if (backups.isEmpty()) {
            PrintError(QStringLiteral("zcfg restore: no backup of the %1 in %2")
                           .arg(attached.Description(), QDir::toNativeSeparators(backup->Store().Folder())));
            return ExitProblems;
        }
        chosen = backups.first().FilePath;
        const tLoadResult loaded = doc->LoadFromFile(chosen);
        if (!loaded.ok()) {
            PrintError(ProblemLines(chosen, loaded).join(QLatin1Char('\n')));
            PrintError(QStringLiteral("zcfg restore: the backup has problems; nothing was programmed"));
            return ExitProblems;
        }
    }
    backup->RequireDevice(IdentifyDevice(*doc));
    PrintError(QStringLiteral("Restoring %1...").arg(QDir::toNativeSeparators(chosen)));
    session.RecordNextAs(tCommissioningAction::Restore);
    return ProgramAndReport(session, *doc, backup.get()) ? ExitSuccess : ExitProblems;
}
