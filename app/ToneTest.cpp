#include "app/ToneTest.h"

#include "app/ToneOutput.h"
#include "device/Devices.h"
#include "device/UnitZCfgFile.h"
#include "property/PelError.h"

#include <QAbstractButton>
#include <QTimer>
#include <QWidget>

const std::array<const char*, TToneTest::ChannelCount> TToneTest::ButtonNames = {
    "SpeedButtonPlayPresence",    "SpeedButtonZonalCallTestPlay", "SpeedButtonMPCallTestPlay",
    "SpeedButtonHelpRqdTestPlay", "SpeedButtonAttackTestPlay",    "SpeedButtonEmergencyTestPlay"};
const QString TToneTest::TestPlayCaption = QStringLiteral("Test Play");
const QString TToneTest::StopCaption = QStringLiteral("Stop");

namespace {
// The order in which a click walks the buttons.
constexpr std::array<int, TToneTest::ChannelCount> ButtonOrder = {
    TToneTest::Presence,     TToneTest::Call,      TToneTest::MonitorPointCall,
    TToneTest::HelpRequired, TToneTest::Emergency, TToneTest::Attack};

constexpr int StartDelay = 10; // ms from the click to the first step
constexpr int ShortGap = 1000;
constexpr int LongGap = 8000;
} // namespace

TToneTest::Pattern TToneTest::ZonalTonePattern(tZonalTone tone) {
    switch (tone) {
    case zt_500Hz:
        return {1000, 0, {{500, 1000}}};
    case zt_Presence:
        return {20000, 0, {{500, 500}}};
    case zt_Standard_Call:
        return {8000, 0, {{2800, 500}}};
    case zt_Monitor_Point_Call:
        return {ShortGap, LongGap, {{2800, 500}}};
    case zt_Emergency:
        return {1000, 0, {{2800, 500}}};
    case zt_Attack:
        return {200, 0, {{2800, 100}}};
    case zt_Soft_Chime:
        return {8000, 0, {{660, 500}, {550, 500}, {440, 500}}};
    case zt_Attention_Chime:
        return {8000, 0, {{1320, 100}, {1100, 100}, {880, 100}}};
    case zt_Urgent_Chime:
        return {2000, 0, {{1320, 100}, {1100, 100}, {880, 100}}};
    case zt_Ding_Dong:
        return {8000, 0, {{957, 600}, {766, 600}}};
    case zt_Beep:
        return {8000, 0, {{2800, 100}}};
    case zt_Red_Alert:
        return {500, 0, {{957, 200}, {766, 200}}};
    case zt_Help_Required:
        return {4000, 0, {{2800, 2000}}};
    case zt_Ding_Dong_x2:
        return {8000, 0, {{957, 600}, {766, 600}, {957, 600}, {766, 600}}};
    case zt_Octave_Slow:
        return {8000, 0, {{1000, 600}, {500, 600}}};
    case zt_Octave_Fast:
        return {700, 0, {{1000, 300}, {500, 300}}};
    }
    return {};
}

std::optional<TToneTest::Pattern> TToneTest::HTM2015Pattern(int channel, tHTM2015Tone tone) {
    const int frequency = tone == tone2015_2800Hz ? 2800 : 800;
    switch (channel) {
    case Call:
        return Pattern{10000, 0, {{frequency, 1000}}};
    case MonitorPointCall:
        return Pattern{ShortGap, LongGap, {{frequency, 500}}};
    case HelpRequired:
        return Pattern{4000, 0, {{frequency, 500}}};
    case Attack:
        return Pattern{200, 0, {{frequency, 100}}};
    case Emergency:
        return Pattern{1000, 0, {{frequency, 500}}};
    default:
        return std::nullopt;
    }
}

IToneOutput::tPattern TToneTest::Sound(const Pattern& pattern, bool longFirst) {
    std::vector<int> periods = {pattern.period};
    if (pattern.alternatePeriod > 0)
        periods = longFirst ? std::vector{pattern.alternatePeriod, pattern.period}
                            : std::vector{pattern.period, pattern.alternatePeriod};
    IToneOutput::tPattern sound;
    for (int period : periods) {
        for (const Note& note : pattern.notes) {
            sound.push_back({note.frequency, note.duration});
            period -= note.duration;
        }
        if (period > 0) sound.push_back({0, period});
    }
    return sound;
}

TToneTest::TToneTest(IToneOutput* output, QObject* parent)
    : QObject(parent), output_(output), timerBeeper_(new QTimer(this)) {
    timerBeeper_->setObjectName(QStringLiteral("TimerBeeper"));
    timerBeeper_->setTimerType(Qt::PreciseTimer);
    timerBeeper_->setInterval(timerInterval_);
    connect(timerBeeper_, &QTimer::timeout, this, [this] { Guarded([this] { TimerBeeperTimer(); }); });
}

TToneTest::~TToneTest() {
    // The output may already be gone (the window destroys its parts in any order); it silences
    // itself when destroyed.
    for (const auto& connection : connections_)
        disconnect(connection);
}

void TToneTest::SetOnStatusMessage(std::function<void(const QString&)> handler) {
    if (output_) output_->SetOnUnavailable(std::move(handler));
}

void TToneTest::AttachButtons(QWidget* page) {
    std::array<QAbstractButton*, ChannelCount> found{};
    for (int channel = 0; channel < ChannelCount; ++channel)
        found[size_t(channel)] =
            page ? page->findChild<QAbstractButton*>(QLatin1String(ButtonNames[size_t(channel)])) : nullptr;
    SetButtons(found);
}

void TToneTest::SetButtons(const std::array<QAbstractButton*, ChannelCount>& buttons) {
    for (int channel = 0; channel < ChannelCount; ++channel) {
        disconnect(connections_[size_t(channel)]);
        QAbstractButton* button = buttons[size_t(channel)];
        buttons_[size_t(channel)] = button;
        if (!button) continue;
        connections_[size_t(channel)] = connect(button, &QAbstractButton::clicked, this, [this, button] {
            Guarded([this, button] { SpeedButtonTestPlayClick(button); });
        });
    }
}

void TToneTest::SetRunTimer(bool run) {
    runTimer_ = run;
    if (!run)
        timerBeeper_->stop();
    else if (timerEnabled_)
        timerBeeper_->start(timerInterval_);
}

void TToneTest::setTimerInterval(int interval) {
    timerInterval_ = interval;
    // As with the form's timer, a new interval counts from now.
    if (runTimer_) {
        timerBeeper_->setInterval(interval);
        if (timerEnabled_) timerBeeper_->start();
    }
}

void TToneTest::setTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
    if (!runTimer_) return;
    if (enabled)
        timerBeeper_->start(timerInterval_);
    else
        timerBeeper_->stop();
}

int TToneTest::channelOf(const QAbstractButton* button) const {
    for (int channel = 0; channel < ChannelCount; ++channel)
        if (button && buttons_[size_t(channel)] == button) return channel;
    return -1;
}

tZonalIndicator* TToneTest::zonalIndicator() const {
    if (!document_ || document_->GetDeviceType() != dt_Zone_Indicator) return nullptr;
    return dynamic_cast<tZonalIndicator*>(document_->Device());
}

void TToneTest::SpeedButtonTestPlayClick(QAbstractButton* sender) {
    if (tonePlaying_) {
        SetTonePlaying(false);
        return;
    }
    const int channel = channelOf(sender);
    if (channel < 0) return;
    for (int each : ButtonOrder) {
        QAbstractButton* button = buttons_[size_t(each)];
        if (!button) continue;
        button->setEnabled(button == sender);
        if (button != sender) button->setText(TestPlayCaption);
    }
    setTimerInterval(StartDelay);
    StartChannelTest(sender, channel);
    // Nothing to play (Presence in HTM08-03 mode, or not a zone indicator): leave no button
    // disabled behind.
    if (!tonePlaying_) restoreButtons();
}

void TToneTest::StartChannelTest(QAbstractButton* button, int channel) {
    tZonalIndicator* device = zonalIndicator();
    if (!device) return;
    const bool htm2015 = device->HTM2015Enabled()->AsBoolean();
    if (channel == Presence) {
        if (!htm2015) PlayZonalTone(button, device->ModeData(Presence)->Tone()->AsEnum());
        return;
    }
    if (htm2015) {
        if (auto pattern = HTM2015Pattern(channel, device->HTM2015Tone()->AsEnum()))
            startPattern(button, std::move(*pattern));
        return;
    }
    PlayZonalTone(button, device->ModeData(channel)->Tone()->AsEnum());
}

void TToneTest::PlayZonalTone(QAbstractButton* button, tZonalTone tone) {
    // The first gap of the monitor point call is the short one.
    if (tone == zt_Monitor_Point_Call) alternateGap_ = false;
    Pattern pattern = ZonalTonePattern(tone);
    if (pattern.notes.empty()) return;
    startPattern(button, std::move(pattern));
}

void TToneTest::startPattern(QAbstractButton* button, Pattern pattern) {
    SetTonePlaying(true);
    pattern_ = std::move(pattern);
    stepsRun_ = 0;
    if (button) button->setText(StopCaption);
    setTimerEnabled(true);
}

void TToneTest::TimerBeeperTimer() {
    if (pattern_)
        ToneStep();
    else
        setTimerEnabled(false);
}

void TToneTest::ToneStep() {
    if (!tonePlaying_) {
        setTimerEnabled(false);
        pattern_.reset();
        return;
    }
    const bool longGap = pattern_->alternatePeriod > 0 && alternateGap_;
    if (pattern_->alternatePeriod > 0) alternateGap_ = !alternateGap_;
    setTimerInterval(longGap ? pattern_->alternatePeriod : pattern_->period);
    // The output places every later repetition itself, one period after the one before, on the
    // sound's own clock: a timer step that comes late moves nothing.
    if (stepsRun_++ == 0 && output_) output_->Play(Sound(*pattern_, longGap));
}

void TToneTest::SetTonePlaying(bool value) {
    if (value == tonePlaying_) return;
    tonePlaying_ = value;
    if (value) return;
    // Stopping silences at once and ends the pattern; it does not wait for the next step.
    setTimerEnabled(false);
    pattern_.reset();
    if (output_) output_->Silence();
    restoreButtons();
}

void TToneTest::restoreButtons() {
    // The buttons are restored also when the document is no longer a zone indicator (the device
    // page is being switched away), so that none is left reading "Stop" or disabled when the page
    // comes back. Presence's enabling follows HTM08-03 mode only while it can be read.
    if (tZonalIndicator* device = zonalIndicator())
        if (QAbstractButton* presence = buttons_[Presence])
            presence->setEnabled(!device->HTM2015Enabled()->AsBoolean());
    for (int channel = 0; channel < ChannelCount; ++channel) {
        QAbstractButton* button = buttons_[size_t(channel)];
        if (!button) continue;
        button->setText(TestPlayCaption);
        if (channel != Presence) button->setEnabled(true);
    }
}
