// The time Program Many adds to each unit beyond the device's own exchanges, through the editor window
// against the simulated staff transmitter, the ID stepping from unit to unit:
//
//  - Enter to the first byte sent: the key press at the prompt until the wake-up byte is written to
//    the adapter (the next unit's configuration made, the link opened, the Program started);
//  - the verified reply to the next prompt: the link tick that takes the device's last reply byte,
//    until the prompt for the next unit is painted (verification, outcome listeners, backup note,
//    counters, the panel repainted). The same tick of a plain Program (toolbar, result form answered
//    at once) is measured in the same run for comparison.
//
// Both should stay below 50 ms. The link's ticks come from the bench, one after the other.
//
//   program_many_bench [units, default 200]

#include "../programmer/SimHarness.h"
#include "app/ApplicationForms.h"
#include "app/programmany/ProgramMany.h"
#include "app/programmany/ProgramManyPanel.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    std::vector<double> values; // milliseconds
    void add(double ms) { values.push_back(ms); }
    double median() {
        std::sort(values.begin(), values.end());
        return values.empty() ? 0 : values[values.size() / 2];
    }
    double max() const { return values.empty() ? 0 : *std::max_element(values.begin(), values.end()); }
};

double msSince(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// Ticks the link until the transfer ends; the time of the last tick and the repaint after it.
double finishTransfer(TFormMain& window) {
    double last = 0;
    for (int n = 0; n < 400 && window.Document().TransferRunning(); ++n) {
        QElapsedTimer timer;
        timer.start();
        Guarded([&] { window.ProgrammerLink().Tick(); });
        if (!window.Document().TransferRunning()) QApplication::processEvents(); // the prompt painted
        last = msSince(timer);
    }
    return last;
}

} // namespace

int main(int argc, char** argv) {
    // The offscreen platform says once per repaint of the docked panel that it keeps no size hints.
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (!text.contains(QLatin1String("propagateSizeHints"))) previous(type, context, text);
    });
    QApplication app(argc, argv);
    const int units = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
    qunsetenv("ZCFG_SIM");
    SimHarness sim{QStringLiteral(ZCFG_SIM_LIBRARY)};
    sim.reset();
    sim.loadKeyword("staff");
    QStringList messages;
    SetMessagePresenter([&](MessageKind, const QString& text) { messages << text; });

    TApplicationForms forms =
        CreateApplicationForms(TFormMainOptions{dir.filePath(QStringLiteral("settings.ini")), false});
    forms.FormOK->SetRunModal([](TFormOK&) { return int(QDialog::Accepted); });
    TFormMain& window = *forms.FormMain;
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
    window.Document().SetDeviceType(dt_Staff_Transmitter);
    window.ProgramMany().ToggleAction()->trigger();
    TProgramManyPanel& panel = window.ProgramMany().Panel();
    panel.StepValue()->setChecked(true);
    panel.Start()->setValue(0);
    QApplication::processEvents();

    // A plain Program first, for the same tick without Program Many.
    Figures plain;
    for (int i = 0; i < std::min(units, 20); ++i) {
        window.findChild<QToolButton*>(QStringLiteral("SpeedButtonProgram"))->click();
        plain.add(finishTransfer(window));
    }

    Figures enter;
    Figures prompt;
    int notVerified = 0;
    for (int unit = 0; unit < units; ++unit) {
        if (unit % 256 == 0 && unit > 0) { // the ID wraps: a new run from 0
            window.ProgramMany().Stop();
            panel.Start()->setValue(0);
        }
        sim.clearWritten(0);
        QElapsedTimer timer;
        timer.start();
        if (window.ProgramMany().Running())
            QTest::keyClick(&window, Qt::Key_Return);
        else
            panel.Next()->click();
        const double sent = msSince(timer);
        if (sim.Written(0).isEmpty()) {
            std::fprintf(stderr, "unit %d: nothing was sent\n", unit + 1);
            return 1;
        }
        enter.add(sent);
        prompt.add(finishTransfer(window));
        if (!window.Document().LastOutcome().Verified) ++notVerified;
    }
    window.ProgramMany().Stop();

    std::printf("Program Many, %d units of a ZX140 Staff Transmitter, ID stepping (simulated adapter)\n",
                units);
    std::printf("  Enter to the first byte sent:          median %7.3f ms, max %7.3f ms\n", enter.median(),
                enter.max());
    std::printf("  verified reply to the next prompt:     median %7.3f ms, max %7.3f ms\n", prompt.median(),
                prompt.max());
    std::printf("  the same tick of a plain Program:      median %7.3f ms, max %7.3f ms\n", plain.median(),
                plain.max());
    std::printf("  target: below 50 ms each; units not verified: %d; messages: %lld\n", notVerified,
                static_cast<long long>(messages.size()));
    SetMessagePresenter(nullptr);
    return notVerified == 0 && enter.max() < 50 && prompt.max() < 50 ? 0 : 1;
}
