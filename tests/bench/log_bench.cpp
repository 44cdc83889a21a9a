// Measures the commissioning log: what an append adds to a transfer; with a tenth of the entries and
// with all of them, the history's first page (the rows a QSqlQueryModel fetches first) for each kind
// of filter and the count of matches; and the CSV of every entry, through the store and through
// `zcfg log --csv`. Prints the figures against their goals, and how the query times grow with the log.
// Each time is given as elapsed and as processor time: on a busy machine the first grows with the
// load, the second does not.
//
//     log_bench [ENTRIES]     (100,000 by default)
#include "commissioning/CommissioningLog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <vector>

namespace {

// Elapsed and processor time, of this process and of the children it waited for, in milliseconds.
class Stopwatch {
public:
    Stopwatch() { restart(); }
    void restart() {
        wall_.start();
        cpu_ = cpuNow();
    }
    double Wall() const { return wall_.nsecsElapsed() / 1e6; }
    double Cpu() const { return cpuNow() - cpu_; }
    QByteArray Text() const {
        return QStringLiteral("%1 ms (processor %2 ms)")
            .arg(Wall(), 0, 'f', 1)
            .arg(Cpu(), 0, 'f', 1)
            .toLatin1();
    }

private:
    static double cpuNow() {
        timespec own{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &own);
        rusage children{};
        getrusage(RUSAGE_CHILDREN, &children);
        const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
        return own.tv_sec * 1e3 + own.tv_nsec / 1e6 + ms(children.ru_utime) + ms(children.ru_stime);
    }
    QElapsedTimer wall_;
    double cpu_ = 0;
};

const char* const deviceTypes[] = {"ZX140 Staff Transmitter",     "ZX160 Pendant Transmitter",
                                   "ZX310 (Call Point)",          "ZX310 (Monitor Point)",
                                   "ZX310 (Day/Night Switch)",    "ZX320 Relay Output",
                                   "ZX330 ZI or ZX390/2 Sounder", "ZX250/9 or ZX270RX Call Point"};

// The i-th entry of a busy site's year: eight types, one transfer in twenty failing, a hundred
// configuration files, a few kilobytes of configuration each.
tCommissioningEntry makeEntry(int i, int total) {
    tCommissioningEntry e;
    e.Time = QDateTime(QDate(2025, 1, 1), QTime(8, 0), Qt::UTC).addSecs(qint64(i) * 365 * 86400 / total);
    e.Operator = QStringLiteral("installer%1").arg(i % 7);
    e.Host = QStringLiteral("bench-%1").arg(i % 3);
    e.AdapterSerial = QStringLiteral("AV%1").arg(i % 4, 6, 10, QLatin1Char('0'));
    e.Action = CommissioningActionText(i % 3 ? tCommissioningAction::Program : tCommissioningAction::Read);
    e.DeviceType = QLatin1String(deviceTypes[i % 8]);
    e.Identity = {QStringLiteral("PI%1 2025").arg(i % 8),
                  QStringLiteral("SN-%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("HW1T"),
                  QStringLiteral("FW 2.%1").arg(i % 4)};
    e.Success = i % 20 != 7;
    e.Result =
        e.Success ? QStringLiteral("Data Transferred") : QStringLiteral("Data Transferred but Errors Found");
    if (!e.Success) e.Differences = QStringList{QStringLiteral("Device/Relay Delay: 5, device 3")};
    e.ConfigurationFile = QStringLiteral("/srv/site/ward%1.zcf").arg(i % 100);
    e.Configuration = QStringLiteral("File ZCFG File\r\n  Name = ward%1\r\n").arg(i % 100) +
                      QStringLiteral("  Unit Setting = value\r\n").repeated(120) +
                      QStringLiteral("End File\r\n");
    e.ConfigurationSha256 = ConfigurationDigest(e.Configuration);
    e.Comments = QStringLiteral("Ward %1, bed %2").arg(i % 100).arg(i % 30);
    return e;
}

// Adds entries first..last-1 in one transaction, through the store's own statements.
bool fill(const QString& file, int first, int last, int total) {
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(file);
        done = db.open() && db.transaction();
        QSqlQuery configuration(db), entry(db);
        const tCommissioningEntry sample = makeEntry(0, total);
        done = done && configuration.prepare(CommissioningConfigurationInsert(sample).Sql) &&
               entry.prepare(CommissioningEntryInsert(sample).Sql);
        for (int i = first; done && i < last; ++i) {
            const tCommissioningEntry e = makeEntry(i, total);
            for (auto [query, sql] : {std::pair{&configuration, CommissioningConfigurationInsert(e)},
                                      std::pair{&entry, CommissioningEntryInsert(e)}}) {
                for (int v = 0; v < sql.Values.size(); ++v)
                    query->bindValue(v, sql.Values[v]);
                done = done && query->exec();
            }
        }
        done = done && db.commit();
        if (!done) std::fprintf(stderr, "fill: %s\n", qPrintable(entry.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return done;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Query {
    const char* name;
    tCommissioningFilter filter;
};

// The first page of each filter (the median of five, each on a log just opened, as the history
// window opens it) and the count of its matches: elapsed and processor milliseconds of each.
struct QueryTimes {
    double Page, PageCpu, Count, CountCpu;
};
std::vector<QueryTimes> measureQueries(const tCommissioningLogSettings& settings,
                                       const std::vector<Query>& queries) {
    std::vector<QueryTimes> times;
    for (const Query& query : queries) {
        std::vector<double> page, pageCpu, count, countCpu;
        for (int run = 0; run < 5; ++run) {
            tCommissioningLog log(settings);
            Stopwatch watch;
            {
                QSqlQuery rows = log.ListQuery(query.filter);
                for (int row = 0; row < 256 && rows.next(); ++row)
                    rows.value(ccComments);
            }
            page.push_back(watch.Wall());
            pageCpu.push_back(watch.Cpu());
            watch.restart();
            log.Count(query.filter);
            count.push_back(watch.Wall());
            countCpu.push_back(watch.Cpu());
        }
        times.push_back({median(page), median(pageCpu), median(count), median(countCpu)});
    }
    return times;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int total = argc > 1 ? qMax(100, QString::fromLocal8Bit(argv[1]).toInt()) : 100000;
    QTemporaryDir folder;
    tCommissioningLogSettings settings;
    settings.File = folder.filePath(QStringLiteral("data/zentara-configurator/commissioning.sqlite"));

    // Appends as transfers make them, each committed and synced on its own.
    std::vector<double> appends, appendsCpu;
    {
        tCommissioningLog log(settings);
        for (int i = 0; i < 200; ++i) {
            tCommissioningEntry e = makeEntry(i, total);
            Stopwatch watch;
            log.Append(e);
            appends.push_back(watch.Wall());
            appendsCpu.push_back(watch.Cpu());
        }
        if (log.PendingCount() != 0) {
            std::fprintf(stderr, "the log could not be written: %s\n", qPrintable(log.Problem()));
            return 1;
        }
    }
    std::printf("append: median %.2f ms (processor %.2f ms), slowest %.2f ms of 200 (goal < 5 ms)\n",
                median(appends), median(appendsCpu), *std::max_element(appends.begin(), appends.end()));

    const QString rare = QStringLiteral("SN-%1").arg(total / 2, 6, 10, QLatin1Char('0'));
    std::vector<Query> queries(6);
    queries[0].name = "no filter";
    queries[1].name = "failures only";
    queries[1].filter.FailuresOnly = true;
    queries[2].name = "one device type";
    queries[2].filter.DeviceType = QLatin1String(deviceTypes[6]);
    queries[3].name = "text, often found";
    queries[3].filter.Text = QStringLiteral("ward 1");
    queries[4].name = "text, found once";
    queries[4].filter.Text = rare;
    queries[5].name = "text, nowhere";
    queries[5].filter.Text = QStringLiteral("no such text");

    std::vector<std::vector<QueryTimes>> byTotal;
    for (const int entries : {total / 10, total}) {
        Stopwatch watch;
        if (!fill(settings.File, byTotal.empty() ? 200 : total / 10, entries, total)) return 1;
        std::printf("\n%d entries (filled in %.1f s); elapsed (processor) ms\n", entries, watch.Wall() / 1e3);
        byTotal.push_back(measureQueries(settings, queries));
        for (size_t q = 0; q < queries.size(); ++q) {
            const QueryTimes& t = byTotal.back()[q];
            std::printf("  %-20s first page %7.1f (%6.1f)   count %7.1f (%6.1f)\n", queries[q].name, t.Page,
                        t.PageCpu, t.Count, t.CountCpu);
        }
    }
    std::printf("  (goal: first page < 200 ms with 100,000 entries)\n\ngrowth with ten times the entries:\n");
    for (size_t q = 0; q < queries.size(); ++q)
        std::printf("  %-20s first page x%.1f   count x%.1f (processor time)\n", queries[q].name,
                    byTotal[1][q].PageCpu / qMax(0.001, byTotal[0][q].PageCpu),
                    byTotal[1][q].CountCpu / qMax(0.001, byTotal[0][q].CountCpu));

    // CSV of every entry, through the store and as zcfg writes it.
    Stopwatch watch;
    {
        tCommissioningLog log(settings);
        QFile sink(QStringLiteral("/dev/null"));
        if (!sink.open(QIODevice::WriteOnly) || !log.WriteCsv({}, sink)) return 1;
    }
    std::printf("\nCSV of %d entries: store %s", total, watch.Text().constData());
    QProcess zcfg;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    zcfg.setProcessEnvironment(environment);
    zcfg.setStandardOutputFile(QStringLiteral("/dev/null"));
    watch.restart();
    zcfg.start(QStringLiteral(ZCFG_BINARY), {QStringLiteral("log"), QStringLiteral("--csv")});
    if (!zcfg.waitForFinished(120000) || zcfg.exitCode() != 0) return 1;
    std::printf(", zcfg log --csv %s (goal < 1 s)\n", watch.Text().constData());
    std::printf("log file: %.1f MB\n", QFileInfo(settings.File).size() / 1e6);
    return 0;
}
