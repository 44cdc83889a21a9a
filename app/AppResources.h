#pragma once
// The pictures compiled into the application library.

#include <QPixmap>
#include <QString>

// Registers the library's resources; safe to call more than once.
void InitAppResources();

// A picture by its file name ("result_ok", "light_green"); null when there is none.
QPixmap AppPicture(const QString& name);
