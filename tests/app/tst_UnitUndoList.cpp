#include "app/UnitUndoList.h"

#include <QTest>
#include <stdexcept>

namespace {

// A property that reports its changes to the manager the way the document's nodes do: a change is
// bracketed by BeginGroup/EndGroup and records the old text; an undo reports the displaced text
// with RecordRedo; a redo is an ordinary change.
class FakeProperty : public tUndoable {
public:
    FakeProperty(tUndoRedo& manager, const int& activePage, QString value = QStringLiteral("0"))
        : manager_(manager), activePage_(activePage), value_(std::move(value)) {}

    void Set(const QString& text) {
        manager_.BeginGroup();
        manager_.Record(activePage_, this, ckValue, value_);
        value_ = text;
        if (changeHook) changeHook();
        manager_.EndGroup();
    }

    void Undo(tChangeKind kind, const QString& text) override {
        calls << QStringLiteral("undo ") + text;
        manager_.RecordRedo(this, kind, std::exchange(value_, text));
    }

    void Redo(tChangeKind, const QString& text) override {
        calls << QStringLiteral("redo ") + text;
        if (failRedo) throw std::runtime_error("redo failed");
        manager_.BeginGroup();
        manager_.Record(activePage_, this, ckValue, value_);
        value_ = text;
        manager_.EndGroup();
    }

    const QString& value() const { return value_; }

    QStringList calls;
    std::function<void()> changeHook;
    bool failRedo = false;

private:
    tUndoRedo& manager_;
    const int& activePage_;
    QString value_;
};

} // namespace

class TestUndoList : public QObject {
    Q_OBJECT
private slots:
    void init();

    void emptyManagerPlaysNothing();
    void oneChangeUndoRedo();
    void threeChangesUndoneAndRedoneInOrder();
    void newChangeAfterUndoDisablesRedo();
    void undoReturnsPageOfChange();
    void nestedGroupUndoneAndRedoneInOneStep();
    void changeAfterGroupRedoFormsOwnStep();
    void emptyGroupsAreSkipped_data();
    void emptyGroupsAreSkipped();
    void clearInsideOpenGroup();
    void failingRedoEndsRedoing();
    void availabilityEvents_data();
    void availabilityEvents();

private:
    FakeProperty& property(int i) { return *properties_[size_t(i)]; }

    tUndoRedo manager_;
    int activePage_ = 0;
    std::vector<std::unique_ptr<FakeProperty>> properties_;
    QStringList events_;
};

void TestUndoList::init() {
    manager_.Clear();
    activePage_ = 0;
    events_.clear();
    properties_.clear();
    for (int i = 0; i < 4; ++i)
        properties_.push_back(std::make_unique<FakeProperty>(manager_, activePage_));
    manager_.SetOnUndoAvailable([this](tUndoRedo*, bool on) { events_ << (on ? "U+" : "U-"); });
    manager_.SetOnRedoAvailable([this](tUndoRedo*, bool on) { events_ << (on ? "R+" : "R-"); });
    events_.clear();
}

void TestUndoList::emptyManagerPlaysNothing() {
    QCOMPARE(manager_.Undo(), -1);
    QCOMPARE(manager_.Redo(), -1);
    QVERIFY(!manager_.CanUndo());
    QVERIFY(!manager_.CanRedo());
    QVERIFY(events_.isEmpty());
}

void TestUndoList::oneChangeUndoRedo() {
    property(0).Set("1");
    QVERIFY(manager_.CanUndo());
    QVERIFY(!manager_.CanRedo());

    manager_.Undo();
    QCOMPARE(property(0).value(), "0");
    QVERIFY(!manager_.CanUndo());
    QVERIFY(manager_.CanRedo());

    manager_.Redo();
    QCOMPARE(property(0).value(), "1");
    QVERIFY(manager_.CanUndo());
    QVERIFY(!manager_.CanRedo());
    QCOMPARE(property(0).calls, QStringList({"undo 0", "redo 1"}));
}

void TestUndoList::threeChangesUndoneAndRedoneInOrder() {
    for (int i = 0; i < 3; ++i)
        property(i).Set("1");
    manager_.Undo();
    manager_.Undo();
    QCOMPARE(property(0).value(), "1");
    QCOMPARE(property(1).value(), "0");
    QCOMPARE(property(2).value(), "0");

    QStringList order;
    for (int i = 1; i < 3; ++i)
        property(i).changeHook = [&order, i] { order << QString::number(i); };
    manager_.Redo();
    QCOMPARE(property(1).value(), "1");
    QCOMPARE(property(2).value(), "0");
    manager_.Redo();
    QCOMPARE(property(2).value(), "1");
    QVERIFY(!manager_.CanRedo());

    // All three are undone again one by one, newest first.
    for (int i = 2; i >= 0; --i) {
        manager_.Undo();
        QCOMPARE(property(i).value(), "0");
    }
    QVERIFY(!manager_.CanUndo());
}

void TestUndoList::newChangeAfterUndoDisablesRedo() {
    property(0).Set("1");
    property(1).Set("1");
    manager_.Undo();
    QVERIFY(manager_.CanRedo());
    events_.clear();
    property(2).Set("1");
    QVERIFY(!manager_.CanRedo());
    QCOMPARE(events_, QStringList({"R-"}));
    QCOMPARE(manager_.Redo(), -1);
    QCOMPARE(property(1).value(), "0");
}

void TestUndoList::undoReturnsPageOfChange() {
    activePage_ = 3;
    property(0).Set("1");
    activePage_ = 0;
    QCOMPARE(manager_.Undo(), 3);
    QCOMPARE(manager_.LastUndonePage(), 3);
    // The redo step keeps the page of the undone change, whatever page is in front now.
    QCOMPARE(manager_.Redo(), 3);
}

void TestUndoList::nestedGroupUndoneAndRedoneInOneStep() {
    property(0).Set("A");
    activePage_ = 2;
    property(1).changeHook = [this] {
        property(2).Set("x");
        property(3).Set("y");
    };
    property(1).Set("1");

    QCOMPARE(manager_.Undo(), 2);
    for (int i = 1; i < 4; ++i)
        QCOMPARE(property(i).value(), "0");
    QCOMPARE(property(0).value(), "A");

    property(1).changeHook = nullptr;
    QCOMPARE(manager_.Redo(), 2);
    QCOMPARE(property(1).value(), "1");
    QCOMPARE(property(2).value(), "x");
    QCOMPARE(property(3).value(), "y");
    QVERIFY(!manager_.CanRedo());

    manager_.Undo();
    for (int i = 1; i < 4; ++i)
        QCOMPARE(property(i).value(), "0");
    QCOMPARE(property(0).value(), "A");
}

void TestUndoList::changeAfterGroupRedoFormsOwnStep() {
    property(0).changeHook = [this] { property(1).Set("1"); };
    property(0).Set("1");
    property(0).changeHook = nullptr;
    manager_.Undo();
    manager_.Redo();

    property(2).Set("1");
    manager_.Undo();
    QCOMPARE(property(2).value(), "0");
    QCOMPARE(property(0).value(), "1");
    QCOMPARE(property(1).value(), "1");
    QVERIFY(manager_.CanUndo());
}

// An empty group (a change that recorded nothing) is no step, whatever the group below it holds.
void TestUndoList::emptyGroupsAreSkipped_data() {
    QTest::addColumn<int>("steps"); // steps of the group below the empty one
    QTest::addColumn<bool>("nested");
    for (int steps : {1, 3})
        for (bool nested : {false, true})
            QTest::addRow("%d step(s) below %s", steps, nested ? "nested empty groups" : "an empty group")
                << steps << nested;
}

void TestUndoList::emptyGroupsAreSkipped() {
    QFETCH(int, steps);
    QFETCH(bool, nested);
    property(3).Set("1");
    manager_.BeginGroup();
    for (int i = 0; i < steps; ++i)
        property(i).Set("1");
    manager_.EndGroup();
    manager_.BeginGroup();
    if (nested) {
        manager_.BeginGroup();
        manager_.EndGroup();
    }
    manager_.EndGroup();

    manager_.Undo(); // the whole group below, and nothing else
    for (int i = 0; i < 3; ++i)
        QCOMPARE(property(i).value(), "0");
    QCOMPARE(property(3).value(), "1");
    manager_.Undo();
    QCOMPARE(property(3).value(), "0");
    QVERIFY(!manager_.CanUndo());
}

void TestUndoList::clearInsideOpenGroup() {
    property(0).Set("1");
    manager_.BeginGroup();
    property(1).Set("1");
    manager_.Clear();
    property(2).Set("1");
    property(3).Set("1");
    manager_.EndGroup();

    QVERIFY(manager_.CanUndo());
    manager_.Undo();
    QCOMPARE(property(2).value(), "0");
    QCOMPARE(property(3).value(), "0");
    QCOMPARE(property(1).value(), "1");
    QVERIFY(!manager_.CanUndo());
}

void TestUndoList::failingRedoEndsRedoing() {
    property(0).Set("1");
    property(1).Set("1");
    manager_.Undo();
    manager_.Undo();
    property(0).failRedo = true;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, manager_.Redo());
    // The manager is not left replaying: a new change discards what could be redone.
    property(2).Set("1");
    QVERIFY(!manager_.CanRedo());
}

// Actions: c = a change of the next property, u = Undo, r = Redo, C = Clear.
void TestUndoList::availabilityEvents_data() {
    QTest::addColumn<QString>("actions");
    QTest::addColumn<QString>("events");
    QTest::newRow("first change") << "c"
                                  << "R- U+";
    QTest::newRow("each change outside redo") << "cc"
                                              << "R- U+ R-";
    QTest::newRow("undo all") << "ccuu"
                              << "R- U+ R- R+ U-";
    QTest::newRow("redo all") << "ccuurr"
                              << "R- U+ R- R+ U- U+ R-";
    QTest::newRow("clear") << "cuC"
                           << "R- U+ U- R+ U- R-";
    QTest::newRow("nothing to play") << "ur"
                                     << "";
}

void TestUndoList::availabilityEvents() {
    QFETCH(QString, actions);
    QFETCH(QString, events);
    int next = 0;
    for (const QChar action : actions) {
        if (action == 'c')
            property(next++).Set("1");
        else if (action == 'u')
            manager_.Undo();
        else if (action == 'r')
            manager_.Redo();
        else
            manager_.Clear();
    }
    QCOMPARE(events_.join(' '), events);
}

QTEST_GUILESS_MAIN(TestUndoList)
#include "tst_UnitUndoList.moc"
