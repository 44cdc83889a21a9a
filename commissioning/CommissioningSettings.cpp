#include "commissioning/CommissioningSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>
#include <memory>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {
const QString settingsKey = QStringLiteral("Zentara Configurator");
const QString logGroup = QStringLiteral("Commissioning Log");
} // namespace

// The editor and zcfg set different application names, so the folder is named here rather than
// taken from QStandardPaths::AppDataLocation, which would give each program a folder of its own.
QString DefaultCommissioningLogFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("zentara-configurator/commissioning.sqlite"));
}

tCommissioningLogSettings ReadCommissioningLogSettings(const QString& settingsFile) {
    std::unique_ptr<QSettings> settings;
    if (settingsFile.isEmpty()) {
        settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, settingsKey);
    } else {
        settings = std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
        settings->beginGroup(settingsKey);
    }
    settings->beginGroup(logGroup);
    tCommissioningLogSettings result;
    result.Server = settings->value(QStringLiteral("Server")).toString().trimmed();
    result.Database = settings->value(QStringLiteral("Database")).toString().trimmed();
    result.User = settings->value(QStringLiteral("User")).toString().trimmed();
    const QString port = settings->value(QStringLiteral("Port")).toString().trimmed();
    if (!port.isEmpty()) {
        bool ok = false;
        result.Port = port.toInt(&ok);
        if (!ok || result.Port < 1 || result.Port > 65535) {
            result.Port = 0;
            result.Error =
                QStringLiteral("the port \"%1\" in the settings is not a number from 1 to 65535").arg(port);
        }
    }
    return result;
}

QString CurrentOperator() {
#ifdef Q_OS_UNIX
    // The account the program runs as; $USER may be stale after su.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    QByteArray buffer(size > 0 ? size : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), size_t(buffer.size()), &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
#endif
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"})
        if (const QString name = qEnvironmentVariable(variable); !name.isEmpty()) return name;
    return QString();
}

QString CurrentHost() {
    return QSysInfo::machineHostName();
}
