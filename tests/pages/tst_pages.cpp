// The device pages through their real widgets: every bound control shows its property's value
// whatever set it, changes made with the mouse and keyboard reach the document as one undo step, and
// the pages' own displays follow the device's rules. Also the summary grid on its own.

#include "PageHost.h"
#include "app/PelcorStringGrid.h"
#include "app/pages/FactoryPages.h"
#include "app/pages/ZonalIndicatorPage.h"
#include "property/PelEnum.h"
#include "property/PelError.h"
#include "property/PelScalar.h"
#include "property/controls/PelControls.h"
#include "property/controls/PelSpinEdit.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {
// What the bound control shows and what the property holds, in the same terms.
std::pair<QString, QString> shownAndHeld(tPelBaseProperty* p, QWidget* w) {
    if (auto* node = dynamic_cast<tNodeProperty*>(p))
        return {static_cast<QLineEdit*>(w)->text(), node->ValueToText(node->AsInteger())};
    if (auto* text = dynamic_cast<tPelTextProperty*>(p))
        return {dynamic_cast<IEditBox*>(w)->Text(), text->Value()};
    if (auto* flag = dynamic_cast<tPelBooleanProperty*>(p))
        return {QString::number(static_cast<QCheckBox*>(w)->isChecked()), QString::number(flag->AsBoolean())};
    if (auto* number = dynamic_cast<tPelIntegerProperty*>(p))
        return {QString::number(static_cast<QSpinBox*>(w)->value()), QString::number(number->AsInteger())};
    if (auto* list = dynamic_cast<tPelEnumProperty*>(p)) {
        const int index = dynamic_cast<IItemListControl*>(w)->ItemIndex();
        // A value the list does not offer shows as no selection, never as a neighbouring value.
        const int held = list->AsInteger();
        return {index < 0 ? QStringLiteral("none") : QString::number(list->IndexToValue(index)),
                list->ShownIndex(held) < 0 ? QStringLiteral("none") : QString::number(held)};
    }
    if (auto* set = dynamic_cast<tPelEnumSetProperty*>(p)) {
        auto* box = static_cast<TPelCheckListBox*>(w);
        QString shown, held;
        for (int i = 0; i < box->Count(); ++i) {
            shown += box->Checked(i) ? '1' : '0';
            held += set->IsFlagSet(set->IndexToValue(i)) ? '1' : '0';
        }
        return {shown, held};
    }
    return {};
}

// Every property of the device bound to a control of `page`, with that control.
QList<std::pair<tPelBaseProperty*, QWidget*>> bindingsOn(tZCfgFile& document, QWidget* page) {
    QList<std::pair<tPelBaseProperty*, QWidget*>> found;
    forEachProperty(document.Device(), [&](tPelBaseProperty* p) {
        QWidget* w = boundWidget(p);
        if (w && page->isAncestorOf(w)) found.append({p, w});
    });
    return found;
}

void verifyShown(tZCfgFile& document, QWidget* page, const char* when) {
    for (auto [property, widget] : bindingsOn(document, page)) {
        const auto [shown, held] = shownAndHeld(property, widget);
        if (shown != held)
            QFAIL(qPrintable(
                QStringLiteral("%1: %2 shows %3, %4 holds %5")
                    .arg(QLatin1String(when), widget->objectName(), shown, property->Name(), held)));
    }
}

// A click on the box's indicator, where a user clicks it.
void clickBox(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Types with their page and one control each kind of input reaches.
struct tInput {
    const char* control;
    enum Kind { Click, KeyDown, KeyUp, RadioOther, Type } kind;
};
} // namespace

class tst_pages : public QObject {
    Q_OBJECT

private slots:
    void init() {
        host = std::make_unique<tPageHost>();
        host->window->show();
    }
    void cleanup() { host.reset(); }

    void everyControlFollowsItsProperty_data();
    void everyControlFollowsItsProperty();
    void inputIsOneUndoStep_data();
    void inputIsOneUndoStep();
    void areaAndZoneDisplays_data();
    void areaAndZoneDisplays();
    void zoneIndicatorHTMLayoutBothWays();
    void transmitterFactoryPart();
    void summaryGridRowsByType();
    void unbindReleasesOnlyThePagesOwnBindings();
    void commentsMemoFollowsNewAndLoad();
    void switchingTypesAndUndoingAll();
    void keyboardAccess_data();
    void keyboardAccess();
    void gridVisibilityAndAutoResize_data();
    void gridVisibilityAndAutoResize();
    void gridCsvRoundTrip_data();
    void gridCsvRoundTrip();

private:
    std::unique_ptr<tPageHost> host;
};

void tst_pages::everyControlFollowsItsProperty_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("bindings"); // properties bound on the type's page
    QTest::newRow("staff") << 1 << 14;
    QTest::newRow("pendant") << 2 << 4;
    QTest::newRow("MPD call point") << 3 << 13;
    QTest::newRow("MPD monitor point") << 4 << 9;
    QTest::newRow("MPD day/night switch") << 5 << 5;
    QTest::newRow("relay output") << 6 << 9;
    QTest::newRow("zone indicator") << 7 << 23;
    QTest::newRow("ZX250 call point") << 8 << 12;
}

// After a configuration is loaded, New and Undo, each bound control shows what the document holds;
// every editable control of the page is bound.
void tst_pages::everyControlFollowsItsProperty() {
    QFETCH(int, type);
    QFETCH(int, bindings);
    TDevicePage* page = host->Show(type);
    TDevicePage* factory = host->Page(8);
    const auto bound = bindingsOn(*host->document, page);
    QCOMPARE(bound.size(), bindings);
    QSet<QWidget*> boundWidgets;
    for (auto pair : bound)
        boundWidgets.insert(pair.second);
    for (QWidget* w : page->findChildren<QWidget*>()) {
        const bool editable = qobject_cast<TPelCheckBox*>(w) || qobject_cast<TPelComboBox*>(w) ||
                              qobject_cast<TPelRadioGroup*>(w) || qobject_cast<TPelSpinEdit*>(w);
        if (editable) QVERIFY2(boundWidgets.contains(w), qPrintable(w->objectName()));
    }

    // A configuration of the type with every value changed, saved and loaded into the bound pages.
    std::unique_ptr<tZCfgFile> source(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    source->SetDeviceType(uint8_t(type));
    if (type <= 2) {
        tIRRFFactoryRecord* record = source->AsIRRFDevice()->FactoryRecord();
        record->SW()->SetValueText(QStringLiteral("02A0"));
        // A staff revision, which the pendant's hardware mask turns into a pendant one.
        record->HW()->SetValueText(QStringLiteral("01T2"));
    }
    changeEveryValue(source->Device());
    const tLoadResult loaded = host->document->LoadFromLines(source->ToLines());
    QVERIFY2(loaded.touchedDocument(), qPrintable(loaded.message));
    verifyShown(*host->document, page, "after load");
    verifyShown(*host->document, factory, "factory page after load");

    host->document->SetModified(false);
    QVERIFY(host->document->NewDocument());
    host->document->SetDeviceType(uint8_t(type));
    verifyShown(*host->document, page, "after New");
}

void tst_pages::inputIsOneUndoStep_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("kind");
    auto row = [](const char* name, int type, const char* control, tInput::Kind kind) {
        QTest::newRow(name) << type << QString::fromLatin1(control) << int(kind);
    };
    row("staff protocol", 1, "ComboBoxTransmissionProtocol", tInput::KeyDown);
    row("staff pull snap RF", 1, "CheckBoxPullSnapRFEnable", tInput::Click);
    row("staff ID", 1, "PelSpinEditIDCode", tInput::KeyUp);
    row("staff works order", 1, "MaskEditWorksOrder", tInput::Type);
    row("pendant button", 2, "ComboBoxPendantPushButtonA", tInput::KeyDown);
    row("pendant charge cycles", 2, "PelSpinEditChargeCycles", tInput::KeyUp);
    row("call point tail call", 3, "CheckBoxTailCallEnable", tInput::Click);
    row("call point special call", 3, "RadioGroupSpecialCallType", tInput::RadioOther);
    row("monitor point call type", 4, "RadioGroupMPD_MPCallType", tInput::RadioOther);
    row("day/night LED", 5, "RadioGroupLEDOperation", tInput::RadioOther);
    row("relay attack", 6, "CheckBoxActiveInAttack", tInput::Click);
    row("zone indicator emergency tone", 7, "ComboBoxEmergencyToneType", tInput::KeyDown);
    row("zone indicator HTM08-03", 7, "CheckBoxZonalHTM2015Enabled", tInput::Click);
    row("ZX250 slave input", 8, "ComboBox250SlaveInput", tInput::KeyDown);
    row("ZX250 sounder", 8, "CheckBox250SounderEnabled", tInput::Click);
}

// A change through the control reaches the document as one undo step; Undo puts back the value
// in both the document and the control.
void tst_pages::inputIsOneUndoStep() {
    QFETCH(int, type);
    QFETCH(QString, control);
    QFETCH(int, kind);
    TDevicePage* page = host->Show(type);
    if (type <= 2) {
        host->Page(8)->show(); // the factory page in front for its own controls
        host->document->AsIRRFDevice()->FactoryRecord()->SW()->SetValueText(QStringLiteral("02A0"));
    }
    host->undo.Clear();
    QWidget* widget = host->window->findChild<QWidget*>(control);
    QVERIFY(widget);
    tPelBaseProperty* property = nullptr;
    forEachProperty(host->document->Device(), [&](tPelBaseProperty* p) {
        if (boundWidget(p) == widget) property = p;
    });
    QVERIFY(property);
    const QString before = property->Value();

    switch (tInput::Kind(kind)) {
    case tInput::Click:
        clickBox(static_cast<QAbstractButton*>(widget));
        break;
    case tInput::KeyDown:
        QTest::keyClick(widget, Qt::Key_Down);
        break;
    case tInput::KeyUp:
        QTest::keyClick(widget, Qt::Key_Up);
        break;
    case tInput::RadioOther: {
        auto* group = static_cast<TPelRadioGroup*>(widget);
        const int other = group->ItemIndex() == 0 ? 1 : 0;
        clickBox(group->Button(other));
        break;
    }
    case tInput::Type:
        static_cast<QLineEdit*>(widget)->setFocus();
        QTest::keyClick(widget, Qt::Key_Home);
        QTest::keyClick(widget, Qt::Key_7);
        break;
    }
    const QString after = property->Value();
    QVERIFY2(after != before, qPrintable(before));
    verifyShown(*host->document, page, "after input");
    QVERIFY(host->undo.CanUndo());

    host->undo.Undo();
    QCOMPARE(property->Value(), before);
    QVERIFY(!host->undo.CanUndo()); // the input was one step
    verifyShown(*host->document, page, "after undo");
    verifyShown(*host->document, host->Page(8), "factory page after undo");
}

void tst_pages::areaAndZoneDisplays_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("node");
    QTest::addColumn<int>("zone");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("shown");
    QTest::newRow("relay unassigned") << 6 << 1 << 12 << "EditRelayZone"
                                      << "Unassigned";
    QTest::newRow("relay zone 12") << 6 << 5 << 12 << "EditRelayZone"
                                   << "12";
    QTest::newRow("zone indicator unassigned") << 7 << 1 << 3 << "EditZoneIndicatorZone"
                                               << "Unassigned";
    QTest::newRow("zone indicator zone 12") << 7 << 5 << 12 << "EditZoneIndicatorZone"
                                            << "12";
    QTest::newRow("call point area A") << 3 << 3 << 1 << "EditMPDCallPointArea"
                                       << "A";
    QTest::newRow("call point unassigned") << 3 << 1 << 1 << "EditMPDCallPointArea"
                                           << "Unassigned";
    QTest::newRow("ZX250 area B, node 256") << 8 << 0 << 2 << "EditZX250Area"
                                            << "B";
}

// The displays follow a change of either address, in either order.
void tst_pages::areaAndZoneDisplays() {
    QFETCH(int, type);
    QFETCH(int, node);
    QFETCH(int, zone);
    QFETCH(QString, box);
    QFETCH(QString, shown);
    host->Show(type);
    auto* edit = host->window->findChild<QLineEdit*>(box);
    QVERIFY(edit);
    QVERIFY(!edit->isEnabled());
    QCOMPARE(edit->text(), QStringLiteral("Unassigned")); // a new device has no node address
    tOtherDevice* device = host->document->AsOtherDevice();
    device->ZoneGroupAddress()->SetAsInteger(zone);
    device->NodeAddress()->SetAsInteger(node);
    QCOMPARE(edit->text(), shown);
    device->NodeAddress()->SetAsInteger(1);
    device->NodeAddress()->SetAsInteger(node);
    QCOMPARE(edit->text(), shown);
}

void tst_pages::zoneIndicatorHTMLayoutBothWays() {
    auto* page = static_cast<TZonalIndicatorPage*>(host->Show(7));
    int stops = 0;
    page->SetTonePlayingOff = [&] { ++stops; };
    QApplication::processEvents();
    auto* htm = page->ui.CheckBoxZonalHTM2015Enabled;
    auto verifyLayout = [&](bool on) {
        QCOMPARE(page->ui.SpeedButtonPlayPresence->isEnabled(), !on);
        QCOMPARE(page->ui.RadioGroupZonalHTM2015Tone->isEnabled(), on);
        for (const auto& kind : page->CallKinds()) {
            QCOMPARE(kind.tone->isHidden(), on);
            QCOMPARE(kind.htmText->isHidden(), !on);
            QCOMPARE(kind.tone->isEnabled(), !on); // the device disables the row tones
            if (on) QCOMPARE(kind.htmText->geometry(), kind.tone->geometry());
        }
        QCOMPARE(page->ui.EditHTM2015Presence->text(), QStringLiteral("None"));
        QCOMPARE(page->ui.EditHTM2015Attack->text(), QStringLiteral("HTM08-03"));
    };
    verifyLayout(false);
    clickBox(htm);
    QVERIFY(host->document->AsZonalIndicator()->HTM2015Enabled()->AsBoolean());
    verifyLayout(true);
    QCOMPARE(stops, 1);
    host->undo.Undo();
    verifyLayout(false);
    clickBox(htm);
    clickBox(htm);
    verifyLayout(false);
    QCOMPARE(stops, 4); // each change of the mode, undo included, stops a running tone test
}

// Masks by kind, mirrors of the factory values on both transmitter pages, the special flags.
void tst_pages::transmitterFactoryPart() {
    auto* factory = static_cast<TFactoryConfigPage*>(host->Page(8));
    host->Show(1);
    QCOMPARE(factory->ui.MaskEditHardwareRevision->EditMask(), QStringLiteral("00T0;1"));
    host->Show(2);
    QCOMPARE(factory->ui.MaskEditHardwareRevision->EditMask(), QStringLiteral("00P0;1"));
    QCOMPARE(factory->ui.MaskEditHardwareRevision->text(), QStringLiteral("00P0"));
    host->Show(1);
    QCOMPARE(factory->ui.MaskEditHardwareRevision->EditMask(), QStringLiteral("00T0;1"));

    factory->show();
    factory->ui.MaskEditWorksOrder->setFocus();
    QTest::keyClick(factory->ui.MaskEditWorksOrder, Qt::Key_Home);
    QTest::keyClicks(factory->ui.MaskEditWorksOrder, QStringLiteral("1234"));
    const QString typed = factory->ui.MaskEditWorksOrder->text();
    QVERIFY(typed.startsWith(QStringLiteral("1234")));
    for (const char* mirror : {"EditWorksOrderRead", "EditIRRFPendantWorksOrder"})
        QCOMPARE(host->window->findChild<QLineEdit*>(mirror)->text(), typed);

    tIRRFFactoryRecord* record = host->document->AsIRRFDevice()->FactoryRecord();
    record->SW()->SetValueText(QStringLiteral("0312"));
    record->HW()->SetValueText(QStringLiteral("05T2"));
    for (const char* mirror : {"EditFirmwareRevRead", "EditIRRFPendantFirmwareRev"})
        QCOMPARE(host->window->findChild<QLineEdit*>(mirror)->text(), QStringLiteral("0312"));
    for (const char* mirror : {"EditHardwareRevRead", "EditIRRFPendantHardwareRev"})
        QCOMPARE(host->window->findChild<QLineEdit*>(mirror)->text(), QStringLiteral("05T2"));

    auto flagsShown = [&](const char* expected) {
        for (const char* box : {"EditStaffTransmitterSFFlags", "EditPendantSFFlags"})
            QCOMPARE(host->window->findChild<QLineEdit*>(box)->text(), QString::fromLatin1(expected));
    };
    flagsShown("007");
    record->SF()->SetFlag(sf_Allow_Attendance, false);
    flagsShown("003");
    host->undo.Undo();
    flagsShown("007");
}

void tst_pages::summaryGridRowsByType() {
    auto* factory = static_cast<TFactoryConfigPage*>(host->Page(8));
    TPelcorStringGrid* grid = factory->ui.PelcorStringGridConfigSummary;
    host->Show(1);
    tIRRFButton* pullSnap = host->document->AsIRRFDevice()->UserRecord()->Button(3);
    pullSnap->BeeperSounds()->SetAsBoolean(true);
    pullSnap->RFEnabled()->SetAsBoolean(false);
    factory->PageShown();
    QCOMPARE(grid->RowCount(), 15);
    QVERIFY(!grid->isHidden());
    QCOMPARE(grid->Cell(0, 0), QStringLiteral("Property"));
    QCOMPARE(grid->Cell(1, 0), QStringLiteral("Value"));
    QCOMPARE(grid->Cell(0, 4), QStringLiteral("Pull Snap Beeper"));
    QCOMPARE(grid->Cell(1, 4), QStringLiteral("Enabled"));
    QCOMPARE(grid->Cell(1, 5), QStringLiteral("Disabled"));
    QCOMPARE(grid->Cell(1, 1),
             host->window->findChild<QComboBox*>("ComboBoxTransmissionProtocol")->currentText());
    QCOMPARE(grid->Cell(0, 14), QStringLiteral("Radio Group Address"));

    host->Show(2);
    QCOMPARE(grid->RowCount(), 5);
    const QStringList labels = {"Property", "Button Mode", "Button RF", "Transmitter ID Code",
                                "Radio Group Address"};
    for (int row = 0; row < labels.size(); ++row)
        QCOMPARE(grid->Cell(0, row), labels[row]);
    QCOMPARE(grid->rowCount(), 5);

    for (int type = 3; type <= 8; ++type) {
        host->Show(type);
        factory->Bind(*host->document);
        QVERIFY(grid->isHidden());
        QCOMPARE(factory->SummaryDeviceType(), type);
    }
}

// A page that is unbound leaves alone the properties another page has taken over since.
void tst_pages::unbindReleasesOnlyThePagesOwnBindings() {
    TDevicePage* callPoint = host->Show(3);
    TDevicePage* monitor = host->Show(4);
    auto* contacts = host->window->findChild<TPelRadioGroup*>("RadioGroupMPD_MDCallContacts");
    tPelEnumProperty* property = host->document->AsMPD()->UserData()->CallSwitchContactType();
    callPoint->Unbind();
    QCOMPARE(property->Selector().Control(), static_cast<IItemListControl*>(contacts));
    monitor->Unbind();
    QVERIFY(!property->Selector().Control());
    // The document changes; the released page keeps its last values and does not follow.
    const int shown = contacts->ItemIndex();
    property->SetAsInteger(shown == 0 ? 1 : 0);
    QCOMPARE(contacts->ItemIndex(), shown);
}

// The comments memo shows what the document holds after New and after a file cut off in its comment.
void tst_pages::commentsMemoFollowsNewAndLoad() {
    auto* memo = new TPelMemo(host->window.get());
    host->document->Comments()->SetMemo(memo);
    const auto unbind = qScopeGuard([this] { host->document->Comments()->SetMemo(nullptr); });
    memo->setPlainText(QStringLiteral("old note"));
    QCOMPARE(host->document->Comments()->Lines(), QStringList{QStringLiteral("old note")});
    host->document->SetModified(false);
    QVERIFY(host->document->NewDocument());
    QVERIFY(host->document->Comments()->Lines().isEmpty());
    QVERIFY(memo->Lines().isEmpty());

    std::unique_ptr<tZCfgFile> source(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    source->SetDeviceType(dt_Relay_Output);
    source->Comments()->SetLinesFrom({QStringLiteral("first"), QStringLiteral("second")});
    tLines lines = source->ToLines();
    const int commentEnd = int(lines.indexOf(QStringLiteral("second"))) + 1;
    if (commentEnd > 0) lines = lines.mid(0, commentEnd); // the file ends inside the comment
    host->document->LoadFromLines(lines);
    QCOMPARE(memo->Lines(), host->document->Comments()->Lines());
    QCOMPARE(memo->Lines().value(0), QStringLiteral("first"));
}

// Switching through every type, each with an edit, then undoing everything: pages bound to devices
// that were replaced follow the devices brought back, and nothing touches a destroyed device.
void tst_pages::switchingTypesAndUndoingAll() {
    host->undo.Clear();
    for (int round = 0; round < 2; ++round)
        for (int type : {1, 6, 2, 3, 7, 4, 8, 5}) {
            TDevicePage* page = host->Show(type);
            if (auto* box = page->findChild<TPelCheckBox*>()) clickBox(box);
            verifyShown(*host->document, page, "after switching");
        }
    int steps = 0;
    int shown = host->document->GetDeviceType();
    while (host->undo.CanUndo() && steps < 100) {
        host->undo.Undo();
        ++steps;
        // The window binds again only when the type changes.
        const int type = host->document->GetDeviceType();
        if (type != shown && type >= 1 && type <= 8) host->Show(type);
        shown = type;
    }
    QVERIFY(!host->undo.CanUndo());
    QCOMPARE(int(host->document->GetDeviceType()), int(dt_None)); // where the document started
    for (int type = 1; type <= 8; ++type)
        verifyShown(*host->document, host->Show(type), "after undoing everything");
}

void tst_pages::keyboardAccess_data() {
    QTest::addColumn<int>("page");
    for (int page = 0; page < 10; ++page)
        QTest::addRow("page %d", page) << page;
}

// Each mnemonic of a page is used once, leaves the main menu's letters alone and leads to a control; every
// input control is reached by Tab and carries no clipped caption.
void tst_pages::keyboardAccess() {
    QFETCH(int, page);
    QWidget* sheet = host->Page(page);
    sheet->resize(sheet->sizeHint());
    sheet->show();
    QApplication::processEvents();
    QSet<QChar> mnemonics;
    auto mnemonicOf = [](const QString& text) {
        const int at = int(text.indexOf(QLatin1Char('&')));
        return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
    };
    auto claim = [&](const QString& text, const QString& owner) {
        const QChar key = mnemonicOf(text);
        if (key.isNull()) return;
        QVERIFY2(!mnemonics.contains(key), qPrintable(owner + QStringLiteral(" repeats &") + key));
        // The main menu's File, Edit, Device, Help and Tools keep their letters.
        QVERIFY2(!QStringLiteral("fedht").contains(key),
                 qPrintable(owner + QStringLiteral(" takes a menu's &") + key));
        mnemonics.insert(key);
    };
    for (QLabel* label : sheet->findChildren<QLabel*>()) {
        claim(label->text(), label->objectName());
        if (!mnemonicOf(label->text()).isNull()) QVERIFY2(label->buddy(), qPrintable(label->objectName()));
    }
    for (QAbstractButton* button : sheet->findChildren<QAbstractButton*>()) {
        claim(button->text(), button->objectName());
        if (!button->isHidden()) {
            const int needed = button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&'));
            QVERIFY2(button->width() >= needed, qPrintable(button->objectName()));
        }
    }
    for (QGroupBox* group : sheet->findChildren<QGroupBox*>())
        claim(group->title(), group->objectName());
    for (QWidget* w : sheet->findChildren<QWidget*>()) {
        const bool input = qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w) ||
                           qobject_cast<QAbstractSpinBox*>(w) ||
                           (qobject_cast<QLineEdit*>(w) && !static_cast<QLineEdit*>(w)->isReadOnly() &&
                            !qobject_cast<QAbstractSpinBox*>(w->parentWidget()));
        if (input) QVERIFY2(w->focusPolicy() & Qt::TabFocus, qPrintable(w->objectName()));
    }
}

void tst_pages::gridVisibilityAndAutoResize_data() {
    QTest::addColumn<int>("clientWidth");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("lineWidth");
    QTest::addColumn<int>("columnWidth");
    QTest::newRow("two columns, 457") << 457 << 2 << 1 << 228;
    QTest::newRow("two columns, 458") << 458 << 2 << 1 << 228;
    QTest::newRow("five columns, 400") << 400 << 5 << 1 << 79;
    QTest::newRow("one column") << 300 << 1 << 1 << 300;
    QTest::newRow("wide lines") << 100 << 3 << 2 << 32;
}

void tst_pages::gridVisibilityAndAutoResize() {
    QFETCH(int, clientWidth);
    QFETCH(int, columns);
    QFETCH(int, lineWidth);
    QFETCH(int, columnWidth);
    QCOMPARE(TPelcorStringGrid::AutoColumnWidth(clientWidth, columns, lineWidth), columnWidth);

    QWidget parent;
    auto* grid = new TPelcorStringGrid(&parent);
    QCOMPARE(grid->RowCount(), 5);
    QCOMPARE(grid->FixedRows(), 1);
    grid->SetRowCount(1);
    QVERIFY(grid->isHidden());
    grid->SetRowCount(5);
    QVERIFY(!grid->isHidden());
    QCOMPARE(grid->rowCount(), 5);
    grid->SetFixedRows(5);
    QVERIFY(grid->isHidden());
    grid->SetFixedRows(1);

    grid->SetColCount(columns);
    grid->SetAutoResize(true);
    parent.show();
    grid->resize(clientWidth + 2 * grid->frameWidth(), 200);
    QApplication::processEvents();
    QCOMPARE(grid->DefaultColWidth(),
             TPelcorStringGrid::AutoColumnWidth(grid->viewport()->width(), columns, grid->GridLineWidth()));
}

void tst_pages::gridCsvRoundTrip_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("line");
    QTest::newRow("plain") << QStringList{"Protocol", "Arvel"} << "Protocol,Arvel";
    QTest::newRow("blank") << QStringList{"a b", "x"} << "\"a b\",x";
    QTest::newRow("comma and quote") << QStringList{"1,2", "say \"hi\""} << "\"1,2\",\"say \"\"hi\"\"\"";
    QTest::newRow("empty cell") << QStringList{"", "Value"} << "\"\",Value";
    QTest::newRow("control character") << QStringList{"tab\there", "x"} << "\"tab\there\",x";
}

void tst_pages::gridCsvRoundTrip() {
    QFETCH(QStringList, cells);
    QFETCH(QString, line);
    QCOMPARE(TPelcorStringGrid::CsvLine(cells), line);
    QCOMPARE(TPelcorStringGrid::CsvFields(line), cells);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("summary.csv"));
    QWidget parent;
    TPelcorStringGrid saved(&parent);
    saved.SetColCount(2);
    saved.SetRowCount(3);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            saved.SetCell(column, row, cells[column] + QString(row, QLatin1Char(' ')));
    saved.SaveToCSV(file);

    TPelcorStringGrid loaded(&parent);
    loaded.SetRowCount(2); // a longer file adds rows
    loaded.LoadFromCSV(file);
    QCOMPARE(loaded.ColCount(), 2); // lines shorter than the grid's five columns narrow it
    QCOMPARE(loaded.RowCount(), 3);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            QCOMPARE(loaded.Cell(column, row), saved.Cell(column, row));

    QVERIFY_THROWS_EXCEPTION(EZcfgError, loaded.LoadFromCSV(dir.filePath(QStringLiteral("missing.csv"))));
}

QTEST_MAIN(tst_pages)
#include "tst_pages.moc"
