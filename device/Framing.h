#pragma once
// Device record frames: SOH, printable payload, EOT, check byte = (1 + sum of payload + 4) mod 256.
// tFrameBuilder composes a frame; tFrameReceiver collects frames from the byte stream of the link.

#include <QString>
#include <cstdint>
#include <optional>

namespace FrameByte {
constexpr uint8_t SOH = 0x01;
constexpr uint8_t EOT = 0x04;
constexpr uint8_t ENQ = 0x05;
} // namespace FrameByte

// Builds one frame character by character, keeping the running check sum. Each character goes on
// the wire as the low byte of its code.
class tFrameBuilder {
public:
    void BeginFrame();
    void AddFrameChar(QChar c);
    void AddFrameText(const QString& text);
    // Appends EOT and the check byte and returns the frame.
    QString EndFrame();

    const QString& Text() const { return text_; }
    uint8_t Sum() const { return sum_; }

private:
    QString text_;
    uint8_t sum_ = 0;
};

// The frame of one payload.
QString FrameOf(const QString& payload);

// A number as a record field of fixed width, with leading zeros ("007").
QString ZeroPadded(int value, int width);

// Shown when a device reports a record or firmware version this program was not made for.
extern const QString VersionWarning;

// A frame as received: the payload, the check byte that came after EOT and the sum of what came.
struct tReceivedFrame {
    QString Payload;
    uint8_t CheckByte = 0;
    uint8_t Sum = 0;
    bool CheckMatches() const { return CheckByte == Sum; }
};

// Applies the reception rules to each byte the link delivers:
//  - the byte right after EOT is the check byte, whatever its value, and completes the frame;
//  - SOH starts a new payload, dropping whatever was collected (sum := 1);
//  - EOT completes the payload (sum += 4); the next byte is the check byte;
//  - ENQ is ignored everywhere, inside a payload too;
//  - any other byte is appended inside a payload and ignored outside a frame.
// A payload growing past MaxPayload characters (a stream without EOT) is dropped and the receiver
// waits for the next SOH.
class tFrameReceiver {
public:
    enum State : uint8_t { Outside = 0, InPayload = 1, AfterEot = 2 };
    static constexpr int MaxPayload = 1024;

    // Takes one byte; returns the frame that this byte completed, if any.
    std::optional<tReceivedFrame> Feed(uint8_t byte);
    void Reset();

    State CurrentState() const { return state_; }
    const QString& Payload() const { return payload_; }
    uint8_t Sum() const { return sum_; }

private:
    State state_ = Outside;
    QString payload_;
    uint8_t sum_ = 0;
};
