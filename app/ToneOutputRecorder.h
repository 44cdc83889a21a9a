#pragma once
// A tone output that plays nothing and records every note with the time it would start, read from a
// clock the caller drives. Notes queue back to back exactly as on the sound output.

#include "app/ToneOutput.h"

#include <QtGlobal>
#include <algorithm>
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

    void Beep(int frequencyHz, int durationMs) override {
        if (unavailable_) {
            if (onUnavailable_ && !reported_) onUnavailable_(QStringLiteral("No sound output"));
            reported_ = true;
            return;
        }
        const qint64 start = std::max(clock_(), queueEnd_);
        notes_.push_back({start, frequencyHz, durationMs});
        queueEnd_ = start + durationMs;
    }
    void Silence() override {
        ++silences_;
        // Queued notes that have not started yet never sound.
        const qint64 now = clock_();
        std::erase_if(notes_, [now](const Note& n) { return n.start > now; });
        for (Note& n : notes_)
            if (n.start + n.duration > now) n.duration = int(now - n.start);
        queueEnd_ = now;
    }
    void SetOnUnavailable(tReport report) override { onUnavailable_ = std::move(report); }

    // Makes the recorder act as an output without a sound device.
    void SetUnavailable(bool unavailable) { unavailable_ = unavailable; }

    const std::vector<Note>& Notes() const { return notes_; }
    int Silences() const { return silences_; }
    void ClearRecord() {
        notes_.clear();
        silences_ = 0;
    }

private:
    std::function<qint64()> clock_;
    std::vector<Note> notes_;
    qint64 queueEnd_ = 0;
    int silences_ = 0;
    bool unavailable_ = false;
    bool reported_ = false;
    tReport onUnavailable_;
};
