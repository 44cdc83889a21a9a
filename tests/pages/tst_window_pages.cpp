// The device pages inside the editor window, as a user meets them: each page made by the window's own
// page host when first shown, filled by a read from the simulated adapter, by a file and by undo. One
// table for what the pages show across the device types and program modes, one for entering values.
#include "../window/WindowTestSession.h"
#include "PageHost.h"
#include "app/ApplicationForms.h"
#include "app/DevicePageHost.h"
#include "app/MainPages.h"
#include "app/PelImage.h"
#include "app/PelSaveDialog.h"
#include "app/PelcorStringGrid.h"
#include "app/UnitFileNotSaved.h"
#include "app/pages/FactoryPages.h"
#include "device/DeviceTypeTable.h"
#include "programmer/USBPanel.h"
#include "property/TextFile.h"

#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
// The factory values a transmitter on the simulated adapter holds, and the record the read gives
// ("IC123": Transmitter ID Code 123).
QByteArray factoryRecord(char letter) {
    return QByteArray("FD2 SW02B1 HW04") + letter + "3 W/O 654321 Date 03/04/21 CC012 SF003 CN Arvel";
}
const QByteArray userRecord = "UD1PT1BT11BT21BT31CO0BP11BP20BP30RF11RF20RF30TM0ID1IC123BV1GP000";
} // namespace

class TestWindowPages : public QObject, protected WindowTestSession {
    Q_OBJECT

    tZCfgFile& document() { return window().Document(); }
    QTabWidget* pages() { return window().findChild<QTabWidget*>(QStringLiteral("PageControlEdit")); }
    template <class T = QWidget> T* control(const QString& name) { return window().findChild<T*>(name); }
    // The window on the adapter with `device` attached, in program mode `mode`, on device type `type`.
    void start(const QByteArray& device, int mode, int type) {
        storeSetting(QStringLiteral("Program Mode"), mode);
        storeSetting(QStringLiteral("Last Device Type"), type);
        QVERIFY(openWindow(device.constData()));
    }

    void read() {
        control<QToolButton>(QStringLiteral("SpeedButtonRead"))->click();
        for (int n = 0; n < 100 && document().TransferState() != tZCfgFile::tsIdle; ++n)
            Guarded([this] { window().ProgrammerLink().Tick(); });
        QCoreApplication::processEvents(); // what the window leaves for after the transfer
    }

    // A file of the type as a document of its own saves it, its lines changed by `edit`.
    QString file(int type, const std::function<void(tLines&)>& edit) {
        std::unique_ptr<tZCfgFile> source(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
        source->SetDeviceType(uint8_t(type));
        tLines lines = source->ToLines();
        edit(lines);
        const QString name = dir_->filePath(QStringLiteral("page.zcf"));
        QString error;
        return WriteTextFile(name, lines, error) ? name : QString();
    }

    // The device information boxes of the page shown against the document's factory record.
    void verifyDeviceInformation(const char* when) {
        const QStringList boxes =
            pages()->isTabVisible(mpIRRFStaff)
                ? QStringList{"EditHardwareRevRead", "EditFirmwareRevRead", "EditWorksOrderRead"}
                : QStringList{"EditIRRFPendantHardwareRev", "EditIRRFPendantFirmwareRev",
                              "EditIRRFPendantWorksOrder"};
        const tIRRFFactoryRecord* record = document().AsIRRFDevice()->FactoryRecord();
        const QStringList held{record->HW()->Value(), record->SW()->Value(), record->WO()->Value()};
        for (int i = 0; i < held.size(); ++i)
            QVERIFY2(control<QLineEdit>(boxes[i])->text() == held[i], qPrintable(when + (" " + boxes[i])));
    }

    // Tab from the stop before each radio group enters the group: its buttons, made when the page is
    // bound, sit where the group stands in the page's order.
    void verifyRadioGroupsInTabOrder(QWidget* page) {
        QCoreApplication::processEvents(); // buttons added to a shown group show a moment later
        for (TPelRadioGroup* group : page->findChildren<TPelRadioGroup*>()) {
            if (!group->isEnabled() || !group->isVisible()) continue;
            QWidget* before = group->previousInFocusChain();
            while (before != group &&
                   !((before->focusPolicy() & Qt::TabFocus) && before->isVisible() && before->isEnabled()))
                before = before->previousInFocusChain();
            before->setFocus(Qt::TabFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(group->isAncestorOf(QApplication::focusWidget()), qPrintable(group->objectName()));
        }
    }

private Q_SLOTS:
    void initTestCase() { loadSimulator(); }
    void init() { beginTest(); }
    void cleanup() { endTest(); }

    // Each page shows what the document holds however it got there, binds whatever a file holds, and
    // keeps the tab order; a file naming a device this program does not know leaves nothing of the
    // device before on screen.
    void pagesShowTheDocument_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("display"); // of the area or zone
        for (const int mode : {0, 1})
            for (const int type : {dt_Staff_Transmitter, dt_Pendant_Transmitter})
                QTest::addRow("%s, program mode %d", DeviceTypeInfo(type).Keyword, mode)
                    << type << mode << "";
        const char* displays[] = {"EditMPDCallPointArea", "", "", "EditRelayZone", "EditZoneIndicatorZone",
                                  "EditZX250Area"};
        for (int type = dt_MPD_Call_Point; type <= dt_ZX250_Call_Point; ++type)
            QTest::addRow("%s", DeviceTypeInfo(type).Keyword)
                << type << 1 << displays[type - dt_MPD_Call_Point];
    }
    void pagesShowTheDocument() {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(QString, display);
        const tDeviceTypeInfo& info = DeviceTypeInfo(type);
        const bool transmitter = info.Class == tDeviceClass::IRRF;
        // The window starts on another type, so the type's own page is made later (a transmitter page
        // after the Factory Config page).
        const int other =
            transmitter ? 3 - type : (type == dt_Relay_Output ? dt_Zone_Indicator : dt_Relay_Output);
        start(info.Keyword, mode, other);
        if (transmitter) {
            sim_->setRecord(0, "fd", factoryRecord(info.HardwareLetter).constData());
            sim_->setRecord(0, "ud", userRecord.constData());
            verifyDeviceInformation("at start");
            // Read with the Factory Config page in front, where it is shown.
            if (mode == 1)
                QTest::mouseClick(pages()->tabBar(), Qt::LeftButton, {},
                                  pages()->tabBar()->tabRect(mpIRFactoryConfig).center());
            read();
            QCOMPARE(results_, QStringList{TransferText::DataTransferred});
            QCOMPARE(document().GetDeviceType(), uint8_t(type));
            QCOMPARE(document().AsIRRFDevice()->FactoryRecord()->WO()->Value(), QStringLiteral("654321"));
            verifyDeviceInformation("after a read");
            QCOMPARE(control<QLineEdit>(type == dt_Staff_Transmitter ? "EditStaffTransmitterSFFlags"
                                                                     : "EditPendantSFFlags")
                         ->text(),
                     QStringLiteral("003"));
            if (mode == 1) {
                QCOMPARE(pages()->currentIndex(), int(mpIRFactoryConfig));
                auto* factory =
                    static_cast<TFactoryConfigPage*>(window().Pages().CreatedPage(mpIRFactoryConfig));
                TPelcorStringGrid* summary = factory->ui.PelcorStringGridConfigSummary;
                const int idRow = type == dt_Staff_Transmitter ? 13 : 3;
                QCOMPARE(summary->Cell(0, idRow), QStringLiteral("Transmitter ID Code"));
                QCOMPARE(summary->Cell(1, idRow), QStringLiteral("123"));
            }
            control<QToolButton>(QStringLiteral("SpeedButtonUndo"))->click();
            QCOMPARE(document().GetDeviceType(), uint8_t(other));
            verifyDeviceInformation("after undoing the read");
            QVERIFY(window().OpenFile(file(type, [](tLines& lines) {
                lines.replaceInStrings(QStringLiteral("W/O = 000000"), QStringLiteral("W/O = 135790"));
            })));
            QCOMPARE(document().GetDeviceType(), uint8_t(type));
            verifyDeviceInformation("after opening a file");
        } else if (!display.isEmpty()) {
            // A value that is no number is reported at its line and shown as it is; the page binds
            // whole, also when it is bound again after the value has been read (undo of another type).
            QVERIFY(!window().OpenFile(file(type, [](tLines& lines) {
                lines.replaceInStrings(QStringLiteral("Node Address = 1"),
                                       QStringLiteral("Node Address = 5"));
                lines.replaceInStrings(QStringLiteral("Zone/Group Address = 0"),
                                       QStringLiteral("Zone/Group Address = B2"));
            })));
            QCOMPARE(messages_.size(), 1);
            QVERIFY2(messages_[0].contains(QStringLiteral("Line 9: 'B2' is not a valid integer value")),
                     qPrintable(messages_[0]));
            messages_.clear();
            QCOMPARE(control<QLineEdit>(display)->text(), QStringLiteral("B2"));
            window().Document().SetDeviceType(uint8_t(other));
            control<QToolButton>(QStringLiteral("SpeedButtonUndo"))->click();
            QCOMPARE(document().GetDeviceType(), uint8_t(type));
            QCOMPARE(control<QLineEdit>(display)->text(), QStringLiteral("B2"));
            QCOMPARE(unboundControls(document().Device(), window().Pages().CreatedPage(info.PageIndex)),
                     QStringList());
            QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        } else {
            window().Document().SetDeviceType(uint8_t(type));
        }
        verifyRadioGroupsInTabOrder(window().Pages().CreatedPage(info.PageIndex));

        // A newer device named in a file: no page, no picture and no factory page is left showing.
        messages_.clear();
        window().OpenFile(file(type, [&](tLines& lines) {
            lines.replaceInStrings(QLatin1String(info.ValueName), QStringLiteral("dt_Future_Device"));
        }));
        QCOMPARE(messages_.size(), 1);
        for (int sheet = 0; sheet < pages()->count(); ++sheet) {
            QCOMPARE(pages()->isTabVisible(sheet), sheet == mpComments);
            QVERIFY(!window().Pages().IsBound(sheet));
        }
        QVERIFY(control<TPelImage>(QStringLiteral("PelImageDevices"))->pixmap().isNull());
        // A known type brings its page and picture back.
        document().SetDeviceType(uint8_t(type));
        QVERIFY(pages()->isTabVisible(info.PageIndex));
        QVERIFY(!control<TPelImage>(QStringLiteral("PelImageDevices"))->pixmap().isNull());
    }

    // A number outside its box's limits is refused in the open and never becomes another number; the
    // mouse wheel changes a list or a number only while it has the focus, and otherwise scrolls the page.
    void enteringValues_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("input"); // typed, or the wheel turned over the control
        QTest::addColumn<bool>("taken");
        const auto row = [](const char* name, int type, int mode, const char* control, const char* input,
                            bool taken) {
            QTest::newRow(name) << type << mode << QString(control) << QString(input) << taken;
        };
        const int staff = dt_Staff_Transmitter;
        row("ID 300", staff, 0, "PelSpinEditIDCode", "300", false);
        row("ID -1", staff, 0, "PelSpinEditIDCode", "-1", false);
        row("ID 255", staff, 0, "PelSpinEditIDCode", "255", true);
        row("group address 16", staff, 0, "PelSpinEditGroupAddress", "16", false);
        row("pendant ID 256", dt_Pendant_Transmitter, 0, "PelSpinEditPendantIDCode", "256", false);
        row("charge cycles 1000", staff, 1, "PelSpinEditChargeCycles", "1000", false);
        row("charge cycles 999", staff, 1, "PelSpinEditChargeCycles", "999", true);
        row("wheel, device type", staff, 0, "ComboBoxDeviceType", "wheel", false);
        row("wheel, list", staff, 0, "ComboBoxTransmitDuration", "wheel", false);
        row("wheel, number", staff, 0, "PelSpinEditIDCode", "wheel", false);
        row("wheel, list in focus", staff, 0, "ComboBoxTransmitDuration", "focused wheel", true);
        row("wheel, number in focus", staff, 0, "PelSpinEditIDCode", "focused wheel", true);
    }
    void enteringValues() {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(QString, name);
        QFETCH(QString, input);
        QFETCH(bool, taken);
        start("none", mode, type);
        if (name == QLatin1String("PelSpinEditChargeCycles")) pages()->setCurrentIndex(mpIRFactoryConfig);
        // The radio group address counts only while a button sends by radio.
        document().AsIRRFDevice()->UserRecord()->Button(2)->RFEnabled()->SetAsBoolean(true);
        QWidget* box = control(name);
        tPelBaseProperty* property = nullptr;
        forEachProperty(&document(), [&](tPelBaseProperty* p) {
            if (boundWidget(p) == box) property = p;
        });
        QVERIFY(box && property);
        auto* spin = qobject_cast<TPelSpinEdit*>(box);
        if (spin) dynamic_cast<tPelIntegerProperty*>(property)->SetAsInteger(12);
        const QString before = property->Value();

        if (input.endsWith(QLatin1String("wheel"))) {
            window().resize(window().minimumSizeHint()); // small enough for the page to scroll
            QCoreApplication::processEvents();
            (input.startsWith(QLatin1String("focused")) ? box : control(QStringLiteral("MemoComments")))
                ->setFocus();
            QScrollBar* bar =
                control<QScrollArea>(QStringLiteral("TabSheetIRRFStaffScroller"))->verticalScrollBar();
            const int scrolled = bar->value();
            QVERIFY(bar->maximum() > 0);
            const QPoint at = box->rect().center();
            QWheelEvent wheel(at, box->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, {},
                              Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&wheel);     // as from the mouse: handed on to the parents
            QApplication::instance()->notify(box, &wheel); // sendEvent would make it the program's own
            QCOMPARE(property->Value() != before, taken);
            if (box->parentWidget() != control(QStringLiteral("GroupBoxDeviceType")))
                QCOMPARE(bar->value() != scrolled, !taken); // the page scrolls instead
            return;
        }
        QVERIFY(spin);
        const QString limits = QStringLiteral("%1 to %2").arg(spin->minimum()).arg(spin->maximum());
        QVERIFY2(spin->toolTip().contains(QStringLiteral("Range ") + limits), qPrintable(spin->toolTip()));
        spin->setFocus();
        QVERIFY(window().statusBar()->currentMessage().endsWith(QStringLiteral(": ") + limits));
        spin->selectAll();
        QTest::keyClicks(spin, input);
        QCOMPARE(spin->text(), input);
        QCOMPARE(spin->Refused(), !taken);
        QCOMPARE(spin->palette().color(QPalette::Base) != QPalette().color(QPalette::Base), !taken);
        QCOMPARE(property->Value(), taken ? input : before); // nothing on the way to it either
        const QString message = window().statusBar()->currentMessage();
        QVERIFY2(taken || (message.startsWith(input) && message.contains(limits)), qPrintable(message));
        QTest::keyClick(spin, Qt::Key_Return);
        QCOMPARE(spin->text(), property->Value()); // the box shows what the document holds
        QVERIFY(!spin->Refused());
    }
};

QTEST_MAIN(TestWindowPages)
#include "tst_window_pages.moc"
