#include "device/SimulatedAdapter.h"

#include "device/DeviceTypeTable.h"
#include "programmer/D2XX.h"

#include <QFile>

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
