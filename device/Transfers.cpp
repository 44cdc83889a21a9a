// The transfers of the configuration document with the attached device: one state machine that
// advances on every complete frame received through the programmer link and ends by a result, an
// error, a cancel, or the link's time-out. Every transfer reports its progress and its outcome.
//
// What a device sends is always taken whole: its records are first applied to a scratch copy of the
// document, and only when they apply without a fault are they applied to the document itself. A
// verification never changes the document: the answer is read into a scratch copy and compared.

#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "programmer/Common.h"
#include "programmer/USBPanel.h"
#include "property/PropertyPaths.h"

#include <QScopeGuard>
#include <QScopedValueRollback>

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
const QString UnexpectedAnswer = QStringLiteral("the device's own record");
} // namespace TransferText

using namespace TransferText;

namespace {
const QString wakeUp = QStringLiteral("B");
const QString readRequest = QString(5, QChar(FrameByte::ENQ));
constexpr int delayTicks = 2;
constexpr int excerptLength = 40;

// A transmitter's user record that cannot be read: shown as a warning, not an error.
class EInvalidUserRecord : public EZcfgError {
public:
    EInvalidUserRecord() : EZcfgError(InvalidData) {}
};

QString excerpt(const QString& text) {
    return text.size() <= excerptLength ? text : text.left(excerptLength) + QStringLiteral("...");
}

// The frame bytes (SOH, payload, EOT, check byte) of a wired record of the class, "PI" header and
// user data; 0 for a class whose records have no fixed length.
int wiredFrameLength(tDeviceClass deviceClass) {
    static std::map<tDeviceClass, int> lengths;
    if (deviceClass == tDeviceClass::IRRF || deviceClass == tDeviceClass::None) return 0;
    auto found = lengths.find(deviceClass);
    if (found != lengths.end()) return found->second;
    int length = 0;
    for (const tDeviceTypeInfo& info : DeviceTypes()) {
        if (info.Class != deviceClass) continue;
        tMessageCapture quiet;
        std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
        doc->SetDeviceType(info.Type);
        const QString userFrame = doc->Device()->ComposeUserFrame();
        constexpr int headerLength = 28; // "PI", code, version, factory string, node, zone
        length = 1 + headerLength + int(userFrame.size()) - 3 + 2;
        break;
    }
    lengths[deviceClass] = length;
    return length;
}
} // namespace

QString TransferKindName(tTransferKind kind) {
    switch (kind) {
    case tTransferKind::Read:
        return QStringLiteral("Read");
    case tTransferKind::Program:
        return QStringLiteral("Program");
    case tTransferKind::FactoryProgram:
        return QStringLiteral("Factory Program");
    case tTransferKind::Compare:
        return QStringLiteral("Compare");
    case tTransferKind::Identify:
        return QStringLiteral("Read Device Type");
    case tTransferKind::None:
        break;
    }
    return QString();
}

QString tTransferProgress::Text() const {
    QString step;
    switch (CurrentStep) {
    case Waking:
        step = QStringLiteral("Waiting for the device");
        break;
    case Identifying:
        step = QStringLiteral("Identifying the device");
        break;
    case Receiving:
        step = QStringLiteral("Receiving the configuration");
        break;
    case SendingFactoryRecord:
        step = QStringLiteral("Sending the factory record");
        break;
    case Sending:
        step = QStringLiteral("Sending the configuration");
        break;
    case Verifying:
        step = QStringLiteral("Verifying");
        break;
    }
    if (Expected > 0) return QStringLiteral("%1: %2 of %3 bytes").arg(step).arg(Received).arg(Expected);
    if (Received > 0) return QStringLiteral("%1: %2 bytes").arg(step).arg(Received);
    return step;
}

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

void tZCfgFile::startTransfer(uint8_t state, tTransferKind kind) {
    // A transfer started while another runs restarts it: what the first still held to send goes.
    if (transferState_ != tsIdle && link_) link_->DiscardPendingText();
    // Whatever a transfer that ended part-way left in the receiver (an unplug inside a frame) is
    // not the start of this one's answer.
    receiver_.Reset();
    queuedFrames_.clear();
    transferState_ = state;
    transferKind_ = kind;
    receivedWiredText_.clear();
    receivedFactoryText_.clear();
    receivedUserText_.clear();
    identifiedFactoryText_.clear();
    identifiedUserText_.clear();
    pending_ = false;
    deviceWritten_ = false;
    takeOverFactory_ = false;
    programmed_.reset();
    lastOutcome_ = tTransferOutcome();
    lastOutcome_.Kind = kind;
    reportProgress(tTransferProgress::Waking);
    SendReadRequest();
}

void tZCfgFile::StartRead() {
    startTransfer(tsReading, tTransferKind::Read);
}
void tZCfgFile::StartProgram() {
    startTransfer(tsProgramIdentify, tTransferKind::Program);
}
void tZCfgFile::StartProgramOf(std::shared_ptr<tZCfgFile> configuration) {
    startTransfer(tsProgramIdentify, tTransferKind::Program);
    programmed_ = std::move(configuration);
    lastOutcome_.Programmed = programmed_;
}
void tZCfgFile::StartFactoryProgram() {
    startTransfer(tsFactoryIdentify, tTransferKind::FactoryProgram);
}
void tZCfgFile::StartCompare() {
    startTransfer(tsScratchRead, tTransferKind::Compare);
}
void tZCfgFile::StartIdentify() {
    startTransfer(tsScratchRead, tTransferKind::Identify);
}

bool tZCfgFile::CancelTransfer() {
    if (transferState_ == tsIdle) return false;
    const bool written = frameWentOut();
    if (link_) {
        link_->DiscardPendingText();
        link_->StopTimeOut();
    }
    receiver_.Reset();
    QString message;
    switch (transferKind_) {
    case tTransferKind::Program:
    case tTransferKind::FactoryProgram:
        message = written ? QStringLiteral("Programming was cancelled after the configuration was sent. The "
                                           "device may hold part of it: program it again.")
                          : QStringLiteral("Programming was cancelled. Nothing was written to the device.");
        break;
    case tTransferKind::Compare:
        message = QStringLiteral("Compare was cancelled.");
        break;
    default:
        message = QStringLiteral("Reading was cancelled. The document is unchanged.");
    }
    lastOutcome_.DeviceWritten = written;
    finish(tTransferOutcome::Cancelled, message);
    return true;
}

// Whether a programming frame has left for the device: one still held by the link's send delay
// never reaches it.
bool tZCfgFile::frameWentOut() const {
    const uint8_t state = transferState_;
    const bool sent = state == tsProgramSent || state == tsFactorySent;
    return deviceWritten_ || state == tsTransmitterVerify || state == tsWiredVerify ||
           state == tsFactorySecondAnswer || (sent && !(link_ && link_->PendingSendBytes() > 0));
}

void tZCfgFile::SendReadRequest() {
    if (!link_) return;
    link_->WriteText(wakeUp);
    link_->SetSendDelay(delayTicks);
    link_->WriteText(readRequest);
}

tZCfgFile& tZCfgFile::programmed() {
    return programmed_ ? *programmed_ : *this;
}

void tZCfgFile::SendUserFrame() {
    tConfiguratorDevice* device = programmed().device_;
    if (!link_ || !device) return;
    const QString frame = device->ComposeUserFrame();
    link_->WriteText(wakeUp);
    link_->SetSendDelay(delayTicks);
    link_->WriteText(frame);
}

void tZCfgFile::SendFactoryFrame() {
    tConfiguratorDevice* device = programmed().device_;
    if (!link_ || !device) return;
    const QString frame = device->ComposeFactoryFrame(); // raises for a wired device
    link_->WriteText(wakeUp);
    link_->SetSendDelay(delayTicks);
    link_->WriteText(frame);
}

void tZCfgFile::LinkChar(tObject* sender, uint8_t byte) {
    const std::optional<tReceivedFrame> frame = receiver_.Feed(byte);
    if (transferState_ != tsIdle) {
        countReceivedByte();
        if (frame) {
            queuedFrames_.push_back(*frame);
            applyQueuedFrames();
        }
    }
    // The saved handler (the serial monitor) sees every byte after the document.
    if (savedOnChar_) savedOnChar_(sender, byte);
}

// Frames are applied one at a time. One that completes while another is being applied (ticks go on
// while a message box is open) waits until that one is done, and then meets the state it left.
void tZCfgFile::applyQueuedFrames() {
    if (applyingFrame_) return;
    const QScopedValueRollback<bool> applying(applyingFrame_, true);
    while (!queuedFrames_.empty()) {
        const tReceivedFrame frame = queuedFrames_.front();
        queuedFrames_.pop_front();
        Guarded([&] { ApplyFrame(frame); });
    }
}

void tZCfgFile::LinkTimeOut(tObject*) {
    if (transferState_ == tsIdle) return;
    if (MessageShowing()) {
        // The box in front is answered first; the transfer still waits, so the time-out runs again
        // and every transfer ends with a result or a message.
        if (link_) link_->RestartTimeOut();
        return;
    }
    const QString message = Translate(CannotFindDevice);
    lastOutcome_.DeviceWritten = frameWentOut();
    finish(tTransferOutcome::TimedOut, message);
    ShowError(message);
}

// ---- Progress and results --------------------------------------------------------------------

void tZCfgFile::reportProgress(tTransferProgress::Step step) {
    progress_ = tTransferProgress();
    progress_.Kind = transferKind_;
    progress_.CurrentStep = step;
    if (onTransferProgress_) onTransferProgress_(progress_);
}

void tZCfgFile::enterState(uint8_t state, tTransferProgress::Step step) {
    transferState_ = state;
    reportProgress(step);
}

void tZCfgFile::countReceivedByte() {
    if (progress_.CurrentStep == tTransferProgress::Waking)
        reportProgress(transferState_ == tsReading || transferState_ == tsScratchRead
                           ? tTransferProgress::Receiving
                           : tTransferProgress::Identifying);
    ++progress_.Received;
    // A wired record's length follows from its device code, the first thing after "PI".
    const QString& payload = receiver_.Payload();
    if (progress_.Expected == 0 && receiver_.CurrentState() == tFrameReceiver::InPayload &&
        payload.size() >= 4 && payload.startsWith(QLatin1String("PI")) && IsHex(payload.mid(2, 2))) {
        const tDevType type = DeviceTypeFromDeviceCode(HexToInt(payload.mid(2, 2)));
        progress_.Expected = wiredFrameLength(DeviceTypeInfo(type).Class);
        // The bytes before this frame's SOH are not part of it.
        if (progress_.Expected > 0) progress_.Received = int(payload.size()) + 1;
    }
    if (onTransferProgress_) onTransferProgress_(progress_);
}

// Every transfer ends here: the outcome is told first, then the window shows what it says.
void tZCfgFile::finish(tTransferOutcome::Status status, const QString& message) {
    transferState_ = tsIdle;
    pending_ = false;
    queuedFrames_.clear();
    lastOutcome_.Kind = transferKind_;
    lastOutcome_.Result = status;
    lastOutcome_.Message = message;
    lastOutcome_.DeviceWritten = lastOutcome_.DeviceWritten || deviceWritten_;
    if (onTransferEnded_) onTransferEnded_(lastOutcome_);
}

void tZCfgFile::fail(const QString& message, bool warning) {
    const QString shown = Translate(message);
    lastOutcome_.Warning = warning;
    finish(tTransferOutcome::Failed, shown);
    warning ? ShowWarning(shown) : ShowError(shown);
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

tZCfgFile::tCollected tZCfgFile::collect(const QString& payload) {
    if (payload.size() < 2) return tCollected::TooShort;
    const QString prefix = payload.left(2);
    const QString rest = payload.mid(2);
    if (prefix == QLatin1String("PI")) {
        receivedWiredText_ = rest;
        receivedFactoryText_.clear();
        receivedUserText_.clear();
        pending_ = false;
        return tCollected::Complete;
    }
    if (prefix == QLatin1String("FD"))
        receivedFactoryText_ = rest;
    else if (prefix == QLatin1String("UD"))
        receivedUserText_ = rest;
    else
        return tCollected::Unrecognised;
    receivedWiredText_.clear();
    // A transmitter sends its two records in either order; the second completes the answer.
    pending_ = receivedFactoryText_.isEmpty() || receivedUserText_.isEmpty();
    return pending_ ? tCollected::Incomplete : tCollected::Complete;
}

tZCfgFile::tDeviceRecords tZCfgFile::collectedRecords() const {
    if (!receivedWiredText_.isEmpty()) return {QStringLiteral("PI") + receivedWiredText_, {}, {}};
    return {{}, receivedFactoryText_, receivedUserText_};
}

void tZCfgFile::ApplyFrame(const tReceivedFrame& frame) {
    const uint8_t state = transferState_;
    if (state == tsIdle) return;
    // A frame whose check byte does not match what came is never applied nor counted as a
    // verification. The first answer after a programming frame is not examined.
    if (!frame.CheckMatches() && state != tsProgramSent && state != tsFactorySent) {
        fail(CorruptData);
        return;
    }
    switch (state) {
    case tsProgramSent:
        deviceWritten_ = true;
        // A transmitter sends its record by itself; a wired device is asked for it.
        if (dynamic_cast<tIRRFDevice*>(programmed().device_)) {
            receivedUserText_.clear();
            enterState(tsTransmitterVerify, tTransferProgress::Verifying);
        } else {
            enterState(tsWiredVerify, tTransferProgress::Verifying);
            SendReadRequest();
        }
        return;
    case tsFactorySent:
        deviceWritten_ = true;
        transferState_ = tsFactorySecondAnswer;
        return;
    default:
        break;
    }
    const tCollected collected = collect(frame.Payload);
    if (collected == tCollected::Incomplete) return;
    if (state == tsFactorySecondAnswer) {
        // The transmitter's second answer to its factory record; its user record goes next.
        receivedUserText_.clear();
        enterState(tsProgramSent, tTransferProgress::Sending);
        sendOrFail([this] { SendUserFrame(); });
        return;
    }
    if (collected == tCollected::TooShort) {
        fail(UnrecognisedRecord);
        return;
    }
    if (collected == tCollected::Unrecognised) {
        if (state == tsTransmitterVerify || state == tsWiredVerify) {
            // An answer that is not the device's own record proves nothing: not verified.
            lastOutcome_.Differences = {{QStringLiteral("Device Record"),
                                         UnexpectedAnswer,
                                         excerpt(frame.Payload),
                                         {},
                                         frame.Payload}};
            transferState_ = tsIdle;
            finish(tTransferOutcome::Failed, Translate(TransferredButErrors));
            if (resultPresenter_) resultPresenter_(lastOutcome_.Message, false);
            return;
        }
        fail(UnrecognisedRecord);
        return;
    }
    switch (state) {
    case tsReading:
        readDevice();
        return;
    case tsScratchRead:
        readScratch();
        return;
    case tsProgramIdentify:
    case tsFactoryIdentify:
        identifyDevice();
        return;
    case tsTransmitterVerify:
    case tsWiredVerify:
        verify();
        return;
    default:
        finish(tTransferOutcome::Failed, QString());
    }
}

// ---- Taking a device's records ------------------------------------------------------------------

// Applies the records as a read takes them: the device type (a new device object where the class
// changes), configuration mode, every value the records carry. Raises the record's fault.
void tZCfgFile::applyRecords(const tDeviceRecords& records) {
    appliedRecords_ = records;
    if (!records.IsTransmitter()) {
        QString rest = records.Wired.mid(2);
        if (rest.size() < 2) return; // no device code: nothing to take
        // A code that is not two hexadecimal digits names no device.
        const int code = IsHex(rest.left(2)) ? HexToInt(rest.left(2)) : 256;
        rest.remove(0, 2);
        const tDevType coded = DeviceTypeFromDeviceCode(code);
        if (coded == dt_None) throw EZcfgError(UnrecognisedDevice);
        if (DeviceTypeInfo(coded).Class == tDeviceClass::MPD) {
            if (!dynamic_cast<tMPD*>(device_)) replaceDevice(coded);
            tMPD* mpd = AsMPD();
            mpd->ParseDeviceData(rest);
            SetDeviceType(DeviceTypeFromModeCode(mpd->GetModeCode()));
            enterConfigurationMode();
            return;
        }
        SetDeviceType(coded);
        enterConfigurationMode();
        AsOtherDevice()->ParseDeviceData(rest);
        return;
    }
    if (!dynamic_cast<tIRRFDevice*>(device_)) replaceDevice(dt_Staff_Transmitter);
    tIRRFDevice* transmitter = AsIRRFDevice();
    transmitter->FactoryRecord()->SetRecordText(records.Factory);
    SetDeviceType(uint8_t(transmitter->TransmitterKind()));
    enterConfigurationMode();
    try {
        transmitter->UserRecord()->SetRecordText(records.User);
    } catch (const EZcfgError&) {
        throw EInvalidUserRecord();
    }
}

// Everything the records change is one undo step.
void tZCfgFile::ProcessRecord(const tDeviceRecords& records) {
    BeginChange(this, ckValue, QString());
    const auto closeBracket = qScopeGuard([this] { EndChange(this, ckValue, QString()); });
    applyRecords(records);
}

std::unique_ptr<tZCfgFile> tZCfgFile::ScratchCopy() {
    tMessageCapture quiet; // the copy's own warnings are the document's, already shown
    std::unique_ptr<tZCfgFile> copy(Create<tZCfgFile>(Name(), nullptr));
    // Writing the lines clears the modified flags, as a save does; the document keeps its own.
    const bool modified = Modified();
    const tLines lines = ToLines();
    if (modified) SetModified(true);
    copy->LoadFromLines(lines);
    copy->SetComboMode(comboMode_);
    copy->appliedRecords_ = appliedRecords_;
    return copy;
}

// The records applied to a copy of the document: the copy when they apply whole, otherwise null
// with the fault. Nothing is shown; the document is not touched.
std::unique_ptr<tZCfgFile> tZCfgFile::readIntoScratch(tZCfgFile& base, const tDeviceRecords& records,
                                                      QString& fault, bool& warning) {
    std::unique_ptr<tZCfgFile> scratch = base.ScratchCopy();
    tMessageCapture quiet;
    try {
        scratch->applyRecords(records);
        return scratch;
    } catch (const EInvalidUserRecord& e) {
        fault = e.Message();
        warning = true;
    } catch (const EZcfgError& e) {
        fault = e.Message();
        warning = false;
    }
    return nullptr;
}

void tZCfgFile::TakeDeviceConfiguration(tZCfgFile& device) {
    QString fault;
    bool warning = false;
    if (!readIntoScratch(*this, device.appliedRecords_, fault, warning)) throw EZcfgError(fault);
    ProcessRecord(device.appliedRecords_);
    SetSaveAsksForName(true);
}

QList<tValueDifference> tZCfgFile::DifferencesFrom(tZCfgFile& device) {
    if (device.GetDeviceType() != GetDeviceType() || !device.device_ || !device_ ||
        device.deviceType_->Value() != deviceType_->Value()) {
        return {{deviceType_->Name(), ShownText(deviceType_), ShownText(device.deviceType_),
                 deviceType_->Value(), device.deviceType_->Value()}};
    }
    return FindValueDifferences(device_, device.device_, device_->Name());
}

// ---- Read ----------------------------------------------------------------------------------------

void tZCfgFile::readDevice() {
    const tDeviceRecords records = collectedRecords();
    QString fault;
    bool warning = false;
    std::shared_ptr<tZCfgFile> read = readIntoScratch(*this, records, fault, warning);
    if (!read) {
        fail(fault, warning);
        return;
    }
    transferState_ = tsIdle; // the exchange is complete; what follows may show messages
    try {
        ProcessRecord(records);
    } catch (const EZcfgError& e) {
        fail(e.Message());
        return;
    }
    lastOutcome_.DeviceConfiguration = std::move(read);
    // The document now holds the device's configuration, not its file's: Save asks for a name.
    SetSaveAsksForName(true);
    const QString shown = Translate(DataTransferred);
    finish(tTransferOutcome::Succeeded, shown);
    if (resultPresenter_) resultPresenter_(shown, true);
}

void tZCfgFile::readScratch() {
    QString fault;
    bool warning = false;
    std::shared_ptr<tZCfgFile> read = readIntoScratch(*this, collectedRecords(), fault, warning);
    if (!read) {
        fail(fault, warning);
        return;
    }
    transferState_ = tsIdle;
    const bool compare = transferKind_ == tTransferKind::Compare;
    if (compare) lastOutcome_.Differences = DifferencesFrom(*read);
    lastOutcome_.DeviceConfiguration = std::move(read);
    // An identification compares nothing: it says what the device is, not what it holds.
    finish(tTransferOutcome::Succeeded, !compare ? QStringLiteral("The device was identified.")
                                        : lastOutcome_.Differences.isEmpty()
                                            ? QStringLiteral("The device holds this configuration.")
                                            : QStringLiteral("The device holds other values."));
}

// ---- Program and factory program ---------------------------------------------------------------

// The device has identified itself before being written. Nothing of the document changes here: the
// device must be of the document's type (and, for a Program, support the document's button
// functions), and what it holds is kept for its backup.
void tZCfgFile::identifyDevice() {
    const bool factory = transferState_ == tsFactoryIdentify;
    const QString& wrongType = factory ? WrongTypeProgramming : WrongTypeConfiguration;
    const tDeviceRecords records = collectedRecords();
    if (!checkIdentity(records, wrongType)) return;
    QString fault;
    bool warning = false;
    tZCfgFile& configuration = programmed();
    std::unique_ptr<tZCfgFile> held = readIntoScratch(configuration, records, fault, warning);
    // A transmitter whose user record cannot be read can still be programmed: the new record
    // replaces it. Any other fault stops the transfer before anything is written.
    if (!held && !(records.IsTransmitter() && warning)) {
        fail(fault);
        return;
    }
    if (held && held->GetDeviceType() != configuration.GetDeviceType() &&
        DeviceTypeInfo(held->GetDeviceType()).Class != DeviceTypeInfo(configuration.GetDeviceType()).Class) {
        fail(wrongType);
        return;
    }
    if (!factory && onDeviceIdentified_) {
        QString refusal;
        if (!onDeviceIdentified_(held.get(), refusal)) {
            fail(refusal);
            return;
        }
    }
    lastOutcome_.DeviceConfiguration = std::move(held);
    identifiedFactoryText_ = receivedFactoryText_;
    identifiedUserText_ = receivedUserText_;
    takeOverFactory_ = !factory && records.IsTransmitter();
    if (factory) {
        enterState(tsFactorySent, tTransferProgress::SendingFactoryRecord);
        sendOrFail([this] { SendFactoryFrame(); });
    } else {
        enterState(tsProgramSent, tTransferProgress::Sending);
        sendOrFail([this] { SendUserFrame(); });
    }
}

// The type checks made before a device is written: the wired device's code, a transmitter's kind
// (the third character of its "HW") and, for a Program, its button functions.
bool tZCfgFile::checkIdentity(const tDeviceRecords& records, const QString& wrongType) {
    const bool program = transferState_ == tsProgramIdentify;
    if (!records.IsTransmitter()) {
        const QString code = records.Wired.mid(2, 2);
        const int number = code.size() == 2 && IsHex(code) ? HexToInt(code) : 256;
        const bool fits = DeviceTypeFromDeviceCode(number) != dt_None &&
                          DeviceTypeInfo(programmed().GetDeviceType()).DeviceCode == number;
        if (!fits) fail(wrongType);
        return fits;
    }
    if (!dynamic_cast<tIRRFDevice*>(programmed().device_)) {
        fail(wrongType);
        return false;
    }
    const QString documentHW = programmed().AsIRRFDevice()->FactoryRecord()->HW()->Value();
    if (receivedFactoryText_.size() < 14 || documentHW.size() < 3 ||
        receivedFactoryText_[13] != documentHW[2]) {
        fail(wrongType);
        return false;
    }
    return !program || CheckTransmitterFunctions();
}

// A Program takes the transmitter's factory record into the document once the device has taken
// the user record, so that it is compared as the device's own; a Program that fails before leaves
// the document's factory record alone.
void tZCfgFile::takeOverFactoryRecord() {
    tZCfgFile& configuration = programmed();
    tIRRFDevice* transmitter = dynamic_cast<tIRRFDevice*>(configuration.device_);
    if (!transmitter) return;
    configuration.BeginChange(&configuration, ckValue, QString());
    const auto closeBracket =
        qScopeGuard([&configuration] { configuration.EndChange(&configuration, ckValue, QString()); });
    transmitter->FactoryRecord()->SetRecordText(identifiedFactoryText_);
    transmitter->UserRecord()->UserRecVer()->SetValueText(identifiedUserText_.left(1));
}

// The device's answer is read into a scratch copy of the document and compared with it; the
// document itself is never changed by what comes back.
void tZCfgFile::verify() {
    const tDeviceRecords records = collectedRecords();
    transferState_ = tsIdle;
    if (takeOverFactory_) {
        try {
            takeOverFactoryRecord();
        } catch (const EZcfgError& e) {
            fail(e.Message());
            return;
        }
    }
    QString fault;
    bool warning = false;
    std::shared_ptr<tZCfgFile> device = readIntoScratch(programmed(), records, fault, warning);
    if (device)
        lastOutcome_.Differences = programmed().DifferencesFrom(*device);
    else
        lastOutcome_.Differences = {{QStringLiteral("Device Record"), UnexpectedAnswer, fault, {}, {}}};
    lastOutcome_.Verified = lastOutcome_.Differences.isEmpty();
    const bool same = lastOutcome_.Verified;
    const QString shown = Translate(same ? TransferredAndVerified : TransferredButErrors);
    finish(same ? tTransferOutcome::Succeeded : tTransferOutcome::Failed, shown);
    if (resultPresenter_) resultPresenter_(shown, same);
}

bool tZCfgFile::CheckTransmitterFunctions() {
    const tIRRFDevice* transmitter = programmed().AsIRRFDevice();
    if (transmitter->TransmitterKind() == tIRRFDevice::Pendant) return CheckButtonFunction(2);
    for (int n = 1; n <= 3; ++n)
        if (!CheckButtonFunction(n)) return false;
    return true;
}

bool tZCfgFile::CheckButtonFunction(int n) {
    tIRRFDevice* transmitter = programmed().AsIRRFDevice();
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
