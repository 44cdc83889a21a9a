#include "sim/VirtualDevice.h"

namespace zsim {

namespace {

constexpr char SOH = 0x01;
constexpr char EOT = 0x04;
constexpr char ENQ = 0x05;
constexpr int kMaxPayload = 1024; // a longer "frame" is noise, not a record

// The reply of a wired device of the type as it leaves the factory: the header, then the user data
// the device model gives the type by default.
QByteArray defaultPi(const tDeviceTypeInfo& info) {
    const char* version = "0101";
    QByteArray userData;
    switch (info.Class) {
    case tDeviceClass::MPD:
        version = "0201";
        userData =
            "49" + QByteArray::number(0x08 | info.ModeCode, 16).rightJustified(2, '0').toUpper() + "00";
        break;
    case tDeviceClass::RelayOutput:
        version = "0102";
        userData = "00";
        break;
    case tDeviceClass::ZonalIndicator:
        version = "0201";
        userData = "0000242424242421C345";
        break;
    case tDeviceClass::CallPoint250:
        userData = "000000";
        break;
    default:
        return {};
    }
    return "PI" + QByteArray::number(info.DeviceCode, 16).rightJustified(2, '0').toUpper() + version +
           "ZENTARA-SIM-0001" + "01" + "01" + userData;
}

QByteArray defaultFactory(const tDeviceTypeInfo& info) {
    return QByteArray("FD2 SW02A0 HW00") + info.HardwareLetter +
           "0 W/O 000000 Date 01/02/09 CC000 SF007 CN Arvel";
}

const char* kDefaultUser = "UD1PT1BT11BT21BT31CO0BP10BP20BP30RF10RF20RF30TM0ID1IC000BV1GP000";
const char kNoise[] = {char(0xFF), char(0x00), 'Z', EOT, char(0x7E)};

} // namespace

bool DeviceTypeFromKeyword(const QString& keyword, DeviceType& type) {
    const tDevType found = ::DeviceTypeFromKeyword(keyword);
    if (found == dt_None) return false;
    type = found;
    return true;
}

QString DeviceKeyword(DeviceType type) {
    return type == dt_None ? QString() : QString::fromLatin1(DeviceTypeInfo(type).Keyword);
}

uint8_t CheckByte(const QByteArray& payload) {
    unsigned sum = 0x01 + 0x04;
    for (char c : payload)
        sum += uchar(c);
    return uint8_t(sum & 0xFF);
}

QByteArray Frame(const QByteArray& payload) {
    return SOH + payload + EOT + char(CheckByte(payload));
}

VirtualDevice::VirtualDevice(DeviceType type) : type_(type) {
    const tDeviceTypeInfo& info = DeviceTypeInfo(type);
    pi_ = defaultPi(info);
    if (IsTransmitter()) {
        fd_ = defaultFactory(info);
        ud_ = kDefaultUser;
    }
}

QByteArray VirtualDevice::reply(const QByteArray& payload, const DeviceFaults& faults) {
    QByteArray frame = Frame(payload);
    if (faults.badCheck) frame.back() = char(uchar(frame.back()) + 1);
    if (faults.truncate) frame.truncate(frame.size() / 2);
    if (faults.garbage) frame.prepend(kNoise, sizeof kNoise);
    return frame;
}

QByteArray VirtualDevice::Receive(uint8_t byte, const DeviceFaults& faults) {
    const char c = char(byte);
    switch (reception_) {
    case Reception::Idle:
        if (c == SOH) {
            reception_ = Reception::Payload;
            payload_.clear();
            enquiries_ = 0;
        } else if (c == ENQ) {
            if (++enquiries_ == 5) {
                enquiries_ = 0;
                return onEnquiry(faults);
            }
        } else {
            enquiries_ = 0;
            if (c == 'B') awake_ = true;
        }
        return {};
    case Reception::Payload:
        if (c == EOT)
            reception_ = Reception::Check;
        else if (c == SOH)
            payload_.clear();
        else if (payload_.size() < kMaxPayload)
            payload_.append(c);
        else
            reception_ = Reception::Idle;
        return {};
    case Reception::Check:
        reception_ = Reception::Idle;
        // A frame with a wrong check byte is ignored, as the device cannot trust its content.
        if (byte != CheckByte(payload_)) {
            ++framesRejected_;
            return {};
        }
        return onFrame(payload_, faults);
    }
    return {};
}

QByteArray VirtualDevice::onEnquiry(const DeviceFaults& faults) {
    if (!awake_) return {};
    awake_ = false;
    if (faults.noAnswer) return {};
    if (!IsTransmitter()) return reply(pi_, faults);
    return faults.udBeforeFd ? reply(ud_, faults) + reply(fd_, faults)
                             : reply(fd_, faults) + reply(ud_, faults);
}

QByteArray VirtualDevice::onFrame(const QByteArray& payload, const DeviceFaults& faults) {
    if (!awake_) return {};
    awake_ = false;
    const bool factory = payload.startsWith("FD");
    if (IsTransmitter()) {
        if (!factory && !payload.startsWith("UD")) {
            ++framesRejected_;
            return {};
        }
        ++framesAccepted_;
        (factory ? fd_ : ud_) = payload;
        if (faults.noAnswer) return {};
        return reply(kAcknowledge.toByteArray(), faults) + reply(payload, faults);
    }
    if (factory) { // wired devices take no factory data
        ++framesRejected_;
        return {};
    }
    ++framesAccepted_;
    pi_ = pi_.left(kWiredHeaderLength) + payload;
    if (faults.noAnswer) return {};
    return reply(kAcknowledge.toByteArray(), faults);
}

} // namespace zsim
