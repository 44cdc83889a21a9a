// The editor window through its real widgets: start-up and restart, page switching by device type,
// the remembered page, the Development page key, undo across pages, the about box and the keys.
#include "app/About.h"
#include "app/ApplicationForms.h"
#include "app/DevicePageHost.h"
#include "app/HelpWindow.h"
#include "app/MainPages.h"
#include "app/PelImage.h"
#include "app/PelRegistry.h"
#include "app/PelSaveDialog.h"
#include "app/ToolbarIcons.h"
#include "app/UnitFileNotSaved.h"
#include "app/UnitFormOK.h"
#include "app/UnitUndoList.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "property/PelError.h"
#include "property/controls/PelControls.h"
#include "property/controls/PelFileMenus.h"
#include "resources/version/Version.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

namespace {

class TestWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void firstStartWithEmptySettings();
    void formsAreCreatedInOrderAndWired();
    void programModeOneShowsFactoryPagesForTransmittersOnly();
    void eachDeviceTypeShowsItsPage_data();
    void eachDeviceTypeShowsItsPage();
    void rememberedPageSurvivesTypeChanges();
    void developmentKeyTogglesHiddenPage();
    void deviceTypeProgramModeAndPlacementSurviveRestart();
    void placementOffEveryScreenComesBackOntoPrimary();
    void undoBringsChangedPageToFront();
    void toolsModesFollowTheDocument();
    void aboutBoxShowsVersionAndTogglesProgramModeByGesture();
    void versionSearch_data();
    void versionSearch();
    void standardKeysBesideOwnShortcuts_data();
    void standardKeysBesideOwnShortcuts();
    void fileNamedAtStartOpens();
    void toolbarPicturesAreDrawnAtTheScaleShown();

private:
    // Creates the three forms on the test settings and shows the window.
    void start();
    // Closes and destroys the forms, as the end of a run does.
    void stop();
    void writeSetting(const QString& name, const QVariant& value);
    void chooseDeviceType(int type);
    void clickTab(int index);
    TFormMain& window() { return *forms_.FormMain; }
    QTabWidget* pages() { return window().findChild<QTabWidget*>(QStringLiteral("PageControlEdit")); }
    QAction* action(const char* name) { return window().findChild<QAction*>(QLatin1String(name)); }
    QToolButton* button(const char* name) { return window().findChild<QToolButton*>(QLatin1String(name)); }
    QList<int> visibleTabs();

    std::unique_ptr<QTemporaryDir> dir_;
    QString settingsFile_;
    TApplicationForms forms_;
    MessagePresenter previousPresenter_;
    QStringList messages_;
};

void TestWindow::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    settingsFile_ = dir_->filePath(QStringLiteral("settings.ini"));
    messages_.clear();
    previousPresenter_ = SetMessagePresenter([this](MessageKind, const QString& text) { messages_ << text; });
}

void TestWindow::cleanup() {
    stop();
    SetMessagePresenter(previousPresenter_);
    dir_.reset();
}

void TestWindow::start() {
    forms_ = CreateApplicationForms(TFormMainOptions{settingsFile_, false});
    window().PelSaveDialog().SetAskNotSaved([] { return TPelSaveDialog::NotSavedAnswer::No; });
    window().PelSaveDialog().SetAskSaveFileName([](const QString&) { return std::optional<QString>(); });
    window().PelSaveDialog().SetAskOpenFileName([](const QString&) { return std::optional<QString>(); });
    forms_.AboutBox->SetRunModal([](TAboutBox&) { return int(QDialog::Accepted); });
    forms_.FormOK->SetRunModal([](TFormOK&) { return int(QDialog::Accepted); });
    window().show();
    QApplication::setActiveWindow(&window());
    QVERIFY(QTest::qWaitForWindowActive(&window()));
}

void TestWindow::stop() {
    if (!forms_.FormMain) return;
    window().close();
    forms_ = TApplicationForms{};
}

void TestWindow::writeSetting(const QString& name, const QVariant& value) {
    QSettings settings(settingsFile_, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Zentara Configurator/") + name, value);
}

// As the user does: pick the type's entry in the device-type list.
void TestWindow::chooseDeviceType(int type) {
    auto* combo = window().findChild<TPelComboBox*>(QStringLiteral("ComboBoxDeviceType"));
    const int index = type - 1; // the list starts at the staff transmitter
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

void TestWindow::clickTab(int index) {
    QTabBar* bar = pages()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

QList<int> TestWindow::visibleTabs() {
    QList<int> result;
    for (int i = 0; i < pages()->count(); ++i)
        if (pages()->isTabVisible(i)) result << i;
    return result;
}

void TestWindow::firstStartWithEmptySettings() {
    start();
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Configuration Editor"));
    QCOMPARE(pages()->currentIndex(), int(mpIRRFStaff));
    QCOMPARE(visibleTabs(), (QList<int>{mpIRRFStaff, mpComments}));
    QVERIFY(action("EditMode1")->isChecked());
    QVERIFY(!action("ConfigurationMode1")->isChecked());
    QCOMPARE(window().ProgramMode(), 0);
    QVERIFY(!button("SpeedButtonUndo")->isEnabled());
    QVERIFY(!button("SpeedButtonRedo")->isEnabled());
    QVERIFY(!window().Document().Modified());
    QCOMPARE(window().windowTitle(), QStringLiteral("Zentara Configurator - <No Name>"));
    QCOMPARE(window().Document().HelpContext(), 10);
    QCOMPARE(window().findChild<TPelImage*>(QStringLiteral("PelImageDevices"))->ImageIndex(), 4);
    QVERIFY(window().TrackPageChanges());
    QVERIFY(window().RememberedPage() == nullptr);
    QVERIFY(messages_.isEmpty());
    // Only the page shown is made at start.
    for (int sheet = 0; sheet < TDevicePageHost::PageCount; ++sheet)
        QCOMPARE(window().Pages().CreatedPage(sheet) != nullptr, sheet == mpIRRFStaff);
    // Fits a 1280 x 800 screen with room for a panel and a title bar.
    QVERIFY(window().minimumSizeHint().width() <= 1280);
    QVERIFY(window().minimumSizeHint().height() <= 720);
    // The twelve sheets in their order, with their captions and help topics.
    const QStringList names = {"TabSheetCallPoint",         "TabSheetMonitorPoint",
                               "TabSheetDayNightSwitch",    "TabSheetZonalIndicator",
                               "TabSheetRelayOutputDevice", "TabSheetZX250",
                               "TabSheetIRRFStaff",         "TabSheetIRRFPendant",
                               "TabSheetIRFactoryConfig",   "TabSheetConfiguratorProgramming",
                               "TabSheetComments",          "TabSheetDevelopment"};
    const QList<int> help = {30, 40, 50, 70, 60, 80, 10, 20, 0, 0, 0, 0};
    QCOMPARE(pages()->count(), int(mpPageCount));
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(pages()->widget(i)->objectName(), names[i]);
        QCOMPARE(pages()->widget(i)->property("helpContext").toInt(), help[i]);
    }
    QCOMPARE(pages()->tabText(mpIRFactoryConfig), QStringLiteral("Factory Config"));
    QCOMPARE(pages()->tabText(mpComments), QStringLiteral("Comments"));
}

void TestWindow::formsAreCreatedInOrderAndWired() {
    start();
    // The about box and the result form exist before the first showing and are wired by it.
    QVERIFY(forms_.AboutBox->parent() == &window());
    QVERIFY(forms_.FormOK->parent() == &window());
    QVERIFY(window().Document().HasAboutBox());
    QVERIFY(forms_.FormOK->OnResult());
    QMenuBar* bar = window().menuBar();
    QStringList menus;
    for (QAction* entry : bar->actions())
        if (entry->isVisible()) menus << entry->text();
    QCOMPARE(menus, (QStringList{"&File", "&Edit", "&Tools", "&Help"}));
    QVERIFY(!action("ShowHideDevelopmentpage1")->isVisible());
    QCOMPARE(action("ReadDeviceConfig")->shortcut(), QKeySequence(QStringLiteral("Shift+F3")));
    QCOMPARE(action("WriteDeviceConfiguration1")->shortcut(), QKeySequence(QStringLiteral("Shift+F4")));
}

void TestWindow::programModeOneShowsFactoryPagesForTransmittersOnly() {
    writeSetting(QStringLiteral("Program Mode"), 1);
    writeSetting(QStringLiteral("Last Device Type"), 2);
    start();
    QCOMPARE(window().ProgramMode(), 1);
    QCOMPARE(pages()->currentIndex(), int(mpIRRFPendant));
    QCOMPARE(visibleTabs(),
             (QList<int>{mpIRRFPendant, mpIRFactoryConfig, mpConfiguratorProgramming, mpComments}));
    chooseDeviceType(6);
    QCOMPARE(visibleTabs(), (QList<int>{mpRelayOutputDevice, mpComments}));
    chooseDeviceType(2);
    QCOMPARE(visibleTabs(),
             (QList<int>{mpIRRFPendant, mpIRFactoryConfig, mpConfiguratorProgramming, mpComments}));
}

void TestWindow::eachDeviceTypeShowsItsPage_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("helpContext");
    QTest::newRow("staff") << 1 << int(mpIRRFStaff) << 4 << 10;
    QTest::newRow("pendant") << 2 << int(mpIRRFPendant) << 3 << 20;
    QTest::newRow("MPD call point") << 3 << int(mpCallPoint) << 0 << 30;
    QTest::newRow("MPD monitor point") << 4 << int(mpMonitorPoint) << 0 << 40;
    QTest::newRow("MPD day/night") << 5 << int(mpDayNightSwitch) << 0 << 50;
    QTest::newRow("relay") << 6 << int(mpRelayOutputDevice) << 1 << 60;
    QTest::newRow("zone indicator") << 7 << int(mpZonalIndicator) << 2 << 70;
    QTest::newRow("ZX250") << 8 << int(mpZX250) << 5 << 80;
}

void TestWindow::eachDeviceTypeShowsItsPage() {
    QFETCH(int, type);
    QFETCH(int, page);
    QFETCH(int, picture);
    QFETCH(int, helpContext);
    start();
    // Start from another type, so that every row really switches.
    const int previous = type == 8 ? 7 : 8;
    chooseDeviceType(previous);
    chooseDeviceType(type);
    QCOMPARE(window().Document().GetDeviceType(), uint8_t(type));
    QCOMPARE(visibleTabs(), (QList<int>{page, mpComments}));
    QCOMPARE(pages()->currentIndex(), page);
    QCOMPARE(window().findChild<TPelImage*>(QStringLiteral("PelImageDevices"))->ImageIndex(), picture);
    QVERIFY(window().findChild<TPelImage*>(QStringLiteral("PelImageDevices"))->Transparent());
    QCOMPARE(window().Document().HelpContext(), helpContext);
    // F1 ("Current Device") opens the page's own help topic.
    QAction* topic = nullptr;
    for (QAction* entry : window().FileMenus()->HelpMenu()->actions())
        if (entry->text() == QLatin1String("Current Device")) topic = entry;
    QVERIFY(topic && topic->isVisible());
    QCOMPARE(topic->shortcut(), QKeySequence(Qt::Key_F1));
    topic->trigger();
    QVERIFY(window().HelpWindow().isVisible());
    QCOMPARE(window().HelpWindow().Browser()->source(), HelpTopicUrl(helpContext));
    QVERIFY(!window().HelpWindow().Browser()->toPlainText().isEmpty());
    window().HelpWindow().hide();
    // The change is one user action: one undo brings the previous type back.
    QVERIFY(button("SpeedButtonUndo")->isEnabled());
    QVERIFY(window().Document().Modified());
    QVERIFY(window().windowTitle().endsWith(QStringLiteral(" *")));
    QTest::mouseClick(button("SpeedButtonUndo"), Qt::LeftButton);
    QCOMPARE(window().Document().GetDeviceType(), uint8_t(previous));
    QCOMPARE(visibleTabs(), (QList<int>{DeviceTypeInfo(previous).PageIndex, mpComments}));
    QCOMPARE(pages()->currentIndex(), DeviceTypeInfo(previous).PageIndex);
    QVERIFY(messages_.isEmpty());
}

void TestWindow::rememberedPageSurvivesTypeChanges() {
    start();
    clickTab(mpComments);
    QCOMPARE(pages()->currentIndex(), int(mpComments));
    QVERIFY(window().RememberedPage() == pages()->widget(mpComments));
    chooseDeviceType(6);
    QCOMPARE(pages()->currentIndex(), int(mpComments));
    chooseDeviceType(1);
    QCOMPARE(pages()->currentIndex(), int(mpComments));

    // Factory Config: hidden with a relay, in front again with a transmitter.
    window().SetProgramMode(1);
    clickTab(mpIRFactoryConfig);
    QCOMPARE(pages()->currentIndex(), int(mpIRFactoryConfig));
    chooseDeviceType(6);
    QCOMPARE(pages()->currentIndex(), int(mpRelayOutputDevice));
    QVERIFY(window().RememberedPage() == pages()->widget(mpIRFactoryConfig));
    chooseDeviceType(1);
    QCOMPARE(pages()->currentIndex(), int(mpIRFactoryConfig));
}

void TestWindow::developmentKeyTogglesHiddenPage() {
    start();
    QVERIFY(!pages()->isTabVisible(mpDevelopment));
    QTest::keyClick(&window(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(pages()->isTabVisible(mpDevelopment));
    QTest::keyClick(&window(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!pages()->isTabVisible(mpDevelopment));
}

void TestWindow::deviceTypeProgramModeAndPlacementSurviveRestart() {
    start();
    chooseDeviceType(7);
    window().SetProgramMode(1);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect placed(available.topLeft() + QPoint(40, 30), QSize(640, 520));
    window().setGeometry(placed);
    const QRect frame = window().frameGeometry();
    window().Document().SetModified(false);
    stop();

    QSettings stored(settingsFile_, QSettings::IniFormat);
    QCOMPARE(stored.value(QStringLiteral("Zentara Configurator/Last Device Type")).toInt(), 7);
    QCOMPARE(stored.value(QStringLiteral("Zentara Configurator/Main Window State")).toString(),
             QStringLiteral("Normal"));

    start();
    QCOMPARE(window().Document().GetDeviceType(), uint8_t(7));
    QCOMPARE(pages()->currentIndex(), int(mpZonalIndicator));
    QCOMPARE(window().ProgramMode(), 1);
    QCOMPARE(window().frameGeometry(), frame);
    QVERIFY(!button("SpeedButtonUndo")->isEnabled()); // the restored type cannot be undone
    QVERIFY(!window().Document().Modified());
}

void TestWindow::placementOffEveryScreenComesBackOntoPrimary() {
    writeSetting(QStringLiteral("Main Window State"), QStringLiteral("Normal"));
    writeSetting(QStringLiteral("Main Window Top"), 30000);
    writeSetting(QStringLiteral("Main Window Left"), -30000);
    writeSetting(QStringLiteral("Main Window Width"), 900);
    writeSetting(QStringLiteral("Main Window Height"), 600);
    start();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    // Wholly on the primary screen, shrunk only as far as the screen needs.
    QVERIFY(available.contains(window().frameGeometry()));
    QCOMPARE(window().height(), 600);
    QVERIFY(window().width() <= 900 && window().width() >= available.width() - 16);
}

void TestWindow::undoBringsChangedPageToFront() {
    start();
    clickTab(mpComments);
    auto* memo = window().findChild<TPelMemo*>(QStringLiteral("MemoComments"));
    memo->setFocus();
    QTest::keyClicks(memo, QStringLiteral("ward 7"));
    QCOMPARE(window().Document().Comments()->Lines(), QStringList{QStringLiteral("ward 7")});
    QVERIFY(button("SpeedButtonUndo")->isEnabled());
    QVERIFY(window().FileMenus()->EditMenu()->actions().value(0)->isEnabled());
    clickTab(mpIRRFStaff);

    // Undo each typed character; the first one brings Comments to front.
    while (button("SpeedButtonUndo")->isEnabled())
        QTest::mouseClick(button("SpeedButtonUndo"), Qt::LeftButton);
    QCOMPARE(pages()->currentIndex(), int(mpComments));
    QVERIFY(window().Document().Comments()->Lines().join(QString()).isEmpty());
    QVERIFY(button("SpeedButtonRedo")->isEnabled());
    QVERIFY(!window().FileMenus()->EditMenu()->actions().value(0)->isEnabled());

    clickTab(mpIRRFStaff);
    // Redo from the Edit menu, as Ctrl+Y / Ctrl+Shift+Z would.
    window().FileMenus()->EditMenu()->actions().value(1)->trigger();
    QCOMPARE(pages()->currentIndex(), int(mpComments));
    QVERIFY(button("SpeedButtonUndo")->isEnabled());

    // Ctrl+Z typed in the memo undoes through the document, not the memo's private history.
    memo->setFocus();
    QCOMPARE(window().Document().Comments()->Lines(), QStringList{QStringLiteral("w")});
    QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(memo->toPlainText().trimmed().isEmpty());
    QVERIFY(window().Document().Comments()->Lines().join(QString()).isEmpty());
    QVERIFY(!button("SpeedButtonUndo")->isEnabled());

    // New forgets the history.
    QTest::mouseClick(button("SpeedButtonNew"), Qt::LeftButton);
    QVERIFY(!button("SpeedButtonUndo")->isEnabled());
    QVERIFY(!button("SpeedButtonRedo")->isEnabled());
}

void TestWindow::toolsModesFollowTheDocument() {
    start();
    action("ConfigurationMode1")->trigger();
    QCOMPARE(window().Document().GetComboMode(), uint8_t(tZCfgFile::ConfigurationMode));
    QVERIFY(action("ConfigurationMode1")->isChecked());
    QVERIFY(!action("EditMode1")->isChecked());
    window().ComboModeChanged(7); // not a mode: nothing changes
    QVERIFY(action("ConfigurationMode1")->isChecked());
    action("EditMode1")->trigger();
    QCOMPARE(window().Document().GetComboMode(), uint8_t(tZCfgFile::EditMode));
    QVERIFY(action("EditMode1")->isChecked());
}

void TestWindow::aboutBoxShowsVersionAndTogglesProgramModeByGesture() {
    start();
    TAboutBox& about = *forms_.AboutBox;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Arvel Configuration Editor"));
    QCOMPARE(about.ProductName()->text(), QStringLiteral("Arvel Configuration Editor"));
    QCOMPARE(about.Version()->text(), QStringLiteral("Version ") + QLatin1String(ZCFG_PROJECT_VERSION));
    QCOMPARE(about.ImageIcon()->size(), QSize(32, 32));
    QVERIFY(about.width() >= 310 && about.height() >= 244);
    about.show();
    const QPoint centre = about.ImageIcon()->rect().center();

    // Plain clicks, the right button and Ctrl alone do nothing.
    QTest::mouseClick(about.ImageIcon(), Qt::LeftButton, {}, centre);
    QTest::mouseClick(about.ImageIcon(), Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier, centre);
    QTest::mouseClick(about.ImageIcon(), Qt::LeftButton, Qt::ControlModifier, centre);
    QCOMPARE(window().ProgramMode(), 0);

    QTest::mouseClick(about.ImageIcon(), Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, centre);
    QCOMPARE(window().ProgramMode(), 1);
    QVERIFY(pages()->isTabVisible(mpIRFactoryConfig));
    QCOMPARE(QSettings(settingsFile_, QSettings::IniFormat)
                 .value(QStringLiteral("Zentara Configurator/Program Mode"))
                 .toInt(),
             1);
    QTest::mouseClick(about.ImageIcon(), Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, centre);
    QCOMPARE(window().ProgramMode(), 0);
    QVERIFY(!pages()->isTabVisible(mpIRFactoryConfig));
    about.hide();
}

void TestWindow::versionSearch_data() {
    QTest::addColumn<QString>("block");
    QTest::addColumn<QString>("expected");
    const QChar zero(0);
    QTest::newRow("after zero units")
        << QStringLiteral("FileVersion") + zero + zero + QStringLiteral("3.0.0.0") + zero << "3.0.0.0";
    QTest::newRow("restart after partial match")
        << QStringLiteral("FileVeFileVersion") + zero + QStringLiteral("1.2") + zero << "1.2";
    QTest::newRow("first match wins") << QStringLiteral("FileVersion") + zero + QStringLiteral("A") + zero +
                                             QStringLiteral("FileVersion") + zero + QStringLiteral("B")
                                      << "A";
    QTest::newRow("missing key") << QStringLiteral("ProductVersion") + zero + QStringLiteral("1") << "";
    QTest::newRow("key at the end") << QStringLiteral("FileVersion") << "";
}

void TestWindow::versionSearch() {
    QFETCH(QString, block);
    QFETCH(QString, expected);
    const QSpan16 span{reinterpret_cast<const char16_t*>(block.utf16()), std::size_t(block.size())};
    QCOMPARE(FindVersionValue(span, QStringLiteral("FileVersion")), expected);
    QCOMPARE(ProgramVersion(), QLatin1String(ZCFG_PROJECT_VERSION));
}

void TestWindow::standardKeysBesideOwnShortcuts_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("own");
    QTest::addColumn<int>("standard");
    QTest::newRow("new") << "file"
                         << "&New"
                         << "Alt+F2" << int(QKeySequence::New);
    QTest::newRow("load") << "file"
                          << "&Load"
                          << "Alt+F3" << int(QKeySequence::Open);
    QTest::newRow("save") << "file"
                          << "&Save"
                          << "Alt+F4" << int(QKeySequence::Save);
    QTest::newRow("save as") << "file"
                             << "Save &As"
                             << "Alt+F5" << int(QKeySequence::SaveAs);
    QTest::newRow("exit") << "file"
                          << "E&xit"
                          << "Ctrl+Alt+F4" << int(QKeySequence::Quit);
    QTest::newRow("undo") << "edit"
                          << "&Undo"
                          << "Alt+Backspace" << int(QKeySequence::Undo);
    QTest::newRow("redo") << "edit"
                          << "&Redo"
                          << "Shift+Alt+Backspace" << int(QKeySequence::Redo);
}

void TestWindow::standardKeysBesideOwnShortcuts() {
    QFETCH(QString, menu);
    QFETCH(QString, entry);
    QFETCH(QString, own);
    QFETCH(int, standard);
    start();
    QMenu* inMenu =
        menu == QLatin1String("file") ? window().FileMenus()->FileMenu() : window().FileMenus()->EditMenu();
    QAction* found = nullptr;
    for (QAction* candidate : inMenu->actions())
        if (candidate->text() == entry) found = candidate;
    QVERIFY(found);
    const QList<QKeySequence> keys = found->shortcuts();
    QCOMPARE(keys.value(0), QKeySequence(own));
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::StandardKey(standard)))
        QVERIFY2(keys.contains(key), qPrintable(key.toString()));
    // No key answers two entries, or it would answer none.
    QList<QKeySequence> all;
    for (QAction* each : window().findChildren<QAction*>())
        for (const QKeySequence& key : each->shortcuts()) {
            QVERIFY2(!all.contains(key), qPrintable(key.toString()));
            all << key;
        }
}

void TestWindow::fileNamedAtStartOpens() {
    const QString file = dir_->filePath(QStringLiteral("ward7.zcf"));
    start();
    chooseDeviceType(6);
    window().PelSaveDialog().SetAskSaveFileName(
        [file](const QString&) { return std::optional<QString>(file); });
    QVERIFY(window().Document().SaveAs(QString()));
    stop();
    start();
    QCOMPARE(window().Document().GetDeviceType(), uint8_t(6)); // the last type, before any file
    chooseDeviceType(3);
    window().Document().SetModified(false);
    QVERIFY(window().OpenFile(file));
    QCOMPARE(window().Document().GetDeviceType(), uint8_t(6));
    QCOMPARE(pages()->currentIndex(), int(mpRelayOutputDevice));
    QCOMPARE(window().windowTitle(), QStringLiteral("Zentara Configurator - ward7.zcf"));
    QVERIFY(!button("SpeedButtonUndo")->isEnabled());

    // A file that cannot be read is reported and changes nothing.
    messages_.clear();
    QVERIFY(!window().OpenFile(dir_->filePath(QStringLiteral("missing.zcf"))));
    QVERIFY(!messages_.isEmpty());
    QCOMPARE(window().Document().GetDeviceType(), uint8_t(6));
}

} // namespace

void TestWindow::toolbarPicturesAreDrawnAtTheScaleShown() {
    using G = tToolbarGlyph;
    for (const G glyph : {G::New, G::Open, G::Save, G::Read, G::Program, G::Undo, G::Redo}) {
        const QIcon icon = ToolbarIcon(glyph);
        for (const qreal scale : {1.0, 2.0}) {
            const QImage normal = icon.pixmap(QSize(24, 24), scale).toImage();
            const QImage disabled = icon.pixmap(QSize(24, 24), scale, QIcon::Disabled).toImage();
            QCOMPARE(normal.size(), QSize(24, 24) * scale);
            QVERIFY(normal != QImage(normal.size(), normal.format())); // something is drawn
            QVERIFY(disabled != normal);
        }
    }
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
