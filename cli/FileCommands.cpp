// zcfg commands on configuration files: new, show, check, set, frame.
#include "cli/CliSupport.h"
#include "cli/CommandParser.h"
#include "cli/Commands.h"
#include "cli/FrameText.h"
#include "property/PelError.h"
#include "property/PropertyPaths.h"

int CommandNew(const QStringList& arguments) {
    CommandParser command(QStringLiteral("new"),
                          QStringLiteral("A new configuration of a device type with every default.\n\n"
                                         "TYPE is one of:\n") +
                              DeviceTypeChoices());
    command.Parser().addPositionalArgument(QStringLiteral("TYPE"), QStringLiteral("The device type."));
    command.Parser().addOption(OutputOption());
    if (!command.Parse(arguments)) return command.ExitCode();
    const QStringList positional = command.Parser().positionalArguments();
    if (positional.size() != 1)
        return UsageError(QStringLiteral("new"), QStringLiteral("name one device type"));
    const int type = ParseDeviceType(positional.first());
    if (type < 0)
        return UsageError(QStringLiteral("new"),
                          QStringLiteral("unknown device type \"%1\"; choose one of:\n%2")
                              .arg(positional.first(), DeviceTypeChoices()));
    std::unique_ptr<tZCfgFile> doc = NewConfiguration();
    doc->SetDeviceType(uint8_t(type));
    return WriteConfiguration(*doc, command.Parser().value(OutputOption()), QStringLiteral("new"));
}

int CommandShow(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("show"),
        QStringLiteral("The configuration as a person reads it: one line per value, PATH = VALUE,\n"
                       "followed by (SHOWN) where the shown text differs."));
    command.Parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A configuration file."));
    if (!command.Parse(arguments)) return command.ExitCode();
    const QStringList positional = command.Parser().positionalArguments();
    if (positional.size() != 1) return UsageError(QStringLiteral("show"), QStringLiteral("name one file"));
    int exitCode = ExitSuccess;
    std::unique_ptr<tZCfgFile> doc = LoadConfiguration(positional.first(), exitCode);
    if (!doc) return exitCode;
    PrintLines(ShowLines(doc.get()));
    return exitCode;
}

int CommandCheck(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("check"),
        QStringLiteral("Loads each file and lists its problems as FILE:LINE: MESSAGE.\n"
                       "Exit 0 when every file is clean, 1 when any has problems, 2 when one "
                       "cannot be read."));
    command.Parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Configuration files."),
                                           QStringLiteral("FILE..."));
    if (!command.Parse(arguments)) return command.ExitCode();
    const QStringList files = command.Parser().positionalArguments();
    if (files.isEmpty()) return UsageError(QStringLiteral("check"), QStringLiteral("name at least one file"));
    int worst = ExitSuccess;
    for (const QString& file : files) {
        std::unique_ptr<tZCfgFile> doc = NewConfiguration();
        const tLoadResult result = doc->LoadFromFile(file);
        if (result.status == tLoadResult::Unreadable) {
            PrintError(QStringLiteral("%1: cannot read: %2").arg(file, result.message));
            worst = ExitUsage;
            continue;
        }
        const QStringList problems = ProblemLines(file, result);
        if (!problems.isEmpty()) {
            PrintOut(problems.join(QLatin1Char('\n')) + QLatin1Char('\n'));
            worst = qMax(worst, int(ExitProblems));
        }
    }
    return worst;
}

int CommandSet(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("set"),
        QStringLiteral("Changes values as the editor would, so the same rules run. Enumerations take\n"
                       "value names or shown texts. Nothing is written when any change is refused, nor\n"
                       "when FILE loaded with problems (unless --force). A value cannot contain \"//\"."));
    command.Parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A configuration file."));
    command.Parser().addPositionalArgument(QStringLiteral("PATH=VALUE"), QStringLiteral("Values to change."),
                                           QStringLiteral("PATH=VALUE..."));
    command.Parser().addOption(OutputOption());
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Write even when FILE loaded with problems."));
    command.Parser().addOption(force);
    if (!command.Parse(arguments)) return command.ExitCode();
    const QStringList positional = command.Parser().positionalArguments();
    if (positional.size() < 2)
        return UsageError(QStringLiteral("set"), QStringLiteral("name a file and at least one PATH=VALUE"));
    int exitCode = ExitSuccess;
    std::unique_ptr<tZCfgFile> doc = LoadConfiguration(positional.first(), exitCode);
    if (!doc) return exitCode;
    // Rewriting a file that loaded with problems would make them permanent (values swallowed by a
    // memo without its end line, say), so that takes --force.
    if (exitCode != ExitSuccess && !command.Parser().isSet(force)) {
        PrintError(QStringLiteral("zcfg set: %1 loaded with problems; nothing was written (--force writes "
                                  "it anyway)")
                       .arg(positional.first()));
        return ExitProblems;
    }
    for (const QString& assignment : positional.mid(1)) {
        const int equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return UsageError(QStringLiteral("set"),
                              QStringLiteral("\"%1\" is not PATH=VALUE").arg(assignment));
        const QString path = assignment.left(equals).trimmed();
        const QString value = assignment.mid(equals + 1).trimmed();
        tPelBaseProperty* node = ResolvePath(doc.get(), path);
        if (!node) {
            PrintError(QStringLiteral("zcfg set: no value at \"%1\" (see 'zcfg show %2')")
                           .arg(path, positional.first()));
            return ExitProblems;
        }
        const QString refused = SetAsEditor(node, value);
        if (!refused.isEmpty()) {
            PrintError(QStringLiteral("zcfg set: %1: %2").arg(path, refused));
            return ExitProblems;
        }
    }
    const QString target =
        command.Parser().isSet(OutputOption()) ? command.Parser().value(OutputOption()) : positional.first();
    return WriteConfiguration(*doc, target, QStringLiteral("set"));
}

int CommandFrame(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("frame"),
        QStringLiteral("The frame the program sends to program this configuration, as hexadecimal "
                       "bytes."));
    command.Parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A configuration file."));
    const QCommandLineOption factory(QStringLiteral("factory"),
                                     QStringLiteral("The transmitter's factory frame instead."));
    command.Parser().addOption(factory);
    if (!command.Parse(arguments)) return command.ExitCode();
    const QStringList positional = command.Parser().positionalArguments();
    if (positional.size() != 1) return UsageError(QStringLiteral("frame"), QStringLiteral("name one file"));
    int exitCode = ExitSuccess;
    std::unique_ptr<tZCfgFile> doc = LoadConfiguration(positional.first(), exitCode);
    if (!doc) return exitCode;
    if (!doc->Device()) {
        PrintError(QStringLiteral("zcfg frame: the configuration names no device type"));
        return ExitProblems;
    }
    try {
        const QString frame = command.Parser().isSet(factory) ? doc->Device()->ComposeFactoryFrame()
                                                              : doc->Device()->ComposeUserFrame();
        PrintOut(HexBytes(FrameBytes(frame)) + QLatin1Char('\n'));
    } catch (const EZcfgError& e) {
        PrintError(QStringLiteral("zcfg frame: %1").arg(e.Message()));
        return ExitProblems;
    }
    return exitCode;
}
