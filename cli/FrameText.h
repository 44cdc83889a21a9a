#pragma once
// Frames typed on the command line: hexadecimal bytes ("01 32 38 04 6F") or the serial monitor's
// rendering ("<SOH>PI01...<EOT><#7C>").

#include <QByteArray>
#include <QString>
#include <optional>

std::optional<QByteArray> ParseFrameText(const QString& text, QString& error);
QString HexBytes(const QByteArray& bytes);
QByteArray FrameBytes(const QString& frame); // each character as its low byte
