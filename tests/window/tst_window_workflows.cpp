// Reading and programming through the real window, against the simulated adapter: the toolbar and the
// Tools keys, the Connect caption, the serial monitor on the Development page and the page of the
// device read. Time advances only by explicit ticks of the link.
#include "WindowTestSession.h"
#include "app/ApplicationForms.h"
#include "app/DevicePageHost.h"
#include "app/MainPages.h"
#include "app/PelSaveDialog.h"
#include "app/ProgrammerWorkflows.h"
#include "app/SerialMonitor.h"
#include "app/ToneOutputRecorder.h"
#include "app/ToneTest.h"
#include "app/UnitFileNotSaved.h"
#include "app/UnitUndoList.h"
#include "app/transfer/TransferCoordinator.h"
#include "app/transfer/TransferPanel.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class TestWindowWorkflows : public QObject, protected WindowTestSession {
    Q_OBJECT

    QTemporaryDir data_; // XDG_DATA_HOME: where a Program keeps its backups
    TToneOutputRecorder tones_{[] { return qint64(0); }};

    QTabWidget* pages() { return window().findChild<QTabWidget*>(QStringLiteral("PageControlEdit")); }
    QString connectCaption() {
        return window().findChild<QPushButton*>(QStringLiteral("SpeedButtonProgrammerConnect"))->text();
    }

    // The self-test result texts of the Factory Config and Configurator Programming pages.
    QStringList resultTexts() {
        QStringList texts;
        for (const char* name : {"EditResult", "Edit1"})
            if (auto* edit = pages()->findChild<QLineEdit*>(QLatin1String(name))) texts << edit->text();
        return texts;
    }

    void start(const QByteArray& keyword) { QVERIFY(openWindow(keyword.constData(), &tones_)); }

    void runUntilIdle() {
        for (int n = 0; n < 100 && window().Document().TransferState() != tZCfgFile::tsIdle; ++n)
            Guarded([this] { window().ProgrammerLink().Tick(); });
    }

    // As a person starts it: the toolbar button, or the Tools entry's key.
    void trigger(const QString& how) {
        if (how.startsWith(QLatin1String("Shift+")))
            QTest::keySequence(&window(), QKeySequence(how));
        else
            window().findChild<QToolButton*>(how)->click();
    }

private Q_SLOTS:
    void initTestCase() {
        loadSimulator();
        qputenv("XDG_DATA_HOME", data_.path().toLocal8Bit());
    }
    void init() { beginTest(); }
    void cleanup() { endTest(); }

    // Read and Program start from the toolbar button or the Tools entry's key. Without an adapter they show
    // one message and send nothing. A read brings the page of the type read to front, showing what was read;
    // Program writes the document to the device of its type and verifies it. The serial monitor on the
    // Development page shows the exchange both ways.
    void transfersByButtonAndKey_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QByteArray>("device"); // what the simulated adapter is attached to
        QTest::addColumn<QString>("result");    // the result form's text, none without an adapter
        for (const char* how : {"SpeedButtonRead", "Shift+F3", "SpeedButtonProgram", "Shift+F4"})
            QTest::addRow("no adapter, %s", how) << how << QByteArray("absent") << QString();
        const QByteArray zone("zone-indicator");
        QTest::newRow("read, Read button") << "SpeedButtonRead" << zone << TransferText::DataTransferred;
        QTest::newRow("read, Shift+F3") << "Shift+F3" << zone << TransferText::DataTransferred;
        QTest::newRow("program, Shift+F4")
            << "Shift+F4" << QByteArray("relay") << TransferText::TransferredAndVerified;
    }
    void transfersByButtonAndKey() {
        QFETCH(QString, how);
        QFETCH(QByteArray, device);
        QFETCH(QString, result);
        start(device);
        window().Document().SetDeviceType(dt_Relay_Output);
        trigger(how);
        runUntilIdle();
        QCOMPARE(window().Document().TransferState(), uint8_t(tZCfgFile::tsIdle));
        if (result.isEmpty()) {
            QCOMPARE(messages_, QStringList{TProgrammerWorkflows::UnableToConnect +
                                            QStringLiteral("\nNo programming adapter was found. Plug the "
                                                           "adapter in and try again.")});
            QVERIFY(results_.isEmpty() && window().SerialMonitor().LineCount() <= 1);
            QCOMPARE(connectCaption(), QStringLiteral("Connect"));
            return;
        }
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        QCOMPARE(results_.size(), 1);
        QVERIFY2(results_[0].section('\n', 0, 0) == result,
                 qPrintable(results_[0])); // a backup note may follow
        QCOMPARE(connectCaption(), QStringLiteral("Disconnect"));
        const QString trace = window().SerialMonitor().Text();
        QVERIFY(trace.contains(QLatin1String(">> ")) && trace.contains(QLatin1String("<< ")));
        if (result != TransferText::DataTransferred) return; // Program stops here
        QCOMPARE(window().Document().GetDeviceType(), uint8_t(dt_Zone_Indicator));
        QCOMPARE(pages()->currentIndex(), int(mpZonalIndicator));
        const QString factory =
            window().Document().Device()->Child(QStringLiteral("Factory String"))->Value();
        QVERIFY(!factory.isEmpty());
        QCOMPARE(window().findChild<QLineEdit*>(QStringLiteral("EditZoneFactoryData"))->text(), factory);
    }

    // A transfer belongs to the document it started on. While it runs, what would change or replace
    // the document does nothing (its controls are off, closing asks first); Escape, Cancel and
    // Disconnect end it at once, with no time-out message after, and a cancelled Read leaves the
    // document exactly as it was. The progress shows while it runs; the result stays afterwards.
    void actionsDuringATransfer_data() {
        QTest::addColumn<bool>("program");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("ticks");     // ticks of the transfer before the action; 0: until it verifies
        QTest::addColumn<QString>("ended"); // the result the panel shows afterwards
        const QString cancelledRead = QStringLiteral("Reading was cancelled. The document is unchanged.");
        const QString cancelledEarly =
            QStringLiteral("Programming was cancelled. Nothing was written to the device.");
        for (bool program : {false, true}) {
            const QString done =
                program ? TransferText::TransferredAndVerified : TransferText::DataTransferred;
            const char* kind = program ? "program" : "read";
            for (const char* action :
                 {"SpeedButtonNew", "SpeedButtonOpen", "SpeedButtonRead", "SpeedButtonProgram", "Ctrl+Z",
                  "Alt+F2", "ComboBoxDeviceType", "page", "close"})
                QTest::addRow("%s, %s is refused", kind, action) << program << action << 1 << done;
            for (const char* action : {"Escape", "ButtonCancelTransfer", "SpeedButtonProgrammerConnect"})
                QTest::addRow("%s, %s cancels", kind, action)
                    << program << action << 1 << (program ? cancelledEarly : cancelledRead);
        }
        QTest::newRow("program, cancelled after the frame went out")
            << true << "Escape" << 0
            << QStringLiteral(
                   "Programming was cancelled after the configuration was sent. The device may hold "
                   "part of it: program it again.");
    }
    void actionsDuringATransfer() {
        QFETCH(bool, program);
        QFETCH(QString, action);
        QFETCH(int, ticks);
        QFETCH(QString, ended);
        start("relay");
        sim_->setFault(0, "reply-delay", 4);
        tZCfgFile& doc = window().Document();
        doc.SetDeviceType(dt_Relay_Output);
        doc.AsRelayOutput()->ActiveInCall()->SetAsBoolean(true); // something to undo, a modified document
        const tLines before = doc.ToLines();
        const bool modified = doc.Modified();
        QString asked;
        window().Transfers().SetAsk([&asked](const QString& question) {
            asked = question;
            return false; // the window stays, the transfer goes on
        });
        trigger(program ? QStringLiteral("SpeedButtonProgram") : QStringLiteral("SpeedButtonRead"));
        for (int n = 0; ticks > 0 ? n < ticks : doc.TransferState() != tZCfgFile::tsWiredVerify && n < 50;
             ++n)
            Guarded([this] { window().ProgrammerLink().Tick(); });
        QVERIFY(doc.TransferRunning());
        TTransferPanel& panel = window().TransferPanel();
        QVERIFY(panel.ProgressBar()->isVisible() && !panel.StepText()->text().isEmpty());
        QCOMPARE(panel.ProgressBar()->accessibleName(), QStringLiteral("Transfer progress"));

        if (action == QLatin1String("Escape")) {
            QTest::keyClick(&window(), Qt::Key_Escape);
        } else if (action.contains(QLatin1Char('+'))) {
            QTest::keySequence(&window(), QKeySequence(action));
        } else if (action == QLatin1String("ComboBoxDeviceType")) {
            auto* combo = window().findChild<QComboBox*>(action);
            QTest::keyClick(combo, Qt::Key_Down);
            QVERIFY(!combo->isEnabled());
        } else if (action == QLatin1String("page")) { // a value on the device's page
            auto* page = pages()->currentWidget();
            QVERIFY(!page->isEnabled());
        } else if (action == QLatin1String("close")) {
            QVERIFY(!window().close());
            QCOMPARE(asked, TTransferCoordinator::StopAndCloseQuestion);
        } else {
            auto* button = window().findChild<QAbstractButton*>(action);
            QVERIFY(button);
            button->click();
        }
        runUntilIdle();
        for (int n = 0; n < 15; ++n) // whatever comes late changes nothing
            Guarded([this] { window().ProgrammerLink().Tick(); });

        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        QVERIFY(!panel.ProgressBar()->isVisible() && !panel.CancelButton()->isVisible());
        QVERIFY2(panel.LastResult()->text().section('\n', 0, 0).endsWith(ended),
                 qPrintable(panel.LastResult()->text()));
        QVERIFY(panel.LastResult()->text().contains(QLatin1String("ZX320 Relay Output")));
        const bool cancelled = !ended.startsWith(QLatin1String("Data"));
        QCOMPARE(results_.size(), cancelled ? 0 : 1);
        QVERIFY(window().isVisible());
        if (cancelled && !program) {
            QCOMPARE(doc.Modified(), modified);
            QCOMPARE(doc.ToLines(), before);
        }
        // Everything is on again.
        for (const char* name :
             {"SpeedButtonNew", "SpeedButtonRead", "SpeedButtonUndo", "ComboBoxDeviceType"})
            QVERIFY2(window().findChild<QWidget*>(QLatin1String(name))->isEnabled(), name);
        QVERIFY(pages()->currentWidget()->isEnabled());
    }

    // Undo of a read brings back the device type with its list as it was; redo brings the read back.
    // After a read the document holds the device's configuration: Save asks for a name, proposing the
    // file that was open, and never writes over it unasked.
    void undoOfAReadAndSaveAfterIt() {
        start("relay");
        const QString ward = dir_->filePath(QStringLiteral("ward7.zcf"));
        tZCfgFile& doc = window().Document();
        doc.SetDeviceType(dt_Staff_Transmitter);
        QString error;
        QVERIFY(doc.SaveToFile(ward, error));
        QVERIFY(window().OpenFile(ward));
        const QByteArray saved = [&] {
            QFile file(ward);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        auto* combo = window().findChild<QComboBox*>(QStringLiteral("ComboBoxDeviceType"));
        const QString staff = combo->currentText();

        trigger(QStringLiteral("SpeedButtonRead"));
        runUntilIdle();
        QCOMPARE(combo->currentText(), QLatin1String(DeviceTypeInfo(dt_Relay_Output).ModelName));
        window().SpeedButtonUndoClick();
        QCOMPARE(doc.GetDeviceType(), uint8_t(dt_Staff_Transmitter));
        QCOMPARE(combo->currentText(), staff);
        QCOMPARE(pages()->currentIndex(), int(mpIRRFStaff));
        window().SpeedButtonRedoClick();
        QCOMPARE(combo->currentText(), QLatin1String(DeviceTypeInfo(dt_Relay_Output).ModelName));

        QString proposed;
        window().PelSaveDialog().SetAskSaveFileName([&proposed](const QString& start) {
            proposed = start;
            return std::optional<QString>(); // the user cancels
        });
        QTest::keySequence(&window(), QKeySequence(QStringLiteral("Ctrl+S")));
        QVERIFY2(proposed.endsWith(QLatin1String("ward7.zcf")), qPrintable(proposed));
        QFile file(ward);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), saved);
    }

    // Tools "Read Device Type" shows what the attached device is, and changes nothing of the document.
    void readDeviceTypeShowsTheDeviceAndChangesNothing() {
        start("zone-indicator");
        tZCfgFile& doc = window().Document();
        doc.SetDeviceType(dt_Relay_Output);
        window().UndoManager()->Clear();
        const tLines before = doc.ToLines();
        QString shown;
        window().Workflows().SetOnShowDeviceIdentity([&shown](const QString& text) { shown = text; });
        window().findChild<QAction*>(QStringLiteral("ReadDeviceType"))->trigger();
        runUntilIdle();
        QVERIFY2(shown.startsWith(QLatin1String("Device Type: ZX330")), qPrintable(shown));
        QVERIFY(shown.contains(QLatin1String("Factory String: ZENTARA-SIM-0001")));
        QCOMPARE(doc.ToLines(), before);
        QVERIFY(results_.isEmpty() && messages_.isEmpty());
        QVERIFY(!window().UndoManager()->CanUndo());
    }

    // Typing into a field is one undo step. Undo back to the state last saved leaves the document
    // unchanged: no marker in the title, no prompt when the window closes.
    void typingIsOneStepAndUndoFindsTheSavedState() {
        start("none");
        tZCfgFile& doc = window().Document();
        auto* id = window().findChild<QSpinBox*>(QStringLiteral("PelSpinEditIDCode"));
        const int before = id->value();
        id->setFocus();
        id->selectAll();
        QTest::keyClicks(id, QStringLiteral("123"));
        QCOMPARE(id->value(), 123);
        QTest::keySequence(id, QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(id->value(), before);
        QVERIFY(!window().UndoManager()->CanUndo());

        const QString file = dir_->filePath(QStringLiteral("ward7.zcf"));
        window().PelSaveDialog().SetAskSaveFileName(
            [file](const QString&) { return std::optional<QString>(file); });
        QVERIFY(doc.SaveAs(QString()));
        id->selectAll();
        QTest::keyClicks(id, QStringLiteral("45"));
        QVERIFY(window().windowTitle().endsWith(QLatin1String(" *")));
        QTest::keySequence(id, QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(id->value(), before);
        QVERIFY(!doc.Modified());
        QCOMPARE(window().windowTitle(), QStringLiteral("Zentara Configurator - ward7.zcf"));
        int prompts = 0;
        window().PelSaveDialog().SetAskNotSaved([&prompts] {
            ++prompts;
            return TPelSaveDialog::NotSavedAnswer::Cancel;
        });
        QVERIFY(window().close());
        QCOMPARE(prompts, 0);
    }

    // A tone playing on the zone indicator page stops when anything else happens: a change of device
    // type, an undo.
    void theToneTestStopsOnPageSwitchAndUndo_data() {
        QTest::addColumn<bool>("undo");
        QTest::newRow("page switch") << false;
        QTest::newRow("undo") << true;
    }
    void theToneTestStopsOnPageSwitchAndUndo() {
        QFETCH(bool, undo);
        start("none");
        window().Document().SetDeviceType(dt_Zone_Indicator);
        auto* call = window().findChild<QAbstractButton*>(QStringLiteral("SpeedButtonZonalCallTestPlay"));
        QVERIFY(call && call->isVisible());
        call->click();
        QVERIFY(window().ToneTest().TonePlaying());
        QCOMPARE(call->text(), TToneTest::StopCaption);
        window().ToneTest().TimerBeeperTimer(); // the first step of the pattern
        QVERIFY(!tones_.Notes().empty());
        if (undo)
            window().findChild<QToolButton*>(QStringLiteral("SpeedButtonUndo"))->click();
        else
            window().Document().SetDeviceType(dt_Relay_Output);
        QVERIFY(!window().ToneTest().TonePlaying());
        QVERIFY(tones_.Silences() > 0);
        QCOMPARE(call->text(), TToneTest::TestPlayCaption);
    }

    // Connect opens and closes the link. The factory pages, made when first shown, show the result of the
    // link's opening at once; the self-test, started on the Configurator Programming page, passes on both.
    void connectAndSelfTestOnTheFactoryPages() {
        start("staff");
        auto* connect = window().findChild<QPushButton*>(QStringLiteral("SpeedButtonProgrammerConnect"));
        connect->click();
        QVERIFY(window().ProgrammerLink().Active());
        QCOMPARE(connectCaption(), QStringLiteral("Disconnect"));
        QVERIFY(!window().Pages().CreatedPage(mpIRFactoryConfig));
        window().SetProgramMode(1);
        QCOMPARE(resultTexts(), QStringList(2, TProgrammerWorkflows::ProgrammerFound));
        connect->click();
        QVERIFY(!window().ProgrammerLink().Active());
        QCOMPARE(connectCaption(), QStringLiteral("Connect"));

        auto* toggle = pages()->findChild<QToolButton*>(QStringLiteral("SpeedButtonAutoTestProgrammer"));
        QVERIFY(toggle);
        toggle->click();
        runUntilIdle();
        QCOMPARE(results_.size(), 1);
        QVERIFY(!toggle->isChecked());
        QCOMPARE(resultTexts(), QStringList(2, TProgrammerWorkflows::Passed));
    }
};

QTEST_MAIN(TestWindowWorkflows)
#include "tst_window_workflows.moc"
