#pragma once
// The configuration document: the root of the property tree saved as a ".zcf" file, holding the
// configuration of exactly one device, feeding the device-type combo box, and running the transfers
// with the device through the programmer link (read, program and verify, factory program).

#include "device/DeviceEnums.h"
#include "device/Devices.h"
#include "device/Framing.h"
#include "property/PelFile.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class TUSBPanel;

// Recorded when the device object is replaced by one of another class; the text names the retired
// object, kept so that one undo brings the device back with all its values.
constexpr tChangeKind ckDeviceReplaced = tChangeKind(8);

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
    };
    using tDeviceTypeEvent = std::function<void(uint8_t type)>;
    using tComboModeEvent = std::function<void(uint8_t mode)>;
    // (text, success) → the result form's answer.
    using tResultPresenter = std::function<bool(const QString& text, bool success)>;

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

    // Applies one received frame exactly as the current transfer state would.
    void ApplyFrame(const tReceivedFrame& frame);

    // What stops a value from being sent to a device: a value name its enumeration does not know, or
    // an integer that is not one. Empty when the value can be sent.
    static QString ValueProblem(const tPelBaseProperty* node);

    // ---- Property overrides ----
    void Clear() override;
    void Changed(tPelBaseProperty* sender) override;
    bool ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) override;
    void RecordUndo(tPelBaseProperty* sender, tChangeKind kind, const QString& text) override;
    void Undo(tChangeKind kind, const QString& text) override;
    void Redo(tChangeKind kind, const QString& text) override;

private:
    // Device type and object.
    void DeviceTypeChanged();
    bool deviceFits(uint8_t type) const;
    void replaceDevice(uint8_t type);
    void installDevice(std::unique_ptr<tPelBaseProperty> device);
    void applyTypeDetails(uint8_t type);
    void applyTypeDisplay(uint8_t type);
    void swapRetiredDevice(const QString& id, bool undoing);
    void VariantComboChange(tObject* sender);

    // Transfers.
    void startTransfer(uint8_t state);
    bool ProcessRecord(const QString& payload);
    bool processWiredRecord(QString rest);
    bool ApplyTransmitterRecords();
    bool CheckTransmitterFunctions();
    bool CheckButtonFunction(int n);
    bool processInMode(tReferenceMode mode, const QString& payload);
    void sendOrFail(const std::function<void()>& send);
    void afterIdentification(const QString& payload, const QString& wrongType, uint8_t sentState,
                             const std::function<void()>& send);
    void fail(const QString& message);
    void showResult(const QString& text, bool success);
    void finishVerification(bool processed);

    tPelEnum<tDevType>* deviceType_ = nullptr;
    tMemoProperty* comments_ = nullptr;
    tConfiguratorDevice* device_ = nullptr;
    uint8_t comboMode_ = EditMode;
    bool reading_ = false;           // a file is being read into the document
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
    tFrameReceiver receiver_;
    QString receivedFactoryText_;
    QString receivedUserText_;
    bool pending_ = false;
    tResultPresenter resultPresenter_;
};
