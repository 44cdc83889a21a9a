#pragma once
// The program's style: the desktop's own, except that the chevron of a menu bar too narrow for its
// menus is drawn rather than read from an image file. The menu bar asks for it while it is made,
// and the first image read loads every image decoder Qt has, which alone costs a noticeable part
// of the window's start-up.

#include <QProxyStyle>

class TApplicationStyle : public QProxyStyle {
    Q_OBJECT
public:
    // Wraps a new instance of the style the application uses now.
    TApplicationStyle();

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// Makes it the application's style, once; later calls change nothing.
void UseApplicationStyle();
