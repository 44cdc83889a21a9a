#include "app/AppResources.h"

static void registerResources() {
    Q_INIT_RESOURCE(app);
}

void InitAppResources() {
    static const bool registered = (registerResources(), true);
    (void)registered;
}

QPixmap AppPicture(const QString& name) {
    InitAppResources();
    return QPixmap(QStringLiteral(":/app/pictures/%1.png").arg(name));
}
