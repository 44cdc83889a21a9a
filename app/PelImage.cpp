#include "app/PelImage.h"

TImageList::TImageList(int width, int height, QObject* parent) : QObject(parent), size_(width, height) {}

// Sizes compare in device-independent pixels, so a picture drawn for a HiDPI screen keeps its detail.
int TImageList::Add(const QPixmap& picture) {
    if (picture.isNull() || picture.deviceIndependentSize().toSize() == size_) {
        pictures_.append(picture);
    } else {
        const qreal ratio = picture.devicePixelRatio();
        QPixmap scaled = picture.scaled(size_ * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
        pictures_.append(scaled);
    }
    return Count() - 1;
}

QPixmap TImageList::Picture(int index) const {
    return index >= 0 && index < Count() ? pictures_.at(index) : QPixmap();
}

TPelImage::TPelImage(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTransparent(true);
}

void TPelImage::SetImageList(TImageList* list) {
    if (list == imageList_) return;
    imageList_ = list;
    if (!list) return;
    resize(list->Size());
    redraw();
}

void TPelImage::SetImageIndex(int index) {
    if (index == imageIndex_) return;
    imageIndex_ = index;
    redraw();
}

void TPelImage::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_ && !pixmap().isNull()) resize(pixmap().size());
}

void TPelImage::SetTransparent(bool transparent) {
    transparent_ = transparent;
    setAutoFillBackground(!transparent);
}

void TPelImage::redraw() {
    if (!imageList_ || imageIndex_ < 0 || imageIndex_ >= imageList_->Count()) return;
    setPixmap(imageList_->Picture(imageIndex_));
    if (autoSize_) resize(pixmap().size());
    update();
}
