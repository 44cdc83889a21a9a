// Measures the commissioning log: what an append adds to a transfer; with a tenth of the entries and
// with all of them, the history's first page (the rows a QSqlQueryModel fetches first) for each kind
// of filter and the count of matches; and the CSV of every entry, through the store and through
// `zcfg log --csv`. Prints the figures against their goals, and how the query times grow with the log.
// Each time is given as elapsed and as processor time: on a busy machine the first grows with the
// load, the second does not.
//
//     log_bench [ENTRIES]     (100,000 by default)
#include "LogBenchSupport.h"
#include "commissioning/CommissioningLog.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

using namespace logbench;

namespace {

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
