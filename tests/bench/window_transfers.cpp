// Transfers through the editor window against the simulated adapter.
//
//  1. Memory over a long session: Read and Program, cycle after cycle, in one window; the resident
//     memory after 1, 50, 100, ... cycles. It should stay flat after the first fifty.
//  2. The cost of showing progress: reads of a relay with the link on its real 100 ms timer and the
//     device's bytes paced at 9600 baud in real time, with the transfer panel following every byte
//     and without (the document's progress event unset), interleaved; wall time and CPU time of each.
//
//   window_transfers [cycles, default 1000] [reads, default 20]

#include "../programmer/SimHarness.h"
#include "app/ApplicationForms.h"
#include "app/SerialMonitor.h"
#include "app/ToneOutputRecorder.h"
#include "app/transfer/TransferCoordinator.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <vector>

namespace {

double residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / (1024.0 * 1024.0) : 0;
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

TApplicationForms makeWindow(const QTemporaryDir& dir, IToneOutput* tones, bool timers) {
    TApplicationForms forms =
        CreateApplicationForms(TFormMainOptions{dir.filePath(QStringLiteral("settings.ini")), timers, tones});
    forms.FormOK->SetRunModal([](TFormOK&) { return int(QDialog::Accepted); });
    forms.FormMain->show();
    return forms;
}

void click(TFormMain& window, const char* button) {
    window.findChild<QToolButton*>(QLatin1String(button))->click();
}

// The link's ticks come from the bench, as fast as the transfer allows; between two ticks the event
// loop runs as it would in the program (posted events, timers, the style's animations).
void runUntilIdle(TFormMain& window) {
    for (int n = 0; n < 200 && window.Document().TransferRunning(); ++n) {
        Guarded([&] { window.ProgrammerLink().Tick(); });
        QCoreApplication::processEvents();
    }
}

void memoryOverCycles(SimHarness& sim, const char* keyword, int cycles) {
    QTemporaryDir dir;
    TToneOutputRecorder tones([] { return qint64(0); });
    sim.reset();
    sim.loadKeyword(keyword);
    TApplicationForms forms = makeWindow(dir, &tones, false);
    TFormMain& window = *forms.FormMain;
    if (qEnvironmentVariableIsSet("NOBUSY")) window.Transfers().SetBusyControls({}, nullptr);
    std::printf("%-24s", keyword);
    const std::vector<int> marks{1, 50, 100, 200, 500, 1000, 2000, 5000};
    double at50 = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        click(window, "SpeedButtonRead");
        runUntilIdle(window);
        click(window, "SpeedButtonProgram");
        runUntilIdle(window);
        QEventLoop settle; // the window's own timers (animations last a few milliseconds)
        QTimer::singleShot(20, &settle, &QEventLoop::quit);
        settle.exec();
        if (qEnvironmentVariableIsSet("CLEARMON")) window.SerialMonitor().ButtonClearClick();
        if (std::find(marks.begin(), marks.end(), cycle) != marks.end() || cycle == cycles) {
            const double rss = residentMegabytes();
            if (cycle == 50) at50 = rss;
            std::printf("  %d: %.1f MB", cycle, rss);
            if (qEnvironmentVariableIsSet("DUMPMAPS")) {
                const struct mallinfo2 info = mallinfo2();
                std::printf(" [heap in use %.1f MB of %.1f]", double(info.uordblks) / 1048576.0,
                            double(info.arena) / 1048576.0);
            }
        }
    }
    if (at50 > 0)
        std::printf("  (after 50: %+.1f KB per cycle)",
                    (residentMegabytes() - at50) * 1024.0 / std::max(1, cycles - 50));
    std::printf("\n");
}

// One read with the link's own timer; its wall and CPU seconds.
bool timedRead(TFormMain& window, double& wall, double& cpu) {
    QEventLoop loop;
    bool ended = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!window.Document().TransferRunning()) {
            ended = true;
            loop.quit();
        }
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    const double cpuStart = cpuSeconds();
    clock.start();
    click(window, "SpeedButtonRead");
    poll.start(1);
    loop.exec();
    wall = double(clock.nsecsElapsed()) / 1e9;
    cpu = cpuSeconds() - cpuStart;
    return ended && window.Document().LastOutcome().Ok();
}

void progressCost(SimHarness& sim, int reads) {
    QTemporaryDir dir;
    TToneOutputRecorder tones([] { return qint64(0); });
    sim.reset();
    sim.loadKeyword("relay");
    sim.setPacing(2); // real time: one byte per 1042 us
    TApplicationForms forms = makeWindow(dir, &tones, true);
    TFormMain& window = *forms.FormMain;
    tZCfgFile& doc = window.Document();
    const tZCfgFile::tProgressEvent shown = doc.OnTransferProgress(); // the window's panel
    if (qEnvironmentVariableIsSet("NOBUSY")) window.Transfers().SetBusyControls({}, nullptr);
    double wall[2] = {0, 0}, cpu[2] = {0, 0};
    int failures = 0;
    for (int i = 0; i < 2 * reads; ++i) {
        const bool withProgress = i % 2 == 0;
        doc.SetOnTransferProgress(withProgress ? shown : nullptr);
        double w = 0, c = 0;
        if (!timedRead(window, w, c)) ++failures;
        wall[withProgress ? 0 : 1] += w;
        cpu[withProgress ? 0 : 1] += c;
    }
    doc.SetOnTransferProgress(shown);
    std::printf("reads of a relay, %d each way (real time, 100 ms ticks):\n", reads);
    std::printf("  with progress    %.1f ms wall, %.2f ms CPU per read\n", wall[0] * 1000 / reads,
                cpu[0] * 1000 / reads);
    std::printf("  without progress %.1f ms wall, %.2f ms CPU per read\n", wall[1] * 1000 / reads,
                cpu[1] * 1000 / reads);
    std::printf("  ratio: wall %.3f x, CPU %.2f x   (goal: wall <= 1.05 x)%s\n", wall[0] / wall[1],
                cpu[0] / cpu[1], failures ? "   SOME READS FAILED" : "");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
    qunsetenv("ZCFG_SIM");
    // XDG_DATA_HOME: each Program keeps a backup of the device there, and the window records every
    // transfer in the commissioning log there.
    const QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QApplication application(argc, argv);
    const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int reads = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    SetMessagePresenter(
        [](MessageKind, const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    SimHarness sim(QStringLiteral(ZCFG_SIM_LIBRARY));
    std::printf("resident memory over Read + Program cycles in one window:\n");
    for (const char* keyword : {"staff", "zone-indicator", "relay"})
        if (!qEnvironmentVariableIsSet("ONLY") || qEnvironmentVariable("ONLY") == QLatin1String(keyword))
            memoryOverCycles(sim, keyword, cycles);
    if (!qEnvironmentVariableIsSet("ONLY")) progressCost(sim, reads);
    return 0;
}
