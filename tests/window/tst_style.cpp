// The program's style against the Fusion style it wraps: its group-box frame lies where Fusion's
// does, and neither the frame nor the menu bar's chevron reads an image file.
#include "app/ApplicationStyle.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QMenuBar>
#include <QStyleFactory>
#include <QtTest>

namespace {

QImage render(QStyle* style, const QString& title, bool checkable) {
    QGroupBox group(title);
    group.setStyle(style);
    group.setCheckable(checkable);
    group.resize(160, 90);
    QImage image(group.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    group.render(&image, QPoint(), QRegion(), QWidget::DrawChildren); // no background: white stays white
    return image;
}

// How far in from each side (top, bottom, left, right) the first pixel other than the white
// background lies, on lines through the box right of any title: the frame's edges.
QList<int> frameEdges(const QImage& image) {
    const int w = image.width(), h = image.height(), x = w * 3 / 4, y = h * 3 / 4;
    const auto inkAt = [](int length, const auto& pixel) {
        for (int i = 0; i < length; ++i)
            if (pixel(i) != qRgb(255, 255, 255)) return i;
        return -1;
    };
    return {inkAt(h, [&](int i) { return image.pixel(x, i); }),
            inkAt(h, [&](int i) { return image.pixel(x, h - 1 - i); }),
            inkAt(w, [&](int i) { return image.pixel(i, y); }),
            inkAt(w, [&](int i) { return image.pixel(w - 1 - i, y); })};
}

bool imageDecodersLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

} // namespace

class TestStyle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // First, before Fusion itself reads its pictures into this process: the window's group boxes and
    // its menu bar are drawn without reading an image file.
    void drawsWithoutReadingImages() {
        QCOMPARE(QApplication::style()->name(), QStringLiteral("fusion"));
        UseApplicationStyle();
        QStyle* own = QApplication::style();
        for (const bool checkable : {false, true})
            for (const QString& title : {QStringLiteral("Protocol"), QString()})
                render(own, title, checkable);
        const QMenuBar bar; // asks for its chevron as it is made
        QVERIFY(!own->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16, 16).isNull());
        QVERIFY(!imageDecodersLoaded());
    }

    void frameLiesWhereFusionDrawsIt_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("checkable");
        QTest::newRow("titled") << QStringLiteral("Protocol") << false;
        QTest::newRow("untitled") << QString() << false;
        QTest::newRow("checkable") << QStringLiteral("Options") << true;
    }
    void frameLiesWhereFusionDrawsIt() {
        QFETCH(QString, title);
        QFETCH(bool, checkable);
        std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("fusion")));
        TApplicationStyle own(QStyleFactory::create(QStringLiteral("fusion")));
        QCOMPARE(frameEdges(render(&own, title, checkable)),
                 frameEdges(render(fusion.get(), title, checkable)));
    }

    // Only Fusion is wrapped: under another style the desktop's own stays.
    void onlyFusionIsWrapped() {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("windows")));
        UseApplicationStyle();
        QVERIFY(!qobject_cast<TApplicationStyle*>(QApplication::style()));
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("fusion")));
        UseApplicationStyle();
        UseApplicationStyle();
        const auto* own = qobject_cast<TApplicationStyle*>(QApplication::style());
        QVERIFY(own && own->baseStyle()->name() == QStringLiteral("fusion"));
    }
};

QTEST_MAIN(TestStyle)
#include "tst_style.moc"
