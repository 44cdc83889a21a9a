// The zone indicator's tone test, played into a recording tone output on a virtual clock: every
// tone's notes and start times over two periods, the button captions and enabling, stopping and
// restarting, and the stops that page switches and undo request.
#include "app/ToneOutputAudio.h"
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
    QList<int> periods;           // the first two periods
    QList<QPair<int, int>> notes; // (Hz, ms) sounded at the start of each period
    bool continuous = false;      // one note after the other, without pause
};
Q_DECLARE_METATYPE(ToneSequence)

namespace {
constexpr int FirstStep = 10;

ToneSequence seq(QList<int> periods, QList<QPair<int, int>> notes, bool continuous = false) {
    return {std::move(periods), std::move(notes), continuous};
}

// The notes a sequence sounds in its first two periods, back to back from each step.
std::vector<Note> expectedNotes(const ToneSequence& s) {
    std::vector<Note> notes;
    qint64 step = FirstStep;
    qint64 end = step;
    for (int period = 0; period < 2; ++period) {
        // A continuous tone queues one repetition ahead at its first step.
        const int repetitions = s.continuous && period == 0 ? 2 : 1;
        for (int r = 0; r < repetitions; ++r)
            for (const auto& [frequency, duration] : s.notes) {
                const qint64 start = std::max(step, end);
                notes.push_back({start, frequency, duration});
                end = start + duration;
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
    void cleanup();

    void patterns_data();
    void patterns();
    void channelsPlayTheirRows_data();
    void channelsPlayTheirRows();
    void buttonsWhilePlaying();
    void stopAndRestartOnAnotherChannel();
    void stopSilencesAtOnce();
    void setTonePlayingFalseStops_data();
    void setTonePlayingFalseStops();
    void monitorPointGap();
    void nothingToPlay_data();
    void nothingToPlay();
    void withoutSoundOutput();

    void synthesis_data();
    void synthesis();
    void audioOutputWithoutDevice();

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
    void setHTM2015(bool on, tHTM2015Tone tone = tone2015_800Hz) {
        zone()->HTM2015Enabled()->SetAsBoolean(on);
        if (on) zone()->HTM2015Tone()->SetAsEnum(tone);
    }
    QStringList captions() const {
        QStringList list;
        for (int c = 0; c < TToneTest::ChannelCount; ++c)
            list << button(c)->text();
        return list;
    }
    QList<bool> enabling() const {
        QList<bool> list;
        for (int c = 0; c < TToneTest::ChannelCount; ++c)
            list << button(c)->isEnabled();
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
        b->setText(TToneTest::TestPlayCaption);
    }
    output = std::make_unique<TToneOutputRecorder>([this] { return now; });
    engine = std::make_unique<TToneTest>(output.get());
    engine->SetRunTimer(false);
    engine->SetDocument(doc.get());
    engine->AttachButtons(page.get());
}

void TestToneTest::cleanup() {
    engine.reset();
    output.reset();
    page.reset();
    doc.reset();
}

void TestToneTest::patterns_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("htm2015");
    QTest::addColumn<int>("tone"); // the channel row's tone, or the HTM08-03 tone
    QTest::addColumn<ToneSequence>("expected");

    const int call = TToneTest::Call;
    QTest::newRow("500 Hz") << call << false << int(zt_500Hz) << seq({1000, 1000}, {{500, 1000}}, true);
    QTest::newRow("Presence") << call << false << int(zt_Presence) << seq({20000, 20000}, {{500, 500}});
    QTest::newRow("Std Call") << call << false << int(zt_Standard_Call) << seq({8000, 8000}, {{2800, 500}});
    QTest::newRow("Mon. Call") << call << false << int(zt_Monitor_Point_Call)
                               << seq({1000, 8000}, {{2800, 500}});
    QTest::newRow("Emergency") << call << false << int(zt_Emergency) << seq({1000, 1000}, {{2800, 500}});
    QTest::newRow("Attack") << call << false << int(zt_Attack) << seq({200, 200}, {{2800, 100}});
    QTest::newRow("Soft Chime") << call << false << int(zt_Soft_Chime)
                                << seq({8000, 8000}, {{660, 500}, {550, 500}, {440, 500}});
    QTest::newRow("Attn Chime") << call << false << int(zt_Attention_Chime)
                                << seq({8000, 8000}, {{1320, 100}, {1100, 100}, {880, 100}});
    QTest::newRow("Urgent Chime") << call << false << int(zt_Urgent_Chime)
                                  << seq({2000, 2000}, {{1320, 100}, {1100, 100}, {880, 100}});
    QTest::newRow("Ding Dong") << call << false << int(zt_Ding_Dong)
                               << seq({8000, 8000}, {{957, 600}, {766, 600}});
    QTest::newRow("Beep") << call << false << int(zt_Beep) << seq({8000, 8000}, {{2800, 100}});
    QTest::newRow("Red Alert") << call << false << int(zt_Red_Alert)
                               << seq({500, 500}, {{957, 200}, {766, 200}});
    QTest::newRow("Help Req") << call << false << int(zt_Help_Required) << seq({4000, 4000}, {{2800, 2000}});
    QTest::newRow("Ding DongX2") << call << false << int(zt_Ding_Dong_x2)
                                 << seq({8000, 8000}, {{957, 600}, {766, 600}, {957, 600}, {766, 600}});
    QTest::newRow("Octave Slow") << call << false << int(zt_Octave_Slow)
                                 << seq({8000, 8000}, {{1000, 600}, {500, 600}});
    QTest::newRow("Octave Fast") << call << false << int(zt_Octave_Fast)
                                 << seq({700, 700}, {{1000, 300}, {500, 300}});

    for (const auto& [tone, hz] : {std::pair{tone2015_800Hz, 800}, std::pair{tone2015_2800Hz, 2800}}) {
        const QByteArray suffix = " " + QByteArray::number(hz) + " Hz";
        QTest::newRow("HTM08-03 Call" + suffix)
            << call << true << int(tone) << seq({10000, 10000}, {{hz, 1000}});
        QTest::newRow("HTM08-03 Monitor Point Call" + suffix)
            << int(TToneTest::MonitorPointCall) << true << int(tone) << seq({1000, 8000}, {{hz, 500}});
        QTest::newRow("HTM08-03 Help Required" + suffix)
            << int(TToneTest::HelpRequired) << true << int(tone) << seq({4000, 4000}, {{hz, 500}});
        QTest::newRow("HTM08-03 Attack" + suffix)
            << int(TToneTest::Attack) << true << int(tone) << seq({200, 200}, {{hz, 100}});
        QTest::newRow("HTM08-03 Emergency" + suffix)
            << int(TToneTest::Emergency) << true << int(tone) << seq({1000, 1000}, {{hz, 500}});
    }
}

void TestToneTest::patterns() {
    QFETCH(int, channel);
    QFETCH(bool, htm2015);
    QFETCH(int, tone);
    QFETCH(ToneSequence, expected);

    if (htm2015)
        setHTM2015(true, tHTM2015Tone(tone));
    else
        zone()->ModeData(channel)->Tone()->SetAsInteger(tone);

    click(channel);
    QVERIFY(engine->TonePlaying());
    QVERIFY(output->Notes().empty()); // nothing sounds before the first step
    QCOMPARE(engine->TimerInterval(), FirstStep);

    runUntil(FirstStep);
    QCOMPARE(engine->TimerInterval(), expected.periods[0]);
    runUntil(FirstStep + expected.periods[0]);
    QCOMPARE(engine->TimerInterval(), expected.periods[1]);
    QCOMPARE(output->Notes(), expectedNotes(expected));
    QVERIFY(engine->TimerEnabled());
}

void TestToneTest::channelsPlayTheirRows_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<NoteSound>("firstNote");
    // Rows 0 to 5 hold six different tones; each channel plays its own row's.
    QTest::newRow("Presence plays row 0") << int(TToneTest::Presence) << QPair{660, 500};
    QTest::newRow("Call plays row 1") << int(TToneTest::Call) << QPair{1320, 100};
    QTest::newRow("Monitor Point Call plays row 2") << int(TToneTest::MonitorPointCall) << QPair{957, 600};
    QTest::newRow("Help Required plays row 3") << int(TToneTest::HelpRequired) << QPair{2800, 2000};
    QTest::newRow("Attack plays row 4") << int(TToneTest::Attack) << QPair{1000, 600};
    QTest::newRow("Emergency plays row 5") << int(TToneTest::Emergency) << QPair{1000, 300};
}

void TestToneTest::channelsPlayTheirRows() {
    QFETCH(int, channel);
    QFETCH(NoteSound, firstNote);
    const tZonalTone tones[] = {zt_Soft_Chime,    zt_Attention_Chime, zt_Ding_Dong,
                                zt_Help_Required, zt_Octave_Slow,     zt_Octave_Fast};
    for (int row = 0; row < 6; ++row)
        zone()->ModeData(row)->Tone()->SetAsEnum(tones[row]);
    click(channel);
    runUntil(FirstStep);
    QVERIFY(!output->Notes().empty());
    const Note& first = output->Notes().front();
    QCOMPARE(NoteSound(first.frequency, first.duration), firstNote);
}

void TestToneTest::buttonsWhilePlaying() {
    for (int channel = 0; channel < TToneTest::ChannelCount; ++channel) {
        click(channel);
        for (int other = 0; other < TToneTest::ChannelCount; ++other) {
            QCOMPARE(button(other)->isEnabled(), other == channel);
            QCOMPARE(button(other)->text(), other == channel ? "Stop" : "Test Play");
        }
        click(channel);
        QVERIFY(!engine->TonePlaying());
        QCOMPARE(enabling(), QList<bool>(6, true));
        QCOMPARE(captions(), QStringList(6, "Test Play"));
    }
}

void TestToneTest::stopAndRestartOnAnotherChannel() {
    zone()->ModeData(TToneTest::Call)->Tone()->SetAsEnum(zt_Attack);
    zone()->ModeData(TToneTest::Emergency)->Tone()->SetAsEnum(zt_Ding_Dong);
    click(TToneTest::Call);
    runUntil(450); // steps at 10, 210, 410
    QCOMPARE(output->Notes().size(), size_t(3));
    click(TToneTest::Call); // "Stop"
    QVERIFY(!engine->TimerEnabled());
    QCOMPARE(output->Silences(), 1);
    output->ClearRecord();

    click(TToneTest::Emergency);
    QCOMPARE(button(TToneTest::Emergency)->text(), "Stop");
    runUntil(450 + FirstStep + 8000);
    // Only the new pattern sounds, from its own first step on.
    const std::vector<Note> expected = {
        {460, 957, 600}, {1060, 766, 600}, {8460, 957, 600}, {9060, 766, 600}};
    QCOMPARE(output->Notes(), expected);
}

void TestToneTest::stopSilencesAtOnce() {
    zone()->ModeData(TToneTest::HelpRequired)->Tone()->SetAsEnum(zt_Help_Required);
    click(TToneTest::HelpRequired);
    runUntil(500); // the 2 s note began at 10
    click(TToneTest::HelpRequired);
    QCOMPARE(output->Notes(), (std::vector<Note>{{10, 2800, 490}}));
    runUntil(20000);
    QCOMPARE(output->Notes().size(), size_t(1));

    // The continuous tone too, with its queued repetition.
    output->ClearRecord();
    zone()->ModeData(TToneTest::HelpRequired)->Tone()->SetAsEnum(zt_500Hz);
    click(TToneTest::HelpRequired);
    runUntil(20000 + 1500);
    click(TToneTest::HelpRequired);
    const std::vector<Note> expected = {{20010, 500, 1000}, {21010, 500, 490}};
    QCOMPARE(output->Notes(), expected);
}

void TestToneTest::setTonePlayingFalseStops_data() {
    QTest::addColumn<bool>("switchPage");
    QTest::addColumn<bool>("htm2015");
    QTest::newRow("undo") << false << false;
    QTest::newRow("undo in HTM08-03 mode") << false << true;
    QTest::newRow("page switch to a relay output") << true << false;
}

void TestToneTest::setTonePlayingFalseStops() {
    QFETCH(bool, switchPage);
    QFETCH(bool, htm2015);
    setHTM2015(htm2015);
    click(TToneTest::Attack);
    runUntil(FirstStep);
    QVERIFY(engine->TonePlaying());
    if (switchPage) doc->SetDeviceType(dt_Relay_Output);
    engine->SetTonePlaying(false);
    QVERIFY(!engine->TonePlaying());
    QVERIFY(!engine->TimerEnabled());
    QCOMPARE(output->Silences(), 1);
    runUntil(5000);
    QCOMPARE(output->Notes().size(), size_t(1));
    QCOMPARE(captions(), QStringList(6, "Test Play"));
    for (int c = TToneTest::Call; c < TToneTest::ChannelCount; ++c)
        QVERIFY(button(c)->isEnabled());
    if (!switchPage) QCOMPARE(button(TToneTest::Presence)->isEnabled(), !htm2015);
    engine->SetTonePlaying(false); // nothing more to stop
    QCOMPARE(output->Silences(), 1);
}

void TestToneTest::monitorPointGap() {
    // In HTM08-03 mode the alternation goes on from where the last test left it...
    setHTM2015(true);
    click(TToneTest::MonitorPointCall);
    runUntil(FirstStep); // short gap taken
    QVERIFY(engine->AlternateGap());
    click(TToneTest::MonitorPointCall);
    click(TToneTest::MonitorPointCall);
    runUntil(now + FirstStep);
    QCOMPARE(engine->TimerInterval(), 8000);
    runUntil(now + 8000);
    QVERIFY(engine->AlternateGap());
    click(TToneTest::MonitorPointCall);

    // ...while the zonal monitor point call always begins with the short gap.
    setHTM2015(false);
    zone()->ModeData(TToneTest::MonitorPointCall)->Tone()->SetAsEnum(zt_Monitor_Point_Call);
    click(TToneTest::MonitorPointCall);
    QVERIFY(!engine->AlternateGap());
    runUntil(now + FirstStep);
    QCOMPARE(engine->TimerInterval(), 1000);
}

void TestToneTest::nothingToPlay_data() {
    QTest::addColumn<int>("situation");
    QTest::newRow("Presence in HTM08-03 mode") << 0;
    QTest::newRow("not a zone indicator") << 1;
    QTest::newRow("no document") << 2;
}

void TestToneTest::nothingToPlay() {
    QFETCH(int, situation);
    if (situation == 0)
        setHTM2015(true, tone2015_2800Hz);
    else
        doc->SetDeviceType(dt_Relay_Output);
    if (situation == 2) engine->SetDocument(nullptr);
    const int channel = situation == 0 ? TToneTest::Presence : TToneTest::Call;
    engine->SpeedButtonTestPlayClick(button(channel)); // the page disables Presence in HTM08-03 mode
    runUntil(30000);
    QVERIFY(!engine->TonePlaying());
    QVERIFY(output->Notes().empty());
    // No button is left disabled by a press that played nothing.
    QCOMPARE(captions(), QStringList(6, "Test Play"));
    QCOMPARE(enabling().mid(1), QList<bool>(5, true));
    if (situation == 0) QVERIFY(!button(TToneTest::Presence)->isEnabled());
}

void TestToneTest::withoutSoundOutput() {
    QStringList messages;
    engine->SetOnStatusMessage([&messages](const QString& text) { messages << text; });
    output->SetUnavailable(true);
    zone()->ModeData(TToneTest::Call)->Tone()->SetAsEnum(zt_Red_Alert);
    for (int run = 0; run < 2; ++run) {
        click(TToneTest::Call);
        runUntil(now + FirstStep + 500);
        // The timing runs on without sound.
        QVERIFY(engine->TonePlaying());
        QCOMPARE(engine->TimerInterval(), 500);
        click(TToneTest::Call);
    }
    QCOMPARE(messages.size(), 1);
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
    for (size_t f = 0; f < wave.size(); ++f) {
        qint16 sample = 0;
        if (floatSamples) {
            std::memcpy(&wave[f], bytes.constData() + f * 4, 4);
        } else {
            std::memcpy(&sample, bytes.constData() + f * 2, 2);
            wave[f] = float(sample) / 32767.0f;
        }
    }
    // A square wave of the note's frequency for the note's length, faded in, then silence.
    int crossings = 0;
    for (int f = 1; f < noteFrames; ++f)
        crossings += (wave[size_t(f - 1)] > 0) != (wave[size_t(f)] > 0);
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
    QCOMPARE(messages, QStringList{TToneOutputAudio::NoSoundOutputText});
}

QTEST_MAIN(TestToneTest)
#include "tst_ToneTest.moc"
