// The commissioning log: entries written and read back, the history's filters, a log that cannot be
// written and comes back, a damaged file, an append killed half-way, writers at once, schema
// migrations, CSV, the settings and zcfg log. The embedded file and, where the package is installed, a
// PostgreSQL cluster of the test's own, started in a temporary folder on a Unix socket.
#include "commissioning/CommissioningLog.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

namespace {

struct Run {
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) return {-1, process.errorString()};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())};
}

const bool asRoot = geteuid() == 0;

// PostgreSQL refuses to run as root: the cluster then runs as "nobody".
class PostgresCluster {
public:
    QString Unavailable; // why there is no cluster; empty while it runs

    void Start() {
        if (!QFile::exists(bin("initdb"))) {
            Unavailable = QStringLiteral("PostgreSQL 15 is not installed (package postgresql)");
        } else if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
            Unavailable = QStringLiteral("Qt's PostgreSQL driver is not installed (package libqt6sql6-psql)");
        } else if (const passwd* nobody = getpwnam("nobody");
                   asRoot && (!nobody || chown(QFile::encodeName(folder_.path()), nobody->pw_uid, 0) != 0)) {
            Unavailable = QStringLiteral("running as root, and the cluster cannot be given to user nobody");
        } else {
            const Run init =
                asUser(bin("initdb"), {"-D", folder_.filePath("data"), "-U", "zcfg", "--auth=trust", "-E",
                                       "UTF8", "--no-locale", "--no-sync"});
            if (init.exitCode != 0) Unavailable = QStringLiteral("initdb failed: ") + init.output;
        }
        if (Unavailable.isEmpty()) Unavailable = Control(QStringLiteral("start"));
    }
    // Starts or stops the server; empty when that worked, otherwise what pg_ctl said.
    QString Control(const QString& action) {
        const Run result =
            asUser(bin("pg_ctl"),
                   {"-D", folder_.filePath("data"), "-l", folder_.filePath("log"), "-w", "-m", "fast", "-o",
                    "-c listen_addresses='' -c fsync=off -c unix_socket_directories='" + folder_.path() + "'",
                    action});
        return result.exitCode == 0 ? QString()
                                    : QStringLiteral("pg_ctl %1 failed: %2").arg(action, result.output);
    }
    tCommissioningLogSettings Settings() const {
        tCommissioningLogSettings settings;
        settings.Server = folder_.path();
        settings.Database = QStringLiteral("postgres");
        settings.User = QStringLiteral("zcfg");
        return settings;
    }

private:
    static QString bin(const char* program) {
        return QStringLiteral("/usr/lib/postgresql/15/bin/") + program;
    }
    static Run asUser(const QString& program, const QStringList& arguments) {
        return asRoot ? run(QStringLiteral("runuser"), QStringList{"-u", "nobody", "--", program} + arguments)
                      : run(program, arguments);
    }
    QTemporaryDir folder_;
};

// A small tmpfs of the test's own (root only), for a disk that fills and one that turns read-only.
class ScratchMount {
public:
    explicit ScratchMount(const char* size) {
        mounted_ = asRoot && run("mount", {"-t", "tmpfs", "-o", QStringLiteral("size=%1").arg(size), "tmpfs",
                                           folder_.path()})
                                     .exitCode == 0;
    }
    ~ScratchMount() {
        if (mounted_) run("umount", {"-l", folder_.path()});
    }
    bool Mounted() const { return mounted_; }
    QString Path() const { return folder_.path(); }
    bool Remount(const char* mode) {
        return run("mount", {"-o", QStringLiteral("remount,") + mode, Path()}).exitCode == 0;
    }

private:
    QTemporaryDir folder_;
    bool mounted_ = false;
};

// The connection the test uses to look at a log or to stand in for another program.
class RawConnection {
public:
    explicit RawConnection(const tCommissioningLogSettings& settings)
        : name_(QStringLiteral("raw%1").arg(++count)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(settings.UsesServer() ? "QPSQL" : "QSQLITE", name_);
        db.setDatabaseName(settings.UsesServer() ? settings.Database : settings.File);
        db.setHostName(settings.Server);
        db.setUserName(settings.User);
        db.open();
    }
    ~RawConnection() {
        QSqlDatabase::database(name_).close();
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlDatabase Db() const { return QSqlDatabase::database(name_); }
    bool Exec(const QString& sql, const QVariantList& values = {}) {
        QSqlQuery query(Db());
        // PostgreSQL prepares no schema statements; they take no values.
        bool done = values.isEmpty() ? query.exec(sql) : query.prepare(sql);
        for (const QVariant& value : values)
            query.addBindValue(value);
        done = done && (values.isEmpty() || query.exec());
        return done || (qWarning() << sql << query.lastError().text(), false);
    }
    QVariant Value(const QString& sql) {
        QSqlQuery query(Db());
        return query.exec(sql) && query.next() ? query.value(0) : QVariant();
    }

private:
    static inline int count = 0;
    QString name_;
};

tCommissioningEntry entry(const QString& comments, bool success = true) {
    tCommissioningEntry result;
    result.Action = CommissioningActionText(tCommissioningAction::Program);
    result.DeviceType = QStringLiteral("ZX320 Relay Output");
    result.Success = success;
    result.Comments = comments;
    return result;
}

QStringList allComments(tCommissioningLog& log) {
    tCommissioningFilter oldestFirst;
    oldestFirst.OldestFirst = true;
    QList<tCommissioningEntry> entries;
    QString error;
    QStringList comments;
    if (!log.Entries(oldestFirst, entries, &error)) comments << QStringLiteral("error: ") + error;
    for (const tCommissioningEntry& each : entries)
        comments << each.Comments;
    return comments;
}

// Every field of an entry as text, so that a difference shows which field it is.
QStringList fields(const tCommissioningEntry& e) {
    const tLoggedIdentity& id = e.Identity;
    return QStringList() << CommissioningTimeText(e.Time) << e.Operator << e.Host << e.AdapterSerial
                         << e.Action << e.DeviceType << id.FactoryData << id.SerialNumber
                         << id.HardwareRevision << id.FirmwareRevision << (e.Success ? "success" : "failure")
                         << e.Result << e.Differences.join('|') << e.ConfigurationFile << e.Configuration
                         << e.ConfigurationSha256 << e.BackupFile << e.Comments;
}

QDateTime at(const char* isoTime) {
    return QDateTime::fromString(QLatin1String(isoTime), Qt::ISODateWithMs);
}

} // namespace

class TestCommissioning : public QObject {
    Q_OBJECT
    QTemporaryDir folder_;
    int files_ = 0;
    PostgresCluster postgres_;

    // A log with nothing in it on the backend: a new file, or the cluster's tables dropped. Invalid
    // (File and Server empty) when there is no cluster.
    tCommissioningLogSettings freshLog(const QString& backend) {
        if (backend == QLatin1String("SQLite")) {
            tCommissioningLogSettings settings;
            settings.File = folder_.filePath(QStringLiteral("log%1/commissioning.sqlite").arg(++files_));
            return settings;
        }
        if (!postgres_.Unavailable.isEmpty()) return {};
        RawConnection raw(postgres_.Settings());
        raw.Exec("SET client_min_messages = warning");
        raw.Exec("DROP TABLE IF EXISTS commissioning_entries, commissioning_configurations, "
                 "commissioning_schema_version");
        return postgres_.Settings();
    }
#define FRESH_LOG(settings, backend)                                                                         \
    const tCommissioningLogSettings settings = freshLog(backend);                                            \
    if (settings.File.isEmpty() && !settings.UsesServer()) QSKIP(qPrintable(postgres_.Unavailable))

    static void backends() {
        QTest::addColumn<QString>("backend");
        QTest::newRow("SQLite") << "SQLite";
        QTest::newRow("PostgreSQL") << "PostgreSQL";
    }

private slots:
    void initTestCase() {
        postgres_.Start();
        if (!postgres_.Unavailable.isEmpty())
            qWarning("PostgreSQL tests skipped: %s", qPrintable(postgres_.Unavailable));
    }
    void cleanupTestCase() {
        if (postgres_.Unavailable.isEmpty()) postgres_.Control(QStringLiteral("stop"));
    }

    // Every action, success and failure, every field, UTF-8 and a long configuration read back as
    // written; the log fills in time, operator and host, and keeps one copy of a repeated configuration.
    void entriesReadBack_data() {
        backends();
    }
    void entriesReadBack() {
        QFETCH(QString, backend);
        FRESH_LOG(settings, backend);
        const QString longConfiguration =
            QStringLiteral("  // Station 4 – Küche, Zimmer 12 ✓\r\n").repeated(20000);
        QList<tCommissioningEntry> written;
        int second = 0;
        for (const tCommissioningAction action :
             {tCommissioningAction::Read, tCommissioningAction::Program, tCommissioningAction::FactoryProgram,
              tCommissioningAction::Compare, tCommissioningAction::Restore, tCommissioningAction::SelfTest})
            for (const bool success : {true, false}) {
                tCommissioningEntry e = entry(QStringLiteral("%1 %2").arg(second).arg(success), success);
                e.Time = at("2026-03-01T08:00:00.125Z").addSecs(++second);
                e.Operator = QStringLiteral("jsmith");
                e.Host = QStringLiteral("bench-3");
                e.AdapterSerial = second % 2 ? QStringLiteral("AV000001") : SimulatedAdapterName();
                e.Action = CommissioningActionText(action);
                e.Identity = {"PI06 21.03.2026", QStringLiteral("SN-%1").arg(second), "HW1T", "FW 2.1"};
                e.Result = success ? "Data Transferred" : "Data Transferred but Errors Found";
                if (!success)
                    e.Differences =
                        QStringList{"Device/Relay Delay: 5, device 3", "Zone/Name: Süd, device \"\""};
                e.ConfigurationFile =
                    QStringLiteral("/home/jsmith/Stationen/Flügel B/ward%1.zcf").arg(second % 3);
                e.Configuration =
                    second % 3
                        ? QStringLiteral("File ZCFG File\r\n  Name = ward%1\r\nEnd File\r\n").arg(second % 3)
                        : QString();
                e.BackupFile = action == tCommissioningAction::Restore ? "/home/jsmith/backup.zcf" : "";
                e.Comments += QStringLiteral("\r\nZweite Zeile, \"zitiert\"; 日本語");
                written << e;
            }
        written[3].Configuration = longConfiguration;
        tCommissioningEntry stamped = entry(QStringLiteral("stamped"));
        {
            tCommissioningLog log(settings);
            for (const tCommissioningEntry& e : written)
                log.Append(e);
            log.Append(stamped);
            QCOMPARE(log.PendingCount(), 0);
        }
        tCommissioningLog log(settings);
        QList<tCommissioningEntry> read;
        tCommissioningFilter oldestFirst;
        oldestFirst.OldestFirst = true;
        QVERIFY(log.Entries(oldestFirst, read));
        QCOMPARE(read.size(), written.size() + 1);
        for (qsizetype i = 0; i < written.size(); ++i) {
            written[i].ConfigurationSha256 = ConfigurationDigest(written[i].Configuration);
            QCOMPARE(fields(read[i]), fields(written[i]));
            QCOMPARE(log.Entry(read[i].Id), read[i]);
        }
        QCOMPARE(read[3].ConfigurationSha256.size(), 64);
        QCOMPARE(read.last().Operator, CurrentOperator());
        QCOMPARE(read.last().Host, CurrentHost());
        QVERIFY(qAbs(read.last().Time.secsTo(QDateTime::currentDateTimeUtc())) < 600);
        RawConnection raw(settings);
        QCOMPARE(raw.Value("SELECT COUNT(*) FROM commissioning_configurations").toInt(), 3);
    }

    // The history's queries: text anywhere in the searched fields (A-Z in any case, % and _ as
    // themselves), device type, time range (from inclusive, up to exclusive), failures, order, paging.
    void filtersSelect_data() {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<tCommissioningFilter>("filter");
        QTest::addColumn<QStringList>("expected");
        const auto add = [](const char* name, const tCommissioningFilter& filter,
                            const QStringList& expected) {
            for (const char* backend : {"SQLite", "PostgreSQL"})
                QTest::addRow("%s, %s", name, backend) << backend << filter << expected;
        };
        tCommissioningFilter f;
        add("everything, newest first", f, {"F", "E", "D", "C", "B", "A"});
        f.OldestFirst = true;
        add("oldest first", f, {"A", "B", "C", "D", "E", "F"});
        f = {};
        f.Text = "Sn-0042";
        add("serial number, any case", f, {"B"});
        f.Text = "100%";
        add("percent sign as itself", f, {"C"});
        f.Text = "ward_7";
        add("underscore as itself", f, {"D"});
        f.Text = "errors found";
        add("result", f, {"E"});
        f.Text = "zx330";
        add("device type text", f, {"F"});
        f = {};
        f.DeviceType = "ZX320 Relay Output";
        add("device type", f, {"E", "D", "C", "B", "A"});
        f.FailuresOnly = true;
        add("failures of a type", f, {"E"});
        f = {};
        f.Since = at("2026-03-02T00:00:00Z");
        f.Until = at("2026-03-04T00:00:00Z");
        add("time range", f, {"C", "B"});
        f = {};
        f.Limit = 2;
        f.Offset = 1;
        add("second page of two", f, {"E", "D"});
    }
    void filtersSelect() {
        QFETCH(QString, backend);
        QFETCH(tCommissioningFilter, filter);
        QFETCH(QStringList, expected);
        FRESH_LOG(settings, backend);
        tCommissioningLog log(settings);
        const char* texts[][3] = {{"A", "SN-0001", "/x/ward1.zcf"},       {"B", "SN-0042", "/x/ward2.zcf"},
                                  {"C", "SN-0003", "/x/100% tested.zcf"}, {"D", "SN-0004", "/x/ward_7.zcf"},
                                  {"E", "SN-0005", "/x/wardx7.zcf"},      {"F", "SN-0006", "/x/zone.zcf"}};
        for (int i = 0; i < 6; ++i) {
            tCommissioningEntry e = entry(texts[i][0], i != 4);
            e.Time = at("2026-03-01T00:00:00Z").addDays(i);
            e.Identity.SerialNumber = texts[i][1];
            e.ConfigurationFile = texts[i][2];
            e.Result = i == 4 ? "Data Transferred but Errors Found" : "Data Transferred";
            if (i == 5) e.DeviceType = "ZX330 ZI or ZX390/2 Sounder";
            log.Append(e);
        }
        QSqlQuery query = log.ListQuery(filter);
        QVERIFY2(query.isActive(), qPrintable(query.lastError().text()));
        QStringList found;
        while (query.next())
            found << query.value(ccComments).toString();
        QCOMPARE(found, expected);
        if (filter.Limit == 0) QCOMPARE(log.Count(filter), expected.size());
    }

    // A log that cannot be written keeps the entries, says so once, and writes them, in order, once it
    // can be written again.
    void unwritableLogCatchesUp_data() {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("fault");
        QTest::newRow("read-only file") << "SQLite"
                                        << "read-only";
        QTest::newRow("locked by another connection") << "SQLite"
                                                      << "locked";
        QTest::newRow("full disk") << "SQLite"
                                   << "full";
        QTest::newRow("server stopped") << "PostgreSQL"
                                        << "stopped";
    }
    void unwritableLogCatchesUp() {
        QFETCH(QString, backend);
        QFETCH(QString, fault);
        FRESH_LOG(fresh, backend);
        tCommissioningLogSettings settings = fresh;
        std::optional<ScratchMount> mount;
        if (asRoot && (fault == "read-only" || fault == "full")) {
            mount.emplace("1m");
            if (!mount->Mounted()) QSKIP("a tmpfs could not be mounted");
            settings.File = mount->Path() + "/commissioning.sqlite";
        } else if (fault == "full") {
            QSKIP("a full disk needs a small tmpfs, which only root can mount");
        }
        // The fault strikes a log in use, its connections open; but a file turns read-only only for
        // those who open it afterwards (and a remount to read-only needs every file closed).
        QStringList messages; // outlives the log, whose handler records into it
        std::optional<tCommissioningLog> log;
        const auto openLog = [&] {
            log.emplace(settings);
            log->SetBusyTimeout(0);
            log->SetOnProblem([&](tCommissioningLog* sender, const QString& message) {
                QCOMPARE(sender, &*log);
                messages << message;
            });
        };
        if (fault != "read-only") openLog();
        if (log)
            log->Append(entry("before"));
        else
            tCommissioningLog(settings).Append(entry("before"));

        std::optional<RawConnection> other;
        QFile filler(settings.File + ".filler");
        const QString folder = QFileInfo(settings.File).path();
        if (fault == "read-only") {
            QVERIFY(mount ? mount->Remount("ro")
                          : QFile::setPermissions(settings.File, QFile::ReadOwner) &&
                                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        } else if (fault == "locked") {
            other.emplace(settings);
            QVERIFY(other->Exec("BEGIN IMMEDIATE"));
        } else if (fault == "full") {
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
            }
            filler.close();
        } else {
            QCOMPARE(postgres_.Control("stop"), QString());
        }

        // The fault ends here, or when the test ends, whatever the outcome: the server runs again.
        bool mended = false;
        const auto mend = [&] {
            if (std::exchange(mended, true)) return true;
            if (fault == "read-only")
                return mount ? mount->Remount("rw")
                             : QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner |
                                                                 QFile::ExeOwner) &&
                                   QFile::setPermissions(settings.File, QFile::ReadOwner | QFile::WriteOwner);
            if (fault == "locked") return other->Exec("ROLLBACK");
            if (fault == "full") return filler.remove();
            return postgres_.Control("start").isEmpty();
        };
        const auto mendAtEnd = qScopeGuard([&] { mend(); });

        if (!log) openLog();
        tCommissioningEntry large = entry("during 1");
        large.Configuration = QString(200000, QLatin1Char('x'));
        log->Append(large);
        log->Append(entry("during 2"));
        QVERIFY(!log->Flush());
        QCOMPARE(log->PendingCount(), 2);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(log->Location()) && !log->Problem().isEmpty(), qPrintable(messages[0]));

        QVERIFY(mend());
        QVERIFY(log->Flush());
        QCOMPARE(log->PendingCount(), 0);
        QCOMPARE(log->Problem(), QString());
        QCOMPARE(messages.size(), 1);
        QCOMPARE(allComments(*log), QStringList({"before", "during 1", "during 2"}));
    }

    // A damaged file is moved aside unchanged under a time-stamped name, the message names both files,
    // and the entry goes into a fresh log.
    void damagedFileMovedAside_data() {
        QTest::addColumn<bool>("wholeFile");
        QTest::newRow("not a database") << true;
        QTest::newRow("damaged pages") << false;
    }
    void damagedFileMovedAside() {
        QFETCH(bool, wholeFile);
        FRESH_LOG(settings, "SQLite");
        {
            tCommissioningLog log(settings);
            for (int i = 0; i < 50; ++i)
                log.Append(entry(QString("before %1").arg(i)));
        }
        QFile file(settings.File);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const qint64 keep = wholeFile ? 0 : 4096; // the first page holds the schema
        QVERIFY(file.seek(keep) && file.write(QByteArray(file.size() - keep, '\xa5')) > 0);
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray damaged = file.readAll();
        file.close();

        QStringList messages;
        tCommissioningLog log(settings);
        log.SetOnProblem([&](tCommissioningLog*, const QString& message) { messages << message; });
        log.Append(entry("after"));
        QCOMPARE(log.PendingCount(), 0);
        const QFileInfoList moved =
            QFileInfo(settings.File).dir().entryInfoList({"commissioning-damaged-*.sqlite"});
        QCOMPARE(moved.size(), 1);
        QVERIFY(QRegularExpression("^commissioning-damaged-\\d{8}T\\d{6}Z\\.sqlite$")
                    .match(moved[0].fileName())
                    .hasMatch());
        QFile aside(moved[0].filePath());
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), damaged);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(settings.File) && messages[0].contains(moved[0].filePath()),
                 qPrintable(messages[0]));
        QCOMPARE(allComments(log), QStringList{"after"});
    }

    // A log file moved away or deleted while the log is open is created again where it belongs.
    void replacedFileIsFollowed() {
        FRESH_LOG(settings, "SQLite");
        tCommissioningLog log(settings);
        log.Append(entry("first"));
        QVERIFY(QFile::rename(settings.File, settings.File + ".old"));
        log.Append(entry("second"));
        QCOMPARE(allComments(log), QStringList{"second"});
    }

    // Programs appending at once lose nothing; one killed in the middle of an append leaves every
    // earlier entry intact and the log sound.
    void otherProgramsAppending() {
        FRESH_LOG(settings, "SQLite");
        constexpr int perWriter = 60;
        std::array<QProcess, 3> writers;
        for (size_t i = 0; i < writers.size(); ++i)
            writers[i].start(ZCFG_LOG_APPENDER, {settings.File, QString::number(perWriter),
                                                 QString("writer%1").arg(i), i == 0 ? "--hang" : ""});
        while (!writers[0].canReadLine())
            QVERIFY(writers[0].waitForReadyRead(60000));
        QCOMPARE(writers[0].readLine(), QByteArray("committing\n"));
        writers[0].kill();
        for (QProcess& writer : writers) {
            QVERIFY(writer.waitForFinished(120000));
            QVERIFY2(&writer == &writers[0] || writer.exitCode() == 0,
                     writer.readAllStandardError().constData());
        }
        tCommissioningLog log(settings);
        log.Append(entry("next"));
        for (const QString text : {"writer0", "writer1", "writer2", "next"}) {
            tCommissioningFilter filter;
            filter.Text = text;
            QCOMPARE(log.Count(filter), text == "next" ? 1 : perWriter);
        }
        QCOMPARE(RawConnection(settings).Value("PRAGMA integrity_check").toString(), "ok");
    }

    // A log of an older version is brought up to date and keeps its entries; an empty file becomes a
    // log; a newer version is written as it stands.
    void migrations_data() {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("version");
        for (const char* backend : {"SQLite", "PostgreSQL"}) {
            QTest::addRow("empty, %s", backend) << backend << 0;
            QTest::addRow("version 1, %s", backend) << backend << 1;
            QTest::addRow("newer version, %s", backend) << backend << 99;
        }
    }
    void migrations() {
        QFETCH(QString, backend);
        QFETCH(int, version);
        FRESH_LOG(settings, backend);
        const tSqlDialect dialect = settings.UsesServer() ? tSqlDialect::PostgreSQL : tSqlDialect::SQLite;
        const QString versionQuery = settings.UsesServer()
                                         ? "SELECT version FROM commissioning_schema_version"
                                         : "PRAGMA user_version";
        QVERIFY(settings.UsesServer() || QDir().mkpath(QFileInfo(settings.File).path()));
        {
            RawConnection raw(settings);
            for (int step = 0; step < qMin(version, CommissioningSchemaVersion); ++step)
                for (const QString& statement : CommissioningMigration(step, dialect))
                    QVERIFY(raw.Exec(statement));
            if (version > 0) {
                tCommissioningEntry old = entry("old");
                old.Time = at("2025-01-01T00:00:00Z");
                const tBoundSql insert = CommissioningEntryInsert(old);
                QVERIFY(raw.Exec(insert.Sql, insert.Values));
                QVERIFY(
                    settings.UsesServer()
                        ? raw.Exec("CREATE TABLE commissioning_schema_version (version INTEGER NOT NULL)") &&
                              raw.Exec("INSERT INTO commissioning_schema_version VALUES (?)", {version})
                        : raw.Exec(QString("PRAGMA user_version = %1").arg(version)));
            }
        }
        tCommissioningLog log(settings);
        log.Append(entry("new"));
        QCOMPARE(log.Problem(), QString());
        QCOMPARE(allComments(log), version > 0 ? QStringList({"old", "new"}) : QStringList{"new"});
        RawConnection raw(settings);
        QCOMPARE(raw.Value(versionQuery).toInt(), qMax(version, CommissioningSchemaVersion));
        const QString indexQuery =
            settings.UsesServer()
                ? "SELECT COUNT(*) FROM pg_indexes WHERE indexname = 'commissioning_entries_time'"
                : "SELECT COUNT(*) FROM sqlite_master WHERE name = 'commissioning_entries_time'";
        QCOMPARE(raw.Value(indexQuery).toInt(), 1);
    }

    // The settings both programs read; a port that is no port makes the log report why it cannot be
    // written.
    void settingsAreRead() {
        const QString file = folder_.filePath("settings.ini");
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue("Zentara Configurator/Commissioning Log/Server", " db.site.example ");
        settings.setValue("Zentara Configurator/Commissioning Log/Database", "commissioning");
        settings.setValue("Zentara Configurator/Commissioning Log/User", "installer");
        settings.setValue("Zentara Configurator/Commissioning Log/Port", "5433");
        settings.sync();
        tCommissioningLogSettings read = ReadCommissioningLogSettings(file);
        QCOMPARE(QStringList({read.Server, read.Database, read.User, QString::number(read.Port), read.Error}),
                 QStringList({"db.site.example", "commissioning", "installer", "5433", ""}));
        settings.setValue("Zentara Configurator/Commissioning Log/Port", "54a");
        settings.sync();
        read = ReadCommissioningLogSettings(file);
        QVERIFY(read.Error.contains("\"54a\""));
        QStringList messages;
        tCommissioningLog log(read);
        log.SetOnProblem([&](tCommissioningLog*, const QString& message) { messages << message; });
        log.Append(entry("kept"));
        QCOMPARE(log.PendingCount(), 1);
        QVERIFY(messages.size() == 1 && messages[0].contains(read.Error));
        QCOMPARE(ReadCommissioningLogSettings(folder_.filePath("none.ini")).UsesServer(), false);
    }

    // zcfg log finds the log where the editor writes it, selects as asked, prints one line per entry
    // (oldest first, local time) or CSV, and refuses what it cannot understand.
    void zcfgLog_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("output");
        const QString read =
            "2026-03-01 08:00:00  jsmith@bench-3  Read  ZX140 Staff Transmitter  serial T-1  ok  "
            "Data Transferred  -";
        const QString program =
            "2026-03-02 09:30:00  jsmith@bench-3  Program  ZX320 Relay Output  serial -  FAILED  "
            "Data Transferred but Errors Found  /w/ward 7.zcf";
        QTest::newRow("every entry") << QStringList{} << 0
                                     << QStringList{read, program, "    Device/Relay Delay: 5, device 3"};
        QTest::newRow("failures") << QStringList{"--failed"} << 0
                                  << QStringList{program, "    Device/Relay Delay: 5, device 3"};
        QTest::newRow("type keyword") << QStringList{"--type", "staff"} << 0 << QStringList{read};
        QTest::newRow("until a day") << QStringList{"--until", "2026-03-01"} << 0 << QStringList{read};
        QTest::newRow("since a time") << QStringList{"--since", "2026-03-02 09:00"} << 0
                                      << QStringList{program, "    Device/Relay Delay: 5, device 3"};
        // RFC 4180: a header row, CR LF after every record, a field holding a comma, a quote or a line
        // break quoted with its quotes doubled, UTF-8.
        QTest::newRow("CSV")
            << QStringList{"--csv"} << 0
            << QStringList{
                   "Time (UTC),Operator,Host,Adapter,Action,Device Type,Factory Data,Serial Number,"
                   "Hardware Revision,Firmware Revision,Success,Result,Differences,Configuration File,"
                   "Configuration SHA-256,Backup File,Comments\r",
                   "2026-03-01T08:00:00.000Z,jsmith,bench-3,,Read,ZX140 Staff Transmitter,,T-1,,,yes,"
                   "Data Transferred,,,,,\r",
                   "2026-03-02T09:30:00.000Z,jsmith,bench-3,,Program,ZX320 Relay Output,,,,,no,"
                   "Data Transferred but Errors Found,\"Device/Relay Delay: 5, device 3\",/w/ward 7.zcf,,,"
                   "\"The \"\"new\"\" wing\r",
                   "Küche\"\r"};
        QTest::newRow("not a date") << QStringList{"--since", "March"} << 2 << QStringList{};
        QTest::newRow("unknown type") << QStringList{"--type", "toaster"} << 2 << QStringList{};
        QTest::newRow("an argument") << QStringList{"ward7.zcf"} << 2 << QStringList{};
    }
    void zcfgLog() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, output);
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("TZ", "UTC");
        // Before anything was written there is no log: nothing to list, and none is made.
        const Run none = run(ZCFG_BINARY, QStringList{"log"} + arguments, environment);
        QCOMPARE(none.exitCode, exitCode);
        if (exitCode == 0)
            QCOMPARE(none.output.split('\n', Qt::SkipEmptyParts),
                     arguments.contains("--csv") ? output.mid(0, 1) : QStringList());
        QVERIFY(!QFileInfo::exists(home.filePath("data/zentara-configurator/commissioning.sqlite")));
        {
            tCommissioningLogSettings settings;
            settings.File = home.filePath("data/zentara-configurator/commissioning.sqlite");
            tCommissioningLog log(settings);
            tCommissioningEntry first = entry("", true);
            first.Time = at("2026-03-01T08:00:00Z");
            first.Operator = "jsmith";
            first.Host = "bench-3";
            first.Action = "Read";
            first.DeviceType = "ZX140 Staff Transmitter";
            first.Identity.SerialNumber = "T-1";
            first.Result = "Data Transferred";
            tCommissioningEntry second = entry("The \"new\" wing\r\nKüche", false);
            second.Time = at("2026-03-02T09:30:00Z");
            second.Operator = "jsmith";
            second.Host = "bench-3";
            second.Result = "Data Transferred but Errors Found";
            second.Differences = QStringList{"Device/Relay Delay: 5, device 3"};
            second.ConfigurationFile = "/w/ward 7.zcf";
            log.Append(second);
            log.Append(first);
        }
        const Run listed = run(ZCFG_BINARY, QStringList{"log"} + arguments, environment);
        QCOMPARE(listed.exitCode, exitCode);
        if (exitCode == 0)
            QCOMPARE(listed.output.split('\n', Qt::SkipEmptyParts), output);
        else
            QVERIFY(listed.output.contains("zcfg log: "));
    }
};

QTEST_GUILESS_MAIN(TestCommissioning)
#include "tst_commissioning.moc"
