// Measures what the commissioning log adds to the window: recording a transfer's entry (from the
// transfer's outcome and document to the log, as the window does at the end of every transfer)
// against the transfer itself; and, over a log of ENTRIES entries, the history window: opening it
// (Tools, Commissioning Log...) until its first rows are painted, and each kind of filter applied as
// the user types or chooses it. Elapsed and processor time of each, against their goals.
//
//     history_bench [ENTRIES]     (100,000 by default)
#include "../programmer/SimHarness.h"
#include "LogBenchSupport.h"
#include "app/ApplicationForms.h"
#include "app/PelSaveDialog.h"
#include "app/UnitFileNotSaved.h"
#include "app/UnitFormOK.h"
#include "app/history/CommissioningRecorder.h"
#include "app/history/HistoryWindow.h"
#include "device/UnitZCfgFile.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

using namespace logbench;

namespace {

struct tWindow {
    TApplicationForms forms;
    TFormMain& operator*() { return *forms.FormMain; }
};

std::unique_ptr<tWindow> openWindow(const QTemporaryDir& folder) {
    auto window = std::make_unique<tWindow>();
    window->forms = CreateApplicationForms(
        TFormMainOptions{folder.filePath(QStringLiteral("settings.ini")), false, nullptr});
    (**window).PelSaveDialog().SetAskNotSaved([] { return TPelSaveDialog::NotSavedAnswer::No; });
    window->forms.FormOK->SetRunModal([](TFormOK&) { return int(QDialog::Accepted); });
    (**window).show();
    QCoreApplication::processEvents();
    return window;
}

// Until the window has painted what it shows.
void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void report(const char* what, const std::vector<double>& wall, const std::vector<double>& cpu,
            const char* goal) {
    std::printf("  %-34s %8.2f ms (processor %7.2f ms)   %s\n", what, median(wall), median(cpu), goal);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
    qunsetenv("ZCFG_SIM");
    QTemporaryDir folder;
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toLocal8Bit());
    QApplication application(argc, argv);
    const int total = argc > 1 ? qMax(1000, QString::fromLocal8Bit(argv[1]).toInt()) : 100000;
    SetMessagePresenter(
        [](MessageKind, const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    SimHarness sim(QStringLiteral(ZCFG_SIM_LIBRARY));
    sim.loadKeyword("relay");

    // A Program of a relay through the window, and its entry recorded again and again.
    std::printf("recording a transfer (median of 50), against the transfer itself:\n");
    std::vector<double> transfer, transferCpu, record, recordCpu;
    {
        auto window = openWindow(folder);
        tZCfgFile& document = (**window).Document();
        document.SetDeviceType(dt_Relay_Output);
        auto* program = (**window).findChild<QToolButton*>(QStringLiteral("SpeedButtonProgram"));
        for (int n = 0; n < 50; ++n) {
            Stopwatch watch;
            program->click(); // records its entry too
            while (document.TransferRunning())
                Guarded([&] { (**window).ProgrammerLink().Tick(); });
            transfer.push_back(watch.Wall());
            transferCpu.push_back(watch.Cpu());
            watch.restart();
            (**window).CommissioningRecorder()->Record(document.LastOutcome());
            record.push_back(watch.Wall());
            recordCpu.push_back(watch.Cpu());
        }
        if ((**window).CommissioningRecorder()->Log()->PendingCount() != 0) return 1;
    }
    report("Program, simulated device", transfer, transferCpu, "(link ticks run back to back)");
    report("its entry: outcome to log, written", record, recordCpu, "goal < 5 ms");

    Stopwatch filling;
    // The entries recorded above and those filled in make the total.
    if (!fill(DefaultCommissioningLogFile(), 0, total - 100, total)) return 1;
    std::printf("\nthe history window over %d entries (filled in %.1f s), median of 5:\n", total,
                filling.Wall() / 1e3);

    // Each opening in a window of its own, as at the first Tools, Commissioning Log... of a session.
    std::vector<double> open, openCpu;
    std::unique_ptr<tWindow> window;
    for (int run = 0; run < 5; ++run) {
        window = openWindow(folder);
        QAction* action = (**window).findChild<QAction*>(QStringLiteral("ActionCommissioningLog"));
        Stopwatch watch;
        action->trigger();
        settle();
        open.push_back(watch.Wall());
        openCpu.push_back(watch.Cpu());
        if ((**window).CommissioningHistory().findChild<QTableView*>()->model()->rowCount() == 0) return 1;
    }
    report("open, newest entries shown", open, openCpu, "goal < 200 ms");

    THistoryWindow& history = (**window).CommissioningHistory();
    auto* search = history.findChild<QLineEdit*>(QStringLiteral("EditHistorySearch"));
    auto* type = history.findChild<QComboBox*>(QStringLiteral("ComboHistoryDeviceType"));
    auto* results = history.findChild<QComboBox*>(QStringLiteral("ComboHistoryResults"));
    auto* since = history.findChild<QCheckBox*>(QStringLiteral("CheckHistorySince"));
    const QString rare = QStringLiteral("SN-%1").arg(total / 2, 6, 10, QLatin1Char('0'));
    const std::pair<const char*, std::function<void(bool)>> filters[] = {
        {"a letter typed (\"w\")", [&](bool on) { search->setText(on ? QStringLiteral("w") : QString()); }},
        {"text often found (\"ward 1\")",
         [&](bool on) { search->setText(on ? QStringLiteral("ward 1") : QString()); }},
        {"text found once (a serial)", [&](bool on) { search->setText(on ? rare : QString()); }},
        {"text found nowhere",
         [&](bool on) { search->setText(on ? QStringLiteral("no such text") : QString()); }},
        {"one device type", [&](bool on) { type->setCurrentIndex(on ? 7 : 0); }},
        {"failures only", [&](bool on) { results->setCurrentIndex(on ? 1 : 0); }},
        {"the last 30 days", [&](bool on) { since->setChecked(on); }},
    };
    for (const auto& [name, apply] : filters) {
        std::vector<double> wall, cpu;
        for (int run = 0; run < 5; ++run) {
            Stopwatch watch;
            apply(true);
            settle();
            wall.push_back(watch.Wall());
            cpu.push_back(watch.Cpu());
            apply(false);
            settle();
        }
        report(name, wall, cpu, "goal < 200 ms");
    }
    std::printf("  (%lld entries in the log)\n", history.EntryCount());
    return 0;
}
