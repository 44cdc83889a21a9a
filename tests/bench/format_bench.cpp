// Measures reading and writing of configuration text as it grows: memo lines and unrecognised
// entries, 1,000 to 100,000 lines, and unrecognised entries with a quarter of them distinct names
// (each repeated name must reach the child its first line made). Prints the times and the growth
// ratio between sizes.
#include "device/UnitZCfgFile.h"
#include "property/PelFile.h"
#include "property/PelScalar.h"
#include "property/PropertyPaths.h"
#include "property/TextFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <QTemporaryDir>

#include <memory>
#include <sys/resource.h>

namespace {

class BenchDocument : public tPelFileProperty {
public:
    BenchDocument() : tPelFileProperty(QStringLiteral("Bench File"), nullptr) {
        Create<tPelTextProperty>(QStringLiteral("Name"), this);
        Create<tMemoProperty>(QStringLiteral("Comments"), this);
    }
};

// Half the lines are memo lines, half are unrecognised entries (repeating every 1,000 names).
QStringList makeText(int lines) {
    QStringList text = {QStringLiteral("File Bench File"), QStringLiteral("  Name = bench"),
                        QStringLiteral("  Memo Comments")};
    const int memoLines = lines / 2;
    for (int i = 0; i < memoLines; ++i)
        text << QStringLiteral("    // comment line %1 with some words in it").arg(i);
    text << QStringLiteral("  End Memo");
    for (int i = 0; text.size() < lines - 1; ++i)
        text << QStringLiteral("  Unknown Entry %1 = value %2").arg(i % 1000).arg(i);
    text << QStringLiteral("End File");
    return text;
}

// Only unrecognised entries, a quarter of the lines distinct names.
QStringList makeUnknownEntries(int lines) {
    QStringList text = {QStringLiteral("File Bench File")};
    for (int i = 0; text.size() < lines - 1; ++i)
        text << QStringLiteral("  Entry%1 = %2").arg(i % (lines / 4)).arg(i);
    text << QStringLiteral("End File");
    return text;
}

struct Figures {
    double readMs = 0;
    double writeMs = 0;
    double encodeMs = 0;
    double distinctReadMs = 0;
};

Figures measure(int lines) {
    const QStringList text = makeText(lines);
    const QStringList entries = makeUnknownEntries(lines);
    Figures best{1e9, 1e9, 1e9, 1e9};
    for (int round = 0; round < 3; ++round) {
        std::unique_ptr<BenchDocument> doc(Create<BenchDocument>());
        QElapsedTimer timer;
        timer.start();
        doc->LoadFromLines(text);
        best.readMs = qMin(best.readMs, timer.nsecsElapsed() / 1e6);
        timer.restart();
        const QStringList written = doc->ToLines();
        best.writeMs = qMin(best.writeMs, timer.nsecsElapsed() / 1e6);
        timer.restart();
        const QByteArray bytes = EncodeTextLines(written);
        DecodeTextLines(bytes);
        best.encodeMs = qMin(best.encodeMs, timer.nsecsElapsed() / 1e6);
        std::unique_ptr<BenchDocument> other(Create<BenchDocument>());
        timer.restart();
        other->LoadFromLines(entries);
        best.distinctReadMs = qMin(best.distinctReadMs, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A relay configuration whose comment has 100,000 lines: load, save and the show listing.
void measureDocument(QTextStream& out) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.zcf"));
    {
        std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
        doc->SetDeviceType(dt_Relay_Output);
        QStringList comment;
        for (int i = 0; i < 100000; ++i)
            comment << QStringLiteral("Ward %1: bed %2 checked, call point and pull cord tested")
                           .arg(i % 40)
                           .arg(i);
        doc->Comments()->SetLinesFrom(comment);
        QString error;
        doc->SaveToFile(path, error);
    }
    const long before = peakKilobytes();
    std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    QElapsedTimer timer;
    timer.start();
    doc->LoadFromFile(path);
    const double loadMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    QString error;
    doc->SaveToFile(dir.filePath(QStringLiteral("again.zcf")), error);
    const double saveMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    const QStringList shown = ShowLines(doc.get());
    const double showMs = timer.nsecsElapsed() / 1e6;
    out << QStringLiteral("\n100,000-line comment (%1 file lines, %2 shown lines)\n")
               .arg(doc->ToLines().size())
               .arg(shown.size());
    out << QStringLiteral(
               "load %1 ms   save %2 ms   show %3 ms   peak memory %4 MB (before the document %5 MB)\n")
               .arg(loadMs, 0, 'f', 1)
               .arg(saveMs, 0, 'f', 1)
               .arg(showMs, 0, 'f', 1)
               .arg(peakKilobytes() / 1024.0, 0, 'f', 1)
               .arg(before / 1024.0, 0, 'f', 1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (app.arguments().contains(QStringLiteral("--document-only"))) {
        measureDocument(out);
        return 0;
    }
    const int sizes[] = {1000, 10000, 100000};
    Figures previous;
    out << "lines      read ms   write ms  encode+decode ms  distinct read ms  read growth  write growth  "
           "distinct growth\n";
    for (int i = 0; i < 3; ++i) {
        const Figures f = measure(sizes[i]);
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(sizes[i], -9)
                   .arg(f.readMs, 9, 'f', 2)
                   .arg(f.writeMs, 10, 'f', 2)
                   .arg(f.encodeMs, 17, 'f', 2);
        out << QStringLiteral(" %1").arg(f.distinctReadMs, 17, 'f', 2);
        if (i > 0)
            out << QStringLiteral(" %1x %2x %3x")
                       .arg(f.readMs / previous.readMs, 11, 'f', 1)
                       .arg(f.writeMs / previous.writeMs, 12, 'f', 1)
                       .arg(f.distinctReadMs / previous.distinctReadMs, 14, 'f', 1);
        out << "\n";
        previous = f;
    }
    out << "(growth is the ratio to the previous size, which is 10 times smaller; linear is 10x)\n";
    if (!app.arguments().contains(QStringLiteral("--formats-only"))) measureDocument(out);
    return 0;
}
