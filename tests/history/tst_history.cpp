// The commissioning log as the window and zcfg write it, the history window over it and the reports,
// through the real window against the simulated adapter. Time advances only by explicit ticks of the
// link; every dialog goes through its seam.
#include "../pages/PageHost.h"
#include "../window/WindowTestSession.h"
#include "app/ApplicationForms.h"
#include "app/MainPages.h"
#include "app/PelSaveDialog.h"
#include "app/ProgrammerWorkflows.h"
#include "app/UnitFileNotSaved.h"
#include "app/UnitFormOK.h"
#include "app/UnitMain.h"
#include "app/devicemenu/DeviceMenu.h"
#include "app/devicemenu/DifferencesWindow.h"
#include "app/devicemenu/RestoreDialog.h"
#include "app/history/CommissioningRecorder.h"
#include "app/history/HistoryWindow.h"
#include "app/report/ReportActions.h"
#include "commissioning/CommissioningLog.h"
#include "commissioning/TransferEntries.h"
#include "device/DeviceTypeTable.h"
#include "programmer/USBPanel.h"
#include "property/controls/PelFileMenus.h"
#include "report/PageCaptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {
tCommissioningLogSettings logSettings() {
    tCommissioningLogSettings settings;
    settings.File = DefaultCommissioningLogFile();
    return settings;
}

QString stripped(QString text) {
    return text.remove(QLatin1Char('&')).trimmed();
}

// The text of a PDF, one line per printed line; empty without pdftotext (the test is skipped then).
QStringList pdfLines(const QString& file) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(20000) || pdftotext.exitCode() != 0) return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty() && !line.trimmed().startsWith(QLatin1String("Report made")))
            lines << line.simplified();
    return lines;
}

// The caption and group a page shows a control under: its buddy label, its own text or title, and
// the title of the group box around it.
std::pair<QString, QString> shownCaption(QWidget* control) {
    QString caption;
    if (auto* box = qobject_cast<QCheckBox*>(control))
        caption = box->text();
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        caption = group->title();
    else
        for (QLabel* label : control->window()->findChildren<QLabel*>())
            if (label->buddy() == control) caption = label->text();
    QString group;
    for (QWidget* parent = control->parentWidget(); parent && group.isEmpty();
         parent = parent->parentWidget())
        if (auto* box = qobject_cast<QGroupBox*>(parent)) group = box->title();
    return {stripped(caption), stripped(group)};
}

// Another value in every control that takes one, as the user would choose it.
void changeEveryControl(const QWidget* page, std::span<const tPageCaption> rows) {
    for (const tPageCaption& row : rows) {
        auto* control = page->findChild<QWidget*>(QLatin1String(row.Control));
        if (!control || !control->isEnabled()) continue;
        if (auto* box = qobject_cast<QCheckBox*>(control))
            box->click();
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            QTest::keyClick(combo, Qt::Key_End);
        else if (auto* spin = qobject_cast<QSpinBox*>(control))
            spin->setValue(spin->maximum() - 1);
        else if (auto* radio = qobject_cast<TPelRadioGroup*>(control))
            radio->Button(int(radio->Items().size()) - 1)->click();
    }
}

// The text a control shows, as the report writes it.
QString shownText(QWidget* control) {
    if (auto* box = qobject_cast<QCheckBox*>(control)) return box->isChecked() ? "Yes" : "No";
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentText();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(control)) return spin->text();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
    if (auto* radio = qobject_cast<TPelRadioGroup*>(control))
        return stripped(radio->Items().value(radio->ItemIndex()));
    return QString();
}
} // namespace

class TestHistory : public QObject, protected WindowTestSession {
    Q_OBJECT

    tZCfgFile& document() { return window().Document(); }

    // The window on the simulated adapter with `device` attached, in program mode `mode`.
    void start(const QByteArray& device, int mode = 0) {
        storeSetting(QStringLiteral("Program Mode"), mode);
        QVERIFY(openWindow(device.constData()));
    }

    void runUntilIdle() {
        for (int n = 0; n < 1000 && document().TransferState() != tZCfgFile::tsIdle; ++n)
            Guarded([this] { window().ProgrammerLink().Tick(); });
    }

    // The log the window writes, read on its own.
    QList<tCommissioningEntry> entries(tCommissioningFilter filter = {}) {
        tCommissioningLog log(logSettings());
        filter.OldestFirst = true;
        QList<tCommissioningEntry> found;
        log.Entries(filter, found);
        return found;
    }
    void append(const tCommissioningEntry& entry) { tCommissioningLog(logSettings()).Append(entry); }

    THistoryWindow& history() {
        window().findChild<QAction*>(QStringLiteral("ActionCommissioningLog"))->trigger();
        return window().CommissioningHistory();
    }
    template <class T> T* historyControl(const char* name) {
        return window().CommissioningHistory().findChild<T*>(QLatin1String(name));
    }

    QStringList zcfg(const QStringList& arguments, QString* errors = nullptr) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path("data"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        environment.insert(QStringLiteral("ZCFG_SIM_LIBRARY"), QStringLiteral(ZCFG_SIM_LIBRARY));
        environment.remove(QStringLiteral("DISPLAY"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ZCFG_PROGRAM), arguments);
        process.waitForFinished(60000);
        if (errors) *errors = QString::fromUtf8(process.readAllStandardError());
        return QString::fromUtf8(process.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    void initTestCase() { loadSimulator(); }
    void init() {
        beginTest();
        qputenv("XDG_DATA_HOME", path("data").toLocal8Bit());
    }
    void cleanup() { endTest(); }

    // Every transfer of the window ends with one entry: its action, the device as it answered, the
    // result shown and the configuration, with the file, the comments and the simulated adapter.
    void windowTransfersAreLogged_data() {
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("result");
        const QString relay = QStringLiteral("relay");
        QTest::newRow("read") << QByteArray("relay") << 6 << "read"
                              << "Read" << true << TransferText::DataTransferred;
        QTest::newRow("read, corrupt answer") << QByteArray("relay") << 6 << "read bad-check"
                                              << "Read" << false << TransferText::CorruptData;
        QTest::newRow("read, cancelled")
            << QByteArray("relay") << 6 << "read cancel"
            << "Read" << false << QStringLiteral("Reading was cancelled. The document is unchanged.");
        QTest::newRow("program") << QByteArray("relay") << 6 << "program"
                                 << "Program" << true << TransferText::TransferredAndVerified;
        QTest::newRow("program, no answer") << QByteArray("relay") << 6 << "program no-answer"
                                            << "Program" << false << TransferText::CannotFindDevice;
        QTest::newRow("program, wrong type") << QByteArray("relay") << 8 << "program"
                                             << "Program" << false << TransferText::WrongTypeConfiguration;
        QTest::newRow("factory program") << QByteArray("staff") << 1 << "factory"
                                         << "Factory Program" << true << TransferText::TransferredAndVerified;
        QTest::newRow("compare, the same")
            << QByteArray("relay") << 6 << "program compare"
            << "Compare" << true << QStringLiteral("The device holds this configuration.");
        QTest::newRow("compare, other values")
            << QByteArray("relay") << 6 << "program change compare"
            << "Compare" << false << QStringLiteral("The device holds other values.");
        QTest::newRow("self-test") << QByteArray("staff") << 1 << "self-test"
                                   << "Self-test" << true << TransferText::DataTransferred;
        QTest::newRow("self-test, no device") << QByteArray("none") << 1 << "self-test"
                                              << "Self-test" << false << TransferText::CannotFindDevice;
    }
    void windowTransfersAreLogged() {
        QFETCH(QByteArray, device);
        QFETCH(int, type);
        QFETCH(QString, how);
        QFETCH(QString, action);
        QFETCH(bool, success);
        QFETCH(QString, result);
        start(device, how.startsWith(QLatin1String("self-test")) || how == QLatin1String("factory") ? 1 : 0);
        for (const char* fault : {"bad-check", "no-answer"})
            if (how.contains(QLatin1String(fault))) sim_->setFault(0, fault, 1);
        document().SetDeviceType(uint8_t(type));
        document().Comments()->SetLinesFrom({QStringLiteral("Ward 7"), QStringLiteral("bed 3")});
        QString error;
        QVERIFY(document().SaveToFile(path("ward7.zcf"), error));
        if (how.startsWith(QLatin1String("read"))) {
            if (how.endsWith(QLatin1String("cancel"))) sim_->setFault(0, "reply-delay", 4);
            window().findChild<QToolButton*>(QStringLiteral("SpeedButtonRead"))->click();
            if (how.endsWith(QLatin1String("cancel"))) {
                Guarded([this] { window().ProgrammerLink().Tick(); });
                QTest::keyClick(&window(), Qt::Key_Escape);
            }
        } else if (how.startsWith(QLatin1String("program"))) {
            window().findChild<QToolButton*>(QStringLiteral("SpeedButtonProgram"))->click();
        } else if (how == QLatin1String("factory")) {
            window().findChild<QAbstractButton*>(QStringLiteral("SpeedButtonFactoryProgram"))->click();
        } else {
            window().findChild<QAbstractButton*>(QStringLiteral("SpeedButtonAutoTestProgrammer"))->click();
        }
        runUntilIdle();
        if (how.contains(QLatin1String("compare"))) {
            if (how.contains(QLatin1String("change")))
                document().AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
            document().StartCompare();
            runUntilIdle();
        }
        const QList<tCommissioningEntry> written = entries();
        QCOMPARE(written.size(), how.contains(QLatin1String("compare")) ? 2 : 1);
        const tCommissioningEntry& entry = written.last();
        QCOMPARE(entry.Action, action);
        QCOMPARE(entry.Success, success);
        QCOMPARE(entry.Result, result);
        QCOMPARE(entry.AdapterSerial, SimulatedAdapterName());
        QCOMPARE(entry.Comments, QStringLiteral("Ward 7\nbed 3"));
        // Without a configuration from the device, the entry names the document's type.
        const bool answered = !entry.Result.contains(QLatin1String("Cannot find")) &&
                              entry.Result != TransferText::CorruptData &&
                              !entry.Result.contains(QLatin1String("cancelled")) &&
                              entry.Result != TransferText::WrongTypeConfiguration;
        const int deviceType = DeviceTypeFromKeyword(QString::fromLatin1(device));
        QCOMPARE(entry.DeviceType, QLatin1String(DeviceTypeInfo(answered ? deviceType : type).ModelName));
        if (answered && type != dt_Staff_Transmitter)
            QCOMPARE(entry.Identity.FactoryData, QStringLiteral("ZENTARA-SIM-0001"));
        if (type == dt_Staff_Transmitter && answered)
            QVERIFY2(entry.Identity.FactoryData.startsWith(QLatin1String("W/O ")) &&
                         !entry.Identity.HardwareRevision.isEmpty(),
                     qPrintable(entry.Identity.FactoryData));
        // What was programmed is the document; what was read, what the device sent.
        const bool writes = action == QLatin1String("Program") || action == QLatin1String("Factory Program");
        if (writes) QCOMPARE(entry.Configuration, ConfigurationText(document()));
        QCOMPARE(entry.Configuration.isEmpty(), !writes && !answered);
        QCOMPARE(entry.ConfigurationSha256, ConfigurationDigest(entry.Configuration));
        QCOMPARE(entry.ConfigurationFile,
                 writes || action == QLatin1String("Compare") ? path("ward7.zcf") : QString());
        QCOMPARE(entry.Differences,
                 how.contains(QLatin1String("change"))
                     ? QStringList{QStringLiteral("Relay Active On Call Types: Call: TRUE -> FALSE")}
                     : QStringList());
    }

    // zcfg's transfers make the same entries as the window's.
    void zcfgTransfersAreLogged() {
        std::unique_ptr<tZCfgFile> relay(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
        relay->SetDeviceType(dt_Relay_Output);
        QString error;
        QVERIFY(relay->SaveToFile(path("relay.zcf"), error));
        zcfg({QStringLiteral("read"), QStringLiteral("--sim"), QStringLiteral("relay")});
        zcfg(
            {QStringLiteral("program"), path("relay.zcf"), QStringLiteral("--sim"), QStringLiteral("relay")});
        zcfg(
            {QStringLiteral("factory"), path("relay.zcf"), QStringLiteral("--sim"), QStringLiteral("relay")});
        zcfg(
            {QStringLiteral("compare"), path("relay.zcf"), QStringLiteral("--sim"), QStringLiteral("relay")});
        zcfg({QStringLiteral("restore"), QStringLiteral("--sim"), QStringLiteral("relay")});
        const QList<tCommissioningEntry> written = entries();
        QCOMPARE(written.size(), 5);
        QStringList actions;
        for (const tCommissioningEntry& entry : written) {
            actions << entry.Action + QLatin1Char(' ') + (entry.Success ? "ok" : "failed");
            QCOMPARE(entry.AdapterSerial, SimulatedAdapterName());
            QCOMPARE(entry.DeviceType, QStringLiteral("ZX320 Relay Output"));
            QCOMPARE(entry.Identity.FactoryData, QStringLiteral("ZENTARA-SIM-0001"));
        }
        QCOMPARE(actions, (QStringList{"Read ok", "Program ok", "Factory Program failed", "Compare ok",
                                       "Restore ok"}));
        QCOMPARE(written[1].Configuration, ConfigurationText(*relay));
        QCOMPARE(written[1].ConfigurationFile, path("relay.zcf"));
        // A Program names the backup it kept; the restore programs the newest one back, keeping its own.
        QVERIFY2(QFile::exists(written[1].BackupFile), qPrintable(written[1].BackupFile));
        QVERIFY(QFile::exists(written[4].BackupFile) && written[4].BackupFile != written[1].BackupFile);
        QCOMPARE(written[4].ConfigurationFile, written[1].BackupFile);
    }

    // The Device menu's Restore is logged as such: the backup programmed back is the entry's file and
    // configuration, and the entry names the backup kept of what the restore wrote over.
    void deviceMenuRestoreIsLogged() {
        start("relay");
        document().SetDeviceType(dt_Relay_Output);
        document().AsRelayOutput()->ActiveInAttack()->SetAsBoolean(true);
        window().findChild<QToolButton*>(QStringLiteral("SpeedButtonProgram"))->click();
        runUntilIdle();
        window().DeviceMenu().SetAsk([](const QString&) { return true; });
        window().DeviceMenu().RestoreAction()->trigger();
        runUntilIdle();
        QVERIFY(window().DeviceMenu().RestoreDialog());
        QTest::mouseClick(window().DeviceMenu().RestoreDialog()->RestoreButton(), Qt::LeftButton);
        runUntilIdle();
        const QList<tCommissioningEntry> written = entries();
        QCOMPARE(written.size(), 2);
        QCOMPARE(written[0].Action, QStringLiteral("Program"));
        QCOMPARE(written[1].Action, QStringLiteral("Restore"));
        QVERIFY(written[1].Success);
        QVERIFY2(QFile::exists(written[0].BackupFile), qPrintable(written[0].BackupFile));
        QCOMPARE(written[1].ConfigurationFile, written[0].BackupFile);
        QCOMPARE(written[1].Configuration, ConfigurationText(document()));
        QVERIFY(QFile::exists(written[1].BackupFile) && written[1].BackupFile != written[0].BackupFile);
    }

    // A log that cannot be written stops no transfer and is told once, in the window (a warning and
    // the status bar) and by zcfg (standard error); the entries wait in memory and are written once the
    // log is back, without waiting for another transfer.
    void aLogThatCannotBeWrittenIsToldOnce() {
        QVERIFY(QDir().mkpath(DefaultCommissioningLogFile())); // a folder where the file should be
        start("relay");
        document().SetDeviceType(dt_Relay_Output);
        for (int n = 0; n < 2; ++n) {
            window().findChild<QToolButton*>(QStringLiteral("SpeedButtonRead"))->click();
            runUntilIdle();
        }
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_.first().contains(QLatin1String("cannot be written")),
                 qPrintable(messages_.first()));
        QCOMPARE(window().statusBar()->currentMessage(), messages_.first());
        QCOMPARE(window().CommissioningRecorder()->Log()->PendingCount(), 2);
        QString errors;
        zcfg({QStringLiteral("read"), QStringLiteral("--sim"), QStringLiteral("relay")}, &errors);
        QCOMPARE(errors.count(QLatin1String("cannot be written")), 1);
        // Once the log can be written again, the retry writes what waits without a further transfer.
        auto* retry = window().CommissioningRecorder()->findChild<QTimer*>();
        QVERIFY(retry && retry->isActive());
        QVERIFY(QDir(DefaultCommissioningLogFile()).removeRecursively());
        QMetaObject::invokeMethod(retry, "timeout");
        QCOMPARE(window().CommissioningRecorder()->Log()->PendingCount(), 0);
        QCOMPARE(entries().size(), 2);
        QVERIFY(!retry->isActive());
    }

    // The history lists the entries newest first and narrows them as the user types, by device type,
    // result and time; the details show the chosen entry with its configuration.
    void historyListsAndFilters() {
        start("relay");
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (int i = 0; i < 4; ++i) {
            tCommissioningEntry entry;
            entry.Time = now.addDays(-10 * i);
            entry.Action = QStringLiteral("Program");
            entry.DeviceType =
                QLatin1String(DeviceTypeInfo(i % 2 ? dt_Zone_Indicator : dt_Relay_Output).ModelName);
            entry.Success = i != 2;
            entry.Result =
                entry.Success ? TransferText::TransferredAndVerified : TransferText::TransferredButErrors;
            entry.Comments = QStringLiteral("Ward %1").arg(i + 1);
            entry.Configuration =
                QStringLiteral("File ZCFG File\r\n  Device Type = dt_Relay_Output\r\nEnd File\r\n");
            append(entry);
        }
        THistoryWindow& shown = history();
        QVERIFY(shown.isVisible());
        auto* table = historyControl<QTableView>("TableHistory");
        QCOMPARE(table->model()->rowCount(), 4);
        QCOMPARE(table->model()->index(0, ccComments).data().toString(), QStringLiteral("Ward 1"));
        QVERIFY(historyControl<QTextBrowser>("TextHistoryDetails")
                    ->toPlainText()
                    .contains(QLatin1String("dt_Relay_Output")));
        const auto rows = [table] {
            QStringList comments;
            for (int row = 0; row < table->model()->rowCount(); ++row)
                comments << table->model()->index(row, ccComments).data().toString();
            return comments;
        };
        QTest::keyClicks(historyControl<QLineEdit>("EditHistorySearch"), QStringLiteral("wARD 3"));
        QCOMPARE(rows(), QStringList{QStringLiteral("Ward 3")});
        historyControl<QLineEdit>("EditHistorySearch")->clear();
        historyControl<QComboBox>("ComboHistoryResults")->setCurrentIndex(1);
        QCOMPARE(rows(), QStringList{QStringLiteral("Ward 3")});
        historyControl<QComboBox>("ComboHistoryResults")->setCurrentIndex(0);
        historyControl<QComboBox>("ComboHistoryDeviceType")
            ->setCurrentText(QStringLiteral("ZX320 Relay Output"));
        QCOMPARE(rows(), (QStringList{QStringLiteral("Ward 1"), QStringLiteral("Ward 3")}));
        historyControl<QComboBox>("ComboHistoryDeviceType")->setCurrentIndex(0);
        historyControl<QDateEdit>("DateHistorySince")->setDate(now.toLocalTime().date().addDays(-15));
        historyControl<QCheckBox>("CheckHistorySince")->click();
        QCOMPARE(rows(), (QStringList{QStringLiteral("Ward 1"), QStringLiteral("Ward 2")}));
        historyControl<QDateEdit>("DateHistoryUntil")->setDate(now.toLocalTime().date().addDays(-5));
        historyControl<QCheckBox>("CheckHistoryUntil")->click();
        QCOMPARE(rows(), QStringList{QStringLiteral("Ward 2")});
        QCOMPARE(historyControl<QLabel>("LabelHistoryCount")->text(), QStringLiteral("1 entry"));

        // Every control has a name a screen reader says.
        for (QWidget* control : shown.findChildren<QWidget*>()) {
            if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(&shown) ||
                control->objectName().startsWith(QLatin1String("qt_")))
                continue;
            bool labelled = !control->accessibleName().isEmpty();
            for (QLabel* label : shown.findChildren<QLabel*>())
                labelled = labelled || label->buddy() == control;
            QVERIFY2(labelled, qPrintable(control->objectName() + QLatin1Char(' ') +
                                          control->metaObject()->className()));
        }
    }

    // An entry's configuration opens as a new, unsaved document (the open one may be saved first),
    // is compared with the device, and programmed again after a confirmation, logged as a Restore.
    // The entries shown export as CSV and as a PDF table.
    void historyActsOnAnEntry() {
        start("relay");
        std::unique_ptr<tZCfgFile> stored(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
        stored->SetDeviceType(dt_Relay_Output);
        stored->AsRelayOutput()->ActiveInAttack()->SetAsBoolean(true);
        tCommissioningEntry entry;
        entry.Action = QStringLiteral("Program");
        entry.DeviceType = QStringLiteral("ZX320 Relay Output");
        entry.Success = true;
        entry.Result = TransferText::TransferredAndVerified;
        entry.Configuration = ConfigurationText(*stored);
        append(entry);
        document().SetDeviceType(dt_Staff_Transmitter);
        document().SetModified(true);
        int asked = 0;
        window().PelSaveDialog().SetAskNotSaved([&asked] {
            ++asked;
            return TPelSaveDialog::NotSavedAnswer::No;
        });
        THistoryWindow& shown = history();
        historyControl<QPushButton>("ButtonHistoryOpen")->click();
        QCOMPARE(asked, 1);
        QVERIFY(document().Modified() && document().FileName().isEmpty());
        QCOMPARE(ConfigurationText(document()), entry.Configuration);

        // Compare goes through the Device menu: the Differences window names the values as the page does.
        historyControl<QPushButton>("ButtonHistoryCompare")->click();
        QVERIFY(!historyControl<QPushButton>("ButtonHistoryProgram")->isEnabled()); // a transfer runs
        runUntilIdle();
        TDifferencesWindow* differences = window().DeviceMenu().DifferencesWindow();
        QVERIFY(differences && differences->isVisible());
        QVERIFY2(
            differences->Text().contains(QLatin1String("Relay Active On Call Types: Attack: TRUE -> FALSE")),
            qPrintable(differences->Text()));
        differences->close();

        // Programming the entry leaves the document as it is: the entry's configuration is written,
        // and its entry is a Restore naming the backup of what the device held.
        document().AsRelayOutput()->ActiveInAttack()->SetAsBoolean(false);
        const QString kept = ConfigurationText(document());
        QString question;
        shown.SetAsk([&question](const QString& text) {
            question = text;
            return true;
        });
        historyControl<QPushButton>("ButtonHistoryProgram")->click();
        runUntilIdle();
        QVERIFY(question.startsWith(QLatin1String("Program the attached device")));
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        QCOMPARE(ConfigurationText(document()), kept);
        const QList<tCommissioningEntry> written = entries();
        QCOMPARE(written.size(), 3);
        QCOMPARE(written.last().Action, QStringLiteral("Restore"));
        QVERIFY(written.last().Success);
        QCOMPARE(written.last().Configuration, entry.Configuration);
        QVERIFY2(QFile::exists(written.last().BackupFile), qPrintable(written.last().BackupFile));
        QCOMPARE(historyControl<QTableView>("TableHistory")->model()->rowCount(), 3); // shown at once

        shown.SetFileNameHook([this](const QString&, const QString& suggested, const QString&) {
            return path(suggested.endsWith(QLatin1String(".csv")) ? "log.csv" : "log.pdf");
        });
        historyControl<QPushButton>("ButtonHistoryCsv")->click();
        QBuffer expected;
        expected.open(QIODevice::WriteOnly);
        tCommissioningFilter oldestFirst;
        oldestFirst.OldestFirst = true;
        tCommissioningLog(logSettings()).WriteCsv(oldestFirst, expected);
        QFile csv(path("log.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll(), expected.data());
        historyControl<QPushButton>("ButtonHistoryReport")->click();
        const QStringList text = pdfLines(path("log.pdf"));
        if (text.isEmpty()) QSKIP("pdftotext (poppler-utils) is needed to read the report");
        QCOMPARE(text.filter(QStringLiteral("ZX320 Relay")).size(), 3);
        QCOMPARE(text.filter(QStringLiteral("Restore")).size(), 1);
        QCOMPARE(text.filter(QStringLiteral("FAILED: The device holds")).size(), 1);
        QCOMPARE(text.filter(QStringLiteral("OK: Data Transferred")).size(), 2);
    }

    // The report of a configuration holds every value of its page under the caption and group the
    // page shows, in the page's order, the comments, the identity and the log's last entry for it;
    // the window's PDF, its print and zcfg's report read alike. The captions the reports use are the
    // page's own: every bound control has its row, and every row's caption is its control's.
    void reportsHoldWhatThePageShows_data() {
        QTest::addColumn<int>("type");
        for (const tDeviceTypeInfo& info : DeviceTypes())
            QTest::newRow(info.Keyword) << int(info.Type);
    }
    void reportsHoldWhatThePageShows() {
        QFETCH(int, type);
        start("none");
        tZCfgFile& doc = document();
        doc.SetDeviceType(uint8_t(type));
        const QWidget* page =
            window().findChild<QTabWidget*>(QStringLiteral("PageControlEdit"))->currentWidget();
        changeEveryControl(page, PageCaptions(type));
        if (auto* wired = dynamic_cast<tOtherDevice*>(doc.Device())) {
            wired->NodeAddress()->SetAsInteger(12);
            wired->ZoneGroupAddress()->SetAsInteger(3);
        }
        doc.Comments()->SetLinesFrom({QStringLiteral("Ward 7, bed 3")});
        QString error;
        QVERIFY(doc.SaveToFile(path("ward7.zcf"), error));
        tCommissioningEntry last;
        last.Action = QStringLiteral("Program");
        last.Operator = QStringLiteral("installer7");
        last.Success = true;
        last.Result = TransferText::TransferredAndVerified;
        last.Configuration = ConfigurationText(doc);
        append(last);

        QStringList expected{QLatin1String(DeviceTypeInfo(type).ModelName)};
        QString group;
        for (const tPageCaption& row : PageCaptions(type)) {
            auto* control = page->findChild<QWidget*>(QLatin1String(row.Control));
            QVERIFY2(control, row.Control);
            const auto [caption, groupTitle] = shownCaption(control);
            QCOMPARE(caption, QString::fromUtf8(row.Caption));
            QCOMPARE(groupTitle, QString::fromUtf8(row.Group));
            QCOMPARE(ShownValueText(doc, row), shownText(control));
            if (groupTitle != group && !groupTitle.isEmpty()) expected << groupTitle;
            group = groupTitle;
            expected << (caption + QLatin1Char(' ') + shownText(control)).trimmed();
        }
        forEachProperty(doc.Device(), [&](tPelBaseProperty* property) {
            QWidget* control = boundWidget(property);
            if (!control || !page->isAncestorOf(control)) return;
            const auto rows = PageCaptions(type);
            QVERIFY2(std::any_of(rows.begin(), rows.end(),
                                 [&](const tPageCaption& row) {
                                     return control->objectName() == QLatin1String(row.Control);
                                 }),
                     qPrintable(control->objectName()));
        });
        expected << QStringLiteral("Ward 7, bed 3") << QStringLiteral("Operator installer7@")
                 << QStringLiteral("Result OK: Data Transferred and Verified");

        TReportActions& reports = *window().Reports();
        reports.SetFileNameHook(
            [this](const QString&, const QString&, const QString&) { return path("window.pdf"); });
        reports.ExportAction()->trigger();
        reports.SetPrintDialog([this](QPrinter& printer) {
            printer.setOutputFileName(path("printed.pdf"));
            return true;
        });
        reports.PrintAction()->trigger();
        zcfg({QStringLiteral("report"), path("ward7.zcf"), QStringLiteral("-o"), path("zcfg.pdf")});
        const QStringList text = pdfLines(path("window.pdf"));
        if (text.isEmpty()) QSKIP("pdftotext (poppler-utils) is needed to read the report");
        qsizetype at = 0;
        for (const QString& line : expected) {
            const auto found = std::find_if(text.begin() + at, text.end(),
                                            [&line](const QString& t) { return t.startsWith(line); });
            QVERIFY2(
                found != text.end(),
                qPrintable(QStringLiteral("\"%1\" not found in order in:\n%2").arg(line, text.join('\n'))));
            at = found - text.begin() + 1;
        }
        QCOMPARE(pdfLines(path("zcfg.pdf")), text);
        QCOMPARE(pdfLines(path("printed.pdf")), text);
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
    }

    // "Export Report..." and "Print..." follow "Save As" in the File menu.
    void reportEntriesFollowSaveAs() {
        start("none");
        QStringList items;
        for (QAction* action : window().FileMenus()->FileMenu()->actions())
            items << action->text();
        QCOMPARE(items.mid(3, 3), (QStringList{QStringLiteral("Save &As"), QStringLiteral("Export &Report…"),
                                               QStringLiteral("&Print…")}));
    }
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
