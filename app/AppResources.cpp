#include "app/AppResources.h"

#include <QPixmapCache>

static void registerResources() {
    Q_INIT_RESOURCE(app);
}

void InitAppResources() {
    static const bool registered = (registerResources(), true);
    (void)registered;
}

// Each picture is decoded once and then shared: the status lights appear in several lists.
QPixmap AppPicture(const QString& name) {
    InitAppResources();
    const QString file = QStringLiteral(":/app/pictures/%1.png").arg(name);
    QPixmap picture;
    if (!QPixmapCache::find(file, &picture)) {
        picture = QPixmap(file);
        QPixmapCache::insert(file, picture);
    }
    return picture;
}
