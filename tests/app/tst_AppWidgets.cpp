#include "app/AppResources.h"
#include "app/MessageBoxPresenter.h"
#include "app/PelImage.h"
#include "app/UnitFormOK.h"
#include "property/PelError.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <stdexcept>

namespace {
QPixmap filled(QColor colour, int size = 24) {
    QPixmap picture(size, size);
    picture.fill(colour);
    return picture;
}

QColor shownColour(const QLabel& image) {
    return image.pixmap().toImage().pixelColor(2, 2);
}
} // namespace

class TestAppWidgets : public QObject {
    Q_OBJECT
private slots:
    void formLayout();
    void showResult_data();
    void showResult();
    void showResultNeverRaises_data();
    void showResultNeverRaises();
    void resultPresenter();

    void imageFollowsIndex();
    void imageListCleared();
    void picturesArePresent();

    void messageBox_data();
    void messageBox();
};

void TestAppWidgets::formLayout() {
    TFormOK form;
    QCOMPARE(form.windowTitle(), "Status");
    QCOMPARE(form.size(), QSize(363, 172));
    QCOMPARE(form.ImageOK()->geometry(), form.ImageError()->geometry());
    QCOMPARE(form.ImageOK()->size(), QSize(100, 100));
    QVERIFY(form.MemoResult()->isReadOnly());
    QCOMPARE(form.MemoResult()->palette().color(QPalette::Base), form.palette().color(QPalette::Window));
    QCOMPARE(form.TimerDone()->interval(), 3000);
    QVERIFY(!form.TimerDone()->isActive());
    QVERIFY(form.findChild<QPushButton*>("BitBtnOK"));
}

// How the form is closed while it shows: the timer's handler, the OK button, or the window's close.
void TestAppWidgets::showResult_data() {
    QTest::addColumn<bool>("success");
    QTest::addColumn<QString>("close");
    QTest::addColumn<bool>("result");
    QTest::newRow("success closes by timer") << true << "timer" << true;
    QTest::newRow("success closed with OK") << true << "ok" << true;
    QTest::newRow("failure waits for OK") << false << "ok" << true;
    QTest::newRow("failure closed otherwise") << false << "close" << false;
}

void TestAppWidgets::showResult() {
    QFETCH(bool, success);
    QFETCH(QString, close);
    QFETCH(bool, result);
    TFormOK form;
    QStringList log;
    form.SetOnResult([&log](TFormOK*, bool ok) { log << (ok ? "result ok" : "result error"); });
    bool okVisible = false, errorVisible = false, timerActive = false;
    QString text;
    int centredLines = 0;
    form.SetRunModal([&](TFormOK& shown) {
        log << "shown";
        shown.show();
        okVisible = shown.ImageOK()->isVisible();
        errorVisible = shown.ImageError()->isVisible();
        timerActive = shown.TimerDone()->isActive();
        const QTextDocument* document = shown.MemoResult()->document();
        text = document->toPlainText();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            centredLines += (block.blockFormat().alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignHCenter;
        if (close == "timer")
            shown.TimerDoneTimer();
        else if (close == "ok")
            QTest::mouseClick(shown.BitBtnOK(), Qt::LeftButton);
        else
            shown.close();
        return shown.result();
    });
    QCOMPARE(form.ShowResult("Data Transferred\nsecond line", success), result);
    QCOMPARE(log, QStringList({success ? "result ok" : "result error", "shown"}));
    QCOMPARE(okVisible, success);
    QCOMPARE(errorVisible, !success);
    QCOMPARE(timerActive, success);
    QCOMPARE(text, "Data Transferred\nsecond line");
    QCOMPARE(centredLines, 2);
    QVERIFY(!form.isVisible());
    QVERIFY(!form.TimerDone()->isActive());
}

void TestAppWidgets::showResultNeverRaises_data() {
    QTest::addColumn<bool>("inHandler");
    QTest::newRow("result handler raises") << true;
    QTest::newRow("showing raises") << false;
}

void TestAppWidgets::showResultNeverRaises() {
    QFETCH(bool, inHandler);
    TFormOK form;
    if (inHandler) form.SetOnResult([](TFormOK*, bool) { throw EZcfgError("broken"); });
    form.SetRunModal([](TFormOK&) -> int { throw std::runtime_error("broken"); });
    QVERIFY(form.ShowResult("Data Transferred but Errors Found", false));
}

void TestAppWidgets::resultPresenter() {
    TFormOK form;
    QString shownText;
    form.SetRunModal([&shownText](TFormOK& shown) {
        shownText = shown.MemoResult()->toPlainText();
        return int(QDialog::Rejected);
    });
    const ResultPresenter present = MakeResultPresenter(form);
    QVERIFY(!present("Data Transferred and Verified", true));
    QCOMPARE(shownText, "Data Transferred and Verified");
}

void TestAppWidgets::imageFollowsIndex() {
    TImageList list(24, 24);
    list.Add(filled(Qt::red));
    list.Add(filled(Qt::green, 48)); // scaled to the list's size
    int drawn = 0;
    list.AddDeferred([&drawn] { // drawn once, when first shown, and scaled like the others
        ++drawn;
        return filled(Qt::blue, 48);
    });
    TPelImage image;
    QVERIFY(image.AutoSize());
    QVERIFY(image.Transparent());
    image.SetImageIndex(1);
    QVERIFY(image.pixmap().isNull()); // no list yet: nothing shown

    image.SetImageList(&list);
    QCOMPARE(image.size(), QSize(24, 24));
    QCOMPARE(shownColour(image), QColor(Qt::green));
    image.SetImageIndex(0);
    QCOMPARE(shownColour(image), QColor(Qt::red));
    for (int outside : {5, 3, -1}) {
        image.SetImageIndex(outside);
        QCOMPARE(image.ImageIndex(), outside);
        QCOMPARE(shownColour(image), QColor(Qt::red));
    }

    IIndicatorImage& indicator = image;
    indicator.SetImageIndex(1);
    QCOMPARE(shownColour(image), QColor(Qt::green));

    QCOMPARE(drawn, 0);
    for (int again = 0; again < 2; ++again) {
        image.SetImageIndex(2);
        QCOMPARE(shownColour(image), QColor(Qt::blue));
        QCOMPARE(image.size(), QSize(24, 24));
        image.SetImageIndex(0);
    }
    QCOMPARE(drawn, 1);
}

void TestAppWidgets::imageListCleared() {
    TPelImage image;
    {
        TImageList list(24, 24);
        list.Add(filled(Qt::blue));
        list.Add(filled(Qt::yellow));
        image.SetImageList(&list);
        image.SetImageList(nullptr);
        QCOMPARE(shownColour(image), QColor(Qt::blue));
        image.SetImageIndex(1);
        QCOMPARE(shownColour(image), QColor(Qt::blue));
        image.SetImageList(&list);
        QCOMPARE(shownColour(image), QColor(Qt::yellow));
    }
    // A destroyed list counts as cleared.
    QVERIFY(!image.ImageList());
    image.SetImageIndex(0);
    QCOMPARE(shownColour(image), QColor(Qt::yellow));
    QCOMPARE(image.size(), QSize(24, 24));
}

void TestAppWidgets::picturesArePresent() {
    for (const char* name : {"result_ok", "result_error"})
        QCOMPARE(AppPicture(name).size(), QSize(100, 100));
    for (const char* name : {"light_off", "light_green", "light_red", "light_amber"})
        QCOMPARE(AppPicture(name).size(), QSize(24, 24));
    // Drawn for the pixel density asked for; nothing for a file that is not a drawing.
    const QPixmap sharp = SvgPicture(QStringLiteral(":/app/pictures/light_off.svg"), QSize(24, 24), 2.0);
    QCOMPARE(sharp.size(), QSize(48, 48));
    QCOMPARE(sharp.devicePixelRatio(), 2.0);
    QVERIFY(SvgPicture(QStringLiteral(":/app/pictures/none.svg"), QSize(), 1.0).isNull());
    TFormOK form;
    form.SetRunModal([](TFormOK&) { return int(QDialog::Accepted); });
    form.ShowResult(QStringLiteral("Operation Complete"), true);
    QVERIFY(!form.ImageOK()->pixmap().isNull());
    QVERIFY(!form.ImageError()->pixmap().isNull());
}

void TestAppWidgets::messageBox_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("icon");
    QTest::newRow("warning") << int(MessageKind::Warning) << int(QMessageBox::Warning);
    QTest::newRow("error") << int(MessageKind::Error) << int(QMessageBox::Critical);
}

void TestAppWidgets::messageBox() {
    QFETCH(int, kind);
    QFETCH(int, icon);
    QApplication::setApplicationDisplayName("Configuration Editor");
    InstallMessageBoxPresenter();
    QStringList seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen << box->windowTitle() << box->text() << QString::number(box->icon())
             << QString::number(box->buttons().size()) << QString::number(MessageShowing());
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    if (MessageKind(kind) == MessageKind::Warning)
        ShowWarning("Unable to connect to programmer");
    else
        ShowError("Unable to connect to programmer");
    SetMessagePresenter({});
    QCOMPARE(seen, QStringList({"Configuration Editor", "Unable to connect to programmer",
                                QString::number(icon), "1", "1"}));
}

QTEST_MAIN(TestAppWidgets)
#include "tst_AppWidgets.moc"
