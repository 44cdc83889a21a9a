// Latency of a device read as the editor runs it: the link ticking on its own 100 ms timer under an
// event loop, the simulated adapter releasing the device's bytes at 9600 baud in real time. Each read
// is timed from StartRead to the result and set against the least the protocol allows: the two
// delay ticks before the request leaves, the reply's bytes at 9600 baud (10 bits a byte), and one
// tick of polling.
//
//   transfer_latency [reads per device, default 5]

#include "../programmer/SimHarness.h"
#include "device/UnitZCfgFile.h"
#include "programmer/ProgrammerLinkSetup.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Figures {
    double best = 0, mean = 0, worst = 0;
    int failures = 0;
};

// Reads the device `count` times; the milliseconds from StartRead to the result of each.
Figures measure(SimHarness& sim, const char* keyword, int count) {
    sim.loadKeyword(keyword);
    sim.setPacing(2); // real time: one byte per 1042 us
    TUSBPanel link(nullptr, true);
    ConfigureProgrammerLink(link);
    link.SetErrorStyle(esHideErrors);
    link.Open();
    std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    doc->SetModified(false);
    doc->SetDeviceType(dt_Relay_Output);
    doc->AttachLink(&link);

    Figures figures;
    if (!link.Active()) {
        figures.failures = count;
        return figures;
    }
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        QEventLoop loop;
        bool success = false;
        doc->SetResultPresenter([&](const QString& text, bool ok) {
            success = ok && text == TransferText::DataTransferred;
            loop.quit();
            return true;
        });
        QTimer giveUp;
        giveUp.setSingleShot(true);
        QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
        giveUp.start(5000 + link.TickInterval());
        // Like a click, the read starts at any moment between two ticks.
        QElapsedTimer clock;
        QTimer::singleShot(QRandomGenerator::global()->bounded(link.TickInterval()), &loop, [&] {
            clock.start();
            doc->StartRead();
        });
        loop.exec();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        if (success)
            times.push_back(ms);
        else
            ++figures.failures;
    }
    doc->AttachLink(nullptr);
    if (!times.empty()) {
        figures.best = *std::min_element(times.begin(), times.end());
        figures.worst = *std::max_element(times.begin(), times.end());
        for (double t : times)
            figures.mean += t / double(times.size());
    }
    return figures;
}

// The least the protocol allows for a reply of this many bytes, in milliseconds.
double protocolMinimum(const TUSBPanel& link, int replyBytes) {
    const double tick = link.TickInterval();
    return 2 * tick + replyBytes * 10.0 / 9600.0 * 1000.0 + tick;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
    qunsetenv("ZCFG_SIM");
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    SetMessagePresenter(
        [](MessageKind, const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
    SimHarness sim(QStringLiteral(ZCFG_SIM_LIBRARY));

    struct Case {
        const char* name;
        const char* keyword;
    };
    const Case cases[] = {{"relay output", "relay"}, {"staff transmitter", "staff"}};

    TUSBPanel reference(nullptr, false);
    ConfigureProgrammerLink(reference);
    std::printf("reads per device: %d, tick %d ms, 9600 baud, 10 bits a byte\n", count,
                reference.TickInterval());
    std::printf("%-18s %6s %10s %10s %10s %10s %7s\n", "device", "bytes", "least ms", "best ms", "mean ms",
                "worst ms", "ratio");
    int failures = 0;
    for (const Case& c : cases) {
        sim.loadKeyword(c.keyword);
        int bytes = 0;
        for (const char* which : {"pi", "fd", "ud"}) {
            const QByteArray record = sim.Record(0, which);
            if (!record.isEmpty()) bytes += int(record.size()) + 3; // SOH, EOT, check byte
        }
        const double least = protocolMinimum(reference, bytes);
        const Figures f = measure(sim, c.keyword, count);
        failures += f.failures;
        std::printf("%-18s %6d %10.1f %10.1f %10.1f %10.1f %7.2f\n", c.name, bytes, least, f.best, f.mean,
                    f.worst, f.mean / least);
        if (f.failures)
            std::printf("  %d of %d reads did not end with \"Data Transferred\"\n", f.failures, count);
    }
    std::printf("ratio: mean over least. A read that starts late in a tick interval waits less than a whole\n"
                "first delay tick, so single reads can come in under the least.\n");
    return failures == 0 ? 0 : 1;
}
