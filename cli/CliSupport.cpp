#include "cli/CliSupport.h"

#include "device/DeviceTypeTable.h"
#include "property/TextFile.h"

#include <QFile>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
// Why writing to standard output failed, once it has; nothing more is written then.
QString outputFailure;

bool outputFailed() {
    outputFailure = errno ? QString::fromLocal8Bit(strerror(errno)) : QStringLiteral("write error");
    return false;
}

// Writes bytes to standard output, flushing them when asked; false once anything failed.
bool writeOut(const QByteArray& bytes, bool flush) {
    if (!outputFailure.isEmpty()) return false;
    errno = 0;
    if (fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
        return outputFailed();
    if (flush && fflush(stdout) != 0) return outputFailed();
    return true;
}
} // namespace

bool PrintOut(const QString& text) {
    return writeOut(text.toLocal8Bit(), true);
}

bool PrintLines(const QStringList& lines) {
    for (const QString& line : lines)
        if (!writeOut(line.toLocal8Bit() + '\n', false)) return false;
    return writeOut(QByteArray(), true);
}

QString OutputFailure() {
    errno = 0;
    if (outputFailure.isEmpty() && (fflush(stdout) != 0 || ferror(stdout))) outputFailed();
    return outputFailure;
}

void PrintError(const QString& text) {
    const QByteArray bytes = (text + QLatin1Char('\n')).toLocal8Bit();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    fflush(stderr);
}

int UsageError(const QString& command, const QString& message) {
    PrintError(QStringLiteral("zcfg %1: %2").arg(command, message));
    PrintError(QStringLiteral("Try 'zcfg %1 --help'.").arg(command));
    return ExitUsage;
}

const QCommandLineOption& OutputOption() {
    static const QCommandLineOption option({QStringLiteral("o"), QStringLiteral("output")},
                                           QStringLiteral("Write the configuration to FILE."),
                                           QStringLiteral("FILE"));
    return option;
}

std::unique_ptr<tZCfgFile> NewConfiguration() {
    std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    doc->SetModified(false);
    return doc;
}

QStringList ProblemLines(const QString& fileName, const tLoadResult& result) {
    QStringList lines;
    if (!result.touchedDocument()) {
        lines << QStringLiteral("%1:1: %2").arg(fileName, result.message);
        return lines;
    }
    for (const tError& error : result.errors)
        lines << QStringLiteral("%1:%2: %3")
                     .arg(fileName)
                     .arg(tPelFileProperty::ErrorLineNumber(error))
                     .arg(error.Text);
    return lines;
}

std::unique_ptr<tZCfgFile> LoadConfiguration(const QString& fileName, int& exitCode, bool quietProblems) {
    std::unique_ptr<tZCfgFile> doc = NewConfiguration();
    const tLoadResult result = doc->LoadFromFile(fileName);
    if (result.status == tLoadResult::Unreadable) {
        PrintError(QStringLiteral("%1: cannot read: %2").arg(fileName, result.message));
        exitCode = ExitUsage;
        return nullptr;
    }
    if (!result.touchedDocument()) {
        PrintError(ProblemLines(fileName, result).join(QLatin1Char('\n')));
        exitCode = ExitUsage;
        return nullptr;
    }
    if (!result.errors.isEmpty() && !quietProblems)
        for (const QString& line : ProblemLines(fileName, result))
            PrintError(line);
    exitCode = result.errors.isEmpty() ? ExitSuccess : ExitProblems;
    return doc;
}

int WriteConfiguration(tZCfgFile& doc, const QString& fileName, const QString& command) {
    // Values received from a device may hold "//", which the file cannot keep as it is: the
    // configuration is still written, and the person is told which values read back cut short.
    const QStringList unstorable = doc.UnstorableValues();
    if (fileName.isEmpty()) {
        if (!writeOut(EncodeTextLines(doc.ToLines()), true)) return ExitUsage;
    } else {
        QString error;
        if (!doc.SaveToFile(fileName, error)) {
            PrintError(QStringLiteral("zcfg %1: %2: cannot write, the file was left as it was: %3")
                           .arg(command, fileName, error));
            return ExitUsage;
        }
    }
    if (unstorable.isEmpty()) return ExitSuccess;
    PrintError(QStringLiteral("zcfg %1: warning: %2")
                   .arg(command,
                        tPelFileProperty::UnstorableValuesText(
                            fileName.isEmpty() ? QStringLiteral("standard output") : fileName, unstorable)));
    return ExitProblems;
}

int ParseDeviceType(const QString& text) {
    const QString wanted = text.trimmed();
    bool isNumber = false;
    const int number = wanted.toInt(&isNumber);
    if (isNumber) return number >= FirstDeviceType && number <= LastDeviceType ? number : -1;
    // The short keywords of the simulated devices name the types too.
    if (const tDevType type = DeviceTypeFromKeyword(wanted); type != dt_None) return type;
    for (const tDeviceTypeInfo& info : DeviceTypes()) {
        const QString name = QLatin1String(info.ValueName);
        for (const QString& candidate : {name, EnumDisplayText(name), QString::fromLatin1(info.ModelName)})
            if (QString::compare(candidate, wanted, Qt::CaseInsensitive) == 0) return info.Type;
    }
    return -1;
}

QString DeviceTypeChoices() {
    QStringList choices;
    for (const tDeviceTypeInfo& info : DeviceTypes())
        choices << QStringLiteral("  %1  %2  %3  \"%4\"")
                       .arg(int(info.Type))
                       .arg(QLatin1String(info.Keyword), -18)
                       .arg(QLatin1String(info.ValueName), -24)
                       .arg(QLatin1String(info.ModelName));
    return choices.join(QLatin1Char('\n'));
}
