#include "cli/FrameText.h"

#include "programmer/Common.h"

namespace {

std::optional<QByteArray> parseRendering(const QString& text, QString& error) {
    QByteArray bytes;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('<')) {
            if (c.unicode() > 255) {
                error = QStringLiteral("character '%1' is not a byte").arg(c);
                return std::nullopt;
            }
            bytes += char(c.unicode());
            continue;
        }
        const int close = text.indexOf(QLatin1Char('>'), i);
        if (close < 0) {
            error = QStringLiteral("'<' without '>' at position %1").arg(i + 1);
            return std::nullopt;
        }
        const QString name = text.mid(i + 1, close - i - 1);
        int code = -1;
        if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            code = name.mid(1).toInt(&ok, 16);
            if (!ok || name.size() != 3) code = -1;
        } else {
            code = ControlCharCode(name);
        }
        if (code < 0 || code > 255) {
            error = QStringLiteral("unknown byte name <%1>").arg(name);
            return std::nullopt;
        }
        bytes += char(code);
        i = close;
    }
    return bytes;
}

std::optional<QByteArray> parseHex(const QString& text, QString& error) {
    QString digits = text;
    digits.remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
    if (digits.isEmpty() || digits.size() % 2 != 0) {
        error = QStringLiteral("hexadecimal bytes come in pairs of digits");
        return std::nullopt;
    }
    QByteArray bytes = QByteArray::fromHex(digits.toLatin1());
    for (QChar c : digits)
        if (!c.isDigit() && !QStringLiteral("abcdefABCDEF").contains(c)) {
            error = QStringLiteral("'%1' is not a hexadecimal digit").arg(c);
            return std::nullopt;
        }
    return bytes;
}

} // namespace

std::optional<QByteArray> ParseFrameText(const QString& text, QString& error) {
    return text.contains(QLatin1Char('<')) ? parseRendering(text, error) : parseHex(text, error);
}

QString HexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray FrameBytes(const QString& frame) {
    QByteArray bytes;
    bytes.reserve(frame.size());
    for (QChar c : frame)
        bytes += char(c.unicode() & 0xFF);
    return bytes;
}
