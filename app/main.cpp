// zentara-configurator [FILE]: the configuration editor. A FILE opens as the Open command would.

#include "app/AppResources.h"
#include "app/ApplicationForms.h"
#include "app/FontWarmUp.h"
#include "app/MessageBoxPresenter.h"
#include "device/SimulatedAdapter.h"
#include "property/PelError.h"
#include "resources/version/Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScopeGuard>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

const QCommandLineOption simulateOption(
    QStringLiteral("simulate"),
    QStringLiteral(
        "Try the program without hardware: the simulated adapter with a virtual device of TYPE (") +
        SimulatedDeviceKeywords().join(QStringLiteral(", ")) + QStringLiteral(")."),
    QStringLiteral("TYPE"));

void describeProgram(QCommandLineParser& parser) {
    // No organisation: the data folder is "$XDG_DATA_HOME/zentara-configurator", shared with zcfg.
    QCoreApplication::setApplicationName(QStringLiteral("zentara-configurator"));
    QCoreApplication::setApplicationVersion(ProgramVersion());
    parser.setApplicationDescription(QStringLiteral("Configuration editor for Zentara nurse-call devices."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(simulateOption);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A configuration file (.zcf) to open."),
                                 QStringLiteral("[FILE]"));
}

// Whether a window can be opened at all: a display, or a platform chosen explicitly.
bool haveDisplay(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0) return true;
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (!haveDisplay(argc, argv)) {
        // --help and --version still answer; anything else explains why no window opens.
        QCoreApplication core(argc, argv);
        QCommandLineParser parser;
        describeProgram(parser);
        parser.process(core);
        std::fprintf(stderr,
                     "zentara-configurator: no display found (DISPLAY and WAYLAND_DISPLAY are unset); "
                     "run it on a desktop, under xvfb-run, or with QT_QPA_PLATFORM=offscreen\n");
        return 1;
    }

    TFontWarmUp fonts; // while the display connection is made
    QApplication application(argc, argv);
    const auto fontsLoaded = qScopeGuard([&fonts] { fonts.Finish(); }); // before the application goes
    QCommandLineParser parser;
    describeProgram(parser);
    parser.process(application);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "zentara-configurator: one FILE at most (%lld given)\n",
                     static_cast<long long>(files.size()));
        return 2;
    }
    if (parser.isSet(simulateOption) && !UseSimulatedAdapter(parser.value(simulateOption))) {
        std::fprintf(stderr, "zentara-configurator: unknown simulated device \"%s\" (one of: %s)\n",
                     qPrintable(parser.value(simulateOption)),
                     qPrintable(SimulatedDeviceKeywords().join(QStringLiteral(", "))));
        return 2;
    }
    QGuiApplication::setDesktopFileName(QStringLiteral("com.zentara.Configurator"));
    InitAppResources();
    QApplication::setWindowIcon(AppPicture(QStringLiteral("program_icon")));

    TApplicationForms forms = CreateApplicationForms();
    InstallMessageBoxPresenter(forms.FormMain.get());
    forms.FormMain->show();
    // The file opens once the window is running, so that any message about it has its window.
    if (!files.isEmpty()) {
        const QString file = files.first();
        QTimer::singleShot(0, forms.FormMain.get(),
                           [&forms, file] { Guarded([&] { forms.FormMain->OpenFile(file); }); });
    }
    return QApplication::exec();
}
