#include "app/PelImage.h"

TImageList::TImageList(int width, int height, QObject* parent) : QObject(parent), size_(width, height) {}

int TImageList::Add(const QPixmap& picture) {
    pictures_.append(picture.size() == size_ || picture.isNull()
                         ? picture
                         : picture.scaled(size_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
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
