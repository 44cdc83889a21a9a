// zcfg log: the entries of the commissioning log, one line each or as CSV, selected by time, device
// type and result.
#include "cli/CliSupport.h"
#include "cli/CommandParser.h"
#include "cli/Commands.h"
#include "commissioning/CommissioningLog.h"
#include "device/DeviceTypeTable.h"

#include <QFile>
#include <cstdio>

namespace {

// A date (YYYY-MM-DD, the whole day in local time) or a time (YYYY-MM-DDTHH:MM[:SS], local unless it
// names its offset). A day ends the range at its end when endOfDay; invalid when the text is neither.
QDateTime parseTime(const QString& text, bool endOfDay) {
    const QString trimmed = text.trimmed();
    const QDate date = QDate::fromString(trimmed, Qt::ISODate);
    if (date.isValid()) return (endOfDay ? date.addDays(1) : date).startOfDay();
    QString isoTime = trimmed;
    if (isoTime.size() > 10 && isoTime[10] == QLatin1Char(' ')) isoTime[10] = QLatin1Char('T');
    return QDateTime::fromString(isoTime, Qt::ISODate);
}

// One entry for a person: local time, who and where, action, device type, serial number, result and
// file; then the differing values, indented.
QStringList entryLines(const tCommissioningEntry& entry) {
    const auto dash = [](const QString& text) { return text.isEmpty() ? QStringLiteral("-") : text; };
    QString result = entry.Result;
    result.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QStringList lines{QStringList{entry.Time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                  entry.Operator + QLatin1Char('@') + entry.Host, entry.Action,
                                  dash(entry.DeviceType),
                                  QStringLiteral("serial ") + dash(entry.Identity.SerialNumber),
                                  entry.Success ? QStringLiteral("ok") : QStringLiteral("FAILED"),
                                  dash(result), dash(entry.ConfigurationFile)}
                          .join(QStringLiteral("  "))};
    for (const QString& difference : entry.Differences)
        lines << QStringLiteral("    ") + difference;
    return lines;
}

} // namespace

int CommandLog(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("log"),
        QStringLiteral(
            "Lists the entries of the commissioning log, oldest first: time (local), operator@host, "
            "action, device type, serial number, ok or FAILED, result and configuration file, "
            "with the differing values of a failed verification below. --csv writes every "
            "field as CSV (RFC 4180, UTF-8, times in UTC)."));
    const QCommandLineOption since(QStringLiteral("since"),
                                   QStringLiteral("Entries from DATE on (YYYY-MM-DD, or YYYY-MM-DDTHH:MM)."),
                                   QStringLiteral("DATE"));
    const QCommandLineOption until(QStringLiteral("until"),
                                   QStringLiteral("Entries up to DATE, that day included."),
                                   QStringLiteral("DATE"));
    const QCommandLineOption type(QStringLiteral("type"),
                                  QStringLiteral("Entries for devices of TYPE (as for 'zcfg new')."),
                                  QStringLiteral("TYPE"));
    const QCommandLineOption failed(QStringLiteral("failed"), QStringLiteral("Failed transfers only."));
    const QCommandLineOption csv(QStringLiteral("csv"), QStringLiteral("Write CSV instead of lines."));
    command.Parser().addOptions({since, until, type, failed, csv});
    if (!command.Parse(arguments)) return command.ExitCode();
    const QCommandLineParser& parser = command.Parser();
    if (!parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("log"), QStringLiteral("takes no arguments but options"));

    tCommissioningFilter filter;
    filter.OldestFirst = true;
    filter.FailuresOnly = parser.isSet(failed);
    for (const auto& [option, endOfDay, time] :
         {std::tuple{&since, false, &filter.Since}, std::tuple{&until, true, &filter.Until}}) {
        if (!parser.isSet(*option)) continue;
        *time = parseTime(parser.value(*option), endOfDay);
        if (!time->isValid())
            return UsageError(
                QStringLiteral("log"),
                QStringLiteral("--%1: \"%2\" is not a date (YYYY-MM-DD) or time (YYYY-MM-DDTHH:MM)")
                    .arg(option->names().first(), parser.value(*option)));
    }
    if (parser.isSet(type)) {
        const int deviceType = ParseDeviceType(parser.value(type));
        if (deviceType < FirstDeviceType)
            return UsageError(QStringLiteral("log"), QStringLiteral("unknown device type \"%1\"; one of:\n%2")
                                                         .arg(parser.value(type), DeviceTypeChoices()));
        filter.DeviceType = QString::fromLatin1(DeviceTypeInfo(deviceType).ModelName);
    }

    tCommissioningLog log;
    QString error;
    if (parser.isSet(csv)) {
        QFile output;
        if (output.open(stdout, QIODevice::WriteOnly)) log.WriteCsv(filter, output, &error);
    } else {
        QList<tCommissioningEntry> entries;
        if (log.Entries(filter, entries, &error, false)) {
            QStringList lines;
            for (const tCommissioningEntry& entry : entries)
                lines << entryLines(entry);
            PrintLines(lines);
        }
    }
    if (error.isEmpty()) return ExitSuccess;
    PrintError(
        QStringLiteral("zcfg log: the commissioning log %1 cannot be read: %2").arg(log.Location(), error));
    return ExitUsage;
}
