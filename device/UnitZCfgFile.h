#pragma once
// The configuration document: the root of the property tree saved as a ".zcf" file, holding the
// configuration of exactly one device, feeding the device-type combo box, and running the transfers
// with the device through the programmer link (read, program and verify, factory program).

#include "device/DeviceEnums.h"
#include "device/Devices.h"
#include "device/Framing.h"
#include "device/TransferTypes.h"
#include "property/PelFile.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>

class TUSBPanel;

// Recorded when the device object is replaced by one of another class; the text names the retired
// object, kept so that one undo brings the device back with all its values.
constexpr tChangeKind ckDeviceReplaced = tChangeKind(8);
// Recorded when a device read switches the device-type list to configuration mode; the text is the
// mode before, so that undoing the read brings the list back as it was.
constexpr tChangeKind ckComboMode = tChangeKind(9);

// The texts the document shows at the end of a transfer and when the device does not answer.
namespace TransferText {
extern const QString DataTransferred;
extern const QString TransferredAndVerified;
extern const QString TransferredButErrors;
extern const QString CannotFindDevice;
extern const QString UnrecognisedRecord;
extern const QString WrongTypeConfiguration;
extern const QString WrongTypeProgramming;
extern const QString UnrecognisedDevice;
extern const QString InvalidData;
extern const QString CorruptData;
extern const QString UnexpectedAnswer;
} // namespace TransferText

class tZCfgFile : public tPelFileProperty {
public:
    enum ComboMode : uint8_t { EditMode = 0, ConfigurationMode = 1 };
    enum TransferStates : uint8_t {
        tsIdle = 0,
        tsReading = 1,
        tsProgramIdentify = 2,
        tsProgramSent = 3,
        tsTransmitterVerify = 4,
        tsWiredVerify = 5,
        tsFactoryIdentify = 6,
        tsFactorySent = 7,
        tsFactorySecondAnswer = 8,
        tsScratchRead = 9, // compare, identify: the device read into a scratch copy
    };
    using tDeviceTypeEvent = std::function<void(uint8_t type)>;
    using tComboModeEvent = std::function<void(uint8_t mode)>;
    // (text, success) → the result form's answer.
    using tResultPresenter = std::function<bool(const QString& text, bool success)>;
    using tProgressEvent = std::function<void(const tTransferProgress& progress)>;
    using tOutcomeEvent = std::function<void(const tTransferOutcome& outcome)>;
    // Told what the device holds before a Program writes it (null: a transmitter whose user record
    // cannot be read); false stops the Program with `refusal`, before anything is written.
    using tIdentifiedEvent = std::function<bool(const tZCfgFile* device, QString& refusal)>;

    tZCfgFile(const QString& name, tPelCompoundProperty* owner);
    ~tZCfgFile() override;

    // ---- Children ----
    tPelEnum<tDevType>* DeviceTypeProperty() const { return deviceType_; }
    tMemoProperty* Comments() const { return comments_; }
    tConfiguratorDevice* Device() const { return device_; }

    // ---- Device type ----
    uint8_t GetDeviceType() const;
    void SetDeviceType(uint8_t type);
    static void DeviceTypeDisplayText(const QString& text, QString& out);
    void SetOnDeviceTypeChanged(tDeviceTypeEvent handler) { onDeviceTypeChanged_ = std::move(handler); }

    // ---- Device-type combo box ----
    void SetDeviceCombo(IComboBox* combo);
    IComboBox* DeviceCombo() const { return deviceCombo_; }
    uint8_t GetComboMode() const { return comboMode_; }
    void SetComboMode(uint8_t mode);
    void SetOnComboModeChanged(tComboModeEvent handler);
    void FillVariantCombo();

    // ---- Typed access to the device object (raises "Invalid class typecast") ----
    tIRRFDevice* AsIRRFDevice() const;
    tMPD* AsMPD() const;
    tCallPoint250* AsCallPoint250() const;
    tRelayOutput* AsRelayOutput() const;
    tZonalIndicator* AsZonalIndicator() const;
    tOtherDevice* AsOtherDevice() const;

    // ---- Transfers ----
    void AttachLink(TUSBPanel* link);
    TUSBPanel* Link() const { return link_; }
    void StartRead();
    void StartProgram();
    void StartFactoryProgram();
    // Programs another configuration (a copy of this document with a value stepped for the next unit,
    // a backup) through this document's link, verified as any Program; the document stays as it is
    // and the transmitter's factory record goes into `configuration`.
    void StartProgramOf(std::shared_ptr<tZCfgFile> configuration);
    // Reads the device into a scratch copy of this document, leaving the document as it is; the
    // outcome holds the copy and, for a compare, the values that differ.
    void StartCompare();
    void StartIdentify();
    // Ends a running transfer at once: nothing more is sent or applied and no time-out follows.
    // False when none was running.
    bool CancelTransfer();
    bool TransferRunning() const { return transferState_ != tsIdle; }
    tTransferKind TransferKind() const { return transferKind_; }
    void SendReadRequest();
    void SendUserFrame();
    void SendFactoryFrame();
    void LinkChar(tObject* sender, uint8_t byte);
    void LinkTimeOut(tObject* sender);
    uint8_t TransferState() const { return transferState_; }
    bool Pending() const { return pending_; }
    const QString& ReceivedFactoryText() const { return receivedFactoryText_; }
    const QString& ReceivedUserText() const { return receivedUserText_; }
    void SetResultPresenter(tResultPresenter presenter) { resultPresenter_ = std::move(presenter); }
    const tResultPresenter& ResultPresenter() const { return resultPresenter_; }
    const tProgressEvent& OnTransferProgress() const { return onTransferProgress_; }
    void SetOnTransferProgress(tProgressEvent handler) { onTransferProgress_ = std::move(handler); }
    void SetOnTransferEnded(tOutcomeEvent handler) { onTransferEnded_ = std::move(handler); }
    void SetOnDeviceIdentified(tIdentifiedEvent handler) { onDeviceIdentified_ = std::move(handler); }
    const tTransferOutcome& LastOutcome() const { return lastOutcome_; }

    // A copy of this document, values and all, that belongs to no window and no link.
    std::unique_ptr<tZCfgFile> ScratchCopy();
    // Takes the device's records, as a read takes them, into this document: one undo step. Used to
    // take what a compare read. Raises the record's fault; nothing is changed then.
    void TakeDeviceConfiguration(tZCfgFile& device);
    // The values the device would change: the device's type, or each value that differs.
    QList<tValueDifference> DifferencesFrom(tZCfgFile& device);

    // Applies one received frame exactly as the current transfer state would.
    void ApplyFrame(const tReceivedFrame& frame);

    // ---- Property overrides ----
    void Clear() override;
    tPelBaseProperty* CreateChild(const QString& name, const QString& key, const QString& value,
                                  const QString& comment, tErrorList* errors, int reserved1,
                                  int reserved2) override;
    bool ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) override;
    void RecordUndo(tPelBaseProperty* sender, tChangeKind kind, const QString& text) override;
    void Undo(tChangeKind kind, const QString& text) override;
    void Redo(tChangeKind kind, const QString& text) override;

private:
    // Device type and object.
    void DeviceTypeChanged();
    bool deviceFits(uint8_t type) const;
    void replaceDevice(uint8_t type);
    void retireDevice();
    void installDevice(std::unique_ptr<tPelBaseProperty> device);
    void placeDevice();
    void applyTypeDetails(uint8_t type);
    void applyTypeDisplay(uint8_t type);
    void swapRetiredDevice(const QString& id, bool undoing);
    void VariantComboChange(tObject* sender);
    void enterConfigurationMode();
    void refreshVariantCombo();

    // Transfers.
    // The records of one answer: a wired device's "PI" record, or a transmitter's "FD" and "UD".
    struct tDeviceRecords {
        QString Wired, Factory, User;
        bool IsTransmitter() const { return Wired.isEmpty(); }
    };
    enum class tCollected : uint8_t { Incomplete, Complete, Unrecognised, TooShort };
    void startTransfer(uint8_t state, tTransferKind kind);
    void applyQueuedFrames();
    tCollected collect(const QString& payload);
    tDeviceRecords collectedRecords() const;
    void ProcessRecord(const tDeviceRecords& records);
    void applyRecords(const tDeviceRecords& records);
    static std::unique_ptr<tZCfgFile> readIntoScratch(tZCfgFile& base, const tDeviceRecords& records,
                                                      QString& fault, bool& warning);
    tZCfgFile& programmed(); // what a Program writes: this document, or the configuration given
    void readDevice();
    void readScratch();
    void identifyDevice();
    bool checkIdentity(const tDeviceRecords& records, const QString& wrongType);
    bool CheckTransmitterFunctions();
    bool CheckButtonFunction(int n);
    void verify();
    void takeOverFactoryRecord();
    void sendOrFail(const std::function<void()>& send);
    void enterState(uint8_t state, tTransferProgress::Step step);
    void reportProgress(tTransferProgress::Step step);
    void countReceivedByte();
    bool frameWentOut() const;
    void fail(const QString& message, bool warning = false);
    void finish(tTransferOutcome::Status status, const QString& message);

    tPelEnum<tDevType>* deviceType_ = nullptr;
    tMemoProperty* comments_ = nullptr;
    tConfiguratorDevice* device_ = nullptr;
    uint8_t comboMode_ = EditMode;
    bool settingDeviceType_ = false; // SetDeviceType is setting the type property
    IComboBox* deviceCombo_ = nullptr;
    tNotifyEvent comboOwnHandler_;
    bool variantHandlerInstalled_ = false;
    tDeviceTypeEvent onDeviceTypeChanged_;
    tComboModeEvent onComboModeChanged_;

    // Device objects retired by a change of class, kept while the undo history may bring them back.
    std::map<QString, std::unique_ptr<tPelBaseProperty>> retiredDevices_;
    quint64 nextRetiredId_ = 1;

    TUSBPanel* link_ = nullptr;
    std::function<void(tObject*, uint8_t)> savedOnChar_;
    uint8_t transferState_ = tsIdle;
    tTransferKind transferKind_ = tTransferKind::None;
    tFrameReceiver receiver_;
    QString receivedWiredText_; // body of the last "PI" payload
    QString receivedFactoryText_;
    QString receivedUserText_;
    bool pending_ = false;
    bool deviceWritten_ = false;    // a programming frame went out in this transfer
    bool takeOverFactory_ = false;  // a Program takes the transmitter's factory record once verified
    QString identifiedFactoryText_; // the transmitter's records as it identified itself
    QString identifiedUserText_;
    tDeviceRecords appliedRecords_;         // the device records this document last took
    std::shared_ptr<tZCfgFile> programmed_; // programmed instead of this document, when given
    // Frames that complete while one is being applied (a message box is open) wait their turn.
    std::deque<tReceivedFrame> queuedFrames_;
    bool applyingFrame_ = false;
    tTransferProgress progress_;
    tResultPresenter resultPresenter_;
    tProgressEvent onTransferProgress_;
    tOutcomeEvent onTransferEnded_;
    tIdentifiedEvent onDeviceIdentified_;
    tTransferOutcome lastOutcome_;
};
