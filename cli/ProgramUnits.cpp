#include "cli/ProgramUnits.h"

#include "cli/CliSupport.h"
#include "cli/DeviceSession.h"
#include "transfer/ProgramSeries.h"

const QCommandLineOption& IncrementOption() {
    static const QCommandLineOption option(
        QStringLiteral("increment"),
        QStringLiteral("Step the numeric value at PATH (as 'zcfg show' prints it) from device to device: "
                       "START for the first device programmed and verified, then STEP (default 1) more for "
                       "each next one. The file is not changed."),
        QStringLiteral("PATH=START[:STEP]"));
    return option;
}

bool UseIncrement(const QCommandLineParser& parser, tProgramSeries& series, int& exitCode) {
    if (!parser.isSet(IncrementOption())) return true;
    tSteppedValue value;
    QString error;
    if (!ParseSteppedValue(parser.value(IncrementOption()), value, error)) {
        exitCode = UsageError(QStringLiteral("program"), QStringLiteral("--increment: ") + error);
        return false;
    }
    if (!series.SetSteppedValue(value, error)) {
        PrintError(QStringLiteral("zcfg program: --increment: %1; nothing was programmed").arg(error));
        exitCode = ExitProblems;
        return false;
    }
    return true;
}

bool ProgramNextUnit(DeviceSession& session, tZCfgFile& doc, tProgramBackup* backup, tProgramSeries& series) {
    if (!series.SteppedValue()) return ProgramAndReport(session, doc, backup);
    QString refusal;
    const std::shared_ptr<tZCfgFile> configuration = series.NextConfiguration(refusal);
    if (!configuration) {
        PrintError(QStringLiteral("zcfg program: %1; the device was not programmed").arg(refusal));
        return false;
    }
    PrintOut(QStringLiteral("Unit %1: %2 = %3\n")
                 .arg(series.Unit())
                 .arg(series.SteppedValue()->Path)
                 .arg(series.NextValue()));
    return ProgramAndReport(session, doc, backup, configuration);
}

bool NextUnitInRange(const tProgramSeries& series) {
    if (series.NextInRange()) return true;
    PrintError(QStringLiteral("zcfg program: %1; no further device was programmed")
                   .arg(series.PastRangeText(series.SteppedValue()->Path)));
    return false;
}
