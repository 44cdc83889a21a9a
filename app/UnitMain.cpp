#include "app/UnitMain.h"

#include "app/About.h"
#include "app/DevicePageHost.h"
#include "app/HelpWindow.h"
#include "app/MainPages.h"
#include "app/MainPictures.h"
#include "app/MainWindowSupport.h"
#include "app/PelImage.h"
#include "app/PelRegistry.h"
#include "app/PelSaveDialog.h"
#include "app/ProgrammerWorkflows.h"
#include "app/SerialMonitor.h"
#include "app/ToneOutputModule.h"
#include "app/ToneTest.h"
#include "app/ToolbarIcons.h"
#include "app/UnitFileNotSaved.h"
#include "app/UnitFormOK.h"
#include "app/UnitUndoList.h"
#include "app/devicemenu/DeviceMenu.h"
#include "app/history/CommissioningRecorder.h"
#include "app/history/HistoryWindow.h"
#include "app/pages/DevicePage.h"
#include "app/pages/ZonalIndicatorPage.h"
#include "app/programmany/ProgramMany.h"
#include "app/programmany/ProgramManyPanel.h"
#include "app/report/ReportActions.h"
#include "app/transfer/TransferCoordinator.h"
#include "app/transfer/TransferPanel.h"
#include "device/DeviceTypeTable.h"
#include "device/SimulatedAdapter.h"
#include "device/UnitZCfgFile.h"
#include "programmer/ProgrammerLinkSetup.h"
#include "programmer/USBPanel.h"
#include "property/PelEnum.h"
#include "property/PelError.h"
#include "property/PelScalar.h"
#include "property/controls/PelFileMenus.h"
#include "transfer/ProgramBackup.h"
#include "ui_UnitMain.h"

#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QShortcut>
#include <QShowEvent>
#include <QStatusBar>
#include <QVBoxLayout>
#include <utility>

namespace {
const QString kLastDeviceType = QStringLiteral("Last Device Type");
const QString kProgramMode = QStringLiteral("Program Mode");
constexpr int kDefaultDeviceType = 1; // staff transmitter

// A value the user types (text, a number, the comments), as against one chosen from a list or
// ticked: consecutive changes of it are one undo step.
bool IsTypedValue(const tUndoable* property) {
    if (dynamic_cast<const tPelBaseEnumProperty*>(property)) return false;
    return dynamic_cast<const tPelTextProperty*>(property) || dynamic_cast<const tMemoProperty*>(property) ||
           dynamic_cast<const tPelBaseIntegerProperty*>(property);
}
// The invisible Tools entry that shows and hides the Development page answers to this key.
const QKeySequence kDevelopmentKey(Qt::CTRL | Qt::SHIFT | Qt::Key_D);
} // namespace

TFormMain::TFormMain(const TFormMainOptions& options, QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::TFormMain>()), options_(options) {
    ui_->setupUi(this);
    wireControls();
    FormCreate();
}

TFormMain::~TFormMain() {
    // Focus moves while the widgets go; the undo manager must not hear of it any more.
    disconnect(qApp, nullptr, this, nullptr);
    Guarded([this] { FormDestroy(); });
    // Release the pages' bindings and the menus before the document they refer to goes.
    if (toneTest_) toneTest_->SetTonePlaying(false);
    if (pages_) pages_->UnbindAll();
    if (document_) document_->Comments()->SetMemo(nullptr);
    fileMenus_.reset();
    if (mainFormAdapter_) mainFormAdapter_->SetOnCloseQuery(nullptr);
    if (document_) {
        document_->SetMainForm(nullptr);
        document_->SetSaveDialog(nullptr);
    }
}

// ---- Controls ---------------------------------------------------------------------------------

void TFormMain::wireControls() {
    images_ = std::make_unique<TMainImageLists>();
    ui_->PelImageDevices->SetImageList(images_->ImageListDevices);
    ui_->PelImageOpen->SetImageList(images_->ImageListOpen);
    ui_->PelImageTx->SetImageList(images_->ImageListTx);
    ui_->PelImageRx->SetImageList(images_->ImageListRx);
    ui_->SpeedButtonUndo->setIcon(images_->ImageListUndoRedo.value(0));
    ui_->SpeedButtonRedo->setIcon(images_->ImageListUndoRedo.value(1));
    ui_->SpeedButtonUndo->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ui_->SpeedButtonRedo->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ui_->SpeedButtonNew->setIcon(ToolbarIcon(tToolbarGlyph::New));
    ui_->SpeedButtonOpen->setIcon(ToolbarIcon(tToolbarGlyph::Open));
    ui_->SpeedButtonSave->setIcon(ToolbarIcon(tToolbarGlyph::Save));
    ui_->SpeedButtonRead->setIcon(ToolbarIcon(tToolbarGlyph::Read));
    ui_->SpeedButtonProgram->setIcon(ToolbarIcon(tToolbarGlyph::Program));
    ui_->ComboBoxDeviceType->setEditable(false);
    ui_->ComboBoxDeviceType->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    auto guarded = [](auto member, TFormMain* self) {
        return [member, self] { Guarded([&] { (self->*member)(); }); };
    };
    connect(ui_->SpeedButtonNew, &QToolButton::clicked, this, guarded(&TFormMain::SpeedButtonNewClick, this));
    connect(ui_->SpeedButtonOpen, &QToolButton::clicked, this,
            guarded(&TFormMain::SpeedButtonOpenClick, this));
    connect(ui_->SpeedButtonSave, &QToolButton::clicked, this,
            guarded(&TFormMain::SpeedButtonSaveClick, this));
    connect(ui_->SpeedButtonRead, &QToolButton::clicked, this,
            guarded(&TFormMain::SpeedButtonReadClick, this));
    connect(ui_->SpeedButtonProgram, &QToolButton::clicked, this,
            guarded(&TFormMain::SpeedButtonProgramClick, this));
    connect(ui_->SpeedButtonUndo, &QToolButton::clicked, this,
            guarded(&TFormMain::SpeedButtonUndoClick, this));
    connect(ui_->SpeedButtonRedo, &QToolButton::clicked, this,
            guarded(&TFormMain::SpeedButtonRedoClick, this));
    connect(ui_->SpeedButtonProgrammerConnect, &QPushButton::clicked, this,
            guarded(&TFormMain::SpeedButtonProgrammerConnectClick, this));
    connect(ui_->PageControlEdit, &QTabWidget::currentChanged, this,
            guarded(&TFormMain::PageControlEditChange, this));
    buildToolsMenu();
}

void TFormMain::buildToolsMenu() {
    modeGroup_ = new QActionGroup(this);
    modeGroup_->setExclusive(true);
    modeGroup_->addAction(ui_->EditMode1);
    modeGroup_->addAction(ui_->ConfigurationMode1);
    auto guarded = [](auto member, TFormMain* self) {
        return [member, self] { Guarded([&] { (self->*member)(); }); };
    };
    connect(ui_->ReadDeviceConfig, &QAction::triggered, this,
            guarded(&TFormMain::SpeedButtonReadClick, this));
    connect(ui_->WriteDeviceConfiguration1, &QAction::triggered, this,
            guarded(&TFormMain::SpeedButtonProgramClick, this));
    connect(ui_->ReadDeviceType, &QAction::triggered, this,
            [this] { Guarded([this] { workflows_->ReadDeviceTypeClick(); }); });
    connect(ui_->EditMode1, &QAction::triggered, this, guarded(&TFormMain::EditMode1Click, this));
    connect(ui_->ConfigurationMode1, &QAction::triggered, this,
            guarded(&TFormMain::ConfigurationMode1Click, this));
    connect(ui_->ShowHideDevelopmentpage1, &QAction::triggered, this,
            guarded(&TFormMain::ShowHideDevelopmentpage1Click, this));
    // The entry stays out of sight; an invisible action answers no key, so the window itself
    // carries the key.
    ui_->ShowHideDevelopmentpage1->setShortcut(kDevelopmentKey);
    ui_->ShowHideDevelopmentpage1->setShortcutContext(Qt::WidgetShortcut);
    developmentShortcut_ = new QShortcut(kDevelopmentKey, this);
    developmentShortcut_->setObjectName(QStringLiteral("ShortcutDevelopmentPage"));
    connect(developmentShortcut_, &QShortcut::activated, ui_->ShowHideDevelopmentpage1, &QAction::trigger);
}

void TFormMain::SetForms(TAboutBox* aboutBox, TFormOK* formOK) {
    aboutBox_ = aboutBox;
    formOK_ = formOK;
}

// ---- Start-up and shut-down -------------------------------------------------------------------

void TFormMain::FormCreate() {
    document_.reset(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    pelRegistry_ = options_.settingsFile.isEmpty() ? std::make_unique<TPelRegistry>()
                                                   : std::make_unique<TPelRegistry>(options_.settingsFile);
    pelRegistry_->SetMainWindow(this);
    pelSaveDialog_ = std::make_unique<TPelSaveDialog>(this);
    pelSaveDialog_->SetPelRegistry(pelRegistry_.get());
    programmerLink_ = new TUSBPanel(this, options_.startTimers);
    programmerLink_->setObjectName(QStringLiteral("ProgrammerLink"));
    ConfigureProgrammerLink(*programmerLink_);
    programmerLink_->SetOpenImage(ui_->PelImageOpen);
    programmerLink_->SetSendBufferImage(ui_->PelImageTx);
    programmerLink_->SetRcvBufferImage(ui_->PelImageRx);
    pages_ = std::make_unique<TDevicePageHost>(*ui_->PageControlEdit);
    createProgrammerTools();
}

// The workflows, the serial monitor on the Development page and the zone indicator's tone test. The
// workflows take the link's events now, so that the document, attached in FormShow, sees every
// received byte first and hands it on to the monitor.
void TFormMain::createProgrammerTools() {
    serialMonitor_ = new TSerialMonitor(ui_->PanelDevelopment);
    auto* layout = new QVBoxLayout(ui_->PanelDevelopment);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(serialMonitor_);

    TProgrammerWorkflows::Controls controls;
    controls.connect = ui_->SpeedButtonProgrammerConnect;
    workflows_ = std::make_unique<TProgrammerWorkflows>(*programmerLink_, *document_, controls);
    TSerialMonitor* monitor = serialMonitor_;
    workflows_->SetMonitor([monitor](const QString& text) { monitor->MonitorTransmit(text); },
                           [monitor](uint8_t byte) { monitor->MonitorReceiveByte(byte); });

    IToneOutput* output = options_.toneOutput;
    if (!output) {
        auto audio = std::make_unique<TToneOutputModule>();
        output = audio.get();
        ownToneOutput_ = std::move(audio);
    }
    toneTest_ = std::make_unique<TToneTest>(output);
    toneTest_->SetRunTimer(options_.startTimers);
    toneTest_->SetDocument(document_.get());
    toneTest_->SetOnStatusMessage([this](const QString& text) { statusBar()->showMessage(text); });
    pages_->SetOnPageCreated([this](int sheetIndex, TDevicePage& page) { wirePage(sheetIndex, page); });
    createTransferPanel();
}

// The progress, Cancel and last result of the transfers, in the "Programmer" group where the
// spacer stood, and the mode the window is in while one runs.
void TFormMain::createTransferPanel() {
    transferPanel_ = new TTransferPanel(ui_->GroupBoxProgrammer);
    QLayout* layout = ui_->GroupBoxProgrammer->layout();
    auto* row = static_cast<QHBoxLayout*>(layout);
    row->insertWidget(row->count() - 1, transferPanel_, 1);
    transferPanel_->SetSimulated(SimulatedAdapterDescription());
    transferCoordinator_ = new TTransferCoordinator(*document_, *transferPanel_, *this);
    transferCoordinator_->SetOnBusyChanged([this](bool) { updateUndoRedo(); });
    workflows_->SetOnCancelTransfer([this] { return transferCoordinator_->Cancel(); });
    transferCoordinator_->AddOutcomeListener(
        [this](const tTransferOutcome& outcome) { workflows_->TransferEnded(outcome); });
}

// While a transfer runs, nothing may change or replace the document it belongs to.
void TFormMain::setBusyControls() {
    QList<QWidget*> widgets{ui_->SpeedButtonNew, ui_->SpeedButtonOpen, ui_->SpeedButtonRead,
                            ui_->SpeedButtonProgram, ui_->ComboBoxDeviceType};
    for (int sheet = 0; sheet < TDevicePageHost::PageCount; ++sheet)
        widgets << ui_->PageControlEdit->widget(sheet);
    transferCoordinator_->SetBusyControls(widgets, [this] {
        QList<QAction*> actions{ui_->ReadDeviceType, ui_->ReadDeviceConfig, ui_->WriteDeviceConfiguration1,
                                ui_->EditMode1, ui_->ConfigurationMode1};
        if (fileMenus_ && fileMenus_->FileMenu()) {
            const QList<QAction*> file = fileMenus_->FileMenu()->actions();
            actions << file.value(0) << file.value(1); // New, Load
            for (int i = 0; i < 10; ++i)
                actions << fileMenus_->HistoryItem(i);
        }
        if (deviceMenu_) actions << deviceMenu_->Actions();
        return actions;
    });
}

// The Device menu (Compare, Load from Device, Save to Device, Restore), the backup kept before every
// Program and its Tools setting.
void TFormMain::createDeviceMenu() {
    TDeviceMenu::Parts parts;
    parts.window = this;
    parts.document = document_.get();
    parts.workflows = workflows_.get();
    parts.transfers = transferCoordinator_;
    parts.settings = pelRegistry_.get();
    parts.menus = fileMenus_.get();
    parts.tools = ui_->Tools1;
    parts.toolsAfter = ui_->WriteDeviceConfiguration1;
    parts.resultForm = formOK_;
    parts.read = [this] { SpeedButtonReadClick(); };
    parts.program = [this] { SpeedButtonProgramClick(); };
    parts.toolsTransfers = {ui_->ReadDeviceConfig, ui_->WriteDeviceConfiguration1};
    parts.restoring = [this] {
        if (recorder_) recorder_->ExpectRestore(true);
    };
    deviceMenu_ = std::make_unique<TDeviceMenu>(std::move(parts));
}

// Program Many: its panel docked in the window, shown from the Tools menu (after Write Device
// Configuration) and from a toolbar toggle beside Program.
void TFormMain::createProgramMany() {
    TProgramMany::Parts parts;
    parts.window = this;
    parts.document = document_.get();
    parts.transfers = transferCoordinator_;
    parts.openLink = [this] { workflows_->OpenLink(); };
    parts.captionOf = [this](const QString& path) { return deviceMenu_->Caption(path); };
    programMany_ = std::make_unique<TProgramMany>(std::move(parts));
    const QList<QAction*> tools = ui_->Tools1->actions();
    const qsizetype after = tools.indexOf(ui_->WriteDeviceConfiguration1);
    ui_->Tools1->insertAction(tools.value(after + 1), programMany_->ToggleAction());
    auto* toggle = new QToolButton(this);
    toggle->setObjectName(QStringLiteral("SpeedButtonProgramMany"));
    toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toggle->setAutoRaise(true);
    programMany_->ToggleAction()->setIcon(ToolbarIcon(tToolbarGlyph::Program));
    programMany_->SetToolbarToggle(toggle);
    // The docked panel takes its room from the pages: the window grows to show them whole again, as far
    // as the screen allows.
    connect(&programMany_->Panel(), &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown) Guarded([this] { showPagesWhole(); });
    });
    ui_->LayoutToolbar->insertWidget(ui_->LayoutToolbar->indexOf(ui_->SpeedButtonProgram) + 1, toggle);
}

// The buttons of the factory pages and of the zone indicator page, wired when the page is created:
// the self-test toggle, Factory Program and the self-test result displays, and the tone test.
void TFormMain::wirePage(int sheetIndex, TDevicePage& page) {
    pageMade_ = true;
    const auto resultDisplay = [&page, this](const char* picture, const char* text) {
        auto* image = page.findChild<TPelImage*>(QLatin1String(picture));
        if (image) image->SetImageList(images_->ImageListAutoTest);
        workflows_->AddResultDisplay({image, page.findChild<QLineEdit*>(QLatin1String(text))});
    };
    const auto button = [&page](const char* name) {
        return page.findChild<QAbstractButton*>(QLatin1String(name));
    };
    if (sheetIndex == mpIRFactoryConfig) {
        resultDisplay("PelImageAutoTest", "EditResult");
        if (QAbstractButton* factory = button("SpeedButtonFactoryProgram"))
            connect(factory, &QAbstractButton::clicked, this,
                    [this] { Guarded([this] { SpeedButtonFactoryProgramClick(); }); });
    } else if (sheetIndex == mpConfiguratorProgramming) {
        resultDisplay("PelImage1", "Edit1");
        if (QAbstractButton* toggle = button("SpeedButtonAutoTestProgrammer")) {
            workflows_->SetAutoTestToggle(toggle);
            connect(toggle, &QAbstractButton::clicked, this,
                    [this] { Guarded([this] { SpeedButtonAutoTestProgrammerClick(); }); });
        }
    } else if (auto* zonePage = dynamic_cast<TZonalIndicatorPage*>(&page)) {
        toneTest_->AttachButtons(zonePage);
        zonePage->SetTonePlayingOff = [this] { SetTonePlaying(false); };
    }
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!formShown_) {
        formShown_ = true;
        Guarded([this] { FormShow(); });
    }
}

void TFormMain::FormShow() {
    tZCfgFile& document = *document_;
    // 1. Save dialog.
    document.SetSaveDialog(pelSaveDialog_.get());
    // 2-3. Undo manager; each setter reports at once, so Undo and Redo start disabled.
    undo_ = std::make_unique<tUndoRedo>();
    undo_->SetOnUndoAvailable([this](tUndoRedo*, bool flag) { UndoAvailableChanged(flag); });
    undo_->SetOnRedoAvailable([this](tUndoRedo*, bool flag) { RedoAvailableChanged(flag); });
    // Typing into one field is one undo step; moving to another control starts the next.
    undo_->SetMergeable([](const tUndoable* property) { return IsTypedValue(property); });
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (undo_) undo_->BreakMerging();
    });
    document.SetOnSaved([this] { undo_->MarkSaved(); });
    // 4. Programmer link.
    document.AttachLink(programmerLink_);
    // 5. Change events to the undo manager; the Edit menu's Undo and Redo.
    document.SetOnBeginChange(
        [this](tPelBaseProperty*, tChangeKind, const QString&) { undo_->BeginGroup(); });
    document.SetOnRecordUndo([this](tPelBaseProperty* property, tChangeKind kind, const QString& text) {
        RecordPropertyChange(property, kind, text);
    });
    document.SetOnEndChange([this](tPelBaseProperty*, tChangeKind, const QString&) { undo_->EndGroup(); });
    document.SetOnRecordRedo([this](tPelBaseProperty* property, tChangeKind kind, const QString& text) {
        RecordPropertyUndo(property, kind, text);
    });
    document.SetOnUndoClick([this](tObject*) { SpeedButtonUndoClick(); });
    document.SetOnRedoClick([this](tObject*) { SpeedButtonRedoClick(); });
    // 6. (The Undo/Redo pictures go to the menus as soon as they exist, step 8.)
    // 7. Device-type combo box and page switch.
    document.SetDeviceCombo(ui_->ComboBoxDeviceType);
    document.SetOnDeviceTypeChanged([this](uint8_t type) { DevicePageSwitch(type); });
    // 8. File, Edit, Device and Help menus.
    fileMenus_ = std::make_unique<TPelFileMenus>(document, ui_->MainMenu, this);
    fileMenus_->SetImageList(images_->ImageListUndoRedo);
    fileMenus_->SetHasHelpFile(true); // the help pages are compiled in
    fileMenus_->SetOnHelpContents([this] { HelpWindow().ShowHelpContents(); });
    fileMenus_->SetOnHelpTopic([this](int topic) { HelpWindow().ShowHelpTopic(topic); });
    AddStandardKeys(*fileMenus_);
    new TUndoKeyRouter(*this);
    setBusyControls();
    // 9. The hidden F1 entry.
    document.SetHelpCaption(QStringLiteral("Current Device"));
    // 10-11. The device type of the last run, which cannot be undone.
    // A stored value outside a byte selects no device, like any other unknown type.
    const int stored = pelRegistry_->ReadIntegerDefault(kLastDeviceType, kDefaultDeviceType);
    document.SetDeviceType(uint8_t(stored >= 0 && stored <= 255 ? stored : 0));
    undo_->Clear();
    // 12. Running title and close check (which also saves the placement, see below).
    mainFormAdapter_ = new TPelMainFormAdapter(this);
    // A running transfer is stopped, or the window stays, before the document is asked.
    mainFormAdapter_->SetOnCloseQuery(
        [this](tObject*, bool& canClose) { canClose = transferCoordinator_->MayClose(); });
    document.SetMainForm(mainFormAdapter_);
    document.SetSavePlacementOnClose(true);
    // 13. Combo mode; reports at once.
    document.SetOnComboModeChanged([this](uint8_t mode) { ComboModeChanged(mode); });
    // 14. Comments.
    document.Comments()->SetMemo(ui_->MemoComments);
    // 15.
    document.SetModified(false);
    // 16.
    ui_->PageControlEdit->setTabVisible(mpDevelopment, false);
    // 17.
    trackPageChanges_ = true;
    // 18. Result form.
    if (formOK_) {
        QPointer<TFormOK> form = formOK_;
        document.SetResultPresenter([this, form](const QString& text, bool success) {
            return !form || form->ShowResult(transferCoordinator_->ResultText(text), success);
        });
        formOK_->SetOnResult([this](TFormOK*, bool success) { ResultShown(success); });
    }
    createDeviceMenu();
    createProgramMany();
    // 19. About box and its concealed gesture.
    if (aboutBox_) {
        QPointer<TAboutBox> about = aboutBox_;
        document.SetAboutBox([about] {
            if (about) about->ShowModal();
        });
        aboutBox_->SetOnIconGesture([this](TAboutBox*) { ToggleProgramMode(); });
    }
    // 20. Placement of the last run, kept on a present screen.
    const bool placed = pelRegistry_->RestoreMainWindowPlacement();
    moveOntoScreen();
    // 21.
    SetProgramMode(pelRegistry_->ReadIntegerDefault(kProgramMode, 0));
    // Without a stored placement the window makes room for the pages it shows, and for each page made
    // later; a placement the user left at the last run stands, and pages scroll in it.
    if (!placed) showPagesWhole();
    pageMade_ = false;
    growForNewPages_ = !placed;
    createRecords();
}

// The commissioning log records every transfer's end; Tools "Commissioning Log..." shows it, and the
// File menu exports and prints the configuration's report, after "Save As".
void TFormMain::createRecords() {
    recorder_ = new TCommissioningRecorder(*document_, *programmerLink_, options_.settingsFile, this);
    recorder_->SetSelfTestQuery([this] { return workflows_->SelfTestReading(); });
    recorder_->SetOnStatusMessage([this](const QString& text) { statusBar()->showMessage(text); });
    transferCoordinator_->AddOutcomeListener(
        [this](const tTransferOutcome& outcome) { recorder_->Record(outcome); });
    recorder_->SetBackupQuery(
        [this] { return deviceMenu_ ? deviceMenu_->Backup().LastBackup() : QString(); });
    ui_->Tools1->addSeparator();
    QAction* history = ui_->Tools1->addAction(QStringLiteral("Commissioning &Log…"));
    history->setObjectName(QStringLiteral("ActionCommissioningLog"));
    connect(history, &QAction::triggered, this, [this] {
        Guarded([this] {
            THistoryWindow& window = CommissioningHistory();
            window.Refresh();
            window.show();
            window.raise();
            window.activateWindow();
        });
    });
    reportActions_ = new TReportActions(
        *document_, [this] { return recorder_->Log(); }, *this);
    reportActions_->SetOnStatusMessage([this](const QString& text) { statusBar()->showMessage(text); });
    QMenu* file = fileMenus_->FileMenu();
    const QList<QAction*> items = file->actions();
    reportActions_->AddTo(*file, items.value(4)); // after New, Load, Save, Save As
}

THistoryWindow& TFormMain::CommissioningHistory() {
    if (!historyWindow_)
        historyWindow_ = new THistoryWindow({*document_, *workflows_, *transferCoordinator_, *recorder_,
                                             [this] {
                                                 if (deviceMenu_) deviceMenu_->Compare();
                                             }},
                                            this);
    return *historyWindow_;
}

// Grows the window, as far as its screen allows, so the pages whose tabs are shown fit without
// scrolling. It never shrinks the window and leaves a maximized one alone.
void TFormMain::showPagesWhole() {
    if (isMaximized() || isFullScreen()) return;
    // Size hints settle only once the pending layout requests are handled: a page filled by its
    // binding reports its new size to its parents through them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QTabWidget* pages = ui_->PageControlEdit;
    const QSize room = pages->currentWidget()->parentWidget()->size(); // every sheet fills the stack
    QSize lack(0, 0);
    for (int sheet = 0; sheet < TDevicePageHost::PageCount; ++sheet)
        if (pages->isTabVisible(sheet)) lack = lack.expandedTo(pages_->WholePageSize(sheet) - room);
    if (lack == QSize(0, 0)) return;
    resize(size() + lack);
    FitOntoScreen(*this);
}

// After a page switch: a page made just now gets the room it needs.
void TFormMain::growForNewPage() {
    if (std::exchange(pageMade_, false) && growForNewPages_) showPagesWhole();
}

void TFormMain::moveOntoScreen() {
    if (isMaximized()) return;
    MoveOntoScreen(*this);
    FitOntoScreen(*this);
}

void TFormMain::FormDestroy() {
    if (formShown_ && document_) pelRegistry_->WriteInteger(kLastDeviceType, document_->GetDeviceType());
}

// The help pages are compiled into the program; there is no help file beside it. The help window is
// made when help is first asked for.
THelpWindow& TFormMain::HelpWindow() {
    if (!helpWindow_) helpWindow_ = new THelpWindow(this);
    return *helpWindow_;
}

bool TFormMain::OpenFile(const QString& fileName) {
    return document_->Open(fileName);
}

// ---- Pages and modes --------------------------------------------------------------------------

void TFormMain::setActivePageIndex(int index) {
    const bool wasSwitching = switchingPages_;
    switchingPages_ = true;
    ui_->PageControlEdit->setCurrentIndex(index);
    switchingPages_ = wasSwitching;
}

void TFormMain::DevicePageSwitch(uint8_t type) {
    QTabWidget* pages = ui_->PageControlEdit;
    trackPageChanges_ = false;
    const bool wasSwitching = switchingPages_;
    switchingPages_ = true;
    // Page tracking comes back on even when a page fails to bind.
    const auto restore = qScopeGuard([this, wasSwitching] {
        switchingPages_ = wasSwitching;
        trackPageChanges_ = true;
    });
    for (int i = mpCallPoint; i <= mpIRRFPendant; ++i)
        pages->setTabVisible(i, false);
    SetTonePlaying(false);
    ui_->PelImageDevices->SetTransparent(false);
    const tDeviceTypeInfo& info = DeviceTypeInfo(type);
    if (info.PageIndex >= 0) {
        const bool transmitter = info.Class == tDeviceClass::IRRF;
        document_->SetHelpContext(info.HelpContext);
        pages->setTabVisible(info.PageIndex, true);
        const bool factoryPages = transmitter && programMode_ == 1;
        pages->setTabVisible(mpIRFactoryConfig, factoryPages);
        pages->setTabVisible(mpConfiguratorProgramming, factoryPages);
        pages->setCurrentIndex(info.PageIndex);
        ui_->PelImageDevices->SetImageIndex(info.PictureIndex);
        // The factory pages are bound, and made, only when they are shown.
        pages_->BindType(*document_, info.PageIndex, factoryPages);
    } else {
        // A type this program does not know (a newer device named in a file): no page, no picture
        // and no factory page stays on screen for the device shown before.
        pages_->UnbindAll();
        pages->setTabVisible(mpIRFactoryConfig, false);
        pages->setTabVisible(mpConfiguratorProgramming, false);
        ui_->PelImageDevices->SetImageIndex(-1);
        ui_->PelImageDevices->clear();
        document_->SetHelpContext(0);
    }
    // The values that may step are those of the type now shown (the panel is made with the menus).
    if (programMany_) programMany_->DocumentChanged();
    ui_->PelImageDevices->SetTransparent(true);
    if (rememberedPage_ && pages->isTabVisible(pages->indexOf(rememberedPage_)))
        pages->setCurrentWidget(rememberedPage_);
    switchingPages_ = wasSwitching;
    pages_->PageShown(pages->currentIndex());
    growForNewPage();
}

void TFormMain::PageControlEditChange() {
    const int index = ui_->PageControlEdit->currentIndex();
    // Only a page the user brings to front is remembered, not one the window turns to itself.
    if (trackPageChanges_ && !switchingPages_) rememberedPage_ = ui_->PageControlEdit->currentWidget();
    if (!switchingPages_) pages_->PageShown(index);
}

void TFormMain::ComboModeChanged(uint8_t mode) {
    if (mode == tZCfgFile::EditMode)
        ui_->EditMode1->setChecked(true);
    else if (mode == tZCfgFile::ConfigurationMode)
        ui_->ConfigurationMode1->setChecked(true);
}

void TFormMain::EditMode1Click() {
    document_->SetComboMode(tZCfgFile::EditMode);
}

void TFormMain::ConfigurationMode1Click() {
    document_->SetComboMode(tZCfgFile::ConfigurationMode);
}

void TFormMain::SetProgramMode(int mode) {
    programMode_ = mode;
    pelRegistry_->WriteInteger(kProgramMode, mode);
    const uint8_t type = document_->GetDeviceType();
    if (type != 1 && type != 2) return;
    const bool show = mode == 1;
    if (show) { // made and bound the first time they are shown
        pages_->Bind(*document_, mpIRFactoryConfig);
        pages_->Bind(*document_, mpConfiguratorProgramming);
    }
    const bool wasSwitching = switchingPages_;
    switchingPages_ = true;
    ui_->PageControlEdit->setTabVisible(mpIRFactoryConfig, show);
    ui_->PageControlEdit->setTabVisible(mpConfiguratorProgramming, show);
    switchingPages_ = wasSwitching;
    growForNewPage();
}

void TFormMain::ToggleProgramMode() {
    SetProgramMode(programMode_ == 0 ? 1 : 0);
}

void TFormMain::ShowHideDevelopmentpage1Click() {
    QTabWidget* pages = ui_->PageControlEdit;
    pages->setTabVisible(mpDevelopment, !pages->isTabVisible(mpDevelopment));
}

// ---- Undo and redo ----------------------------------------------------------------------------

void TFormMain::RecordPropertyChange(tPelBaseProperty* property, tChangeKind kind, const QString& text) {
    SetTonePlaying(false);
    if (!undo_) return;
    if (kind == ckReset)
        undo_->Clear();
    else
        undo_->Record(ui_->PageControlEdit->currentIndex(), property, kind, text);
}

void TFormMain::RecordPropertyUndo(tPelBaseProperty* property, tChangeKind kind, const QString& text) {
    SetTonePlaying(false);
    if (undo_) undo_->RecordRedo(property, kind, text);
}

void TFormMain::UndoAvailableChanged(bool available) {
    SetTonePlaying(false);
    undoAvailable_ = available;
    updateUndoRedo();
}

void TFormMain::RedoAvailableChanged(bool available) {
    SetTonePlaying(false);
    redoAvailable_ = available;
    updateUndoRedo();
}

// Undo and Redo follow their history, and are off while a transfer runs.
void TFormMain::updateUndoRedo() {
    const bool busy = transferCoordinator_ && transferCoordinator_->Busy();
    ui_->SpeedButtonUndo->setEnabled(undoAvailable_ && !busy);
    ui_->SpeedButtonRedo->setEnabled(redoAvailable_ && !busy);
    document_->SetUndoEnabled(undoAvailable_ && !busy);
    document_->SetRedoEnabled(redoAvailable_ && !busy);
}

// The page the change was made on comes to front, unless it is no longer shown.
void TFormMain::SpeedButtonUndoClick() {
    if (!undo_ || transferCoordinator_->Busy()) return;
    afterUndoOrRedo(undo_->Undo());
}

void TFormMain::SpeedButtonRedoClick() {
    if (!undo_ || transferCoordinator_->Busy()) return;
    afterUndoOrRedo(undo_->Redo());
}

// Back at the state last saved, the document is unchanged again: no marker, no save prompt.
void TFormMain::afterUndoOrRedo(int page) {
    if (undo_->AtSavedState()) document_->SetModified(false);
    if (page >= 0 && ui_->PageControlEdit->isTabVisible(page)) setActivePageIndex(page);
}

// ---- Toolbar ----------------------------------------------------------------------------------

void TFormMain::SpeedButtonNewClick() {
    document_->NewDocument();
}

void TFormMain::SpeedButtonOpenClick() {
    document_->Open(QString());
}

void TFormMain::SpeedButtonSaveClick() {
    document_->Save(false);
}

void TFormMain::SpeedButtonReadClick() {
    workflows_->SpeedButtonReadClick();
}

void TFormMain::SpeedButtonProgramClick() {
    workflows_->SpeedButtonProgramClick();
}

void TFormMain::SpeedButtonProgrammerConnectClick() {
    workflows_->SpeedButtonProgrammerConnectClick();
}

void TFormMain::SpeedButtonFactoryProgramClick() {
    workflows_->SpeedButtonFactoryProgramClick();
}

void TFormMain::SpeedButtonAutoTestProgrammerClick() {
    workflows_->SpeedButtonAutoTestProgrammerClick();
}

void TFormMain::ResultShown(bool success) {
    workflows_->ResultShown(success);
}

// The zone indicator's tone test stops whenever anything else happens.
void TFormMain::SetTonePlaying(bool playing) {
    if (toneTest_) toneTest_->SetTonePlaying(playing);
}
