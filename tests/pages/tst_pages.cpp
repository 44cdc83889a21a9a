// The device pages through their real widgets: every bound control shows its property's value
// whatever set it, changes made with the mouse and keyboard reach the document as one undo step, and
// the pages' own displays follow the device's rules. Also the summary grid on its own.

#include "PageHost.h"
#include "app/PelcorStringGrid.h"
#include "app/pages/FactoryPages.h"
#include "app/pages/ZonalIndicatorPage.h"
#include "property/controls/PelControls.h"
#include "property/controls/PelSpinEdit.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <vector>

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
        // A value the list does not offer shows as no selection, never as a neighbouring value.
        const int index = dynamic_cast<IItemListControl*>(w)->ItemIndex(), held = list->AsInteger();
        return {index < 0 ? QStringLiteral("none") : QString::number(list->IndexToValue(index)),
                list->ShownIndex(held) < 0 ? QStringLiteral("none") : QString::number(held)};
    }
    QString shown, held;
    if (auto* set = dynamic_cast<tPelEnumSetProperty*>(p)) {
        auto* box = static_cast<TPelCheckListBox*>(w);
        for (int i = 0; i < box->Count(); ++i) {
            shown += box->Checked(i) ? '1' : '0';
            held += set->IsFlagSet(set->IndexToValue(i)) ? '1' : '0';
        }
    }
    return {shown, held};
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
        QVERIFY2(shown == held, qPrintable(QStringLiteral("%1: %2 shows %3, %4 holds %5")
                                               .arg(QLatin1String(when), widget->objectName(), shown,
                                                    property->Name(), held)));
    }
}

// A click on the box's indicator, where a user clicks it.
void clickBox(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// The input a user gives the control to change its value.
void changeByHand(QWidget* widget) {
    if (auto* group = qobject_cast<TPelRadioGroup*>(widget))
        clickBox(group->Button(group->ItemIndex() == 0 ? 1 : 0));
    else if (auto* box = qobject_cast<QAbstractButton*>(widget))
        clickBox(box);
    else if (qobject_cast<QComboBox*>(widget))
        QTest::keyClick(widget, Qt::Key_Down);
    else if (qobject_cast<QAbstractSpinBox*>(widget))
        QTest::keyClick(widget, Qt::Key_Up);
    else {
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Home);
        QTest::keyClick(widget, Qt::Key_7);
    }
}

struct tAddressShown {
    int node, zone;
    const char* shown;
};

struct tTypeCase {
    const char* name;
    int type, bindings;              // properties bound on the type's page
    std::vector<const char*> inputs; // controls changed by hand, one of each kind on the page
    const char* addressBox;          // the read-only area or zone of the device's address
    std::vector<tAddressShown> addresses;
};

// clang-format off
const tTypeCase typeCases[] = {
    {"staff", 1, 14, {"ComboBoxTransmissionProtocol", "CheckBoxPullSnapRFEnable", "PelSpinEditIDCode",
                      "MaskEditWorksOrder"}, nullptr, {}},
    {"pendant", 2, 4, {"ComboBoxPendantPushButtonA", "PelSpinEditChargeCycles"}, nullptr, {}},
    {"MPD call point", 3, 13, {"CheckBoxTailCallEnable", "RadioGroupSpecialCallType"},
     "EditMPDCallPointArea", {{3, 1, "A"}, {1, 1, "Unassigned"}}},
    {"MPD monitor point", 4, 9, {"RadioGroupMPD_MPCallType"}, nullptr, {}},
    {"MPD day/night switch", 5, 5, {"RadioGroupLEDOperation"}, nullptr, {}},
    {"relay output", 6, 9, {"CheckBoxActiveInAttack"}, "EditRelayZone", {{1, 12, "Unassigned"}, {5, 12, "12"}}},
    {"zone indicator", 7, 23, {"ComboBoxEmergencyToneType", "CheckBoxZonalHTM2015Enabled"},
     "EditZoneIndicatorZone", {{1, 3, "Unassigned"}, {5, 12, "12"}}},
    {"ZX250 call point", 8, 12, {"ComboBox250SlaveInput", "CheckBox250SounderEnabled"},
     "EditZX250Area", {{0, 2, "B"}}}, // node 0 is node 256
};
// clang-format on
} // namespace

class tst_pages : public QObject {
    Q_OBJECT

private slots:
    void init() {
        host = std::make_unique<tPageHost>();
        host->window->show();
    }
    void cleanup() { host.reset(); }

    void devicePage_data();
    void devicePage();
    void zoneIndicatorHTMLayoutBothWays();
    void transmitterFactoryPage();
    void unbindReleasesOnlyThePagesOwnBindings();
    void commentsMemoFollowsNewAndLoad();
    void switchingTypesAndUndoingAll();
    void keyboardAccess_data();
    void keyboardAccess();
    void gridVisibilityAndAutoResize();
    void gridCsvRoundTrip_data();
    void gridCsvRoundTrip();

private:
    std::unique_ptr<tPageHost> host;
};

void tst_pages::devicePage_data() {
    QTest::addColumn<int>("row");
    for (int row = 0; row < int(std::size(typeCases)); ++row)
        QTest::newRow(typeCases[row].name) << row;
}

// Every editable control of a type's page is bound. A change through a control reaches the document
// as one undo step, and Undo puts back the value in both. The address displays follow either part of
// the address, in either order. After a configuration is loaded and after New, each bound control
// shows what the document holds.
void tst_pages::devicePage() {
    QFETCH(int, row);
    const tTypeCase& c = typeCases[row];
    tZCfgFile& document = *host->document;
    TDevicePage* page = host->Show(c.type);
    auto* factory = static_cast<TFactoryConfigPage*>(host->Page(8));
    const auto bound = bindingsOn(document, page);
    QCOMPARE(bound.size(), c.bindings);
    QCOMPARE(unboundControls(document.Device(), page), QStringList());

    if (c.type <= 2) {
        factory->show(); // in front for its own controls
        document.AsIRRFDevice()->FactoryRecord()->SW()->SetValueText(QStringLiteral("02A0"));
    }
    for (const char* control : c.inputs) {
        host->undo.Clear();
        const auto all = bindingsOn(document, host->window.get());
        const auto it =
            std::find_if(all.begin(), all.end(), [&](auto b) { return b.second->objectName() == control; });
        QVERIFY2(it != all.end(), control);
        const auto [property, widget] = *it;
        const QString before = property->Value();
        changeByHand(widget);
        QVERIFY2(property->Value() != before, control);
        verifyShown(document, page, "after input");
        QVERIFY(host->undo.CanUndo());
        host->undo.Undo();
        QCOMPARE(property->Value(), before);
        QVERIFY2(!host->undo.CanUndo(), control); // the input was one step
        verifyShown(document, page, "after undo");
        verifyShown(document, factory, "factory page after undo");
    }

    if (c.addressBox) {
        auto* edit = host->window->findChild<QLineEdit*>(c.addressBox);
        QVERIFY(edit && !edit->isEnabled());
        QCOMPARE(edit->text(), QStringLiteral("Unassigned")); // a new device has no node address
        tOtherDevice* device = document.AsOtherDevice();
        for (const tAddressShown& a : c.addresses) {
            device->NodeAddress()->SetAsInteger(a.node);
            device->ZoneGroupAddress()->SetAsInteger(a.zone);
            QCOMPARE(edit->text(), QString::fromLatin1(a.shown));
            device->NodeAddress()->SetAsInteger(1);
            device->NodeAddress()->SetAsInteger(a.node);
            QCOMPARE(edit->text(), QString::fromLatin1(a.shown));
        }
    }

    // A configuration of the type with every value changed, saved and loaded into the bound pages.
    std::unique_ptr<tZCfgFile> source(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    source->SetDeviceType(uint8_t(c.type));
    if (c.type <= 2) {
        tIRRFFactoryRecord* record = source->AsIRRFDevice()->FactoryRecord();
        record->SW()->SetValueText(QStringLiteral("02A0"));
        // A staff revision in a pendant file, shown as it is.
        record->HW()->SetValueText(QStringLiteral("01T2"));
    }
    changeEveryValue(source->Device());
    const tLoadResult loaded = document.LoadFromLines(source->ToLines());
    QVERIFY2(loaded.touchedDocument(), qPrintable(loaded.message));
    verifyShown(document, page, "after load");
    verifyShown(document, factory, "factory page after load");

    document.SetModified(false);
    QVERIFY(document.NewDocument());
    document.SetDeviceType(uint8_t(c.type));
    verifyShown(document, page, "after New");

    // Only the transmitters have a configuration summary.
    factory->Bind(document);
    QCOMPARE(factory->SummaryDeviceType(), c.type);
    QCOMPARE(factory->ui.PelcorStringGridConfigSummary->isHidden(), c.type > 2);
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

// The factory page of the transmitters: the hardware mask by kind, the factory values mirrored on both
// transmitter pages, the special flags, and the summary of the transmitter shown, which follows a
// change of type.
void tst_pages::transmitterFactoryPage() {
    auto* factory = static_cast<TFactoryConfigPage*>(host->Page(8));
    TPelcorStringGrid* grid = factory->ui.PelcorStringGridConfigSummary;
    for (auto [type, mask] : {std::pair{1, "00T0;1"}, {2, "00P0;1"}, {1, "00T0;1"}}) {
        host->Show(type);
        QCOMPARE(factory->ui.MaskEditHardwareRevision->EditMask(), QString::fromLatin1(mask));
        if (type == 2) QCOMPARE(factory->ui.MaskEditHardwareRevision->text(), QStringLiteral("00P0"));
    }
    tIRRFButton* pullSnap = host->document->AsIRRFDevice()->UserRecord()->Button(3);
    pullSnap->BeeperSounds()->SetAsBoolean(true);
    pullSnap->RFEnabled()->SetAsBoolean(false);
    factory->PageShown();
    QCOMPARE(grid->RowCount(), 15);
    QVERIFY(!grid->isHidden());
    QCOMPARE(grid->Cell(0, 4), QStringLiteral("Pull Snap Beeper"));
    QCOMPARE(grid->Cell(1, 4), QStringLiteral("Enabled"));
    QCOMPARE(grid->Cell(1, 5), QStringLiteral("Disabled"));
    QCOMPARE(grid->Cell(1, 1),
             host->window->findChild<QComboBox*>("ComboBoxTransmissionProtocol")->currentText());
    QCOMPARE(grid->Cell(0, 14), QStringLiteral("Radio Group Address"));

    auto verifyMirrors = [&](std::initializer_list<const char*> boxes, const QString& text) {
        for (const char* box : boxes)
            QCOMPARE(host->window->findChild<QLineEdit*>(box)->text(), text);
    };
    factory->show();
    factory->ui.MaskEditWorksOrder->setFocus();
    QTest::keyClick(factory->ui.MaskEditWorksOrder, Qt::Key_Home);
    QTest::keyClicks(factory->ui.MaskEditWorksOrder, QStringLiteral("1234"));
    const QString typed = factory->ui.MaskEditWorksOrder->text();
    QVERIFY(typed.startsWith(QStringLiteral("1234")));
    verifyMirrors({"EditWorksOrderRead", "EditIRRFPendantWorksOrder"}, typed);
    tIRRFFactoryRecord* record = host->document->AsIRRFDevice()->FactoryRecord();
    record->SW()->SetValueText(QStringLiteral("0312"));
    record->HW()->SetValueText(QStringLiteral("05T2"));
    verifyMirrors({"EditFirmwareRevRead", "EditIRRFPendantFirmwareRev"}, QStringLiteral("0312"));
    verifyMirrors({"EditHardwareRevRead", "EditIRRFPendantHardwareRev"}, QStringLiteral("05T2"));
    const auto flags = {"EditStaffTransmitterSFFlags", "EditPendantSFFlags"};
    verifyMirrors(flags, QStringLiteral("007"));
    record->SF()->SetFlag(sf_Allow_Attendance, false);
    verifyMirrors(flags, QStringLiteral("003"));
    host->undo.Undo();
    verifyMirrors(flags, QStringLiteral("007"));

    host->Show(2);
    const QStringList labels = {"Property", "Button Mode", "Button RF", "Transmitter ID Code",
                                "Radio Group Address"};
    QCOMPARE(grid->RowCount(), 5);
    QCOMPARE(grid->rowCount(), 5);
    for (int row = 0; row < labels.size(); ++row)
        QCOMPARE(grid->Cell(0, row), labels[row]);
    host->Show(5);
    factory->Bind(*host->document);
    QVERIFY(grid->isHidden());
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
    const tLines lines = source->ToLines();
    int last = 0;
    while (last < lines.size() && !lines[last].endsWith(QStringLiteral("// second")))
        ++last;
    QVERIFY(last < lines.size());
    host->document->LoadFromLines(lines.mid(0, last + 1)); // the file ends inside the comment
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
    int shown = host->document->GetDeviceType();
    for (int steps = 0; host->undo.CanUndo() && steps < 100; ++steps) {
        host->undo.Undo();
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
    QStringList faults;
    auto claim = [&](const QString& text, const QString& owner) {
        const int at = int(text.indexOf(QLatin1Char('&')));
        if (at < 0 || at + 1 >= text.size()) return false;
        const QChar key = text[at + 1].toLower();
        if (mnemonics.contains(key)) faults << owner + QStringLiteral(" repeats &") + key;
        // The main menu's File, Edit, Device, Help and Tools keep their letters.
        if (QStringLiteral("fedht").contains(key))
            faults << owner + QStringLiteral(" takes a menu's &") + key;
        mnemonics.insert(key);
        return true;
    };
    for (QLabel* label : sheet->findChildren<QLabel*>())
        if (claim(label->text(), label->objectName()) && !label->buddy())
            faults << label->objectName() + " leads nowhere";
    for (QAbstractButton* button : sheet->findChildren<QAbstractButton*>()) {
        claim(button->text(), button->objectName());
        const int needed = button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&'));
        if (!button->isHidden() && button->width() < needed) faults << button->objectName() + " is clipped";
    }
    for (QGroupBox* group : sheet->findChildren<QGroupBox*>())
        claim(group->title(), group->objectName());
    for (QPlainTextEdit* note : sheet->findChildren<QPlainTextEdit*>())
        for (QTextBlock line = note->document()->begin(); note->isReadOnly() && line.isValid();
             line = line.next())
            if (line.layout()->lineCount() > 1) faults << note->objectName() + " breaks a line";
    for (QWidget* w : sheet->findChildren<QWidget*>()) {
        const bool input = qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w) ||
                           qobject_cast<QAbstractSpinBox*>(w) ||
                           (qobject_cast<QLineEdit*>(w) && !static_cast<QLineEdit*>(w)->isReadOnly() &&
                            !qobject_cast<QAbstractSpinBox*>(w->parentWidget()));
        if (input && !(w->focusPolicy() & Qt::TabFocus)) faults << w->objectName() + " has no Tab";
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral(", "))));
}

// A grid with no rows below its fixed ones is hidden; an auto-resized grid shares its width out
// between its columns, less the lines between them.
void tst_pages::gridVisibilityAndAutoResize() {
    QWidget parent;
    auto* grid = new TPelcorStringGrid(&parent);
    grid->SetRowCount(1);
    QVERIFY(grid->isHidden());
    grid->SetRowCount(5);
    QVERIFY(!grid->isHidden());
    QCOMPARE(grid->rowCount(), 5);
    grid->SetFixedRows(5);
    QVERIFY(grid->isHidden());
    grid->SetFixedRows(1);

    grid->SetAutoResize(true);
    parent.show();
    // client width, columns, line width, column width
    for (auto [client, columns, line, width] :
         {std::array{457, 2, 1, 228}, {458, 2, 1, 228}, {400, 5, 1, 79}, {300, 1, 1, 300}, {100, 3, 2, 32}}) {
        QCOMPARE(TPelcorStringGrid::AutoColumnWidth(client, columns, line), width);
        grid->SetColCount(columns);
        grid->resize(client + 2 * grid->frameWidth(), 200);
        QApplication::processEvents();
        QCOMPARE(grid->DefaultColWidth(), TPelcorStringGrid::AutoColumnWidth(grid->viewport()->width(),
                                                                             columns, grid->GridLineWidth()));
    }
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
    TPelcorStringGrid saved(&parent), loaded(&parent);
    saved.SetColCount(2);
    saved.SetRowCount(3);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            saved.SetCell(column, row, cells[column] + QString(row, QLatin1Char(' ')));
    saved.SaveToCSV(file);
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
