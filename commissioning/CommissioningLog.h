#pragma once
// The commissioning log: one entry for every read, program, factory program, compare, restore and
// adapter self-test, kept in an SQLite file or on a PostgreSQL server, and the queries the history
// and the reports make over it.
//
// Writing never stops or fails a transfer. Each entry is written in a transaction of its own. When
// the log cannot be written (a read-only or locked file, a full disk, a server that does not answer),
// the entry waits in memory with any others before it, and they are written, in order, by the next
// Append or Flush that finds the log writable again. The problem is reported once through OnProblem,
// not again until the log has been written. A damaged SQLite file is moved aside under a
// time-stamped name, never deleted, and a fresh log is started in its place.
//
// Each thread that uses the log gets connections of its own (named per log and thread): one that
// writes and one that reads, so a query the history keeps open never holds up an append.

#include "commissioning/CommissioningEntry.h"
#include "commissioning/CommissioningSchema.h"
#include "commissioning/CommissioningSettings.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QSqlQuery>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;
class QSqlDatabase;
class QSqlError;

class tCommissioningLog {
public:
    using tProblemEvent = std::function<void(tCommissioningLog* sender, const QString& message)>;

    // How long an append waits for another program's write to end, in milliseconds: long enough for
    // any append to finish, short enough that a transfer does not wait noticeably.
    static constexpr int DefaultBusyTimeout = 250;
    // How long the last flush, when the log is closed, waits.
    static constexpr int ClosingBusyTimeout = 2000;

    explicit tCommissioningLog(tCommissioningLogSettings settings = ReadCommissioningLogSettings());
    // Writes what waits, waiting longer for a lock; entries that still cannot be written are
    // reported through OnProblem as lost. Closes the connections: a query from ListQuery must be
    // gone (a model cleared) before.
    ~tCommissioningLog();

    tCommissioningLog(const tCommissioningLog&) = delete;
    tCommissioningLog& operator=(const tCommissioningLog&) = delete;

    const tCommissioningLogSettings& Settings() const { return settings_; }
    tSqlDialect Dialect() const;
    // The file's path, or the database and server, as the messages name them.
    QString Location() const;

    // ---- Writing ----------------------------------------------------------------------------------
    // Records an entry. Fills in the time, the operator and the host when they are empty, and
    // computes the configuration's digest. Never raises; returns once the entry is written or, when
    // the log cannot be written, kept to be written later.
    void Append(tCommissioningEntry entry) noexcept;
    // Writes the entries waiting; true when none waits any more.
    bool Flush() noexcept;
    qsizetype PendingCount() const;
    QList<tCommissioningEntry> PendingEntries() const;
    // Why the log cannot be written at present; empty while it can.
    QString Problem() const;

    // Called, sender first, with a message for the user: once when the log cannot be written (not
    // again until it has been), when a damaged file was moved aside (naming both files), and from the
    // destructor for entries that could not be written at all. Called outside any lock: the handler
    // may show a box. Clear it before its receiver goes if the log outlives it.
    void SetOnProblem(tProblemEvent handler);

    void SetBusyTimeout(int milliseconds);
    int BusyTimeout() const;

    // ---- Reading, on this thread's reading connection -------------------------------------------
    // Before anything was written the embedded log has no file; the reading functions then find no
    // entries and create none.

    // The list query over the filter, executed, for a QSqlQueryModel (columns tCommissioningColumn,
    // without the configuration's text). Not active when there is no log yet or it cannot be read
    // (lastError() then says why). SQLite hands the rows over as the model fetches them; PostgreSQL's
    // driver fetches every row at once, so give the filter a Limit there.
    QSqlQuery ListQuery(const tCommissioningFilter& filter);
    // How many entries the filter selects; -1 when the log cannot be read.
    qint64 Count(const tCommissioningFilter& filter, QString* error = nullptr);
    // The entries the filter selects, with their configurations' text when asked; false when the log
    // cannot be read.
    bool Entries(const tCommissioningFilter& filter, QList<tCommissioningEntry>& entries,
                 QString* error = nullptr, bool withConfigurations = true);
    // One entry with its configuration; none when there is no such entry or the log cannot be read.
    std::optional<tCommissioningEntry> Entry(qint64 id, QString* error = nullptr);
    // The entries as CSV (RFC 4180: a header row, fields quoted where needed, CR LF line ends, UTF-8),
    // without the configurations' text (the digest names each); false when the log cannot be read or
    // the output cannot be written.
    bool WriteCsv(const tCommissioningFilter& filter, QIODevice& output, QString* error = nullptr);

    // ---- For tests --------------------------------------------------------------------------------
    // Called inside each append's transaction, just before it commits.
    void SetBeforeCommit(std::function<void()> hook);

private:
    enum class tOutcome { Written, Unavailable, Damaged };
    enum class tUse { Writing, Reading };
    struct tOpened;

    bool writePending(QStringList& messages);
    tOutcome writeEntry(const tCommissioningEntry& entry, QString& error);
    bool moveDamagedFile(QStringList& messages);
    tOpened open(tUse use, bool create);
    bool migrate(QSqlDatabase& db, QSqlError& failure);
    QString connectionName(tUse use) const;
    bool isDamage(const QSqlError& error) const;
    QString describe(const QSqlError& error) const;
    void deliver(const QStringList& messages);
    template <class F> bool readQuery(const tBoundSql& sql, QString* error, F&& eachRow);

    const tCommissioningLogSettings settings_;
    const int instance_;
    mutable QMutex mutex_;
    QList<tCommissioningEntry> pending_;
    QString problem_;
    QString problemDetail_; // what the database said
    bool reported_ = false;
    int busyTimeout_ = DefaultBusyTimeout;
    QSet<QString> connections_;           // every connection name this log added
    QHash<QString, QString> openedFiles_; // connection name -> identity of the file it opened
    tProblemEvent onProblem_;
    std::function<void()> beforeCommit_;
};
