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
    void windowPlacement_data();
    void windowPlacement();

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

// One step of the window placement: the store's values before it, the window (none for a null
// rectangle), then what the store holds after a save, or where the window is after a restore.
void TestSaveDialog::windowPlacement_data() {
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<QRect>("window");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QVariantMap>("expectedStore"); // an invalid value: missing
    QTest::addColumn<QRect>("expectedWindow");
    QTest::addColumn<bool>("expectMaximized");
    const QVariant missing;
    const QVariantMap none;
    const QRect noWindow;
    const auto normal = [](int top, int left, int width, int height) {
        return QVariantMap{{"Main Window State", "Normal"},
                           {"Main Window Top", top},
                           {"Main Window Left", left},
                           {"Main Window Width", width},
                           {"Main Window Height", height}};
    };
    QTest::newRow("save without a window writes nothing")
        << none << noWindow << int(Qt::WindowNoState) << true << QVariantMap{{"Main Window State", missing}}
        << noWindow << false;
    QTest::newRow("save a normal window") << none << QRect(40, 30, 500, 300) << int(Qt::WindowNoState) << true
                                          << normal(30, 40, 500, 300) << noWindow << false;
    QTest::newRow("save a minimized window writes nothing")
        << QVariantMap{{"Main Window State", "Unchanged"}} << QRect(10, 10, 200, 100)
        << int(Qt::WindowMinimized) << true
        << QVariantMap{{"Main Window State", "Unchanged"}, {"Main Window Top", missing}} << noWindow << false;
    QTest::newRow("save a maximized window: the state only")
        << none << QRect(0, 0, 200, 100) << int(Qt::WindowMaximized) << true
        << QVariantMap{{"Main Window State", "Maximized"}, {"Main Window Width", missing}} << noWindow
        << false;
    QTest::newRow("restore a normal window")
        << normal(30, 40, 500, 300) << QRect(0, 0, 100, 100) << int(Qt::WindowNoState) << false << none
        << QRect(40, 30, 500, 300) << false;
    QTest::newRow("restore a maximized window without its position")
        << QVariantMap{{"Main Window State", "Maximized"}, {"Main Window Width", 321}}
        << QRect(0, 0, 200, 100) << int(Qt::WindowNoState) << false << none << QRect(0, 0, 200, 100) << true;
    QTest::newRow("restore from an empty store changes nothing")
        << none << QRect(10, 10, 200, 100) << int(Qt::WindowNoState) << false << none
        << QRect(10, 10, 200, 100) << false;
    QTest::newRow("restore stops silently at a missing value")
        << QVariantMap{{"Main Window State", "Normal"}, {"Main Window Top", 77}, {"Main Window Width", 333}}
        << QRect(10, 10, 200, 100) << int(Qt::WindowNoState) << false << none << QRect(10, 77, 200, 100)
        << false;
}

void TestSaveDialog::windowPlacement() {
    QFETCH(QVariantMap, stored);
    QFETCH(QRect, window);
    QFETCH(int, state);
    QFETCH(bool, save);
    QFETCH(QVariantMap, expectedStore);
    QFETCH(QRect, expectedWindow);
    QFETCH(bool, expectMaximized);
    std::unique_ptr<QWidget> widget;
    if (!window.isNull()) {
        widget = std::make_unique<QWidget>();
        widget->setGeometry(window);
        widget->setWindowState(Qt::WindowStates(state));
        registry_->SetMainWindow(widget.get());
    }
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        it.value().typeId() == QMetaType::Int ? registry_->WriteInteger(it.key(), it.value().toInt())
                                              : registry_->WriteString(it.key(), it.value().toString());
    save ? registry_->SaveMainWindowPlacement() : registry_->RestoreMainWindowPlacement();

    for (auto it = expectedStore.cbegin(); it != expectedStore.cend(); ++it) {
        if (!it.value().isValid())
            QVERIFY2(registry_->ReadString(it.key()).isEmpty(), qPrintable(it.key()));
        else if (it.value().typeId() == QMetaType::Int)
            QCOMPARE(registry_->ReadInteger(it.key()), it.value().toInt());
        else
            QCOMPARE(registry_->ReadString(it.key()), it.value().toString());
    }
    if (save) return;
    QCOMPARE(widget->isMaximized(), expectMaximized);
    if (expectMaximized) {
        QCOMPARE(widget->width(), expectedWindow.width());
    } else {
        QCOMPARE(widget->pos(), expectedWindow.topLeft());
        QCOMPARE(widget->size(), expectedWindow.size());
    }
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
