#pragma once
// The zone indicator page's tone test: each of the six call channels has a "Test Play" button that
// plays an imitation of the tone the zone indicator sounds for that channel, with the settings the
// document holds now. A pattern is a group of notes repeated once per period. Its first step, on the
// timer TimerBeeper, hands the tone output the notes and the rest that fills each period, and the
// output repeats them by sample position, so the rhythm holds however late a timer step comes; the
// steps go on keeping the window's state. Nothing blocks and "Stop" silences the tone at once.

#include "app/ToneOutput.h"
#include "device/DeviceEnums.h"

#include <QAbstractButton>
#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QTimer;
class QWidget;
class tZCfgFile;
class tZonalIndicator;

class TToneTest : public QObject {
    Q_OBJECT
public:
    static constexpr int ChannelCount = 6;
    enum Channel {
        Presence = 0,
        Call = 1,
        MonitorPointCall = 2,
        HelpRequired = 3,
        Attack = 4,
        Emergency = 5
    };

    struct Note {
        int frequency; // Hz
        int duration;  // ms
        friend bool operator==(const Note&, const Note&) = default;
    };
    // Notes sounded back to back at the start of each period. An alternating pattern has two
    // periods, taken in turn by AlternateGap. A continuous tone's note fills its period, so it
    // sounds without pause.
    struct Pattern {
        int period = 0;
        int alternatePeriod = 0;
        std::vector<Note> notes;
    };

    // Button names, in channel order.
    static const std::array<const char*, ChannelCount> ButtonNames;
    static const QString TestPlayCaption;
    static const QString StopCaption;

    static Pattern ZonalTonePattern(tZonalTone tone);
    // Nothing for Presence, which plays nothing in HTM08-03 mode.
    static std::optional<Pattern> HTM2015Pattern(int channel, tHTM2015Tone tone);
    // What the output plays: each period's notes and the rest up to the next period; for an
    // alternating pattern both periods, the long one first when longFirst.
    static IToneOutput::tPattern Sound(const Pattern& pattern, bool longFirst);

    // The output is not owned; it must live as long as the test plays on it.
    explicit TToneTest(IToneOutput* output, QObject* parent = nullptr);
    ~TToneTest() override;

    void SetDocument(tZCfgFile* document) { document_ = document; }
    // Takes the six buttons found by name below page and handles their clicks.
    void AttachButtons(QWidget* page);
    void SetButtons(const std::array<QAbstractButton*, ChannelCount>& buttons);
    QAbstractButton* Button(int channel) const { return buttons_[size_t(channel)].data(); }

    // Runs the timer only when true (the application); tests drive TimerBeeperTimer themselves and
    // read TimerInterval and TimerEnabled as the virtual clock.
    void SetRunTimer(bool run);
    QTimer* TimerBeeper() const { return timerBeeper_; }
    int TimerInterval() const { return timerInterval_; }
    bool TimerEnabled() const { return timerEnabled_; }

    bool TonePlaying() const { return tonePlaying_; }
    bool AlternateGap() const { return alternateGap_; }
    void SetTonePlaying(bool value);

    // The shared click handler of the six buttons.
    void SpeedButtonTestPlayClick(QAbstractButton* sender);
    // Runs the installed pattern's step.
    void TimerBeeperTimer();

    // The message shown once when there is no sound output (the window puts it in its status bar).
    void SetOnStatusMessage(std::function<void(const QString&)> handler);

private:
    void StartChannelTest(QAbstractButton* button, int channel);
    void PlayZonalTone(QAbstractButton* button, tZonalTone tone);
    void startPattern(QAbstractButton* button, Pattern pattern);
    void ToneStep();
    void setTimerInterval(int interval);
    void setTimerEnabled(bool enabled);
    void restoreButtons();
    tZonalIndicator* zonalIndicator() const;
    int channelOf(const QAbstractButton* button) const;

    IToneOutput* output_;
    tZCfgFile* document_ = nullptr;
    std::array<QPointer<QAbstractButton>, ChannelCount> buttons_{};
    std::array<QMetaObject::Connection, ChannelCount> connections_{};
    QTimer* timerBeeper_;
    bool runTimer_ = true;
    int timerInterval_ = 100;
    bool timerEnabled_ = false;
    bool tonePlaying_ = false;
    bool alternateGap_ = false;
    std::optional<Pattern> pattern_;
    int stepsRun_ = 0;
};
