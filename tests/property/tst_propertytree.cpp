// The property tree as a document sees it: writing and reading the text format, the change
// notification protocol, reference values, arrays, and the faults reading must survive.
#include "property/PelArray.h"
#include "property/PelEnum.h"
#include "property/PelError.h"
#include "property/PelFile.h"
#include "property/PelScalar.h"

#include <QtTest>

ZCFG_ENUM(tTestTone, tt_Low_Tone, tt_High_Tone, tt_Chime);
ZCFG_ENUM(tTestFlags, tf_First, tf_Second, tf_Third);

namespace {

class TestRow : public tPelCompoundProperty {
public:
    TestRow(const QString& name, tPelCompoundProperty* owner) : tPelCompoundProperty(name, owner) {
        Create<tPelIntegerProperty>(QStringLiteral("Volume"), this);
        Create<tPelEnum<tTestTone>>(QStringLiteral("Tone"), this);
    }
};

class TestDocument : public tPelFileProperty {
public:
    TestDocument() : tPelFileProperty(QStringLiteral("Test File"), nullptr) {
        name = Create<tPelTextProperty>(QStringLiteral("Name"), this);
        flag = Create<tPelBooleanProperty>(QStringLiteral("Flag"), this);
        id = Create<tPelIntegerProperty>(QStringLiteral("ID"), this);
        notes = Create<tMemoProperty>(QStringLiteral("Notes"), this);
        tone = Create<tPelEnum<tTestTone>>(QStringLiteral("Tone"), this);
        flags = Create<tPelEnumSet<tTestFlags>>(QStringLiteral("Flags"), this);
        rows = Create<tPelObjectArray>(QStringLiteral("Rows"), this, PropertyClassOf<TestRow>());
        rows->SetMaxIndex(1);
    }
    tPelTextProperty* name;
    tPelBooleanProperty* flag;
    tPelIntegerProperty* id;
    tMemoProperty* notes;
    tPelEnum<tTestTone>* tone;
    tPelEnumSet<tTestFlags>* flags;
    tPelObjectArray* rows;
};

// A node that refuses to be built, in its constructor (after making a child) or in its defaults.
class RefusingNode : public tPelCompoundProperty {
public:
    RefusingNode(const QString& name, tPelCompoundProperty* owner, bool inConstructor)
        : tPelCompoundProperty(name, owner), inConstructor_(inConstructor) {
        Create<tPelTextProperty>(QStringLiteral("Inner"), this);
        if (inConstructor) throw EZcfgError(QStringLiteral("refused"));
    }
    void Clear() override {
        if (!inConstructor_) throw EZcfgError(QStringLiteral("refused"));
    }

private:
    bool inConstructor_;
};

// Records every notification reaching the root, in order.
struct Recorder {
    QStringList events;
    void attach(tPelBaseProperty* root) {
        auto log = [this](const char* what) {
            return [this, what](tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
                events << QStringLiteral("%1 %2 %3 %4")
                              .arg(QLatin1String(what), sender->Name())
                              .arg(int(kind))
                              .arg(text);
            };
        };
        root->SetOnBeginChange(log("begin"));
        root->SetOnRecordUndo(log("undo"));
        root->SetOnEndChange(log("end"));
        root->SetOnRecordRedo(log("redo"));
    }
};

// Built as the program builds its documents: constructed, defaults applied, marked unmodified.
std::unique_ptr<TestDocument> makeDocument() {
    std::unique_ptr<TestDocument> doc(Create<TestDocument>());
    doc->SetModified(false);
    return doc;
}

const QStringList defaultText = {
    "File Test File",
    "  Name = ",
    "  Flag = FALSE",
    "  ID = 0",
    "  Memo Notes",
    "  End Memo",
    "  Tone = tt_Low_Tone",
    "  Flags = 0",
    "  ObjectArray Rows",
    "    Max = 1",
    "    Object Item( 0 )",
    "      Volume = 0",
    "      Tone = tt_Low_Tone",
    "    End Object",
    "    Object Item( 1 )",
    "      Volume = 0",
    "      Tone = tt_Low_Tone",
    "    End Object",
    "  End ObjectArray",
    "End File",
};

} // namespace

class TestPropertyTree : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { doc = makeDocument(); }
    void cleanup() { doc.reset(); }
    void writesDefaultsInFullAndShortFormat();
    void roundTripKeepsEveryKindAndUnknownBlocks();
    void readingReportsProblemsWithLines_data();
    void readingReportsProblemsWithLines();
    void notificationsOfChangesUndoAndRedo();
    void modifiedClimbsAndClearsDown();
    void referenceModesAndComparison();
    void arraysResizeAndUndo();
    void arrayReadWithAndWithoutSizeLine();
    void enumerationsByNameAndMask();
    void repeatedUnknownEntriesReachTheirFirstChild();
    void secondSaveEqualsTheFirst_data();
    void secondSaveEqualsTheFirst();
    void failedConstructionLeavesNothingBehind_data();
    void failedConstructionLeavesNothingBehind();
    void deeplyNestedBlocksAreSkippedNotRecursed();

private:
    std::unique_ptr<TestDocument> doc;
};

// The short format drops the keywords and reads back to the same tree, with a warning only.
void TestPropertyTree::writesDefaultsInFullAndShortFormat() {
    QCOMPARE(doc->ToLines(), defaultText);
    QVERIFY(!doc->Modified());
    const QStringList lines = doc->ToLines(true);
    QCOMPARE(lines.first(), QStringLiteral("Test File"));
    QVERIFY(lines.contains(QStringLiteral("  Notes")) && lines.contains(QStringLiteral("    Item( 0 )")));
    QCOMPARE(lines.last(), QStringLiteral("End File"));
    auto other = makeDocument();
    const tLoadResult result = other->LoadFromLines(lines);
    QCOMPARE(result.status, tLoadResult::LoadedWithProblems);
    QCOMPARE(result.errors.size(), 1);
    QCOMPARE(other->ToLines(), defaultText);
}

void TestPropertyTree::roundTripKeepsEveryKindAndUnknownBlocks() {
    QStringList text = defaultText;
    text[1] = "  Name = Ward 7  east";
    text[2] = "  Flag = TRUE";
    text[3] = "  ID = $1F// 31";
    text[5] = "    // first line";
    text.insert(6, "    //  indented");
    text.insert(7, "    //  "); // a line of one blank
    text.insert(8, "  End Memo");
    text[9] = "  Tone = TT_CHIME"; // letter case is kept as read
    text[10] = "  Flags = 5";
    text.insert(text.size() - 1, "  Object Extra( k ) = v");
    text.insert(text.size() - 1, "    Inner = 1");
    text.insert(text.size() - 1, "  End Object");
    text.insert(text.size() - 1, "  Unknown = 2");

    tLoadResult result = doc->LoadFromLines(text);
    QCOMPARE(result.status, tLoadResult::LoadedWithProblems); // the unknown block, its line, the entry
    QCOMPARE(result.errors.size(), 3);
    QCOMPARE(doc->notes->Lines(), QStringList({"first line", " indented", " "}));
    QCOMPARE(doc->tone->AsInteger(), int(tt_Chime));
    QVERIFY(doc->flags->IsFlagSet(tf_First) && !doc->flags->IsFlagSet(tf_Second) &&
            doc->flags->IsFlagSet(tf_Third));
    QCOMPARE(doc->id->AsInteger(), 31);
    QCOMPARE(doc->ToLines(), text);
}

void TestPropertyTree::readingReportsProblemsWithLines_data() {
    QTest::addColumn<QStringList>("body");
    QTest::addColumn<QStringList>("expected"); // "line: text", 1-based lines of the whole file
    QTest::newRow("syntax error") << QStringList{"  Name( a = 1", "End File"}
                                  << QStringList{"2: Syntax error"};
    QTest::newRow("unknown entry") << QStringList{"  Nope( 2 ) = 1", "End File"}
                                   << QStringList{"2: Unexpected \"Nope( 2 )\""};
    QTest::newRow("blank line") << QStringList{"", "End File"} << QStringList{"2: Unexpected \"\""};
    QTest::newRow("missing end") << QStringList{"  Flag = TRUE"} << QStringList{"2: Unexpected end of file"};
    QTest::newRow("memo without end")
        << QStringList{"  Memo Notes", "  // a", "End File"}
        << QStringList{"4: Unexpected end of file", "4: Unexpected end of file"};
    QTest::newRow("size not a number")
        << QStringList{"  ObjectArray Rows", "    Max = lots", "  End ObjectArray", "End File"}
        << QStringList{"3: Invalid array size \"lots\" (expected -1 to 9999)"};
    QTest::newRow("size too large") << QStringList{"  ObjectArray Rows", "    Max = 5000000",
                                                   "  End ObjectArray", "End File"}
                                    << QStringList{"3: Invalid array size \"5000000\" (expected -1 to 9999)"};
    QTest::newRow("end of object in any case") << QStringList{"  object EXTRA", "  end OBJECT", "End File"}
                                               << QStringList{"2: Unexpected \"object EXTRA\""};
    QTest::newRow("none of a node's values")
        << QStringList{"  Flag = MAYBE", "  ID = abc", "  Tone = tt_Loud", "  Flags = true", "End File"}
        << QStringList{"2: Invalid value \"MAYBE\" for Flag (TRUE or FALSE)",
                       "3: 'abc' is not a valid integer value for ID",
                       "4: Invalid value \"tt_Loud\" for Tone",
                       "5: 'true' is not a valid integer value for Flags"};
}

void TestPropertyTree::readingReportsProblemsWithLines() {
    QFETCH(QStringList, body);
    const tLoadResult result = doc->LoadFromLines(QStringList{"File Test File"} + body);
    QStringList seen;
    for (const tError& e : result.errors)
        seen << QStringLiteral("%1: %2").arg(tPelFileProperty::ErrorLineNumber(e)).arg(e.Text);
    QTEST(seen, "expected");
    QCOMPARE(result.status, tLoadResult::LoadedWithProblems);
    // Read again, the same problems, though no value changes now.
    QCOMPARE(doc->LoadFromLines(QStringList{"File Test File"} + body).errors.size(), result.errors.size());
    QCOMPARE(doc->rows->MaxIndex(), 1); // a refused size changes nothing
}

void TestPropertyTree::notificationsOfChangesUndoAndRedo() {
    Recorder recorder;
    recorder.attach(doc.get());
    QStringList changes;
    doc->SetOnChange([&](tPelBaseProperty* sender) { changes << sender->Name(); });
    changes.clear();                // the handler ran once when assigned
    doc->flag->SetAsBoolean(false); // same text: nothing at all
    QVERIFY(recorder.events.isEmpty() && changes.isEmpty());
    doc->id->SetAsInteger(7);
    QCOMPARE(recorder.events, QStringList({"begin ID 1 0", "undo ID 1 0", "end ID 1 7"}));
    QCOMPARE(changes, QStringList{"ID"});

    // Items added while a row is being constructed are recorded; their values are not.
    recorder.events.clear();
    doc->rows->SetMaxIndex(2);
    QCOMPARE(recorder.events, QStringList({"begin Rows 2 1", "undo Rows 3 2", "end Rows 2 2"}));

    // Undo hands the displaced text back for redo.
    doc->name->SetValueText(QStringLiteral("A"));
    doc->name->Undo(ckValue, QString());
    QCOMPARE(doc->name->Value(), QString());
    QCOMPARE(recorder.events.last(), QStringLiteral("redo Name 1 A"));
    doc->name->Redo(ckValue, QStringLiteral("A"));
    QCOMPARE(doc->name->Value(), QStringLiteral("A"));
    doc->notes->SetLinesFrom({"x", "y"});
    QCOMPARE(recorder.events.last(), QStringLiteral("end Notes 1 x\ny\n"));
    doc->notes->Undo(ckValue, QString());
    QVERIFY(doc->notes->Lines().isEmpty());
    QCOMPARE(recorder.events.last(), QStringLiteral("redo Notes 1 x\ny\n"));
}

void TestPropertyTree::modifiedClimbsAndClearsDown() {
    QVERIFY(!doc->Modified());
    auto* row = static_cast<tPelCompoundProperty*>(doc->rows->GetItem(1));
    static_cast<tPelIntegerProperty*>(row->Child(QStringLiteral("Volume")))->SetAsInteger(3);
    QVERIFY(row->Modified() && doc->rows->Modified() && doc->Modified());
    doc->SetModified(false);
    QVERIFY(!row->Modified() && !row->Child(QStringLiteral("Volume"))->Modified());
}

void TestPropertyTree::referenceModesAndComparison() {
    doc->id->SetAsInteger(10);
    doc->SetReferenceMode(rmVerifying);
    doc->id->SetValueText(QStringLiteral("010"));
    doc->name->SetValueText(QStringLiteral("other"));
    doc->SetReferenceMode(rmNormal);
    QCOMPARE(doc->id->Value(), QStringLiteral("10")); // verifying records the reference only
    QVERIFY(doc->id->IsUnchanged());                  // compared as numbers
    doc->id->SetReference(QStringLiteral("11"));
    QVERIFY(!doc->id->IsUnchanged());
    doc->id->SetEnabled(false); // a disabled number takes no part either
    QVERIFY(doc->id->IsUnchanged());
    doc->id->SetEnabled(true);
    doc->id->SetReference(QStringLiteral("010"));
    QVERIFY(!doc->name->IsUnchanged());
    QVERIFY(!doc->IsUnchanged());
    doc->name->SetEnabled(false); // disabled values take no part
    QVERIFY(doc->name->IsUnchanged());
    doc->SetReferenceMode(rmReading);
    doc->flag->SetAsBoolean(true);
    doc->SetReferenceMode(rmNormal);
    QCOMPARE(doc->flag->Reference(), QStringLiteral("TRUE"));
    QVERIFY(doc->flag->AsBoolean());
}

void TestPropertyTree::arraysResizeAndUndo() {
    Recorder recorder;
    recorder.attach(doc.get());
    doc->rows->SetMaxIndex(3);
    recorder.events.clear();
    doc->rows->DeleteItem(1);
    QCOMPARE(doc->rows->MaxIndex(), 2);
    QCOMPARE(doc->rows->GetItem(2)->Key(), QStringLiteral("2"));
    QCOMPARE(recorder.events, QStringList{"undo Rows 5 1"});
    doc->rows->Undo(ckItemDeleted, QStringLiteral("1"));
    QCOMPARE(doc->rows->MaxIndex(), 3);
    QCOMPARE(doc->rows->GetItem(3)->Key(), QStringLiteral("3"));
    QCOMPARE(recorder.events.last(), QStringLiteral("redo Rows 4 1"));
    doc->rows->SetMaxIndex(-1);
    QCOMPARE(doc->ToLines().filter(QStringLiteral("Max")), QStringList{"    Max = -1"});
    doc->rows->DeleteItem(7); // a stale record does nothing
}

void TestPropertyTree::arrayReadWithAndWithoutSizeLine() {
    doc->rows->SetMaxIndex(4);
    QStringList body = {"  ObjectArray Rows", "    Max = 2", "  End ObjectArray", "End File"};
    QCOMPARE(doc->LoadFromLines(QStringList{"File Test File"} + body).status, tLoadResult::Loaded);
    QCOMPARE(doc->rows->MaxIndex(), 2);

    auto other = makeDocument();
    other->rows->SetMaxIndex(-1);
    body =
        QStringList{"  ObjectArray Rows", "    Object Item( 0 )", "    End Object",    "    Item( 1 )",
                    "    End Object",     "    Item( 2 )",        "    End Object",    "    Object Item( 3 )",
                    "      Volume = 9",   "    End Object",       "  End ObjectArray", "End File"};
    const tLoadResult result = other->LoadFromLines(QStringList{"File Test File"} + body);
    QCOMPARE(other->rows->MaxIndex(), 3);
    QCOMPARE(result.errors.first().Text,
             QStringLiteral("Warning - array size not specified. Will be calculated"));
    auto* row = static_cast<tPelCompoundProperty*>(other->rows->GetItem(3));
    QCOMPARE(row->Child(QStringLiteral("Volume"))->Value(), QStringLiteral("9"));
}

void TestPropertyTree::enumerationsByNameAndMask() {
    doc->tone->SetValueText(QStringLiteral("TT_HIGH_TONE"));
    QCOMPARE(doc->tone->AsInteger(), 1);
    QCOMPARE(doc->tone->ValueToText(1), QStringLiteral("High Tone"));
    doc->tone->SetValueText(QStringLiteral("nonsense"));
    QCOMPARE(doc->tone->AsInteger(), -1);
    doc->tone->SetAllAllowed(false);
    doc->tone->SetAllowed(1, true);
    doc->tone->SetAllowed(2, true);
    QCOMPARE(doc->tone->IndexToValue(1), 2);
    QCOMPARE(doc->tone->ValueToIndex(0), -1);
    QCOMPARE(doc->tone->ValueToIndex(2), 1);
    QVERIFY_THROWS_EXCEPTION(EZcfgError, doc->tone->IndexToValue(2));
    doc->flags->SetFlag(tf_Third, true);
    doc->flags->SetFlag(tf_First, true);
    QCOMPARE(doc->flags->Value(), QStringLiteral("5"));
}

void TestPropertyTree::repeatedUnknownEntriesReachTheirFirstChild() {
    // Each repeated unknown name is matched to the child its first line created (how fast reading
    // stays as files grow is measured by format_bench).
    QStringList text = {"File Test File"};
    for (int i = 0; i < 20; ++i)
        text << QStringLiteral("  Entry%1 = %2").arg(i % 5).arg(i);
    text << "End File";
    const tLoadResult result = doc->LoadFromLines(text);
    QCOMPARE(result.errors.size(), 5);
    QCOMPARE(doc->ChildCount(), 7 + 5);
    QCOMPARE(doc->Child(QStringLiteral("Entry2"))->Value(), QStringLiteral("17"));
}

// For any file that loads, saving is idempotent: what the first save wrote reads back to the same
// tree, so the second save writes the same lines. Each row is inserted before the end of the file;
// "keep" says the first save writes the lines exactly as read.
void TestPropertyTree::secondSaveEqualsTheFirst_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("keep");
    const auto row = [](const char* tag, QStringList lines, bool keep) {
        QTest::newRow(tag) << lines << keep;
    };
    row("comparison as a name", {"  Note < x"}, true);
    row("comparison with a comment", {"  Level >= 3// high"}, false);
    row("every operator", {"  a <> b", "  c =< d", "  e => f", "  g > h", "  i <= j"}, true);
    row("equals sign after a comparison", {"  A > B = 5"}, true);
    row("value holding operators", {"  Unknown = a < b = c"}, true);
    row("value starting with an operator", {"  Unknown = = x"}, true);
    row("stray end lines", {"  End Memo = ", "  End ObjectArray = "}, true);
    row("unknown object with a comparison name", {"  Object A < B", "    C = 1", "  End Object"}, true);
    row("unknown object array",
        {"  ObjectArray Set", "    Max = 0", "    Object Item( 0 )", "      X = 1", "    End Object",
         "  End ObjectArray"},
        true);
    row("unknown entries keep their comments", {"  Unknown = 1// set by hand", "  Other( 2 ) = x//  two"},
        true);
    row("name after a TAB", {"\tUnknown = 1", "\tFlag = TRUE"}, false);
    row("entry named as a block", {"  Rows = 1", "  Notes = "}, true);
    row("unknown array with items",
        {"  Array Levels", "    Max = 1", "    Item( 0 ) = 5", "    Item( 1 ) = 6", "  End Array"}, true);
    row("unknown array of objects",
        {"  Array Rooms", "    Max = 0", "    Object Item( 0 )", "      Bed = 2", "    End Object",
         "  End Array"},
        true);
    row("unknown array without size", {"  Array Empty", "    Item( 3 ) = x", "  End Array"}, true);
    row("key with odd characters", {"  Unknown( a/b (c ) = 1"}, true);
    row("memo with empty lines", {"  Memo Remarks", "    // first", "    //", "    //  ", "  End Memo"},
        true);
    row("empty name", {"   = 4"}, true);
    row("keyword alone as a name", {"  Object = 1", "  Memo = 2"}, true);
}

void TestPropertyTree::secondSaveEqualsTheFirst() {
    QFETCH(QStringList, lines);
    QFETCH(bool, keep);
    QStringList text = defaultText;
    for (const QString& line : lines)
        text.insert(text.size() - 1, line);
    auto first = makeDocument();
    first->LoadFromLines(text);
    const QStringList firstSave = first->ToLines();
    if (keep) QCOMPARE(firstSave, text);
    auto second = makeDocument();
    second->LoadFromLines(firstSave);
    QCOMPARE(second->ToLines(), firstSave);
}

// A node whose constructor or defaults raise is gone, and its owner does not keep it.
void TestPropertyTree::failedConstructionLeavesNothingBehind_data() {
    QTest::addColumn<bool>("inConstructor");
    QTest::newRow("constructor raises") << true;
    QTest::newRow("defaults raise") << false;
}

void TestPropertyTree::failedConstructionLeavesNothingBehind() {
    QFETCH(bool, inConstructor);
    QVERIFY(doc->Child(QStringLiteral("Flag"))); // an index exists before the failure
    QVERIFY_THROWS_EXCEPTION(EZcfgError,
                             Create<RefusingNode>(QStringLiteral("Extra"), doc.get(), inConstructor));
    QVERIFY(!doc->Child(QStringLiteral("Extra")));
    QCOMPARE(doc->ToLines(), defaultText);
    Create<tPelTextProperty>(QStringLiteral("Extra"), doc.get());
    QCOMPARE(doc->ChildCount(), 8);
}

void TestPropertyTree::deeplyNestedBlocksAreSkippedNotRecursed() {
    QStringList text = {"File Test File"};
    for (int i = 0; i < 100000; ++i)
        text << "Object A";
    for (int i = 0; i < 100000; ++i)
        text << "End Object";
    text << "  Flag = TRUE"
         << "End File";
    const tLoadResult result = doc->LoadFromLines(text);
    QCOMPARE(result.status, tLoadResult::LoadedWithProblems);
    QCOMPARE(std::count_if(result.errors.begin(), result.errors.end(),
                           [](const tError& e) { return e.Text.startsWith("Blocks nested too deeply"); }),
             1);
    QVERIFY(doc->flag->AsBoolean()); // reading went on after the skipped block
}

QTEST_GUILESS_MAIN(TestPropertyTree)
#include "tst_propertytree.moc"
