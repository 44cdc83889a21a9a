// The editor window through its real widgets: start-up and restart, page switching by device type,
// the remembered page, the Development page key, undo across pages, the about box and the keys.
#include "app/About.h"
#include "app/ApplicationForms.h"
#include "app/DevicePageHost.h"
#include "app/HelpWindow.h"
#include "app/MainPages.h"
#include "app/PelImage.h"
#include "app/PelSaveDialog.h"
#include "app/ToolbarIcons.h"
#include "app/UnitFileNotSaved.h"
#include "app/UnitFormOK.h"
#include "app/pages/DevicePage.h"
#include "device/UnitZCfgFile.h"
#include "property/PelError.h"
#include "property/controls/PelControls.h"
#include "property/controls/PelFileMenus.h"
#include "resources/version/Version.h"

#include <QAction>
#include <QFile>
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

using Tabs = QList<int>;
const Tabs pendantTabs{mpIRRFPendant, mpIRFactoryConfig, mpConfiguratorProgramming, mpComments};

QAction* entry(QMenu* menu, const QString& text) {
    for (QAction* each : menu->actions())
        if (each->text() == text) return each;
    return nullptr;
}

class TestWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    QString settingsFile_;
    TApplicationForms forms_;
    MessagePresenter previousPresenter_;
    QStringList messages_;

    // Creates the three forms on the test settings and shows the window; stop() closes and destroys them.
    void start() {
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
    void stop() {
        if (forms_.FormMain) window().close();
        forms_ = TApplicationForms{};
    }
    QSettings settings() { return QSettings(settingsFile_, QSettings::IniFormat); }
    static QString key(const char* name) {
        return QStringLiteral("Zentara Configurator/") + QLatin1String(name);
    }
    // As the user does: pick the type's entry in the list, which starts at the staff transmitter.
    void chooseDeviceType(int type) {
        auto* combo = window().findChild<TPelComboBox*>(QStringLiteral("ComboBoxDeviceType"));
        combo->setCurrentIndex(type - 1);
        Q_EMIT combo->activated(type - 1);
    }
    void clickTab(int index) {
        QTest::mouseClick(pages()->tabBar(), Qt::LeftButton, {}, pages()->tabBar()->tabRect(index).center());
    }
    TFormMain& window() { return *forms_.FormMain; }
    tZCfgFile& document() { return window().Document(); }
    QTabWidget* pages() { return window().findChild<QTabWidget*>(QStringLiteral("PageControlEdit")); }
    QAction* action(const char* name) { return window().findChild<QAction*>(QLatin1String(name)); }
    QToolButton* button(const char* name) { return window().findChild<QToolButton*>(QLatin1String(name)); }
    void undo() { QTest::mouseClick(button("SpeedButtonUndo"), Qt::LeftButton); }
    // Brings the sheet to front and says whether its page is shown whole, without scrolling.
    bool shownWhole(int sheet) {
        pages()->setCurrentIndex(sheet);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const QWidget* page = window().Pages().CreatedPage(sheet);
        const QSize whole = page ? page->sizeHint() : QSize();
        return page && page->width() >= whole.width() && page->height() >= whole.height();
    }
    Tabs visibleTabs() {
        Tabs result;
        for (int i = 0; i < pages()->count(); ++i)
            if (pages()->isTabVisible(i)) result << i;
        return result;
    }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        settingsFile_ = dir_->filePath(QStringLiteral("settings.ini"));
        messages_.clear();
        previousPresenter_ =
            SetMessagePresenter([this](MessageKind, const QString& text) { messages_ << text; });
    }
    void cleanup() {
        stop();
        SetMessagePresenter(previousPresenter_);
        dir_.reset();
    }

    void firstStartWithEmptySettings() {
        start();
        // A display name would be appended by the desktop to every window title.
        QVERIFY(!QGuiApplication::applicationDisplayName().contains(QLatin1String("Configuration Editor")));
        QCOMPARE(pages()->currentIndex(), int(mpIRRFStaff));
        QCOMPARE(visibleTabs(), (Tabs{mpIRRFStaff, mpComments}));
        QVERIFY(!button("SpeedButtonUndo")->isEnabled() && !button("SpeedButtonRedo")->isEnabled());
        QCOMPARE(window().windowTitle(), QStringLiteral("Zentara Configurator - <No Name>")); // not modified
        QVERIFY(window().RememberedPage() == nullptr);
        QVERIFY(messages_.isEmpty());
        // The sound output is not loaded until a tone plays.
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly) && !maps.readAll().contains("libQt6Multimedia"));
        // Only the page shown is made at start.
        for (int sheet = 0; sheet < TDevicePageHost::PageCount; ++sheet)
            QCOMPARE(window().Pages().CreatedPage(sheet) != nullptr, sheet == mpIRRFStaff);
        // The staff page is shown whole on the 1280 x 800 screen the test runs on.
        QVERIFY(shownWhole(mpIRRFStaff));
        // Fits a 1280 x 800 screen with room for a panel and a title bar.
        QVERIFY(window().minimumSizeHint().width() <= 1280 && window().minimumSizeHint().height() <= 720);
        // The sheets in their order: the eight device pages, then the others.
        QStringList captions;
        for (int i = 0; i < pages()->count(); ++i)
            captions << pages()->tabText(i);
        const QStringList others{"Factory Config", "Configurator Programming", "Comments", "Development"};
        QCOMPARE(captions, QStringList(mpIRFactoryConfig, QStringLiteral("Device")) + others);

        // The about box and the result form exist before the first showing, which wires them.
        QVERIFY(forms_.AboutBox->parent() == &window() && forms_.FormOK->parent() == &window());
        QVERIFY(document().HasAboutBox() && forms_.FormOK->OnResult());
        QStringList menus;
        for (QAction* menu : window().menuBar()->actions())
            if (menu->isVisible()) menus << menu->text();
        QCOMPARE(menus, (QStringList{"&File", "&Edit", "&Device", "&Tools", "&Help"}));

        // The Development page is hidden and its Tools entry out of sight; Ctrl+Shift+D shows and hides it.
        QVERIFY(!action("ShowHideDevelopmentpage1")->isVisible());
        for (const bool shown : {true, false}) {
            QTest::keyClick(&window(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(pages()->isTabVisible(mpDevelopment), shown);
        }

        // The Tools modes start at Edit and follow the document's mode; a value that is no mode changes
        // nothing.
        QVERIFY(action("EditMode1")->isChecked() && !action("ConfigurationMode1")->isChecked());
        action("ConfigurationMode1")->trigger();
        QCOMPARE(document().GetComboMode(), uint8_t(tZCfgFile::ConfigurationMode));
        QVERIFY(action("ConfigurationMode1")->isChecked() && !action("EditMode1")->isChecked());
        window().ComboModeChanged(7);
        QVERIFY(action("ConfigurationMode1")->isChecked());
        action("EditMode1")->trigger();
        QCOMPARE(document().GetComboMode(), uint8_t(tZCfgFile::EditMode));
        QVERIFY(action("EditMode1")->isChecked());
    }

    // In program mode 1, so that the factory pages come and go with the transmitters.
    void eachDeviceTypeShowsItsPage_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<Tabs>("tabs");
        QTest::addColumn<int>("picture");
        QTest::addColumn<int>("helpContext");
        QTest::newRow("staff") << 1 << Tabs{mpIRRFStaff} + pendantTabs.mid(1) << 4 << 10;
        QTest::newRow("pendant") << 2 << pendantTabs << 3 << 20;
        QTest::newRow("MPD call point") << 3 << Tabs{mpCallPoint, mpComments} << 0 << 30;
        QTest::newRow("MPD monitor point") << 4 << Tabs{mpMonitorPoint, mpComments} << 0 << 40;
        QTest::newRow("MPD day/night") << 5 << Tabs{mpDayNightSwitch, mpComments} << 0 << 50;
        QTest::newRow("relay") << 6 << Tabs{mpRelayOutputDevice, mpComments} << 1 << 60;
        QTest::newRow("zone indicator") << 7 << Tabs{mpZonalIndicator, mpComments} << 2 << 70;
        QTest::newRow("ZX250") << 8 << Tabs{mpZX250, mpComments} << 5 << 80;
    }
    void eachDeviceTypeShowsItsPage() {
        QFETCH(int, type);
        QFETCH(Tabs, tabs);
        QFETCH(int, picture);
        QFETCH(int, helpContext);
        settings().setValue(key("Program Mode"), 1);
        // A first start: no placement of an earlier row's window, which would stand as it was.
        for (const char* value : {"Main Window State", "Main Window Top", "Main Window Left",
                                  "Main Window Width", "Main Window Height"})
            settings().remove(key(value));
        start();
        // Start from a type of the other kind, so that every row really switches.
        const int previous = type <= 2 ? 8 : 2;
        const Tabs before = previous == 8 ? Tabs{mpZX250, mpComments} : pendantTabs;
        chooseDeviceType(previous);
        chooseDeviceType(type);
        QCOMPARE(document().GetDeviceType(), uint8_t(type));
        QCOMPARE(visibleTabs(), tabs);
        QCOMPARE(pages()->currentIndex(), tabs.first());
        // The window has grown to show each page whole, and still fits the 1280 x 800 screen.
        for (const int sheet : tabs)
            if (sheet != mpComments)
                QVERIFY2(shownWhole(sheet), qPrintable(pages()->widget(sheet)->objectName()));
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(window().frameGeometry()));
        pages()->setCurrentIndex(tabs.first());
        auto* image = window().findChild<TPelImage*>(QStringLiteral("PelImageDevices"));
        QVERIFY(image->ImageIndex() == picture && image->Transparent());
        QCOMPARE(document().HelpContext(), helpContext);
        // F1 ("Current Device") opens the page's own help topic.
        QAction* topic = entry(window().FileMenus()->HelpMenu(), QStringLiteral("Current Device"));
        QVERIFY(topic && topic->isVisible());
        QCOMPARE(topic->shortcut(), QKeySequence(Qt::Key_F1));
        topic->trigger();
        QVERIFY(window().HelpWindow().isVisible());
        QCOMPARE(window().HelpWindow().Browser()->source(), HelpTopicUrl(helpContext));
        QVERIFY(!window().HelpWindow().Browser()->toPlainText().isEmpty());
        window().HelpWindow().hide();
        // The change is one user action: one undo brings the previous type back.
        QVERIFY(document().Modified() && window().windowTitle().endsWith(QStringLiteral(" *")));
        undo();
        QCOMPARE(document().GetDeviceType(), uint8_t(previous));
        QCOMPARE(visibleTabs(), before);
        QCOMPARE(pages()->currentIndex(), before.first());
        QVERIFY(messages_.isEmpty());
    }

    void rememberedPageSurvivesTypeChanges() {
        start();
        clickTab(mpComments);
        QVERIFY(window().RememberedPage() == pages()->widget(mpComments));
        for (const int type : {6, 1}) {
            chooseDeviceType(type);
            QCOMPARE(pages()->currentIndex(), int(mpComments));
        }
        // Factory Config: hidden with a relay, in front again with a transmitter.
        window().SetProgramMode(1);
        clickTab(mpIRFactoryConfig);
        chooseDeviceType(6);
        QCOMPARE(pages()->currentIndex(), int(mpRelayOutputDevice));
        QVERIFY(window().RememberedPage() == pages()->widget(mpIRFactoryConfig));
        chooseDeviceType(1);
        QCOMPARE(pages()->currentIndex(), int(mpIRFactoryConfig));
    }

    // The device type, program mode and placement are kept; a saved file opens with its type.
    void restartKeepsTheSettingsAndOpensAFile() {
        const QString file = dir_->filePath(QStringLiteral("ward7.zcf"));
        start();
        chooseDeviceType(2);
        window().SetProgramMode(1);
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        window().setGeometry(QRect(available.topLeft() + QPoint(40, 30), QSize(640, 520)));
        const QRect frame = window().frameGeometry();
        window().PelSaveDialog().SetAskSaveFileName(
            [file](const QString&) { return std::optional<QString>(file); });
        QVERIFY(document().SaveAs(QString()));
        stop();
        start();
        QCOMPARE(window().ProgramMode(), 1);
        QCOMPARE(pages()->currentIndex(), int(mpIRRFPendant));
        QCOMPARE(visibleTabs(), pendantTabs);
        QCOMPARE(window().frameGeometry(), frame);
        QVERIFY(!button("SpeedButtonUndo")->isEnabled()); // the restored type cannot be undone
        QVERIFY(!document().Modified());
        // A restored placement stands: a page made after start-up scrolls in it rather than grow it.
        chooseDeviceType(3);
        QCOMPARE(window().frameGeometry(), frame);
        document().SetModified(false);
        QVERIFY(window().OpenFile(file));
        QCOMPARE(pages()->currentIndex(), int(mpIRRFPendant));
        QCOMPARE(window().windowTitle(), QStringLiteral("Zentara Configurator - ward7.zcf"));
        QVERIFY(!button("SpeedButtonUndo")->isEnabled());
        // A file that cannot be read is reported and changes nothing.
        QVERIFY(messages_.isEmpty());
        QVERIFY(!window().OpenFile(dir_->filePath(QStringLiteral("missing.zcf"))));
        QVERIFY(!messages_.isEmpty());
        QCOMPARE(document().GetDeviceType(), uint8_t(2));
        stop();

        // A placement off every screen comes back wholly onto the primary one, shrunk only as far as needed.
        settings().setValue(key("Main Window Top"), 30000);
        settings().setValue(key("Main Window Left"), -30000);
        settings().setValue(key("Main Window Width"), 1400);
        settings().setValue(key("Main Window Height"), 600);
        start();
        QVERIFY(available.contains(window().frameGeometry()));
        QCOMPARE(window().height(), 600);
        QVERIFY(window().width() <= 1400 && window().width() >= available.width() - 16);
    }

    void undoBringsChangedPageToFront() {
        start();
        clickTab(mpComments);
        auto* memo = window().findChild<TPelMemo*>(QStringLiteral("MemoComments"));
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("ward 7"));
        QCOMPARE(document().Comments()->Lines(), QStringList{QStringLiteral("ward 7")});
        QAction* undoEntry = window().FileMenus()->EditMenu()->actions().value(0);
        QVERIFY(button("SpeedButtonUndo")->isEnabled() && undoEntry->isEnabled());
        clickTab(mpIRRFStaff);
        // Undo each typed character; the first one brings Comments to front.
        while (button("SpeedButtonUndo")->isEnabled())
            undo();
        QCOMPARE(pages()->currentIndex(), int(mpComments));
        QVERIFY(document().Comments()->Lines().join(QString()).isEmpty());
        QVERIFY(button("SpeedButtonRedo")->isEnabled() && !undoEntry->isEnabled());
        // Redo from the Edit menu, as Ctrl+Y / Ctrl+Shift+Z would.
        clickTab(mpIRRFStaff);
        window().FileMenus()->EditMenu()->actions().value(1)->trigger();
        QCOMPARE(pages()->currentIndex(), int(mpComments));
        QCOMPARE(document().Comments()->Lines(), QStringList{QStringLiteral("w")});
        // Ctrl+Z typed in the memo undoes through the document, not the memo's private history.
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(memo->toPlainText().trimmed().isEmpty());
        QVERIFY(document().Comments()->Lines().join(QString()).isEmpty());
        QVERIFY(!button("SpeedButtonUndo")->isEnabled());
        // New forgets the history.
        QTest::mouseClick(button("SpeedButtonNew"), Qt::LeftButton);
        QVERIFY(!button("SpeedButtonUndo")->isEnabled() && !button("SpeedButtonRedo")->isEnabled());
    }

    void aboutBoxShowsVersionAndTogglesProgramModeByGesture() {
        start();
        TAboutBox& about = *forms_.AboutBox;
        QCOMPARE(about.Version()->text(), QStringLiteral("Version ") + QLatin1String(ZCFG_PROJECT_VERSION));
        about.show();
        QVERIFY(!about.ImageIcon()->pixmap().isNull());
        const auto click = [&](Qt::MouseButton mouseButton, Qt::KeyboardModifiers modifiers) {
            QTest::mouseClick(about.ImageIcon(), mouseButton, modifiers, about.ImageIcon()->rect().center());
        };
        // Plain clicks, the right button and Ctrl alone do nothing.
        click(Qt::LeftButton, {});
        click(Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier);
        click(Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(window().ProgramMode(), 0);
        // Ctrl+Shift+click toggles program mode, which is kept.
        for (const int mode : {1, 0}) {
            click(Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(window().ProgramMode(), mode);
            QCOMPARE(pages()->isTabVisible(mpIRFactoryConfig), mode == 1);
            QCOMPARE(settings().value(key("Program Mode")).toInt(), mode);
        }
        about.hide();
    }

    void versionSearch_data() {
        QTest::addColumn<QString>("block");
        QTest::addColumn<QString>("expected");
        const QString name = QStringLiteral("FileVersion"), zero(1, QChar(0));
        QTest::newRow("after zero units") << name + zero + zero + "3.0.0.0" + zero << "3.0.0.0";
        QTest::newRow("restart after partial match") << "FileVe" + name + zero + "1.2" + zero << "1.2";
        QTest::newRow("first match wins") << name + zero + "A" + zero + name + zero + "B"
                                          << "A";
        QTest::newRow("missing key") << "ProductVersion" + zero + "1" << QString();
        QTest::newRow("key at the end") << name << QString();
    }
    void versionSearch() {
        QFETCH(QString, block);
        QFETCH(QString, expected);
        const QSpan16 span{reinterpret_cast<const char16_t*>(block.utf16()), std::size_t(block.size())};
        QCOMPARE(FindVersionValue(span, QStringLiteral("FileVersion")), expected);
    }

    // Each File and Edit entry shows the platform's standard key and answers it, the other usual keys
    // and its own older key, also from a text field; no key answers two entries, or it would answer none.
    void menuKeys_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("standard");
        QTest::addColumn<QStringList>("keys"); // the desktop's keys first, the entry's own last
        using K = QKeySequence;
        QTest::newRow("New") << "&New" << int(K::New) << QStringList{"Ctrl+N", "Alt+F2"};
        QTest::newRow("Load") << "&Load" << int(K::Open) << QStringList{"Ctrl+O", "Alt+F3"};
        QTest::newRow("Save") << "&Save" << int(K::Save) << QStringList{"Ctrl+S", "Alt+F4"};
        QTest::newRow("Save As") << "Save &As" << int(K::SaveAs) << QStringList{"Ctrl+Shift+S", "Alt+F5"};
        QTest::newRow("Exit") << "E&xit" << int(K::Quit) << QStringList{"Ctrl+Q", "Ctrl+Alt+F4"};
        QTest::newRow("Undo") << "&Undo" << int(K::Undo) << QStringList{"Ctrl+Z", "Alt+Backspace"};
        QTest::newRow("Redo") << "&Redo" << int(K::Redo)
                              << QStringList{"Ctrl+Shift+Z", "Ctrl+Y", "Shift+Alt+Backspace"};
    }
    void menuKeys() {
        QFETCH(QString, caption);
        QFETCH(int, standard);
        QFETCH(QStringList, keys);
        // The menu shows the platform's own key for the entry (Redo is Ctrl+Shift+Z on the Linux
        // desktops, Ctrl+Y elsewhere).
        const QKeySequence shown =
            QKeySequence::keyBindings(QKeySequence::StandardKey(standard)).value(0, QKeySequence(keys[0]));
        for (const QString& key : keys) {
            start(); // afresh for each key: Exit closes the window
            QAction* found = entry(window().FileMenus()->FileMenu(), caption);
            if (!found) found = entry(window().FileMenus()->EditMenu(), caption);
            QVERIFY(found);
            QCOMPARE(found->shortcut(), shown);
            found->setEnabled(true); // as Undo and Redo are while there is something to undo
            clickTab(mpComments);
            auto* memo = window().findChild<TPelMemo*>(QStringLiteral("MemoComments"));
            memo->setFocus();
            QSignalSpy triggered(found, &QAction::triggered);
            QTest::keySequence(memo, QKeySequence(key));
            QVERIFY2(triggered.size() == 1, qPrintable(key));
        }
        QList<QKeySequence> all;
        for (QAction* each : window().findChildren<QAction*>())
            for (const QKeySequence& key : each->shortcuts()) {
                QVERIFY2(!all.contains(key), qPrintable(key.toString()));
                all << key;
            }
    }

    void toolbarPicturesAreDrawnAtTheScaleShown() {
        using G = tToolbarGlyph;
        for (const G glyph : {G::New, G::Open, G::Save, G::Read, G::Program, G::Undo, G::Redo}) {
            const QIcon icon = ToolbarIcon(glyph);
            for (const qreal scale : {1.0, 2.0}) {
                const QImage normal = icon.pixmap(QSize(24, 24), scale).toImage();
                QCOMPARE(normal.size(), QSize(24, 24) * scale);
                QVERIFY(normal != QImage(normal.size(), normal.format())); // something is drawn
                QVERIFY(icon.pixmap(QSize(24, 24), scale, QIcon::Disabled).toImage() != normal);
            }
        }
    }
};

} // namespace

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
