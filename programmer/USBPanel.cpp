#include "programmer/USBPanel.h"

#include "programmer/AdapterDiagnosis.h"
#include "property/PelError.h"

#include <QScopedValueRollback>
#include <QTimer>
#include <algorithm>
#include <cstring>

namespace {

constexpr std::array<uint32_t, 14> kBaudRates = {300,   600,   1200,  2400,   4800,   9600,   14400,
                                                 19200, 38400, 57600, 115200, 230400, 460800, 921600};

// The error kind (bit of the reported set) and message suffix of a failed status.
int errorKind(FT_STATUS status) {
    switch (status) {
    case 1:
        return 0;
    case 2:
        return 1;
    case 3:
        return 2;
    case 4:
        return 3;
    case 5:
        return 4;
    case 6:
        return 5;
    case 15:
        return 6;
    default:
        return 7;
    }
}

QString errorSuffix(FT_STATUS status) {
    switch (status) {
    case 1:
        return QStringLiteral(" - Invalid Handle...");
    case 2:
        return QStringLiteral(" - Device Not Found...");
    case 3:
        return QStringLiteral(" - Device Not Opened...");
    case 4:
        return QStringLiteral(" - General IO Error...");
    case 5:
        return QStringLiteral(" - Insufficient Resources...");
    case 6:
        return QStringLiteral(" - Invalid Parameter ...");
    case 15:
        return QStringLiteral(" - Unformatted device...");
    default:
        return QStringLiteral(" - Undefined Error ") + QString::number(status);
    }
}

} // namespace

// ---- Descriptor ------------------------------------------------------------------------------

TUSBDescriptor::TUSBDescriptor() {
    record_.VendorId = 0x0403;
    record_.ProductId = 0x6001;
    record_.MaxPower = 44;
    record_.PnP = 1;
    record_.SelfPowered = 0;
    record_.RemoteWakeup = 1;
    record_.USBVersion = 0x0200;
    Repair();
    WriteString(manufacturer_, kManufacturerCapacity, QStringLiteral("FTDI"));
    WriteString(manufacturerId_, kManufacturerIdCapacity, QStringLiteral("FT"));
    WriteString(description_, kDescriptionCapacity, QStringLiteral("USB HS Serial Converter"));
    WriteString(serialNumber_, kSerialNumberCapacity, QStringLiteral("FT000001"));
}

void TUSBDescriptor::Repair() {
    record_.Manufacturer = manufacturer_;
    record_.ManufacturerId = manufacturerId_;
    record_.Description = description_;
    record_.SerialNumber = serialNumber_;
    manufacturer_[kManufacturerCapacity - 1] = 0;
    manufacturerId_[kManufacturerIdCapacity - 1] = 0;
    description_[kDescriptionCapacity - 1] = 0;
    serialNumber_[kSerialNumberCapacity - 1] = 0;
}

QString TUSBDescriptor::ReadString(const char* buffer, int capacity) {
    QString text;
    const int limit = std::min(capacity - 1, 50);
    for (int i = 0; i < limit && buffer[i] != 0; ++i)
        text += QChar(uchar(buffer[i]));
    return text;
}

void TUSBDescriptor::WriteString(char* buffer, int capacity, const QString& text) {
    const int length = std::min(int(text.size()), capacity - 1);
    for (int i = 0; i < length; ++i)
        buffer[i] = char(text.at(i).unicode() & 0xFF);
    std::memset(buffer + length, 0, size_t(capacity - length));
}

// ---- Construction ----------------------------------------------------------------------------

TUSBPanel::TUSBPanel(QObject* owner, bool startTimer) : QObject(owner), ft_(D2XX::AcquireLibrary()) {
    receive_.reserve(readBufferSize_);
    transmit_.reserve(writeBufferSize_);
    ApplyFlowControl();
    SetBaudRate(br__9600);
    timer_ = new QTimer(this);
    timer_->setInterval(tickInterval_);
    connect(timer_, &QTimer::timeout, this, [this] { Guarded([this] { Tick(); }); });
    if (startTimer) timer_->start();
}

TUSBPanel::~TUSBPanel() {
    timer_->stop();
    // Leaving the adapter open would keep it from being opened again until the process ends.
    if (active_) closeHandleQuietly();
    D2XX::ReleaseLibrary();
}

void TUSBPanel::SetTimerEnabled(bool enabled) {
    if (enabled)
        timer_->start(tickInterval_);
    else
        timer_->stop();
}

bool TUSBPanel::TimerEnabled() const {
    return timer_->isActive();
}

// ---- Descriptor properties -------------------------------------------------------------------

const FT_DESCRIPTOR& TUSBPanel::shownDescriptor() const {
    return active_ ? ReadDescriptor_.Record() : ProgramDescriptor_.Record();
}

void TUSBPanel::setHex16(uint16_t& field, const QString& hex) {
    // Parsed like "$" + text by the strict integer conversion, which raises its own error.
    field = uint16_t(StrToInt(QStringLiteral("$") + hex) & 0xFFFF);
}

static QString hex4(uint16_t value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

QString TUSBPanel::VendorID() const {
    return hex4(shownDescriptor().VendorId);
}
void TUSBPanel::SetVendorID(const QString& hex) {
    setHex16(ProgramDescriptor_.Record().VendorId, hex);
}
QString TUSBPanel::ProductID() const {
    return hex4(shownDescriptor().ProductId);
}
void TUSBPanel::SetProductID(const QString& hex) {
    setHex16(ProgramDescriptor_.Record().ProductId, hex);
}
QString TUSBPanel::USBVersion() const {
    return hex4(shownDescriptor().USBVersion);
}
void TUSBPanel::SetUSBVersion(const QString& hex) {
    setHex16(ProgramDescriptor_.Record().USBVersion, hex);
}

QString TUSBPanel::Manufacturer() const {
    return TUSBDescriptor::ReadString(shownDescriptor().Manufacturer, kManufacturerCapacity);
}
void TUSBPanel::SetManufacturer(const QString& text) {
    TUSBDescriptor::WriteString(ProgramDescriptor_.Record().Manufacturer, kManufacturerCapacity, text);
}
QString TUSBPanel::ManufacturerID() const {
    return TUSBDescriptor::ReadString(shownDescriptor().ManufacturerId, kManufacturerIdCapacity);
}
void TUSBPanel::SetManufacturerID(const QString& text) {
    TUSBDescriptor::WriteString(ProgramDescriptor_.Record().ManufacturerId, kManufacturerIdCapacity, text);
}
QString TUSBPanel::Description() const {
    return TUSBDescriptor::ReadString(shownDescriptor().Description, kDescriptionCapacity);
}
void TUSBPanel::SetDescription(const QString& text) {
    TUSBDescriptor::WriteString(ProgramDescriptor_.Record().Description, kDescriptionCapacity, text);
}
QString TUSBPanel::SerialNo() const {
    return TUSBDescriptor::ReadString(shownDescriptor().SerialNumber, kSerialNumberCapacity);
}
void TUSBPanel::SetSerialNo(const QString& text) {
    TUSBDescriptor::WriteString(ProgramDescriptor_.Record().SerialNumber, kSerialNumberCapacity, text);
}

uint16_t TUSBPanel::MaxPower() const {
    return shownDescriptor().MaxPower;
}
void TUSBPanel::SetMaxPower(int milliamps) {
    if (milliamps < 1 || milliamps > 500)
        throw EZcfgError(QStringLiteral("USB Max power must lie in range 1-500"));
    ProgramDescriptor_.Record().MaxPower = uint16_t(milliamps);
}

tPnP TUSBPanel::PnP() const {
    return shownDescriptor().PnP ? PnP_enabled : PnP_disabled;
}
void TUSBPanel::SetPnP(tPnP value) {
    ProgramDescriptor_.Record().PnP = value == PnP_enabled;
}
tSelfPowered TUSBPanel::SelfPowered() const {
    return shownDescriptor().SelfPowered ? spSelfPowered : spBusPowered;
}
void TUSBPanel::SetSelfPowered(tSelfPowered value) {
    ProgramDescriptor_.Record().SelfPowered = value == spSelfPowered;
}
tRemoteWakeUp TUSBPanel::RemoteWakeup() const {
    return shownDescriptor().RemoteWakeup ? rwuCapable : rwuNotCapable;
}
void TUSBPanel::SetRemoteWakeup(tRemoteWakeUp value) {
    ProgramDescriptor_.Record().RemoteWakeup = value == rwuCapable;
}

// ---- Line settings ---------------------------------------------------------------------------

TFTBaudRate TUSBPanel::BaudRate() const {
    const auto it = std::find(kBaudRates.begin(), kBaudRates.end(), baudRate_);
    return it == kBaudRates.end() ? br__9600 : TFTBaudRate(it - kBaudRates.begin());
}

void TUSBPanel::SetBaudRate(TFTBaudRate rate) {
    if (rate < br___300 || rate > br921600) return;
    baudRate_ = kBaudRates[size_t(rate)];
    ApplyBaudRate();
}

void TUSBPanel::SetDataBits(TDataLength bits) {
    if (bits != dl7Bits && bits != dl8Bits) return;
    const uint8_t length = bits == dl7Bits ? 7 : 8;
    if (length == wordLength_) return;
    wordLength_ = length;
    ApplyDataCharacteristics();
}

void TUSBPanel::SetStopBits(TStopBits bits) {
    if (bits != sb1Bit && bits != sb2Bits) return;
    const uint8_t code = bits == sb2Bits ? 2 : 0;
    if (code == stopBits_) return;
    stopBits_ = code;
    ApplyDataCharacteristics();
}

void TUSBPanel::SetParity(TParity parity) {
    if (parity < pNone || parity > pSpace || uint8_t(parity) == parity_) return;
    parity_ = uint8_t(parity);
    try {
        ApplyDataCharacteristics();
    } catch (...) {
        throw EZcfgError(QStringLiteral("Unable to set USB parity"));
    }
}

TFlowControl TUSBPanel::FlowControl() const {
    switch (flowControl_) {
    case fcNone:
    case fcRTS_CTS:
    case fcDTR_DSR:
    case fcXON_XOFF:
        return TFlowControl(flowControl_);
    default:
        throw EZcfgError(QStringLiteral("Illegal Flow control setting."));
    }
}

void TUSBPanel::SetFlowControl(TFlowControl flow) {
    if (uint16_t(flow) == flowControl_) return;
    flowControl_ = uint16_t(flow);
    ApplyFlowControl();
}

void TUSBPanel::SetXON(uint8_t value) {
    if (value == xon_) return;
    xon_ = value;
    if (flowControl_ == fcXON_XOFF) ApplyFlowControl();
}

void TUSBPanel::SetXOFF(uint8_t value) {
    if (value == xoff_) return;
    xoff_ = value;
    if (flowControl_ == fcXON_XOFF) ApplyFlowControl();
}

// A rate the adapter refused is reported like any failed setting: the device would not understand
// a single byte at another speed, and every transfer would end with a time-out instead.
void TUSBPanel::ApplyBaudRate() {
    if (active_ && ft_.FT_SetBaudRate)
        CheckStatus(QStringLiteral("Setting Baud Rate"), ft_.FT_SetBaudRate(handle_, baudRate_));
}

void TUSBPanel::ApplyDataCharacteristics() {
    if (active_ && ft_.FT_SetDataCharacteristics)
        CheckStatus(QStringLiteral("Setting Data Characteristics"),
                    ft_.FT_SetDataCharacteristics(handle_, wordLength_, stopBits_, parity_));
}

void TUSBPanel::ApplyFlowControl() {
    if (active_ && ft_.FT_SetFlowControl)
        CheckStatus(QStringLiteral("writing flow control"),
                    ft_.FT_SetFlowControl(handle_, flowControl_, xon_, xoff_));
}

// ---- Buffers and timing settings -------------------------------------------------------------

void TUSBPanel::SetWriteBufferSize(int size) {
    writeBufferSize_ = std::max(size, 1);
    transmit_.clear();
    transmit_.reserve(writeBufferSize_);
}

void TUSBPanel::SetReadBufferSize(int size) {
    readBufferSize_ = std::max(size, 0);
    // Bytes already gathered are kept as far as they fit; the rest is dropped.
    if (receive_.size() > readBufferSize_) receive_.truncate(readBufferSize_);
}

void TUSBPanel::SetTimeOut(int ticks) {
    timeOut_ = ticks;
    if (timeOutCountdown_ > ticks) timeOutCountdown_ = std::max(ticks, 0);
}

void TUSBPanel::SetTickInterval(int milliseconds) {
    tickInterval_ = std::max(milliseconds, 1);
    timer_->setInterval(tickInterval_);
}

void TUSBPanel::SetAutoOpen(bool on) {
    autoOpen_ = on;
    if (!on) autoProgram_ = false;
}

void TUSBPanel::SetAutoProgram(bool on) {
    autoProgram_ = on;
    if (!on) return;
    autoOpen_ = true;
    try {
        Open();
    } catch (...) {
    }
}

// ---- Status pictures -------------------------------------------------------------------------

void TUSBPanel::setImage(IIndicatorImage* image, int index) {
    if (image) image->SetImageIndex(index);
}

void TUSBPanel::SetOpenImage(IIndicatorImage* image) {
    openImage_ = image;
    if (!active_) setImage(openImage_, 0);
}

void TUSBPanel::SetSendBufferImage(IIndicatorImage* image) {
    sendImage_ = image;
    setImage(sendImage_, 0);
}

void TUSBPanel::SetRcvBufferImage(IIndicatorImage* image) {
    rcvImage_ = image;
    setImage(rcvImage_, 5);
}

void TUSBPanel::UpdateOpenImage() {
    setImage(openImage_, active_ ? 1 : 0);
}

void TUSBPanel::fire(const tNotifyEvent& event) {
    if (event) event(this);
}

// ---- Errors ----------------------------------------------------------------------------------

void TUSBPanel::reportStyled(const QString& message) {
    switch (errorStyle_) {
    case esThrowErrors:
        throw EZcfgError(message);
    case esPopUpErrors:
        ShowError(message);
        break;
    case esHideErrors:
        break;
    }
}

bool TUSBPanel::CheckStatus(const QString& context, FT_STATUS status) {
    if (status == FT_OK) return true;
    const uint8_t kindBit = uint8_t(1u << errorKind(status));
    QString message;
    bool handled = true;
    if (!(reportedErrors_ & kindBit)) {
        reportedErrors_ |= kindBit;
        message = QStringLiteral("Error ") + context + errorSuffix(status);
        handled = false;
    }
    if (onErr_) onErr_(this, status, message, handled);
    if (!handled) reportStyled(message);
    return false;
}

// ---- Open and close --------------------------------------------------------------------------

void TUSBPanel::SetActive(bool active) {
    if (active == active_) return;
    if (active)
        Open();
    else
        Close();
}

void TUSBPanel::Open() {
    reportedErrors_ = 0;
    if (active_) Close();
    {
        // Restored on every way out, so a raised error cannot leave an open marked as running.
        const QScopedValueRollback<bool> opening(opening_, true);
        if (openMethod_ == omByDevice)
            OpenByDevice();
        else
            OpenByID();
    }
    if (active_) fire(onOpen_);
}

void TUSBPanel::Close() {
    if (!active_) return;
    closeHandleQuietly();
    UpdateOpenImage();
    fire(onClose_);
}

void TUSBPanel::closeHandleQuietly() {
    if (ft_.FT_Close) ft_.FT_Close(handle_);
    handle_ = nullptr;
    answeredHandle_ = nullptr;
    active_ = false;
}

void TUSBPanel::OpenByDevice() {
    if (!ft_.FT_Open) {
        UpdateOpenImage();
        return;
    }
    bool opened = false;
    try {
        const FT_STATUS status = ft_.FT_Open(deviceNo_, &handle_);
        if (CheckStatus(QStringLiteral("Opening USB"), status)) {
            opened = true;
            active_ = true;
            ApplyBaudRate();
            ApplyDataCharacteristics();
        }
        UpdateOpenImage();
    } catch (...) {
        // The adapter was opened but could not be set up: release it rather than leak the handle.
        if (opened) closeHandleQuietly();
        active_ = false;
        UpdateOpenImage();
        throw;
    }
}

void TUSBPanel::OpenByID() {
    UpdateDeviceCount(CountDevices());
    if (ft_.FT_Open) {
        for (int i = 0; i < deviceCount_; ++i) {
            try {
                if (tryOpenIndex(i)) return;
            } catch (...) {
                // An adapter opened during the failed try is closed before the next index.
                if (handle_) closeHandleQuietly();
            }
        }
    }
    active_ = false;
    UpdateOpenImage();
    reportStyled(QStringLiteral("Error opening by ID"));
}

// Opens index i and keeps it when its descriptor is the one configured.
bool TUSBPanel::tryOpenIndex(int index) {
    handle_ = nullptr;
    answeredHandle_ = nullptr;
    candidateIndex_ = index;
    FT_STATUS status = ft_.FT_Open(index, &handle_);
    if ((status == FT_EEPROM_NOT_PROGRAMMED || status == FT_INVALID_HANDLE) && autoProgram_) {
        fire(onBlankEEPROM_);
        if (ft_.FT_EE_Program && blankAdapterConfirmed()) {
            status = ft_.FT_EE_Program(handle_, &ProgramDescriptor_.Record());
            fire(onProgram_);
        }
    }
    const FT_DESCRIPTOR& wanted = ProgramDescriptor_.Record();
    const FT_DESCRIPTOR& found = ReadDescriptor_.Record();
    const bool matches = CheckStatus(QStringLiteral("Opening USB"), status) && ReadEEPROM() &&
                         wanted.VendorId == found.VendorId && wanted.ProductId == found.ProductId &&
                         (openMethod_ == omByID || std::strcmp(wanted.SerialNumber, found.SerialNumber) == 0);
    if (!matches) {
        if (ft_.FT_Close && handle_) ft_.FT_Close(handle_);
        handle_ = nullptr;
        answeredHandle_ = nullptr;
        return false;
    }
    active_ = true;
    deviceNo_ = index;
    try {
        ApplyBaudRate();
        ApplyDataCharacteristics();
    } catch (...) {
        // Opened but not set up: released rather than left open at the wrong speed.
        closeHandleQuietly();
        UpdateOpenImage();
        throw;
    }
    UpdateOpenImage();
    return true;
}

// ---- Device count and presence ---------------------------------------------------------------

int TUSBPanel::CountDevices() {
    if (!ft_.FT_ListDevices) return 0;
    uint32_t count = 0;
    const FT_STATUS status = ft_.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
    if (!CheckStatus(QStringLiteral("Getting USB Device Count"), status)) return 0;
    return int(std::min<uint32_t>(count, 1u << 16));
}

void TUSBPanel::UpdateDeviceCount(int count) {
    if (count == deviceCount_) return;
    const bool rose = count > deviceCount_;
    deviceCount_ = count;
    if (rose) {
        // During an open already in progress the new count only widens the scan.
        if (autoOpen_ && !opening_) {
            try {
                Open();
            } catch (...) {
            }
        }
    } else if (count == 0) {
        Close();
    } else {
        CheckPresence();
    }
}

void TUSBPanel::CheckPresence() {
    if (!active_ || !ft_.FT_EE_Read) return;
    const FT_STATUS status = ft_.FT_EE_Read(handle_, &ReadDescriptor_.Record());
    ReadDescriptor_.Repair();
    if (status != FT_OK) Close();
}

// ---- EEPROM ----------------------------------------------------------------------------------

bool TUSBPanel::ReadEEPROM() {
    if (!ft_.FT_EE_Read) return false;
    FT_STATUS status = ft_.FT_EE_Read(handle_, &ReadDescriptor_.Record());
    ReadDescriptor_.Repair();
    if (status == FT_EEPROM_NOT_PROGRAMMED && autoProgram_ && blankAdapterConfirmed() && ProgramEEPROM()) {
        status = ft_.FT_EE_Read(handle_, &ReadDescriptor_.Record());
        ReadDescriptor_.Repair();
    }
    return CheckStatus(QStringLiteral("reading USB device EEPROM"), status);
}

// The user is told which blank adapter would be programmed and decides: a stranger's FTDI chip must
// never be made an adapter behind their back. Asked once per handle; a question already open answers
// no.
bool TUSBPanel::blankAdapterConfirmed() {
    if (handle_ != nullptr && answeredHandle_ == handle_) return blankAnswer_;
    if (!onConfirmBlankAdapter_ || confirming_) return false;
    const QScopedValueRollback<bool> confirming(confirming_, true);
    const FT_HANDLE asked = handle_;
    const bool yes =
        onConfirmBlankAdapter_(this, DescribeAdapter(ft_, opening_ ? candidateIndex_ : deviceNo_));
    // The question may run an event loop in which the link closed: that adapter is not written.
    if (handle_ != asked) return false;
    answeredHandle_ = asked;
    blankAnswer_ = yes;
    return yes;
}

bool TUSBPanel::ProgramEEPROM() {
    if (!ft_.FT_EE_Program) return false;
    return CheckStatus(QStringLiteral("programming USB device"),
                       ft_.FT_EE_Program(handle_, &ProgramDescriptor_.Record()));
}

// ---- Sending ---------------------------------------------------------------------------------

void TUSBPanel::DiscardPendingText() {
    transmit_.clear();
    sendDelay_ = 0;
}

// Text for a closed link is dropped, never held: it would otherwise go out, out of its context, the
// next time the link opens.
void TUSBPanel::WriteText(const QString& text) {
    if (!active_) return;
    if (onSetText_) onSetText_(this, text);
    if (ft_.FT_Write) {
        // The buffer grows to hold the whole text, so nothing is ever dropped; it is written out
        // in pieces of at most WriteBufferSize bytes.
        for (QChar c : text)
            transmit_.append(char(c.unicode() & 0xFF));
        timeOutCountdown_ = timeOut_;
        if (sendDelay_ <= 0) sendTransmitBuffer();
    }
    setImage(sendImage_, 1);
    sendLightHold_ = 3;
}

void TUSBPanel::sendTransmitBuffer() {
    while (!transmit_.isEmpty() && ft_.FT_Write) {
        const int piece = std::min<int>(int(transmit_.size()), std::max(writeBufferSize_, 1));
        uint32_t written = 0;
        const FT_STATUS status = ft_.FT_Write(handle_, transmit_.data(), uint32_t(piece), &written);
        // A report that raises leaves the unsent bytes for the next tick.
        if (!CheckStatus(QStringLiteral("writing to USB port"), status)) {
            transmit_.clear();
            return;
        }
        transmit_.remove(0, piece);
    }
}

// ---- Tick and receiving ----------------------------------------------------------------------

void TUSBPanel::Tick() {
    UpdateDeviceCount(CountDevices());
    if (active_) {
        if (sendDelay_ > 0) {
            --sendDelay_;
        } else {
            if (!transmit_.isEmpty()) sendTransmitBuffer();
            PollReceive();
            if (sendLightHold_ == 0)
                setImage(sendImage_, 0);
            else
                --sendLightHold_;
        }
    }
    if (timeOutCountdown_ > 0 && --timeOutCountdown_ == 0) {
        fire(onTimeOut_);
        setImage(rcvImage_, 3);
    }
}

void TUSBPanel::PollReceive() {
    setImage(sendImage_, 2);
    // While the user is asked about a blank adapter, ticks from the question's event loop wait.
    if (!ft_.FT_GetQueueStatus || confirming_) return;
    // The adapter's identity is examined before every poll; a driver without the entry point has
    // no status to examine, and receiving goes on.
    if (ft_.FT_EE_Read) {
        FT_STATUS status = ft_.FT_EE_Read(handle_, &ReadDescriptor_.Record());
        ReadDescriptor_.Repair();
        if (status == FT_EEPROM_NOT_PROGRAMMED && autoProgram_) {
            fire(onBlankEEPROM_);
            if (ft_.FT_EE_Program && blankAdapterConfirmed()) {
                if (ProgramEEPROM()) status = ft_.FT_EE_Program(handle_, &ProgramDescriptor_.Record());
                fire(onProgram_);
            }
        }
        // An adapter the driver has lost is closed before the failure is reported, so that Connect
        // opens it afresh.
        if (status != FT_OK && status != FT_EEPROM_NOT_PROGRAMMED) Close();
        if (!CheckStatus(QStringLiteral("Reading from USB Port"), status)) return;
    }

    const QString context = QStringLiteral("Reading from USB Port");
    uint32_t waiting = 0;
    if (!CheckStatus(context, ft_.FT_GetQueueStatus(handle_, &waiting))) waiting = 0;
    if (waiting > 0) {
        setImage(rcvImage_, 1);
        receiveLightHold_ = 3;
    } else if (receiveLightHold_ > 0) {
        --receiveLightHold_;
    } else {
        setImage(rcvImage_, 0);
    }
    // A handler may close the link while bytes are delivered; draining stops then.
    while (waiting > 0 && active_ && ft_.FT_Read) {
        setImage(rcvImage_, 1);
        uint8_t byte = 0;
        uint32_t returned = 0;
        if (!CheckStatus(context, ft_.FT_Read(handle_, &byte, 1, &returned))) return;
        // Only a byte that arrived restarts the time-out: an adapter whose reads keep failing
        // must still let the waiting transfer end.
        timeOutCountdown_ = timeOut_;
        if (receive_.size() < readBufferSize_) receive_.append(char(byte));
        if (onChar_) onChar_(this, byte);
        if (!active_ || !CheckStatus(context, ft_.FT_GetQueueStatus(handle_, &waiting))) return;
    }
}

QString TUSBPanel::ReadText() {
    QString text;
    text.reserve(receive_.size());
    for (char c : receive_)
        text += QChar(uchar(c));
    receive_.clear();
    if (onGetText_) onGetText_(this, text);
    return text;
}
