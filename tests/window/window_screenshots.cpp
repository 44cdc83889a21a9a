// Renders the editor window with each page in front into PNG files for review:
// window_screenshots OUTDIR. Every device type with its configuration, the factory pages, the zone
// indicator in HTM08-03 mode, the comments and the Development page with a read's traffic.

#include "app/ApplicationForms.h"
#include "app/MainPages.h"
#include "app/PelSaveDialog.h"
#include "app/UnitFileNotSaved.h"
#include "device/DeviceTypeTable.h"
#include "device/SimulatedAdapter.h"
#include "device/UnitZCfgFile.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace {
bool save(TFormMain& window, const QString& dir, const QString& name) {
    QApplication::processEvents();
    const QString file = QDir(dir).filePath(QStringLiteral("window-") + name + QStringLiteral(".png"));
    if (!window.grab().save(file)) {
        QTextStream(stderr) << "Cannot write " << file << "\n";
        return false;
    }
    QTextStream(stdout) << file << "\n";
    return true;
}
} // namespace

int main(int argc, char** argv) {
    qputenv("ZCFG_SIM_LIBRARY", ZCFG_SIM_LIBRARY);
    UseSimulatedAdapter(QStringLiteral("zone-indicator"));
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "Usage: window_screenshots OUTDIR\n";
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir settings;
    if (!QDir().mkpath(dir) || !settings.isValid()) {
        QTextStream(stderr) << "Cannot create " << dir << "\n";
        return 1;
    }
    // The read it shows is recorded in a commissioning log of its own.
    qputenv("XDG_DATA_HOME", settings.filePath(QStringLiteral("data")).toLocal8Bit());
    SetMessagePresenter([](MessageKind, const QString& text) { QTextStream(stderr) << text << "\n"; });
    TApplicationForms forms =
        CreateApplicationForms(TFormMainOptions{settings.filePath(QStringLiteral("settings.ini")), false});
    forms.FormOK->SetRunModal([](TFormOK&) { return int(QDialog::Accepted); });
    TFormMain& window = *forms.FormMain;
    window.PelSaveDialog().SetAskNotSaved([] { return TPelSaveDialog::NotSavedAnswer::No; });
    window.show();
    tZCfgFile& document = window.Document();
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControlEdit"));

    bool ok = true;
    for (const tDeviceTypeInfo& info : DeviceTypes()) {
        document.SetDeviceType(uint8_t(info.Type));
        ok =
            save(window, dir, QStringLiteral("%1-%2").arg(int(info.Type)).arg(QLatin1String(info.Keyword))) &&
            ok;
    }
    document.SetDeviceType(dt_Zone_Indicator);
    document.AsZonalIndicator()->HTM2015Enabled()->SetAsBoolean(true);
    ok = save(window, dir, QStringLiteral("7-zone-indicator-htm08-03")) && ok;

    window.SetProgramMode(1);
    document.SetDeviceType(dt_Staff_Transmitter);
    document.AsIRRFDevice()->FactoryRecord()->SW()->SetValueText(QStringLiteral("02A0"));
    pages->setCurrentIndex(mpIRFactoryConfig);
    ok = save(window, dir, QStringLiteral("factory-config")) && ok;
    pages->setCurrentIndex(mpConfiguratorProgramming);
    ok = save(window, dir, QStringLiteral("configurator-programming")) && ok;
    window.SetProgramMode(0);

    pages->setCurrentIndex(mpComments); // typed as the user would: the memo tells the document
    window.findChild<QPlainTextEdit*>(QStringLiteral("MemoComments"))
        ->setPlainText(QStringLiteral("Ward 7, bed 12: call point by the door"));
    ok = save(window, dir, QStringLiteral("comments")) && ok;

    // A read through the simulated adapter, seen on the Development page.
    window.ShowHideDevelopmentpage1Click();
    Guarded([&] { window.SpeedButtonReadClick(); });
    for (int n = 0; n < 100 && document.TransferState() != tZCfgFile::tsIdle; ++n)
        Guarded([&] { window.ProgrammerLink().Tick(); });
    pages->setCurrentIndex(mpDevelopment);
    ok = save(window, dir, QStringLiteral("development")) && ok;
    document.SetModified(false);
    return ok ? 0 : 1;
}
