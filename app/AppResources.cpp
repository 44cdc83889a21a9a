#include "app/AppResources.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

static void registerResources() {
    Q_INIT_RESOURCE(app);
}

void InitAppResources() {
    static const bool registered = (registerResources(), true);
    (void)registered;
}

QPixmap SvgPicture(const QString& file, QSize size, qreal ratio) {
    QSvgRenderer drawing(file);
    if (!size.isValid()) size = drawing.defaultSize();
    if (!drawing.isValid() || size.isEmpty()) return QPixmap();
    QPixmap picture(size * ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    drawing.render(&painter);
    painter.end();
    picture.setDevicePixelRatio(ratio);
    return picture;
}

// Each picture is drawn once per pixel ratio and then shared: the status lights appear in several
// lists.
QPixmap AppPicture(const QString& name) {
    InitAppResources();
    const QString file = QStringLiteral(":/app/pictures/%1.svg").arg(name);
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    const QString key = file + QLatin1Char('@') + QString::number(ratio);
    QPixmap picture;
    if (!QPixmapCache::find(key, &picture)) {
        picture = SvgPicture(file, QSize(), ratio);
        QPixmapCache::insert(key, picture);
    }
    return picture;
}
