// Renders every device page, bound to a configuration of its type, into PNG files for review:
// page_screenshots OUTDIR. Run it at QT_SCALE_FACTOR=2 as well to check the pages at 200 %.

#include "PageHost.h"
#include "app/pages/DevicePictures.h"
#include "app/pages/ZonalIndicatorPage.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTextStream>

namespace {
// The tab area of a 1280 x 800 window beside its 320-pixel device panel.
constexpr QSize TabArea(940, 600);

bool save(QWidget* page, const QString& dir, const QString& name) {
    page->resize(page->sizeHint().expandedTo(TabArea));
    page->show();
    QApplication::processEvents();
    const QPixmap picture = page->grab();
    const QString file = QDir(dir).filePath(name + QStringLiteral(".png"));
    if (!picture.save(file)) {
        QTextStream(stderr) << "Cannot write " << file << "\n";
        return false;
    }
    const QSize hint = page->sizeHint();
    QTextStream(stdout) << file << "  size hint " << hint.width() << "x" << hint.height()
                        << (hint.width() > TabArea.width() || hint.height() > TabArea.height()
                                ? "  LARGER THAN THE TAB AREA"
                                : "")
                        << "\n";
    page->hide();
    return true;
}
// The six device pictures side by side at their size in the window, 164 pixels.
bool saveDevicePictures(const QString& dir) {
    const QStringList files = DevicePictureFiles();
    constexpr int Size = 164;
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap sheet(QSize(6 * (Size + 8), Size + 8) * ratio);
    sheet.setDevicePixelRatio(ratio);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    bool ok = true;
    for (int i = 0; i < 6; ++i) {
        const QIcon picture(files[i]);
        const QPixmap pixmap = picture.pixmap(QSize(Size, Size), ratio);
        if (pixmap.isNull()) {
            QTextStream(stderr) << "Cannot render the picture " << files[i] << "\n";
            ok = false;
        }
        painter.drawPixmap(4 + i * (Size + 8), 4, pixmap);
    }
    painter.end();
    return sheet.save(QDir(dir).filePath(QStringLiteral("device-pictures.png"))) && ok;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "Usage: page_screenshots OUTDIR\n";
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        QTextStream(stderr) << "Cannot create " << dir << "\n";
        return 1;
    }
    static const char* names[] = {"",
                                  "1-staff",
                                  "2-pendant",
                                  "3-mpd-call-point",
                                  "4-mpd-monitor-point",
                                  "5-mpd-day-night-switch",
                                  "6-relay-output",
                                  "7-zone-indicator",
                                  "8-zx250"};
    tPageHost host;
    bool ok = true;
    for (int type = 1; type <= 8; ++type) {
        TDevicePage* page = host.Show(type);
        if (type >= 3) {
            tOtherDevice* device = host.document->AsOtherDevice();
            device->NodeAddress()->SetAsInteger(12);
            device->ZoneGroupAddress()->SetAsInteger(3);
        }
        ok = save(page, dir, QString::fromLatin1(names[type])) && ok;
        if (type == 1 || type == 2) {
            // A firmware revision that offers the special flags, so their list is shown.
            host.document->AsIRRFDevice()->FactoryRecord()->SW()->SetValueText(QStringLiteral("02A0"));
            host.Page(8)->PageShown();
            ok = save(host.Page(8), dir,
                      QString::fromLatin1(names[type]) + QStringLiteral("-factory-config")) &&
                 ok;
        }
    }
    host.Show(7);
    host.document->AsZonalIndicator()->HTM2015Enabled()->SetAsBoolean(true);
    ok = save(host.Page(3), dir, QStringLiteral("7-zone-indicator-htm08-03")) && ok;
    ok = save(host.Page(9), dir, QStringLiteral("configurator-programming")) && ok;
    ok = saveDevicePictures(dir) && ok;
    return ok ? 0 : 1;
}
