#pragma once
// The log's tables and the SQL that reads them, for the embedded SQLite file and for PostgreSQL.
// Every value reaches the database as a bound value; the SQL text holds none.

#include "commissioning/CommissioningEntry.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QSqlQuery;

enum class tSqlDialect { SQLite, PostgreSQL };

// The schema version this program writes. Older logs are migrated to it, one step at a time.
constexpr int CommissioningSchemaVersion = 2;

// The statements that bring a log of version `from` to version `from` + 1 (from 0: an empty log).
QStringList CommissioningMigration(int from, tSqlDialect dialect);

// The columns of the list query, in this order; the history window's model shows them.
enum tCommissioningColumn {
    ccId,
    ccTime, // UTC, "2026-03-01T10:15:30.250Z"
    ccOperator,
    ccHost,
    ccAdapterSerial,
    ccAction,
    ccDeviceType,
    ccFactoryData,
    ccSerialNumber,
    ccHardwareRevision,
    ccFirmwareRevision,
    ccSuccess, // 1 or 0
    ccResult,
    ccDifferences, // the lines joined by "\n"
    ccConfigurationFile,
    ccConfigurationSha256,
    ccBackupFile,
    ccComments,
    ccConfiguration, // only in the query made with the configuration
    ccColumnCount
};

// SQL with "?" placeholders and the values to bind to them, in order.
struct tBoundSql {
    QString Sql;
    QVariantList Values;
};

// The entries the filter selects, newest first unless it asks for the oldest first; with the
// configuration's text as the last column when asked.
tBoundSql CommissioningListSql(const tCommissioningFilter& filter, tSqlDialect dialect,
                               bool withConfiguration = false);
// How many entries the filter selects (Limit and Offset aside).
tBoundSql CommissioningCountSql(const tCommissioningFilter& filter, tSqlDialect dialect);
// The one entry with the id, with its configuration.
tBoundSql CommissioningEntrySql(qint64 id);

// Writing an entry: its configuration's text (once per distinct text) and the entry itself.
tBoundSql CommissioningConfigurationInsert(const tCommissioningEntry& entry);
tBoundSql CommissioningEntryInsert(const tCommissioningEntry& entry);

// The entry on the current row of a list query, with the configuration's text when the query has it.
tCommissioningEntry CommissioningEntryFromQuery(const QSqlQuery& query, bool withConfiguration);

// Times as the log stores them: UTC with milliseconds, a text that sorts as the time does.
QString CommissioningTimeText(const QDateTime& time);
QDateTime CommissioningTimeFromText(const QString& text);
