#include "app/ToolbarIcons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// The glyphs are drawn on a 24 x 24 grid and scaled to the rectangle asked for.
constexpr qreal kGrid = 24.0;

struct tInk {
    QColor line;
    QColor fill;
    QColor accent;
};

tInk inkFor(tToolbarGlyph glyph, QIcon::Mode mode) {
    if (mode == QIcon::Disabled) // one grey for every glyph, dark enough to read as a shape
        return {QColor(0x9a, 0xa0, 0xa6), QColor(0xd0, 0xd3, 0xd6), QColor(0xb8, 0xbc, 0xc0)};
    const QColor line(0x3a, 0x44, 0x4e);
    switch (glyph) {
    case tToolbarGlyph::New:
        return {line, Qt::white, QColor(0xd6, 0xdd, 0xe4)};
    case tToolbarGlyph::Open:
        return {QColor(0x8a, 0x5a, 0x10), QColor(0xf2, 0xc0, 0x5c), QColor(0xe0, 0xa2, 0x36)};
    case tToolbarGlyph::Save:
        return {QColor(0x1f, 0x3f, 0x72), QColor(0x3b, 0x6f, 0xb6), Qt::white};
    case tToolbarGlyph::Read:
        return {QColor(0x1d, 0x6b, 0x3c), QColor(0x2f, 0x9e, 0x5a), line};
    case tToolbarGlyph::Program:
        return {QColor(0x8c, 0x3a, 0x0c), QColor(0xe0, 0x6a, 0x1c), line};
    case tToolbarGlyph::Undo:
    case tToolbarGlyph::Redo:
        return {QColor(0x24, 0x4f, 0x7a), QColor(0x3b, 0x6f, 0xb6), line};
    case tToolbarGlyph::More:
        return {line, line, line};
    }
    return {line, Qt::white, line};
}

// The outline of a sheet of paper with its top right corner folded, and of an open folder's back.
const QPolygonF kPage{{5, 2.5}, {14, 2.5}, {19, 7.5}, {19, 21.5}, {5, 21.5}};
const QPolygonF kFolder{{2.5, 5.5}, {9, 5.5}, {11, 7.5}, {21.5, 7.5}, {21.5, 19.5}, {2.5, 19.5}};

// A vertical arrow over a base line: down for reading from the device, up for programming it.
void drawTransferArrow(QPainter& painter, const tInk& ink, bool down) {
    painter.setPen(QPen(ink.accent, 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4, 21), QPointF(20, 21));
    QPolygonF arrow;
    if (down)
        arrow << QPointF(9, 2.5) << QPointF(15, 2.5) << QPointF(15, 10) << QPointF(19.5, 10)
              << QPointF(12, 17.5) << QPointF(4.5, 10) << QPointF(9, 10);
    else
        arrow << QPointF(9, 17.5) << QPointF(15, 17.5) << QPointF(15, 10) << QPointF(19.5, 10)
              << QPointF(12, 2.5) << QPointF(4.5, 10) << QPointF(9, 10);
    painter.setPen(QPen(ink.line, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(ink.fill);
    painter.drawPolygon(arrow);
}

// A curved arrow turning back to the left; Redo draws it mirrored.
void drawUndoArrow(QPainter& painter, const tInk& ink) {
    QPainterPath bend;
    bend.moveTo(19, 19);
    bend.cubicTo(21, 11, 15, 7.5, 9, 9);
    painter.setPen(QPen(ink.fill, 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(bend);
    QPolygonF head;
    head << QPointF(3, 9.5) << QPointF(10.5, 3.5) << QPointF(11, 15);
    painter.setPen(QPen(ink.line, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(ink.fill);
    painter.drawPolygon(head);
}

void drawGlyph(QPainter& painter, tToolbarGlyph glyph, const tInk& ink) {
    const QPen outline(ink.line, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (glyph) {
    case tToolbarGlyph::New:
        painter.setPen(outline);
        painter.setBrush(ink.fill);
        painter.drawPolygon(kPage);
        painter.setBrush(ink.accent);
        painter.drawPolygon(QPolygonF{QPointF(14, 2.5), QPointF(14, 7.5), QPointF(19, 7.5)});
        return;
    case tToolbarGlyph::Open:
        painter.setPen(outline);
        painter.setBrush(ink.accent);
        painter.drawPolygon(kFolder);
        painter.setBrush(ink.fill);
        painter.drawPolygon(
            QPolygonF{QPointF(5, 10.5), QPointF(23, 10.5), QPointF(20.5, 19.5), QPointF(2.5, 19.5)});
        return;
    case tToolbarGlyph::Save:
        painter.setPen(outline);
        painter.setBrush(ink.fill);
        painter.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 2, 2);
        painter.setBrush(ink.accent);
        painter.drawRect(QRectF(7.5, 3.5, 9, 6));
        painter.drawRect(QRectF(6.5, 13.5, 11, 7));
        return;
    case tToolbarGlyph::Read:
    case tToolbarGlyph::Program:
        drawTransferArrow(painter, ink, glyph == tToolbarGlyph::Read);
        return;
    case tToolbarGlyph::Undo:
    case tToolbarGlyph::Redo:
        if (glyph == tToolbarGlyph::Redo) { // mirrored about the middle
            painter.translate(kGrid, 0);
            painter.scale(-1, 1);
        }
        drawUndoArrow(painter, ink);
        return;
    case tToolbarGlyph::More: // two chevrons pointing right
        painter.setPen(QPen(ink.line, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        for (const qreal x : {6.0, 12.0})
            painter.drawPolyline(QPolygonF{QPointF(x, 7), QPointF(x + 5, 12), QPointF(x, 17)});
        return;
    }
}

class TGlyphIconEngine : public QIconEngine {
public:
    explicit TGlyphIconEngine(tToolbarGlyph glyph) : glyph_(glyph) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / kGrid, rect.height() / kGrid);
        drawGlyph(*painter, glyph_, inkFor(glyph_, mode));
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // QIcon asks for the size in device pixels, already multiplied by the scale.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        QPixmap picture(size);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        paint(&painter, QRect(QPoint(0, 0), picture.size()), mode, state);
        painter.end();
        picture.setDevicePixelRatio(scale);
        return picture;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new TGlyphIconEngine(glyph_); }
    QString key() const override { return QStringLiteral("TGlyphIconEngine"); }

private:
    tToolbarGlyph glyph_;
};

} // namespace

QIcon ToolbarIcon(tToolbarGlyph glyph) {
    return QIcon(new TGlyphIconEngine(glyph));
}
