#pragma once
// TUSBPanel: the programmer link. Finds the USB programming adapter among the attached FTDI devices,
// opens it, sets the serial line, sends text, polls received bytes from a timer tick and hands each
// byte to its owner, raises a reply time-out, shows three status pictures, writes the adapter's own
// USB descriptor into its EEPROM, and reports failed driver calls in one of three error styles.
// Everything runs on the GUI thread; there is no worker thread.

#include "programmer/D2XX.h"
#include "property/Controls.h"
#include "property/PelObject.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class QTimer;

enum tErrorStyle { esThrowErrors, esPopUpErrors, esHideErrors };
enum TFTBaudRate {
    br___300,
    br___600,
    br__1200,
    br__2400,
    br__4800,
    br__9600,
    br_14400,
    br_19200,
    br_38400,
    br_57600,
    br115200,
    br230400,
    br460800,
    br921600
};
enum TDataLength { dl7Bits, dl8Bits };
enum TStopBits { sb1Bit, sb2Bits };
enum TParity { pNone, pOdd, pEven, pMark, pSpace };
enum tPnP { PnP_disabled, PnP_enabled };
enum tSelfPowered { spBusPowered, spSelfPowered };
enum tRemoteWakeUp { rwuNotCapable, rwuCapable };
enum TFlowControl : uint16_t { fcNone = 0x0000, fcRTS_CTS = 0x0100, fcDTR_DSR = 0x0200, fcXON_XOFF = 0x0400 };
enum TUSB_OpenMethod { omByDevice, omByID, omBySerialNo };

using TOnChar = std::function<void(tObject* sender, uint8_t iChar)>;
using TOnTimeOut = tNotifyEvent;
using TOnErr = std::function<void(tObject* sender, uint32_t pErrNo, const QString& pErrText, bool& handled)>;
using TOnTextChange = std::function<void(tObject* sender, const QString& pText)>;
using TOnConfirmBlankAdapter = std::function<bool(tObject* sender, const QString& description)>;

// A descriptor record that owns its four string buffers; its pointers always point at them.
class TUSBDescriptor {
public:
    TUSBDescriptor();
    TUSBDescriptor(const TUSBDescriptor&) = delete;
    TUSBDescriptor& operator=(const TUSBDescriptor&) = delete;

    FT_DESCRIPTOR& Record() { return record_; }
    const FT_DESCRIPTOR& Record() const { return record_; }
    // Re-points the strings at the own buffers and terminates each buffer, whatever a driver did.
    void Repair();

    static QString ReadString(const char* buffer, int capacity);
    // Low 8 bits of each character; text longer than the buffer is cut to fit.
    static void WriteString(char* buffer, int capacity, const QString& text);

private:
    FT_DESCRIPTOR record_{};
    char manufacturer_[kManufacturerCapacity] = {};
    char manufacturerId_[kManufacturerIdCapacity] = {};
    char description_[kDescriptionCapacity] = {};
    char serialNumber_[kSerialNumberCapacity] = {};
};

class TUSBPanel : public QObject, public tObject {
    Q_OBJECT
public:
    // startTimer false leaves the tick timer stopped (tests call Tick directly).
    explicit TUSBPanel(QObject* owner = nullptr, bool startTimer = true);
    ~TUSBPanel() override;

    virtual void WriteText(const QString& text);
    virtual QString ReadText();
    virtual void Tick();

    void Open();
    void Close();
    bool Active() const { return active_; }
    void SetActive(bool active);
    int SendDelay() const { return sendDelay_; }
    void SetSendDelay(int ticks) { sendDelay_ = ticks; }

    bool ReadEEPROM();
    bool ProgramEEPROM();
    bool CheckStatus(const QString& context, FT_STATUS status);

    void SetTimerEnabled(bool enabled);
    bool TimerEnabled() const;

    // Descriptor properties: read from the adapter's descriptor while open, else from the configured one.
    QString VendorID() const;
    void SetVendorID(const QString& hex);
    QString ProductID() const;
    void SetProductID(const QString& hex);
    QString Manufacturer() const;
    void SetManufacturer(const QString& text);
    QString ManufacturerID() const;
    void SetManufacturerID(const QString& text);
    QString Description() const;
    void SetDescription(const QString& text);
    QString SerialNo() const;
    void SetSerialNo(const QString& text);
    uint16_t MaxPower() const;
    void SetMaxPower(int milliamps);
    tPnP PnP() const;
    void SetPnP(tPnP value);
    tSelfPowered SelfPowered() const;
    void SetSelfPowered(tSelfPowered value);
    tRemoteWakeUp RemoteWakeup() const;
    void SetRemoteWakeup(tRemoteWakeUp value);
    bool Rev4() const { return flag(&FT_DESCRIPTOR::Rev4); }
    void SetRev4(bool on) { ProgramDescriptor_.Record().Rev4 = on; }
    bool IsoIn() const { return flag(&FT_DESCRIPTOR::IsoIn); }
    void SetIsoIn(bool on) { ProgramDescriptor_.Record().IsoIn = on; }
    bool IsoOut() const { return flag(&FT_DESCRIPTOR::IsoOut); }
    void SetIsoOut(bool on) { ProgramDescriptor_.Record().IsoOut = on; }
    bool PullDownEnable() const { return flag(&FT_DESCRIPTOR::PullDownEnable); }
    void SetPullDownEnable(bool on) { ProgramDescriptor_.Record().PullDownEnable = on; }
    bool SerNumEnable() const { return flag(&FT_DESCRIPTOR::SerNumEnable); }
    void SetSerNumEnable(bool on) { ProgramDescriptor_.Record().SerNumEnable = on; }
    QString USBVersion() const;
    void SetUSBVersion(const QString& hex);

    const FT_DESCRIPTOR& ProgramDescriptor() const { return ProgramDescriptor_.Record(); }
    const FT_DESCRIPTOR& ReadDescriptor() const { return ReadDescriptor_.Record(); }

    // Line and link settings.
    tErrorStyle ErrorStyle() const { return errorStyle_; }
    void SetErrorStyle(tErrorStyle style) { errorStyle_ = style; }
    TFTBaudRate BaudRate() const;
    void SetBaudRate(TFTBaudRate rate);
    uint32_t BaudRateBitsPerSecond() const { return baudRate_; }
    TDataLength DataBits() const { return wordLength_ == 7 ? dl7Bits : dl8Bits; }
    void SetDataBits(TDataLength bits);
    TStopBits StopBits() const { return stopBits_ == 2 ? sb2Bits : sb1Bit; }
    void SetStopBits(TStopBits bits);
    TParity Parity() const { return TParity(parity_); }
    void SetParity(TParity parity);
    TFlowControl FlowControl() const;
    void SetFlowControl(TFlowControl flow);
    uint8_t XON() const { return xon_; }
    void SetXON(uint8_t value);
    uint8_t XOFF() const { return xoff_; }
    void SetXOFF(uint8_t value);
    int WriteBufferSize() const { return writeBufferSize_; }
    void SetWriteBufferSize(int size);
    int ReadBufferSize() const { return readBufferSize_; }
    void SetReadBufferSize(int size);
    int TimeOut() const { return timeOut_; }
    void SetTimeOut(int ticks);
    // Starts the time-out's count again, as a byte written or received would.
    void RestartTimeOut() { timeOutCountdown_ = timeOut_; }
    // Stops the time-out's count: nothing is awaited any more.
    void StopTimeOut() { timeOutCountdown_ = 0; }
    // Drops text not yet sent (held by the send delay): a transfer that ended sends nothing more.
    void DiscardPendingText();
    int TickInterval() const { return tickInterval_; }
    void SetTickInterval(int milliseconds);
    TUSB_OpenMethod OpenMethod() const { return openMethod_; }
    void SetOpenMethod(TUSB_OpenMethod method) { openMethod_ = method; }
    int DeviceNo() const { return deviceNo_; }
    void SetDeviceNo(int index) { deviceNo_ = index < 0 ? 0 : index; }
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool on);
    bool AutoProgram() const { return autoProgram_; }
    void SetAutoProgram(bool on);

    // Status pictures (not owned).
    IIndicatorImage* OpenImage() const { return openImage_; }
    void SetOpenImage(IIndicatorImage* image);
    IIndicatorImage* SendBufferImage() const { return sendImage_; }
    void SetSendBufferImage(IIndicatorImage* image);
    IIndicatorImage* RcvBufferImage() const { return rcvImage_; }
    void SetRcvBufferImage(IIndicatorImage* image);

    // Events.
    TOnChar OnChar() const { return onChar_; }
    void SetOnChar(TOnChar handler) { onChar_ = std::move(handler); }
    TOnTimeOut OnTimeOut() const { return onTimeOut_; }
    void SetOnTimeOut(TOnTimeOut handler) { onTimeOut_ = std::move(handler); }
    tNotifyEvent OnOpen() const { return onOpen_; }
    void SetOnOpen(tNotifyEvent handler) { onOpen_ = std::move(handler); }
    tNotifyEvent OnClose() const { return onClose_; }
    void SetOnClose(tNotifyEvent handler) { onClose_ = std::move(handler); }
    tNotifyEvent OnBlankEEPROM() const { return onBlankEEPROM_; }
    void SetOnBlankEEPROM(tNotifyEvent handler) { onBlankEEPROM_ = std::move(handler); }
    tNotifyEvent OnProgram() const { return onProgram_; }
    void SetOnProgram(tNotifyEvent handler) { onProgram_ = std::move(handler); }
    TOnErr OnErr() const { return onErr_; }
    void SetOnErr(TOnErr handler) { onErr_ = std::move(handler); }
    TOnTextChange OnSetText() const { return onSetText_; }
    void SetOnSetText(TOnTextChange handler) { onSetText_ = std::move(handler); }
    TOnTextChange OnGetText() const { return onGetText_; }
    void SetOnGetText(TOnTextChange handler) { onGetText_ = std::move(handler); }
    // Asked before a blank adapter is programmed automatically, with the adapter named ("FT232BM at
    // USB 1-3 (0403:6001)"); true lets it be programmed. The answer holds until the adapter is closed.
    // Without a handler nothing is programmed.
    TOnConfirmBlankAdapter OnConfirmBlankAdapter() const { return onConfirmBlankAdapter_; }
    void SetOnConfirmBlankAdapter(TOnConfirmBlankAdapter handler) {
        onConfirmBlankAdapter_ = std::move(handler);
    }

    // Read-only views for diagnostics and tests.
    int DeviceCount() const { return deviceCount_; }
    int TimeOutCountdown() const { return timeOutCountdown_; }
    int PendingSendBytes() const { return int(transmit_.size()); }
    int ReceivedBytes() const { return int(receive_.size()); }

private:
    bool flag(uint8_t FT_DESCRIPTOR::*field) const { return shownDescriptor().*field != 0; }
    const FT_DESCRIPTOR& shownDescriptor() const;
    static void setHex16(uint16_t& field, const QString& hex);

    int CountDevices();
    void UpdateDeviceCount(int count);
    void CheckPresence();
    void OpenByDevice();
    void OpenByID();
    bool tryOpenIndex(int index);
    void closeHandleQuietly();
    void PollReceive();
    void sendTransmitBuffer();
    void ApplyBaudRate();
    void ApplyDataCharacteristics();
    void ApplyFlowControl();
    void UpdateOpenImage();
    void reportStyled(const QString& message);
    void setImage(IIndicatorImage* image, int index);
    void fire(const tNotifyEvent& event);
    bool blankAdapterConfirmed();

    const D2XXEntryPoints& ft_;
    QTimer* timer_ = nullptr;
    FT_HANDLE handle_ = nullptr;
    bool active_ = false;
    bool opening_ = false;
    int deviceCount_ = 0;
    uint8_t reportedErrors_ = 0;
    int sendDelay_ = 0;

    QByteArray receive_;
    QByteArray transmit_;
    int readBufferSize_ = 2048;
    int writeBufferSize_ = 2048;

    uint32_t baudRate_ = 9600;
    uint8_t wordLength_ = 8;
    uint8_t stopBits_ = 0;
    uint8_t parity_ = 0;
    uint16_t flowControl_ = fcNone;
    uint8_t xon_ = 17;
    uint8_t xoff_ = 19;

    int sendLightHold_ = 3;
    int receiveLightHold_ = 3;
    int timeOutCountdown_ = 300;
    int timeOut_ = 300;
    int tickInterval_ = 10;

    tErrorStyle errorStyle_ = esThrowErrors;
    TUSB_OpenMethod openMethod_ = omBySerialNo;
    int deviceNo_ = 0;
    bool autoOpen_ = false;
    bool autoProgram_ = false;

    TUSBDescriptor ProgramDescriptor_;
    TUSBDescriptor ReadDescriptor_;

    IIndicatorImage* openImage_ = nullptr;
    IIndicatorImage* sendImage_ = nullptr;
    IIndicatorImage* rcvImage_ = nullptr;

    TOnChar onChar_;
    TOnTimeOut onTimeOut_;
    tNotifyEvent onOpen_;
    tNotifyEvent onClose_;
    tNotifyEvent onBlankEEPROM_;
    tNotifyEvent onProgram_;
    TOnErr onErr_;
    TOnTextChange onSetText_;
    TOnTextChange onGetText_;

    // The blank adapter confirmation: the index being tried, and the answer given for a handle.
    TOnConfirmBlankAdapter onConfirmBlankAdapter_;
    int candidateIndex_ = 0;
    FT_HANDLE answeredHandle_ = nullptr;
    bool blankAnswer_ = false;
    bool confirming_ = false;
};
