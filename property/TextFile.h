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

// The largest file read as a configuration or settings file; any real one is far smaller.
constexpr qint64 MaxTextFileSize = 64 * 1024 * 1024;

// Only regular files are read: a pipe, a device or a folder is refused without waiting on it, and so
// is a file larger than maxSize. false with the reason in error.
bool ReadRegularFile(const QString& fileName, qint64 maxSize, QByteArray& bytes, QString& error);
// Why an existing path is no file that can be read whole (a pipe, a device, a folder, too large);
// empty for a regular file of at most maxSize bytes and for a path where nothing exists. Looks,
// never opens.
QString RegularFileProblem(const QString& fileName, qint64 maxSize);

// false with a readable reason in error when the file cannot be read or written. A save that fails
// (a full disk included) leaves the old file as it was; the file being written is hidden beside it
// (".NAME.saving"), and what a save cut short left there goes at the next save of that file. Every
// save of a configuration goes through WriteTextFile.
bool ReadTextFile(const QString& fileName, QStringList& lines, QString& error);
bool WriteTextFile(const QString& fileName, const QStringList& lines, QString& error);
