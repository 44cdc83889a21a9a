#pragma once
// The report of the configuration open in the window, from its File menu: "Export Report..." writes it
// as PDF, "Print..." prints it. The report is the one zcfg writes (report/Reports.h).

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QPrinter;
class QWidget;
class tCommissioningLog;
class tZCfgFile;
struct tReport;

class TReportActions : public QObject {
public:
    // The window a file is chosen in: (caption, suggested file, filter) -> the file, empty to stop.
    using tFileNameHook = std::function<QString(const QString&, const QString&, const QString&)>;
    // The print dialog: false when the user cancelled it.
    using tPrintDialogHook = std::function<bool(QPrinter& printer)>;

    TReportActions(tZCfgFile& document, std::function<std::shared_ptr<tCommissioningLog>()> log,
                   QWidget& window);

    // Puts "Export Report..." and "Print..." into the menu before `before`.
    void AddTo(QMenu& menu, QAction* before);
    QAction* ExportAction() const { return export_; }
    QAction* PrintAction() const { return print_; }

    void ExportReport();
    void Print();
    // The report of the document as it stands, with the log's last entry for it.
    tReport Report();

    void SetFileNameHook(tFileNameHook hook) { fileName_ = std::move(hook); }
    void SetPrintDialog(tPrintDialogHook dialog) { printDialog_ = std::move(dialog); }
    void SetOnStatusMessage(std::function<void(const QString&)> show) { statusMessage_ = std::move(show); }

private:
    tZCfgFile& document_;
    std::function<std::shared_ptr<tCommissioningLog>()> log_;
    QWidget& window_;
    QAction* export_ = nullptr;
    QAction* print_ = nullptr;
    tFileNameHook fileName_;
    tPrintDialogHook printDialog_;
    std::function<void(const QString&)> statusMessage_;
};
