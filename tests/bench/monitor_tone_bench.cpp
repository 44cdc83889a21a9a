// Costs of the serial monitor and the tone test, printed as figures:
//  - CPU use of the process while a tone pattern plays on the real timer and sound output (silent
//    where the machine has none), and the cost of synthesising the sound itself;
//  - the monitor's cost per received character and per line when it holds 1,000 and 100,000
//    lines (and 10,000 between them); it must not grow with the length beyond the logarithmic cost
//    of the text document's own structures.
// Usage: monitor_tone_bench [seconds per pattern, default 5] [--quick]
//
// With --record, the rhythm on the real sound path instead: each pattern is played as the window
// plays it (the tone test, the sound module loaded with the first note, Qt Multimedia) into the
// sound server's default sink, that sink's monitor is recorded with parec, and the figures come
// from the recorded samples: every period from one repetition's first sample to the next's, the
// notes' lengths and pitch, holes and dips inside the sound, and by when after the click the first
// note and after "Stop" the last sound is mixed into the sink. It needs a PulseAudio server whose default
// sink is a null sink (so nothing is heard and nothing else mixes in) and parec; ctest never runs it.
//   export XDG_RUNTIME_DIR=/tmp/tonebench    (the server's folder, for it and its clients alike)
//   pulseaudio -D --exit-idle-time=-1        (as root it warns, and runs)
//   pactl load-module module-null-sink sink_name=tonebench rate=48000 channels=2 format=s16le
//   pactl set-default-sink tonebench
//   monitor_tone_bench --record [seconds per pattern, default 60] [--only "Attack,500 Hz"]
//                      [--keep FILE (the recording, mono s16le, for sox)]
#include "app/SerialMonitor.h"
#include "app/ToneOutputAudio.h"
#include "app/ToneOutputModule.h"
#include "app/ToneOutputRecorder.h"
#include "app/ToneTest.h"
#include "device/Devices.h"
#include "device/UnitZCfgFile.h"

#include <QApplication>
#include <QAudioFormat>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <sys/resource.h>

namespace {
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void playPattern(const char* label, tZonalTone tone, int seconds) {
    std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    doc->SetDeviceType(dt_Zone_Indicator);
    doc->AsZonalIndicator()->ModeData(TToneTest::Call)->Tone()->SetAsEnum(tone);
    QWidget page;
    for (const char* name : TToneTest::ButtonNames)
        (new QToolButton(&page))->setObjectName(QLatin1String(name));
    TToneOutputAudio output;
    TToneTest test(&output);
    QString status;
    test.SetOnStatusMessage([&status](const QString& text) { status = text; });
    test.SetDocument(doc.get());
    test.AttachButtons(&page);

    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    test.Button(TToneTest::Call)->click();
    loop.exec();
    test.SetTonePlaying(false);
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("  %-12s %5.2f%% CPU over %.1f s%s\n", label, 100.0 * cpu / (wall.elapsed() / 1000.0),
                wall.elapsed() / 1000.0, status.isEmpty() ? "" : "  (no sound output: timing only)");
}

void synthesis() {
    QAudioFormat format;
    format.setSampleRate(48000);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    TToneGenerator generator(format);
    const int seconds = 20;
    generator.Play({{2800, 1000}});
    QByteArray buffer(format.bytesForDuration(100000), Qt::Uninitialized);
    const double before = cpuSeconds();
    for (int block = 0; block < seconds * 10; ++block)
        generator.Read(buffer.data(), buffer.size());
    const double cpu = cpuSeconds() - before;
    std::printf("  synthesis    %5.3f%% of one core (48 kHz stereo, %d s of tone in %.1f ms)\n",
                100.0 * cpu / seconds, seconds, cpu * 1000.0);
}

// ---- The rhythm on the real sound path (--record) ---------------------------------------------------

// parec on the default sink's monitor, read as it arrives. Each arrival dates the recording: a frame
// was mixed into the sink before it reached this program, so the least delay seen around a moment
// places the frames of that moment on the bench's clock at the latest time they can have been mixed.
// Where that delay grows, the recording lost frames (parec starved of processor time). parec asks
// for 2 ms: the server mixes new sound into what it has mixed already no further back than that, so
// the first note's time holds to a few milliseconds.
class Capture {
public:
    Capture(int rate, int channels, const QElapsedTimer& clock, const QString& keep)
        : rate_(rate), channels_(channels), clock_(clock), heard_(qint64(rate) * 3 / 1000) {
        if (!keep.isEmpty()) {
            keep_.setFileName(keep);
            if (!keep_.open(QIODevice::WriteOnly))
                std::fprintf(stderr, "cannot write %s\n", qPrintable(keep));
        }
        QObject::connect(&parec_, &QProcess::readyReadStandardOutput, [this] { read(); });
    }
    bool Start() {
        parec_.start(QStringLiteral("parec"),
                     {QStringLiteral("-d"), QStringLiteral("@DEFAULT_MONITOR@"), QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(rate_),
                      QStringLiteral("--channels=%1").arg(channels_), QStringLiteral("--latency-msec=2")});
        return parec_.waitForStarted(5000);
    }
    void Stop() {
        read();
        parec_.kill();
        parec_.waitForFinished(5000);
    }
    const std::vector<TToneSoundAnalyser::Heard>& Runs() const { return heard_.Notes(); }
    // The bench-clock time, in ms, by which a recorded frame was mixed, and the frame mixed by a time.
    double TimeOf(qint64 frame, double around) const {
        return (offsetNs(around) + double(frame) * 1e9 / rate_) / 1e6;
    }
    qint64 FrameAt(double ms) const { return qint64((ms * 1e6 - offsetNs(ms)) * rate_ / 1e9); }
    // How much of the sound between two moments is missing from the recording.
    double LostMs(double from, double to) const { return (offsetNs(to) - offsetNs(from)) / 1e6; }
    double Ms(qint64 frames) const { return double(frames) * 1000.0 / rate_; }
    qint64 Frames(double ms) const { return qint64(ms * rate_ / 1000); }

private:
    void read() {
        pending_ += parec_.readAllStandardOutput();
        const int frameBytes = 2 * channels_;
        const qsizetype frames = pending_.size() / frameBytes;
        QByteArray mono;
        for (qsizetype f = 0; f < frames; ++f) {
            qint16 sample;
            std::memcpy(&sample, pending_.constData() + f * frameBytes, sizeof sample);
            heard_.Add(float(sample) / 32768.0f);
            if (keep_.isOpen()) mono.append(reinterpret_cast<const char*>(&sample), sizeof sample);
        }
        pending_.remove(0, frames * frameBytes);
        if (keep_.isOpen()) keep_.write(mono);
        arrivals_.push_back({double(clock_.nsecsElapsed()), heard_.Frames()});
    }
    // The least delay (arrival time less the recorded frames' length) within five seconds of a moment.
    double offsetNs(double ms) const {
        double least = std::numeric_limits<double>::infinity();
        const auto from = std::lower_bound(arrivals_.begin(), arrivals_.end(), (ms - 5000) * 1e6,
                                           [](const auto& arrival, double ns) { return arrival.first < ns; });
        for (auto at = from; at != arrivals_.end() && at->first <= (ms + 5000) * 1e6; ++at)
            least = std::min(least, at->first - double(at->second) * 1e9 / rate_);
        return least;
    }

    int rate_, channels_;
    const QElapsedTimer& clock_;
    QProcess parec_;
    QByteArray pending_;
    TToneSoundAnalyser heard_;
    QFile keep_;
    std::vector<std::pair<double, qint64>> arrivals_; // (ns on the bench's clock, frames recorded by then)
};

// The default sink's rate and channel count, from the sound server (asked through pactl, so that
// Qt Multimedia is first loaded by the tone test itself, as in the window).
bool defaultSinkFormat(int& rate, int& channels) {
    const auto run = [](const QStringList& arguments) {
        QProcess pactl;
        pactl.start(QStringLiteral("pactl"), arguments);
        pactl.waitForFinished(5000);
        return QString::fromUtf8(pactl.readAllStandardOutput());
    };
    QString sink;
    for (const QString& line : run({QStringLiteral("info")}).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Default Sink: "))) sink = line.mid(14).trimmed();
    for (const QString& line : run({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")})
                                   .split(QLatin1Char('\n'))) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 4 || fields[1] != sink) continue;
        const QStringList format = fields[3].split(QLatin1Char(' ')); // "s16le 2ch 48000Hz"
        if (format.size() < 3 || format[0] != QLatin1String("s16le")) return false;
        channels = format[1].chopped(2).toInt();
        rate = format[2].chopped(2).toInt();
        return rate > 0 && channels > 0;
    }
    return false;
}

struct RecordedPattern {
    const char* label;
    int tone; // tZonalTone, or the channel in HTM08-03 mode
    bool htm2015;
};

constexpr RecordedPattern RecordedPatterns[] = {
    {"500 Hz", zt_500Hz, false},
    {"Presence", zt_Presence, false},
    {"Std Call", zt_Standard_Call, false},
    {"Mon. Call", zt_Monitor_Point_Call, false},
    {"Emergency", zt_Emergency, false},
    {"Attack", zt_Attack, false},
    {"Soft Chime", zt_Soft_Chime, false},
    {"Attn Chime", zt_Attention_Chime, false},
    {"Urgent Chime", zt_Urgent_Chime, false},
    {"Ding Dong", zt_Ding_Dong, false},
    {"Beep", zt_Beep, false},
    {"Red Alert", zt_Red_Alert, false},
    {"Help Req", zt_Help_Required, false},
    {"Ding DongX2", zt_Ding_Dong_x2, false},
    {"Octave Slow", zt_Octave_Slow, false},
    {"Octave Fast", zt_Octave_Fast, false},
    {"HTM Call", TToneTest::Call, true},
    {"HTM Mon. Call", TToneTest::MonitorPointCall, true},
    {"HTM Help Req", TToneTest::HelpRequired, true},
    {"HTM Attack", TToneTest::Attack, true},
    {"HTM Emergency", TToneTest::Emergency, true},
};

struct Played {
    const RecordedPattern* pattern;
    TToneTest::Pattern table;
    double click = 0, stop = 0; // ms on the bench's clock
};

void waitMs(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Plays one pattern as the window does: a zone indicator document, the channel's button clicked,
// and clicked again ("Stop") after the given time.
Played playRecorded(const RecordedPattern& recorded, IToneOutput& output, const QElapsedTimer& clock,
                    int seconds) {
    std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    doc->SetDeviceType(dt_Zone_Indicator);
    tZonalIndicator* zone = doc->AsZonalIndicator();
    int channel = TToneTest::Call;
    Played played{&recorded, {}};
    if (recorded.htm2015) {
        channel = recorded.tone;
        zone->HTM2015Enabled()->SetAsBoolean(true);
        zone->HTM2015Tone()->SetAsEnum(tone2015_2800Hz);
        played.table = *TToneTest::HTM2015Pattern(channel, tone2015_2800Hz);
    } else {
        zone->ModeData(channel)->Tone()->SetAsEnum(tZonalTone(recorded.tone));
        played.table = TToneTest::ZonalTonePattern(tZonalTone(recorded.tone));
    }
    QWidget page;
    for (const char* name : TToneTest::ButtonNames)
        (new QToolButton(&page))->setObjectName(QLatin1String(name));
    TToneTest test(&output);
    test.SetDocument(doc.get());
    test.AttachButtons(&page);
    played.click = double(clock.nsecsElapsed()) / 1e6;
    test.Button(channel)->click();
    waitMs(seconds * 1000);
    played.stop = double(clock.nsecsElapsed()) / 1e6;
    test.Button(channel)->click();
    return played;
}

// The figures of one pattern, from the runs recorded between its click and a little after its stop.
void reportRecorded(const Played& played, const Capture& capture) {
    const TToneTest::Pattern& table = played.table;
    const qint64 from = capture.FrameAt(played.click), to = capture.FrameAt(played.stop + 500);
    std::vector<TToneSoundAnalyser::Heard> runs;
    for (const auto& run : capture.Runs())
        if (run.start >= from && run.start < to) runs.push_back(run);
    std::printf("  %-14s", played.pattern->label);
    if (runs.empty()) {
        std::printf(" nothing recorded\n");
        return;
    }
    // A repetition starts after a rest (every rest lasts 100 ms or more); shorter silences are the
    // joins of a chime's notes (two samples) or holes.
    const qint64 restFrames = capture.Frames(50);
    std::vector<size_t> starts = {0};
    int holes = 0, dips = 0;
    double longestHole = 0, worstLength = 0, worstPitch = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        dips += runs[i].dips;
        if (i == 0) continue;
        const qint64 gap = runs[i].start - runs[i - 1].end;
        if (gap >= restFrames) {
            starts.push_back(i);
        } else if (capture.Ms(gap) >= 1.0) {
            ++holes;
            longestHole = std::max(longestHole, capture.Ms(gap));
        }
    }
    // Lengths and pitch of the notes of every whole repetition but the first (see below) and the
    // last (which "Stop" may cut).
    const size_t notes = table.notes.size();
    int split = 0;
    for (size_t r = 1; r + 1 < starts.size(); ++r) {
        if (starts[r + 1] - starts[r] != notes) {
            ++split;
            continue;
        }
        for (size_t n = 0; n < notes; ++n) {
            const auto& run = runs[starts[r] + n];
            const double length = capture.Ms(run.end - run.start);
            worstLength = std::max(worstLength, std::abs(length - table.notes[n].duration));
            const double pitch = double(run.signChanges) / 2.0 / (length / 1000.0);
            worstPitch = std::max(worstPitch, std::abs(pitch - table.notes[n].frequency));
        }
    }
    const double firstNote = capture.TimeOf(runs.front().start, played.click) - played.click;
    const double soundEnd =
        capture.TimeOf(runs.back().end >= 0 ? runs.back().end : runs.back().start, played.stop) - played.stop;
    const double lost = capture.LostMs(played.click, played.stop);
    if (starts.size() < 2) {
        std::printf(" one sound of %.1f s", capture.Ms(runs.back().end - runs.front().start) / 1000.0);
    } else {
        // The first period apart: the server mixes a new stream into sound it has already rendered,
        // and its monitor loses the first millisecond or two of it, so that period reads short.
        double first = 0, worst = 0, sum = 0;
        for (size_t r = 0; r + 1 < starts.size(); ++r) {
            const int expected =
                table.alternatePeriod > 0 && r % 2 == 1 ? table.alternatePeriod : table.period;
            const double error = capture.Ms(runs[starts[r + 1]].start - runs[starts[r]].start) - expected;
            if (r == 0) {
                first = error;
                continue;
            }
            worst = std::max(worst, std::abs(error));
            sum += error;
        }
        std::printf(" %5zu periods: first %+5.2f ms, then error max %5.2f ms, mean %+6.3f ms;",
                    starts.size() - 1, first, worst,
                    starts.size() > 2 ? sum / double(starts.size() - 2) : 0.0);
        std::printf(" note length error max %4.2f ms, pitch error max %3.0f Hz;", worstLength, worstPitch);
    }
    std::printf(" holes %d (longest %.1f ms), dips %d, split repetitions %d; first note %.1f ms after the "
                "click, last sound %.1f ms after Stop\n",
                holes, longestHole, dips, split, firstNote, soundEnd);
    if (lost > 1)
        std::printf("  %-14s (the recording lost %.0f ms of it: the figures do not hold)\n", "", lost);
}

int recordRhythm(int seconds, const QString& only, const QString& keep) {
    int rate = 0, channels = 0;
    if (!defaultSinkFormat(rate, channels)) {
        std::fprintf(stderr, "No PulseAudio default sink with 16-bit samples (see the usage at the top of "
                             "monitor_tone_bench.cpp)\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("ZCFG_TONE_AUDIO_LIBRARY"))
        qputenv("ZCFG_TONE_AUDIO_LIBRARY", ZCFG_TONE_AUDIO_MODULE);
    QElapsedTimer clock;
    clock.start();
    Capture capture(rate, channels, clock, keep);
    if (!capture.Start()) {
        std::fprintf(stderr, "parec cannot be run\n");
        return 2;
    }
    waitMs(1000);             // the recording settles
    TToneOutputModule output; // one for the run, as in the window: the first click loads the module
    QString status;
    output.SetOnUnavailable([&status](const QString& text) { status = text; });
    std::vector<Played> played;
    const QStringList wanted = only.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const RecordedPattern& pattern : RecordedPatterns) {
        if (!wanted.isEmpty() && !wanted.contains(QLatin1String(pattern.label))) continue;
        played.push_back(playRecorded(pattern, output, clock, seconds));
        waitMs(1500); // silence between the patterns
    }
    capture.Stop();
    if (!status.isEmpty()) std::printf("  %s\n", qPrintable(status));
    std::printf("Rhythm recorded from the default sink (%d Hz, %d channels), %d s per pattern:\n", rate,
                channels, seconds);
    for (const Played& each : played)
        reportRecorded(each, capture);
    return 0;
}

// Appends lines the way a read exchange does: one sent line, then a reply of 24 bytes ending CR.
void appendLines(TSerialMonitor& monitor, int lines) {
    static const QByteArray reply("\x01PI0110FFFF00AB12\x04\x9D\r", 20);
    for (int i = 0; i < lines; ++i) {
        if (i % 2 == 0) {
            monitor.MonitorTransmit(QStringLiteral("\x05\x05\x05\x05\x05"));
        } else {
            for (char byte : reply)
                monitor.MonitorReceiveByte(uint8_t(byte));
        }
        if (i % 100 == 99) QCoreApplication::processEvents(); // the window repaints between ticks
    }
}

void monitorAppend(int filled) {
    TSerialMonitor monitor;
    monitor.resize(600, 400);
    monitor.show();
    appendLines(monitor, filled);
    QCoreApplication::processEvents();
    const int measured = 2000; // 1,000 sent lines and 1,000 replies of 20 characters
    QElapsedTimer wall;
    wall.start();
    const double before = cpuSeconds();
    appendLines(monitor, measured);
    QCoreApplication::processEvents();
    const double cpu = cpuSeconds() - before;
    const double characters = measured / 2 * 20.0 + measured / 2;
    std::printf("  %7d lines: %6.2f us CPU per appended line or character (%.1f ms wall for %d lines), "
                "now %d lines\n",
                filled, cpu * 1e6 / characters, wall.nsecsElapsed() / 1e6, measured, monitor.LineCount());
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const auto option = [&arguments](const char* name) {
        const qsizetype at = arguments.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < arguments.size() ? arguments[at + 1] : QString();
    };
    if (arguments.contains(QStringLiteral("--record"))) {
        const int seconds = option("--record").toInt();
        return recordRhythm(seconds > 0 ? seconds : 60, option("--only"), option("--keep"));
    }
    const bool quick = arguments.contains(QStringLiteral("--quick"));
    int seconds = 5;
    if (argc > 1 && std::atoi(argv[1]) > 0) seconds = std::atoi(argv[1]);
    if (quick) seconds = 1;

    std::printf("Tone test while a pattern plays (process CPU / wall time):\n");
    playPattern("Attack", zt_Attack, seconds);
    if (!quick) {
        playPattern("500 Hz", zt_500Hz, seconds);
        playPattern("Red Alert", zt_Red_Alert, seconds);
    }
    synthesis();

    std::printf("Serial monitor append cost:\n");
    monitorAppend(1000);
    if (!quick) {
        monitorAppend(10000);
        monitorAppend(TSerialMonitor::MaxLines);
    }
    return 0;
}
