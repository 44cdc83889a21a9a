// The zone indicator's tone test. Every tone on every channel is played through the engine into the
// real sound generator for an hour of stream on a virtual clock, its first and last cycles heard
// sample by sample: each note must start, last and sound as the table says, to the millisecond, an
// hour on as at the start, and "Stop" must silence it at once. A recording output on a virtual clock
// covers stopping and restarting, and the stops that page switches and undo request.
#include "app/ToneOutputAudio.h"
#include "app/ToneOutputModule.h"
#include "app/ToneOutputRecorder.h"
#include "app/ToneTest.h"
#include "device/Devices.h"
#include "device/UnitZCfgFile.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QToolButton>
#include <QtTest>

using Note = TToneOutputRecorder::Note;
using NoteSound = QPair<int, int>; // (Hz, ms)

struct ToneSequence {
    int channel;
    bool htm2015;
    int tone;               // the channel row's tone, or the HTM08-03 tone
    QList<int> periods;     // the first two periods
    QList<NoteSound> notes; // sounded at the start of each period
};
Q_DECLARE_METATYPE(ToneSequence)

namespace {
using enum TToneTest::Channel;
constexpr int FirstStep = 10;
enum DocumentChange { NoChange, SwitchBefore, SwitchWhilePlaying, NoDocument };
const QString Play = QStringLiteral("Test Play"), Off = QStringLiteral("Test Play (off)");

// The sound output as the tests drive it: the real generator, read as fast as it can be.
class GeneratorOutput : public IToneOutput {
public:
    explicit GeneratorOutput(const QAudioFormat& format) : generator(format) {}
    void Play(const tPattern& pattern) override { generator.Play(pattern); }
    void Silence() override { generator.Clear(); }
    void SetOnUnavailable(tReport) override {}
    TToneGenerator generator;
};
} // namespace

class TestToneTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { engine.reset(), output.reset(), page.reset(), doc.reset(); }

    void rhythm_data();
    void rhythm();
    void restartOnAnotherChannel();
    void endsIdle_data();
    void endsIdle();
    void monitorPointGap();
    void withoutSoundOutput();
    void audioOutputWithoutDevice();
    void soundModuleLoadsWithTheFirstNote();

private:
    void playOn(IToneOutput* sound);
    QAbstractButton* button(int channel) const { return engine->Button(channel); }
    void click(int channel) { QTest::mouseClick(button(channel), Qt::LeftButton); }
    // Runs the timer's steps that fall before or at time `until`.
    void runUntil(qint64 until) {
        while (engine->TimerEnabled() && now + engine->TimerInterval() <= until) {
            now += engine->TimerInterval();
            engine->TimerBeeperTimer();
        }
        now = std::max(now, until);
    }
    tZonalIndicator* zone() const { return doc->AsZonalIndicator(); }
    void setTone(int channel, tZonalTone tone) { zone()->ModeData(channel)->Tone()->SetAsEnum(tone); }
    void setHTM2015(bool on, tHTM2015Tone tone = tone2015_800Hz) {
        zone()->HTM2015Enabled()->SetAsBoolean(on);
        if (on) zone()->HTM2015Tone()->SetAsEnum(tone);
    }
    // Each button's caption, marked " (off)" when disabled.
    QStringList buttons() const {
        QStringList list;
        for (int c = 0; c < TToneTest::ChannelCount; ++c)
            list << button(c)->text() + (button(c)->isEnabled() ? "" : " (off)");
        return list;
    }

    qint64 now = 0;
    std::unique_ptr<tZCfgFile> doc;
    std::unique_ptr<QWidget> page;
    std::unique_ptr<TToneOutputRecorder> output;
    std::unique_ptr<TToneTest> engine;
};

void TestToneTest::init() {
    now = 0;
    doc.reset(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    doc->SetDeviceType(dt_Zone_Indicator);
    page = std::make_unique<QWidget>();
    for (const char* name : TToneTest::ButtonNames) {
        auto* b = new QToolButton(page.get());
        b->setObjectName(QLatin1String(name));
        b->setText(Play);
    }
    output = std::make_unique<TToneOutputRecorder>([this] { return now; });
    playOn(output.get());
}

void TestToneTest::playOn(IToneOutput* sound) {
    engine = std::make_unique<TToneTest>(sound);
    engine->SetRunTimer(false);
    engine->SetDocument(doc.get());
    engine->AttachButtons(page.get());
}

void TestToneTest::rhythm_data() {
    QTest::addColumn<ToneSequence>("s");
    // The tones are spread over the six channels in turn.
    int row = 0;
    auto zonal = [&row](const char* name, tZonalTone tone, QList<int> periods, QList<NoteSound> notes) {
        QTest::newRow(name) << ToneSequence{row++ % TToneTest::ChannelCount, false, tone, periods, notes};
    };
    zonal("500 Hz", zt_500Hz, {1000, 1000}, {{500, 1000}}); // one endless note
    zonal("Presence", zt_Presence, {20000, 20000}, {{500, 500}});
    zonal("Std Call", zt_Standard_Call, {8000, 8000}, {{2800, 500}});
    zonal("Mon. Call", zt_Monitor_Point_Call, {1000, 8000}, {{2800, 500}});
    zonal("Emergency", zt_Emergency, {1000, 1000}, {{2800, 500}});
    zonal("Attack", zt_Attack, {200, 200}, {{2800, 100}});
    zonal("Soft Chime", zt_Soft_Chime, {8000, 8000}, {{660, 500}, {550, 500}, {440, 500}});
    zonal("Attn Chime", zt_Attention_Chime, {8000, 8000}, {{1320, 100}, {1100, 100}, {880, 100}});
    zonal("Urgent Chime", zt_Urgent_Chime, {2000, 2000}, {{1320, 100}, {1100, 100}, {880, 100}});
    zonal("Ding Dong", zt_Ding_Dong, {8000, 8000}, {{957, 600}, {766, 600}});
    zonal("Beep", zt_Beep, {8000, 8000}, {{2800, 100}});
    zonal("Red Alert", zt_Red_Alert, {500, 500}, {{957, 200}, {766, 200}});
    zonal("Help Req", zt_Help_Required, {4000, 4000}, {{2800, 2000}});
    zonal("Ding DongX2", zt_Ding_Dong_x2, {8000, 8000}, {{957, 600}, {766, 600}, {957, 600}, {766, 600}});
    zonal("Octave Slow", zt_Octave_Slow, {8000, 8000}, {{1000, 600}, {500, 600}});
    zonal("Octave Fast", zt_Octave_Fast, {700, 700}, {{1000, 300}, {500, 300}});

    for (const auto& [tone, hz] : {std::pair{tone2015_800Hz, 800}, std::pair{tone2015_2800Hz, 2800}}) {
        auto htm = [tone, hz](const char* name, int channel, QList<int> periods, int duration) {
            QTest::addRow("HTM08-03 %s %d Hz", name, hz)
                << ToneSequence{channel, true, tone, periods, {{hz, duration}}};
        };
        htm("Call", Call, {10000, 10000}, 1000);
        htm("Monitor Point Call", MonitorPointCall, {1000, 8000}, 500);
        htm("Help Required", HelpRequired, {4000, 4000}, 500);
        htm("Attack", Attack, {200, 200}, 100);
        htm("Emergency", Emergency, {1000, 1000}, 500);
    }
}

void TestToneTest::rhythm() {
    QFETCH(ToneSequence, s);
    // The channel's own row holds the tone, every other row a different one.
    const tZonalTone other = s.tone == zt_Beep ? zt_Red_Alert : zt_Beep;
    for (int row = 0; row < TToneTest::ChannelCount; ++row)
        setTone(row, row == s.channel && !s.htm2015 ? tZonalTone(s.tone) : other);
    if (s.htm2015) setHTM2015(true, tHTM2015Tone(s.tone));
    // A rate with an uneven number of samples per millisecond, so that rounding which adds up would
    // show; whole and floating-point samples in turn.
    QAudioFormat format;
    format.setSampleRate(11025);
    format.setChannelCount(1);
    format.setSampleFormat(s.channel % 2 ? QAudioFormat::Float : QAudioFormat::Int16);
    GeneratorOutput sound(format);
    playOn(&sound);

    click(s.channel);
    QVERIFY(engine->TonePlaying());
    QStringList playing(6, Off);
    playing[s.channel] = "Stop";
    QCOMPARE(buttons(), playing); // only the playing channel's button can be pressed
    QCOMPARE(engine->TimerInterval(), FirstStep);
    QVERIFY(!sound.generator.Sounding()); // nothing sounds before the first step
    engine->TimerBeeperTimer();           // which starts the stream

    // The notes of two periods in the stream, from its start.
    std::vector<std::pair<qint64, NoteSound>> cycle;
    qint64 cycleMs = 0;
    for (int period : s.periods) {
        qint64 at = cycleMs;
        for (const NoteSound& note : s.notes)
            cycle.push_back({std::exchange(at, at + note.second), note});
        cycleMs += period;
    }
    const bool continuous = s.notes.size() == 1 && s.notes[0].second == s.periods[0];
    const qint64 rate = format.sampleRate();
    const auto frameAt = [rate](qint64 ms) { return ms * rate / 1000; };
    const auto msAt = [rate](qint64 frame) { return double(frame) * 1000 / double(rate); };

    // The stream is taken 20 ms at a time, as a sound server takes it, while the timer's steps come
    // 1 ms late each, as a busy window's do: they keep the window's state and move no note.
    QByteArray chunk(format.bytesForDuration(20000), Qt::Uninitialized);
    int steps = 1;
    qint64 nextStep = s.periods[0] + 1;
    const auto stepUntil = [&](qint64 frame) {
        for (; engine->TimerEnabled() && frame * 1000 / rate >= nextStep;
             nextStep += engine->TimerInterval() + 1) {
            engine->TimerBeeperTimer();
            if (engine->TimerInterval() != s.periods[steps++ % 2]) return false;
        }
        return true;
    };
    const auto hear = [&](TToneSoundAnalyser& heard, qint64 until) {
        while (heard.Frames() < until && stepUntil(heard.Frames())) {
            const qint64 bytes =
                std::min<qint64>(chunk.size(), (until - heard.Frames()) * format.bytesPerFrame());
            sound.generator.Read(chunk.data(), bytes);
            for (qint64 b = 0; b < bytes; b += format.bytesPerFrame())
                heard.Add(format.normalizedSampleValue(chunk.constData() + b));
        }
        return heard.Frames() == until;
    };
    // Listens to whole cycles (two periods) from cycle `first` on and checks every note against the
    // table: its start to the millisecond, its length, its pitch, no dip. The continuous tone is one
    // note that never ends.
    const auto listen = [&](qint64 first, qint64 cycles) {
        TToneSoundAnalyser heard(frameAt(3), frameAt(first * cycleMs));
        if (!hear(heard, frameAt((first + cycles) * cycleMs))) return QStringLiteral("timer interval");
        if (continuous)
            return heard.Notes().size() == 1 && heard.Notes()[0].start <= frameAt(first * cycleMs) + 1 &&
                           heard.Notes()[0].end < 0 && heard.Notes()[0].dips == 0
                       ? QString()
                       : QStringLiteral("the continuous tone breaks");
        qint64 n = first * qint64(cycle.size());
        for (const auto& note : heard.Notes()) {
            const auto& [offset, expected] = cycle[size_t(n % qint64(cycle.size()))];
            const double wanted = double(n++ / qint64(cycle.size()) * cycleMs + offset);
            const double start = msAt(note.start), length = msAt(note.end - note.start);
            if (std::abs(start - wanted) > 1 || std::abs(length - expected.second) > 1 || note.dips > 0 ||
                std::abs(note.signChanges - 2 * expected.first * length / 1000) > 3)
                return QStringLiteral(
                           "note %1 at %2 ms for %3 ms, %4 sign changes, %5 dips; expected %6 Hz at %7 ms "
                           "for %8 ms")
                    .arg(n - 1)
                    .arg(start)
                    .arg(length)
                    .arg(note.signChanges)
                    .arg(note.dips)
                    .arg(expected.first)
                    .arg(wanted)
                    .arg(expected.second);
        }
        return n == (first + cycles) * qint64(cycle.size()) ? QString() : QStringLiteral("%1 notes").arg(n);
    };

    // The first cycles and the last of an hour, every sample; the stream runs through the hour
    // between them without being rendered, the timer stepping all along.
    const qint64 cycles = std::max<qint64>(2, 10000 / cycleMs), last = 3600 * 1000 / cycleMs - cycles;
    QString fault = listen(0, cycles);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    for (qint64 at = frameAt(cycles * cycleMs); at < frameAt(last * cycleMs);
         at = sound.generator.Skip(std::min(rate, frameAt(last * cycleMs) - at)))
        QVERIFY(stepUntil(at));
    fault = listen(last, cycles);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));

    // "Stop" halfway through the next note silences it at once: nothing sounds from the next sample on.
    TToneSoundAnalyser tail(frameAt(3), frameAt((last + cycles) * cycleMs));
    QVERIFY(hear(tail, tail.Frames() + frameAt(s.notes[0].second / 2)));
    const qint64 stop = tail.Frames();
    click(s.channel);
    QVERIFY(!engine->TonePlaying() && !engine->TimerEnabled());
    QVERIFY(hear(tail, stop + frameAt(20)));
    QCOMPARE(tail.Notes().size(), size_t(1));
    QCOMPARE(tail.Notes()[0].end, stop);
    QStringList idle(6, Play);
    if (s.htm2015) idle[Presence] = Off;
    QCOMPARE(buttons(), idle);
}

void TestToneTest::restartOnAnotherChannel() {
    setTone(Call, zt_Attack);
    setTone(Emergency, zt_Ding_Dong);
    click(Call);
    runUntil(450); // steps at 10, 210, 410
    click(Call);
    output->ClearRecord();
    // Only the new pattern sounds, from its own first step on.
    click(Emergency);
    runUntil(450 + FirstStep + 8000);
    const std::vector<Note> expected = {
        {460, 957, 600}, {1060, 766, 600}, {8460, 957, 600}, {9060, 766, 600}};
    QCOMPARE(output->Notes(), expected);
}

// Undo and page switches stop the tone through SetTonePlaying(false); a press with nothing to play
// starts nothing. Either way every button is left ready.
void TestToneTest::endsIdle_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("htm2015");
    QTest::addColumn<int>("document"); // NoChange, SwitchBefore, SwitchWhilePlaying, NoDocument
    QTest::addColumn<bool>("plays");
    QTest::newRow("undo") << int(Attack) << false << int(NoChange) << true;
    QTest::newRow("undo in HTM08-03 mode") << int(Attack) << true << int(NoChange) << true;
    QTest::newRow("page switch to a relay output") << int(Attack) << false << int(SwitchWhilePlaying) << true;
    QTest::newRow("Presence in HTM08-03 mode") << int(Presence) << true << int(NoChange) << false;
    QTest::newRow("not a zone indicator") << int(Call) << false << int(SwitchBefore) << false;
    QTest::newRow("no document") << int(Call) << false << int(NoDocument) << false;
}

void TestToneTest::endsIdle() {
    QFETCH(int, channel);
    QFETCH(bool, htm2015);
    QFETCH(int, document);
    QFETCH(bool, plays);
    setHTM2015(htm2015, tone2015_2800Hz);
    if (document != NoChange && document != SwitchWhilePlaying) doc->SetDeviceType(dt_Relay_Output);
    if (document == NoDocument) engine->SetDocument(nullptr);
    // The page disables Presence in HTM08-03 mode, so the handler is called directly.
    engine->SpeedButtonTestPlayClick(button(channel));
    runUntil(FirstStep + 50); // halfway through the first note
    QCOMPARE(engine->TonePlaying(), plays);
    if (document == SwitchWhilePlaying) doc->SetDeviceType(dt_Relay_Output);
    engine->SetTonePlaying(false);
    engine->SetTonePlaying(false); // nothing more to stop
    QVERIFY(!engine->TonePlaying());
    QVERIFY(!engine->TimerEnabled());
    QCOMPARE(output->Silences(), int(plays));
    runUntil(30000);
    // The note sounding is cut at once, and nothing follows it.
    QCOMPARE(output->Notes(), (plays ? std::vector<Note>{{FirstStep, 2800, 50}} : std::vector<Note>{}));
    QCOMPARE(buttons().mid(1), QStringList(5, Play));
    // Presence's enabling follows HTM08-03 mode while the page is a zone indicator's.
    if (document == NoChange) QCOMPARE(button(Presence)->isEnabled(), !htm2015);
}

void TestToneTest::monitorPointGap() {
    // In HTM08-03 mode the alternation goes on from where the last test left it...
    setHTM2015(true);
    click(MonitorPointCall);
    runUntil(FirstStep); // short gap taken
    QVERIFY(engine->AlternateGap());
    click(MonitorPointCall);
    output->ClearRecord();
    click(MonitorPointCall);
    const qint64 start = now + FirstStep;
    runUntil(start);
    QCOMPARE(engine->TimerInterval(), 8000);
    runUntil(now + 8000);
    QVERIFY(engine->AlternateGap());
    // The sound takes the long gap first too.
    QCOMPARE(output->Notes(), (std::vector<Note>{{start, 800, 500}, {start + 8000, 800, 500}}));
    click(MonitorPointCall);

    // ...while the zonal monitor point call always begins with the short gap.
    setHTM2015(false);
    setTone(MonitorPointCall, zt_Monitor_Point_Call);
    click(MonitorPointCall);
    QVERIFY(!engine->AlternateGap());
    runUntil(now + FirstStep);
    QCOMPARE(engine->TimerInterval(), 1000);
}

void TestToneTest::withoutSoundOutput() {
    QStringList messages;
    engine->SetOnStatusMessage([&messages](const QString& text) { messages << text; });
    output->SetUnavailable(true);
    setTone(Call, zt_Red_Alert);
    click(Call);
    runUntil(FirstStep + 500);
    // The timing runs on without sound; the output's report reaches the status bar.
    QVERIFY(engine->TonePlaying());
    QCOMPARE(engine->TimerInterval(), 500);
    QCOMPARE(messages, QStringList{"No sound output"});
    QVERIFY(output->Notes().empty());
}

void TestToneTest::audioOutputWithoutDevice() {
    if (!QMediaDevices::defaultAudioOutput().isNull()) QSKIP("this machine has a sound output");
    TToneOutputAudio audio;
    QStringList messages;
    audio.SetOnUnavailable([&messages](const QString& text) { messages << text; });
    audio.Play({{800, 100}, {0, 100}});
    audio.Play({{800, 100}});
    audio.Silence();
    audio.Play({{2800, 100}});
    QCOMPARE(messages, QStringList{TToneOutputAudio::NoSoundOutputText()});
}

// The application's output loads the sound module with the first note, not before; a module that
// cannot be loaded counts as no sound output, reported once.
void TestToneTest::soundModuleLoadsWithTheFirstNote() {
    const auto moduleMapped = [] {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libzcfg-tone-audio");
    };
    QStringList messages;
    const auto tryOutput = [&messages](const QByteArray& modulePath) {
        qputenv("ZCFG_TONE_AUDIO_LIBRARY", modulePath);
        auto made = std::make_unique<TToneOutputModule>();
        made->SetOnUnavailable([&messages](const QString& text) { messages << text; });
        made->Silence();
        return made;
    };
    const auto missing = tryOutput("/nonexistent/libzcfg-tone-audio.so");
    missing->Play({{800, 5}});
    missing->Play({{800, 5}});
    QVERIFY(!missing->Loaded());
    QCOMPARE(messages, QStringList{IToneOutput::NoSoundOutputText()});

    messages.clear();
    const auto present = tryOutput(ZCFG_TONE_AUDIO_MODULE);
    QVERIFY(!present->Loaded() && !moduleMapped());
    present->Play({{800, 5}});
    present->Silence();
    QVERIFY(present->Loaded() && moduleMapped());
    // Without a sound device the loaded output says so, as the missing module did.
    QVERIFY(messages.isEmpty() || messages == QStringList{IToneOutput::NoSoundOutputText()});
    qunsetenv("ZCFG_TONE_AUDIO_LIBRARY");
}

QTEST_MAIN(TestToneTest)
#include "tst_ToneTest.moc"
