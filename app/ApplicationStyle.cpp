#include "app/ApplicationStyle.h"

#include "app/ToolbarIcons.h"

#include <QApplication>
#include <QGroupBox>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace {
// Fusion's space between a group box's title and the top of its frame.
constexpr int kGroupBoxTopMargin = 3;
} // namespace

TApplicationStyle::TApplicationStyle(QStyle* desktopStyle) : QProxyStyle(desktopStyle) {}

QIcon TApplicationStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                      const QWidget* widget) const {
    if (standardIcon == SP_ToolBarHorizontalExtensionButton) return ToolbarIcon(tToolbarGlyph::More);
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}

void TApplicationStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                      const QWidget* widget) const {
    if (element == PE_FrameGroupBox && option && painter) return drawGroupBoxFrame(*option, *painter, widget);
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

// Fusion's frame: a faint grey rounded border with a barely darker inside, below the title.
void TApplicationStyle::drawGroupBoxFrame(const QStyleOption& option, QPainter& painter,
                                          const QWidget* widget) const {
    const auto* group = qobject_cast<const QGroupBox*>(widget);
    const bool titled = !group || group->isCheckable() || !group->title().isEmpty();
    const int top = titled ? std::max(pixelMetric(PM_ExclusiveIndicatorHeight), option.fontMetrics.height()) +
                                 kGroupBoxTopMargin
                           : kGroupBoxTopMargin;
    // Drawn with plain rectangle fills: a frame is drawn for every group box on every paint, and
    // paths or lines with a translucent colour cost many times more.
    const QRect frame = option.rect.adjusted(1, top + 1, 0, 0);
    if (frame.width() < 4 || frame.height() < 4) return;
    const QColor border(0x75, 0x75, 0x75, 0x32);
    painter.fillRect(frame.adjusted(1, 1, -1, -1), QColor(0, 0, 0, 0x03));
    // Each side stops short of the corners, which get a fainter dot, so the corners look rounded.
    painter.fillRect(QRect(frame.left() + 2, frame.top(), frame.width() - 4, 1), border);
    painter.fillRect(QRect(frame.left() + 2, frame.bottom(), frame.width() - 4, 1), border);
    painter.fillRect(QRect(frame.left(), frame.top() + 2, 1, frame.height() - 4), border);
    painter.fillRect(QRect(frame.right(), frame.top() + 2, 1, frame.height() - 4), border);
    const QColor corner(0x75, 0x75, 0x75, 0x1a);
    for (const QPoint dot : {frame.topLeft() + QPoint(1, 1), frame.topRight() + QPoint(-1, 1),
                             frame.bottomLeft() + QPoint(1, -1), frame.bottomRight() + QPoint(-1, -1)})
        painter.fillRect(QRect(dot, QSize(1, 1)), corner);
}

void UseApplicationStyle() {
    QStyle* style = QApplication::style();
    if (qobject_cast<TApplicationStyle*>(style) || style->name() != QLatin1String("fusion")) return;
    QApplication::setStyle(new TApplicationStyle(QStyleFactory::create(style->name())));
}
