// zentara-configurator [FILE]: the configuration editor. A FILE opens as the Open command would.

#include "app/AppResources.h"
#include "app/ApplicationForms.h"
#include "app/MessageBoxPresenter.h"
#include "property/PelError.h"
#include "resources/version/Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zentara-configurator"));
    QApplication::setOrganizationName(QStringLiteral("Zentara"));
    QApplication::setApplicationVersion(ProgramVersion());
    InitAppResources();
    QApplication::setWindowIcon(AppPicture(QStringLiteral("program_icon")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configuration editor for Zentara nurse-call devices."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A configuration file (.zcf) to open."),
                                 QStringLiteral("[FILE]"));
    parser.process(application);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "zentara-configurator: one FILE at most (%lld given)\n",
                     static_cast<long long>(files.size()));
        return 2;
    }

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
