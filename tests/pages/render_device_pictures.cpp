// Renders the ready-drawn device pictures from their SVG drawings, as the window would draw them:
//   render_device_pictures DIR    -> DIR/NAME.png (164 x 164) and DIR/NAME@2x.png (328 x 328)
// resources/pictures/render.sh runs it; the pages test checks that the PNGs match the drawings.

#include "app/pages/DevicePictures.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QTextStream>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "Usage: render_device_pictures DIR\n";
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    for (const QString& drawing : DevicePictureFiles()) {
        const QString name = QFileInfo(drawing).completeBaseName();
        for (const int scale : {1, 2}) {
            const QString file =
                dir.filePath(name + (scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png")));
            if (!QIcon(drawing).pixmap(QSize(164, 164), scale).toImage().save(file, "PNG")) {
                QTextStream(stderr) << "Cannot write " << file << "\n";
                return 1;
            }
        }
    }
    return 0;
}
