// The bindable widgets under real input events, on their own and bound to properties: when each
// control's handler fires, user edits reaching the node, program changes reaching the control, and
// handlers handed back.
#include "property/PelEnum.h"
#include "property/PelError.h"
#include "property/PelScalar.h"
#include "property/controls/PelControls.h"
#include "property/controls/PelSpinEdit.h"

#include <QVBoxLayout>
#include <QtTest>
#include <memory>

ZCFG_ENUM(tTestColour, tc_Red, tc_Light_Green, tc_Blue, tc_Dark_Grey);

namespace {

// Undo records of a tree, grouped by the outermost BeginChange/EndChange bracket, played back the
// way the undo manager does.
struct Journal {
    struct Step {
        tPelBaseProperty* node;
        tChangeKind kind;
        QString text;
    };
    QList<QList<Step>> groups;
    int depth = 0;

    void attach(tPelBaseProperty* root) {
        root->SetOnBeginChange([this](tPelBaseProperty*, tChangeKind, const QString&) {
            if (depth++ == 0) groups.append(QList<Step>());
        });
        root->SetOnEndChange([this](tPelBaseProperty*, tChangeKind, const QString&) { --depth; });
        root->SetOnRecordUndo([this](tPelBaseProperty* node, tChangeKind kind, const QString& text) {
            if (kind == ckReset) {
                groups.clear();
                return;
            }
            if (depth == 0 || groups.isEmpty()) groups.append(QList<Step>());
            groups.last().append({node, kind, text});
        });
    }
    void undoLast() {
        const QList<Step> group = groups.takeLast();
        for (auto step = group.rbegin(); step != group.rend(); ++step)
            step->node->Undo(step->kind, step->text);
    }
};

} // namespace

class TestPelControls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void editMasks_data();
    void editMasks();
    void programChangesFireOnlyWhereDue();
    void listRefilledInItsOwnHandler();
    void handlerErrorsAreShown();
    void spinEditLooks();
    void memoLinesAndSelection();

    void nodeAndControlFollowEachOther_data();
    void nodeAndControlFollowEachOther();
    void memoUndoRestoresTextThenSelection_data();
    void memoUndoRestoresTextThenSelection();
    void bindingErrors_data();
    void bindingErrors();
    void bindingsFollowEnabledAndEndCleanly_data();
    void bindingsFollowEnabledAndEndCleanly();

private:
    struct Bound {
        tPelBaseProperty* node;
        QWidget* control;
        std::function<void()> userEdit, programEdit, bindOther;
        std::function<QString()> shown; // what the control shows, as a value text
    };
    Bound bind(const QString& kind, const tNotifyEvent& pageHandler);
    template <class W> W* add(W* widget) {
        page->layout()->addWidget(widget);
        return widget;
    }
    tNotifyEvent logCall(const char* what) {
        return [this, what](tObject*) { calls << QLatin1String(what); };
    }
    // A page handler logging its call with the node's value at that moment.
    tNotifyEvent pageHandler(const tPelBaseProperty* node) {
        return [this, node](tObject*) { calls << QStringLiteral("page:") + node->Value(); };
    }
    // A click on the check mark or radio dot of a button.
    static void clickIndicator(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    bool readFile(QStringList lines) {
        lines << QStringLiteral("End Object");
        int index = 0;
        return root->ReadBody(lines, index, nullptr);
    }

    std::unique_ptr<QWidget> page;
    std::unique_ptr<tPelCompoundProperty> root;
    Journal journal;
    QStringList calls;
    QStringList messages;
};

void TestPelControls::init() {
    page = std::make_unique<QWidget>();
    new QVBoxLayout(page.get());
    root.reset(Create<tPelCompoundProperty>(QStringLiteral("Root"), nullptr));
    journal = {};
    journal.attach(root.get());
    calls.clear();
    messages.clear();
    SetMessagePresenter([this](MessageKind, const QString& text) { messages << text; });
}

void TestPelControls::cleanup() {
    root.reset(); // nodes first: they hand their controls' handlers back
    page.reset();
    SetMessagePresenter({});
}

// ---- The controls on their own -------------------------------------------------------------

void TestPelControls::editMasks_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("complete");
    auto row = [](const char* tag, const char* mask, const char* typed, const char* text, bool complete) {
        QTest::newRow(tag) << QString(mask) << QString(typed) << QString(text) << complete;
    };
    row("date", "00/00/00", "311299", "31/12/99", true);
    row("date incomplete", "00/00/00", "31", "31//", false);
    row("digits only", "000000", "12ab3456", "123456", true);
    row("literal T kept", "00T0;1", "123", "12T3", true);
    row("literal P kept", "00P0;1", "9x87", "98P7", true);
    row("literal dropped", "00T0;0", "123", "123", true);
}

void TestPelControls::editMasks() {
    QFETCH(QString, mask);
    QFETCH(QString, typed);
    TPelMaskEdit* edit = add(new TPelMaskEdit);
    edit->SetEditMask(mask);
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClicks(edit, typed);
    QTEST(edit->Text(), "text");
    QTEST(edit->hasAcceptableInput(), "complete");
}

void TestPelControls::programChangesFireOnlyWhereDue() {
    TPelEdit edit;
    TPelMemo memo;
    TPelSpinEdit spin;
    TPelCheckBox box;
    TPelComboBox combo;
    TPelRadioGroup radio;
    TPelCheckListBox list;
    edit.SetOnChange(logCall("edit"));
    memo.SetOnChange(logCall("memo"));
    spin.SetOnChange(logCall("spin"));
    box.SetOnClick(logCall("box"));
    combo.SetOnChange(logCall("combo"));
    radio.SetOnClick(logCall("radio"));
    list.SetOnClickCheck(logCall("list"));

    edit.SetText(QStringLiteral("a"));
    memo.SetLines({QStringLiteral("a")});
    for (int repeat = 0; repeat < 2; ++repeat) {
        spin.SetValue(4);
        box.SetChecked(true);
    }
    combo.AddItem(QStringLiteral("x"));
    combo.SetItemIndex(0);
    combo.ClearItems();
    radio.AddItem(QStringLiteral("x"));
    radio.SetItemIndex(0);
    radio.SetItemIndex(-1);
    list.AddItem(QStringLiteral("x"));
    list.SetChecked(0, true);
    list.ClearItems();
    QCOMPARE(calls, QStringList({"edit", "memo", "spin", "box"}));
    QCOMPARE(radio.ItemIndex(), -1);
}

// A page may refill a list from within the handler of the item just chosen. (That user choices
// fire the handlers is part of nodeAndControlFollowEachOther.)
void TestPelControls::listRefilledInItsOwnHandler() {
    TPelRadioGroup* radio = add(new TPelRadioGroup);
    radio->AddItem(QStringLiteral("x"));
    radio->AddItem(QStringLiteral("y"));
    TPelCheckListBox* list = add(new TPelCheckListBox);
    list->AddItem(QStringLiteral("x"));
    page->show();
    list->setCurrentRow(0);
    radio->SetOnClick([radio](tObject*) {
        radio->ClearItems();
        radio->AddItem(QStringLiteral("z"));
    });
    list->SetOnClickCheck([list](tObject*) { list->ClearItems(); });
    clickIndicator(radio->Button(0));
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(radio->Items(), QStringList({"z"}));
    QCOMPARE(list->Count(), 0);
}

void TestPelControls::handlerErrorsAreShown() {
    TPelEdit* edit = add(new TPelEdit);
    edit->SetOnChange([](tObject*) { throw EZcfgError(QStringLiteral("Broken page")); });
    QTest::keyClicks(edit, QStringLiteral("a"));
    QCOMPARE(messages, QStringList({"Broken page"}));
}

void TestPelControls::spinEditLooks() {
    TPelSpinEdit* spin = add(new TPelSpinEdit);
    const QColor editColour = spin->palette().color(QPalette::Base);
    spin->SetValue(-500); // equal limits: no limits
    QCOMPARE(spin->Value(), -500);

    spin->SetReadOnly(true);
    QVERIFY(spin->isReadOnly());
    QCOMPARE(spin->buttonSymbols(), QAbstractSpinBox::NoButtons);
    QTest::keyClick(spin, Qt::Key_Up);
    QCOMPARE(spin->Value(), -500);
    spin->SetReadOnly(false);
    QCOMPARE(spin->buttonSymbols(), QAbstractSpinBox::UpDownArrows);

    spin->SetEditable(false);
    QVERIFY(spin->isReadOnly());
    QCOMPARE(spin->buttonSymbols(), QAbstractSpinBox::NoButtons);
    QCOMPARE(spin->palette().color(QPalette::Base), page->palette().color(QPalette::Window));
    spin->SetEditable(true);
    QVERIFY(!spin->isReadOnly());
    QCOMPARE(spin->palette().color(QPalette::Base), editColour);
}

void TestPelControls::memoLinesAndSelection() {
    TPelMemo memo;
    memo.SetText(QStringLiteral("ab\n\ncd\n"));
    QCOMPARE(memo.Lines(), QStringList({"ab", "", "cd"}));
    memo.SetSelStart(1);
    memo.SetSelLength(3);
    QCOMPARE(memo.SelStart(), 1);
    QCOMPARE(memo.SelLength(), 3);
    QCOMPARE(memo.textCursor().selectedText().size(), 3);
    memo.SetSelLength(100);
    QCOMPARE(memo.SelLength(), 6);
}

// ---- Bound to properties -------------------------------------------------------------------

void TestPelControls::memoUndoRestoresTextThenSelection_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("edited");
    QTest::newRow("typed over a selection") << 1 << 1 << int(Qt::Key_X) << "axc";
    QTest::newRow("typed at the caret") << 2 << 0 << int(Qt::Key_X) << "abxc";
    QTest::newRow("backspace") << 2 << 0 << int(Qt::Key_Backspace) << "ac";
    QTest::newRow("delete") << 1 << 0 << int(Qt::Key_Delete) << "ac";
}

void TestPelControls::memoUndoRestoresTextThenSelection() {
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(int, key);
    auto* notes = Create<tMemoProperty>(QStringLiteral("Notes"), root.get());
    TPelMemo* memo = add(new TPelMemo);
    memo->SetOnChange(pageHandler(notes));
    QVERIFY(readFile({QStringLiteral("Memo Notes"), QStringLiteral("// abc"), QStringLiteral("End Memo")}));
    notes->SetMemo(memo);
    QCOMPARE(memo->Lines(), QStringList({"abc"}));
    calls.clear();

    memo->SetSelStart(start);
    memo->SetSelLength(length);
    QTest::keyClick(memo, Qt::Key(key));
    QTEST(notes->Lines().value(0), "edited");
    QCOMPARE(calls.size(), 1);

    journal.undoLast();
    QCOMPARE(memo->Lines(), QStringList({"abc"}));
    QCOMPARE(notes->Lines(), QStringList({"abc"}));
    QCOMPARE(memo->SelStart(), start);
    QCOMPARE(memo->SelLength(), length);
}

void TestPelControls::bindingErrors_data() {
    QTest::addColumn<int>("binding");
    QTest::addColumn<QString>("message");
    QTest::newRow("text to combo box") << 0 << "Editor type not recognised for Code";
    QTest::newRow("enum to editable combo box") << 1 << "Combo Box must be Style DropDownList";
    QTest::newRow("enum to edit box") << 2 << "Illegal GUI Type";
}

void TestPelControls::bindingErrors() {
    QFETCH(int, binding);
    QFETCH(QString, message);
    auto* code = Create<tPelTextProperty>(QStringLiteral("Code"), root.get());
    auto* colour = Create<tPelEnum<tTestColour>>(QStringLiteral("Colour"), root.get());
    TPelComboBox* combo = add(new TPelComboBox);
    TPelEdit* edit = add(new TPelEdit);
    combo->setEditable(binding == 1);
    try {
        if (binding == 0)
            code->SetEdit(combo);
        else
            colour->SetControl(binding == 1 ? static_cast<IControl*>(combo) : edit);
        QFAIL("binding succeeded");
    } catch (const EZcfgError& e) {
        QCOMPARE(e.Message(), message);
    }
}

// One node bound to one control of each kind, with the page's own handler installed first.
TestPelControls::Bound TestPelControls::bind(const QString& kind, const tNotifyEvent& pageHandler) {
    Bound b;
    if (kind == "edit" || kind == "masked edit") {
        auto* text = Create<tPelTextProperty>(QStringLiteral("Node"), root.get());
        IEditBox* edit = kind == "edit" ? static_cast<IEditBox*>(add(new TPelEdit)) : add(new TPelMaskEdit);
        auto* widget = dynamic_cast<QLineEdit*>(edit);
        edit->SetOnChange(pageHandler);
        text->SetEdit(edit);
        b = {text,
             widget,
             [widget] { QTest::keyClicks(widget, QStringLiteral("7")); },
             [text] { text->SetValueText(QStringLiteral("42")); },
             [this, text] { text->SetEdit(add(new TPelEdit)); },
             [edit] { return edit->Text(); }};
    } else if (kind == "spin edit") {
        auto* number = Create<tPelIntegerProperty>(QStringLiteral("Node"), root.get());
        number->SetMax(10);
        TPelSpinEdit* spin = add(new TPelSpinEdit);
        spin->SetOnChange(pageHandler);
        number->SetSpinEdit(spin);
        b = {number,
             spin,
             [spin] { QTest::keyClick(spin, Qt::Key_Up); },
             [number] { number->SetAsInteger(3); },
             [number] { number->SetSpinEdit(nullptr); },
             [spin] { return QString::number(spin->Value()); }};
    } else if (kind == "memo") {
        auto* notes = Create<tMemoProperty>(QStringLiteral("Node"), root.get());
        TPelMemo* memo = add(new TPelMemo);
        memo->SetOnChange(pageHandler);
        notes->SetMemo(memo);
        b = {notes,
             memo,
             [memo] {
                 memo->setEnabled(true); // a memo let go of is disabled
                 QTest::keyClicks(memo, QStringLiteral("x"));
             },
             [notes] {
                 notes->SetLinesFrom({QStringLiteral("a"), QStringLiteral("b")});
             },
             [this, notes] { notes->SetMemo(add(new TPelMemo)); },
             [memo] { return tMemoProperty::JoinLines(memo->Lines()); }};
    } else if (kind == "check box") {
        auto* flag = Create<tPelBooleanProperty>(QStringLiteral("Node"), root.get());
        TPelCheckBox* box = add(new TPelCheckBox(QStringLiteral("Node")));
        box->SetOnClick(pageHandler);
        flag->SetCheckBox(box);
        b = {flag,
             box,
             [box] { clickIndicator(box); },
             [flag] { flag->SetAsBoolean(true); },
             [this, flag] { flag->SetCheckBox(add(new TPelCheckBox)); },
             [box] { return QString::fromLatin1(box->Checked() ? "TRUE" : "FALSE"); }};
    } else if (kind == "combo box" || kind == "radio group") {
        auto* colour = Create<tPelEnum<tTestColour>>(QStringLiteral("Node"), root.get());
        std::function<void()> choose;
        QWidget* widget = nullptr;
        if (kind == "combo box") {
            TPelComboBox* combo = add(new TPelComboBox);
            combo->SetOnChange(pageHandler);
            colour->SetControl(combo);
            widget = combo;
            choose = [combo] { QTest::keyClick(combo, Qt::Key_Down); };
        } else {
            TPelRadioGroup* radio = add(new TPelRadioGroup);
            radio->SetOnClick(pageHandler);
            colour->SetControl(radio);
            widget = radio;
            choose = [radio] { clickIndicator(radio->Button(2)); };
        }
        b = {colour,
             widget,
             choose,
             [colour] { colour->SetAsEnum(tc_Blue); },
             [this, colour] { colour->SetControl(add(new TPelComboBox)); },
             [colour] {
                 const int index = colour->Selector().Control()->ItemIndex();
                 return index < 0 ? QString() : colour->TypeInfo().NameOf(colour->IndexToValue(index));
             }};
    } else if (kind == "check list box") {
        auto* flags = Create<tPelEnumSet<tTestColour>>(QStringLiteral("Node"), root.get());
        TPelCheckListBox* list = add(new TPelCheckListBox);
        list->SetOnClickCheck(pageHandler);
        flags->SetCheckList(list);
        b = {flags,
             list,
             [list] {
                 list->setCurrentRow(0);
                 QTest::keyClick(list, Qt::Key_Space);
             },
             [flags] { flags->SetFlag(tc_Blue, true); },
             [this, flags] { flags->SetCheckList(add(new TPelCheckListBox)); },
             [list] {
                 int sum = 0;
                 for (int i = 0; i < list->Count(); ++i)
                     sum |= list->Checked(i) ? 1 << i : 0;
                 return QString::number(sum);
             }};
    } else { // label: no handler of its own, only the enabled state
        auto* text = Create<tPelTextProperty>(QStringLiteral("Node"), root.get());
        TPelLabel* label = add(new TPelLabel(QStringLiteral("Node")));
        text->SetLabel(label);
        b = {text,
             label,
             [pageHandler, label] { pageHandler(label); },
             [text] { text->SetEnabled(false); },
             [this, text] { text->SetLabel(add(new TPelLabel)); },
             [label] { return QString::fromLatin1(label->IsEnabled() ? "TRUE" : "FALSE"); }};
    }
    return b;
}

// Every bound control follows its node whatever changed it (the program, undo, a file), and a user
// edit reaches the node before the page's own handler runs. Edit boxes, spin edits and check boxes
// run the page's handler for the program's changes too; list controls only for the user's choices.
void TestPelControls::nodeAndControlFollowEachOther_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("edited");        // the node's value after the user's edit
    QTest::addColumn<QString>("program");       // a value the program sets
    QTest::addColumn<QString>("fromFile");      // a value read from a file ...
    QTest::addColumn<QString>("shownFromFile"); // ... and what the control shows then
    QTest::addColumn<bool>("programFiresPage");
    auto row = [](const char* tag, const char* kind, const char* edited, const char* program,
                  const char* fromFile, const char* shownFromFile, bool programFiresPage) {
        QTest::newRow(tag) << QString(kind) << QString(edited) << QString(program) << QString(fromFile)
                           << QString(shownFromFile) << programFiresPage;
    };
    row("edit", "edit", "7", "345", "678", "678", true);
    row("masked edit", "masked edit", "7", "345", "678", "678", true);
    row("spin edit, limits hold against the file", "spin edit", "1", "3", "99", "10", true);
    row("check box", "check box", "TRUE", "FALSE", "FALSE", "FALSE", true);
    row("combo box", "combo box", "tc_Light_Green", "tc_Blue", "TC_DARK_GREY", "tc_Dark_Grey", false);
    row("radio group, unknown name selects nothing", "radio group", "tc_Blue", "tc_Light_Green", "tc_Purple",
        "", false);
    row("check list box", "check list box", "1", "4", "5", "5", false);
}

void TestPelControls::nodeAndControlFollowEachOther() {
    QFETCH(QString, kind);
    QFETCH(QString, edited);
    QFETCH(QString, program);
    QFETCH(bool, programFiresPage);
    auto node = std::make_shared<tPelBaseProperty*>(nullptr);
    Bound b = bind(kind, [this, node](tObject*) { calls << QStringLiteral("page:") + (*node)->Value(); });
    *node = b.node;
    page->show();

    b.userEdit();
    QCOMPARE(b.node->Value(), edited);
    QCOMPARE(calls, QStringList({"page:" + edited}));
    calls.clear();
    b.node->SetValueText(program);
    QCOMPARE(b.shown(), program);
    journal.undoLast();
    QCOMPARE(b.shown(), edited);
    QCOMPARE(calls.size(), programFiresPage ? 2 : 0);
    QFETCH(QString, fromFile);
    QVERIFY(readFile({QStringLiteral("Node = ") + fromFile}));
    QTEST(b.shown(), "shownFromFile");
}

// While bound, the tree's enabled state reaches the control (a disabled spin edit shows no buttons).
// A node lets go of its control when bound to another one or destroyed, and either side may be
// destroyed first without the other reaching it (run under AddressSanitizer to see the difference).
void TestPelControls::bindingsFollowEnabledAndEndCleanly_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("end");
    for (const char* kind : {"edit", "masked edit", "spin edit", "memo", "check box", "combo box",
                             "radio group", "check list box", "label"})
        for (const char* end : {"rebound", "node destroyed", "control destroyed"})
            QTest::addRow("%s %s", kind, end) << kind << end;
}

void TestPelControls::bindingsFollowEnabledAndEndCleanly() {
    QFETCH(QString, kind);
    QFETCH(QString, end);
    Bound b = bind(kind, logCall("page"));
    tPelBaseProperty* node = b.node;
    page->show();
    const QString before = node->Value();
    auto* control = dynamic_cast<IControl*>(b.control);
    auto* spin = qobject_cast<QAbstractSpinBox*>(b.control);
    root->SetEnabled(false);
    QCOMPARE(control->IsEnabled(), kind == "memo"); // a memo is only disabled when let go of
    if (spin) QCOMPARE(spin->buttonSymbols(), QAbstractSpinBox::NoButtons);
    root->SetEnabled(true);
    QVERIFY(control->IsEnabled());
    if (spin) QVERIFY(!spin->isReadOnly());
    if (end == "control destroyed") {
        delete b.control;
        b.programEdit(); // the node goes on without its control
        node->SetEnabled(false);
        node->SetEnabled(true);
        b.bindOther();
        root->SetValueText(QStringLiteral("x")); // the whole tree changes and is destroyed later
        return;
    }
    if (end == "node destroyed")
        root.reset();
    else
        b.bindOther();
    calls.clear();
    b.userEdit();
    QCOMPARE(calls, QStringList({"page"})); // the page's own handler, and nothing of the node
    if (end == "rebound") QCOMPARE(node->Value(), before);
    delete b.control;
}

QTEST_MAIN(TestPelControls)
#include "tst_pelcontrols.moc"
