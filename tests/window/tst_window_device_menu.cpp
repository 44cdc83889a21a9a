// The Device menu through the real window, against the simulated adapter: its keys, Compare and the
// Differences window, Show Differences after a verification with errors, the backup kept before every
// Program with its Tools setting, and Restore. Time advances only by explicit ticks of the link.
#include "WindowTestSession.h"
#include "app/ApplicationForms.h"
#include "app/PelSaveDialog.h"
#include "app/ProgrammerWorkflows.h"
#include "app/UnitFileNotSaved.h"
#include "app/UnitUndoList.h"
#include "app/devicemenu/DeviceMenu.h"
#include "app/devicemenu/DifferencesWindow.h"
#include "app/devicemenu/RestoreDialog.h"
#include "app/transfer/TransferCoordinator.h"
#include "app/transfer/TransferPanel.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"
#include "property/PropertyPaths.h"
#include "property/controls/PelFileMenus.h"
#include "transfer/Backups.h"

#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
using tRows = QList<QStringList>; // group, caption, in the window, in the device

tRows rowsOf(const QTreeWidget* list) {
    tRows rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        rows << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)};
    }
    return rows;
}
} // namespace

class TestWindowDeviceMenu : public QObject, protected WindowTestSession {
    Q_OBJECT

    QTemporaryDir data_; // XDG_DATA_HOME: the backups
    QStringList asked_;
    int notSavedPrompts_ = 0;
    std::function<void(TFormOK&)> onResult_;

    tZCfgFile& doc() { return window().Document(); }
    TDeviceMenu& menu() { return window().DeviceMenu(); }
    QString backups() const { return DefaultBackupFolder(); }
    QStringList backupFiles() const { return QDir(backups()).entryList(QDir::Files, QDir::Name); }

    void start(const char* keyword, uint8_t type) {
        QVERIFY(openWindow(keyword));
        window().PelSaveDialog().SetAskNotSaved([this] {
            ++notSavedPrompts_;
            return TPelSaveDialog::NotSavedAnswer::No;
        });
        forms_.FormOK->SetRunModal([this](TFormOK& form) {
            results_ << form.MemoResult()->toPlainText();
            if (onResult_) onResult_(form);
            return int(QDialog::Accepted);
        });
        menu().SetAsk([this](const QString& question) {
            asked_ << question;
            return true;
        });
        doc().SetDeviceType(type);
        doc().SetModified(false);
    }

    void runUntilIdle() {
        for (int n = 0; n < 100 && doc().TransferRunning(); ++n)
            Guarded([this] { window().ProgrammerLink().Tick(); });
    }

    QAction* deviceItem(const QString& caption) {
        for (QAction* action : window().FileMenus()->DeviceMenu()->actions())
            if (action->text() == caption) return action;
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase() {
        loadSimulator();
        qputenv("XDG_DATA_HOME", data_.path().toLocal8Bit());
    }
    void init() {
        beginTest();
        QDir(backups()).removeRecursively();
        asked_.clear();
        notSavedPrompts_ = 0;
        onResult_ = nullptr;
    }
    void cleanup() { endTest(); }

    // Shift+F2, Shift+F3 and Shift+F4 belong to the Device menu alone and each starts its transfer
    // once, from the window or from the menu bar's keyboard navigation; the Tools entries that read
    // and program give up their keys.
    void deviceKeysActOnce_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("menuBar");
        QTest::addColumn<int>("wakeUps"); // "B" sent: one per request or frame
        QTest::addColumn<int>("kind");
        for (bool menuBar : {false, true}) {
            const char* where = menuBar ? "menu bar" : "window";
            QTest::addRow("Shift+F2, %s", where) << "Shift+F2" << menuBar << 1 << int(tTransferKind::Compare);
            QTest::addRow("Shift+F3, %s", where) << "Shift+F3" << menuBar << 1 << int(tTransferKind::Read);
            QTest::addRow("Shift+F4, %s", where) << "Shift+F4" << menuBar << 3 << int(tTransferKind::Program);
        }
    }
    void deviceKeysActOnce() {
        QFETCH(QString, key);
        QFETCH(bool, menuBar);
        QFETCH(int, wakeUps);
        QFETCH(int, kind);
        start("relay", dt_Relay_Output);
        QCOMPARE(deviceItem("&Compare")->shortcut(), QKeySequence("Shift+F2"));
        QCOMPARE(deviceItem("&Load from Device")->shortcut(), QKeySequence("Shift+F3"));
        QCOMPARE(deviceItem("&Save to Device")->shortcut(), QKeySequence("Shift+F4"));
        QVERIFY(window().FileMenus()->DeviceMenu()->menuAction()->isVisible());
        for (const char* tools : {"ReadDeviceConfig", "WriteDeviceConfiguration1"})
            QVERIFY(window().findChild<QAction*>(QLatin1String(tools))->shortcut().isEmpty());
        QWidget* target = &window();
        if (menuBar) {
            target = window().menuBar();
            target->setFocus();
        }
        QTest::keySequence(target, QKeySequence(key));
        runUntilIdle();
        QCOMPARE(sim_->Written().count('B'), wakeUps);
        QCOMPARE(int(doc().LastOutcome().Kind), kind);
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
    }

    // Compare reads the device without touching the document and shows, in the Differences window,
    // each value as the page names it, with the value in the window and in the device. Copy puts the
    // list on the clipboard; Take Device Values makes the document the device's in one undo step.
    void compareShowsWhatDiffers_data() {
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<tRows>("rows");
        const QString relayGroup = QStringLiteral("Relay Active On Call Types");
        QTest::newRow("identical") << QByteArray("relay") << int(dt_Relay_Output)
                                   << "The device holds this configuration." << tRows{};
        QTest::newRow("two values") << QByteArray("relay") << int(dt_Relay_Output)
                                    << "The device holds 2 values otherwise than the window."
                                    << tRows{{relayGroup, "Call", "TRUE", "FALSE"},
                                             {relayGroup, "Emergency", "TRUE", "FALSE"}};
        QTest::newRow("zone indicator") << QByteArray("zone-indicator") << int(dt_Zone_Indicator)
                                        << "The device holds one value otherwise than the window."
                                        << tRows{{"Call", "Tone Type", "Ding Dong", "Standard Call"}};
        QTest::newRow("another type")
            << QByteArray("relay") << int(dt_Staff_Transmitter)
            << "The device is of another type than the window."
            << tRows{{"", "Device Type", "ZX140 Staff Transmitter", "ZX320 Relay Output"}};
    }
    void compareShowsWhatDiffers() {
        QFETCH(QByteArray, device);
        QFETCH(int, type);
        QFETCH(QString, heading);
        QFETCH(tRows, rows);
        start(device.constData(), uint8_t(type));
        if (type == dt_Relay_Output && !rows.isEmpty()) {
            doc().AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
            doc().AsRelayOutput()->ActiveInEmergency()->SetAsBoolean(true);
        } else if (type == dt_Zone_Indicator) {
            doc().AsZonalIndicator()->ModeData(1)->Tone()->SetAsEnum(zt_Ding_Dong);
        }
        const bool modified = doc().Modified(); // before writing the lines, which clears it
        const tLines before = doc().ToLines();
        doc().SetModified(modified);
        const bool undo = window().UndoManager()->CanUndo();

        QTest::keySequence(&window(), QKeySequence(QStringLiteral("Shift+F2")));
        runUntilIdle();
        TDifferencesWindow* shown = menu().DifferencesWindow();
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(shown->windowModality(), Qt::WindowModal); // the window waits, the caller does not
        QCOMPARE(shown->Heading()->text(), heading);
        QCOMPARE(rowsOf(shown->List()), rows);
        QCOMPARE(shown->List()->accessibleName(), QStringLiteral("Differences"));
        QCOMPARE(doc().Modified(), modified);
        QCOMPARE(doc().ToLines(), before);
        QCOMPARE(doc().FileName(), QString());
        QCOMPARE(window().UndoManager()->CanUndo(), undo);
        QVERIFY(results_.isEmpty() && messages_.isEmpty());

        QVERIFY(shown->TakeButton()->isVisible());
        QCOMPARE(shown->TakeButton()->isEnabled(), !rows.isEmpty());
        if (rows.isEmpty()) {
            QTest::mouseClick(shown->CloseButton(), Qt::LeftButton);
            QVERIFY(!shown->isVisible());
            return;
        }
        QTest::mouseClick(shown->CopyButton(), Qt::LeftButton);
        const QStringList copied = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(copied.first(), heading);
        QCOMPARE(copied.value(1), QStringLiteral("%1%2: %3 -> %4")
                                      .arg(rows[0][0].isEmpty() ? QString() : rows[0][0] + ": ", rows[0][1],
                                           rows[0][2], rows[0][3]));
        QTest::mouseClick(shown->TakeButton(), Qt::LeftButton);
        QVERIFY(!shown->isVisible());
        QCOMPARE(doc().GetDeviceType(), uint8_t(DeviceTypeFromKeyword(QString::fromLatin1(device))));
        QCOMPARE(ShownText(ResolvePath(&doc(), doc().LastOutcome().Differences.last().Path)), rows.last()[3]);
        window().SpeedButtonUndoClick(); // one step takes it all back
        QCOMPARE(doc().ToLines(), before);
    }

    // A verification that finds the device holding other values offers Show Differences: the result
    // names the values as the page does, and the button opens the same window, without Take.
    void verificationErrorsShowDifferences() {
        start("relay", dt_Relay_Output);
        doc().AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
        const QByteArray held = sim_->Record(0, "pi");
        onResult_ = [](TFormOK& form) {
            QVERIFY(form.BitBtnShowDifferences()->isVisibleTo(&form));
            QCOMPARE(form.BitBtnShowDifferences()->accessibleName(), QStringLiteral("Show Differences"));
            form.BitBtnShowDifferences()->click();
        };
        window().findChild<QToolButton*>(QStringLiteral("SpeedButtonProgram"))->click();
        for (int n = 0; n < 30 && doc().TransferState() != tZCfgFile::tsProgramSent; ++n)
            Guarded([this] { window().ProgrammerLink().Tick(); });
        sim_->setFault(0, "no-answer", 1);
        for (int n = 0; n < 10 && sim_->counter(0, "frames-accepted") == 0; ++n)
            Guarded([this] { window().ProgrammerLink().Tick(); });
        sim_->Inject(0, QByteArray("\x01OK\x04") + char(0x01 + 'O' + 'K' + 0x04) + "\x01" + held + "\x04" +
                            char([&] {
                                unsigned sum = 5;
                                for (char c : held)
                                    sum += uchar(c);
                                return sum & 0xFF;
                            }()));
        runUntilIdle();
        QCOMPARE(results_.size(), 1);
        QVERIFY2(results_[0].startsWith(TransferText::TransferredButErrors), qPrintable(results_[0]));
        QVERIFY2(results_[0].contains("Relay Active On Call Types: Call: TRUE -> FALSE"),
                 qPrintable(results_[0]));
        QVERIFY2(results_[0].contains("Backup: relay_ZENTARA-SIM-0001_"), qPrintable(results_[0]));
        TDifferencesWindow* shown = menu().DifferencesWindow();
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(rowsOf(shown->List()), (tRows{{"Relay Active On Call Types", "Call", "TRUE", "FALSE"}}));
        QVERIFY(!shown->TakeButton()->isVisible());
    }

    // Every Program keeps what the device held, named in the result; Restore lists the attached
    // device's backups, opens the chosen one after asking (and after the save prompt) and programs it
    // back. The Tools setting turns backups off; with none kept, Restore says where it looked.
    void backupsAndRestore() {
        start("relay", dt_Relay_Output);
        const QByteArray original = sim_->Record(0, "pi");
        onResult_ = [](TFormOK& form) { // a result without differences has no Show Differences
            QVERIFY(!form.BitBtnShowDifferences()->isVisibleTo(&form));
        };
        QAction* keep = menu().KeepBackupsAction();
        QVERIFY(keep->isCheckable() && keep->isChecked());
        doc().AsRelayOutput()->ActiveInAttack()->SetAsBoolean(true);
        window().SpeedButtonProgramClick();
        runUntilIdle();
        QCOMPARE(backupFiles().size(), 1);
        const QString kept = backups() + QLatin1Char('/') + backupFiles().first();
        QCOMPARE(results_.size(), 1);
        QVERIFY2(results_[0].endsWith(QStringLiteral("Backup: %1\nin %2")
                                          .arg(backupFiles().first(), QDir::toNativeSeparators(backups()))),
                 qPrintable(results_[0]));
        QVERIFY(window().TransferPanel().LastResult()->text().endsWith("Backup: " + backupFiles().first()));
        QVERIFY(sim_->Record(0, "pi") != original);
        QVERIFY(doc().Modified()); // programmed, but not saved

        doc().AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
        QStringList identities; // Read Device Type's box, which a restore's identification does not show
        window().Workflows().SetOnShowDeviceIdentity(
            [&identities](const QString& text) { identities << text; });
        menu().RestoreAction()->trigger();
        runUntilIdle();
        TRestoreDialog* dialog = menu().RestoreDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->List()->topLevelItemCount(), 1);
        QCOMPARE(dialog->List()->topLevelItem(0)->text(2), backupFiles().first());
        QTest::mouseClick(dialog->RestoreButton(), Qt::LeftButton);
        runUntilIdle();
        QCOMPARE(asked_.size(), 1);
        QCOMPARE(identities, QStringList());
        QVERIFY(asked_[0].startsWith("Program the ZX320 Relay Output (Factory String ZENTARA-SIM-0001"));
        QCOMPARE(notSavedPrompts_, 1);
        QCOMPARE(doc().FileName(), kept);
        QCOMPARE(sim_->Record(0, "pi"), original);
        QCOMPARE(results_.size(), 2);
        QVERIFY2(results_[1].startsWith(TransferText::TransferredAndVerified), qPrintable(results_[1]));
        QCOMPARE(backupFiles().size(), 2); // what the restore overwrote

        keep->trigger();
        QCOMPARE(QSettings(dir_->filePath("settings.ini"), QSettings::IniFormat)
                     .value("Zentara Configurator/" + KeepBackupsSetting)
                     .toInt(),
                 0);
        window().SpeedButtonProgramClick();
        runUntilIdle();
        QCOMPARE(backupFiles().size(), 2);
        QVERIFY(!window().TransferPanel().LastResult()->text().contains("Backup"));

        keep->trigger();
        QDir(backups()).removeRecursively();
        menu().RestoreAction()->trigger();
        runUntilIdle();
        QCOMPARE(messages_, QStringList{TDeviceMenu::NoBackupsText(
                                "ZX320 Relay Output (Factory String ZENTARA-SIM-0001, Version 0102)",
                                QDir::toNativeSeparators(backups()))});
    }
};

QTEST_MAIN(TestWindowDeviceMenu)
#include "tst_window_device_menu.moc"
