// Costs of the serial monitor and the tone test, printed as figures:
//  - CPU use of the process while a tone pattern plays on the real timer and sound output (silent
//    where the machine has none), and the cost of synthesising the sound itself;
//  - the monitor's cost per received character and per line when it holds 1,000 and 100,000
//    lines (and 10,000 between them); it must not grow with the length beyond the logarithmic cost
//    of the text document's own structures.
// Usage: monitor_tone_bench [seconds per pattern, default 5] [--quick]
#include "app/SerialMonitor.h"
#include "app/ToneOutputAudio.h"
#include "app/ToneTest.h"
#include "device/Devices.h"
#include "device/UnitZCfgFile.h"

#include <QApplication>
#include <QAudioFormat>
#include <QElapsedTimer>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void playPattern(const char* label, tZonalTone tone, int seconds) {
    std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    doc->SetDeviceType(dt_Zone_Indicator);
    doc->AsZonalIndicator()->ModeData(TToneTest::Call)->Tone()->SetAsEnum(tone);
    QWidget page;
    for (const char* name : TToneTest::ButtonNames)
        (new QToolButton(&page))->setObjectName(QLatin1String(name));
    TToneOutputAudio output;
    TToneTest test(&output);
    QString status;
    test.SetOnStatusMessage([&status](const QString& text) { status = text; });
    test.SetDocument(doc.get());
    test.AttachButtons(&page);

    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    test.Button(TToneTest::Call)->click();
    loop.exec();
    test.SetTonePlaying(false);
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("  %-12s %5.2f%% CPU over %.1f s%s\n", label, 100.0 * cpu / (wall.elapsed() / 1000.0),
                wall.elapsed() / 1000.0, status.isEmpty() ? "" : "  (no sound output: timing only)");
}

void synthesis() {
    QAudioFormat format;
    format.setSampleRate(48000);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    TToneGenerator generator(format);
    const int seconds = 20;
    for (int i = 0; i < seconds; ++i)
        generator.Queue(2800, 1000);
    QByteArray buffer(format.bytesForDuration(100000), Qt::Uninitialized);
    const double before = cpuSeconds();
    for (int block = 0; block < seconds * 10; ++block)
        generator.read(buffer.data(), buffer.size());
    const double cpu = cpuSeconds() - before;
    std::printf("  synthesis    %5.3f%% of one core (48 kHz stereo, %d s of tone in %.1f ms)\n",
                100.0 * cpu / seconds, seconds, cpu * 1000.0);
}

// Appends lines the way a read exchange does: one sent line, then a reply of 24 bytes ending CR.
void appendLines(TSerialMonitor& monitor, int lines) {
    static const QByteArray reply("\x01PI0110FFFF00AB12\x04\x9D\r", 20);
    for (int i = 0; i < lines; ++i) {
        if (i % 2 == 0) {
            monitor.MonitorTransmit(QStringLiteral("\x05\x05\x05\x05\x05"));
        } else {
            for (char byte : reply)
                monitor.MonitorReceiveByte(uint8_t(byte));
        }
        if (i % 100 == 99) QCoreApplication::processEvents(); // the window repaints between ticks
    }
}

void monitorAppend(int filled) {
    TSerialMonitor monitor;
    monitor.resize(600, 400);
    monitor.show();
    appendLines(monitor, filled);
    QCoreApplication::processEvents();
    const int measured = 2000; // 1,000 sent lines and 1,000 replies of 20 characters
    QElapsedTimer wall;
    wall.start();
    const double before = cpuSeconds();
    appendLines(monitor, measured);
    QCoreApplication::processEvents();
    const double cpu = cpuSeconds() - before;
    const double characters = measured / 2 * 20.0 + measured / 2;
    std::printf("  %7d lines: %6.2f us CPU per appended line or character (%.1f ms wall for %d lines), "
                "now %d lines\n",
                filled, cpu * 1e6 / characters, wall.nsecsElapsed() / 1e6, measured, monitor.LineCount());
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    int seconds = 5;
    if (argc > 1 && std::atoi(argv[1]) > 0) seconds = std::atoi(argv[1]);
    if (quick) seconds = 1;

    std::printf("Tone test while a pattern plays (process CPU / wall time):\n");
    playPattern("Attack", zt_Attack, seconds);
    if (!quick) {
        playPattern("500 Hz", zt_500Hz, seconds);
        playPattern("Red Alert", zt_Red_Alert, seconds);
    }
    synthesis();

    std::printf("Serial monitor append cost:\n");
    monitorAppend(1000);
    if (!quick) {
        monitorAppend(10000);
        monitorAppend(TSerialMonitor::MaxLines);
    }
    return 0;
}
