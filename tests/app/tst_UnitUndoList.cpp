#include "app/UnitUndoList.h"

#include <QTest>
#include <stdexcept>

namespace {

// A property that reports its changes to the manager the way the document's nodes do: a change is
// bracketed by BeginGroup/EndGroup and records the old text; an undo reports the displaced text
// with RecordRedo; a redo is an ordinary change.
class FakeProperty : public tUndoable {
public:
    FakeProperty(tUndoRedo& manager, const int& activePage) : manager_(manager), activePage_(activePage) {}

    void Set(const QString& text) {
        manager_.BeginGroup();
        manager_.Record(activePage_, this, ckValue, std::exchange(value, text));
        manager_.EndGroup();
    }
    void Undo(tChangeKind kind, const QString& text) override {
        manager_.RecordRedo(this, kind, std::exchange(value, text));
    }
    void Redo(tChangeKind, const QString& text) override {
        if (failRedo) throw std::runtime_error("redo failed");
        Set(text);
    }

    QString value = QStringLiteral("0");
    bool failRedo = false;

private:
    tUndoRedo& manager_;
    const int& activePage_;
};

} // namespace

class TestUndoList : public QObject {
    Q_OBJECT

    tUndoRedo manager_;
    int activePage_ = 0;
    std::vector<std::unique_ptr<FakeProperty>> properties_;
    QStringList events_;

    // Plays a script: a digit changes that property to "1" on the active page, "(" and ")" open and
    // close a group, "u" undoes, "r" redoes, "C" clears, "s" marks the saved state and "b" breaks
    // merging. Gives the values of the four properties
    // after each undo and redo ("1000 1100").
    QString play(const QString& script) {
        QStringList values;
        for (const QChar action : script) {
            if (action.isDigit()) {
                properties_[size_t(action.digitValue())]->Set(QStringLiteral("1"));
            } else if (action == '(') {
                manager_.BeginGroup();
            } else if (action == ')') {
                manager_.EndGroup();
            } else if (action == 'C') {
                manager_.Clear();
            } else if (action == 's') {
                manager_.MarkSaved();
            } else if (action == 'b') {
                manager_.BreakMerging();
            } else {
                action == 'u' ? manager_.Undo() : manager_.Redo();
                values << QString();
                for (const auto& property : properties_)
                    values.back() += property->value;
            }
        }
        return values.join(' ');
    }

private slots:
    void init() {
        manager_.Clear();
        activePage_ = 0;
        properties_.clear();
        for (int i = 0; i < 4; ++i)
            properties_.push_back(std::make_unique<FakeProperty>(manager_, activePage_));
        manager_.SetOnUndoAvailable([this](tUndoRedo*, bool on) { events_ << (on ? "U+" : "U-"); });
        manager_.SetOnRedoAvailable([this](tUndoRedo*, bool on) { events_ << (on ? "R+" : "R-"); });
        events_.clear();
    }

    // A script, the values after each of its undos and redos, and what can be undone and redone after it.
    void playsBackSteps_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("canUndo");
        QTest::addColumn<bool>("canRedo");
        auto row = [](const char* name, const char* script, const char* values, bool canUndo, bool canRedo) {
            QTest::newRow(name) << QString(script) << QString(values) << canUndo << canRedo;
        };
        row("nothing to play", "ur", "0000 0000", false, false);
        row("one change", "0ur", "0000 1000", true, false);
        row("undone newest first, redone oldest first", "012uurruuu", "1100 1000 1100 1110 1100 1000 0000",
            false, true);
        row("a new change discards what could be redone", "01u2r", "1000 1010", true, false);
        // A group (a change that makes further changes) is undone and redone as one step; a change
        // after a redone group is a step of its own and discards what could be redone.
        row("group", "0(123)uru", "1000 1111 1000", true, true);
        row("change after a redone group", "(01)2uur3ru", "1100 0000 1100 1101 1100", true, true);
        // An empty group is no step, whatever the group below it holds.
        for (const char* script : {"3(0)()uu", "3(012)()uu", "3(0)(())uu", "3(012)(())uu"})
            row(script, script, "0001 0000", false, true);
        row("clear inside an open group", "0(1C23)u", "1100", false, true);
    }
    void playsBackSteps() {
        QFETCH(QString, script);
        QTEST(play(script), "values");
        QTEST(manager_.CanUndo(), "canUndo");
        QTEST(manager_.CanRedo(), "canRedo");
    }

    // Consecutive changes of one typed value (properties 0 and 1 here) are one step, until the user
    // moves on or the document is saved; the history knows when it is back at the saved state.
    void mergesTypingAndKnowsTheSavedState_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("saved");
        auto row = [](const char* name, const char* script, const char* values, bool saved) {
            QTest::newRow(name) << QString(script) << QString(values) << saved;
        };
        row("typing into one field is one step", "000u", "0000", true);
        row("another field in between", "010u", "1100", false);
        row("a value chosen, not typed", "222u", "0010", false);
        row("moved to another control", "00b0u", "1000", false);
        row("saved while typing", "00s0u", "1000", true);
        row("undone back to the saved state", "2s3u", "0010", true);
        row("undone past the saved state", "2s3uu", "0010 0000", false);
        row("redone to the saved state", "23suur", "0010 0000 0010", false);
        row("redone to the saved state again", "23suurr", "0010 0000 0010 0011", true);
        row("the saved state discarded", "2s3u0", "0010", false);
        row("cleared: a loaded file", "23C", "", true);
    }
    void mergesTypingAndKnowsTheSavedState() {
        manager_.SetMergeable([this](const tUndoable* property) {
            return property == properties_[0].get() || property == properties_[1].get();
        });
        QFETCH(QString, script);
        QTEST(play(script), "values");
        QTEST(manager_.AtSavedState(), "saved");
        manager_.SetMergeable(nullptr);
    }

    // Undo and redo give the page that was in front when the step was recorded, -1 when nothing
    // was played.
    void playbackGivesPageOfStep() {
        QCOMPARE(manager_.Undo(), -1);
        QCOMPARE(manager_.Redo(), -1);
        activePage_ = 3;
        play("0");
        activePage_ = 2;
        play("(12)");
        activePage_ = 0;
        QCOMPARE(manager_.Undo(), 2);
        QCOMPARE(manager_.Undo(), 3);
        QCOMPARE(manager_.LastUndonePage(), 3);
        QCOMPARE(manager_.Redo(), 3);
        QCOMPARE(manager_.Redo(), 2);
        QCOMPARE(manager_.Redo(), -1);
    }

    void failingRedoEndsRedoing() {
        play("01uu");
        properties_[0]->failRedo = true;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, manager_.Redo());
        // The manager is not left replaying: a new change discards what could be redone.
        play("2");
        QVERIFY(!manager_.CanRedo());
    }

    void availabilityEvents_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("events");
        const char* const rows[][3] = {{"first change", "0", "R- U+"},
                                       {"each change outside redo", "01", "R- U+ R-"},
                                       {"undo all", "01uu", "R- U+ R- R+ U-"},
                                       {"redo all", "01uurr", "R- U+ R- R+ U- U+ R-"},
                                       {"change after undo", "0u1", "R- U+ U- R+ R- U+"},
                                       {"clear", "0uC", "R- U+ U- R+ U- R-"},
                                       {"nothing to play", "ur", ""}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
    }
    void availabilityEvents() {
        QFETCH(QString, script);
        play(script);
        QTEST(events_.join(' '), "events");
    }
};

QTEST_GUILESS_MAIN(TestUndoList)
#include "tst_UnitUndoList.moc"
