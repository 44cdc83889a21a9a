// zcfg: the Zentara Configurator on the command line.
#include "cli/CliSupport.h"
#include "cli/Commands.h"

#include <QCoreApplication>
#include <functional>

namespace {

struct Command {
    const char* name;
    int (*run)(const QStringList&);
    const char* summary;
};

const Command commands[] = {
    {"new", CommandNew, "TYPE [-o FILE]            a new configuration with every default"},
    {"show", CommandShow, "FILE                     the configuration as a person reads it"},
    {"check", CommandCheck, "FILE...                 list the problems of configuration files"},
    {"set", CommandSet, "FILE PATH=VALUE... [-o OUT]  change values as the editor would"},
    {"frame", CommandFrame, "FILE [--factory]        the frame that programs this configuration"},
    {"read", CommandRead, "[-o FILE] [--sim TYPE]   read the attached device"},
    {"program", CommandProgram, "FILE [--repeat] [--sim TYPE]  program and verify the attached device"},
    {"factory", CommandFactory, "FILE [--sim TYPE]     factory-program a transmitter, then verify"},
    {"apply", CommandApply, "[FILE] FRAME... [-o OUT]  apply received frames as a read would"},
    {"adapters", CommandAdapters, "                       list the USB programming adapters attached"},
};

QString generalHelp() {
    QString text = QStringLiteral("Usage: zcfg COMMAND [ARGUMENTS]\n\n"
                                  "Zentara Configurator on the command line: prepare, check and program the\n"
                                  "configurations of Zentara nurse-call devices.\n\nCommands:\n");
    for (const Command& command : commands)
        text += QStringLiteral("  %1 %2\n")
                    .arg(QLatin1String(command.name), -8)
                    .arg(QLatin1String(command.summary));
    text += QStringLiteral(
        "\n'zcfg COMMAND --help' describes a command. Exit status: 0 success, 1 problems found or "
        "request refused,\n2 usage or input/output error.\n");
    return text;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zcfg"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZCFG_VERSION));
    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments[1] == QLatin1String("--help") ||
        arguments[1] == QLatin1String("-h") || arguments[1] == QLatin1String("help")) {
        PrintOut(generalHelp());
        return arguments.size() < 2 ? ExitUsage : ExitSuccess;
    }
    if (arguments[1] == QLatin1String("--version")) {
        PrintOut(QStringLiteral("zcfg %1\n").arg(QStringLiteral(ZCFG_VERSION)));
        return ExitSuccess;
    }
    const QString name = arguments[1];
    for (const Command& command : commands)
        if (name == QLatin1String(command.name)) {
            arguments.removeFirst(); // the command's own parser sees the command as its program name
            int exitCode = ExitUsage;
            if (!Guarded([&] { exitCode = command.run(arguments); })) return ExitProblems;
            return exitCode;
        }
    PrintError(QStringLiteral("zcfg: unknown command \"%1\"").arg(name));
    PrintError(generalHelp());
    return ExitUsage;
}
