#include "app/PelRegistry.h"
#include "app/PelSaveDialog.h"
#include "app/UnitFileNotSaved.h"
#include "property/PelError.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

using Answer = TPelSaveDialog::NotSavedAnswer;
Q_DECLARE_METATYPE(QList<Answer>)

class TestSaveDialog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // settings store
    void addHistory_data();
    void addHistory();
    void historyWrittenAtDestructionOnlyWhenOpened();
    void keysAreSeparate();
    void readInteger();
    void placementRoundTrip();
    void maximizedPlacement();
    void partialPlacementStopsSilently();

    // save dialog
    void querySave_data();
    void querySave();
    void saveAsStartsFromGivenName();
    void fullFileNameFollowsSaveAndOpen();
    void historyFollowsSavesAndOpens();
    void openWithDialog();

    // prompt form
    void promptButtons_data();
    void promptButtons();
    void promptTexts();
    void modalPromptAnsweredByClick();

private:
    QString settingsFile() const { return dir_->filePath(QStringLiteral("settings.ini")); }
    void seedHistory(const QStringList& names);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TPelRegistry> registry_;
    std::unique_ptr<TPelSaveDialog> dialog_;
    QStringList saved_;
    QStringList loaded_;
    bool saveOk_ = true;
    bool loadOk_ = true;
};

void TestSaveDialog::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    registry_ = std::make_unique<TPelRegistry>(settingsFile());
    dialog_ = std::make_unique<TPelSaveDialog>();
    dialog_->SetPelRegistry(registry_.get());
    saved_.clear();
    loaded_.clear();
    saveOk_ = loadOk_ = true;
    dialog_->SetOnSave([this](tObject*, bool& ok, const QString& name) {
        saved_ << name;
        ok = saveOk_;
    });
    dialog_->SetOnLoad([this](tObject*, bool& ok, const QString& name) {
        loaded_ << name;
        ok = loadOk_;
    });
    // Nothing may reach a real dialog unless a test says so.
    dialog_->SetAskSaveFileName(
        [](const QString&) -> std::optional<QString> { throw std::logic_error("save"); });
    dialog_->SetAskOpenFileName(
        [](const QString&) -> std::optional<QString> { throw std::logic_error("open"); });
    dialog_->SetAskNotSaved([]() -> Answer { throw std::logic_error("prompt"); });
}

void TestSaveDialog::cleanup() {
    dialog_.reset();
    registry_.reset();
}

void TestSaveDialog::seedHistory(const QStringList& names) {
    for (auto it = names.crbegin(); it != names.crend(); ++it)
        registry_->AddHistory(*it);
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
    for (int i = 0; i < TPelRegistry::HistorySize; ++i)
        actual << registry_->GetHistory(i);
    while (after.size() < TPelRegistry::HistorySize)
        after << QString();
    QCOMPARE(actual, after);
}

void TestSaveDialog::historyWrittenAtDestructionOnlyWhenOpened() {
    registry_.reset();
    QVERIFY(!QFile::exists(settingsFile()));

    registry_ = std::make_unique<TPelRegistry>(settingsFile());
    QCOMPARE(registry_->GetHistory(0), QString());
    registry_.reset();
    {
        QSettings store(settingsFile(), QSettings::IniFormat);
        store.beginGroup("Zentara Configurator");
        for (int i = 0; i < 10; ++i) {
            QVERIFY(store.contains(QStringLiteral("History %1").arg(i)));
            QCOMPARE(store.value(QStringLiteral("History %1").arg(i)).toString(), QString());
        }
    }

    registry_ = std::make_unique<TPelRegistry>(settingsFile());
    seedHistory({"/a.zcf", "/b.zcf"});
    registry_.reset();
    registry_ = std::make_unique<TPelRegistry>(settingsFile());
    QCOMPARE(registry_->GetHistory(0), "/a.zcf");
    QCOMPARE(registry_->GetHistory(1), "/b.zcf");
    QCOMPARE(registry_->GetHistory(2), QString());
    QCOMPARE(registry_->GetHistory(10), QString());
}

void TestSaveDialog::keysAreSeparate() {
    registry_->WriteInteger("Program Mode", 1);
    registry_->SetKey("Other");
    QVERIFY(!registry_->KeyOpen());
    QCOMPARE(registry_->ReadIntegerDefault("Program Mode", -1), -1);
    registry_->SetKey("Zentara Configurator");
    QCOMPARE(registry_->ReadInteger("Program Mode"), 1);
}

void TestSaveDialog::readInteger() {
    registry_->WriteInteger("Last Device Type", 5);
    registry_->WriteString("Text", "Normal");
    QCOMPARE(registry_->ReadInteger("Last Device Type"), 5);
    QVERIFY_THROWS_EXCEPTION(EZcfgError, registry_->ReadInteger("Missing"));
    QVERIFY_THROWS_EXCEPTION(EZcfgError, registry_->ReadInteger("Text"));
    QCOMPARE(registry_->ReadIntegerDefault("Missing", 7), 7);
    QCOMPARE(registry_->ReadIntegerDefault("Text", 7), 7);

    // Values survive a new run.
    registry_.reset();
    registry_ = std::make_unique<TPelRegistry>(settingsFile());
    QCOMPARE(registry_->ReadInteger("Last Device Type"), 5);
}

void TestSaveDialog::placementRoundTrip() {
    registry_->SaveMainWindowPlacement(); // no window: nothing written
    QCOMPARE(registry_->ReadString("Main Window State"), QString());

    QWidget window;
    window.setGeometry(40, 30, 500, 300);
    registry_->SetMainWindow(&window);
    const QPoint pos = window.pos();
    registry_->SaveMainWindowPlacement();
    QCOMPARE(registry_->ReadString("Main Window State"), "Normal");
    QCOMPARE(registry_->ReadInteger("Main Window Top"), pos.y());
    QCOMPARE(registry_->ReadInteger("Main Window Left"), pos.x());

    window.setGeometry(0, 0, 100, 100);
    registry_->RestoreMainWindowPlacement();
    QCOMPARE(window.pos(), pos);
    QCOMPARE(window.size(), QSize(500, 300));

    window.setWindowState(Qt::WindowMinimized);
    registry_->WriteString("Main Window State", "Unchanged");
    registry_->SaveMainWindowPlacement();
    QCOMPARE(registry_->ReadString("Main Window State"), "Unchanged");
}

void TestSaveDialog::maximizedPlacement() {
    QWidget window;
    window.resize(200, 100);
    registry_->SetMainWindow(&window);
    window.setWindowState(Qt::WindowMaximized);
    registry_->SaveMainWindowPlacement();
    QCOMPARE(registry_->ReadString("Main Window State"), "Maximized");
    QCOMPARE(registry_->ReadIntegerDefault("Main Window Width", -1), -1);

    window.setWindowState(Qt::WindowNoState);
    registry_->WriteInteger("Main Window Width", 321);
    registry_->RestoreMainWindowPlacement();
    QVERIFY(window.isMaximized());
    QCOMPARE(window.width(), 200);
}

void TestSaveDialog::partialPlacementStopsSilently() {
    QWidget window;
    window.setGeometry(10, 10, 200, 100);
    registry_->SetMainWindow(&window);
    registry_->RestoreMainWindowPlacement(); // empty store: nothing
    QCOMPARE(window.size(), QSize(200, 100));

    registry_->WriteString("Main Window State", "Normal");
    registry_->WriteInteger("Main Window Top", 77);
    registry_->WriteInteger("Main Window Width", 333); // reached only after a missing "Left"
    registry_->RestoreMainWindowPlacement();
    QCOMPARE(window.pos().y(), 77);
    QCOMPARE(window.width(), 200);
}

// Prompt answers in order, save-as dialog answers in order ("" = cancelled).
void TestSaveDialog::querySave_data() {
    QTest::addColumn<QString>("current");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<bool>("saveOk");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("saved");

    using L = QList<Answer>;
    QTest::newRow("cancel") << "/d/a.zcf" << L{Answer::Cancel} << QStringList{} << true << false
                            << QStringList{};
    QTest::newRow("no") << "/d/a.zcf" << L{Answer::No} << QStringList{} << true << true << QStringList{};
    QTest::newRow("yes saves current")
        << "/d/a.zcf" << L{Answer::Yes} << QStringList{} << true << true << QStringList{"/d/a.zcf"};
    QTest::newRow("yes unnamed asks name")
        << "" << L{Answer::Yes} << QStringList{"/d/new.zcf"} << true << true << QStringList{"/d/new.zcf"};
    QTest::newRow("name cancelled asks again")
        << "" << L{Answer::Yes, Answer::No} << QStringList{""} << true << true << QStringList{};
    QTest::newRow("failed save asks again")
        << "/d/a.zcf" << L{Answer::Yes, Answer::Yes, Answer::Cancel} << QStringList{} << false << false
        << QStringList{"/d/a.zcf", "/d/a.zcf"};
}

void TestSaveDialog::querySave() {
    QFETCH(QString, current);
    QFETCH(QList<Answer>, answers);
    QFETCH(QStringList, chosen);
    QFETCH(bool, saveOk);
    QFETCH(bool, result);
    QFETCH(QStringList, saved);

    if (!current.isEmpty()) dialog_->Open(current);
    dialog_->SetAskNotSaved([&answers] { return answers.takeFirst(); });
    dialog_->SetAskSaveFileName([&chosen](const QString&) -> std::optional<QString> {
        const QString name = chosen.takeFirst();
        return name.isEmpty() ? std::nullopt : std::optional<QString>(name);
    });

    QVERIFY(dialog_->QuerySave()); // not modified: nothing asked
    dialog_->SetModified(true);
    saveOk_ = saveOk;
    QCOMPARE(dialog_->QuerySave(), result);
    QCOMPARE(saved_, saved);
    QVERIFY(answers.isEmpty());
    QVERIFY(chosen.isEmpty());
}

void TestSaveDialog::saveAsStartsFromGivenName() {
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
    // A cancelled dialog saves nothing and records nothing.
    QVERIFY(saved_.isEmpty());
    QCOMPARE(dialog_->FullFileName(), QString());
    QCOMPARE(registry_->GetHistory(0), QString());
}

void TestSaveDialog::fullFileNameFollowsSaveAndOpen() {
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

    // A refused save or a failed load keeps the name, so Yes never writes into a file that could
    // not be opened.
    saveOk_ = false;
    QVERIFY(!dialog_->Save("/e/other.zcf"));
    QCOMPARE(dialog_->FullFileName(), "/e/new.zcf");
    loadOk_ = false;
    QVERIFY(!dialog_->Open("/f/broken.zcf"));
    QCOMPARE(dialog_->FullFileName(), "/e/new.zcf");
}

void TestSaveDialog::historyFollowsSavesAndOpens() {
    int changes = 0;
    dialog_->SetOnHistoryChange([&changes](tObject*) { ++changes; });
    dialog_->Save("/a.zcf");
    dialog_->Save("/b.zcf");
    dialog_->Open("/a.zcf");
    saveOk_ = false;
    dialog_->Save("/refused.zcf");
    loadOk_ = false;
    dialog_->Open("/broken.zcf");
    QCOMPARE(changes, 3);
    QCOMPARE(dialog_->History(0), "/a.zcf");
    QCOMPARE(dialog_->History(1), "/b.zcf");
    QCOMPARE(dialog_->History(2), QString());

    dialog_->SetPelRegistry(nullptr); // without a store the saves still run
    saveOk_ = true;
    QVERIFY(dialog_->Save("/c.zcf"));
    QCOMPARE(changes, 3);
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

void TestSaveDialog::promptButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("yes") << "BitBtnYes" << int(TFormFileNotSaved::ResultYes);
    QTest::newRow("no") << "BitBtnNo" << int(TFormFileNotSaved::ResultNo);
    QTest::newRow("cancel") << "BitBtnCancel" << int(TFormFileNotSaved::ResultCancel);
    QTest::newRow("escape") << "" << int(TFormFileNotSaved::ResultCancel);
}

void TestSaveDialog::promptButtons() {
    QFETCH(QString, button);
    QFETCH(int, result);
    TFormFileNotSaved form;
    form.setResult(-1);
    form.show();
    if (button.isEmpty())
        QTest::keyClick(&form, Qt::Key_Escape);
    else
        QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), result);
}

void TestSaveDialog::promptTexts() {
    TFormFileNotSaved defaults;
    QCOMPARE(defaults.windowTitle(), "File Not Saved");
    QCOMPARE(defaults.size(), QSize(305, 137));
    auto* label = defaults.findChild<QLabel*>("LabelNotSavedWarning");
    QCOMPARE(label->text(), "The file has not been save. Save Now?");
    QVERIFY(label->font().bold());
    QCOMPARE(defaults.BitBtnYes()->text(), "&Yes");
    QCOMPARE(defaults.BitBtnNo()->text(), "&No");
    QCOMPARE(defaults.BitBtnCancel()->text(), "Cancel");

    // Texts set before the prompt exists, and after: empty restores the built-in text.
    dialog_->SetNotSavedCaption("Nicht gespeichert");
    dialog_->SetAskNotSaved({});
    dialog_->SetModified(true);
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    QVERIFY(!dialog_->QuerySave());
    TFormFileNotSaved* form = dialog_->NotSavedForm();
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), "Nicht gespeichert");
    dialog_->SetNotSavedLabel("Jetzt speichern?");
    dialog_->SetYesText("&Ja");
    dialog_->SetNoText("&Nein");
    dialog_->SetCancelText("Abbrechen");
    QCOMPARE(form->LabelNotSavedWarning()->text(), "Jetzt speichern?");
    QCOMPARE(form->BitBtnYes()->text(), "&Ja");
    QCOMPARE(form->BitBtnNo()->text(), "&Nein");
    QCOMPARE(form->BitBtnCancel()->text(), "Abbrechen");
    dialog_->SetNotSavedCaption("");
    QCOMPARE(form->windowTitle(), "File Not Saved");
}

void TestSaveDialog::modalPromptAnsweredByClick() {
    dialog_->SetAskNotSaved({});
    dialog_->Open("/d/a.zcf");
    dialog_->SetModified(true);
    QStringList clicked;
    auto clickIn = [&clicked](const char* name) {
        QTimer::singleShot(0, [&clicked, name] {
            auto* form = qobject_cast<TFormFileNotSaved*>(QApplication::activeModalWidget());
            clicked << (form ? QString::fromLatin1(name) : QStringLiteral("no prompt"));
            if (form) QTest::mouseClick(form->findChild<QPushButton*>(name), Qt::LeftButton);
        });
    };
    clickIn("BitBtnYes");
    QVERIFY(dialog_->QuerySave());
    QCOMPARE(saved_, QStringList({"/d/a.zcf"}));
    clickIn("BitBtnCancel");
    QVERIFY(!dialog_->QuerySave());
    QCOMPARE(clicked, QStringList({"BitBtnYes", "BitBtnCancel"}));
}

QTEST_MAIN(TestSaveDialog)
#include "tst_PelSaveDialog.moc"
