// The transfers of the configuration document with the attached device: one state machine that
// advances on every complete frame received through the programmer link and ends by a result, an
// error, or the link's time-out.

#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "programmer/Common.h"
#include "programmer/USBPanel.h"

namespace TransferText {
const QString DataTransferred = QStringLiteral("Data Transferred");
const QString TransferredAndVerified = QStringLiteral("Data Transferred and Verified");
const QString TransferredButErrors = QStringLiteral("Data Transferred but Errors Found");
const QString CannotFindDevice =
    QStringLiteral("Cannot find device. Check it is connected and powered, then retry");
const QString UnrecognisedRecord =
    QStringLiteral("Unrecognised Record. Data retrieval aborted. Please try again");
const QString WrongTypeConfiguration = QStringLiteral(
    "Device attached cannot be programmed with this data (wrong type). Configuration aborted.");
const QString WrongTypeProgramming =
    QStringLiteral("Device attached cannot be programmed with this data (wrong type). Programming aborted.");
const QString UnrecognisedDevice = QStringLiteral("Unrecognised Device");
const QString InvalidData = QStringLiteral("Invalid Data received from device");
const QString CorruptData = QStringLiteral("The data received from the device was corrupt. Please try again");
} // namespace TransferText

using namespace TransferText;

namespace {
const QString wakeUp = QStringLiteral("B");
const QString readRequest = QString(5, QChar(FrameByte::ENQ));
constexpr int delayTicks = 2;

// Before a verifying pass every reference takes the document's value, so that values no record
// carries compare equal and only what the device sent back can differ.
void takeValuesAsReferences(tPelBaseProperty* node) {
    node->SetReference(node->Value());
    if (auto* compound = dynamic_cast<tPelCompoundProperty*>(node))
        for (int i = 0; i < compound->ChildCount(); ++i)
            takeValuesAsReferences(compound->Children().Items(i));
}
} // namespace

// ---- Link --------------------------------------------------------------------------------------

void tZCfgFile::AttachLink(TUSBPanel* link) {
    if (link_ && savedOnChar_) link_->SetOnChar(savedOnChar_);
    if (link_) link_->SetOnTimeOut(nullptr);
    link_ = link;
    savedOnChar_ = nullptr;
    if (!link_) return;
    savedOnChar_ = link_->OnChar();
    link_->SetOnChar([this](tObject* sender, uint8_t byte) { LinkChar(sender, byte); });
    link_->SetOnTimeOut([this](tObject* sender) { LinkTimeOut(sender); });
}

void tZCfgFile::startTransfer(uint8_t state) {
    transferState_ = state;
    receivedFactoryText_.clear();
    receivedUserText_.clear();
    pending_ = false;
    SendReadRequest();
}

void tZCfgFile::StartRead() {
    startTransfer(tsReading);
}
void tZCfgFile::StartProgram() {
    startTransfer(tsProgramIdentify);
}
void tZCfgFile::StartFactoryProgram() {
    startTransfer(tsFactoryIdentify);
}

void tZCfgFile::SendReadRequest() {
    if (!link_) return;
    link_->WriteText(wakeUp);
    link_->SetSendDelay(delayTicks);
    link_->WriteText(readRequest);
}

void tZCfgFile::SendUserFrame() {
    if (!link_ || !device_) return;
    const QString frame = device_->ComposeUserFrame();
    link_->WriteText(wakeUp);
    link_->SetSendDelay(delayTicks);
    link_->WriteText(frame);
}

void tZCfgFile::SendFactoryFrame() {
    if (!link_ || !device_) return;
    const QString frame = device_->ComposeFactoryFrame(); // raises for a wired device
    link_->WriteText(wakeUp);
    link_->SetSendDelay(delayTicks);
    link_->WriteText(frame);
}

void tZCfgFile::LinkChar(tObject* sender, uint8_t byte) {
    // A frame's failures are shown and end the transfer here, so the saved handler (the serial
    // monitor) always sees every byte after the document.
    if (const std::optional<tReceivedFrame> frame = receiver_.Feed(byte))
        Guarded([&] { ApplyFrame(*frame); });
    if (savedOnChar_) savedOnChar_(sender, byte);
}

void tZCfgFile::LinkTimeOut(tObject*) {
    if (transferState_ == tsIdle) return;
    if (MessageShowing()) {
        // The box in front is answered first; the transfer still waits, so the time-out runs again
        // and every transfer ends with a result or a message.
        if (link_) link_->RestartTimeOut();
        return;
    }
    transferState_ = tsIdle;
    ShowError(Translate(CannotFindDevice));
}

// ---- Results -----------------------------------------------------------------------------------

void tZCfgFile::showResult(const QString& text, bool success) {
    const QString shown = Translate(text);
    if (resultPresenter_) resultPresenter_(shown, success);
}

void tZCfgFile::fail(const QString& message) {
    transferState_ = tsIdle;
    ShowError(Translate(message));
}

// ---- The state machine --------------------------------------------------------------------------

// A frame that cannot be composed (a device that takes no factory data, an invalid MPD mode) ends
// the transfer with its message.
void tZCfgFile::sendOrFail(const std::function<void()>& send) {
    try {
        send();
    } catch (const EZcfgError& e) {
        fail(e.Message());
    }
}

// The device has identified itself before being programmed: the record is checked against the
// document (references only), and when the device fits, the next frame goes out.
void tZCfgFile::afterIdentification(const QString& payload, const QString& wrongType, uint8_t sentState,
                                    const std::function<void()>& send) {
    if (!processInMode(rmVerifying, payload) || transferState_ == tsIdle) {
        transferState_ = tsIdle;
        return;
    }
    if (pending_) return;
    if (deviceType_->Reference() != deviceType_->Value()) {
        fail(wrongType);
        return;
    }
    transferState_ = sentState;
    sendOrFail(send);
}

bool tZCfgFile::processInMode(tReferenceMode mode, const QString& payload) {
    // The mode holds for this one pass and is back to normal however the pass ends.
    SetReferenceMode(mode);
    const auto restore = qScopeGuard([this] { SetReferenceMode(rmNormal); });
    return ProcessRecord(payload);
}

void tZCfgFile::finishVerification(bool processed) {
    if (!processed) {
        // The answer could not be taken apart (its message has been shown): not verified.
        showResult(TransferredButErrors, false);
        return;
    }
    const bool same = device_ && device_->IsUnchanged();
    showResult(same ? TransferredAndVerified : TransferredButErrors, same);
}

void tZCfgFile::ApplyFrame(const tReceivedFrame& frame) {
    const uint8_t state = transferState_;
    if (state == tsIdle) return;
    // A frame whose check byte does not match what came is never applied nor counted as a
    // verification. The first answer after a programming frame is not examined.
    if (!frame.CheckMatches() && state != tsProgramSent && state != tsFactorySent) {
        pending_ = false;
        fail(CorruptData);
        return;
    }
    switch (state) {
    case tsReading: {
        const bool processed = processInMode(rmReading, frame.Payload);
        if (pending_ && transferState_ == tsReading) return;
        const bool stillRunning = transferState_ == tsReading;
        transferState_ = tsIdle;
        if (processed && stillRunning) showResult(DataTransferred, true);
        return;
    }
    case tsProgramIdentify:
        afterIdentification(frame.Payload, WrongTypeConfiguration, tsProgramSent,
                            [this] { SendUserFrame(); });
        return;
    case tsProgramSent:
        if (dynamic_cast<tIRRFDevice*>(device_)) {
            transferState_ = tsTransmitterVerify;
        } else {
            transferState_ = tsWiredVerify;
            SendReadRequest();
        }
        return;
    case tsTransmitterVerify:
    case tsWiredVerify: {
        if (device_) takeValuesAsReferences(device_);
        const bool processed = processInMode(rmVerifying, frame.Payload);
        transferState_ = tsIdle;
        finishVerification(processed);
        return;
    }
    case tsFactoryIdentify:
        afterIdentification(frame.Payload, WrongTypeProgramming, tsFactorySent,
                            [this] { SendFactoryFrame(); });
        return;
    case tsFactorySent:
        transferState_ = tsFactorySecondAnswer;
        return;
    case tsFactorySecondAnswer:
        processInMode(rmVerifying, frame.Payload);
        if (transferState_ == tsIdle) return;
        transferState_ = tsProgramSent;
        sendOrFail([this] { SendUserFrame(); });
        return;
    default:
        transferState_ = tsIdle;
    }
}

bool tZCfgFile::ProcessRecord(const QString& payload) {
    BeginChange(this, ckValue, QString());
    const auto closeBracket = qScopeGuard([this] { EndChange(this, ckValue, QString()); });

    bool ok = false;
    try {
        if (payload.size() < 2) {
            fail(UnrecognisedRecord);
            return false;
        }
        const QString prefix = payload.left(2);
        const QString rest = payload.mid(2);
        if (prefix == QLatin1String("PI")) {
            ok = processWiredRecord(rest);
        } else if (prefix == QLatin1String("FD")) {
            receivedFactoryText_ = rest;
            pending_ = true;
            ok = receivedUserText_.isEmpty() ? true : ApplyTransmitterRecords();
        } else if (prefix == QLatin1String("UD")) {
            receivedUserText_ = rest;
            pending_ = true;
            ok = receivedFactoryText_.isEmpty() ? true : ApplyTransmitterRecords();
        } else {
            ok = true;
        }
    } catch (const EZcfgError& e) {
        pending_ = false;
        fail(e.Message());
        return false;
    }
    if (!ok) transferState_ = tsIdle;
    return ok;
}

bool tZCfgFile::processWiredRecord(QString rest) {
    if (rest.size() < 2) return true;
    // A code that is not two hexadecimal digits names no device.
    const int code = IsHex(rest.left(2)) ? HexToInt(rest.left(2)) : 256;
    rest.remove(0, 2);
    const tDevType coded = DeviceTypeFromDeviceCode(code);
    const tDeviceTypeInfo& held = DeviceTypeInfo(GetDeviceType());
    const bool fits = coded != dt_None && held.DeviceCode == code;
    if (transferState_ == tsProgramIdentify && !fits) {
        fail(WrongTypeConfiguration);
        return false;
    }
    if (transferState_ == tsFactoryIdentify && !fits) {
        fail(WrongTypeProgramming);
        return false;
    }
    if (coded == dt_None) {
        fail(UnrecognisedDevice);
        return false;
    }
    if (DeviceTypeInfo(coded).Class == tDeviceClass::MPD) {
        if (!dynamic_cast<tMPD*>(device_)) replaceDevice(coded);
        tMPD* mpd = AsMPD();
        mpd->ParseDeviceData(rest);
        SetDeviceType(DeviceTypeFromModeCode(mpd->GetModeCode()));
        SetComboMode(ConfigurationMode);
        return true;
    }
    SetDeviceType(coded);
    SetComboMode(ConfigurationMode);
    AsOtherDevice()->ParseDeviceData(rest);
    return true;
}

bool tZCfgFile::ApplyTransmitterRecords() {
    pending_ = false;
    const uint8_t state = transferState_;
    if (!dynamic_cast<tIRRFDevice*>(device_)) {
        if (state == tsProgramIdentify || state == tsFactoryIdentify) {
            fail(state == tsProgramIdentify ? WrongTypeConfiguration : WrongTypeProgramming);
            return false;
        }
        replaceDevice(dt_Staff_Transmitter);
    }
    tIRRFDevice* transmitter = AsIRRFDevice();
    if (state == tsProgramIdentify) {
        const QString documentHW = transmitter->FactoryRecord()->HW()->Value();
        if (receivedFactoryText_.size() < 14 || documentHW.size() < 3 ||
            receivedFactoryText_[13] != documentHW[2]) {
            fail(WrongTypeConfiguration);
            return false;
        }
        if (!CheckTransmitterFunctions()) return false;
        SetReferenceMode(rmReading);
        transmitter->FactoryRecord()->SetRecordText(receivedFactoryText_);
        transmitter->UserRecord()->UserRecVer()->SetValueText(receivedUserText_.left(1));
        SetReferenceMode(rmVerifying);
    } else {
        transmitter->FactoryRecord()->SetRecordText(receivedFactoryText_);
    }
    SetDeviceType(uint8_t(transmitter->TransmitterKind()));
    SetComboMode(ConfigurationMode);
    if (state == tsProgramIdentify) return true;
    try {
        transmitter->UserRecord()->SetRecordText(receivedUserText_);
    } catch (const EZcfgError&) {
        transferState_ = tsIdle;
        ShowWarning(Translate(InvalidData));
        return false; // a record that could not be read is never reported as transferred
    }
    return true;
}

bool tZCfgFile::CheckTransmitterFunctions() {
    const tIRRFDevice* transmitter = AsIRRFDevice();
    if (transmitter->TransmitterKind() == tIRRFDevice::Pendant) return CheckButtonFunction(2);
    for (int n = 1; n <= 3; ++n)
        if (!CheckButtonFunction(n)) return false;
    return true;
}

bool tZCfgFile::CheckButtonFunction(int n) {
    tIRRFDevice* transmitter = AsIRRFDevice();
    const int swAt = receivedFactoryText_.indexOf(QStringLiteral("SW"));
    const QString sw = swAt >= 0 ? receivedFactoryText_.mid(swAt + 2, 4) : QString();
    const int type = transmitter->UserRecord()->Button(n)->ButtonType()->AsInteger();
    const bool pendant = transmitter->TransmitterKind() == tIRRFDevice::Pendant;
    auto unsupported = [this](const char* function) {
        fail(QStringLiteral("Device Attached does not support %1 function. Transfer Aborted")
                 .arg(QLatin1String(function)));
        return false;
    };
    if (sw < QLatin1String("02A0")) {
        if (type == irrf_Attendance) return unsupported("Attendance");
        if (pendant && type == irrf_Attack) return unsupported("Attack");
        if (pendant && type == irrf_Emergency) return unsupported("Emergency");
    }
    if (receivedFactoryText_.isEmpty() || receivedFactoryText_[0] < QLatin1Char('2')) return true;
    const int sfAt = receivedFactoryText_.indexOf(QStringLiteral("SF"));
    const int sf = sfAt >= 0 ? HexToInt(receivedFactoryText_.mid(sfAt + 2, 3)) : 0;
    if (type == irrf_Attack && !(sf & 1)) return unsupported("Attack");
    if (type == irrf_Emergency && !(sf & 2)) return unsupported("Emergency");
    if (type == irrf_Attendance && !(sf & 4)) return unsupported("Attendance");
    return true;
}
