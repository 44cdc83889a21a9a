// zcfg commands that talk to a device through the programmer link: read, program, factory; and apply,
// which takes frames given on the command line exactly as a read takes them from a device.
#include "cli/CliSupport.h"
#include "cli/CommandParser.h"
#include "cli/Commands.h"
#include "cli/DeviceSession.h"
#include "cli/FrameText.h"
#include "cli/ProgramUnits.h"
#include "transfer/ProgramBackup.h"
#include "transfer/ProgramSeries.h"

#include <QFile>
#include <cstdio>

namespace {

void reportResult(const Outcome& outcome) {
    if (outcome.gotResult) PrintOut(outcome.result + QLatin1Char('\n'));
}

// Waits for Enter (the next device is attached) or "q"; false to stop.
bool askForNextDevice() {
    PrintError(QStringLiteral("Attach the next device and press Enter, or type q and Enter to finish."));
    char line[256];
    if (!fgets(line, sizeof line, stdin)) return false;
    const QString answer = QString::fromLocal8Bit(line).trimmed();
    return answer.compare(QStringLiteral("q"), Qt::CaseInsensitive) != 0;
}

} // namespace

int CommandRead(const QStringList& arguments) {
    CommandParser command(QStringLiteral("read"),
                          QStringLiteral("Reads the attached device and writes its configuration."));
    command.Parser().addOption(OutputOption());
    command.Parser().addOption(SimOption());
    if (!command.Parse(arguments)) return command.ExitCode();
    if (!command.Parser().positionalArguments().isEmpty())
        return UsageError(QStringLiteral("read"),
                          QStringLiteral("takes no file; use -o FILE to save what is read"));
    if (!UseSimulator(command.Parser(), QStringLiteral("read"))) return ExitUsage;
    std::unique_ptr<tZCfgFile> doc = NewConfiguration();
    DeviceSession session(*doc);
    if (!session.Connect()) return ExitUsage;
    PrintError(QStringLiteral("Reading the device..."));
    const Outcome outcome = session.Run([&] { doc->StartRead(); });
    if (!outcome.gotResult || !outcome.success) return ExitProblems;
    PrintError(outcome.result);
    return WriteConfiguration(*doc, command.Parser().value(OutputOption()), QStringLiteral("read"));
}

namespace {
int programDevices(const QString& name, const QStringList& arguments, bool factory) {
    CommandParser command(
        name, factory ? QStringLiteral("Writes a transmitter's factory record from FILE, then its "
                                       "user record, and verifies both.")
                      : QStringLiteral("Programs the attached device with FILE and verifies it by "
                                       "reading it again."));
    command.Parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A configuration file."));
    const QCommandLineOption repeat(QStringLiteral("repeat"),
                                    QStringLiteral("After each device, wait for Enter (next device) or q."));
    if (!factory) {
        command.Parser().addOption(repeat);
        command.Parser().addOption(IncrementOption());
        command.Parser().addOption(NoBackupOption());
    }
    command.Parser().addOption(SimOption());
    if (!command.Parse(arguments)) return command.ExitCode();
    int exitCode = ExitSuccess;
    std::unique_ptr<tZCfgFile> doc =
        LoadFileForDevice(name, command.Parser(), QStringLiteral("programmed"), ExitProblems, exitCode);
    if (!doc) return exitCode;
    DeviceSession session(*doc);
    // Factory programming writes a blank transmitter: there is nothing to keep.
    std::unique_ptr<tProgramBackup> backup;
    if (!factory) backup = MakeProgramBackup(*doc, command.Parser());
    const bool repeating = !factory && command.Parser().isSet(repeat);
    tProgramSeries series(*doc);
    if (!factory && !UseIncrement(command.Parser(), series, exitCode)) return exitCode;
    bool pastRange = false;
    do {
        if (!session.Connect()) {
            series.Failed();
            if (repeating) continue;
            return ExitUsage;
        }
        PrintError(factory ? QStringLiteral("Programming the factory record...")
                           : QStringLiteral("Programming..."));
        bool ok = false;
        if (factory) {
            const Outcome outcome = session.Run([&] { doc->StartFactoryProgram(); });
            reportResult(outcome);
            ok = outcome.gotResult && outcome.success &&
                 outcome.result == TransferText::TransferredAndVerified;
        } else {
            ok = ProgramNextUnit(session, *doc, backup.get(), series);
        }
        ok ? series.Verified() : series.Failed();
        pastRange = repeating && !NextUnitInRange(series);
    } while (repeating && !pastRange && askForNextDevice());
    if (repeating)
        PrintOut(
            QStringLiteral("%1 verified, %2 failed\n").arg(series.VerifiedCount()).arg(series.FailedCount()));
    return series.FailedCount() == 0 && series.VerifiedCount() > 0 && !pastRange ? ExitSuccess : ExitProblems;
}
} // namespace

int CommandProgram(const QStringList& arguments) {
    return programDevices(QStringLiteral("program"), arguments, false);
}

int CommandFactory(const QStringList& arguments) {
    return programDevices(QStringLiteral("factory"), arguments, true);
}

int CommandApply(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("apply"),
        QStringLiteral("Applies frames received from a device to FILE (or a new configuration) "
                       "exactly as a read would, and writes the result.\nFRAME is hexadecimal bytes "
                       "(blanks allowed) or the serial monitor's rendering (<SOH>PI01...<EOT><#7C>)."));
    command.Parser().addPositionalArgument(
        QStringLiteral("FILE"), QStringLiteral("A configuration file (optional)."), QStringLiteral("[FILE]"));
    command.Parser().addPositionalArgument(QStringLiteral("FRAME"), QStringLiteral("Received frames."),
                                           QStringLiteral("FRAME..."));
    command.Parser().addOption(OutputOption());
    if (!command.Parse(arguments)) return command.ExitCode();
    QStringList positional = command.Parser().positionalArguments();
    std::unique_ptr<tZCfgFile> doc;
    if (!positional.isEmpty() && QFile::exists(positional.first())) {
        int exitCode = ExitSuccess;
        doc = LoadConfiguration(positional.takeFirst(), exitCode);
        if (!doc) return exitCode;
    } else {
        doc = NewConfiguration();
    }
    if (positional.isEmpty())
        return UsageError(QStringLiteral("apply"), QStringLiteral("give at least one frame"));
    QList<QByteArray> frames;
    for (const QString& text : positional) {
        QString error;
        const std::optional<QByteArray> bytes = ParseFrameText(text, error);
        if (!bytes) return UsageError(QStringLiteral("apply"), QStringLiteral("\"%1\": %2").arg(text, error));
        frames << *bytes;
    }
    Outcome outcome;
    doc->SetResultPresenter([&](const QString& text, bool success) {
        outcome.gotResult = true;
        outcome.success = success;
        outcome.result = text;
        return true;
    });
    doc->StartRead();
    for (const QByteArray& bytes : frames)
        for (char byte : bytes)
            doc->LinkChar(nullptr, uint8_t(byte));
    if (doc->TransferState() != tZCfgFile::tsIdle) {
        PrintError(QStringLiteral(
            "zcfg apply: the frames do not complete a read (a transmitter sends an FD and a UD "
            "frame)"));
        return ExitProblems;
    }
    if (!outcome.gotResult || !outcome.success) return ExitProblems;
    PrintError(outcome.result);
    return WriteConfiguration(*doc, command.Parser().value(OutputOption()), QStringLiteral("apply"));
}
