#pragma once
// The commissioning log's history (Tools, "Commissioning Log..."): the entries newest first,
// narrowed as the user types (device type, identity, file, comments, result), by time and to the
// failures; the details of the chosen entry with its configuration; and what can be done with it:
// open it as a new document, compare it with the attached device, program it again (a Restore),
// and export the entries shown as CSV or as a PDF report.

#include "commissioning/CommissioningEntry.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTextBrowser;
class TCommissioningRecorder;
class THistoryModel;
class TProgrammerWorkflows;
class TTransferCoordinator;
class tCommissioningLog;
class tZCfgFile;

class THistoryWindow : public QWidget {
public:
    // The history keeps at most this many entries in its table, newest first; a search or a time
    // narrows it to older ones.
    static constexpr int RowLimit = 1000;

    // What the history acts on: the window's document, its transfers and its log.
    struct tServices {
        tZCfgFile& document;
        TProgrammerWorkflows& workflows;
        TTransferCoordinator& transfers;
        TCommissioningRecorder& recorder;
        std::function<void()> compare; // the Device menu's Compare of the document with the device
    };
    // The window a file is chosen in: (caption, suggested file, filter) -> the file, empty to stop.
    using tFileNameHook = std::function<QString(const QString&, const QString&, const QString&)>;

    THistoryWindow(const tServices& services, QWidget* parent);
    ~THistoryWindow() override;

    // Reads the entries again, keeping the filter and, where it is still listed, the chosen entry.
    void Refresh();
    // The filter the controls set, without the table's row limit.
    tCommissioningFilter Filter() const;
    // How many entries the filter selects (-1 when the log cannot be read).
    qint64 EntryCount() const { return count_; }
    // The chosen entry, with its configuration.
    const std::optional<tCommissioningEntry>& CurrentEntry() const { return current_; }

    void OpenAsNewDocument();
    void CompareWithDevice();
    void ProgramThisConfiguration();
    void ExportCsv();
    void ExportReport();

    // Seams for the dialogs: where a file goes and the confirmation before programming.
    void SetFileNameHook(tFileNameHook hook) { fileName_ = std::move(hook); }
    void SetAsk(std::function<bool(const QString&)> ask) { ask_ = std::move(ask); }

    static const QString NoConfiguration;

private:
    void buildControls();
    void currentChanged();
    void showDetails();
    void updateButtons();
    bool openEntryAsDocument();
    bool writeExport(const QString& caption, const QString& suggested, const QString& filter,
                     const std::function<bool(const QString& file, QString& error)>& write);

    tServices services_;
    std::shared_ptr<tCommissioningLog> log_;
    THistoryModel* model_ = nullptr;
    QLineEdit* search_ = nullptr;
    QComboBox* deviceType_ = nullptr;
    QComboBox* results_ = nullptr;
    QCheckBox* useSince_ = nullptr;
    QCheckBox* useUntil_ = nullptr;
    QDateEdit* since_ = nullptr;
    QDateEdit* until_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QTableView* table_ = nullptr;
    QTextBrowser* details_ = nullptr;
    QPushButton* openButton_ = nullptr;
    QPushButton* compareButton_ = nullptr;
    QPushButton* programButton_ = nullptr;
    QPushButton* csvButton_ = nullptr;
    QPushButton* reportButton_ = nullptr;
    qint64 count_ = 0;
    std::optional<tCommissioningEntry> current_;
    tFileNameHook fileName_;
    std::function<bool(const QString&)> ask_;
};
