#include "device/SimulatedAdapter.h"

#include "device/DeviceTypeTable.h"
#include "programmer/D2XX.h"

#include <QFile>
#include <QFileInfo>

QStringList SimulatedDeviceKeywords() {
    QStringList keywords;
    for (const tDeviceTypeInfo& info : DeviceTypes())
        keywords << QLatin1String(info.Keyword);
    return keywords << QStringLiteral("none") << QStringLiteral("absent");
}

QString SimulatorLibrary() {
    const QString configured = qEnvironmentVariable("ZCFG_SIM_LIBRARY");
    if (!configured.isEmpty()) return configured;
    const QString found = D2XX::FindPrivateLibrary(QStringLiteral("libzcfg-sim.so"), QStringLiteral("sim"));
    return found.isEmpty() ? QStringLiteral("libzcfg-sim.so") : found;
}

bool UseSimulatedAdapter(const QString& keyword) {
    if (!SimulatedDeviceKeywords().contains(keyword)) return false;
    qputenv("ZCFG_D2XX_LIBRARY", QFile::encodeName(SimulatorLibrary()));
    qputenv("ZCFG_SIM", keyword.toUtf8());
    return true;
}

QString SimulatedAdapterDescription() {
    const QString library = QFileInfo(D2XX::LibraryName()).fileName();
    if (!library.startsWith(QLatin1String("libzcfg-sim"))) return QString();
    const QString setup = qEnvironmentVariable("ZCFG_SIM");
    if (setup.isEmpty()) return QLatin1String(DeviceTypeInfo(dt_Staff_Transmitter).ModelName);
    if (setup == QLatin1String("none")) return QStringLiteral("no device");
    if (setup == QLatin1String("absent")) return QStringLiteral("no adapter");
    const tDevType type = DeviceTypeFromKeyword(setup);
    return type == dt_None ? QStringLiteral("scenario ") + QFileInfo(setup).fileName()
                           : QLatin1String(DeviceTypeInfo(type).ModelName);
}
