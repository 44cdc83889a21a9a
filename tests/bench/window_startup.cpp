// Start-up of the editor window against a minimal QMainWindow program (minimal_window, built with
// Qt Widgets alone), measured in the same run: wall time from starting the process until its window
// has been shown and painted, and resident memory then; then the time of each of the eight device
// page switches in the editor.
//
//   window_startup [RUNS]      (default 5 runs of each program; offscreen unless a display is set)
//
// The program starts itself as the editor child; each child prints "shown RSS_KB" once its window
// has been shown and painted, and the editor child then prints one "switch TYPE MICROSECONDS" line
// per device type.

#include "FirstPaint.h"
#include "app/ApplicationForms.h"
#include "app/FontWarmUp.h"
#include "device/UnitZCfgFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

// Whether any of Qt's image-format plugins has been loaded into this process.
bool imageDecodersLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

int runEditor(int argc, char* argv[], const QString& settingsFile) {
    QElapsedTimer phase;
    phase.start();
    TFontWarmUp fonts; // as the program does
    QApplication application(argc, argv);
    const auto fontsLoaded = qScopeGuard([&fonts] { fonts.Finish(); });
    const qint64 applicationNs = phase.nsecsElapsed();
    TApplicationForms forms = CreateApplicationForms(TFormMainOptions{settingsFile, false});
    const qint64 formsNs = phase.nsecsElapsed();
    qint64 shownNs = 0;
    const FirstPaint painted(*forms.FormMain, [&] {
        std::printf("decoders %d\n", imageDecodersLoaded() ? 1 : 0);
        std::printf("phases %lld %lld %lld %lld\n", applicationNs / 1000, (formsNs - applicationNs) / 1000,
                    (shownNs - formsNs) / 1000, (phase.nsecsElapsed() - shownNs) / 1000);
        reportShown();
        tZCfgFile& document = forms.FormMain->Document();
        // The window starts on the staff transmitter (1), so every type in this order is a real switch.
        for (const int type : {2, 3, 4, 5, 6, 7, 8, 1}) {
            QElapsedTimer timer;
            timer.start();
            document.SetDeviceType(uint8_t(type));
            QCoreApplication::processEvents();
            std::printf("switch %d %lld\n", type, timer.nsecsElapsed() / 1000);
        }
        std::fflush(stdout);
        forms.FormMain->Document().SetModified(false);
        QCoreApplication::quit();
    });
    forms.FormMain->show();
    shownNs = phase.nsecsElapsed();
    return QApplication::exec();
}

struct Run {
    double startMs = 0;
    long rssKb = 0;
    QList<long long> phasesUs; // the editor's: application, forms, show(), until painted
    bool decodersLoaded = false;
    QList<QPair<int, long long>> switches;
};

Run runChild(const QString& program, const QStringList& arguments) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("DISPLAY")) &&
        !environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Run run;
    QElapsedTimer timer;
    timer.start();
    child.start(program, arguments);
    while (child.waitForReadyRead(30000)) {
        while (child.canReadLine()) {
            const QList<QByteArray> words = child.readLine().trimmed().split(' ');
            if (words.value(0) == "shown") {
                run.startMs = double(timer.nsecsElapsed()) / 1e6;
                run.rssKb = words.value(1).toLong();
            } else if (words.value(0) == "decoders") {
                run.decodersLoaded = words.value(1) == "1";
            } else if (words.value(0) == "phases") {
                for (int i = 1; i < words.size(); ++i)
                    run.phasesUs.append(words[i].toLongLong());
            } else if (words.value(0) == "switch") {
                run.switches.append({words.value(1).toInt(), words.value(2).toLongLong()});
            }
        }
    }
    child.waitForFinished(30000);
    return run;
}

template <class T> T median(QList<T> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? T() : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc >= 3 && std::strcmp(argv[1], "--editor") == 0)
        return runEditor(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("settings.ini"));
    const QString minimalProgram = QStringLiteral(ZCFG_MINIMAL_WINDOW);

    QList<double> minimalMs, textMs, editorMs;
    QList<long> minimalKb, textKb, editorKb;
    QMap<int, QList<long long>> switchUs;
    QList<QList<long long>> phaseUs(4);
    bool decodersLoaded = false;
    for (int i = 0; i < runs; ++i) { // interleaved, so both programs see the same machine load
        const Run minimal = runChild(minimalProgram, {});
        const Run text = runChild(minimalProgram, {QStringLiteral("--text")});
        const Run editor =
            runChild(QCoreApplication::applicationFilePath(), {QStringLiteral("--editor"), settings});
        minimalMs << minimal.startMs;
        minimalKb << minimal.rssKb;
        textMs << text.startMs;
        textKb << text.rssKb;
        editorMs << editor.startMs;
        editorKb << editor.rssKb;
        decodersLoaded = decodersLoaded || editor.decodersLoaded;
        for (int p = 0; p < editor.phasesUs.size() && p < phaseUs.size(); ++p)
            phaseUs[p] << editor.phasesUs[p];
        for (const auto& [type, us] : editor.switches)
            switchUs[type] << us;
    }
    const double startRatio = median(editorMs) / median(minimalMs);
    const double memoryRatio = double(median(editorKb)) / double(median(minimalKb));
    std::printf("runs: %d (medians)\n", runs);
    std::printf(
        "start-up to first painted window: editor %.1f ms, minimal QMainWindow program %.1f ms, ratio %.2f "
        "(goal <= 1.5)\n",
        median(editorMs), median(minimalMs), startRatio);
    std::printf(
        "resident memory once painted:    editor %ld KiB, minimal QMainWindow program %ld KiB, ratio %.2f "
        "(goal <= 1.5)\n",
        median(editorKb), median(minimalKb), memoryRatio);
    std::printf(
        "for reference, a minimal QMainWindow showing one line of text: %.1f ms (editor ratio %.2f), %ld KiB "
        "(editor ratio %.2f)\n",
        median(textMs), median(editorMs) / median(textMs), median(textKb),
        double(median(editorKb)) / double(median(textKb)));
    std::printf("editor start-up in phases (from main): application %lld us, main window and forms %lld us, "
                "show() %lld us, until first painted %lld us\n",
                median(phaseUs[0]), median(phaseUs[1]), median(phaseUs[2]), median(phaseUs[3]));
    std::printf("image decoders loaded by the first paint: %s\n", decodersLoaded ? "yes" : "no");
    std::printf("device page switch (SetDeviceType to the shown page):\n");
    for (auto it = switchUs.cbegin(); it != switchUs.cend(); ++it)
        std::printf("  type %d: %lld us\n", it.key(), median(it.value()));
    return 0;
}
