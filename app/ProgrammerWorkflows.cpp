#include "app/ProgrammerWorkflows.h"

#include "app/PelImage.h"
#include "device/TransferTypes.h"
#include "device/UnitZCfgFile.h"
#include "programmer/AdapterDiagnosis.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"
#include "property/PropertyPaths.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <utility>

const QString TProgrammerWorkflows::UnableToConnect =
    QStringLiteral("Unable to connect to programmer. Check device is connected and retry");
const QString TProgrammerWorkflows::ProgrammerFound = QStringLiteral("Programmer Found");
const QString TProgrammerWorkflows::Passed = QStringLiteral("Passed");
const QString TProgrammerWorkflows::Failed = QStringLiteral("Failed");
const QString TProgrammerWorkflows::NotStarted = QStringLiteral("Test Not Started");

namespace {
// Pictures of the self-test result displays.
constexpr int NoResultPicture = 0;
constexpr int FoundPicture = 1;
constexpr int PassedPicture = 2;
constexpr int FailedPicture = 3;
} // namespace

TProgrammerWorkflows::TProgrammerWorkflows(TUSBPanel& link, tZCfgFile& document, Controls controls)
    : link_(link), document_(document), controls_(std::move(controls)) {
    link_.SetOnOpen([this](tObject*) { ProgrammerLinkOpen(); });
    link_.SetOnClose([this](tObject*) { ProgrammerLinkClose(); });
    link_.SetOnChar([this](tObject*, uint8_t byte) { ProgrammerLinkChar(byte); });
    link_.SetOnSetText([this](tObject*, const QString& text) { ProgrammerLinkSetText(text); });
    // A blank adapter found by the self-test is programmed only when the user, told which one it
    // is, says yes: a blank FT232 at the same ids may be someone else's cable.
    link_.SetOnConfirmBlankAdapter([this](tObject*, const QString& adapter) {
        const QString question = BlankAdapterQuestion(adapter);
        if (ask_) return ask_(question);
        return QMessageBox::question(controls_.connect ? controls_.connect->window() : nullptr,
                                     QStringLiteral("Programmer"), question) == QMessageBox::Yes;
    });
}

void TProgrammerWorkflows::SetMonitor(tTextEvent transmit, tByteEvent receive) {
    monitorTransmit_ = std::move(transmit);
    monitorReceive_ = std::move(receive);
}

// The message the user sees when the link could not open: the fixed text, then on a second line the
// cause and remedy the driver layer finds (no adapter, no permission, in use, a blank EEPROM), in
// the words `zcfg adapters` uses.
void TProgrammerWorkflows::unableToConnect() {
    const QString why = DiagnoseAdapters().Line();
    throw EZcfgError(why.isEmpty() ? UnableToConnect : UnableToConnect + QLatin1Char('\n') + why);
}

QString TProgrammerWorkflows::BlankAdapterQuestion(const QString& adapter) {
    return QStringLiteral("Program the blank adapter %1 as a Zentara programming adapter? Its USB identity "
                          "is written over.")
        .arg(adapter);
}

void TProgrammerWorkflows::openLink() {
    selfTestReading_ = false;
    try {
        link_.SetActive(true);
    } catch (...) {
        unableToConnect();
    }
}

void TProgrammerWorkflows::SpeedButtonReadClick() {
    openLink();
    document_.StartRead();
}

void TProgrammerWorkflows::ReadDeviceTypeClick() {
    openLink();
    readingDeviceType_ = true;
    document_.StartIdentify();
}

void TProgrammerWorkflows::SpeedButtonProgramClick() {
    openLink();
    document_.StartProgram();
}

// The link is opened first, as for Read and Program: a factory record written to a closed link
// would only fail with a driver error and a time-out.
void TProgrammerWorkflows::SpeedButtonFactoryProgramClick() {
    openLink();
    document_.StartFactoryProgram();
}

// Disconnect during a transfer stops the transfer first: it ends as cancelled, not with a time-out.
void TProgrammerWorkflows::SpeedButtonProgrammerConnectClick() {
    if (link_.Active() && cancelTransfer_) cancelTransfer_();
    try {
        link_.SetActive(!link_.Active());
    } catch (...) {
        unableToConnect();
    }
}

// The toggle has already changed its state. Down: switch automatic opening and EEPROM programming
// on, so a blank adapter is programmed as soon as it is found, and read the attached device.
void TProgrammerWorkflows::SpeedButtonAutoTestProgrammerClick() {
    const bool down = controls_.autoTestToggle && controls_.autoTestToggle->isChecked();
    try {
        link_.SetAutoProgram(down);
    } catch (...) {
        // An adapter that is not there yet opens by itself when it is attached.
    }
    if (!down) return;
    if (link_.Active()) {
        startSelfTestRead();
        return;
    }
    try {
        link_.SetActive(true);
    } catch (...) {
    }
}

void TProgrammerWorkflows::ProgrammerLinkOpen() {
    if (controls_.connect) controls_.connect->setText(QStringLiteral("Disconnect"));
    showResult(FoundPicture, ProgrammerFound);
    if (controls_.autoTestToggle && controls_.autoTestToggle->isChecked()) startSelfTestRead();
}

void TProgrammerWorkflows::startSelfTestRead() {
    selfTestReading_ = true;
    document_.StartRead();
}

void TProgrammerWorkflows::ProgrammerLinkClose() {
    if (controls_.connect) controls_.connect->setText(QStringLiteral("Connect"));
}

void TProgrammerWorkflows::ProgrammerLinkChar(uint8_t byte) {
    if (monitorReceive_) monitorReceive_(byte);
}

void TProgrammerWorkflows::ProgrammerLinkSetText(const QString& text) {
    if (monitorTransmit_) monitorTransmit_(text);
}

// Only a successful read passes the self-test; any other result fails it. Either way the toggle is
// released without running its click handler, so automatic programming stays on until the user
// switches it off.
void TProgrammerWorkflows::ResultShown(bool success) {
    releaseAutoTest(success ? PassedPicture : FailedPicture, success ? Passed : Failed);
}

// A self-test whose read failed (no device, a bad record) or was cancelled ends there, with its
// light red or back to not started.
void TProgrammerWorkflows::TransferEnded(const tTransferOutcome& outcome) {
    // Only Read Device Type's own identification is shown; a restore identifies the device too.
    const bool readDeviceType =
        outcome.Kind == tTransferKind::Identify && std::exchange(readingDeviceType_, false);
    if (readDeviceType && outcome.Ok() && outcome.DeviceConfiguration) {
        const QString text = DeviceIdentityLines(*outcome.DeviceConfiguration).join(QLatin1Char('\n'));
        if (showDeviceIdentity_)
            showDeviceIdentity_(text);
        else
            QMessageBox::information(controls_.connect ? controls_.connect->window() : nullptr,
                                     QStringLiteral("Read Device Type"), text);
    }
    if (outcome.Result == tTransferOutcome::Cancelled)
        releaseAutoTest(NoResultPicture, NotStarted);
    else if (!outcome.Ok())
        releaseAutoTest(FailedPicture, Failed);
}

QStringList TProgrammerWorkflows::DeviceIdentityLines(tZCfgFile& device) {
    QStringList lines{QStringLiteral("Device Type: ") + ShownText(device.DeviceTypeProperty())};
    const auto add = [&lines](tPelBaseProperty* node) {
        if (node && !node->Value().isEmpty()) lines << node->Name() + QStringLiteral(": ") + ShownText(node);
    };
    if (auto* transmitter = dynamic_cast<tIRRFDevice*>(device.Device())) {
        tPelCompoundProperty* factory = transmitter->FactoryRecord();
        for (int i = 0; i < factory->ChildCount(); ++i)
            add(factory->Children().Items(i));
    } else if (auto* wired = dynamic_cast<tOtherDevice*>(device.Device())) {
        add(wired->Version());
        add(wired->FactoryString());
        add(wired->NodeAddress());
        add(wired->ZoneGroupAddress());
    }
    return lines;
}

void TProgrammerWorkflows::releaseAutoTest(int picture, const QString& text) {
    QAbstractButton* toggle = controls_.autoTestToggle;
    if (!toggle || !toggle->isChecked()) return;
    showResult(picture, text);
    const QSignalBlocker blocker(toggle);
    toggle->setChecked(false);
}

void TProgrammerWorkflows::AddResultDisplay(ResultDisplay display) {
    if (resultPicture_ >= 0) show(display, resultPicture_, resultText_);
    controls_.results.push_back(display);
}

void TProgrammerWorkflows::showResult(int picture, const QString& text) {
    resultPicture_ = picture;
    resultText_ = text;
    for (const ResultDisplay& display : controls_.results)
        show(display, picture, text);
}

void TProgrammerWorkflows::show(const ResultDisplay& display, int picture, const QString& text) {
    if (display.picture) display.picture->SetImageIndex(picture);
    if (display.text) display.text->setText(text);
}
