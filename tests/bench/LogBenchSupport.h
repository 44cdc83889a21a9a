#pragma once
// What the commissioning log's benchmarks share: a stopwatch of elapsed and processor time, and a log
// filled with a busy site's year of entries.

#include "commissioning/CommissioningLog.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <vector>

namespace logbench {

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

inline const char* const deviceTypes[] = {"ZX140 Staff Transmitter",     "ZX160 Pendant Transmitter",
                                          "ZX310 (Call Point)",          "ZX310 (Monitor Point)",
                                          "ZX310 (Day/Night Switch)",    "ZX320 Relay Output",
                                          "ZX330 ZI or ZX390/2 Sounder", "ZX250/9 or ZX270RX Call Point"};

// The i-th entry of a busy site's year: eight types, one transfer in twenty failing, a hundred
// configuration files, a few kilobytes of configuration each.
inline tCommissioningEntry makeEntry(int i, int total) {
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
inline bool fill(const QString& file, int first, int last, int total) {
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

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace logbench
