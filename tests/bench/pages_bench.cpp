// Time to create and bind each device page, and to load a configuration of each type into the bound
// pages: pages_bench [REPEATS] (default 20). Prints the median and the worst time per type in
// milliseconds. Runs on Qt's offscreen platform unless another is chosen.

#include "../pages/PageHost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace {
struct tFigures {
    double median = 0;
    double worst = 0;
};

tFigures figures(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.back()};
}

double elapsedMs(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    static const char* names[] = {"",
                                  "staff transmitter",
                                  "pendant",
                                  "MPD call point",
                                  "MPD monitor point",
                                  "MPD day/night switch",
                                  "relay output",
                                  "zone indicator",
                                  "ZX250 call point"};
    QTextStream out(stdout);
    out << "type                   create+bind page (ms)   load configuration (ms)\n"
        << "                       median     worst        median     worst\n";
    for (int type = 1; type <= 8; ++type) {
        // A configuration of the type as a file holds it, every value other than its default.
        std::unique_ptr<tZCfgFile> source(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
        source->SetDeviceType(uint8_t(type));
        changeEveryValue(source->Device());
        const tLines lines = source->ToLines();

        std::vector<double> bindTimes, loadTimes;
        for (int i = 0; i < repeats; ++i) {
            tPageHost host;
            host.document->SetDeviceType(uint8_t(type));
            QElapsedTimer timer;
            timer.start();
            QWidget window;
            auto page = CreateDevicePage(tPageHost::PageOf(type), &window);
            page->show();
            page->Bind(*host.document);
            bindTimes.push_back(elapsedMs(timer));
            page->Unbind();

            host.Show(type);
            timer.restart();
            host.document->LoadFromLines(lines);
            loadTimes.push_back(elapsedMs(timer));
        }
        const tFigures bind = figures(bindTimes), load = figures(loadTimes);
        out << QString::fromLatin1(names[type]).leftJustified(23)
            << QString::number(bind.median, 'f', 2).rightJustified(6)
            << QString::number(bind.worst, 'f', 2).rightJustified(10)
            << QString::number(load.median, 'f', 2).rightJustified(15)
            << QString::number(load.worst, 'f', 2).rightJustified(10) << "\n";
    }
    return 0;
}
