// The configuration document as the editor uses it: files, device types, the combo box, the
// caption, the save prompt and undo/redo wired the way the main window wires them.
#include "app/HelpWindow.h"
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
#include <QTextBrowser>
#include <QtTest>
#include <sys/stat.h>

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

// The document as the main window holds it: with the save dialog, the settings store, the caption
// and the File menu.
struct Editor {
    QTemporaryDir dir;
    FakeForm form; // outlives the document, which hands its close check back when destroyed
    TPelRegistry registry{dir.filePath("settings.ini")};
    TPelSaveDialog dialog;
    std::unique_ptr<tZCfgFile> doc;
    QMainWindow window;
    TPelFileMenus menus{*doc, window.menuBar(), &window};
    explicit Editor(uint8_t type = dt_Relay_Output) : doc(newDocument(type)) {
        dialog.SetPelRegistry(&registry);
        doc->SetSaveDialog(&dialog);
        doc->SetMainForm(&form);
    }
    QString path(const char* name) const { return dir.filePath(name); }
};

// The file as a new document loads it; none unless it loads without problems.
std::unique_ptr<tZCfgFile> reread(const QString& path) {
    auto doc = newDocument();
    return doc->LoadFromFile(path).status == tLoadResult::Loaded ? std::move(doc) : nullptr;
}

// The troubleshooting help as a reader sees it.
QString troubleshootingText() {
    THelpWindow window;
    window.FollowLink(QUrl(QStringLiteral("troubleshooting.html")));
    return window.Browser()->document()->toPlainText().simplified();
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDocument : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyTypeSavesLoadsAndStartsAfresh_data();
    void everyTypeSavesLoadsAndStartsAfresh();
    void commentsKeepEveryCharacter();
    void changingTheTypeKeepsOrReplacesTheDevice();
    void failedOpenOrSaveLosesNothing_data();
    void failedOpenOrSaveLosesNothing();
    void foreignContentRoundTrips_data();
    void foreignContentRoundTrips();
    void problemsAreShownInOneWarning();
    void promptSavesWhereTheUserLastSaved();
    void undoRedoThroughRealChanges();
    void oneUndoRestoresAReplacedDevice();
    void loadingAndNewForgetTheHistoryAndTheName();
    void comboModes();
    void zoneAddressDisplays_data();
    void zoneAddressDisplays();
    void typedAccessRefusesTheWrongClass();
    void anUnnamedDocumentAsksForANameBeforeSaving_data();
    void anUnnamedDocumentAsksForANameBeforeSaving();
    void aValueTheFileCannotHoldIsKeptAndWarnedAbout();
    void valuesNoRecordCanCarryAreReportedAtTheirLine_data();
    void valuesNoRecordCanCarryAreReportedAtTheirLine();
};

// Each type: saved, loaded and saved again gives the same bytes, comments and all; the short format
// loads with a warning; New keeps the type with its defaults and shows its page.
void TestDocument::everyTypeSavesLoadsAndStartsAfresh_data() {
    QTest::addColumn<int>("type");
    for (const tDeviceTypeInfo& info : DeviceTypes())
        QTest::newRow(info.Keyword) << int(info.Type);
}

void TestDocument::everyTypeSavesLoadsAndStartsAfresh() {
    QFETCH(int, type);
    QTemporaryDir dir;
    const QStringList fresh = newDocument(uint8_t(type))->ToLines();
    FakeCombo combo;
    auto doc = newDocument(uint8_t(type));
    doc->SetDeviceCombo(&combo);
    QList<int> shownTypes;
    doc->SetOnDeviceTypeChanged([&](uint8_t shown) { shownTypes << shown; });
    const QStringList comment{"Ward 7", " ", "  indented // slashes"};
    doc->Comments()->SetLinesFrom(comment);
    const QStringList commented = doc->ToLines();
    if (type == dt_Staff_Transmitter || type == dt_Pendant_Transmitter)
        doc->AsIRRFDevice()->UserRecord()->ID()->SetAsInteger(77);
    else
        doc->AsOtherDevice()->ZoneGroupAddress()->SetValueText(QStringLiteral("3"));
    QVERIFY(doc->ToLines() != commented);

    QString error;
    QVERIFY(doc->SaveToFile(dir.filePath("a.zcf"), error));
    auto loaded = reread(dir.filePath("a.zcf"));
    QVERIFY(loaded);
    QCOMPARE(int(loaded->GetDeviceType()), type);
    QCOMPARE(loaded->Comments()->Lines(), comment);
    QVERIFY(loaded->SaveToFile(dir.filePath("b.zcf"), error));
    const QByteArray bytes = readBytes(dir.filePath("a.zcf"));
    QCOMPARE(readBytes(dir.filePath("b.zcf")), bytes);
    QVERIFY(bytes.startsWith("File ZCFG File\r\n") && bytes.endsWith("\r\nEnd File\r\n"));

    const QStringList shortLines = doc->ToLines(true);
    QCOMPARE(shortLines.first(), QStringLiteral("ZCFG File"));
    auto other = newDocument(type == dt_Staff_Transmitter ? dt_Relay_Output : dt_Staff_Transmitter);
    const tLoadResult result = other->LoadFromLines(shortLines);
    QCOMPARE(result.errors.size(), 1);
    QCOMPARE(result.errors.first().Text,
             QStringLiteral("Warning - Short format. May not be backwards compatible"));
    QCOMPARE(other->ToLines(), doc->ToLines());

    QVERIFY(doc->NewDocument());
    QCOMPARE(int(doc->GetDeviceType()), type);
    QCOMPARE(doc->ToLines(), fresh);
    QCOMPARE(shownTypes.last(), type); // the page shown last is the type's
    QCOMPARE(combo.items.size(), 8);   // "None" is never listed
    QCOMPARE(combo.index, type - 1);
    QVERIFY(!doc->Modified());
}

// Comments keep every character, and so does a file written on a Windows desktop, in its code page
// without a byte-order mark.
void TestDocument::commentsKeepEveryCharacter() {
    QTemporaryDir dir;
    auto doc = newDocument(dt_Relay_Output);
    const QStringList comment = {QString::fromUtf8("Bay 3 – Ωmega wing ✓"), QString::fromUtf8("Café")};
    doc->Comments()->SetLinesFrom(comment);
    QString error;
    QVERIFY(doc->SaveToFile(dir.filePath("u.zcf"), error));
    QFile windows(dir.filePath("w.zcf"));
    QVERIFY(windows.open(QIODevice::WriteOnly));
    windows.write(
        "File ZCFG File\r\n  Device Type = dt_Relay_Output\r\n  Memo Comments\r\n    // Caf\xE9 \x80\r\n"
        "  End Memo\r\nEnd File\r\n");
    windows.close();
    for (const auto& [name, lines] :
         {std::pair{"u.zcf", comment}, {"w.zcf", {QString::fromUtf8("Café €")}}}) {
        auto reread = newDocument();
        QCOMPARE(reread->LoadFromFile(dir.filePath(name)).status, tLoadResult::Loaded);
        QCOMPARE(reread->Comments()->Lines(), lines);
    }
}

// A file of another class replaces the device whole; staff and pendant transmitters share one device,
// while a trip through another class starts afresh.
void TestDocument::changingTheTypeKeepsOrReplacesTheDevice() {
    auto zone = newDocument(dt_Zone_Indicator);
    zone->AsZonalIndicator()->ModeData(3)->Tone()->SetAsInteger(zt_Red_Alert);
    zone->AsZonalIndicator()->HTM2015Enabled()->SetAsBoolean(true);
    auto doc = newDocument(dt_Staff_Transmitter);
    doc->AsIRRFDevice()->UserRecord()->ID()->SetAsInteger(77);
    tIRRFDevice* transmitter = doc->AsIRRFDevice();
    doc->SetDeviceType(dt_Pendant_Transmitter);
    QCOMPARE(doc->AsIRRFDevice(), transmitter);
    QCOMPARE(doc->AsIRRFDevice()->UserRecord()->ID()->AsInteger(), 77);
    QCOMPARE(doc->LoadFromLines(zone->ToLines()).status, tLoadResult::Loaded);
    QCOMPARE(doc->AsZonalIndicator()->ModeData(3)->Tone()->AsInteger(), int(zt_Red_Alert));
    QVERIFY(doc->AsZonalIndicator()->HTM2015Enabled()->AsBoolean());
    QCOMPARE(doc->Children().Count(), 3);
    doc->SetDeviceType(dt_Staff_Transmitter);
    QCOMPARE(doc->AsIRRFDevice()->UserRecord()->ID()->AsInteger(), 0);
}

// A file that cannot be read, or a place that cannot be written: the error names the file's full path
// and what is wrong, nothing waits on a pipe or a device, and the document keeps its name, its edits
// and the file it came from.
void TestDocument::failedOpenOrSaveLosesNothing_data() {
    QTest::addColumn<QString>("kind"); // what other.zcf is
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("save"); // save into PLACE instead of opening it
    QTest::addColumn<QString>("place");
    const auto row = [](const char* tag, const char* kind, const char* reason, bool save = false,
                        const char* place = "other.zcf") {
        QTest::newRow(tag) << QString(kind) << QString(reason) << save << QString(place);
    };
    row("missing", "", "No such file or directory");
    row("empty", "empty", "Empty File");
    row("not a configuration", "text",
        "Error - wrong file: a configuration file starts with \"File ZCFG File\", this one with \"Hello\"");
    row("pipe", "fifo", "It is a pipe, not a file");
    row("endless device", "/dev/zero", "It is a device, not a file");
    row("larger than any configuration", "huge",
        "It is larger than 64 MB; a configuration file is far smaller");
    row("save under a file", "empty", "The file cannot be written: ", true, "other.zcf/inside.zcf");
    row("save into a missing folder", "", "The file cannot be written: the folder", true, "none/inside.zcf");
    row("save into a pipe", "fifo", "The file cannot be written: It is a pipe, not a file", true);
    row("save where nothing can be written", "", "The file cannot be written: No such file or directory",
        true, "/proc/other.zcf");
}

void TestDocument::failedOpenOrSaveLosesNothing() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QFETCH(bool, save);
    QFETCH(QString, place);
    QTemporaryDir dir;
    const QString mine = dir.filePath("mine.zcf");
    QString other = dir.filePath("other.zcf");
    if (kind.startsWith(QLatin1Char('/'))) other = kind;
    auto doc = newDocument(dt_Relay_Output);
    QString error;
    QVERIFY(doc->SaveToFile(mine, error));
    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    QFile file(other);
    if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(other).constData(), 0600), 0);
    } else if (kind == "huge") { // sparse: takes no room
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(MaxTextFileSize + 1));
    } else if (!kind.isEmpty() && !kind.startsWith(QLatin1Char('/'))) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kind == "text" ? "Hello\r\nWorld\r\n" : "");
    }
    file.close();
    const QString target = place.startsWith(QLatin1Char('/')) ? place : dir.filePath(place);
    Messages messages;
    bool ok = true;
    save ? doc->SaveFile(doc.get(), ok, target) : doc->LoadFile(doc.get(), ok, other);
    QVERIFY(!ok);
    QCOMPARE(messages.errors.size(), 1);
    const QString& shown = messages.errors.first();
    QVERIFY2(shown.startsWith(
                 QStringLiteral("Cannot %1 \"%2\": ").arg(save ? "save" : "open", save ? target : other)),
             qPrintable(shown));
    QVERIFY2(shown.contains(reason), qPrintable(shown));
    // The help explains it: its words up to the first quoted text.
    const QString explained =
        shown.section(QStringLiteral("\": "), 1).section(QLatin1Char('"'), 0, 0).trimmed();
    QVERIFY2(troubleshootingText().contains(explained), qPrintable(explained));
    QCOMPARE(doc->FileName(), mine);
    QVERIFY(doc->Modified());
    QVERIFY(doc->AsRelayOutput()->ActiveInCall()->AsBoolean());
    auto saved = reread(mine);
    QVERIFY(saved && !saved->AsRelayOutput()->ActiveInCall()->AsBoolean());
}

// What a file holds that this program does not know, or holds oddly, is kept byte for byte through a
// save in the editor (which held another device before), a second save writes what the first wrote,
// and a line of megabytes is quoted in part.
void TestDocument::foreignContentRoundTrips_data() {
    QTest::addColumn<int>("type");         // of the file
    QTest::addColumn<QString>("typeName"); // written as its "Device Type" instead, when given
    QTest::addColumn<QString>("anchor");   // the line after which the lines go; "=" + start: replaced
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("problems");
    QTest::addColumn<bool>("kept"); // the first save writes the file as it was
    const QString huge(2'000'000, QLatin1Char('x'));
    QTest::newRow("unknown device type with an object array")
        << int(dt_Relay_Output) << "dt_Future_Sensor"
        << "Zone/Group Address"
        << QStringList{"    ObjectArray Channels", "      Max = 1",    "      Object Item( 0 )",
                       "        Gain = 3",         "      End Object", "      Object Item( 1 )",
                       "        Gain = 4// loud",  "      End Object", "    End ObjectArray",
                       "    Channel Count = 2"}
        << 1 << true; // the type, at its line
    QTest::newRow("unknown entries and blocks")
        << int(dt_Zone_Indicator) << QString() << "End ObjectArray"
        << QStringList{"    Array Levels", "      Max = 0", "      Item( 0 ) = 5",
                       "    End Array",    "    Note < x",  "    Unknown( 2 ) = a// b"}
        << 4 << true; // the block, its item and the two entries
    QTest::newRow("entry before the device type")
        << int(dt_Relay_Output) << QString() << "File ZCFG File" << QStringList{"  Stray = 1"} << 1 << false;
    QTest::newRow("line of megabytes as an entry") << int(dt_Relay_Output) << QString() << "Active In Attack"
                                                   << QStringList{"    " + huge + " = 1"} << 1 << true;
    QTest::newRow("line of megabytes as a value")
        << int(dt_Staff_Transmitter) << QString() << "=Transmit Mode"
        << QStringList{"      Transmit Mode = " + huge} << 1 << true;
    QTest::newRow("version no device reported") // no version warning: it is a file's
        << int(dt_Relay_Output) << QString() << "=Version" << QStringList{"    Version = 0312"} << 0 << true;
    QTest::newRow("Boolean neither TRUE nor FALSE") << int(dt_Relay_Output) << QString() << "=Active In Call"
                                                    << QStringList{"    Active In Call = MAYBE"} << 1 << true;
}

void TestDocument::foreignContentRoundTrips() {
    QFETCH(int, type);
    QFETCH(QString, typeName);
    QFETCH(QString, anchor);
    QFETCH(QStringList, lines);
    QFETCH(int, problems);
    QFETCH(bool, kept);
    QStringList text = newDocument(uint8_t(type))->ToLines();
    if (!typeName.isEmpty()) text[1] = QStringLiteral("  Device Type = ") + typeName;
    const bool replace = anchor.startsWith(QLatin1Char('='));
    const QString start = replace ? anchor.mid(1) : anchor;
    const auto at = std::find_if(text.begin(), text.end(),
                                 [&](const QString& line) { return line.trimmed().startsWith(start); });
    QVERIFY(at != text.end());
    const qsizetype index = at - text.begin() + (replace ? 0 : 1);
    if (replace) text.removeAt(index);
    for (qsizetype i = 0; i < lines.size(); ++i)
        text.insert(index + i, lines[i]);

    // The editor held a transmitter read from a file with entries of its own nothing knows.
    Editor editor(dt_Staff_Transmitter);
    QStringList old = editor.doc->ToLines();
    old.insert(old.size() - 2, QStringLiteral("    Leftover = 1"));
    old.insert(old.size() - 1, QStringLiteral("  Leftover = 2"));
    QString error;
    QVERIFY(WriteTextFile(editor.path("old.zcf"), old, error));
    QVERIFY(editor.doc->LoadFromFile(editor.path("old.zcf")).touchedDocument());
    editor.doc->AsIRRFDevice()->UserRecord()->ID()->SetAsInteger(77);
    QList<int> shownTypes;
    editor.doc->SetOnDeviceTypeChanged([&](uint8_t shown) { shownTypes << shown; });
    QVERIFY(WriteTextFile(editor.path("a.zcf"), text, error));
    Messages messages;
    QCOMPARE(editor.doc->Open(editor.path("a.zcf")), problems == 0);
    QVERIFY(messages.errors.isEmpty());
    QCOMPARE(messages.warnings.size(), problems ? 1 : 0);
    if (problems) {
        QCOMPARE(messages.warnings.first().count(QStringLiteral("\nLine ")), problems);
        QVERIFY2(messages.warnings.first().size() < 1000, qPrintable(messages.warnings.first().left(1000)));
    }
    bool ok = true;
    editor.doc->SaveFile(editor.doc.get(), ok, editor.path("b.zcf"));
    QVERIFY(ok);
    if (kept) QCOMPARE(readBytes(editor.path("b.zcf")), readBytes(editor.path("a.zcf")));
    auto second = newDocument(); // as zcfg reads it: no device yet
    QVERIFY(second->LoadFromFile(editor.path("b.zcf")).touchedDocument());
    QVERIFY(second->SaveToFile(editor.path("c.zcf"), error));
    QCOMPARE(readBytes(editor.path("c.zcf")), readBytes(editor.path("b.zcf")));
    if (!typeName.isEmpty()) QCOMPARE(shownTypes, QList<int>{dt_None}); // no device page
}

void TestDocument::problemsAreShownInOneWarning() {
    Editor editor(dt_Staff_Transmitter);
    QStringList lines = newDocument(dt_Relay_Output)->ToLines();
    for (int i = 0; i < 12; ++i)
        lines.insert(2, QStringLiteral("  Stray%1 = %1").arg(i));
    lines.removeLast(); // no end line
    QString error;
    QVERIFY(WriteTextFile(editor.path("bad.zcf"), lines, error));
    Messages messages;
    QVERIFY(!editor.doc->Open(editor.path("bad.zcf")));
    QCOMPARE(messages.warnings.size(), 1);
    const QStringList shown = messages.warnings.first().split(QLatin1Char('\n'));
    QCOMPARE(shown.size(), 12); // heading, ten problems, "... and 3 more"
    QCOMPARE(shown[1], QStringLiteral("Line 3: Unexpected \"Stray11\""));
    QCOMPARE(shown.last(), QStringLiteral("... and 3 more"));
    QCOMPARE(editor.registry.GetHistory(0), QString()); // not added to the history
    QCOMPARE(editor.doc->GetDeviceType(), uint8_t(dt_Relay_Output));
    QCOMPARE(editor.doc->FileName(), editor.path("bad.zcf"));
}

// The prompt's Yes saves where the user last saved, and the recent files follow every open and save.
void TestDocument::promptSavesWhereTheUserLastSaved() {
    Editor editor;
    tZCfgFile& doc = *editor.doc;
    const auto recent = [&] {
        QStringList texts;
        for (int i = 0; i < 10; ++i)
            if (editor.menus.HistoryItem(i)->isVisible()) texts << editor.menus.HistoryItem(i)->text();
        return texts;
    };
    const QString first = editor.path("first.zcf"), second = editor.path("second.zcf");
    editor.dialog.SetAskSaveFileName([&](const QString&) { return std::optional<QString>(second); });
    QString error;
    QVERIFY(newDocument(dt_Zone_Indicator)->SaveToFile(first, error));
    QVERIFY(doc.Open(first));
    QCOMPARE(recent(), QStringList{"&0: first.zcf"});
    doc.AsZonalIndicator()->HTM2015Enabled()->SetAsBoolean(true);
    QVERIFY(doc.SaveAs(QString()));
    QCOMPARE(doc.FileName(), second);
    QCOMPARE(recent(), (QStringList{"&0: second.zcf", "&1: first.zcf"}));
    doc.AsZonalIndicator()->ModeData(3)->Tone()->SetAsInteger(zt_Red_Alert);
    editor.dialog.SetAskNotSaved([] { return TPelSaveDialog::NotSavedAnswer::Yes; });
    bool canClose = true;
    doc.CloseQuery(&doc, canClose);
    QVERIFY(canClose);
    QCOMPARE(recent(), (QStringList{"&0: second.zcf", "&1: first.zcf"}));
    auto saved = reread(second), untouched = reread(first);
    QVERIFY(saved && untouched);
    QCOMPARE(saved->AsZonalIndicator()->ModeData(3)->Tone()->AsInteger(), int(zt_Red_Alert));
    QVERIFY(!untouched->AsZonalIndicator()->HTM2015Enabled()->AsBoolean());

    doc.AsZonalIndicator()->HTM2015Enabled()->SetAsBoolean(false);
    editor.dialog.SetAskNotSaved([] { return TPelSaveDialog::NotSavedAnswer::Cancel; });
    QVERIFY(!doc.NewDocument());
    QCOMPARE(doc.GetDeviceType(), uint8_t(dt_Zone_Indicator));
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

// Loading and New forget the undo history; the caption names the file and marks an edit.
void TestDocument::loadingAndNewForgetTheHistoryAndTheName() {
    QTemporaryDir dir;
    FakeForm form; // outlives the document, which hands its close check back when destroyed
    auto doc = newDocument(dt_Relay_Output);
    doc->SetMainForm(&form);
    QCOMPARE(form.caption, QStringLiteral("Zentara Configurator - <No Name>"));
    UndoWiring wiring(*doc);
    QString error;
    QVERIFY(doc->SaveToFile(dir.filePath("site.zcf"), error));
    QCOMPARE(form.caption, QStringLiteral("Zentara Configurator - site.zcf"));
    const QStringList file = doc->ToLines();
    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    QCOMPARE(form.caption, QStringLiteral("Zentara Configurator - site.zcf *"));
    QVERIFY(wiring.undo.CanUndo());
    QCOMPARE(doc->LoadFromLines(file).status, tLoadResult::Loaded);
    QVERIFY(!wiring.undo.CanUndo() && !wiring.undo.CanRedo());
    doc->AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    QVERIFY(doc->NewDocument()); // no dialog: nothing to ask
    QVERIFY(!wiring.undo.CanUndo() && !wiring.undo.CanRedo());
    QCOMPARE(form.caption, QStringLiteral("Zentara Configurator - <No Name>"));
}

void TestDocument::comboModes() {
    FakeCombo combo; // outlives the document, which hands the combo its handler back when destroyed
    auto doc = newDocument(dt_Staff_Transmitter);
    QList<int> modes;
    doc->SetOnComboModeChanged([&](uint8_t mode) { modes << mode; });
    doc->SetDeviceCombo(&combo);
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
    const auto row = [](const char* tag, int type, const char* value, const char* shown) {
        QTest::newRow(tag) << type << QString(value) << QString(shown);
    };
    row("mpd call point letter", dt_MPD_Call_Point, "2", "C");
    row("mpd monitor point number", dt_MPD_Monitor_Point, "2", "2");
    row("relay zone 1", dt_Relay_Output, "1", "Unassigned");
    row("relay zone 12", dt_Relay_Output, "12", "12");
    row("zone indicator empty", dt_Zone_Indicator, "", "Unassigned");
    row("zx250 letter", dt_ZX250_Call_Point, "0", "A");
    row("zx250 empty", dt_ZX250_Call_Point, "", "Unassigned");
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
    Editor editor;
    tZCfgFile& doc = *editor.doc;
    const QString old = editor.path("old.zcf");
    QString error;
    QVERIFY(doc.SaveToFile(old, error));
    QVERIFY(doc.Open(old));
    const QByteArray before = readBytes(old);

    QVERIFY(doc.NewDocument());
    QCOMPARE(editor.form.caption, QStringLiteral("Zentara Configurator - <No Name>"));
    doc.AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
    QList<TPelSaveDialog::NotSavedAnswer> answers{TPelSaveDialog::NotSavedAnswer::Yes,
                                                  TPelSaveDialog::NotSavedAnswer::No};
    editor.dialog.SetAskNotSaved([&] { return answers.takeFirst(); });
    QStringList asked; // where each save-as dialog started; the user cancels it
    editor.dialog.SetAskSaveFileName([&](const QString& start) {
        asked << start;
        return std::optional<QString>();
    });
    editor.dialog.SetAskOpenFileName([](const QString&) { return std::optional<QString>(); });
    bool canClose = true;
    if (command == "close")
        doc.CloseQuery(&doc, canClose);
    else if (command == "load")
        QVERIFY(!doc.Open(QString()));
    else if (command == "recent file")
        editor.menus.HistoryItem(0)->trigger();
    else
        QVERIFY(doc.NewDocument());
    QVERIFY(canClose);
    QVERIFY(answers.isEmpty()); // Yes, the save was cancelled, so the prompt asked again: No
    QCOMPARE(asked.size(), 1);
    QCOMPARE(QFileInfo(asked.first()).fileName(), QString()); // no old name offered to save over
    QCOMPARE(readBytes(old), before);
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
    doc->SaveFile(doc.get(), ok, dir.filePath("device.zcf"));
    QVERIFY(ok);
    QVERIFY(messages.errors.isEmpty());
    QCOMPARE(messages.warnings.size(), 1);
    QVERIFY(messages.warnings.first().contains("Device/Factory String = AB//CD"));
    QCOMPARE(doc->Device()->Child(QStringLiteral("Factory String"))->Value(), QStringLiteral("AB//CD"));

    doc->Device()->Child(QStringLiteral("Factory String"))->SetValueText(QStringLiteral("AB/CD"));
    doc->SaveFile(doc.get(), ok, dir.filePath("device.zcf"));
    QCOMPARE(messages.warnings.size(), 1); // nothing more to say
}

// A file loads and keeps its text, and whatever would stop a frame or a program is reported at its
// line, once.
void TestDocument::valuesNoRecordCanCarryAreReportedAtTheirLine_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("line");  // the start of the line to replace (its value follows "= ")
    QTest::addColumn<QString>("value"); // the new value; "-" removes the line
    QTest::addColumn<QString>("problem");
    const auto row = [](const char* tag, int type, const char* line, const char* value, const char* problem) {
        QTest::newRow(tag) << type << QString(line) << QString(value) << QString(problem);
    };
    row("unknown device type", dt_Relay_Output, "Device Type", "dt_Future_Device",
        "Invalid value \"dt_Future_Device\"");
    row("unknown value name", dt_Staff_Transmitter, "Transmit Mode", "99999",
        "Invalid value \"99999\" for Transmit Mode");
    row("integer that is none", dt_ZX250_Call_Point, "Zone/Group Address", "abc",
        "'abc' is not a valid integer value");
    row("zonal rows resized", dt_Zone_Indicator, "Max", "7", "Invalid array size \"7\"");
    row("no device type", dt_Relay_Output, "Device Type", "-", "names no device type");
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
