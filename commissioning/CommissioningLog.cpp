#include "commissioning/CommissioningLog.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QMutexLocker>
#include <QSqlDatabase>
#include <QSqlError>
#include <QThread>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

QAtomicInt logInstances;

const QString sqliteDriver = QStringLiteral("QSQLITE");
const QString postgresDriver = QStringLiteral("QPSQL");

// What makes a file this file (device and inode); empty when there is none. A log whose file was
// moved, replaced or deleted while the program ran is opened again rather than written to where no
// one will look.
QString fileIdentity(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return QString();
    return QStringLiteral("%1:%2").arg(quint64(info.st_dev)).arg(quint64(info.st_ino));
#else
    return QFileInfo::exists(path) ? path : QString();
#endif
}

// Runs a statement with its values bound; the query is left on its result.
bool execute(QSqlQuery& query, const tBoundSql& sql) {
    if (!query.prepare(sql.Sql)) return false;
    for (const QVariant& value : sql.Values)
        query.addBindValue(value);
    return query.exec();
}

// Runs a statement that takes no values.
bool executeFixed(const QSqlDatabase& db, const QString& sql, QSqlError* failure = nullptr) {
    QSqlQuery query(db);
    if (query.exec(sql)) return true;
    if (failure) *failure = query.lastError();
    return false;
}

// The first value of a statement that takes no values; invalid when it fails.
QVariant valueOf(const QSqlDatabase& db, const QString& sql, QSqlError& failure) {
    QSqlQuery query(db);
    if (query.exec(sql) && query.next()) return query.value(0);
    failure = query.lastError();
    return QVariant();
}

// A name for a moved-aside file that no file has yet: BASE-damaged-STAMP[-N].SUFFIX.
QString damagedFileName(const QString& file) {
    const QFileInfo info(file);
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmssZ"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int number = 1;; ++number) {
        const QString name = info.completeBaseName() + QStringLiteral("-damaged-") + stamp +
                             (number > 1 ? QStringLiteral("-%1").arg(number) : QString()) + suffix;
        const QString path = info.dir().filePath(name);
        if (!QFileInfo::exists(path) && !QFileInfo::exists(path + QStringLiteral("-wal"))) return path;
    }
}

const char* const csvHeader[] = {"Time (UTC)",
                                 "Operator",
                                 "Host",
                                 "Adapter",
                                 "Action",
                                 "Device Type",
                                 "Factory Data",
                                 "Serial Number",
                                 "Hardware Revision",
                                 "Firmware Revision",
                                 "Success",
                                 "Result",
                                 "Differences",
                                 "Configuration File",
                                 "Configuration SHA-256",
                                 "Backup File",
                                 "Comments"};
static_assert(std::size(csvHeader) == ccConfiguration - ccTime, "one heading per column after the id");

// A field as RFC 4180 has it: as it is, or quoted with its quotes doubled when it holds a comma, a
// quote or a line break.
void appendCsvField(QString& line, QStringView text) {
    const auto special = [](QChar c) {
        const char16_t code = c.unicode();
        return code == u',' || code == u'"' || code == u'\r' || code == u'\n';
    };
    if (std::none_of(text.begin(), text.end(), special)) {
        line += text;
        return;
    }
    line += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) line += c;
        line += c;
    }
    line += QLatin1Char('"');
}

} // namespace

struct tCommissioningLog::tOpened {
    QSqlDatabase Db; // open, or invalid
    QString Error;
    bool Damaged = false;
    bool NoLog = false; // reading the embedded log before it has any entries
};

tCommissioningLog::tCommissioningLog(tCommissioningLogSettings settings)
    : settings_([&] {
          if (!settings.UsesServer() && settings.File.isEmpty())
              settings.File = DefaultCommissioningLogFile();
          return std::move(settings);
      }()),
      instance_(logInstances.fetchAndAddRelaxed(1) + 1) {}

tCommissioningLog::~tCommissioningLog() {
    QStringList messages;
    {
        QMutexLocker lock(&mutex_);
        if (!pending_.isEmpty()) {
            busyTimeout_ = qMax(busyTimeout_, ClosingBusyTimeout);
            QStringList ignored; // the loss is what matters now
            if (!writePending(ignored))
                messages << QStringLiteral("The commissioning log %1 could not be written: %2. %3 lost.")
                                .arg(Location(), problemDetail_,
                                     pending_.size() == 1
                                         ? QStringLiteral("One entry was")
                                         : QStringLiteral("%1 entries were").arg(pending_.size()));
        }
        for (const QString& name : std::as_const(connections_))
            QSqlDatabase::removeDatabase(name);
    }
    deliver(messages);
}

tSqlDialect tCommissioningLog::Dialect() const {
    return settings_.UsesServer() ? tSqlDialect::PostgreSQL : tSqlDialect::SQLite;
}

QString tCommissioningLog::Location() const {
    if (!settings_.UsesServer()) return settings_.File;
    QString server = settings_.Server;
    if (settings_.Port > 0) server += QStringLiteral(":%1").arg(settings_.Port);
    return settings_.Database.isEmpty() ? QStringLiteral("on %1").arg(server)
                                        : QStringLiteral("\"%1\" on %2").arg(settings_.Database, server);
}

// ---- Writing ------------------------------------------------------------------------------------

void tCommissioningLog::Append(tCommissioningEntry entry) noexcept {
    try {
        if (!entry.Time.isValid()) entry.Time = QDateTime::currentDateTimeUtc();
        entry.Time = entry.Time.toUTC();
        if (entry.Operator.isEmpty()) entry.Operator = CurrentOperator();
        if (entry.Host.isEmpty()) entry.Host = CurrentHost();
        entry.ConfigurationSha256 = ConfigurationDigest(entry.Configuration);
        entry.Id = 0;
        QStringList messages;
        {
            QMutexLocker lock(&mutex_);
            pending_.append(std::move(entry));
            writePending(messages);
        }
        deliver(messages);
    } catch (...) {
        // Nothing may reach the transfer that appends. What was kept stays kept.
    }
}

bool tCommissioningLog::Flush() noexcept {
    try {
        QStringList messages;
        bool written = false;
        {
            QMutexLocker lock(&mutex_);
            written = writePending(messages);
        }
        deliver(messages);
        return written;
    } catch (...) {
        return false;
    }
}

qsizetype tCommissioningLog::PendingCount() const {
    QMutexLocker lock(&mutex_);
    return pending_.size();
}

QList<tCommissioningEntry> tCommissioningLog::PendingEntries() const {
    QMutexLocker lock(&mutex_);
    return pending_;
}

QString tCommissioningLog::Problem() const {
    QMutexLocker lock(&mutex_);
    return problem_;
}

void tCommissioningLog::SetOnProblem(tProblemEvent handler) {
    QMutexLocker lock(&mutex_);
    onProblem_ = std::move(handler);
}

void tCommissioningLog::SetBusyTimeout(int milliseconds) {
    QMutexLocker lock(&mutex_);
    busyTimeout_ = qMax(0, milliseconds);
}

int tCommissioningLog::BusyTimeout() const {
    QMutexLocker lock(&mutex_);
    return busyTimeout_;
}

void tCommissioningLog::SetBeforeCommit(std::function<void()> hook) {
    QMutexLocker lock(&mutex_);
    beforeCommit_ = std::move(hook);
}

// Writes the waiting entries in order, each in a transaction of its own, and stops at the first that
// cannot be written. A damaged file is moved aside once per call and the entry tried again on the
// fresh log. The first failure after the log was last written is reported; later ones are not.
bool tCommissioningLog::writePending(QStringList& messages) {
    bool movedAside = false;
    while (!pending_.isEmpty()) {
        QString error;
        const tOutcome outcome = writeEntry(pending_.first(), error);
        if (outcome == tOutcome::Written) {
            pending_.removeFirst();
            continue;
        }
        // The next attempt opens the log afresh: the file may be replaced, the server back.
        QSqlDatabase::database(connectionName(tUse::Writing), false).close();
        if (outcome == tOutcome::Damaged && !movedAside) {
            movedAside = true;
            if (moveDamagedFile(messages)) continue;
            error = QStringLiteral("the file is damaged and could not be moved aside");
        }
        problemDetail_ = error;
        problem_ = QStringLiteral("The commissioning log %1 cannot be written: %2. Its entries are kept and "
                                  "will be written when it can be written again.")
                       .arg(Location(), error);
        if (!reported_) messages << problem_;
        reported_ = true;
        return false;
    }
    problem_.clear();
    problemDetail_.clear();
    reported_ = false;
    return true;
}

tCommissioningLog::tOutcome tCommissioningLog::writeEntry(const tCommissioningEntry& entry, QString& error) {
    const tOpened opened = open(tUse::Writing, true);
    if (!opened.Db.isOpen()) {
        error = opened.Error;
        return opened.Damaged ? tOutcome::Damaged : tOutcome::Unavailable;
    }
    const QSqlDatabase& db = opened.Db;
    const bool sqlite = Dialect() == tSqlDialect::SQLite;
    QSqlError failure;
    bool written =
        !sqlite || executeFixed(db, QStringLiteral("PRAGMA busy_timeout = %1").arg(busyTimeout_), &failure);
    // Taking the write lock at the start means a busy log fails here, before anything is written.
    written =
        written &&
        executeFixed(db, sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"), &failure);
    if (written) {
        QSqlQuery query(db);
        written =
            (entry.Configuration.isEmpty() || execute(query, CommissioningConfigurationInsert(entry))) &&
            execute(query, CommissioningEntryInsert(entry));
        if (!written) failure = query.lastError();
        if (written && beforeCommit_) beforeCommit_();
        written = written && executeFixed(db, QStringLiteral("COMMIT"), &failure);
        if (!written) executeFixed(db, QStringLiteral("ROLLBACK"));
    }
    if (written) return tOutcome::Written;
    error = describe(failure);
    return isDamage(failure) ? tOutcome::Damaged : tOutcome::Unavailable;
}

// Moves a damaged log file (with its write-ahead log) aside, so that a fresh log starts in its place.
// Another program may have done so already: the file is checked again first.
bool tCommissioningLog::moveDamagedFile(QStringList& messages) {
    const QString file = settings_.File;
    {
        const QString probeName = connectionName(tUse::Writing) + QStringLiteral("-check");
        bool damaged = true;
        {
            QSqlDatabase probe = QSqlDatabase::addDatabase(sqliteDriver, probeName);
            probe.setDatabaseName(file);
            QSqlError failure;
            if (probe.open()) {
                const QVariant check = valueOf(probe, QStringLiteral("PRAGMA quick_check(1)"), failure);
                damaged = check.isValid() ? check.toString() != QLatin1String("ok") : isDamage(failure);
            }
            probe.close();
        }
        QSqlDatabase::removeDatabase(probeName);
        if (!damaged) return true;
    }
    // The write-ahead log goes first: a fresh log must never meet the old one's.
    const QString target = damagedFileName(file);
    const QString wal = QStringLiteral("-wal");
    const bool hasWal = QFileInfo::exists(file + wal);
    if (hasWal && !QFile::rename(file + wal, target + wal)) return false;
    if (!QFile::rename(file, target)) {
        if (hasWal) QFile::rename(target + wal, file + wal);
        return false;
    }
    const QString shm = QStringLiteral("-shm");
    if (QFileInfo::exists(file + shm)) QFile::rename(file + shm, target + shm);
    messages << QStringLiteral("The commissioning log %1 was damaged. It has been moved to %2 and a new log "
                               "started in its place.")
                    .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(target));
    return true;
}

// ---- Connections --------------------------------------------------------------------------------

QString tCommissioningLog::connectionName(tUse use) const {
    return QStringLiteral("zcfg-commissioning-%1-%2-%3")
        .arg(instance_)
        .arg(use == tUse::Writing ? QLatin1Char('w') : QLatin1Char('r'))
        .arg(quintptr(QThread::currentThreadId()));
}

// This thread's connection for the use, opened if need be (the caller holds the mutex). Writing
// creates the file and brings its schema up to date; reading finds NoLog where nothing was written.
tCommissioningLog::tOpened tCommissioningLog::open(tUse use, bool create) {
    tOpened opened;
    if (!settings_.Error.isEmpty()) {
        opened.Error = settings_.Error;
        return opened;
    }
    const bool sqlite = Dialect() == tSqlDialect::SQLite;
    const QString name = connectionName(use);
    const QString& file = settings_.File;
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (db.isOpen()) {
        if (!sqlite || openedFiles_.value(name) == fileIdentity(file)) {
            opened.Db = db;
            return opened;
        }
        db.close();
    }
    if (sqlite && !create && !QFileInfo::exists(file)) {
        opened.NoLog = true;
        return opened;
    }
    if (!db.isValid()) {
        db = QSqlDatabase::addDatabase(sqlite ? sqliteDriver : postgresDriver, name);
        if (!db.isValid()) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            opened.Error =
                sqlite ? QStringLiteral("Qt's SQLite driver is not installed (package libqt6sql6-sqlite)")
                       : QStringLiteral("Qt's PostgreSQL driver is not installed (package libqt6sql6-psql)");
            return opened;
        }
        connections_.insert(name);
        if (sqlite) {
            db.setDatabaseName(file);
        } else {
            db.setHostName(settings_.Server);
            db.setDatabaseName(settings_.Database);
            db.setUserName(settings_.User);
            if (settings_.Port > 0) db.setPort(settings_.Port);
            // A server that does not answer must not hold a transfer up for long.
            db.setConnectOptions(QStringLiteral("connect_timeout=2;application_name=zentara-configurator"));
        }
    }
    if (sqlite && create && !QDir().mkpath(QFileInfo(file).absolutePath())) {
        opened.Error = QStringLiteral("the folder %1 cannot be created")
                           .arg(QDir::toNativeSeparators(QFileInfo(file).absolutePath()));
        return opened;
    }
    if (!db.open()) {
        opened.Error = describe(db.lastError());
        opened.Damaged = isDamage(db.lastError());
        return opened;
    }
    if (sqlite) openedFiles_.insert(name, fileIdentity(file));
    QSqlError failure;
    bool ready = true;
    if (sqlite && use == tUse::Writing) {
        // Write-ahead logging: readers never wait for a writer, and an append interrupted at any point
        // leaves every earlier entry intact. A full sync per entry: once Append has returned, the entry
        // survives a power cut too.
        ready = executeFixed(db, QStringLiteral("PRAGMA busy_timeout = %1").arg(busyTimeout_), &failure) &&
                executeFixed(db, QStringLiteral("PRAGMA journal_mode = WAL"), &failure) &&
                executeFixed(db, QStringLiteral("PRAGMA synchronous = FULL"), &failure);
    } else if (!sqlite) {
        // The server's notices ("already exists, skipping") are no news to anyone.
        ready = executeFixed(db, QStringLiteral("SET lock_timeout = %1").arg(busyTimeout_), &failure) &&
                executeFixed(db, QStringLiteral("SET client_min_messages = warning"), &failure);
    }
    if (ready && use == tUse::Writing) {
        ready = migrate(db, failure);
    } else if (ready) {
        // A log another program has only just created may have no tables yet.
        const QVariant tables = valueOf(
            db,
            sqlite ? QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'commissioning_entries'")
                   : QStringLiteral("SELECT COUNT(*) FROM pg_catalog.pg_tables "
                                    "WHERE tablename = 'commissioning_entries'"),
            failure);
        ready = tables.isValid();
        if (ready && tables.toInt() == 0) {
            db.close();
            opened.NoLog = true;
            return opened;
        }
    }
    if (!ready) {
        db.close();
        opened.Error = describe(failure);
        opened.Damaged = isDamage(failure);
        return opened;
    }
    opened.Db = db;
    return opened;
}

// Brings the schema to this program's version in one transaction, step by step. A log of a newer
// version is left as it is: newer versions only add to the schema, so it is written as it stands.
bool tCommissioningLog::migrate(QSqlDatabase& db, QSqlError& failure) {
    const tSqlDialect dialect = Dialect();
    const bool sqlite = dialect == tSqlDialect::SQLite;
    if (!executeFixed(db, sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"), &failure))
        return false;
    bool done = true;
    QVariant version;
    if (sqlite) {
        version = valueOf(db, QStringLiteral("PRAGMA user_version"), failure);
    } else {
        // Programs starting at once take turns; the lock ends with the transaction.
        done = executeFixed(db, QStringLiteral("SELECT pg_advisory_xact_lock(7243015)"), &failure) &&
               executeFixed(db,
                            QStringLiteral("CREATE TABLE IF NOT EXISTS commissioning_schema_version "
                                           "(version INTEGER NOT NULL)"),
                            &failure);
        if (done) {
            QSqlQuery query(db);
            done = query.exec(QStringLiteral("SELECT version FROM commissioning_schema_version"));
            if (!done) {
                failure = query.lastError();
            } else if (query.next()) {
                version = query.value(0);
            } else {
                version = 0;
                done = executeFixed(db, QStringLiteral("INSERT INTO commissioning_schema_version VALUES (0)"),
                                    &failure);
            }
        }
    }
    done = done && version.isValid();
    int reached = version.toInt();
    for (; done && reached < CommissioningSchemaVersion; ++reached)
        for (const QString& statement : CommissioningMigration(reached, dialect))
            if (done) done = executeFixed(db, statement, &failure);
    if (done && reached != version.toInt()) {
        QSqlQuery query(db);
        done = sqlite ? query.exec(QStringLiteral("PRAGMA user_version = %1").arg(reached))
                      : execute(query, {QStringLiteral("UPDATE commissioning_schema_version SET version = ?"),
                                        {reached}});
        if (!done) failure = query.lastError();
    }
    done = done && executeFixed(db, QStringLiteral("COMMIT"), &failure);
    if (!done) executeFixed(db, QStringLiteral("ROLLBACK"));
    return done;
}

// SQLite's SQLITE_CORRUPT and SQLITE_NOTADB: the file is not a log that can be read any more.
bool tCommissioningLog::isDamage(const QSqlError& error) const {
    if (Dialect() != tSqlDialect::SQLite) return false;
    bool isNumber = false;
    const int code = error.nativeErrorCode().toInt(&isNumber) & 0xff;
    return isNumber && (code == 11 || code == 26);
}

// What the database said, on one line: a server's message may span several.
QString tCommissioningLog::describe(const QSqlError& error) const {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty()) text = error.driverText().trimmed();
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (const QString simplified = line.simplified(); !simplified.isEmpty()) lines << simplified;
    text = lines.isEmpty() ? QStringLiteral("unknown error") : lines.join(QStringLiteral("; "));
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

void tCommissioningLog::deliver(const QStringList& messages) {
    if (messages.isEmpty()) return;
    tProblemEvent handler;
    {
        QMutexLocker lock(&mutex_);
        handler = onProblem_;
    }
    if (handler)
        for (const QString& message : messages)
            handler(this, message);
}

// ---- Reading ------------------------------------------------------------------------------------

template <class F> bool tCommissioningLog::readQuery(const tBoundSql& sql, QString* error, F&& eachRow) {
    tOpened opened;
    {
        QMutexLocker lock(&mutex_);
        opened = open(tUse::Reading, false);
    }
    if (opened.NoLog) return true;
    QString problem = opened.Error;
    if (opened.Db.isOpen()) {
        QSqlQuery query(opened.Db);
        query.setForwardOnly(true);
        if (execute(query, sql)) {
            while (query.next())
                if (!eachRow(query, problem)) break;
            if (problem.isEmpty() && query.lastError().isValid()) problem = describe(query.lastError());
        } else {
            problem = describe(query.lastError());
        }
    }
    if (error) *error = problem;
    return problem.isEmpty();
}

QSqlQuery tCommissioningLog::ListQuery(const tCommissioningFilter& filter) {
    tOpened opened;
    {
        QMutexLocker lock(&mutex_);
        opened = open(tUse::Reading, false);
    }
    if (!opened.Db.isOpen()) return QSqlQuery();
    QSqlQuery query(opened.Db);
    execute(query, CommissioningListSql(filter, Dialect()));
    return query;
}

qint64 tCommissioningLog::Count(const tCommissioningFilter& filter, QString* error) {
    qint64 count = 0;
    const bool read =
        readQuery(CommissioningCountSql(filter, Dialect()), error, [&](QSqlQuery& query, QString&) {
            count = query.value(0).toLongLong();
            return true;
        });
    return read ? count : -1;
}

bool tCommissioningLog::Entries(const tCommissioningFilter& filter, QList<tCommissioningEntry>& entries,
                                QString* error, bool withConfigurations) {
    entries.clear();
    return readQuery(CommissioningListSql(filter, Dialect(), withConfigurations), error,
                     [&](QSqlQuery& query, QString&) {
                         entries.append(CommissioningEntryFromQuery(query, withConfigurations));
                         return true;
                     });
}

std::optional<tCommissioningEntry> tCommissioningLog::Entry(qint64 id, QString* error) {
    std::optional<tCommissioningEntry> entry;
    readQuery(CommissioningEntrySql(id), error, [&](QSqlQuery& query, QString&) {
        entry = CommissioningEntryFromQuery(query, true);
        return false;
    });
    return entry;
}

bool tCommissioningLog::WriteCsv(const tCommissioningFilter& filter, QIODevice& output, QString* error) {
    QStringList headings;
    for (const char* heading : csvHeader)
        headings << QLatin1String(heading);
    QString text = headings.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    // Written in blocks: the output sees few, large writes however long the log.
    constexpr qsizetype blockSize = 1 << 16;
    text.reserve(2 * blockSize);
    const auto put = [&](qsizetype atLeast, QString& problem) {
        if (text.size() < atLeast) return true;
        const QByteArray bytes = text.toUtf8();
        text.clear();
        if (output.write(bytes) == bytes.size()) return true;
        problem = output.errorString().isEmpty() ? QStringLiteral("the output cannot be written")
                                                 : output.errorString();
        return false;
    };
    QString problem;
    const bool read =
        readQuery(CommissioningListSql(filter, Dialect()), &problem, [&](QSqlQuery& query, QString& failure) {
            for (int column = ccTime; column < ccConfiguration; ++column) {
                if (column > ccTime) text += QLatin1Char(',');
                if (column == ccSuccess)
                    text += query.value(column).toInt() != 0 ? QLatin1String("yes") : QLatin1String("no");
                else
                    appendCsvField(text, query.value(column).toString());
            }
            text += QLatin1String("\r\n");
            return put(blockSize, failure);
        });
    if (read) put(1, problem);
    if (error) *error = problem;
    return problem.isEmpty();
}
