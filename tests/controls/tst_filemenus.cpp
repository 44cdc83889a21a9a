// The document's menus in a real window: order, captions, shortcuts, history and enabling.
#include "property/PelError.h"
#include "property/PelScalar.h"
#include "property/controls/PelFileMenus.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QtTest>

namespace {

class TestDocument : public tPelFileProperty {
public:
    TestDocument() : tPelFileProperty(QStringLiteral("Test File"), nullptr) {
        flag = Create<tPelBooleanProperty>(QStringLiteral("Flag"), this);
    }
    tPelBooleanProperty* flag;
};

class FakeDialog : public tObject, public ISaveDialog {
public:
    bool Modified() const override { return modified; }
    void SetModified(bool m) override { modified = m; }
    tFileEvent OnSave() const override { return onSave; }
    void SetOnSave(tFileEvent h) override { onSave = std::move(h); }
    tFileEvent OnLoad() const override { return onLoad; }
    void SetOnLoad(tFileEvent h) override { onLoad = std::move(h); }
    bool Save(const QString&) override { return true; }
    bool SaveAs(const QString&) override { return true; }
    bool Open(const QString& name) override {
        opened << name;
        return true;
    }
    bool OpenWithDialog() override { return true; }
    bool QuerySave() override {
        ++prompts;
        return answer;
    }
    void SetFullFileName(const QString&) override {}
    bool HasSettingsStore() const override { return true; }
    QString History(int index) const override { return history.value(index); }
    void SaveMainWindowPlacement() override {}

    bool modified = false;
    bool answer = true;
    int prompts = 0;
    QStringList history, opened;
    tFileEvent onSave, onLoad;
};

QStringList titles(QMenuBar* bar) {
    QStringList result;
    for (QAction* action : bar->actions())
        if (action->isVisible()) result << action->text();
    return result;
}

} // namespace

class TestFileMenus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void menusTakeTheirPlacesWithShortcuts();
    void historyShowsFileNamesAndOpensAfterAsking();
    void editItemsFollowUndoAvailability();
    void helpItemsAppearWhenTheyHaveSomethingToDo();
    void captionAndCloseCheckThroughTheWindow();
    void noMenuBarRaises();
    void eitherSideMayGoFirst_data();
    void eitherSideMayGoFirst();

private:
    std::unique_ptr<QMainWindow> window_;
    std::unique_ptr<TestDocument> doc_;
    FakeDialog dialog_;
    std::unique_ptr<TPelFileMenus> menus_;
};

void TestFileMenus::init() {
    window_ = std::make_unique<QMainWindow>();
    window_->setWindowTitle(QStringLiteral("Zentara Configurator"));
    window_->menuBar()->addMenu(QStringLiteral("&Tools"));
    doc_.reset(Create<TestDocument>());
    dialog_ = FakeDialog();
    doc_->SetSaveDialog(&dialog_);
    doc_->SetModified(false);
    menus_ = std::make_unique<TPelFileMenus>(*doc_, window_->menuBar(), window_.get());
}

void TestFileMenus::cleanup() {
    menus_.reset();
    doc_.reset();
    window_.reset();
}

void TestFileMenus::menusTakeTheirPlacesWithShortcuts() {
    QCOMPARE(titles(window_->menuBar()), QStringList({"&File", "&Edit", "&Tools"})); // Device and Help hidden
    QStringList file;
    for (QAction* action : menus_->FileMenu()->actions())
        file << (action->isSeparator() ? QStringLiteral("-")
                                       : action->text() + QLatin1Char(' ') + action->shortcut().toString());
    QCOMPARE(file.mid(0, 8), QStringList({"&New Alt+F2", "&Load Alt+F3", "&Save Alt+F4", "Save &As Alt+F5",
                                          "-", "E&xit Ctrl+Alt+F4", "-", "&0:  "}));
    QCOMPARE(menus_->EditMenu()->actions()[0]->shortcut(), QKeySequence(QStringLiteral("Alt+Backspace")));
    QCOMPARE(menus_->EditMenu()->actions()[1]->shortcut(),
             QKeySequence(QStringLiteral("Shift+Alt+Backspace")));

    // New asks first when the document is modified, and Cancel keeps everything.
    doc_->flag->SetAsBoolean(true);
    dialog_.answer = false;
    menus_->FileMenu()->actions()[0]->trigger();
    QCOMPARE(dialog_.prompts, 1);
    QVERIFY(doc_->flag->AsBoolean());
    dialog_.answer = true;
    menus_->FileMenu()->actions()[0]->trigger();
    QVERIFY(!doc_->flag->AsBoolean());
}

void TestFileMenus::historyShowsFileNamesAndOpensAfterAsking() {
    dialog_.history = {"/sites/ward7.zcf", "/sites/lobby.zcf"};
    doc_->UpdateHistoryMenu();
    QCOMPARE(menus_->HistoryItem(0)->text(), QStringLiteral("&0: ward7.zcf"));
    QCOMPARE(menus_->HistoryItem(1)->text(), QStringLiteral("&1: lobby.zcf"));
    QVERIFY(menus_->HistoryItem(1)->isVisible());
    QVERIFY(!menus_->HistoryItem(2)->isVisible());
    menus_->HistoryItem(1)->trigger();
    QCOMPARE(dialog_.opened, QStringList{"/sites/lobby.zcf"});
    dialog_.answer = false;
    menus_->HistoryItem(0)->trigger();
    QCOMPARE(dialog_.opened.size(), 1);
}

void TestFileMenus::editItemsFollowUndoAvailability() {
    int undos = 0;
    doc_->SetOnUndoClick([&](tObject*) { ++undos; });
    QList<QIcon> images;
    for (int i = 0; i < 4; ++i) {
        QPixmap picture(8, 8);
        picture.fill(QColor::fromHsv(i * 60, 255, 255));
        images << QIcon(picture);
    }
    menus_->SetImageList(images);
    QAction* undo = menus_->EditMenu()->actions()[0];
    QVERIFY(!undo->isEnabled());
    QCOMPARE(undo->icon().cacheKey(), images[2].cacheKey());
    doc_->SetUndoEnabled(true);
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->icon().cacheKey(), images[0].cacheKey());
    undo->trigger();
    QCOMPARE(undos, 1);
}

void TestFileMenus::helpItemsAppearWhenTheyHaveSomethingToDo() {
    int topic = -1;
    menus_->SetOnHelpTopic([&](int t) { topic = t; });
    doc_->SetHelpContext(70);
    doc_->SetHelpCaption(QStringLiteral("Current Device"));
    QVERIFY(titles(window_->menuBar()).contains("&Help"));
    QAction* f1 = menus_->HelpMenu()->actions()[1];
    QCOMPARE(f1->text(), QStringLiteral("Current Device"));
    f1->trigger();
    QCOMPARE(topic, 70);
    bool aboutShown = false;
    doc_->SetAboutBox([&] { aboutShown = true; });
    QVERIFY(menus_->HelpMenu()->actions()[2]->isVisible());
    menus_->HelpMenu()->actions()[2]->trigger();
    QVERIFY(aboutShown);
    QCOMPARE(titles(window_->menuBar()).last(), QStringLiteral("&Help"));
}

void TestFileMenus::captionAndCloseCheckThroughTheWindow() {
    TPelMainFormAdapter form(window_.get());
    doc_->SetMainForm(&form);
    QCOMPARE(window_->windowTitle(), QStringLiteral("Zentara Configurator - <No Name>"));
    doc_->flag->SetAsBoolean(true);
    QCOMPARE(window_->windowTitle(), QStringLiteral("Zentara Configurator - <No Name> *"));
    window_->show();
    dialog_.answer = false; // Cancel in the prompt keeps the window open
    QVERIFY(!window_->close());
    QVERIFY(window_->isVisible());
    dialog_.answer = true;
    QVERIFY(window_->close());
    doc_->SetMainForm(nullptr);
}

void TestFileMenus::noMenuBarRaises() {
    try {
        TPelFileMenus menus(*doc_, nullptr, nullptr);
        QFAIL("no error raised");
    } catch (const EZcfgError& e) {
        QCOMPARE(e.Message(), QStringLiteral("Cannot create File menu - Main Menu not defined"));
    }
}

// The document, its menus and its window are destroyed in any order; what is left neither reaches
// what is gone nor stops working (run under AddressSanitizer to see the difference).
void TestFileMenus::eitherSideMayGoFirst_data() {
    QTest::addColumn<QString>("first");
    for (const char* first : {"document", "menus", "window", "save dialog"})
        QTest::newRow(first) << first;
}

void TestFileMenus::eitherSideMayGoFirst() {
    QFETCH(QString, first);
    doc_->SetMainForm(new TPelMainFormAdapter(window_.get())); // owned by the window
    QPointer<QAction> save = menus_->FileMenu()->actions().value(2);
    if (first == "document") {
        doc_.reset();
        save->trigger(); // nothing to save
        menus_->UpdateHistoryMenu();
        menus_->UpdateDeviceItems();
        window_->show();
        QVERIFY(window_->close()); // no close check left behind
    } else {
        if (first == "menus") {
            menus_.reset();
        } else if (first == "window") {
            window_.reset(); // takes the adapter and the menus' items with it
        } else {
            auto dialog = std::make_unique<FakeDialog>();
            doc_->SetSaveDialog(dialog.get());
            dialog.reset();
            QVERIFY(!doc_->SaveDialog());
            doc_->flag->SetAsBoolean(true);
            QVERIFY(doc_->NewDocument()); // no dialog left to ask
            return;
        }
        if (first == "menus") QVERIFY(!doc_->Menus());
        QCOMPARE(doc_->MainForm() != nullptr, first != "window");
        doc_->flag->SetAsBoolean(true); // caption and save dialog follow
        doc_->SetUndoEnabled(true);
        doc_->SetHelpCaption(QStringLiteral("Topic"));
        doc_->UpdateHistoryMenu();
        QVERIFY(dialog_.modified);
    }
}

QTEST_MAIN(TestFileMenus)
#include "tst_filemenus.moc"
