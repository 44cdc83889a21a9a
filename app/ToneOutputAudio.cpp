#include "app/ToneOutputAudio.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr float Amplitude = 0.25f;
constexpr int FadeMs = 3;
// How much sound the output holds ahead of what is heard. A pattern's first note is delayed by the
// same amount as every later one, so the periods stay even.
constexpr int BufferMs = 100;

QAudioFormat chooseFormat(const QAudioDevice& device) {
    QAudioFormat format = device.preferredFormat();
    if (format.sampleRate() <= 0) format.setSampleRate(48000);
    if (format.channelCount() <= 0) format.setChannelCount(1);
    const auto kind = format.sampleFormat();
    if (kind != QAudioFormat::Int16 && kind != QAudioFormat::Float) {
        QAudioFormat int16 = format;
        int16.setSampleFormat(QAudioFormat::Int16);
        format = device.isFormatSupported(int16) ? int16 : format;
    }
    return format;
}
} // namespace

// ---- TToneGenerator --------------------------------------------------------------------------------

TToneGenerator::TToneGenerator(const QAudioFormat& format, QObject* parent)
    : QIODevice(parent), format_(format) {
    open(QIODevice::ReadOnly);
}

void TToneGenerator::Queue(int frequencyHz, int durationMs) {
    if (durationMs <= 0) return;
    notes_.push_back({std::max(frequencyHz, 0), qint64(durationMs) * format_.sampleRate() / 1000});
}

void TToneGenerator::QueueSilence(int durationMs) {
    Queue(0, durationMs);
}

void TToneGenerator::Clear() {
    notes_.clear();
    phase_ = 0.0;
}

qint64 TToneGenerator::bytesAvailable() const {
    // An endless stream: silence follows the last note.
    return qint64(format_.bytesPerFrame()) * format_.sampleRate() + QIODevice::bytesAvailable();
}

float TToneGenerator::nextSample() {
    while (!notes_.empty() && notes_.front().done >= notes_.front().frames)
        notes_.pop_front();
    if (notes_.empty()) return 0.0f;
    Note& note = notes_.front();
    const qint64 index = note.done++;
    if (note.frequency == 0) return 0.0f;
    const qint64 fade = qint64(FadeMs) * format_.sampleRate() / 1000;
    const qint64 edge = std::min(index, note.frames - 1 - index);
    const float envelope = edge < fade ? float(edge) / float(fade) : 1.0f;
    phase_ += double(note.frequency) / format_.sampleRate();
    phase_ -= std::floor(phase_);
    return (phase_ < 0.5 ? Amplitude : -Amplitude) * envelope;
}

qint64 TToneGenerator::readData(char* data, qint64 maxSize) {
    const int frameBytes = format_.bytesPerFrame();
    const int channels = format_.channelCount();
    if (frameBytes <= 0 || channels <= 0) return 0;
    const qint64 frames = maxSize / frameBytes;
    const bool isFloat = format_.sampleFormat() == QAudioFormat::Float;
    char* out = data;
    for (qint64 f = 0; f < frames; ++f) {
        const float sample = nextSample();
        for (int c = 0; c < channels; ++c) {
            if (isFloat) {
                std::memcpy(out, &sample, sizeof sample);
                out += sizeof sample;
            } else {
                const qint16 value = qint16(std::lround(sample * 32767.0f));
                std::memcpy(out, &value, sizeof value);
                out += sizeof value;
            }
        }
    }
    return frames * frameBytes;
}

// ---- TToneOutputAudio ------------------------------------------------------------------------------

TToneOutputAudio::TToneOutputAudio(QObject* parent) : QObject(parent) {}

TToneOutputAudio::~TToneOutputAudio() {
    if (sink_) sink_->stop();
}

void TToneOutputAudio::dropSink() {
    if (!sink_) return;
    // The sink may be the sender of the signal being handled: let it go once control returns.
    sink_->disconnect(this);
    sink_->stop();
    generator_ = nullptr;
    sink_.release()->deleteLater();
}

void TToneOutputAudio::reportUnavailable() {
    failed_ = true;
    dropSink();
    if (reported_) return;
    reported_ = true;
    if (onUnavailable_) onUnavailable_(NoSoundOutputText());
}

bool TToneOutputAudio::ensureStarted() {
    if (sink_) return true;
    if (failed_) return false;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        reportUnavailable();
        return false;
    }
    const QAudioFormat format = chooseFormat(device);
    const bool usable = format.isValid() && (format.sampleFormat() == QAudioFormat::Int16 ||
                                             format.sampleFormat() == QAudioFormat::Float);
    if (!usable) {
        reportUnavailable();
        return false;
    }
    // A new sink and generator each time: the default device, and with it the format, may have
    // changed. The generator lives and dies with its sink.
    sink_ = std::make_unique<QAudioSink>(device, format);
    generator_ = new TToneGenerator(format, sink_.get());
    sink_->setBufferSize(format.bytesForDuration(qint64(BufferMs) * 1000));
    connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && sink_ && sink_->error() != QAudio::NoError) reportUnavailable();
    });
    generator_->QueueSilence(BufferMs);
    sink_->start(generator_);
    if (sink_ && sink_->error() != QAudio::NoError) {
        reportUnavailable();
        return false;
    }
    return sink_ != nullptr;
}

void TToneOutputAudio::Beep(int frequencyHz, int durationMs) {
    if (!ensureStarted()) return;
    generator_->Queue(frequencyHz, durationMs);
}

void TToneOutputAudio::Silence() {
    if (generator_) generator_->Clear();
    dropSink();
    // The next test looks for a sound output again (one may have been plugged in); the message
    // about a missing one is still given only once.
    failed_ = false;
}
