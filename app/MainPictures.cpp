#include "app/MainPictures.h"

#include "app/AppResources.h"
#include "app/PelImage.h"
#include "app/ToolbarIcons.h"
#include "app/pages/DevicePictures.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>

namespace {
constexpr int kDeviceSize = 164;
constexpr int kLightSize = 24;

const char* const kDeviceNames[] = {"mpd", "relay", "zone_indicator", "pendant", "staff", "zx250"};
const char* const kDeviceModels[] = {"ZX310", "ZX320", "ZX330", "ZX160", "ZX140", "ZX250"};

// A neutral picture naming the model, shown until a drawing of the device is available.
QPixmap placeholderPicture(int index) {
    QPixmap picture(kDeviceSize, kDeviceSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x60, 0x6c, 0x78), 3));
    painter.setBrush(QColor(0xee, 0xf1, 0xf4));
    painter.drawRoundedRect(QRectF(20, 12, 124, 140), 14, 14);
    QFont font = QApplication::font();
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(20, 12, 124, 140), Qt::AlignCenter, QLatin1String(kDeviceModels[index]));
    return picture;
}

// Drawn at the screen's pixel density, so the picture stays sharp on a HiDPI screen.
QPixmap devicePicture(int index) {
    const QStringList files = DevicePictureFiles();
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    const QPixmap picture =
        index < files.size() ? SvgPicture(files[index], QSize(kDeviceSize, kDeviceSize), ratio) : QPixmap();
    return picture.isNull() ? placeholderPicture(index) : picture;
}

QPixmap disabledPixmap(const QIcon& icon) {
    return icon.pixmap(kLightSize, kLightSize, QIcon::Disabled);
}
} // namespace

QString TMainImageLists::DevicePictureName(int index) {
    return index >= 0 && index < DevicePictureCount ? QLatin1String(kDeviceNames[index]) : QString();
}

TMainImageLists::TMainImageLists(QObject* parent)
    : QObject(parent), ImageListDevices(new TImageList(kDeviceSize, kDeviceSize, this)),
      ImageListAutoTest(new TImageList(kLightSize, kLightSize, this)),
      ImageListOpen(new TImageList(kLightSize, kLightSize, this)),
      ImageListTx(new TImageList(kLightSize, kLightSize, this)),
      ImageListRx(new TImageList(kLightSize, kLightSize, this)) {
    // Only the picture of the device type shown is drawn at start-up.
    for (int i = 0; i < DevicePictureCount; ++i)
        ImageListDevices->AddDeferred([i] { return devicePicture(i); });
    // The lights are drawn when first shown.
    const auto light = [](const char* name) { return [name] { return AppPicture(QLatin1String(name)); }; };
    ImageListAutoTest->AddDeferred(light("light_off"));   // no result (or failed)
    ImageListAutoTest->AddDeferred(light("light_amber")); // programmer found
    ImageListAutoTest->AddDeferred(light("light_green")); // passed
    ImageListAutoTest->AddDeferred(light("light_red"));   // failed
    ImageListOpen->AddDeferred(light("light_off"));
    ImageListOpen->AddDeferred(light("light_green"));
    ImageListTx->AddDeferred(light("light_off"));
    ImageListTx->AddDeferred(light("light_amber"));
    ImageListRx->AddDeferred(light("light_off"));
    ImageListRx->AddDeferred(light("light_green"));
    ImageListRx->AddDeferred(light("light_red"));

    const QIcon undo = ToolbarIcon(tToolbarGlyph::Undo);
    const QIcon redo = ToolbarIcon(tToolbarGlyph::Redo);
    ImageListUndoRedo = {undo, redo, QIcon(disabledPixmap(undo)), QIcon(disabledPixmap(redo))};
}
