#pragma once
// The tone test's beeps on the computer's sound output: a square wave synthesised on demand and
// played through Qt Multimedia. Nothing blocks: Beep queues a note and returns, the sound system
// pulls the samples as it plays them, and Silence stops the sound at once.

#include "app/ToneOutput.h"

#include <QAudioFormat>
#include <QIODevice>
#include <QObject>
#include <deque>
#include <memory>

class QAudioSink;

// Synthesises queued notes as a square wave with short fades at each end (no clicks); silence when
// nothing is queued, so the sound output keeps running between the notes of a pattern.
class TToneGenerator : public QIODevice {
    Q_OBJECT
public:
    explicit TToneGenerator(const QAudioFormat& format, QObject* parent = nullptr);

    void Queue(int frequencyHz, int durationMs);
    // Plain silence before the next note.
    void QueueSilence(int durationMs);
    void Clear();
    bool Sounding() const { return !notes_.empty(); }

    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    struct Note {
        int frequency; // 0 for a rest
        qint64 frames;
        qint64 done = 0;
    };
    float nextSample();

    QAudioFormat format_;
    std::deque<Note> notes_;
    double phase_ = 0.0;
};

class TToneOutputAudio : public QObject, public IToneOutput {
    Q_OBJECT
public:
    explicit TToneOutputAudio(QObject* parent = nullptr);
    ~TToneOutputAudio() override;

    void Beep(int frequencyHz, int durationMs) override;
    void Silence() override;
    void SetOnUnavailable(tReport report) override { onUnavailable_ = std::move(report); }

private:
    bool ensureStarted();
    void reportUnavailable();
    void dropSink();

    std::unique_ptr<QAudioSink> sink_;
    TToneGenerator* generator_ = nullptr;
    bool failed_ = false;
    bool reported_ = false;
    tReport onUnavailable_;
};
