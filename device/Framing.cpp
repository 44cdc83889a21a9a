#include "device/Framing.h"

void tFrameBuilder::BeginFrame() {
    text_ = QString(QChar(FrameByte::SOH));
    sum_ = FrameByte::SOH;
}

void tFrameBuilder::AddFrameChar(QChar c) {
    text_ += c;
    sum_ = uint8_t(sum_ + (c.unicode() & 0xFF));
}

void tFrameBuilder::AddFrameText(const QString& text) {
    for (QChar c : text)
        AddFrameChar(c);
}

QString tFrameBuilder::EndFrame() {
    AddFrameChar(QChar(FrameByte::EOT));
    text_ += QChar(sum_);
    return text_;
}

QString FrameOf(const QString& payload) {
    tFrameBuilder builder;
    builder.BeginFrame();
    builder.AddFrameText(payload);
    return builder.EndFrame();
}

void tFrameReceiver::Reset() {
    state_ = Outside;
    payload_.clear();
    sum_ = 0;
}

std::optional<tReceivedFrame> tFrameReceiver::Feed(uint8_t byte) {
    // The byte after EOT is the check byte whatever its value: a check byte that happens to be
    // SOH, EOT or ENQ must not lose the frame, or that configuration could never be read.
    if (state_ == AfterEot) {
        tReceivedFrame frame{payload_, byte, sum_};
        Reset();
        return frame;
    }
    switch (byte) {
    case FrameByte::SOH:
        state_ = InPayload;
        payload_.clear();
        sum_ = FrameByte::SOH;
        return std::nullopt;
    case FrameByte::EOT:
        if (state_ == InPayload) {
            state_ = AfterEot;
            sum_ = uint8_t(sum_ + FrameByte::EOT);
        }
        return std::nullopt;
    case FrameByte::ENQ:
        return std::nullopt;
    default:
        break;
    }
    if (state_ == InPayload) {
        if (payload_.size() >= MaxPayload) {
            Reset();
            return std::nullopt;
        }
        payload_ += QChar(byte);
        sum_ = uint8_t(sum_ + byte);
        return std::nullopt;
    }
    return std::nullopt;
}

QString ZeroPadded(int value, int width) {
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

const QString VersionWarning = QStringLiteral(
    "Unexpected Version Number. If you program this device results may be erroneous or incomplete");
