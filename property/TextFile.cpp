#include "property/TextFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; 0 marks the five unassigned codes, which
// are kept as the control characters of the same code.
const char16_t cp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString decodeWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (char byte : bytes) {
        const uchar b = uchar(byte);
        const char16_t high = b >= 0x80 && b <= 0x9F ? cp1252High[b - 0x80] : 0;
        *out++ = QChar(high ? high : char16_t(b));
    }
    return text;
}

// The Windows-1252 byte of a character, or -1 when it has none.
int windows1252Byte(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
    for (int i = 0; i < 32; ++i)
        if (cp1252High[i] == u || (cp1252High[i] == 0 && u == 0x80 + i)) return 0x80 + i;
    return -1;
}

QString decode(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                            : QStringConverter::Utf16BE);
        return decoder.decode(bytes.mid(2));
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? decodeWindows1252(bytes) : text;
}

} // namespace

QStringList DecodeTextLines(const QByteArray& bytes) {
    const QString text = decode(bytes);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

QByteArray EncodeTextLines(const QStringList& lines) {
    qsizetype total = 0;
    bool fitsCodePage = true;
    for (const QString& line : lines) {
        total += line.size() + 2;
        for (QChar c : line)
            if (fitsCodePage && windows1252Byte(c) < 0) fitsCodePage = false;
    }
    QByteArray bytes;
    if (!fitsCodePage) {
        bytes = "\xEF\xBB\xBF";
        for (const QString& line : lines)
            bytes += line.toUtf8() + "\r\n";
        return bytes;
    }
    bytes.reserve(total);
    for (const QString& line : lines) {
        for (QChar c : line)
            bytes += char(windows1252Byte(c));
        bytes += "\r\n";
    }
    return bytes;
}

bool ReadTextFile(const QString& fileName, QStringList& lines, QString& error) {
    lines.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    lines = DecodeTextLines(bytes);
    return true;
}

bool WriteTextFile(const QString& fileName, const QStringList& lines, QString& error) {
    // Unbuffered, so a full disk fails the write itself; commit() does not report a failure to
    // flush a buffer, and would then put an empty file in place of the old one.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = file.errorString();
        return false;
    }
    const QByteArray bytes = EncodeTextLines(lines);
    // The buffer is flushed before committing: a flush that fails (a full disk) must stop the commit,
    // or an incomplete temporary file would replace the old one.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        error = file.errorString();
        if (error.isEmpty()) error = QStringLiteral("The file could not be written");
        file.cancelWriting();
        return false;
    }
    return true;
}
