// The zone indicator's tone test, played into a recording tone output on a virtual clock: every
// tone's notes and start times over two periods, the buttons while playing, stopping and
// restarting, and the stops that page switches and undo request.
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
    int tone;                // the channel row's tone, or the HTM08-03 tone
    QList<int> periods;      // the first two periods
    QList<NoteSound> notes;  // sounded at the start of each period
    bool continuous = false; // one note after the other, without pause
};
Q_DECLARE_METATYPE(ToneSequence)

namespace {
using enum TToneTest::Channel;
constexpr int FirstStep = 10;
enum DocumentChange { NoChange, SwitchBefore, SwitchWhilePlaying, NoDocument };
const QString Play = QStringLiteral("Test Play"), Off = QStringLiteral("Test Play (off)");

// The notes a sequence sounds in its first two periods, back to back from each step.
std::vector<Note> expectedNotes(const ToneSequence& s) {
    std::vector<Note> notes;
    qint64 step = FirstStep, end = step;
    for (int period = 0; period < 2; ++period) {
        // A continuous tone queues one repetition ahead at its first step.
        for (int r = 0; r < (s.continuous && period == 0 ? 2 : 1); ++r)
            for (const auto& [frequency, duration] : s.notes) {
                notes.push_back({std::max(step, end), frequency, duration});
                end = notes.back().start + duration;
            }
        step += s.periods[period];
    }
    return notes;
}
} // namespace

class TestToneTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { engine.reset(), output.reset(), page.reset(), doc.reset(); }

    void patterns_data();
    void patterns();
    void restartOnAnotherChannel();
    void endsIdle_data();
    void endsIdle();
    void monitorPointGap();
    void withoutSoundOutput();

    void synthesis_data();
    void synthesis();
    void audioOutputWithoutDevice();
    void soundModuleLoadsWithTheFirstNote();

private:
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
    engine = std::make_unique<TToneTest>(output.get());
    engine->SetRunTimer(false);
    engine->SetDocument(doc.get());
    engine->AttachButtons(page.get());
}

void TestToneTest::patterns_data() {
    QTest::addColumn<ToneSequence>("s");
    // The tones are spread over the six channels in turn.
    int row = 0;
    auto zonal = [&row](const char* name, tZonalTone tone, QList<int> periods, QList<NoteSound> notes,
                        bool continuous = false) {
        QTest::newRow(name) << ToneSequence{
            row++ % TToneTest::ChannelCount, false, tone, periods, notes, continuous};
    };
    zonal("500 Hz", zt_500Hz, {1000, 1000}, {{500, 1000}}, true);
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

void TestToneTest::patterns() {
    QFETCH(ToneSequence, s);
    // The channel's own row holds the tone, every other row a different one.
    const tZonalTone other = s.tone == zt_Beep ? zt_Red_Alert : zt_Beep;
    for (int row = 0; row < TToneTest::ChannelCount; ++row)
        setTone(row, row == s.channel && !s.htm2015 ? tZonalTone(s.tone) : other);
    if (s.htm2015) setHTM2015(true, tHTM2015Tone(s.tone));

    click(s.channel);
    QVERIFY(engine->TonePlaying());
    QStringList playing(6, Off);
    playing[s.channel] = "Stop";
    QCOMPARE(buttons(), playing);     // only the playing channel's button can be pressed
    QVERIFY(output->Notes().empty()); // nothing sounds before the first step
    QCOMPARE(engine->TimerInterval(), FirstStep);
    runUntil(FirstStep);
    QCOMPARE(engine->TimerInterval(), s.periods[0]);
    runUntil(FirstStep + s.periods[0]);
    QCOMPARE(engine->TimerInterval(), s.periods[1]);
    QCOMPARE(output->Notes(), expectedNotes(s));
    QVERIFY(engine->TimerEnabled());

    // "Stop" silences the output at once and ends the pattern.
    click(s.channel);
    QVERIFY(!engine->TonePlaying());
    QVERIFY(!engine->TimerEnabled());
    QCOMPARE(output->Silences(), 1);
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
    runUntil(FirstStep);
    QCOMPARE(engine->TonePlaying(), plays);
    if (document == SwitchWhilePlaying) doc->SetDeviceType(dt_Relay_Output);
    engine->SetTonePlaying(false);
    engine->SetTonePlaying(false); // nothing more to stop
    QVERIFY(!engine->TonePlaying());
    QVERIFY(!engine->TimerEnabled());
    QCOMPARE(output->Silences(), int(plays));
    runUntil(30000);
    QCOMPARE(output->Notes().size(), size_t(plays));
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
    click(MonitorPointCall);
    runUntil(now + FirstStep);
    QCOMPARE(engine->TimerInterval(), 8000);
    runUntil(now + 8000);
    QVERIFY(engine->AlternateGap());
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

void TestToneTest::synthesis_data() {
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("duration");
    QTest::addColumn<bool>("floatSamples");
    QTest::newRow("500 Hz, 100 ms") << 500 << 100 << false;
    QTest::newRow("2800 Hz, 50 ms") << 2800 << 50 << false;
    QTest::newRow("957 Hz, 600 ms, float") << 957 << 600 << true;
}

void TestToneTest::synthesis() {
    QFETCH(int, frequency);
    QFETCH(int, duration);
    QFETCH(bool, floatSamples);
    QAudioFormat format;
    format.setSampleRate(48000);
    format.setChannelCount(1);
    format.setSampleFormat(floatSamples ? QAudioFormat::Float : QAudioFormat::Int16);
    TToneGenerator generator(format);
    generator.Queue(frequency, duration);
    const int noteFrames = 48 * duration;
    QByteArray bytes((noteFrames + 480) * format.bytesPerFrame(), Qt::Uninitialized); // 10 ms more
    QCOMPARE(generator.read(bytes.data(), bytes.size()), qint64(bytes.size()));
    std::vector<float> wave(size_t(noteFrames + 480));
    for (size_t f = 0; f < wave.size(); ++f)
        wave[f] = format.normalizedSampleValue(bytes.constData() + f * size_t(format.bytesPerFrame()));
    // A square wave of the note's frequency for the note's length, faded in, then silence.
    int crossings = 0;
    for (size_t f = 1; f < size_t(noteFrames); ++f)
        crossings += (wave[f - 1] > 0) != (wave[f] > 0);
    QVERIFY2(std::abs(crossings - 2 * frequency * duration / 1000) <= 2,
             qPrintable(QString::number(crossings)));
    QVERIFY(std::all_of(wave.begin() + noteFrames, wave.end(), [](float v) { return v == 0.0f; }));
    QVERIFY(std::abs(wave.front()) < 0.01f);
    generator.Queue(frequency, duration);
    generator.Clear();
    QVERIFY(!generator.Sounding());
}

void TestToneTest::audioOutputWithoutDevice() {
    if (!QMediaDevices::defaultAudioOutput().isNull()) QSKIP("this machine has a sound output");
    TToneOutputAudio audio;
    QStringList messages;
    audio.SetOnUnavailable([&messages](const QString& text) { messages << text; });
    audio.Beep(800, 100);
    audio.Beep(800, 100);
    audio.Silence();
    audio.Beep(2800, 100);
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
    missing->Beep(800, 5);
    missing->Beep(800, 5);
    QVERIFY(!missing->Loaded());
    QCOMPARE(messages, QStringList{IToneOutput::NoSoundOutputText()});

    messages.clear();
    const auto present = tryOutput(ZCFG_TONE_AUDIO_MODULE);
    QVERIFY(!present->Loaded() && !moduleMapped());
    present->Beep(800, 5);
    present->Silence();
    QVERIFY(present->Loaded() && moduleMapped());
    // Without a sound device the loaded output says so, as the missing module did.
    QVERIFY(messages.isEmpty() || messages == QStringList{IToneOutput::NoSoundOutputText()});
    qunsetenv("ZCFG_TONE_AUDIO_LIBRARY");
}

QTEST_MAIN(TestToneTest)
#include "tst_ToneTest.moc"
