#pragma once
// The tone test's beeps on the computer's sound output: a square wave synthesised on demand and
// played through Qt Multimedia. Nothing blocks: Play hands the pattern to the generator and returns,
// a timer keeps the sound output's buffer full, and Silence stops the sound at once.

#include "app/ToneOutput.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <memory>

class QAudioSink;
class QIODevice;

// Renders a repeating pattern as one continuous stream of samples: a square wave with short fades
// where the sound starts, stops or changes pitch (no clicks), and plain silence for the rests. Each
// span begins at the sample where its time falls, counted from the pattern's start, so the rhythm
// is exact to the sample and no rounding adds up, at any sample rate and for any length of play.
// Where the same note follows itself (the continuous tone) the wave runs on without a fade.
class TToneGenerator {
public:
    explicit TToneGenerator(const QAudioFormat& format);

    const QAudioFormat& Format() const { return format_; }
    // Starts the pattern with the next sample read.
    void Play(const IToneOutput::tPattern& pattern);
    void Clear();
    bool Sounding() const { return !pattern_.empty(); }
    // Fills data with the next whole frames that fit in maxSize bytes (silence when nothing plays)
    // and returns the number of bytes written.
    qint64 Read(char* data, qint64 maxSize);
    // Moves on by `frames` as if they had been read, without rendering them (a long run is checked
    // in parts), and returns the frames played since the pattern started.
    qint64 Skip(qint64 frames);

private:
    void startSpan(size_t index);
    float nextSample();

    QAudioFormat format_;
    qint64 fadeFrames_;
    IToneOutput::tPattern pattern_; // spans of some length
    std::vector<qint64> offsets_;   // where each span starts within a repetition, in ms
    qint64 length_ = 0;             // one repetition, in ms
    qint64 repetition_ = 0;
    size_t span_ = 0;
    qint64 frame_ = 0; // frames since the pattern started
    qint64 spanStart_ = 0, spanEnd_ = 0;
    bool fadeIn_ = false, fadeOut_ = false;
    double phase_ = 0.0;
};

class TToneOutputAudio : public QObject, public IToneOutput {
    Q_OBJECT
public:
    explicit TToneOutputAudio(QObject* parent = nullptr);
    ~TToneOutputAudio() override;

    void Play(const tPattern& pattern) override;
    void Silence() override;
    void SetOnUnavailable(tReport report) override { onUnavailable_ = std::move(report); }

private:
    bool start();
    void feed();
    void reportUnavailable();
    void dropSink();

    std::unique_ptr<QAudioSink> sink_;
    QIODevice* stream_ = nullptr; // the sink's, written to as its buffer empties
    std::unique_ptr<TToneGenerator> generator_;
    QTimer feedTimer_;
    QByteArray samples_;
    bool reported_ = false;
    tReport onUnavailable_;
};
