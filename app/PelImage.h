#pragma once
// An image showing one picture of an image list, chosen by index: the device picture, the self-test
// result and the programmer link's status lights.

#include "property/Controls.h"

#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QSize>
#include <functional>

// Pictures of one size, shared by the images that show them.
class TImageList : public QObject {
    Q_OBJECT
public:
    TImageList(int width, int height, QObject* parent = nullptr);

    int Width() const noexcept { return size_.width(); }
    int Height() const noexcept { return size_.height(); }
    QSize Size() const noexcept { return size_; }
    int Count() const noexcept { return int(pictures_.size()); }
    // Adds a picture, scaled to the list's size when it differs; returns its index.
    int Add(const QPixmap& picture);
    // Adds a picture that is drawn the first time it is shown, so that a list of large drawings
    // costs nothing at start-up for the pictures not yet shown; returns its index.
    int AddDeferred(std::function<QPixmap()> draw);
    // Null for an index outside the list.
    QPixmap Picture(int index) const;

private:
    QPixmap fitted(const QPixmap& picture) const;

    QSize size_;
    mutable QList<QPixmap> pictures_;
    mutable QList<std::function<QPixmap()>> deferred_; // empty once drawn
};

class TPelImage : public QLabel, public IIndicatorImage {
    Q_OBJECT
public:
    explicit TPelImage(QWidget* parent = nullptr);

    TImageList* ImageList() const { return imageList_; }
    // Sizes the image to the list's pictures and shows the current index. Clearing the list (null)
    // keeps the picture and size shown; later index changes show nothing new until a list is set.
    // A list that is destroyed counts as cleared.
    void SetImageList(TImageList* list);

    // An index outside the list keeps the current picture.
    int ImageIndex() const override { return imageIndex_; }
    void SetImageIndex(int index) override;

    // Size follows the picture shown (default true).
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // The parent shows through where the picture is transparent (default true).
    bool Transparent() const noexcept { return transparent_; }
    void SetTransparent(bool transparent);

private:
    void redraw();

    QPointer<TImageList> imageList_;
    int imageIndex_ = 0;
    bool autoSize_ = true;
    bool transparent_ = true;
};
