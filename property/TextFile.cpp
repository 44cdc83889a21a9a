#include "property/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

namespace {

QString tooLargeText(qint64 maxSize) {
    return QStringLiteral("It is larger than %1 MB; a configuration file is far smaller")
        .arg(maxSize / (1024 * 1024));
}

#ifdef Q_OS_UNIX
// What a path that is no regular file is, in the words of a message.
QString kindProblem(mode_t mode) {
    if (S_ISREG(mode)) return QString();
    if (S_ISDIR(mode)) return QStringLiteral("It is a folder, not a file");
    if (S_ISFIFO(mode) || S_ISSOCK(mode)) return QStringLiteral("It is a pipe, not a file");
    return QStringLiteral("It is a device, not a file");
}

QString systemError(int code) {
    return QString::fromLocal8Bit(strerror(code));
}
#endif

} // namespace

QString RegularFileProblem(const QString& fileName, qint64 maxSize) {
#ifdef Q_OS_UNIX
    struct stat status {};
    if (::stat(QFile::encodeName(fileName).constData(), &status) != 0) return QString();
    if (const QString kind = kindProblem(status.st_mode); !kind.isEmpty()) return kind;
    return status.st_size > maxSize ? tooLargeText(maxSize) : QString();
#else
    const QFileInfo info(fileName);
    if (!info.exists()) return QString();
    if (info.isDir()) return QStringLiteral("It is a folder, not a file");
    if (!info.isFile()) return QStringLiteral("It is a device, not a file");
    return info.size() > maxSize ? tooLargeText(maxSize) : QString();
#endif
}

bool ReadRegularFile(const QString& fileName, qint64 maxSize, QByteArray& bytes, QString& error) {
    bytes.clear();
    QFile file;
#ifdef Q_OS_UNIX
    // Opened without waiting (a pipe with no writer would hold the window forever), then looked at
    // through the handle itself, so nothing can be swapped in between.
    const int fd =
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = systemError(errno);
        return false;
    }
    struct stat status {};
    QString problem = ::fstat(fd, &status) != 0 ? systemError(errno) : kindProblem(status.st_mode);
    if (problem.isEmpty() && status.st_size > maxSize) problem = tooLargeText(maxSize);
    if (!problem.isEmpty() || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (problem.isEmpty()) problem = file.errorString();
        ::close(fd);
        error = problem;
        return false;
    }
#else
    if (const QString problem = RegularFileProblem(fileName, maxSize); !problem.isEmpty()) {
        error = problem;
        return false;
    }
    file.setFileName(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
#endif
    // A file that grows while it is read stops at the limit too.
    bytes = file.read(maxSize + 1);
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    if (bytes.size() > maxSize) {
        bytes.clear();
        error = tooLargeText(maxSize);
        return false;
    }
    return true;
}

bool ReadTextFile(const QString& fileName, QStringList& lines, QString& error) {
    lines.clear();
    QByteArray bytes;
    if (!ReadRegularFile(fileName, MaxTextFileSize, bytes, error)) return false;
    lines = DecodeTextLines(bytes);
    return true;
}

namespace {

// The file being written sits beside its target under a hidden name, so a save cut short (the
// program killed) leaves nothing a person sees among the files; the next save of the same file
// removes it, with the temporary files the atomic write itself makes (".NAME.saving.XXXXXX").
QString stagingName(const QString& fileName) {
    return QLatin1Char('.') + fileName + QStringLiteral(".saving");
}

void removeLeftovers(QDir folder, const QString& staging) {
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries)
        if (entry == staging ||
            (entry.size() == staging.size() + 7 && entry.startsWith(staging + QLatin1Char('.'))))
            folder.remove(entry);
}

std::filesystem::path nativePath(const QString& fileName) {
#ifdef Q_OS_WIN
    return std::filesystem::path(fileName.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(fileName).toStdString());
#endif
}

// Why writing bytes into folder failed when the file device could not say.
QString unknownWriteFailure(const QString& folder, qint64 size) {
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < size)
        return QStringLiteral("No space left on device");
    return QStringLiteral("The file could not be written");
}

} // namespace

bool WriteTextFile(const QString& fileName, const QStringList& lines, QString& error) {
    // A link is followed: the file it names is replaced, the link stays.
    const QFileInfo given(fileName);
    QString target = given.absoluteFilePath();
    if (given.isSymLink()) target = given.exists() ? given.canonicalFilePath() : given.symLinkTarget();
    const QFileInfo info(target);
    const QDir folder = info.absoluteDir();
    if (!folder.exists()) {
        error = QStringLiteral("The file cannot be written: the folder \"%1\" does not exist")
                    .arg(QDir::toNativeSeparators(folder.absolutePath()));
        return false;
    }
    if (const QString problem = RegularFileProblem(target, std::numeric_limits<qint64>::max());
        !problem.isEmpty()) {
        error = QStringLiteral("The file cannot be written: ") + problem;
        return false;
    }
    const QString staging = stagingName(info.fileName());
    removeLeftovers(folder, staging);
    const QString stagingPath = folder.filePath(staging);

    const QByteArray bytes = EncodeTextLines(lines);
    // Unbuffered, so a full disk fails the write itself; commit() does not report a failure to
    // flush a buffer, and would then put an empty file in place of the old one.
    QSaveFile file(stagingPath);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    // A write that stops part-way (the disk filled) is repeated for the rest, which then fails with
    // its cause instead of leaving an unexplained short count.
    for (qint64 done = 0; written && done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        written = n > 0;
        done += std::max<qint64>(n, 0);
    }
    written = written && file.flush() && file.commit();
    if (!written) {
        QString reason = file.errorString();
        if (reason.isEmpty() || reason == QLatin1String("Unknown error"))
            reason = unknownWriteFailure(folder.absolutePath(), bytes.size());
        error = QStringLiteral("The file cannot be written: ") + reason;
        file.cancelWriting();
        return false;
    }
    // The new file keeps the rights of the one it replaces.
    if (info.exists()) QFile::setPermissions(stagingPath, QFile::permissions(target));
    std::error_code failure;
    std::filesystem::rename(nativePath(stagingPath), nativePath(target), failure);
    if (failure) {
        QFile::remove(stagingPath);
        error = QStringLiteral("The file cannot be written: ") + QString::fromStdString(failure.message());
        return false;
    }
    return true;
}
