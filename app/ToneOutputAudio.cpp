#include "app/ToneOutputAudio.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr float Amplitude = 0.25f;
constexpr int FadeMs = 3;
// Sound held ahead of what is heard, which the window refills every FeedMs; the server shares it
// between the stream and the sink. It rides out a busy moment of the machine: on a loaded one (load
// average 10 on two cores) 150 ms still ran dry about 20 times an hour, 300 ms about 4 times. The
// server mixes a new stream into what the sink already holds and takes a stopped one out of it (on
// sinks that can rewind, as the usual ones can), so neither the first note nor "Stop" waits for the
// buffer, and the pattern's timing does not depend on it.
constexpr int BufferMs = 300;
constexpr int FeedMs = 10;

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

TToneGenerator::TToneGenerator(const QAudioFormat& format)
    : format_(format), fadeFrames_(std::max<qint64>(1, qint64(FadeMs) * format.sampleRate() / 1000)) {}

void TToneGenerator::Play(const IToneOutput::tPattern& pattern) {
    Clear();
    if (format_.sampleRate() <= 0) return;
    for (const IToneOutput::Span& span : pattern) {
        if (span.duration <= 0) continue;
        pattern_.push_back({std::max(span.frequency, 0), span.duration});
        offsets_.push_back(length_);
        length_ += span.duration;
    }
    if (!pattern_.empty()) startSpan(0);
}

void TToneGenerator::Clear() {
    pattern_.clear();
    offsets_.clear();
    length_ = repetition_ = frame_ = spanStart_ = spanEnd_ = 0;
    span_ = 0;
    phase_ = 0.0;
}

// Enters span `index` of the current repetition (the next repetition's first span when index is past
// the end). Its bounds are the frames where its start and end times fall.
void TToneGenerator::startSpan(size_t index) {
    if (index >= pattern_.size()) {
        index = 0;
        ++repetition_;
    }
    const auto frameAt = [this](qint64 ms) { return ms * format_.sampleRate() / 1000; };
    const qint64 start = repetition_ * length_ + offsets_[index];
    span_ = index;
    spanStart_ = frameAt(start);
    spanEnd_ = frameAt(start + pattern_[index].duration);
    // The sound fades only where it changes: from or to a rest, another pitch, or nothing at all
    // before the first note.
    const int frequency = pattern_[index].frequency;
    const bool first = repetition_ == 0 && index == 0;
    const int before = first ? 0 : pattern_[(index + pattern_.size() - 1) % pattern_.size()].frequency;
    const int after = pattern_[(index + 1) % pattern_.size()].frequency;
    fadeIn_ = before != frequency;
    fadeOut_ = after != frequency;
    if (fadeIn_) phase_ = 0.0;
}

// The next sample of the note under way.
float TToneGenerator::nextSample() {
    const int frequency = pattern_[span_].frequency;
    const qint64 index = frame_++ - spanStart_;
    const qint64 last = spanEnd_ - 1 - spanStart_;
    const qint64 edge = std::min(fadeIn_ ? index : fadeFrames_, fadeOut_ ? last - index : fadeFrames_);
    const float envelope = edge < fadeFrames_ ? float(edge) / float(fadeFrames_) : 1.0f;
    phase_ += double(frequency) / format_.sampleRate();
    if (phase_ >= 1.0) phase_ -= 1.0;
    return (phase_ < 0.5 ? Amplitude : -Amplitude) * envelope;
}

qint64 TToneGenerator::Skip(qint64 frames) {
    if (pattern_.empty()) return frame_ += frames;
    for (const qint64 target = frame_ + frames; frame_ < target;) {
        while (frame_ >= spanEnd_)
            startSpan(span_ + 1);
        const qint64 step = std::min(target, spanEnd_) - frame_;
        phase_ = std::fmod(phase_ + double(step) * pattern_[span_].frequency / format_.sampleRate(), 1.0);
        frame_ += step;
    }
    return frame_;
}

qint64 TToneGenerator::Read(char* data, qint64 maxSize) {
    const int frameBytes = format_.bytesPerFrame();
    const int channels = format_.channelCount();
    if (frameBytes <= 0 || channels <= 0) return 0;
    const qint64 frames = maxSize / frameBytes;
    if (pattern_.empty()) {
        std::memset(data, 0, size_t(frames * frameBytes));
        return frames * frameBytes;
    }
    const bool isFloat = format_.sampleFormat() == QAudioFormat::Float;
    char* out = data;
    for (qint64 f = 0; f < frames;) {
        while (frame_ >= spanEnd_)
            startSpan(span_ + 1);
        if (pattern_[span_].frequency == 0) { // a rest: all its samples at once
            const qint64 rest = std::min(frames - f, spanEnd_ - frame_);
            std::memset(out, 0, size_t(rest * frameBytes));
            out += rest * frameBytes;
            frame_ += rest;
            f += rest;
            continue;
        }
        ++f;
        const float sample = nextSample();
        for (int c = 0; c < channels; ++c) {
            if (isFloat) {
                std::memcpy(out, &sample, sizeof sample);
                out += sizeof sample;
            } else {
                const auto value = qint16(std::lround(sample * 32767.0f));
                std::memcpy(out, &value, sizeof value);
                out += sizeof value;
            }
        }
    }
    return frames * frameBytes;
}

// ---- TToneOutputAudio ------------------------------------------------------------------------------

TToneOutputAudio::TToneOutputAudio(QObject* parent) : QObject(parent) {
    feedTimer_.setInterval(FeedMs);
    connect(&feedTimer_, &QTimer::timeout, this, &TToneOutputAudio::feed);
}

TToneOutputAudio::~TToneOutputAudio() {
    if (sink_) sink_->stop();
}

void TToneOutputAudio::dropSink() {
    feedTimer_.stop();
    stream_ = nullptr;
    generator_.reset();
    if (!sink_) return;
    // The sink may be the sender of the signal being handled: let it go once control returns.
    // Stopping it drops what its buffer still holds, so the sound ends at once.
    sink_->disconnect(this);
    sink_->stop();
    sink_.release()->deleteLater();
}

void TToneOutputAudio::reportUnavailable() {
    dropSink();
    if (reported_) return;
    reported_ = true;
    if (onUnavailable_) onUnavailable_(NoSoundOutputText());
}

// A new sink and generator for each pattern: the default device, and with it the format, may have
// changed since the last one (a headset plugged in).
bool TToneOutputAudio::start() {
    dropSink();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    const QAudioFormat format = device.isNull() ? QAudioFormat() : chooseFormat(device);
    const bool usable = format.isValid() && (format.sampleFormat() == QAudioFormat::Int16 ||
                                             format.sampleFormat() == QAudioFormat::Float);
    if (!usable) {
        reportUnavailable();
        return false;
    }
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->setBufferSize(format.bytesForDuration(qint64(BufferMs) * 1000));
    connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && sink_ && sink_->error() != QAudio::NoError) reportUnavailable();
    });
    // Written to by feed rather than read by the sink: the first samples go out at once, and what
    // the buffer holds is always the pattern's own continuation.
    stream_ = sink_->start();
    if (!sink_ || !stream_ || sink_->error() != QAudio::NoError) {
        reportUnavailable();
        return false;
    }
    generator_ = std::make_unique<TToneGenerator>(format);
    feedTimer_.start();
    return true;
}

void TToneOutputAudio::feed() {
    if (!sink_ || !stream_ || !generator_) return;
    const int frameBytes = generator_->Format().bytesPerFrame();
    const qint64 free = frameBytes > 0 ? sink_->bytesFree() / frameBytes * frameBytes : 0;
    if (free <= 0) return;
    samples_.resize(free);
    stream_->write(samples_.constData(), generator_->Read(samples_.data(), free));
}

void TToneOutputAudio::Play(const tPattern& pattern) {
    if (!start()) return;
    generator_->Play(pattern);
    feed(); // the first note starts now, not at the next refill
}

void TToneOutputAudio::Silence() {
    dropSink();
}
