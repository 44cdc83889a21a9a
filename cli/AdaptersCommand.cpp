// zcfg adapters: every USB programming adapter the driver layer finds, with its identity and
// whether it can be used, and, when none can, why and what to do, in the words the window uses.
#include "cli/CliSupport.h"
#include "cli/CommandParser.h"
#include "cli/Commands.h"
#include "programmer/AdapterDiagnosis.h"

#include <QScopeGuard>

namespace {

// One device's line: index, vendor:product, manufacturer, description, serial number, state.
QString describe(const tListedAdapter& adapter) {
    const QString ids = adapter.vendorId == 0 && adapter.productId == 0
                            ? QStringLiteral("????:????")
                            : QStringLiteral("%1:%2")
                                  .arg(adapter.vendorId, 4, 16, QLatin1Char('0'))
                                  .arg(adapter.productId, 4, 16, QLatin1Char('0'));
    const auto field = [](const QString& text) {
        return text.isEmpty() ? QStringLiteral("-") : QLatin1Char('"') + text + QLatin1Char('"');
    };
    return QStringLiteral("%1  %2  %3  %4  %5  %6")
        .arg(adapter.index)
        .arg(ids, field(adapter.manufacturer), field(adapter.description), field(adapter.serialNumber),
             adapter.StateText());
}

} // namespace

int CommandAdapters(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("adapters"),
        QStringLiteral("Lists the USB programming adapters attached: index, vendor:product, "
                       "manufacturer, description, serial number and state (ready, blank "
                       "EEPROM, no permission, in use, other FTDI device). Exits with status 1 when no "
                       "adapter is ready, saying why."));
    const QCommandLineOption all(QStringLiteral("all"),
                                 QStringLiteral("Also list FTDI devices with FTDI's other factory ids "
                                                "(as ZCFG_FTDI_ALL=1 does)."));
    command.Parser().addOption(all);
    if (!command.Parse(arguments)) return command.ExitCode();
    if (!command.Parser().positionalArguments().isEmpty())
        return UsageError(QStringLiteral("adapters"), QStringLiteral("takes no arguments"));
    if (command.Parser().isSet(all)) qputenv("ZCFG_FTDI_ALL", "1");

    const D2XXEntryPoints& driver = D2XX::AcquireLibrary();
    const auto release = qScopeGuard([] { D2XX::ReleaseLibrary(); });
    if (!D2XX::LibraryLoaded() || driver.FT_ListDevices == nullptr) {
        PrintError(QStringLiteral("zcfg adapters: the adapter driver %1 could not be loaded")
                       .arg(D2XX::LibraryName()));
        return ExitProblems;
    }
    const QList<tListedAdapter> adapters = SurveyAdapters(driver);
    QStringList lines;
    for (const tListedAdapter& adapter : adapters)
        lines << describe(adapter);
    PrintLines(lines);
    const tAdapterDiagnosis diagnosis = Diagnose(adapters);
    if (diagnosis.problem == tAdapterProblem::None) return ExitSuccess;
    PrintError(diagnosis.Line());
    return ExitProblems;
}
