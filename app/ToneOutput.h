#pragma once
// Where the tone test's beeps go: a tone generator that plays notes one after another without
// blocking. The application plays them on the sound output (TToneOutputAudio); tests and benchmarks
// record them (TToneOutputRecorder).

#include <QString>
#include <functional>

class IToneOutput {
public:
    // What an output reports when it cannot make a sound.
    static QString NoSoundOutputText() {
        return QStringLiteral("No sound output found: the tone test plays without sound");
    }

    using tReport = std::function<void(const QString& text)>;

    virtual ~IToneOutput() = default;

    // Queues one note and returns at once. The note starts when the notes queued before it have
    // ended, or at once when nothing is sounding.
    virtual void Beep(int frequencyHz, int durationMs) = 0;
    // Silences the output at once and drops every queued note.
    virtual void Silence() = 0;
    // Called once, the first time the output finds that it cannot make a sound; the notes are then
    // dropped silently.
    virtual void SetOnUnavailable(tReport report) = 0;
};
