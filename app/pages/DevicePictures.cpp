#include "app/pages/DevicePictures.h"

#include <QDir>

// Outside any namespace, as the resource initialiser requires.
static void initDevicesResource() {
    Q_INIT_RESOURCE(devices);
}

void InitDevicePictures() {
    static const bool done = (initDevicesResource(), true);
    Q_UNUSED(done);
}

QStringList DevicePictureFiles() {
    InitDevicePictures();
    QStringList files;
    for (const char* name : {"mpd", "relay", "zone_indicator", "pendant", "staff", "zx250"})
        files.append(QStringLiteral(":/pictures/devices/%1.svg").arg(QLatin1String(name)));
    return files;
}
