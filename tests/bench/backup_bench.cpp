// What the backup kept before every Program costs: Program with the backup against Program without,
// for each device type, the link ticking on its own 100 ms timer and the simulated adapter releasing
// the device's bytes at 9600 baud in real time. The backup needs no exchange of its own (the Program's
// identification reads the whole device); it adds writing one file.
//
//   backup_bench [programs per device and mode, default 3] [device keyword...]

#include "../programmer/SimHarness.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "programmer/ProgrammerLinkSetup.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"
#include "transfer/ProgramBackup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

struct Figures {
    double plain = 0, withBackup = 0; // mean milliseconds
    int failures = 0;
    int backups = 0;
};

// One Program from StartProgram to its result, in milliseconds; negative when it did not verify.
double programOnce(tZCfgFile& doc, const TUSBPanel& link) {
    QEventLoop loop;
    bool verified = false;
    doc.SetResultPresenter([&](const QString& text, bool ok) {
        verified = ok && text == TransferText::TransferredAndVerified;
        loop.quit();
        return true;
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    giveUp.start(10000);
    QElapsedTimer clock;
    // Like a click, the Program starts at any moment between two ticks.
    QTimer::singleShot(int(QRandomGenerator::global()->bounded(link.TickInterval())), &loop, [&] {
        clock.start();
        doc.StartProgram();
    });
    loop.exec();
    return verified ? double(clock.nsecsElapsed()) / 1e6 : -1;
}

Figures measure(SimHarness& sim, const tDeviceTypeInfo& info, int count, const QString& folder) {
    sim.loadKeyword(info.Keyword);
    sim.setPacing(2); // real time: one byte per 1042 us
    TUSBPanel link(nullptr, true);
    ConfigureProgrammerLink(link);
    link.SetErrorStyle(esHideErrors);
    link.Open();
    std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    doc->SetModified(false);
    doc->SetDeviceType(info.Type);
    doc->AttachLink(&link);
    Figures figures;
    {
        tProgramBackup backup(*doc, tBackupStore(folder));
        // Alternating, so that both modes meet the same conditions.
        for (int i = 0; i < 2 * count; ++i) {
            const bool keep = i % 2 == 1;
            backup.SetEnabled(keep);
            const double ms = programOnce(*doc, link);
            if (ms < 0) {
                ++figures.failures;
                continue;
            }
            (keep ? figures.withBackup : figures.plain) += ms / count;
            if (keep && !backup.LastBackup().isEmpty()) ++figures.backups;
        }
    }
    doc->AttachLink(nullptr);
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
    qunsetenv("ZCFG_SIM");
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QStringList only;
    for (int i = 2; i < argc; ++i)
        only << QString::fromLocal8Bit(argv[i]);
    SetMessagePresenter(
        [](MessageKind, const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
    SimHarness sim(QStringLiteral(ZCFG_SIM_LIBRARY));
    QTemporaryDir folder;

    std::printf("programs per device and mode: %d, tick 100 ms, 9600 baud in real time\n", count);
    std::printf("%-32s %12s %12s %7s\n", "device", "plain ms", "backup ms", "ratio");
    int failures = 0;
    double worst = 0;
    for (const tDeviceTypeInfo& info : DeviceTypes()) {
        if (!only.isEmpty() && !only.contains(QLatin1String(info.Keyword))) continue;
        const Figures f = measure(sim, info, count, folder.filePath(QLatin1String(info.Keyword)));
        const double ratio = f.plain > 0 ? f.withBackup / f.plain : 0;
        worst = std::max(worst, ratio);
        failures += f.failures + (count - f.backups);
        std::printf("%-32s %12.1f %12.1f %7.3f\n", info.ModelName, f.plain, f.withBackup, ratio);
        if (f.failures) std::printf("  %d programs did not verify\n", f.failures);
    }
    std::printf("worst ratio %.3f (goal: at most 2.1)\n", worst);
    return failures == 0 && worst <= 2.1 ? 0 : 1;
}
