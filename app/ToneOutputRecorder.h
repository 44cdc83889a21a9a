#pragma once
// What tests and benchmarks use to follow the tone test's sound: a tone output that plays nothing
// and records each pattern with the time it starts, read from a clock the caller drives
// (TToneOutputRecorder), and the notes heard in a stream of samples (TToneSoundAnalyser).

#include "app/ToneOutput.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

class TToneOutputRecorder : public IToneOutput {
public:
    struct Note {
        qint64 start;
        int frequency;
        int duration;
        friend bool operator==(const Note&, const Note&) = default;
    };

    explicit TToneOutputRecorder(std::function<qint64()> clock) : clock_(std::move(clock)) {}

    void Play(const tPattern& pattern) override {
        if (unavailable_) {
            if (onUnavailable_ && !reported_) onUnavailable_(QStringLiteral("No sound output"));
            reported_ = true;
            return;
        }
        stop();
        runs_.push_back({clock_(), pattern, std::nullopt});
    }
    void Silence() override {
        ++silences_;
        stop();
    }
    void SetOnUnavailable(tReport report) override { onUnavailable_ = std::move(report); }

    // Makes the recorder act as an output without a sound device.
    void SetUnavailable(bool unavailable) { unavailable_ = unavailable; }

    // The notes of every repetition begun by now, each at its place in the stream; a silenced
    // pattern keeps what sounded before the silence.
    const std::vector<Note>& Notes() const {
        notes_.clear();
        for (const Run& run : runs_) {
            qint64 length = 0;
            for (const Span& span : run.pattern)
                length += std::max(span.duration, 0);
            const qint64 until = run.end.value_or(clock_());
            for (qint64 repetition = run.start; length > 0 && repetition <= until; repetition += length) {
                qint64 at = repetition;
                for (const Span& span : run.pattern) {
                    const qint64 start = at;
                    at += std::max(span.duration, 0);
                    if (span.frequency <= 0 || span.duration <= 0) continue;
                    if (run.end && start >= *run.end) break;
                    const qint64 end = run.end ? std::min(at, *run.end) : at;
                    notes_.push_back({start, span.frequency, int(end - start)});
                }
            }
        }
        return notes_;
    }
    int Silences() const { return silences_; }
    void ClearRecord() {
        runs_.clear();
        silences_ = 0;
    }

private:
    struct Run {
        qint64 start;
        tPattern pattern;
        std::optional<qint64> end;
    };
    void stop() {
        if (!runs_.empty() && !runs_.back().end) runs_.back().end = clock_();
    }

    std::function<qint64()> clock_;
    std::vector<Run> runs_;
    mutable std::vector<Note> notes_;
    int silences_ = 0;
    bool unavailable_ = false;
    bool reported_ = false;
    tReport onUnavailable_;
};

// Finds the notes in a stream of samples as they come, so an hour of sound is never held in memory.
// A note is a run of non-zero samples: a square wave never passes through zero, and its fades reach
// zero at both ends; rests, holes and the joins between two notes are runs of zeros. A dip is a
// stretch below half the full level inside a note, past its fade-in and followed by full sound.
class TToneSoundAnalyser {
public:
    struct Heard {
        qint64 start;
        qint64 end = -1; // -1 while it sounds
        qint64 signChanges = 0;
        int dips = 0;
    };

    // Samples are counted from firstFrame, where the stream is taken up.
    explicit TToneSoundAnalyser(qint64 fadeFrames, qint64 firstFrame = 0)
        : fadeFrames_(fadeFrames), frames_(firstFrame) {}

    void Add(float sample) {
        const qint64 at = frames_++;
        if (sample == 0.0f) {
            if (!heard_.empty() && heard_.back().end < 0) heard_.back().end = at;
            return;
        }
        if (heard_.empty() || heard_.back().end >= 0) {
            heard_.push_back({at});
            sign_ = 0;
            lowFrom_ = -1;
        }
        Heard& note = heard_.back();
        const float level = std::abs(sample);
        peak_ = std::max(peak_, level);
        const int sign = sample > 0 ? 1 : -1;
        if (sign_ != 0 && sign != sign_) ++note.signChanges;
        sign_ = sign;
        if (2 * level < peak_) {
            if (lowFrom_ < 0) lowFrom_ = at;
        } else {
            if (lowFrom_ >= 0 && lowFrom_ - note.start > fadeFrames_) ++note.dips;
            lowFrom_ = -1;
        }
    }

    const std::vector<Heard>& Notes() const { return heard_; }
    qint64 Frames() const { return frames_; }

private:
    qint64 fadeFrames_;
    std::vector<Heard> heard_;
    qint64 frames_ = 0;
    float peak_ = 0.0f;
    qint64 lowFrom_ = -1;
    int sign_ = 0;
};
