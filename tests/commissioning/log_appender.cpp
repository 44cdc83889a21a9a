// log_appender FILE COUNT TAG [--hang]: appends COUNT entries commented "TAG 0", "TAG 1", ... to the
// log in FILE and exits 0 when every one was written. With --hang, a further append stops just
// before it commits, prints "committing" and waits there for standard input (the test kills it).
#include "commissioning/CommissioningLog.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) return 2;
    bool lost = false;
    {
        tCommissioningLogSettings settings;
        settings.File = arguments[1];
        tCommissioningLog log(settings);
        log.SetOnProblem([&lost](tCommissioningLog*, const QString& message) {
            lost = lost || message.contains(QLatin1String("lost"));
            std::fprintf(stderr, "%s\n", qPrintable(message));
        });
        tCommissioningEntry entry;
        entry.Action = CommissioningActionText(tCommissioningAction::Program);
        entry.DeviceType = QStringLiteral("ZX320 Relay Output");
        entry.Success = true;
        entry.Configuration =
            QStringLiteral("File ZCFG File\r\n  Device Type = dt_Relay_Output\r\nEnd File\r\n");
        for (int i = 0; i < arguments[2].toInt(); ++i) {
            entry.Comments = arguments[3] + QStringLiteral(" %1").arg(i);
            log.Append(entry);
        }
        if (arguments.contains(QStringLiteral("--hang"))) {
            log.SetBeforeCommit([] {
                std::printf("committing\n");
                std::fflush(stdout);
                std::getchar();
            });
            entry.Comments = arguments[3] + QStringLiteral(" unfinished");
            log.Append(entry);
        }
    }
    return lost ? 1 : 0;
}
