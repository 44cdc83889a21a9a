#include "app/ApplicationStyle.h"

#include "app/ToolbarIcons.h"

#include <QApplication>
#include <QStyleFactory>

TApplicationStyle::TApplicationStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

QIcon TApplicationStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                      const QWidget* widget) const {
    if (standardIcon == SP_ToolBarHorizontalExtensionButton) return ToolbarIcon(tToolbarGlyph::More);
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}

void UseApplicationStyle() {
    if (!qobject_cast<TApplicationStyle*>(QApplication::style()))
        QApplication::setStyle(new TApplicationStyle);
}
