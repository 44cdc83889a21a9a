#pragma once
// A nurse-call device as seen from the programming adapter: it wakes on "B", answers five ENQ bytes
// with its record frame(s), and takes user and factory frames, storing them and acknowledging.

#include "device/DeviceTypeTable.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace zsim {

// The device types are those of the device model; the keywords are its command-line keywords.
using DeviceType = tDevType;

// The real type named by a keyword ("staff", "relay", …); false for any other text.
bool DeviceTypeFromKeyword(const QString& keyword, DeviceType& type);
QString DeviceKeyword(DeviceType type);

// Check byte of a frame: (SOH + sum of payload bytes + EOT) mod 256.
uint8_t CheckByte(const QByteArray& payload);
// SOH, payload, EOT, check byte.
QByteArray Frame(const QByteArray& payload);

// Reply faults of the device itself (the adapter adds timing faults on top).
struct DeviceFaults {
    bool noAnswer = false;   // takes requests but never replies
    bool badCheck = false;   // every reply frame carries a wrong check byte
    bool garbage = false;    // noise bytes in front of every reply frame
    bool truncate = false;   // every reply frame is cut off before its end
    bool udBeforeFd = false; // a transmitter sends its user record before its factory record
};

class VirtualDevice {
public:
    explicit VirtualDevice(DeviceType type);

    DeviceType Type() const { return type_; }
    bool IsTransmitter() const { return DeviceTypeInfo(type_).Class == tDeviceClass::IRRF; }

    // Stored records as whole payloads ("PI…", "FD…", "UD…"); any text may be set verbatim.
    QByteArray PiRecord() const { return pi_; }
    void SetPiRecord(const QByteArray& payload) { pi_ = payload; }
    QByteArray FdRecord() const { return fd_; }
    void SetFdRecord(const QByteArray& payload) { fd_ = payload; }
    QByteArray UdRecord() const { return ud_; }
    void SetUdRecord(const QByteArray& payload) { ud_ = payload; }

    // Takes one byte from the host and returns whatever the device sends in answer.
    QByteArray Receive(uint8_t byte, const DeviceFaults& faults);

    int FramesAccepted() const { return framesAccepted_; }
    int FramesRejected() const { return framesRejected_; }

    static constexpr QByteArrayView kAcknowledge = "OK";
    static constexpr int kWiredHeaderLength = 28; // "PI", code, version, factory string, node, zone

private:
    enum class Reception { Idle, Payload, Check };
    QByteArray onEnquiry(const DeviceFaults& faults);
    QByteArray onFrame(const QByteArray& payload, const DeviceFaults& faults);
    static QByteArray reply(const QByteArray& payload, const DeviceFaults& faults);

    DeviceType type_;
    QByteArray pi_, fd_, ud_;
    Reception reception_ = Reception::Idle;
    QByteArray payload_;
    bool awake_ = false;
    int enquiries_ = 0;
    int framesAccepted_ = 0;
    int framesRejected_ = 0;
};

} // namespace zsim
