// zcfg report: the printed record of a configuration, as PDF: the same report the window's "Export
// Report..." writes.
#include "cli/CliSupport.h"
#include "cli/CommandParser.h"
#include "cli/Commands.h"
#include "commissioning/CommissioningLog.h"
#include "report/Reports.h"

#include <QFileInfo>
#include <QGuiApplication>

// Laying out the report's text and drawing its picture take Qt Gui, and so a QGuiApplication; the
// other commands run on Qt Core alone. The report is never shown, so it needs no display: it is made
// on Qt's offscreen platform, also where a desktop is at hand.
std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "report") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

int CommandReport(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("report"),
        QStringLiteral("Writes the report of FILE as PDF: the device type and picture, every value under "
                       "the caption\nand group its page shows, the comments, the device's identity and "
                       "the commissioning\nlog's last entry for this configuration."));
    command.Parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A configuration file."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the report to OUT (PDF)."), QStringLiteral("OUT"));
    command.Parser().addOption(output);
    if (!command.Parse(arguments)) return command.ExitCode();
    const QStringList positional = command.Parser().positionalArguments();
    if (positional.size() != 1) return UsageError(QStringLiteral("report"), QStringLiteral("name one file"));
    const QString target = command.Parser().value(output);
    if (target.isEmpty())
        return UsageError(QStringLiteral("report"), QStringLiteral("give the PDF to write with -o OUT"));
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        PrintError(QStringLiteral("zcfg report: this program was started without Qt Gui"));
        return ExitUsage;
    }
    int exitCode = ExitSuccess;
    std::unique_ptr<tZCfgFile> doc = LoadConfiguration(positional.first(), exitCode);
    if (!doc) return exitCode;
    tCommissioningLog log;
    const tLastEntry last = LastEntryFor(log, *doc);
    if (!last.Problem.isEmpty())
        PrintError(QStringLiteral("zcfg report: the commissioning log %1 cannot be read: %2")
                       .arg(log.Location(), last.Problem));
    QString error;
    if (!WriteReportPdf(ConfigurationReport(*doc, last), target, QFileInfo(positional.first()).fileName(),
                        error)) {
        PrintError(QStringLiteral("zcfg report: %1: cannot write, the file was left as it was: %2")
                       .arg(target, error));
        return ExitUsage;
    }
    return exitCode;
}
