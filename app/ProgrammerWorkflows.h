#pragma once
// The window's side of reading, programming and factory programming: it makes sure the programmer
// link is open, starts the document's transfer, and keeps the "Connect" caption and the self-test
// result displays current. The transfers themselves, their checks and their messages belong to the
// document; what the window does while one runs is TTransferCoordinator's.

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QAbstractButton;
class QLineEdit;
class TPelImage;
class TUSBPanel;
class tZCfgFile;
struct tTransferOutcome;

class TProgrammerWorkflows {
public:
    // One self-test result display: a picture (0 no result, 1 programmer found, 2 passed) and a text.
    struct ResultDisplay {
        TPelImage* picture = nullptr;
        QLineEdit* text = nullptr;
    };
    struct Controls {
        QAbstractButton* connect = nullptr;        // "Connect" / "Disconnect"
        QAbstractButton* autoTestToggle = nullptr; // the latching "Programmer" self-test button
        std::vector<ResultDisplay> results;        // every page's self-test display
    };
    using tTextEvent = std::function<void(const QString& text)>;
    using tByteEvent = std::function<void(uint8_t byte)>;

    static const QString UnableToConnect;
    static const QString ProgrammerFound;
    static const QString Passed;
    static const QString Failed;
    static const QString NotStarted;

    // Installs the link's open, close, character and sent-text handlers. Call it before the document
    // attaches the link, so that the document sees every received byte first and then hands it on.
    TProgrammerWorkflows(TUSBPanel& link, tZCfgFile& document, Controls controls);
    TProgrammerWorkflows(const TProgrammerWorkflows&) = delete;
    TProgrammerWorkflows& operator=(const TProgrammerWorkflows&) = delete;

    // Button and menu handlers. Read, Program and Connect raise "Unable to connect to programmer.
    // Check device is connected and retry" when the link cannot be opened, with a second line that
    // says why and what to do (the adapter diagnosis); callers run them guarded.
    void SpeedButtonReadClick();
    void SpeedButtonProgramClick();
    void SpeedButtonFactoryProgramClick();
    void SpeedButtonProgrammerConnectClick();
    void SpeedButtonAutoTestProgrammerClick();
    // Opens the link for a transfer started elsewhere (Compare, Restore); raises as Read does.
    void OpenLink() { openLink(); }
    // Tools "Read Device Type": reads the attached device into a scratch copy and shows what it is
    // (type, versions, factory data); the document is not changed.
    void ReadDeviceTypeClick();

    // Link events.
    void ProgrammerLinkOpen();
    void ProgrammerLinkClose();
    void ProgrammerLinkChar(uint8_t byte);
    void ProgrammerLinkSetText(const QString& text);

    // Runs first whenever the result form is about to show a result.
    void ResultShown(bool success);
    // Every transfer's end: a self-test that ends any other way than with a result is over too.
    void TransferEnded(const tTransferOutcome& outcome);
    // Shows what "Read Device Type" found (default: an information box).
    void SetOnShowDeviceIdentity(tTextEvent show) { showDeviceIdentity_ = std::move(show); }
    // The device's type, versions and factory data, one "Caption: value" a line.
    static QStringList DeviceIdentityLines(tZCfgFile& device);
    // True from the start of the self-test's read until another transfer is started here: a Read
    // that ends meanwhile is the self-test's (the commissioning log records it as such).
    bool SelfTestReading() const { return selfTestReading_; }
    // How a running transfer is stopped (Disconnect stops it before closing the link).
    void SetOnCancelTransfer(std::function<bool()> cancel) { cancelTransfer_ = std::move(cancel); }

    // Controls on pages created after the workflows. A result display shows the latest result at once.
    void SetAutoTestToggle(QAbstractButton* toggle) { controls_.autoTestToggle = toggle; }
    void AddResultDisplay(ResultDisplay display);

    // Where the traffic goes (the serial monitor): text about to be sent, and each received byte.
    void SetMonitor(tTextEvent transmit, tByteEvent receive);
    // Asks a yes/no question (default: a question box): whether to program a blank adapter.
    void SetAsk(std::function<bool(const QString& question)> ask) { ask_ = std::move(ask); }
    static QString BlankAdapterQuestion(const QString& adapter);

private:
    void openLink();
    void startSelfTestRead();
    [[noreturn]] void unableToConnect();
    void showResult(int picture, const QString& text);
    void releaseAutoTest(int picture, const QString& text);
    static void show(const ResultDisplay& display, int picture, const QString& text);

    TUSBPanel& link_;
    tZCfgFile& document_;
    Controls controls_;
    tTextEvent monitorTransmit_;
    tByteEvent monitorReceive_;
    std::function<bool()> cancelTransfer_;
    tTextEvent showDeviceIdentity_;
    std::function<bool(const QString&)> ask_;
    bool readingDeviceType_ = false; // an identification of Read Device Type's own is running
    bool selfTestReading_ = false;
    int resultPicture_ = -1; // none shown yet
    QString resultText_;
};
