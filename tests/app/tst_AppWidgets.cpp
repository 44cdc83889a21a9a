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
    void showResult_data();
    void showResult();
    void showResultNeverRaises();
    void imageFollowsIndex();
    void imageListCleared();
    void picturesAreDrawn();
    void messageBox();
};

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

// The document shows a result through the presenter: the handler is told first, the picture and
// the close timer follow the outcome, every line is centred in a memo the user cannot edit.
void TestAppWidgets::showResult() {
    QFETCH(bool, success);
    QFETCH(QString, close);
    QFETCH(bool, result);
    TFormOK form;
    QVERIFY(!form.TimerDone()->isActive());
    QStringList log;
    form.SetOnResult([&log](TFormOK*, bool ok) { log << (ok ? "result ok" : "result error"); });
    form.SetRunModal([&](TFormOK& shown) {
        shown.show();
        const QTextDocument* document = shown.MemoResult()->document();
        int centred = 0;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            centred += (block.blockFormat().alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignHCenter;
        // What the form shows: title, text, lines centred, read-only, pictures shown (OK, error), a
        // picture missing, the close timer running.
        log << shown.windowTitle() << document->toPlainText() << QString::number(centred)
            << QString::number(shown.MemoResult()->isReadOnly())
            << QString::number(shown.ImageOK()->isVisible()) +
                   QString::number(shown.ImageError()->isVisible())
            << QString::number(shown.ImageOK()->pixmap().isNull() || shown.ImageError()->pixmap().isNull())
            << QString::number(shown.TimerDone()->isActive() ? shown.TimerDone()->interval() : 0);
        if (close == "timer")
            shown.TimerDoneTimer();
        else if (close == "ok")
            QTest::mouseClick(shown.BitBtnOK(), Qt::LeftButton);
        else
            shown.close();
        return shown.result();
    });
    QCOMPARE(MakeResultPresenter(form)("Data Transferred\nsecond line", success), result);
    QCOMPARE(log,
             QStringList({success ? "result ok" : "result error", "Status", "Data Transferred\nsecond line",
                          "2", "1", success ? "10" : "01", "0", success ? "3000" : "0"}));
    QVERIFY(!form.isVisible());
    QVERIFY(!form.TimerDone()->isActive());
}

// Whatever raises while a result is shown, the caller goes on as if OK had been pressed.
void TestAppWidgets::showResultNeverRaises() {
    for (bool inHandler : {true, false}) {
        TFormOK form;
        if (inHandler) form.SetOnResult([](TFormOK*, bool) { throw EZcfgError("broken"); });
        form.SetRunModal([](TFormOK&) -> int { throw std::runtime_error("broken"); });
        QVERIFY(form.ShowResult("Data Transferred but Errors Found", false));
    }
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

    QCOMPARE(drawn, 0);
    for (int again = 0; again < 2; ++again) {
        image.SetImageIndex(2);
        QCOMPARE(shownColour(image), QColor(Qt::blue));
        QCOMPARE(image.size(), QSize(24, 24));
        image.SetImageIndex(0);
    }
    QCOMPARE(drawn, 1);
}

// A cleared list keeps the picture shown; a destroyed list counts as cleared.
void TestAppWidgets::imageListCleared() {
    TPelImage image;
    {
        TImageList list(24, 24);
        list.Add(filled(Qt::blue));
        list.Add(filled(Qt::yellow));
        image.SetImageList(&list);
        image.SetImageList(nullptr);
        image.SetImageIndex(1);
        QCOMPARE(shownColour(image), QColor(Qt::blue));
        image.SetImageList(&list);
        QCOMPARE(shownColour(image), QColor(Qt::yellow));
    }
    QVERIFY(!image.ImageList());
    image.SetImageIndex(0);
    QCOMPARE(shownColour(image), QColor(Qt::yellow));
    QCOMPARE(image.size(), QSize(24, 24));
}

// Drawn at their own size and for the pixel density asked for; nothing for a file that is not there.
void TestAppWidgets::picturesAreDrawn() {
    for (const char* name :
         {"result_ok", "result_error", "light_off", "light_green", "light_red", "light_amber"})
        QCOMPARE(AppPicture(name).size(), name[0] == 'r' ? QSize(100, 100) : QSize(24, 24));
    const QPixmap sharp = SvgPicture(QStringLiteral(":/app/pictures/light_off.svg"), QSize(24, 24), 2.0);
    QCOMPARE(sharp.size(), QSize(48, 48));
    QCOMPARE(sharp.devicePixelRatio(), 2.0);
    QVERIFY(SvgPicture(QStringLiteral(":/app/pictures/none.svg"), QSize(), 1.0).isNull());
}

// A warning and an error: one modal box titled with the program's name, one OK button.
void TestAppWidgets::messageBox() {
    QApplication::setApplicationDisplayName("Configuration Editor");
    using Row = std::pair<void (*)(const QString&), QMessageBox::Icon>;
    for (const auto& [show, icon] :
         {Row{ShowWarning, QMessageBox::Warning}, Row{ShowError, QMessageBox::Critical}}) {
        InstallMessageBoxPresenter();
        QStringList seen;
        QTimer::singleShot(0, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            seen << box->windowTitle() << box->text() << QString::number(box->icon())
                 << QString::number(box->buttons().size()) << QString::number(MessageShowing());
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        show("Unable to connect to programmer");
        SetMessagePresenter({});
        QCOMPARE(seen, QStringList({"Configuration Editor", "Unable to connect to programmer",
                                    QString::number(icon), "1", "1"}));
    }
}

QTEST_MAIN(TestAppWidgets)
#include "tst_AppWidgets.moc"
