// zcfg: the Zentara Configurator on the command line.
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "resources/version/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <functional>

namespace {

struct Command {
    const char* name;
    int (*run)(const QStringList&);
    const char* arguments;
    const char* summary;
};

const Command commands[] = {
    {"new", CommandNew, "TYPE [-o FILE]", "a new configuration with every default"},
    {"show", CommandShow, "FILE", "the configuration as a person reads it"},
    {"check", CommandCheck, "FILE...", "list the problems of configuration files"},
    {"set", CommandSet, "FILE PATH=VALUE... [-o OUT] [--force]", "change values as the editor would"},
    {"frame", CommandFrame, "FILE [--factory]", "the frame that programs this configuration"},
    {"read", CommandRead, "[-o FILE] [--sim TYPE]", "read the attached device"},
    {"program", CommandProgram, "FILE [--repeat [--increment PATH=START[:STEP]]] [--no-backup] [--sim TYPE]",
     "program and verify the attached device"},
    {"compare", CommandCompare, "FILE [--sim TYPE]", "list what the attached device holds otherwise"},
    {"restore", CommandRestore, "[BACKUP] [--no-backup] [--sim TYPE]",
     "program the attached device with a backup of it"},
    {"factory", CommandFactory, "FILE [--sim TYPE]", "factory-program a transmitter, then verify"},
    {"apply", CommandApply, "[FILE] FRAME... [-o OUT]", "apply received frames as a read would"},
    {"adapters", CommandAdapters, "", "list the USB programming adapters attached"},
    {"log", CommandLog, "[OPTIONS]", "the commissioning log (--since, --until, --type, --failed, --csv)"},
    {"report", CommandReport, "FILE -o OUT.pdf", "the printed record of a configuration, as PDF"},
};

// The command list in two aligned columns: "name ARGUMENTS" and what the command does.
QString commandList() {
    QStringList synopses;
    qsizetype width = 0;
    for (const Command& command : commands) {
        synopses << QLatin1String(command.name) + QLatin1Char(' ') + QLatin1String(command.arguments);
        width = qMax(width, synopses.last().size());
    }
    QString text;
    for (qsizetype i = 0; i < synopses.size(); ++i)
        text += QStringLiteral("  %1  %2\n")
                    .arg(synopses[i], -int(width))
                    .arg(QLatin1String(commands[i].summary));
    return text;
}

void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Zentara Configurator on the command line: prepare, check and program the\n"
                       "configurations of Zentara nurse-call devices."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("One of the commands below."));
    parser.addPositionalArgument(QStringLiteral("ARGUMENTS"), QStringLiteral("The command's own arguments."),
                                 QStringLiteral("[ARGUMENTS]"));
    // Everything after the command name belongs to the command's own parser.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
}

QString generalHelp(const QCommandLineParser& parser) {
    QString help = parser.helpText();
    help.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")), QStringLiteral("Usage: zcfg"));
    return help + QStringLiteral("\nCommands:\n") + commandList() +
           QStringLiteral("\n'zcfg COMMAND --help' describes a command. Exit status: 0 success, 1 problems "
                          "found or\nrequest refused, 2 usage or input/output error.\n");
}

int run(const QStringList& arguments) {
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments)) {
        PrintError(QStringLiteral("zcfg: ") + parser.errorText());
        PrintError(QStringLiteral("Try 'zcfg --help'."));
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        PrintOut(QStringLiteral("zcfg %1\n").arg(QCoreApplication::applicationVersion()));
        return ExitSuccess;
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("help")) || positional.isEmpty() ||
        positional.first() == QLatin1String("help")) {
        PrintOut(generalHelp(parser));
        return positional.isEmpty() && !parser.isSet(QStringLiteral("help")) ? ExitUsage : ExitSuccess;
    }
    const QString name = positional.first();
    for (const Command& command : commands)
        if (name == QLatin1String(command.name)) {
            int exitCode = ExitUsage;
            // The command's own parser sees the command as its program name.
            if (!Guarded([&] { exitCode = command.run(positional); })) return ExitProblems;
            return exitCode;
        }
    PrintError(QStringLiteral("zcfg: unknown command \"%1\"").arg(name));
    PrintError(QStringLiteral("Try 'zcfg --help'."));
    return ExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> app = CreateApplication(argc, argv);
    // The editor's name: the two programs share the data folder (the backups of the devices).
    QCoreApplication::setApplicationName(QStringLiteral("zentara-configurator"));
    QCoreApplication::setApplicationVersion(ProgramVersion());
    const int exitCode = run(QCoreApplication::arguments());
    // Output that did not arrive (a full disk, a closed pipe) must not pass for success: the
    // configuration written to standard output would be lost without a word.
    const QString failure = OutputFailure();
    if (!failure.isEmpty()) {
        PrintError(QStringLiteral("zcfg: cannot write to standard output: %1").arg(failure));
        return ExitUsage;
    }
    return exitCode;
}
