#pragma once
// The pictures compiled into the application library. They are SVG drawings, drawn by the program
// at the screen's pixel density: sharp at any scale, and no image decoder is loaded to show them.

#include <QPixmap>
#include <QSize>
#include <QString>

// Registers the library's resources; safe to call more than once.
void InitAppResources();

// A picture by its file name ("result_ok", "light_green") at its own size; null when there is none.
QPixmap AppPicture(const QString& name);

// An SVG drawing drawn into a picture of the given size (device-independent pixels; an invalid size
// means the drawing's own) at the given pixel ratio; null when the file is missing or not a drawing.
QPixmap SvgPicture(const QString& file, QSize size, qreal ratio);
