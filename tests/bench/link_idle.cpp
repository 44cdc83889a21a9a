// CPU cost of an open, idle programmer link: the given number of ticks (default 600, one minute of
// ticking at 100 ms) against the simulated adapter, reported per tick and as a share of one core.
//
//   link_idle [ticks]

#include "programmer/ProgrammerLinkSetup.h"
#include "programmer/USBPanel.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
    const int ticks = argc > 1 ? std::max(1, atoi(argv[1])) : 600;

    TUSBPanel link(nullptr, false);
    ConfigureProgrammerLink(link);
    link.SetErrorStyle(esHideErrors);
    link.Open();
    if (!link.Active()) {
        std::fprintf(stderr, "link_idle: the simulated adapter did not open\n");
        return 1;
    }
    const double start = processCpuSeconds();
    for (int i = 0; i < ticks; ++i)
        link.Tick();
    const double cpu = processCpuSeconds() - start;

    const double wall = ticks * link.TickInterval() / 1000.0;
    const double perTickUs = cpu / ticks * 1e6;
    const double share = cpu / wall * 100.0;
    std::printf("ticks: %d (%.1f s of ticking at %d ms)\n", ticks, wall, link.TickInterval());
    std::printf("cpu: %.3f ms total, %.2f us per tick\n", cpu * 1e3, perTickUs);
    std::printf("load: %.4f %% of one core (target below 0.5 %%)\n", share);
    return share < 0.5 ? 0 : 2;
}
