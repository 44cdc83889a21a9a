#pragma once
// The program's style: the desktop's own, except that under Fusion (the style Qt uses where the
// desktop names none) two of its pictures are drawn instead of read from image files: the chevron
// of a menu bar too narrow for its menus and the frame of a group box. The window shows both as it
// starts, and the first image read loads every image decoder Qt has, a noticeable part of the
// window's start-up. Drawn, they also stay sharp at any scale.

#include <QProxyStyle>

class TApplicationStyle : public QProxyStyle {
    Q_OBJECT
public:
    // Takes ownership of the style it wraps.
    explicit TApplicationStyle(QStyle* desktopStyle);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    void drawGroupBoxFrame(const QStyleOption& option, QPainter& painter, const QWidget* widget) const;
};

// Makes it the application's style when the application uses Fusion; otherwise, and on later
// calls, changes nothing.
void UseApplicationStyle();
