// The program's style against the Fusion style it wraps: its group-box frame lies where Fusion's
// does, and neither the frame nor the menu bar's chevron reads an image file.
#include "app/ApplicationStyle.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QImage>
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

// The first rows and columns, from each side of the box, that differ from the white background: the
// frame's edges. The column scanned lies right of any title.
QList<int> frameEdges(const QImage& image) {
    const int midX = image.width() * 3 / 4, midY = image.height() * 3 / 4;
    int top = -1, bottom = -1, left = -1, right = -1;
    for (int y = 0; y < image.height() && top < 0; ++y)
        if (image.pixel(midX, y) != qRgb(255, 255, 255)) top = y;
    for (int y = image.height() - 1; y >= 0 && bottom < 0; --y)
        if (image.pixel(midX, y) != qRgb(255, 255, 255)) bottom = image.height() - 1 - y;
    for (int x = 0; x < image.width() && left < 0; ++x)
        if (image.pixel(x, midY) != qRgb(255, 255, 255)) left = x;
    for (int x = image.width() - 1; x >= 0 && right < 0; --x)
        if (image.pixel(x, midY) != qRgb(255, 255, 255)) right = image.width() - 1 - x;
    return {top, bottom, left, right};
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
        QMenuBar bar;
        bar.addMenu(QStringLiteral("&File"));
        bar.resize(10, 30); // too narrow: the chevron shows
        QImage image(bar.size(), QImage::Format_ARGB32_Premultiplied);
        bar.render(&image);
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
