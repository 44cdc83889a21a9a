#include "commissioning/CommissioningSchema.h"

#include <QSqlQuery>

namespace {

// The entry columns in the order of tCommissioningColumn, up to the configuration's digest and after.
const char* const entryColumns[] = {"id",
                                    "time_utc",
                                    "operator",
                                    "host",
                                    "adapter_serial",
                                    "action",
                                    "device_type",
                                    "factory_data",
                                    "serial_number",
                                    "hardware_revision",
                                    "firmware_revision",
                                    "success",
                                    "result",
                                    "differences",
                                    "configuration_file",
                                    "configuration_sha256",
                                    "backup_file",
                                    "comments"};
static_assert(std::size(entryColumns) == ccConfiguration, "one name per entry column");

QString selectColumns(bool withConfiguration) {
    QStringList columns;
    for (const char* column : entryColumns)
        columns << QStringLiteral("e.") + QLatin1String(column);
    if (withConfiguration) columns << QStringLiteral("c.configuration");
    return columns.join(QStringLiteral(", "));
}

// The text the history's filter searches: the searched fields in lower case, one a line.
QString searchText(const tCommissioningEntry& entry) {
    const tLoggedIdentity& identity = entry.Identity;
    return QStringList{
        entry.DeviceType,          identity.FactoryData,    identity.SerialNumber, identity.HardwareRevision,
        identity.FirmwareRevision, entry.ConfigurationFile, entry.Comments,        entry.Result}
        .join(QLatin1Char('\n'))
        .toLower();
}

// The WHERE clause of a filter (empty when it selects everything), its values appended to values.
QString whereClause(const tCommissioningFilter& filter, tSqlDialect dialect, QVariantList& values) {
    QStringList conditions;
    if (!filter.Text.isEmpty()) {
        // A plain search for the text as it stands, in any case: no character of it is a pattern.
        conditions << (dialect == tSqlDialect::PostgreSQL ? QStringLiteral("strpos(e.search_text, ?) > 0")
                                                          : QStringLiteral("instr(e.search_text, ?) > 0"));
        values << filter.Text.toLower();
    }
    if (!filter.DeviceType.isEmpty()) {
        conditions << QStringLiteral("e.device_type = ?");
        values << filter.DeviceType;
    }
    if (filter.Since.isValid()) {
        conditions << QStringLiteral("e.time_utc >= ?");
        values << CommissioningTimeText(filter.Since);
    }
    if (filter.Until.isValid()) {
        conditions << QStringLiteral("e.time_utc < ?");
        values << CommissioningTimeText(filter.Until);
    }
    if (filter.FailuresOnly) conditions << QStringLiteral("e.success = 0");
    return conditions.isEmpty() ? QString()
                                : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
}

// Empty texts are stored as empty texts: the columns take no NULL, and Qt binds a null QString as one.
QVariant stored(const QString& text) {
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

QString text(const QSqlQuery& query, int column) {
    return query.value(column).toString();
}

} // namespace

// Version 1 made the tables; version 2 the index the history's queries need, so that they stay fast
// over a long log. A configuration's text is kept once however many entries programmed it: a factory
// programs the same file into many devices. search_text holds the fields the history's filter
// searches, in lower case, one a line.
QStringList CommissioningMigration(int from, tSqlDialect dialect) {
    const bool postgres = dialect == tSqlDialect::PostgreSQL;
    switch (from) {
    case 0:
        return {
            QStringLiteral("CREATE TABLE commissioning_entries ("
                           "id %1, "
                           "time_utc TEXT %2 NOT NULL, "
                           "operator TEXT NOT NULL DEFAULT '', "
                           "host TEXT NOT NULL DEFAULT '', "
                           "adapter_serial TEXT NOT NULL DEFAULT '', "
                           "action TEXT NOT NULL DEFAULT '', "
                           "device_type TEXT NOT NULL DEFAULT '', "
                           "factory_data TEXT NOT NULL DEFAULT '', "
                           "serial_number TEXT NOT NULL DEFAULT '', "
                           "hardware_revision TEXT NOT NULL DEFAULT '', "
                           "firmware_revision TEXT NOT NULL DEFAULT '', "
                           "success INTEGER NOT NULL DEFAULT 0, "
                           "result TEXT NOT NULL DEFAULT '', "
                           "differences TEXT NOT NULL DEFAULT '', "
                           "configuration_file TEXT NOT NULL DEFAULT '', "
                           "configuration_sha256 TEXT NOT NULL DEFAULT '', "
                           "backup_file TEXT NOT NULL DEFAULT '', "
                           "comments TEXT NOT NULL DEFAULT '', "
                           "search_text TEXT NOT NULL DEFAULT '')")
                // Times compare as text: byte order on PostgreSQL, whatever the database's collation.
                .arg(postgres ? QStringLiteral("BIGSERIAL PRIMARY KEY")
                              : QStringLiteral("INTEGER PRIMARY KEY"),
                     postgres ? QStringLiteral("COLLATE \"C\"") : QString()),
            QStringLiteral("CREATE TABLE commissioning_configurations ("
                           "sha256 TEXT PRIMARY KEY, configuration TEXT NOT NULL)"),
        };
    case 1:
        // On SQLite every filter is decided on the index, which holds the searched text, so a search
        // reads the table only for the entries it finds. A PostgreSQL index entry cannot hold long
        // comments; the server scans the table instead, quickly enough.
        return {postgres ? QStringLiteral("CREATE INDEX commissioning_entries_time ON commissioning_entries "
                                          "(time_utc, id, success, device_type)")
                         : QStringLiteral("CREATE INDEX commissioning_entries_time ON commissioning_entries "
                                          "(time_utc, id, success, device_type, search_text)")};
    default:
        return {};
    }
}

tBoundSql CommissioningListSql(const tCommissioningFilter& filter, tSqlDialect dialect,
                               bool withConfiguration) {
    tBoundSql result;
    result.Sql = QStringLiteral("SELECT ") + selectColumns(withConfiguration) +
                 QStringLiteral(" FROM commissioning_entries e");
    if (withConfiguration)
        result.Sql += QStringLiteral(" LEFT JOIN commissioning_configurations c "
                                     "ON c.sha256 = e.configuration_sha256");
    result.Sql += whereClause(filter, dialect, result.Values);
    result.Sql += filter.OldestFirst ? QStringLiteral(" ORDER BY e.time_utc, e.id")
                                     : QStringLiteral(" ORDER BY e.time_utc DESC, e.id DESC");
    if (filter.Limit > 0 || filter.Offset > 0) {
        // SQLite wants a LIMIT before an OFFSET; -1 is none. PostgreSQL takes ALL for none.
        result.Sql +=
            QStringLiteral(" LIMIT ") + (filter.Limit > 0                     ? QStringLiteral("?")
                                         : dialect == tSqlDialect::PostgreSQL ? QStringLiteral("ALL")
                                                                              : QStringLiteral("-1"));
        if (filter.Limit > 0) result.Values << filter.Limit;
        if (filter.Offset > 0) {
            result.Sql += QStringLiteral(" OFFSET ?");
            result.Values << filter.Offset;
        }
    }
    return result;
}

tBoundSql CommissioningCountSql(const tCommissioningFilter& filter, tSqlDialect dialect) {
    tBoundSql result;
    result.Sql = QStringLiteral("SELECT COUNT(*) FROM commissioning_entries e");
    result.Sql += whereClause(filter, dialect, result.Values);
    return result;
}

tBoundSql CommissioningEntrySql(qint64 id) {
    return {QStringLiteral("SELECT ") + selectColumns(true) +
                QStringLiteral(" FROM commissioning_entries e LEFT JOIN commissioning_configurations c "
                               "ON c.sha256 = e.configuration_sha256 WHERE e.id = ?"),
            {id}};
}

tBoundSql CommissioningConfigurationInsert(const tCommissioningEntry& entry) {
    return {QStringLiteral("INSERT INTO commissioning_configurations (sha256, configuration) VALUES (?, ?) "
                           "ON CONFLICT (sha256) DO NOTHING"),
            {entry.ConfigurationSha256, entry.Configuration}};
}

tBoundSql CommissioningEntryInsert(const tCommissioningEntry& entry) {
    QStringList columns;
    for (size_t i = ccTime; i < std::size(entryColumns); ++i)
        columns << QLatin1String(entryColumns[i]);
    columns << QStringLiteral("search_text");
    QStringList placeholders(columns.size(), QStringLiteral("?"));
    const tLoggedIdentity& identity = entry.Identity;
    return {QStringLiteral("INSERT INTO commissioning_entries (%1) VALUES (%2)")
                .arg(columns.join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", "))),
            {CommissioningTimeText(entry.Time), stored(entry.Operator), stored(entry.Host),
             stored(entry.AdapterSerial), stored(entry.Action), stored(entry.DeviceType),
             stored(identity.FactoryData), stored(identity.SerialNumber), stored(identity.HardwareRevision),
             stored(identity.FirmwareRevision), entry.Success ? 1 : 0, stored(entry.Result),
             stored(entry.Differences.join(QLatin1Char('\n'))), stored(entry.ConfigurationFile),
             stored(entry.ConfigurationSha256), stored(entry.BackupFile), stored(entry.Comments),
             searchText(entry)}};
}

tCommissioningEntry CommissioningEntryFromQuery(const QSqlQuery& query, bool withConfiguration) {
    tCommissioningEntry entry;
    entry.Id = query.value(ccId).toLongLong();
    entry.Time = CommissioningTimeFromText(text(query, ccTime));
    entry.Operator = text(query, ccOperator);
    entry.Host = text(query, ccHost);
    entry.AdapterSerial = text(query, ccAdapterSerial);
    entry.Action = text(query, ccAction);
    entry.DeviceType = text(query, ccDeviceType);
    entry.Identity = {text(query, ccFactoryData), text(query, ccSerialNumber),
                      text(query, ccHardwareRevision), text(query, ccFirmwareRevision)};
    entry.Success = query.value(ccSuccess).toInt() != 0;
    entry.Result = text(query, ccResult);
    const QString differences = text(query, ccDifferences);
    if (!differences.isEmpty()) entry.Differences = differences.split(QLatin1Char('\n'));
    entry.ConfigurationFile = text(query, ccConfigurationFile);
    entry.ConfigurationSha256 = text(query, ccConfigurationSha256);
    entry.BackupFile = text(query, ccBackupFile);
    entry.Comments = text(query, ccComments);
    if (withConfiguration) entry.Configuration = text(query, ccConfiguration);
    return entry;
}

QString CommissioningTimeText(const QDateTime& time) {
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

QDateTime CommissioningTimeFromText(const QString& text) {
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    return time.isValid() ? time.toUTC() : time;
}
