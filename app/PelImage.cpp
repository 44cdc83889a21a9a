#include "app/PelImage.h"

#include <utility>

TImageList::TImageList(int width, int height, QObject* parent) : QObject(parent), size_(width, height) {}

int TImageList::Add(const QPixmap& picture) {
    pictures_.append(fitted(picture));
    deferred_.append(nullptr);
    return Count() - 1;
}

int TImageList::AddDeferred(std::function<QPixmap()> draw) {
    pictures_.append(QPixmap());
    deferred_.append(std::move(draw));
    return Count() - 1;
}

QPixmap TImageList::Picture(int index) const {
    if (index < 0 || index >= Count()) return QPixmap();
    if (std::function<QPixmap()> draw = std::exchange(deferred_[index], nullptr))
        pictures_[index] = fitted(draw());
    return pictures_.at(index);
}

// Sizes compare in device-independent pixels, so a picture drawn for a HiDPI screen keeps its detail.
QPixmap TImageList::fitted(const QPixmap& picture) const {
    if (picture.isNull() || picture.deviceIndependentSize().toSize() == size_) return picture;
    const qreal ratio = picture.devicePixelRatio();
    QPixmap scaled = picture.scaled(size_ * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    return scaled;
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
