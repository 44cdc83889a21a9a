// The configuration document as the editor uses it: files, device types, the combo box, the
// caption, the save prompt and undo/redo wired the way the main window wires them.
#include "app/PelRegistry.h"
#include "app/PelSaveDialog.h"
#include "app/UnitFileNotSaved.h"
#include "app/UnitUndoList.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "property/PelError.h"
#include "property/TextFile.h"
#include "property/controls/PelFileMenus.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QtTest>

namespace {

std::unique_ptr<tZCfgFile> newDocument(uint8_t type = dt_None) {
    std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    if (type != dt_None) doc->SetDeviceType(type);
    doc->SetModified(false);
    return doc;
}

// Captures every message box instead of showing it.
struct Messages {
    QStringList warnings, errors;
    MessagePresenter previous;
    Messages() {
        previous = SetMessagePresenter([this](MessageKind kind, const QString& text) {
            (kind == MessageKind::Warning ? warnings : errors) << text;
        });
    }
    ~Messages() { SetMessagePresenter(previous); }
};

class FakeCombo : public IComboBox {
public:
    bool IsEnabled() const override { return enabled; }
    void SetEnabled(bool e) override { enabled = e; }
    QStringList Items() const override { return items; }
    void ClearItems() override { items.clear(), index = -1; }
    void AddItem(const QString& text) override { items << text; }
    int ItemIndex() const override { return index; }
    void SetItemIndex(int i) override { index = i; }
    bool IsDropDownList() const override { return true; }
    tNotifyEvent OnChange() const override { return handler; }
    void SetOnChange(tNotifyEvent h) override { handler = std::move(h); }
    void choose(int i) {
        index = i;
        if (handler) handler(this);
    }
    bool enabled = true;
    QStringList items;
    int index = -1;
    tNotifyEvent handler;
};

class FakeForm : public IMainForm {
public:
    QString Caption() const override { return caption; }
    void SetCaption(const QString& c) override { caption = c; }
    tCloseQueryEvent OnCloseQuery() const override { return closeQuery; }
    void SetOnCloseQuery(tCloseQueryEvent h) override { closeQuery = std::move(h); }
    void CloseWindow() override {}
    QString caption = QStringLiteral("Zentara Configurator");
    tCloseQueryEvent closeQuery;
};

// The undo manager wired to the document as the main window wires it.
struct UndoWiring {
    tUndoRedo undo;
    explicit UndoWiring(tZCfgFile& doc) {
        doc.SetOnBeginChange([this](tPelBaseProperty*, tChangeKind, const QString&) { undo.BeginGroup(); });
        doc.SetOnEndChange([this](tPelBaseProperty*, tChangeKind, const QString&) { undo.EndGroup(); });
        doc.SetOnRecordUndo([this](tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
            kind == ckReset ? undo.Clear() : undo.Record(0, sender, kind, text);
        });
        doc.SetOnRecordRedo([this](tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
            undo.RecordRedo(sender, kind, text);
        });
        undo.Clear();
    }
};

QString tempPath(QTemporaryDir& dir, const char* name) {
    return dir.filePath(QLatin1String(name));
}

} // namespace

class TestDocument : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveLoadSaveGivesTheSameFile_data();
    void saveLoadSaveGivesTheSameFile();
    void shortFormatFileLoads();
    void loadingAnotherTypeReplacesTheDevice();
    void staffAndPendantShareValuesOtherClassesStartAfresh();
    void failedOpenLeavesTheDocumentAlone_data();
    void failedOpenLeavesTheDocumentAlone();
    void problemsAreShownInOneWarning();
    void failedSaveLosesNothing();
    void promptSavesWhereTheUserLastSaved();
    void captionFollowsFileAndEdits();
    void commentsKeepEveryCharacter();
    void undoRedoThroughRealChanges();
    void oneUndoRestoresAReplacedDevice();
    void loadingAndNewForgetTheHistory();
    void comboModes();
    void zoneAddressDisplays_data();
    void zoneAddressDisplays();
    void typedAccessRefusesTheWrongClass();
    void anUnnamedDocumentAsksForANameBeforeSaving_data();
    void anUnnamedDocumentAsksForANameBeforeSaving();
    void recentFilesFollowEverySaveAndOpen();
    void aValueTheFileCannotHoldIsKeptAndWarnedAbout();
    void newKeepsTheDeviceTypeWithItsDefaults_data();
    void newKeepsTheDeviceTypeWithItsDefaults();
    void valuesNoRecordCanCarryAreReportedAtTheirLine_data();
    void valuesNoRecordCanCarryAreReportedAtTheirLine();
};

void TestDocument::saveLoadSaveGivesTheSameFile_data() {
    QTest::addColumn<int>("type");
    for (int type = dt_Staff_Transmitter; type <= dt_ZX250_Call_Point; ++type)
        QTest::newRow(qPrintable(EnumTypeInfo<tDevType>().NameOf(type))) << type;
}

void TestDocument::saveLoadSaveGivesTheSameFile() {
    QFETCH(int, type);
    QTemporaryDir dir;
    auto doc = newDocument(uint8_t(type));
    doc->Comments()->SetLinesFrom(
        {QStringLiteral("Ward 7"), QStringLiteral(" "), QStringLiteral("  indented // slashes")});
    QString error;
    QVERIFY(doc->SaveToFile(tempPath(dir, "a.zcf"), error));
    auto loaded = newDocument();
    QCOMPARE(loaded->LoadFromFile(tempPath(dir, "a.zcf")).status, tLoadResult::Loaded);
    QCOMPARE(loaded->GetDeviceType(), uint8_t(type));
    QVERIFY(loaded->SaveToFile(tempPath(dir, "b.zcf"), error));
    QFile a(tempPath(dir, "a.zcf")), b(tempPath(dir, "b.zcf"));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray bytes = a.readAll();
    QCOMPARE(b.readAll(), bytes);
    QVERIFY(bytes.startsWith("File ZCFG File\r\n"));
    QVERIFY(bytes.endsWith("\r\nEnd File\r\n"));
}

void TestDocument::shortFormatFileLoads() {
    auto doc = newDocument(dt_Relay_Output);
    doc->AsRelayOutput()->ActiveInAttack()->SetAsBoolean(true);
    const QStringList lines = doc->ToLines(true);
    QCOMPARE(lines.first(), QStringLiteral("ZCFG File"));
    auto loaded = newDocument(dt_Staff_Transmitter);
    const tLoadResult result = loaded->LoadFromLines(lines);
    QCOMPARE(result.errors.size(), 1);
    QCOMPARE(result.errors.first().Text,
             QStringLiteral("Warning - Short format. May not be backwards compatible"));
    QVERIFY(loaded->AsRelayOutput()->ActiveInAttack()->AsBoolean());
}

void TestDocument::loadingAnotherTypeReplacesTheDevice() {
    auto zone = newDocument(dt_Zone_Indicator);
    zone->AsZonalIndicator()->ModeData(3)->Tone()->SetAsInteger(zt_Red_Alert);
    zone->AsZonalIndicator()->HTM2015Enabled()->SetAsBoolean(true);
    auto doc = newDocument(dt_Staff_Transmitter);
    QCOMPARE(doc->LoadFromLines(zone->ToLines()).status, tLoadResult::Loaded);
    tZonalIndicator* loaded = doc->AsZonalIndicator();
    QCOMPARE(loaded->ModeData(3)->Tone()->AsInteger(), int(zt_Red_Alert));
    QVERIFY(loaded->HTM2015Enabled()->AsBoolean());
    QCOMPARE(doc->Children().Count(), 3);
}

void TestDocument::staffAndPendantShareValuesOtherClassesStartAfresh() {
    auto doc = newDocument(dt_Staff_Transmitter);
    doc->AsIRRFDevice()->UserRecord()->ID()->SetAsInteger(77);
    tIRRFDevice* transmitter = doc->AsIRRFDevice();
    doc->SetDeviceType(dt_Pendant_Transmitter);
    QCOMPARE(doc->AsIRRFDevice(), transmitter);
    QCOMPARE(doc->AsIRRFDevice()->UserRecord()->ID()->AsInteger(), 77);
    doc->SetDeviceType(dt_Relay_Output);
    doc->SetDeviceType(dt_Staff_Transmitter);
    QCOMPARE(doc->AsIRRFDevice()->UserRecord()->ID()->AsInteger(), 0);
}

void TestDocument::failedOpenLeavesTheDocumentAlone_data() {
    QTest::addColumn<QByteArray>("content"); // empty name: no file at all
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << QString();
    QTest::newRow("empty") << QByteArray("") << QStringLiteral("Empty File");
    QTest::newRow("not a configuration")
        << QByteArray("Hello\r\nWorld\r\n") << QStringLiteral("Error - wrong file");
    QTest::newRow("binary") << QByteArray("\x00\x01(\xff\x04", 5) << QStringLiteral("Error - wrong file");
}

void TestDocument::failedOpenLeavesTheDocumentAlone() {
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString mine = tempPath(dir, "mine.zcf");
    const QString other = tempPath(dir, "other.zcf");
    auto doc = newDocument(dt_Relay_Output);
    QString error;
    QVERIFY(doc->SaveToFile(mine, error));
    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    if (QTest::currentDataTag() != QLatin1String("missing")) {
        QFile file(other);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    Messages messages;
    bool ok = true;
    doc->LoadFile(doc.get(), ok, other);
    QVERIFY(!ok);
    QCOMPARE(messages.errors.size(), 1);
    QVERIFY(messages.errors.first().contains(QStringLiteral("other.zcf")));
    if (!reason.isEmpty()) QVERIFY(messages.errors.first().endsWith(reason));
    QCOMPARE(doc->FileName(), mine);
    QVERIFY(doc->Modified());
    QVERIFY(doc->AsRelayOutput()->ActiveInCall()->AsBoolean());
}

void TestDocument::problemsAreShownInOneWarning() {
    QTemporaryDir dir;
    QStringList lines = newDocument(dt_Relay_Output)->ToLines();
    for (int i = 0; i < 12; ++i)
        lines.insert(2, QStringLiteral("  Stray%1 = %1").arg(i));
    lines.removeLast(); // no end line
    QString error;
    QVERIFY(WriteTextFile(tempPath(dir, "bad.zcf"), lines, error));

    auto doc = newDocument(dt_Staff_Transmitter);
    TPelSaveDialog dialog;
    TPelRegistry registry(tempPath(dir, "settings.ini"));
    dialog.SetPelRegistry(&registry);
    doc->SetSaveDialog(&dialog);
    Messages messages;
    QVERIFY(!doc->Open(tempPath(dir, "bad.zcf")));
    QCOMPARE(messages.warnings.size(), 1);
    const QStringList shown = messages.warnings.first().split(QLatin1Char('\n'));
    QCOMPARE(shown.size(), 12); // heading, ten problems, "... and 3 more"
    QCOMPARE(shown[1], QStringLiteral("Line 3: Unexpected \"Stray11\""));
    QCOMPARE(shown.last(), QStringLiteral("... and 3 more"));
    QCOMPARE(registry.GetHistory(0), QString()); // not added to the history
    QCOMPARE(doc->GetDeviceType(), uint8_t(dt_Relay_Output));
    QCOMPARE(doc->FileName(), tempPath(dir, "bad.zcf"));
}

void TestDocument::failedSaveLosesNothing() {
    QTemporaryDir dir;
    const QString good = tempPath(dir, "good.zcf");
    auto doc = newDocument(dt_Relay_Output);
    QString error;
    QVERIFY(doc->SaveToFile(good, error));
    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    QFile blocker(tempPath(dir, "not-a-folder"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Messages messages;
    bool ok = true;
    doc->SaveFile(doc.get(), ok, tempPath(dir, "not-a-folder/x.zcf"));
    QVERIFY(!ok);
    QCOMPARE(messages.errors.size(), 1);
    QVERIFY(doc->Modified());
    QCOMPARE(doc->FileName(), good);
    auto reread = newDocument();
    QCOMPARE(reread->LoadFromFile(good).status, tLoadResult::Loaded);
    QVERIFY(!reread->AsRelayOutput()->ActiveInCall()->AsBoolean());
}

void TestDocument::promptSavesWhereTheUserLastSaved() {
    QTemporaryDir dir;
    const QString first = tempPath(dir, "first.zcf");
    const QString second = tempPath(dir, "second.zcf");
    auto doc = newDocument(dt_Relay_Output);
    TPelSaveDialog dialog;
    doc->SetSaveDialog(&dialog);
    dialog.SetAskSaveFileName([&](const QString&) { return std::optional<QString>(second); });
    QString error;
    QVERIFY(doc->SaveToFile(first, error));
    QVERIFY(doc->Open(first));
    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    QVERIFY(doc->SaveAs(QString()));
    QCOMPARE(doc->FileName(), second);
    doc->AsRelayOutput()->ActiveInMPCall()->SetAsBoolean(true);
    dialog.SetAskNotSaved([] { return TPelSaveDialog::NotSavedAnswer::Yes; });
    bool canClose = true;
    doc->CloseQuery(doc.get(), canClose);
    QVERIFY(canClose);
    auto reread = newDocument();
    QCOMPARE(reread->LoadFromFile(second).status, tLoadResult::Loaded);
    QVERIFY(reread->AsRelayOutput()->ActiveInMPCall()->AsBoolean());
    QCOMPARE(reread->LoadFromFile(first).status, tLoadResult::Loaded);
    QVERIFY(!reread->AsRelayOutput()->ActiveInCall()->AsBoolean()); // the first file is untouched

    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(false);
    dialog.SetAskNotSaved([] { return TPelSaveDialog::NotSavedAnswer::Cancel; });
    QVERIFY(!doc->NewDocument());
    QCOMPARE(doc->GetDeviceType(), uint8_t(dt_Relay_Output));
}

void TestDocument::captionFollowsFileAndEdits() {
    QTemporaryDir dir;
    FakeForm form; // outlives the document, which hands its close check back when destroyed
    auto doc = newDocument(dt_Relay_Output);
    doc->SetMainForm(&form);
    QCOMPARE(form.caption, QStringLiteral("Zentara Configurator - <No Name>"));
    QString error;
    QVERIFY(doc->SaveToFile(tempPath(dir, "site.zcf"), error));
    QCOMPARE(form.caption, QStringLiteral("Zentara Configurator - site.zcf"));
    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    QCOMPARE(form.caption, QStringLiteral("Zentara Configurator - site.zcf *"));
    QVERIFY(doc->NewDocument()); // no dialog: nothing to ask
    QCOMPARE(form.caption, QStringLiteral("Zentara Configurator - <No Name>"));
}

void TestDocument::commentsKeepEveryCharacter() {
    QTemporaryDir dir;
    auto doc = newDocument(dt_Relay_Output);
    const QStringList comment = {QString::fromUtf8("Bay 3 – Ωmega wing ✓"), QString::fromUtf8("Café")};
    doc->Comments()->SetLinesFrom(comment);
    QString error;
    QVERIFY(doc->SaveToFile(tempPath(dir, "u.zcf"), error));
    auto reread = newDocument();
    QCOMPARE(reread->LoadFromFile(tempPath(dir, "u.zcf")).status, tLoadResult::Loaded);
    QCOMPARE(reread->Comments()->Lines(), comment);

    // A file written on a Windows desktop, in its code page without a byte-order mark.
    QFile windows(tempPath(dir, "w.zcf"));
    QVERIFY(windows.open(QIODevice::WriteOnly));
    windows.write(
        "File ZCFG File\r\n  Device Type = dt_Relay_Output\r\n  Memo Comments\r\n    // Caf\xE9 \x80\r\n"
        "  End Memo\r\nEnd File\r\n");
    windows.close();
    QCOMPARE(reread->LoadFromFile(tempPath(dir, "w.zcf")).status, tLoadResult::Loaded);
    QCOMPARE(reread->Comments()->Lines(), QStringList{QString::fromUtf8("Café €")});
}

void TestDocument::undoRedoThroughRealChanges() {
    auto doc = newDocument(dt_Zone_Indicator);
    UndoWiring wiring(*doc);
    tZonalIndicator* zone = doc->AsZonalIndicator();
    zone->HTM2015Tone()->SetAsInteger(tone2015_2800Hz);
    wiring.undo.Clear();
    // Enabling HTM2015 also resets the tone and disables the row tones: one step.
    zone->HTM2015Enabled()->SetAsBoolean(true);
    QCOMPARE(zone->HTM2015Tone()->AsInteger(), int(tone2015_800Hz));
    wiring.undo.Undo();
    QVERIFY(!zone->HTM2015Enabled()->AsBoolean());
    QCOMPARE(zone->HTM2015Tone()->AsInteger(), int(tone2015_2800Hz));
    QVERIFY(!wiring.undo.CanUndo());
    wiring.undo.Redo();
    QVERIFY(zone->HTM2015Enabled()->AsBoolean());
    QCOMPARE(zone->HTM2015Tone()->AsInteger(), int(tone2015_800Hz));

    // Three changes, two undos, then a new change: redo is gone, the first change stays.
    wiring.undo.Clear();
    zone->ModeData(1)->Tone()->SetAsInteger(zt_Beep);
    zone->ModeData(2)->Tone()->SetAsInteger(zt_Beep);
    zone->ModeData(3)->Tone()->SetAsInteger(zt_Beep);
    wiring.undo.Undo();
    wiring.undo.Undo();
    QCOMPARE(zone->ModeData(2)->Tone()->AsInteger(), int(zt_Monitor_Point_Call));
    wiring.undo.Redo();
    wiring.undo.Redo();
    QCOMPARE(zone->ModeData(3)->Tone()->AsInteger(), int(zt_Beep));
    wiring.undo.Undo();
    zone->ModeData(4)->Tone()->SetAsInteger(zt_Beep);
    QVERIFY(!wiring.undo.CanRedo());
    QCOMPARE(zone->ModeData(1)->Tone()->AsInteger(), int(zt_Beep));
}

void TestDocument::oneUndoRestoresAReplacedDevice() {
    auto doc = newDocument(dt_Staff_Transmitter);
    UndoWiring wiring(*doc);
    doc->AsIRRFDevice()->UserRecord()->ID()->SetAsInteger(42);
    const QStringList before = doc->ToLines();
    int pageSwitches = 0;
    doc->SetOnDeviceTypeChanged([&](uint8_t) { ++pageSwitches; });
    doc->DeviceTypeProperty()->SetAsInteger(dt_Relay_Output); // as a choice in the combo box
    QCOMPARE(doc->GetDeviceType(), uint8_t(dt_Relay_Output));
    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    wiring.undo.Undo();
    wiring.undo.Undo();
    QCOMPARE(doc->ToLines(), before);
    QCOMPARE(doc->AsIRRFDevice()->UserRecord()->ID()->AsInteger(), 42);
    wiring.undo.Redo();
    wiring.undo.Redo();
    QVERIFY(doc->AsRelayOutput()->ActiveInCall()->AsBoolean());
    QVERIFY(pageSwitches >= 3);
    wiring.undo.Undo();
    wiring.undo.Undo();
    QCOMPARE(doc->ToLines(), before);
    // Setting the type switches the page once, not once more for the type property's own change.
    pageSwitches = 0;
    doc->SetDeviceType(dt_Relay_Output);
    QCOMPARE(pageSwitches, 1);
}

void TestDocument::loadingAndNewForgetTheHistory() {
    auto doc = newDocument(dt_Relay_Output);
    UndoWiring wiring(*doc);
    const QStringList file = doc->ToLines();
    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    QVERIFY(wiring.undo.CanUndo());
    QCOMPARE(doc->LoadFromLines(file).status, tLoadResult::Loaded);
    QVERIFY(!wiring.undo.CanUndo() && !wiring.undo.CanRedo());
    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    QVERIFY(doc->NewDocument());
    QVERIFY(!wiring.undo.CanUndo() && !wiring.undo.CanRedo());
}

void TestDocument::comboModes() {
    FakeCombo combo; // outlives the document, which hands the combo its handler back when destroyed
    auto doc = newDocument(dt_Staff_Transmitter);
    QList<int> modes;
    doc->SetOnComboModeChanged([&](uint8_t mode) { modes << mode; });
    doc->SetDeviceCombo(&combo);
    QCOMPARE(combo.items.size(), 8);
    QCOMPARE(combo.items.first(), QStringLiteral("ZX140 Staff Transmitter"));
    QCOMPARE(combo.items.last(), QStringLiteral("ZX250/9 or ZX270RX Call Point"));
    combo.choose(3); // the fourth type listed: the MPD monitor point
    QCOMPARE(doc->GetDeviceType(), uint8_t(dt_MPD_Monitor_Point));

    doc->SetComboMode(tZCfgFile::ConfigurationMode);
    QCOMPARE(combo.items,
             QStringList({"ZX310 (Call Point)", "ZX310 (Monitor Point)", "ZX310 (Day/Night Switch)"}));
    QCOMPARE(combo.index, 1);
    tMPD* mpd = doc->AsMPD();
    UndoWiring wiring(*doc);
    combo.choose(0);
    QCOMPARE(doc->GetDeviceType(), uint8_t(dt_MPD_Call_Point));
    QCOMPARE(doc->AsMPD(), mpd);
    QCOMPARE(mpd->GetModeCode(), 0);
    // One choice is one undo step, and undo leaves the type and the mode agreeing.
    wiring.undo.Undo();
    QVERIFY(!wiring.undo.CanUndo());
    QCOMPARE(doc->GetDeviceType(), uint8_t(dt_MPD_Monitor_Point));
    QCOMPARE(mpd->GetModeCode(), 2);
    wiring.undo.Redo();
    QCOMPARE(mpd->GetModeCode(), 0);

    doc->SetComboMode(tZCfgFile::EditMode); // back to the full list, without the variant handler
    QCOMPARE(combo.items.size(), 8);
    combo.choose(2);
    QCOMPARE(doc->GetDeviceType(), uint8_t(dt_MPD_Call_Point));
    QCOMPARE(modes, QList<int>({0, 0, 0, 1, 0})); // assigning, binding, the new device object, then the menu
}

void TestDocument::zoneAddressDisplays_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("mpd call point letter") << int(dt_MPD_Call_Point) << "2"
                                           << "C";
    QTest::newRow("mpd monitor point number") << int(dt_MPD_Monitor_Point) << "2"
                                              << "2";
    QTest::newRow("relay zone 1") << int(dt_Relay_Output) << "1"
                                  << "Unassigned";
    QTest::newRow("relay zone 12") << int(dt_Relay_Output) << "12"
                                   << "12";
    QTest::newRow("zone indicator empty") << int(dt_Zone_Indicator) << ""
                                          << "Unassigned";
    QTest::newRow("zx250 letter") << int(dt_ZX250_Call_Point) << "0"
                                  << "A";
    QTest::newRow("zx250 empty") << int(dt_ZX250_Call_Point) << ""
                                 << "Unassigned";
}

void TestDocument::zoneAddressDisplays() {
    QFETCH(int, type);
    QFETCH(QString, value);
    auto doc = newDocument(uint8_t(type));
    tPelIntegerProperty* zone = doc->AsOtherDevice()->ZoneGroupAddress();
    zone->SetValueText(value);
    QTEST(zone->Translate(zone->Value()), "shown");
}

void TestDocument::typedAccessRefusesTheWrongClass() {
    auto doc = newDocument(dt_Relay_Output);
    QVERIFY_THROWS_EXCEPTION(EZcfgError, doc->AsZonalIndicator());
    QString shown;
    tZCfgFile::DeviceTypeDisplayText(QStringLiteral("mpd call point"), shown);
    QCOMPARE(shown, QStringLiteral("ZX310 (Call Point)"));
    tZCfgFile::DeviceTypeDisplayText(QString(), shown);
    QCOMPARE(shown, QString());
}

// After New, the prompt's Yes asks for a name, whichever command asked; it never saves the new document
// over the file that was open before.
void TestDocument::anUnnamedDocumentAsksForANameBeforeSaving_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("close") << "close";
    QTest::newRow("load") << "load";
    QTest::newRow("recent file") << "recent file";
    QTest::newRow("new") << "new";
}

void TestDocument::anUnnamedDocumentAsksForANameBeforeSaving() {
    QFETCH(QString, command);
    QTemporaryDir dir;
    const QString old = tempPath(dir, "old.zcf");
    FakeForm form;
    TPelRegistry registry(tempPath(dir, "settings.ini"));
    TPelSaveDialog dialog;
    dialog.SetPelRegistry(&registry);
    auto doc = newDocument(dt_Relay_Output);
    doc->SetSaveDialog(&dialog);
    doc->SetMainForm(&form);
    QMainWindow window;
    TPelFileMenus menus(*doc, window.menuBar(), &window);
    QString error;
    QVERIFY(doc->SaveToFile(old, error));
    QVERIFY(doc->Open(old));
    QFile file(old);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    QVERIFY(doc->NewDocument());
    QCOMPARE(form.caption, QStringLiteral("Zentara Configurator - <No Name>"));
    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    QList<TPelSaveDialog::NotSavedAnswer> answers{TPelSaveDialog::NotSavedAnswer::Yes,
                                                  TPelSaveDialog::NotSavedAnswer::No};
    dialog.SetAskNotSaved([&] { return answers.takeFirst(); });
    QStringList asked; // where each save-as dialog started; the user cancels it
    dialog.SetAskSaveFileName([&](const QString& start) {
        asked << start;
        return std::optional<QString>();
    });
    dialog.SetAskOpenFileName([](const QString&) { return std::optional<QString>(); });

    if (command == "close") {
        bool canClose = true;
        doc->CloseQuery(doc.get(), canClose);
        QVERIFY(canClose);
    } else if (command == "load") {
        QVERIFY(!doc->Open(QString()));
    } else if (command == "recent file") {
        menus.HistoryItem(0)->trigger();
    } else {
        QVERIFY(doc->NewDocument());
    }
    QVERIFY(answers.isEmpty()); // Yes, the save was cancelled, so the prompt asked again: No
    QCOMPARE(asked.size(), 1);
    QCOMPARE(QFileInfo(asked.first()).fileName(), QString()); // no old name offered to save over
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestDocument::recentFilesFollowEverySaveAndOpen() {
    QTemporaryDir dir;
    TPelRegistry registry(tempPath(dir, "settings.ini"));
    TPelSaveDialog dialog;
    dialog.SetPelRegistry(&registry);
    auto doc = newDocument(dt_Relay_Output);
    doc->SetSaveDialog(&dialog);
    QMainWindow window;
    TPelFileMenus menus(*doc, window.menuBar(), &window);
    const auto shown = [&] {
        QStringList texts;
        for (int i = 0; i < 10; ++i)
            if (menus.HistoryItem(i)->isVisible()) texts << menus.HistoryItem(i)->text();
        return texts;
    };
    dialog.SetAskSaveFileName([&](const QString&) { return std::optional<QString>(tempPath(dir, "a.zcf")); });
    QVERIFY(doc->SaveAs(QString()));
    QCOMPARE(shown(), QStringList{"&0: a.zcf"});
    QString error;
    QVERIFY(newDocument(dt_Zone_Indicator)->SaveToFile(tempPath(dir, "b.zcf"), error));
    QVERIFY(doc->Open(tempPath(dir, "b.zcf")));
    QCOMPARE(shown(), (QStringList{"&0: b.zcf", "&1: a.zcf"}));
    QVERIFY(doc->Save());
    QCOMPARE(shown(), (QStringList{"&0: b.zcf", "&1: a.zcf"}));
}

// A device may send a value holding "//": the document keeps it whole, and saving says that the file
// cannot store it as it is.
void TestDocument::aValueTheFileCannotHoldIsKeptAndWarnedAbout() {
    QTemporaryDir dir;
    QVERIFY(ValueCanBeStored("a/b /c") && !ValueCanBeStored("a//b") && !ValueCanBeStored("x///"));
    auto doc = newDocument(dt_Relay_Output);
    doc->Device()->Child(QStringLiteral("Factory String"))->SetValueText(QStringLiteral("AB//CD"));
    QCOMPARE(doc->UnstorableValues(), QStringList{"Device/Factory String = AB//CD"});
    Messages messages;
    bool ok = true;
    doc->SaveFile(doc.get(), ok, tempPath(dir, "device.zcf"));
    QVERIFY(ok);
    QVERIFY(messages.errors.isEmpty());
    QCOMPARE(messages.warnings.size(), 1);
    QVERIFY(messages.warnings.first().contains("Device/Factory String = AB//CD"));
    QCOMPARE(doc->Device()->Child(QStringLiteral("Factory String"))->Value(), QStringLiteral("AB//CD"));

    doc->Device()->Child(QStringLiteral("Factory String"))->SetValueText(QStringLiteral("AB/CD"));
    doc->SaveFile(doc.get(), ok, tempPath(dir, "device.zcf"));
    QCOMPARE(messages.warnings.size(), 1); // nothing more to say
}

void TestDocument::newKeepsTheDeviceTypeWithItsDefaults_data() {
    QTest::addColumn<int>("type");
    for (const tDeviceTypeInfo& info : DeviceTypes())
        QTest::newRow(info.Keyword) << int(info.Type);
}

void TestDocument::newKeepsTheDeviceTypeWithItsDefaults() {
    QFETCH(int, type);
    const QStringList fresh = newDocument(uint8_t(type))->ToLines();
    FakeCombo combo;
    auto doc = newDocument(uint8_t(type));
    doc->SetDeviceCombo(&combo);
    QList<int> shownTypes;
    doc->SetOnDeviceTypeChanged([&](uint8_t shown) { shownTypes << shown; });
    doc->Comments()->SetValueText(QStringLiteral("edited"));
    doc->Device()->Children().Items(doc->Device()->ChildCount() - 1)->Clear(); // any edit of the device
    QVERIFY(doc->NewDocument());
    QCOMPARE(int(doc->GetDeviceType()), type);
    QCOMPARE(doc->ToLines(), fresh);
    QCOMPARE(shownTypes.last(), type); // the page shown last is the type's
    QCOMPARE(combo.items.size(), 8);   // "None" is never listed
    QCOMPARE(combo.index, type - 1);
    QVERIFY(!doc->Modified());
}

// A file loads and keeps its text, and whatever would stop a frame or a program is reported at its
// line, once.
void TestDocument::valuesNoRecordCanCarryAreReportedAtTheirLine_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("line");  // the start of the line to replace (its value follows "= ")
    QTest::addColumn<QString>("value"); // the new value; "-" removes the line
    QTest::addColumn<QString>("problem");
    QTest::newRow("unknown device type") << int(dt_Relay_Output) << "Device Type"
                                         << "dt_Future_Device"
                                         << "Invalid value \"dt_Future_Device\"";
    QTest::newRow("unknown value name") << int(dt_Staff_Transmitter) << "Transmit Mode"
                                        << "99999"
                                        << "Invalid value \"99999\" for Transmit Mode";
    QTest::newRow("integer that is none") << int(dt_ZX250_Call_Point) << "Zone/Group Address"
                                          << "abc"
                                          << "'abc' is not a valid integer value";
    QTest::newRow("zonal rows resized") << int(dt_Zone_Indicator) << "Max"
                                        << "7"
                                        << "Invalid array size \"7\"";
    QTest::newRow("no device type") << int(dt_Relay_Output) << "Device Type"
                                    << "-"
                                    << "names no device type";
}

void TestDocument::valuesNoRecordCanCarryAreReportedAtTheirLine() {
    QFETCH(int, type);
    QFETCH(QString, line);
    QFETCH(QString, value);
    QFETCH(QString, problem);
    QStringList file = newDocument(uint8_t(type))->ToLines();
    int at = -1;
    for (int i = 0; i < file.size() && at < 0; ++i)
        if (file[i].trimmed().startsWith(line + QLatin1String(" ="))) at = i;
    QVERIFY(at > 0);
    if (value == QLatin1String("-"))
        file.removeAt(at);
    else
        file[at] = file[at].left(file[at].indexOf(QLatin1Char('=')) + 2) + value;

    // Into a document as a program starts with (no type yet), or one already holding the type.
    auto doc = newDocument(value == QLatin1String("-") ? uint8_t(dt_None) : uint8_t(type));
    QList<int> shownTypes;
    doc->SetOnDeviceTypeChanged([&](uint8_t shown) { shownTypes << shown; });
    const tLoadResult result = doc->LoadFromLines(file);
    QCOMPARE(result.status, tLoadResult::LoadedWithProblems);
    QList<int> lines;
    for (const tError& error : result.errors)
        if (error.Text.contains(problem)) lines << tPelFileProperty::ErrorLineNumber(error);
    QCOMPARE(lines, QList<int>{value == QLatin1String("-") ? 1 : at + 1});
    if (value != QLatin1String("-") && type != dt_Zone_Indicator)
        QCOMPARE(doc->ToLines(), file); // written back as it was read (the rows keep their size)
    if (line == QLatin1String("Device Type") && value != QLatin1String("-"))
        QCOMPARE(shownTypes, QList<int>{dt_None}); // no device page
    if (type == dt_Zone_Indicator) QCOMPARE(doc->AsZonalIndicator()->ZonalData()->Children().Count(), 6);
}

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
