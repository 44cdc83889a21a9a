// Program Many through the real window, against the simulated adapter: the panel from the toolbar,
// units with a stepping transmitter ID one after another on Enter, a failure answered with Retry, Skip
// or Stop, a value past its range, and Escape at the prompt. Time advances only by explicit ticks.
#include "WindowTestSession.h"
#include "app/ApplicationForms.h"
#include "app/PelSaveDialog.h"
#include "app/UnitFileNotSaved.h"
#include "app/UnitFormOK.h"
#include "app/UnitUndoList.h"
#include "app/programmany/ProgramMany.h"
#include "app/programmany/ProgramManyPanel.h"
#include "app/transfer/TransferCoordinator.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"
#include "property/PropertyPaths.h"
#include "transfer/ProgramSeries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {
const QString transmitterId = QStringLiteral("Device/User Record/ID");
}

class TestWindowProgramMany : public QObject, protected WindowTestSession {
    Q_OBJECT

    QTemporaryDir data_; // XDG_DATA_HOME: the backups
    tLines before_;

    tZCfgFile& doc() { return window().Document(); }
    TProgramManyPanel& panel() { return window().ProgramMany().Panel(); }
    const tProgramSeries& series() { return *window().ProgramMany().Series(); }

    // The window with a staff transmitter's configuration, and the panel opened from the toolbar with
    // the ID stepping from `start` by `step`.
    void start(int startValue, int step) {
        QVERIFY(openWindow("staff"));
        doc().SetDeviceType(dt_Staff_Transmitter);
        doc().SetModified(false);
        before_ = doc().ToLines();
        doc().SetModified(false);

        auto* toggle = window().findChild<QToolButton*>(QStringLiteral("SpeedButtonProgramMany"));
        QVERIFY(toggle && toggle->isVisible());
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(panel().isVisible());
        QTest::mouseClick(panel().StepValue(), Qt::LeftButton, {},
                          QPoint(5, panel().StepValue()->height() / 2));
        QVERIFY(panel().StepValue()->isChecked());
        QCOMPARE(panel().SteppedValue()->currentText(), QStringLiteral("Transmitter ID Code"));
        QCOMPARE(panel().SteppedValue()->currentData().toString(), transmitterId);
        type(panel().Start(), startValue);
        type(panel().Step(), step);
        QCOMPARE(panel().NextValue()->text(), QString::number(startValue));
    }

    static void type(QSpinBox* box, int value) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::number(value));
        QCOMPARE(box->value(), value);
    }

    void runUntilIdle() {
        for (int n = 0; n < 400 && doc().TransferRunning(); ++n)
            Guarded([this] { window().ProgrammerLink().Tick(); });
    }

    // Enter (or the first click on Next) programs the next unit; the transfer is run to its end.
    void nextUnit(bool click = false) {
        if (click)
            QTest::mouseClick(panel().Next(), Qt::LeftButton);
        else
            QTest::keyClick(&window(), Qt::Key_Return);
        runUntilIdle();
    }

    // The ID the device was last programmed and verified with.
    QString programmedId() {
        const tTransferOutcome& outcome = doc().LastOutcome();
        if (!outcome.Verified || !outcome.Programmed)
            return QStringLiteral("not verified: ") + outcome.Message;
        return ResolvePath(outcome.Programmed.get(), transmitterId)->Value();
    }

    void verifyCounters(int verified, int failed, int skipped) {
        QCOMPARE(panel().Verified()->text(), QString::number(verified));
        QCOMPARE(panel().Failed()->text(), QString::number(failed));
        QCOMPARE(panel().Skipped()->text(), QString::number(skipped));
    }

    // Transfer mode: what would change the document is off, as during any transfer.
    void verifyTransferMode(bool on) {
        QCOMPARE(window().Transfers().Busy(), on);
        QCOMPARE(window().findChild<QWidget*>(QStringLiteral("ComboBoxDeviceType"))->isEnabled(), !on);
        QCOMPARE(window().findChild<QWidget*>(QStringLiteral("SpeedButtonNew"))->isEnabled(), !on);
        QCOMPARE(window().findChild<QWidget*>(QStringLiteral("SpeedButtonProgram"))->isEnabled(), !on);
    }

    // The document as it was: values, modified marker, undo history.
    void verifyDocumentUntouched() {
        QVERIFY(!doc().Modified());
        QVERIFY(!window().UndoManager()->CanUndo());
        QCOMPARE(doc().ToLines(), before_);
        doc().SetModified(false);
    }

private Q_SLOTS:
    void initTestCase() {
        loadSimulator();
        qputenv("XDG_DATA_HOME", data_.path().toLocal8Bit());
    }
    void init() { beginTest(); }
    void cleanup() { endTest(); }

    // The Tools entry and the toolbar toggle beside Program show the same panel; every control in it
    // has a name a screen reader can say.
    void panelIsReachedAndNamed() {
        start(1, 1);
        auto* toggle = window().findChild<QToolButton*>(QStringLiteral("SpeedButtonProgramMany"));
        auto* program = window().findChild<QToolButton*>(QStringLiteral("SpeedButtonProgram"));
        QLayout* toolbar = program->parentWidget()->layout();
        QCOMPARE(toolbar->indexOf(toggle), toolbar->indexOf(program) + 1);
        auto* tools = window().findChild<QMenu*>(QStringLiteral("Tools1"));
        QVERIFY(tools->actions().contains(window().ProgramMany().ToggleAction()));
        QCOMPARE(window().ProgramMany().ToggleAction()->text(), QStringLiteral("Program &Many"));
        QVERIFY(toggle->isChecked());
        window().ProgramMany().ToggleAction()->trigger();
        QVERIFY(!panel().isVisible() && !toggle->isChecked());
        window().ProgramMany().ToggleAction()->trigger();
        QVERIFY(panel().isVisible());
        for (QWidget* control : panel().findChildren<QWidget*>())
            if (control->isVisibleTo(&panel()) && !control->objectName().startsWith(QLatin1String("qt_")) &&
                (control->focusPolicy() != Qt::NoFocus || qobject_cast<QLabel*>(control))) {
                const auto* label = qobject_cast<QLabel*>(control);
                if (label && !label->buddy() && control->objectName().isEmpty()) continue; // a caption
                QVERIFY2(!control->accessibleName().isEmpty() || (label && label->buddy()),
                         qPrintable(control->objectName() + QLatin1Char(' ') +
                                    control->metaObject()->className()));
            }
        QVERIFY(!toggle->accessibleName().isEmpty());
    }

    // Five units, each verified with its own ID, one after another on Enter; the window stays in
    // transfer mode between them, no result form interrupts, and Escape at the prompt ends the run
    // cleanly: transfer mode off, the document as it was, the result form back for the next Program.
    void fiveUnitsThenEscape() {
        start(10, 2);
        nextUnit(true);
        const qsizetype wakeUps = sim_->Written().count('B'); // one unit's exchanges
        for (int unit = 1; unit <= 5; ++unit) {
            if (unit > 1) nextUnit();
            QCOMPARE(programmedId(), QString::number(10 + 2 * (unit - 1)));
            verifyCounters(unit, 0, 0);
            QCOMPARE(panel().Prompt()->text(), TProgramMany::AttachNext);
            QCOMPARE(panel().NextValue()->text(), QString::number(10 + 2 * unit));
            QVERIFY2(panel().LastResult()->text().contains(QStringLiteral("Data Transferred and Verified")),
                     qPrintable(panel().LastResult()->text()));
            verifyTransferMode(true);
            QVERIFY(!panel().SteppedValue()->isEnabled());
        }
        QVERIFY2(results_.isEmpty() && messages_.isEmpty(), qPrintable(messages_.join('\n')));
        QCOMPARE(sim_->Written().count('B'), 5 * wakeUps);

        QTest::keyClick(&window(), Qt::Key_Escape);
        QVERIFY(!window().ProgramMany().Running());
        verifyTransferMode(false);
        QVERIFY(panel().SteppedValue()->isEnabled());
        QCOMPARE(panel().Start()->value(), 20); // Next carries on
        verifyDocumentUntouched();
        sim_->clearWritten(0);
        QTest::keyClick(&window(), Qt::Key_Return); // Enter belongs to the pages again
        QCOMPARE(sim_->Written(), QByteArray());
        QTest::mouseClick(window().findChild<QToolButton*>(QStringLiteral("SpeedButtonProgram")),
                          Qt::LeftButton);
        runUntilIdle();
        QCOMPARE(results_.size(), 1);
    }

    // A failed unit stops the run and asks Retry, Skip or Stop; the failed unit's ID goes to the unit
    // programmed after it, and Stop leaves transfer mode.
    void failureAsksRetrySkipOrStop_data() {
        QTest::addColumn<QString>("answer");
        QTest::newRow("retry") << "Retry";
        QTest::newRow("skip") << "Skip";
        QTest::newRow("stop (Escape)") << "Stop";
    }
    void failureAsksRetrySkipOrStop() {
        QFETCH(QString, answer);
        start(30, 1);
        nextUnit(true);
        QCOMPARE(programmedId(), QStringLiteral("30"));
        sim_->setFault(0, "no-answer", 1);
        nextUnit();
        QVERIFY(!doc().LastOutcome().Ok());
        verifyCounters(1, 1, 0);
        QCOMPARE(panel().Prompt()->text(), TProgramMany::FailedQuestion);
        QVERIFY(panel().Retry()->isVisible() && panel().Skip()->isVisible() && panel().Stop()->isEnabled());
        QVERIFY(!panel().Next()->isVisible());
        QCOMPARE(messages_.size(), 1); // the failure, as any Program shows it
        verifyTransferMode(true);
        sim_->setFault(0, "no-answer", 0);

        if (answer == QLatin1String("Stop")) { // Escape stops too
            QTest::keyClick(&window(), Qt::Key_Escape);
            QVERIFY(!window().ProgramMany().Running());
            verifyTransferMode(false);
            verifyCounters(1, 1, 0);
            QVERIFY(panel().Prompt()->text().startsWith(QStringLiteral("Stopped: 1 verified, 1 failed")));
            verifyDocumentUntouched();
            return;
        }
        if (answer == QLatin1String("Retry")) {
            QTest::mouseClick(panel().Retry(), Qt::LeftButton);
            runUntilIdle();
            verifyCounters(2, 1, 0);
        } else {
            QTest::mouseClick(panel().Skip(), Qt::LeftButton);
            verifyCounters(1, 1, 1);
            QCOMPARE(panel().Prompt()->text(), TProgramMany::AttachNext);
            nextUnit();
            verifyCounters(2, 1, 1);
        }
        QCOMPARE(programmedId(), QStringLiteral("31"));
        QCOMPARE(panel().NextValue()->text(), QStringLiteral("32"));
        QVERIFY(window().ProgramMany().Running());
        QTest::mouseClick(panel().Stop(), Qt::LeftButton);
        verifyTransferMode(false);
        verifyDocumentUntouched();
    }

    // The run ends once the next unit's value would lie past its range, before anything is written;
    // a start the value cannot take starts no run at all.
    void pastRangeStopsBeforeWriting() {
        start(254, 1);
        nextUnit(true);
        nextUnit();
        QCOMPARE(programmedId(), QStringLiteral("255"));
        QVERIFY(!window().ProgramMany().Running());
        verifyTransferMode(false);
        verifyCounters(2, 0, 0);
        QCOMPARE(panel().LastResult()->text(),
                 QStringLiteral("Transmitter ID Code would be 256, past its range (0 to 255)"));
        sim_->clearWritten(0);
        nextUnit(); // Enter no longer programs
        QCOMPARE(sim_->Written(), QByteArray());
        QCOMPARE(series().VerifiedCount(), 2);
        verifyDocumentUntouched();
    }
};

QTEST_MAIN(TestWindowProgramMany)
#include "tst_window_program_many.moc"
