#pragma once
// TFormMain: the program's only main window. A shell: it starts up and shuts down the document,
// the undo manager and the settings in a fixed order, switches the device pages when the device
// type changes, and carries the Tools menu. Each further concern lives in a class beside it.

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>

namespace Ui {
class TFormMain;
}

class IToneOutput;
class QActionGroup;
class QShortcut;
class TAboutBox;
class TCommissioningRecorder;
class THistoryWindow;
class TReportActions;
class TDeviceMenu;
class TDevicePage;
class TDevicePageHost;
class TFormOK;
class THelpWindow;
class TImageList;
class TMainImageLists;
class TPelFileMenus;
class TPelMainFormAdapter;
class TPelRegistry;
class TPelSaveDialog;
class TProgramMany;
class TProgrammerWorkflows;
class TSerialMonitor;
class TToneTest;
class TTransferCoordinator;
class TTransferPanel;
class TUSBPanel;
class tPelBaseProperty;
class tUndoRedo;
class tZCfgFile;
enum tChangeKind : uint8_t;

struct TFormMainOptions {
    // An INI file for the settings (tests, portable use); empty: the per-user settings store.
    QString settingsFile;
    // Whether the programmer link's tick timer runs; tests drive the link themselves.
    bool startTimers = true;
    // Where the tone test sounds (tests: a recorder); null: the sound device.
    IToneOutput* toneOutput = nullptr;
};

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // Runs FormCreate; FormShow runs when the window is first shown.
    explicit TFormMain(const TFormMainOptions& options = {}, QWidget* parent = nullptr);
    // Runs FormDestroy.
    ~TFormMain() override;

    // The about box and the result form; both are created before the window is first shown.
    void SetForms(TAboutBox* aboutBox, TFormOK* formOK);

    // ---- Start-up and shut-down ----
    void FormCreate();
    void FormShow();
    void FormDestroy();

    // ---- Pages and modes ----
    void DevicePageSwitch(uint8_t type);
    void PageControlEditChange();
    void ComboModeChanged(uint8_t mode);
    void EditMode1Click();
    void ConfigurationMode1Click();
    void SetProgramMode(int mode);
    void ToggleProgramMode();
    void ShowHideDevelopmentpage1Click();

    // ---- Undo and redo ----
    void RecordPropertyChange(tPelBaseProperty* property, tChangeKind kind, const QString& text);
    void RecordPropertyUndo(tPelBaseProperty* property, tChangeKind kind, const QString& text);
    void UndoAvailableChanged(bool available);
    void RedoAvailableChanged(bool available);
    void SpeedButtonUndoClick();
    void SpeedButtonRedoClick();

    // ---- Toolbar ----
    void SpeedButtonNewClick();
    void SpeedButtonOpenClick();
    void SpeedButtonSaveClick();
    // Reading and programming a device, and the programmer: handed to the workflows.
    void SpeedButtonReadClick();
    void SpeedButtonProgramClick();
    void SpeedButtonProgrammerConnectClick();
    void SpeedButtonFactoryProgramClick();
    void SpeedButtonAutoTestProgrammerClick();
    // Told by the result form before it shows a transfer result.
    void ResultShown(bool success);

    // Opens a file as the Open command would (used for a file named on the command line).
    bool OpenFile(const QString& fileName);

    // ---- State ----
    tZCfgFile& Document() const { return *document_; }
    tUndoRedo* UndoManager() const { return undo_.get(); }
    TPelRegistry& PelRegistry() const { return *pelRegistry_; }
    TPelSaveDialog& PelSaveDialog() const { return *pelSaveDialog_; }
    TUSBPanel& ProgrammerLink() const { return *programmerLink_; }
    TPelFileMenus* FileMenus() const { return fileMenus_.get(); }
    TDevicePageHost& Pages() const { return *pages_; }
    THelpWindow& HelpWindow(); // made on first use
    TProgrammerWorkflows& Workflows() const { return *workflows_; }
    TSerialMonitor& SerialMonitor() const { return *serialMonitor_; }
    TToneTest& ToneTest() const { return *toneTest_; }
    TTransferCoordinator& Transfers() const { return *transferCoordinator_; }
    TTransferPanel& TransferPanel() const { return *transferPanel_; }
    // The commissioning log's record of the transfers, its history window (made when first shown,
    // Tools "Commissioning Log...") and the configuration's report (File "Export Report...", "Print...");
    // they exist once the window has been shown.
    TCommissioningRecorder* CommissioningRecorder() const { return recorder_; }
    THistoryWindow& CommissioningHistory();
    TReportActions* Reports() const { return reportActions_; }
    TDeviceMenu& DeviceMenu() const { return *deviceMenu_; }    // made when the window is first shown
    TProgramMany& ProgramMany() const { return *programMany_; } // made when the window is first shown
    int ProgramMode() const { return programMode_; }
    QWidget* RememberedPage() const { return rememberedPage_; }
    bool TrackPageChanges() const { return trackPageChanges_; }
    bool FormShown() const { return formShown_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void wireControls();
    void buildToolsMenu();
    void setActivePageIndex(int index);
    void SetTonePlaying(bool playing);
    void moveOntoScreen();
    void showPagesWhole();
    void growForNewPage();
    void createProgrammerTools();
    void wirePage(int sheetIndex, TDevicePage& page);
    void createTransferPanel();
    void setBusyControls();
    void createRecords();
    void createDeviceMenu();
    void createProgramMany();
    void updateUndoRedo();
    void afterUndoOrRedo(int page);

    std::unique_ptr<Ui::TFormMain> ui_;
    TFormMainOptions options_;
    std::unique_ptr<tZCfgFile> document_;
    std::unique_ptr<tUndoRedo> undo_;
    std::unique_ptr<TPelRegistry> pelRegistry_;
    std::unique_ptr<TPelSaveDialog> pelSaveDialog_;
    std::unique_ptr<TMainImageLists> images_;
    std::unique_ptr<TDevicePageHost> pages_;
    std::unique_ptr<TPelFileMenus> fileMenus_;
    TPelMainFormAdapter* mainFormAdapter_ = nullptr;
    TUSBPanel* programmerLink_ = nullptr;
    THelpWindow* helpWindow_ = nullptr;
    TSerialMonitor* serialMonitor_ = nullptr;
    std::unique_ptr<TProgrammerWorkflows> workflows_;
    std::unique_ptr<IToneOutput> ownToneOutput_;
    std::unique_ptr<TToneTest> toneTest_;
    TTransferPanel* transferPanel_ = nullptr;
    TTransferCoordinator* transferCoordinator_ = nullptr;
    TCommissioningRecorder* recorder_ = nullptr;
    THistoryWindow* historyWindow_ = nullptr;
    TReportActions* reportActions_ = nullptr;
    bool undoAvailable_ = false;
    bool redoAvailable_ = false;
    QActionGroup* modeGroup_ = nullptr;
    QShortcut* developmentShortcut_ = nullptr;
    QPointer<TAboutBox> aboutBox_;
    QPointer<TFormOK> formOK_;

    int programMode_ = 0;
    QPointer<QWidget> rememberedPage_;
    bool trackPageChanges_ = false;
    bool switchingPages_ = false; // the window itself is changing the active page
    bool formShown_ = false;
    bool pageMade_ = false;        // a device page was made since the last page switch
    bool growForNewPages_ = false; // set once the window is shown
    // Compare, backups and restore; goes before the document it is bound to.
    std::unique_ptr<TDeviceMenu> deviceMenu_;
    // Program Many; goes first, ending a run while the document and the transfers are still there.
    std::unique_ptr<TProgramMany> programMany_;
};
