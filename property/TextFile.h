#pragma once
// Configuration files as line lists. Reading detects a byte-order mark (UTF-8, UTF-16 LE/BE);
// without one, text that is valid UTF-8 is read as UTF-8 and anything else as Windows-1252, the code
// page of files written on Windows desktops. Writing ends every line with CR LF and uses
// Windows-1252 when every character fits, otherwise UTF-8 with a byte-order mark, so no character is
// ever lost. Saving is atomic: a failed save leaves the old file as it was.

#include <QByteArray>
#include <QString>
#include <QStringList>

QStringList DecodeTextLines(const QByteArray& bytes);
QByteArray EncodeTextLines(const QStringList& lines);

// false with a readable reason in error when the file cannot be read or written. A save that fails
// (a full disk included) leaves the old file as it was. Every save of a configuration goes through
// WriteTextFile.
bool ReadTextFile(const QString& fileName, QStringList& lines, QString& error);
bool WriteTextFile(const QString& fileName, const QStringList& lines, QString& error);
