#pragma once
// Where the tone test's beeps go: a tone generator that plays a pattern of notes and rests over and
// over without blocking. The application plays it on the sound output (TToneOutputAudio); tests and
// benchmarks record it (TToneOutputRecorder).

#include <QString>
#include <functional>
#include <vector>

class IToneOutput {
public:
    // One stretch of a pattern: a note, or a rest when the frequency is 0.
    struct Span {
        int frequency; // Hz
        int duration;  // ms
        friend bool operator==(const Span&, const Span&) = default;
    };
    using tPattern = std::vector<Span>;

    // What an output reports when it cannot make a sound.
    static QString NoSoundOutputText() {
        return QStringLiteral("No sound output found: the tone test plays without sound");
    }

    using tReport = std::function<void(const QString& text)>;

    virtual ~IToneOutput() = default;

    // Starts the pattern at once, in place of whatever sounds, and repeats it until Silence; returns
    // at once. The spans follow one another without pause: each starts at its place in one
    // continuous stream of samples, the rests being samples too, so the rhythm holds however long
    // it plays.
    virtual void Play(const tPattern& pattern) = 0;
    // Silences the output at once.
    virtual void Silence() = 0;
    // Called once, the first time the output finds that it cannot make a sound; the patterns are
    // then dropped silently.
    virtual void SetOnUnavailable(tReport report) = 0;
};
