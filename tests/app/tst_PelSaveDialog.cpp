#include "app/PelRegistry.h"
#include "app/PelSaveDialog.h"
#include "app/UnitFileNotSaved.h"
#include "property/PelError.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <sys/stat.h>

using Answer = TPelSaveDialog::NotSavedAnswer;

namespace {
QStringList promptTexts(TFormFileNotSaved& form) {
    return {form.windowTitle(), form.LabelNotSavedWarning()->text(), form.BitBtnYes()->text(),
            form.BitBtnNo()->text(), form.BitBtnCancel()->text()};
}
} // namespace

class TestSaveDialog : public QObject {
    Q_OBJECT
private slots:
    void init();

    void addHistory_data();
    void addHistory();
    void settingsStore();
    void windowPlacement_data();
    void windowPlacement();
    void anUnusableSettingsFileIsLeftAlone_data();
    void anUnusableSettingsFileIsLeftAlone();

    void querySave_data();
    void querySave();
    void namesAndHistoryFollowSavesAndOpens();
    void openWithDialog();

    void promptButtons_data();
    void promptButtons();
    void promptTexts();

private:
    QString settingsFile() const { return dir_->filePath(QStringLiteral("settings.ini")); }
    void reopenStore() {
        registry_.reset();
        registry_ = std::make_unique<TPelRegistry>(settingsFile());
    }
    void seedHistory(const QStringList& names) {
        for (auto it = names.crbegin(); it != names.crend(); ++it)
            registry_->AddHistory(*it);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TPelRegistry> registry_;
    std::unique_ptr<TPelSaveDialog> dialog_;
    QStringList saved_, loaded_;
    bool saveOk_ = true, loadOk_ = true;
};

void TestSaveDialog::init() {
    // The dialog before the store it writes to, and the store before its folder goes: a store
    // destroyed later would write its file into a folder made anew and left behind.
    dialog_.reset();
    registry_.reset();
    dir_ = std::make_unique<QTemporaryDir>();
    registry_ = std::make_unique<TPelRegistry>(settingsFile());
    dialog_ = std::make_unique<TPelSaveDialog>();
    dialog_->SetPelRegistry(registry_.get());
    saved_.clear();
    loaded_.clear();
    saveOk_ = loadOk_ = true;
    dialog_->SetOnSave([this](tObject*, bool& ok, const QString& name) { saved_ << name, ok = saveOk_; });
    dialog_->SetOnLoad([this](tObject*, bool& ok, const QString& name) { loaded_ << name, ok = loadOk_; });
    // Nothing may reach a real dialog unless a test says so.
    dialog_->SetAskSaveFileName(
        [](const QString&) -> std::optional<QString> { throw std::logic_error("save"); });
    dialog_->SetAskOpenFileName(
        [](const QString&) -> std::optional<QString> { throw std::logic_error("open"); });
    dialog_->SetAskNotSaved([]() -> Answer { throw std::logic_error("prompt"); });
}

void TestSaveDialog::addHistory_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QStringList>("after");
    const QStringList ten{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    QTest::newRow("moves to front") << QStringList{"a", "b", "c"} << "b" << QStringList{"b", "a", "c"};
    QTest::newRow("new pushes down") << QStringList{"b", "a", "c"} << "d" << QStringList{"d", "b", "a", "c"};
    QTest::newRow("already first") << QStringList{"a", "b"} << "a" << QStringList{"a", "b"};
    QTest::newRow("letter case differs") << QStringList{"a.zcf"} << "A.zcf" << QStringList{"A.zcf", "a.zcf"};
    QTest::newRow("last drops out") << ten << "new" << (QStringList{"new"} + ten.mid(0, 9));
    QTest::newRow("last moves to front") << ten << "9" << (QStringList{"9"} + ten.mid(0, 9));
}

void TestSaveDialog::addHistory() {
    QFETCH(QStringList, before);
    QFETCH(QString, added);
    QFETCH(QStringList, after);
    seedHistory(before);
    registry_->AddHistory(added);
    QStringList actual;
    for (int i = 0; i <= TPelRegistry::HistorySize; ++i) // one past the end reads as empty
        actual << registry_->GetHistory(i);
    while (after.size() <= TPelRegistry::HistorySize)
        after << QString();
    QCOMPARE(actual, after);
}

// The history is written when the store is closed, only if the store was opened; integers are read
// strictly or with a default, per key, and survive a new run.
void TestSaveDialog::settingsStore() {
    registry_.reset();
    QVERIFY(!QFile::exists(settingsFile()));
    reopenStore();
    QCOMPARE(registry_->GetHistory(0), QString());
    registry_.reset();
    {
        QSettings store(settingsFile(), QSettings::IniFormat);
        store.beginGroup("Zentara Configurator");
        for (int i = 0; i < 10; ++i)
            QVERIFY(store.contains(QStringLiteral("History %1").arg(i)));
    }
    reopenStore();
    seedHistory({"/a.zcf", "/b.zcf"});
    registry_->WriteInteger("Last Device Type", 5);
    registry_->WriteString("Text", "Normal");
    QVERIFY_THROWS_EXCEPTION(EZcfgError, registry_->ReadInteger("Missing"));
    QVERIFY_THROWS_EXCEPTION(EZcfgError, registry_->ReadInteger("Text"));
    QCOMPARE(registry_->ReadIntegerDefault("Missing", 7), 7);
    QCOMPARE(registry_->ReadIntegerDefault("Text", 7), 7);
    reopenStore();
    QCOMPARE((QStringList{registry_->GetHistory(0), registry_->GetHistory(1), registry_->GetHistory(2)}),
             (QStringList{"/a.zcf", "/b.zcf", ""}));
    QCOMPARE(registry_->ReadInteger("Last Device Type"), 5);
    registry_->SetKey("Other");
    QVERIFY(!registry_->KeyOpen());
    QCOMPARE(registry_->ReadIntegerDefault("Last Device Type", -1), -1);
    registry_->SetKey("Zentara Configurator");
    QCOMPARE(registry_->ReadInteger("Last Device Type"), 5);

    // Writing back what the file holds leaves the file alone (no rewrite, which would replace it);
    // a changed value is written.
    const auto fileId = [this] {
        struct stat status {};
        return ::stat(QFile::encodeName(settingsFile()).constData(), &status) == 0 ? status.st_ino : 0;
    };
    const auto before = fileId();
    registry_->WriteInteger("Last Device Type", 5);
    registry_->WriteString("Text", "Normal");
    reopenStore();
    QCOMPARE(fileId(), before);
    registry_->WriteInteger("Last Device Type", 6);
    reopenStore();
    QVERIFY(fileId() != before);
    QCOMPARE(registry_->ReadInteger("Last Device Type"), 6);
}

// One step of the window placement. The store's values are "Name=value" pairs of the "Main Window"
// keys; an empty value reads as missing. After a save the store is checked, after a restore the
// window (a null rectangle: maximized at its old width).
void TestSaveDialog::windowPlacement_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QRect>("window"); // null: none
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("expectedStore");
    QTest::addColumn<QRect>("expectedWindow");
    const QString normal = "State=Normal Top=30 Left=40 Width=500 Height=300";
    const QRect none, small(10, 10, 200, 100);
    QTest::newRow("save without a window writes nothing") << "" << none << 0 << true << "State=" << none;
    QTest::newRow("save a normal window") << "" << QRect(40, 30, 500, 300) << 0 << true << normal << none;
    QTest::newRow("save a minimized window writes nothing")
        << "State=Unchanged" << small << int(Qt::WindowMinimized) << true << "State=Unchanged Top=" << none;
    QTest::newRow("save a maximized window: the state only")
        << "" << small << int(Qt::WindowMaximized) << true << "State=Maximized Width=" << none;
    QTest::newRow("restore a normal window")
        << normal << small << 0 << false << "" << QRect(40, 30, 500, 300);
    QTest::newRow("restore a maximized window without its position")
        << "State=Maximized Width=321" << small << 0 << false << "" << none;
    QTest::newRow("restore from an empty store changes nothing") << "" << small << 0 << false << "" << small;
    QTest::newRow("restore stops silently at a missing value")
        << "State=Normal Top=77 Width=333" << small << 0 << false << "" << QRect(10, 77, 200, 100);
    // Stored values are kept within the screens, so no arithmetic on the window's geometry overflows
    // (run under UndefinedBehaviorSanitizer to see the difference).
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const int right = screen.right() - MinimumVisibleExtent, bottom = screen.bottom() - MinimumVisibleExtent;
    QTest::newRow("restore the largest values onto the screen")
        << "State=Normal Top=2147483647 Left=2147483647 Width=2147483647 Height=2147483647" << small << 0
        << false << "" << QRect(right, bottom, screen.width(), screen.height());
    QTest::newRow("restore the smallest values onto the screen")
        << "State=Normal Top=-2147483648 Left=-2147483648 Width=-2147483648 Height=0" << small << 0 << false
        << "" << QRect(screen.left(), screen.top(), 1, 1);
    QTest::newRow("restore a window far below and left onto the screen")
        << "State=Normal Top=32767 Left=-5000 Width=500 Height=300" << small << 0 << false << ""
        << QRect(screen.left(), bottom, 500, 300);
}

void TestSaveDialog::windowPlacement() {
    QFETCH(QString, stored);
    QFETCH(QRect, window);
    QFETCH(int, state);
    QFETCH(bool, save);
    QFETCH(QString, expectedStore);
    QFETCH(QRect, expectedWindow);
    const auto pairs = [](const QString& text) {
        QList<QStringList> result;
        for (const QString& pair : text.split(' ', Qt::SkipEmptyParts))
            result << QStringList{"Main Window " + pair.section('=', 0, 0), pair.section('=', 1)};
        return result;
    };
    QWidget widget;
    if (!window.isNull()) {
        widget.setGeometry(window);
        widget.setWindowState(Qt::WindowStates(state));
        registry_->SetMainWindow(&widget);
    }
    for (const QStringList& pair : pairs(stored)) {
        bool number = false;
        const int value = pair[1].toInt(&number);
        number ? registry_->WriteInteger(pair[0], value) : registry_->WriteString(pair[0], pair[1]);
    }
    if (save) {
        registry_->SaveMainWindowPlacement();
        for (const QStringList& pair : pairs(expectedStore))
            QCOMPARE(registry_->ReadString(pair[0]), pair[1]);
        return;
    }
    registry_->RestoreMainWindowPlacement();
    QCOMPARE(widget.isMaximized(), expectedWindow.isNull());
    if (expectedWindow.isNull())
        QCOMPARE(widget.width(), window.width()); // the stored width is ignored
    else
        QCOMPARE(QRect(widget.pos(), widget.size()), expectedWindow);
}

// A settings file that is a pipe, a device, a folder or far too large is never read: the program
// starts, keeps the run's settings in memory, says so once, and leaves the file as it is.
void TestSaveDialog::anUnusableSettingsFileIsLeftAlone_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("problem");
    QTest::newRow("pipe") << "fifo"
                          << "It is a pipe, not a file";
    QTest::newRow("pipe in the user's settings folder") << "native fifo"
                                                        << "It is a pipe, not a file";
    QTest::newRow("endless device") << "/dev/zero"
                                    << "It is a device, not a file";
    QTest::newRow("larger than any settings") << "huge"
                                              << "It is larger than 64 MB";
}

void TestSaveDialog::anUnusableSettingsFileIsLeftAlone() {
    QFETCH(QString, kind);
    QFETCH(QString, problem);
    registry_.reset();
    QString file = kind.startsWith('/') ? kind : settingsFile();
    QStandardPaths::setTestModeEnabled(true);
    if (kind == "native fifo") {
        registry_ = std::make_unique<TPelRegistry>();
        registry_->SetKey(QStringLiteral("Zentara Test %1").arg(QCoreApplication::applicationPid()));
        file = registry_->StoreFile();
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    }
    const auto cleanUp = qScopeGuard([&] {
        QStandardPaths::setTestModeEnabled(false);
        if (kind == "native fifo") QFile::remove(file);
    });
    if (kind.endsWith("fifo")) QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    QFile huge(file);
    if (kind == "huge") QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(64) * 1024 * 1024 + 1));
    huge.close();
    const QFileInfo before(file);
    if (!registry_) registry_ = std::make_unique<TPelRegistry>(file);
    QStringList warnings;
    const MessagePresenter previous =
        SetMessagePresenter([&](MessageKind, const QString& text) { warnings << text; });
    registry_->AddHistory("/site/a.zcf");
    registry_->WriteInteger("Program Mode", 1);
    QCOMPARE(registry_->ReadInteger("Program Mode"), 1);
    QCOMPARE(registry_->GetHistory(0), "/site/a.zcf");
    registry_.reset(); // writes the history, into memory
    SetMessagePresenter(previous);
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings.first().contains(QDir::toNativeSeparators(file)) && warnings.first().contains(problem),
             qPrintable(warnings.first()));
    QCOMPARE(QFileInfo(file).isFile(), before.isFile());
    QCOMPARE(QFileInfo(file).size(), before.size());
}

// Prompt answers in order, save-as dialog answers in order ("" = cancelled).
void TestSaveDialog::querySave_data() {
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("answers"); // Yes, No, Cancel
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<bool>("saveOk");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("saved");
    const QStringList none, a{"/d/a.zcf"};
    QTest::newRow("cancel") << "/d/a.zcf"
                            << "C" << none << true << false << none;
    QTest::newRow("no") << "/d/a.zcf"
                        << "N" << none << true << true << none;
    QTest::newRow("yes saves current") << "/d/a.zcf"
                                       << "Y" << none << true << true << a;
    QTest::newRow("yes unnamed asks name")
        << ""
        << "Y" << QStringList{"/d/new.zcf"} << true << true << QStringList{"/d/new.zcf"};
    QTest::newRow("name cancelled asks again") << ""
                                               << "YN" << QStringList{""} << true << true << none;
    QTest::newRow("failed save asks again") << "/d/a.zcf"
                                            << "YYC" << none << false << false << a + a;
}

void TestSaveDialog::querySave() {
    QFETCH(QString, current);
    QFETCH(QString, answers);
    QFETCH(QStringList, chosen);
    QFETCH(bool, saveOk);
    QFETCH(bool, result);
    QFETCH(QStringList, saved);
    if (!current.isEmpty()) dialog_->Open(current);
    dialog_->SetAskNotSaved([&answers] {
        const QChar answer = answers.front();
        answers.remove(0, 1);
        return answer == 'Y' ? Answer::Yes : answer == 'N' ? Answer::No : Answer::Cancel;
    });
    dialog_->SetAskSaveFileName([&chosen](const QString&) -> std::optional<QString> {
        const QString name = chosen.takeFirst();
        return name.isEmpty() ? std::nullopt : std::optional<QString>(name);
    });
    QVERIFY(dialog_->QuerySave()); // not modified: nothing asked
    dialog_->SetModified(true);
    saveOk_ = saveOk;
    QCOMPARE(dialog_->QuerySave(), result);
    QCOMPARE(saved_, saved);
    QVERIFY(answers.isEmpty() && chosen.isEmpty());
}

void TestSaveDialog::namesAndHistoryFollowSavesAndOpens() {
    // Save-as starts where it was last told; a cancelled dialog saves and records nothing.
    QStringList starts;
    dialog_->SetAskSaveFileName([&starts](const QString& start) -> std::optional<QString> {
        starts << start;
        return std::nullopt;
    });
    QVERIFY(!dialog_->SaveAs("/site/b/f.zcf"));
    QCOMPARE(dialog_->DialogFileName(), "f.zcf");
    QCOMPARE(dialog_->InitialDir(), "/site/b/");
    QVERIFY(!dialog_->SaveAs("g.zcf"));
    QVERIFY(!dialog_->Save(""));
    QCOMPARE(starts, QStringList({"/site/b/f.zcf", "/site/b/g.zcf", "/site/b/"}));
    QVERIFY(saved_.isEmpty());
    QCOMPARE(dialog_->FullFileName(), QString());
    QCOMPARE(registry_->GetHistory(0), QString());

    int changes = 0;
    dialog_->SetOnHistoryChange([&changes](tObject*) { ++changes; });
    dialog_->Open("/d/old.zcf");
    QCOMPARE(dialog_->FullFileName(), "/d/old.zcf");
    dialog_->SetAskSaveFileName([](const QString&) { return std::optional<QString>("/e/new.zcf"); });
    QVERIFY(dialog_->SaveAs(""));
    QCOMPARE(dialog_->FullFileName(), "/e/new.zcf");
    // The prompt's Yes writes where the user last saved.
    dialog_->SetModified(true);
    dialog_->SetAskNotSaved([] { return Answer::Yes; });
    QVERIFY(dialog_->QuerySave());
    QCOMPARE(saved_.last(), "/e/new.zcf");
    dialog_->Open("/d/old.zcf");
    // A refused save or a failed load keeps the name and the history, so Yes never writes into a
    // file that could not be opened.
    saveOk_ = false;
    QVERIFY(!dialog_->Save("/e/other.zcf"));
    loadOk_ = false;
    QVERIFY(!dialog_->Open("/f/broken.zcf"));
    QCOMPARE(dialog_->FullFileName(), "/d/old.zcf");
    QCOMPARE(changes, 4);
    QCOMPARE((QStringList{dialog_->History(0), dialog_->History(1), dialog_->History(2)}),
             (QStringList{"/d/old.zcf", "/e/new.zcf", ""}));

    dialog_->SetPelRegistry(nullptr); // without a store the saves still run
    saveOk_ = true;
    QVERIFY(dialog_->Save("/c.zcf"));
    QCOMPARE(changes, 4);
    QVERIFY(!dialog_->HasSettingsStore());
}

void TestSaveDialog::openWithDialog() {
    dialog_->SetModified(true);
    dialog_->SetAskNotSaved([] { return Answer::Cancel; });
    QVERIFY(!dialog_->OpenWithDialog()); // the open dialog is never asked
    dialog_->SetAskNotSaved([] { return Answer::No; });
    dialog_->SetAskOpenFileName([](const QString&) { return std::optional<QString>(); });
    QVERIFY(!dialog_->OpenWithDialog());
    QVERIFY(loaded_.isEmpty());
    loadOk_ = false;
    dialog_->SetAskOpenFileName([](const QString&) { return std::optional<QString>("/x/y.zcf"); });
    QVERIFY(dialog_->OpenWithDialog()); // true whatever the load reports
    QCOMPARE(loaded_, QStringList({"/x/y.zcf"}));
}

// The prompt on its own, and run modally by the save check: Yes saves, Cancel stops.
void TestSaveDialog::promptButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("querySave");
    QTest::addColumn<QStringList>("saved");
    QTest::newRow("yes") << "BitBtnYes" << int(TFormFileNotSaved::ResultYes) << true
                         << QStringList{"/d/a.zcf"};
    QTest::newRow("no") << "BitBtnNo" << int(TFormFileNotSaved::ResultNo) << true << QStringList{};
    QTest::newRow("cancel") << "BitBtnCancel" << int(TFormFileNotSaved::ResultCancel) << false
                            << QStringList{};
    QTest::newRow("escape") << "" << int(TFormFileNotSaved::ResultCancel) << false << QStringList{};
}

void TestSaveDialog::promptButtons() {
    QFETCH(QString, button);
    QFETCH(int, result);
    const auto answer = [&button](QWidget* form) {
        if (button.isEmpty())
            QTest::keyClick(form, Qt::Key_Escape);
        else
            QTest::mouseClick(form->findChild<QPushButton*>(button), Qt::LeftButton);
    };
    TFormFileNotSaved form;
    form.setResult(-1);
    form.show();
    answer(&form);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), result);

    dialog_->SetAskNotSaved({});
    dialog_->Open("/d/a.zcf");
    dialog_->SetModified(true);
    bool prompted = false;
    QTimer::singleShot(0, [&] {
        auto* modal = qobject_cast<TFormFileNotSaved*>(QApplication::activeModalWidget());
        if ((prompted = modal != nullptr)) answer(modal);
    });
    QTEST(dialog_->QuerySave(), "querySave");
    QVERIFY(prompted);
    QTEST(saved_, "saved");
}

// Texts set before the prompt exists, and after; empty restores the built-in text.
void TestSaveDialog::promptTexts() {
    TFormFileNotSaved defaults;
    const QStringList builtIn{"File Not Saved", "The file has not been saved. Save Now?", "&Yes", "&No",
                              "Cancel"};
    QCOMPARE(::promptTexts(defaults), builtIn);
    QCOMPARE(defaults.LabelNotSavedFile()->text(), "<No Name>");
    dialog_->SetNotSavedCaption("Nicht gespeichert");
    dialog_->SetAskNotSaved({});
    dialog_->SetModified(true);
    // The prompt names the file its Yes saves into, in full; a long path is shortened in the middle.
    const QString site = QStringLiteral("/sites/%1/ward7.zcf").arg(QString(200, 'x'));
    dialog_->Open(site);
    QString shownFile;
    QTimer::singleShot(0, [&shownFile] {
        auto* prompt = qobject_cast<TFormFileNotSaved*>(QApplication::activeModalWidget());
        shownFile = prompt->LabelNotSavedFile()->text();
        prompt->close();
    });
    QVERIFY(!dialog_->QuerySave());
    TFormFileNotSaved* form = dialog_->NotSavedForm();
    QVERIFY(form);
    QVERIFY2(shownFile.startsWith("/sites/") && shownFile.endsWith("/ward7.zcf") && shownFile.size() < 100,
             qPrintable(shownFile));
    QCOMPARE(form->LabelNotSavedFile()->toolTip(), site);
    dialog_->SetNotSavedLabel("Jetzt speichern?");
    dialog_->SetYesText("&Ja");
    dialog_->SetNoText("&Nein");
    dialog_->SetCancelText("Abbrechen");
    QCOMPARE(::promptTexts(*form),
             (QStringList{"Nicht gespeichert", "Jetzt speichern?", "&Ja", "&Nein", "Abbrechen"}));
    dialog_->SetNotSavedCaption("");
    QCOMPARE(form->windowTitle(), builtIn.first());
}

QTEST_MAIN(TestSaveDialog)
#include "tst_PelSaveDialog.moc"
