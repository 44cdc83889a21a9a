#include "app/report/ReportActions.h"

#include "device/UnitZCfgFile.h"
#include "property/PelError.h"
#include "report/Reports.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

TReportActions::TReportActions(tZCfgFile& document, std::function<std::shared_ptr<tCommissioningLog>()> log,
                               QWidget& window)
    : QObject(&window), document_(document), log_(std::move(log)), window_(window) {
    fileName_ = [this](const QString& caption, const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(&window_, caption, suggested, filter);
    };
    printDialog_ = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, &window_);
        return dialog.exec() == QDialog::Accepted;
    };
    export_ = new QAction(QStringLiteral("Export &Report…"), this);
    export_->setObjectName(QStringLiteral("ActionExportReport"));
    connect(export_, &QAction::triggered, this, [this] { Guarded([this] { ExportReport(); }); });
    print_ = new QAction(QStringLiteral("&Print…"), this);
    print_->setObjectName(QStringLiteral("ActionPrintReport"));
    print_->setShortcut(QKeySequence::Print);
    connect(print_, &QAction::triggered, this, [this] { Guarded([this] { Print(); }); });
}

void TReportActions::AddTo(QMenu& menu, QAction* before) {
    menu.insertAction(before, export_);
    menu.insertAction(before, print_);
}

tReport TReportActions::Report() {
    tLastEntry last;
    if (const std::shared_ptr<tCommissioningLog> log = log_ ? log_() : nullptr)
        last = LastEntryFor(*log, document_);
    return ConfigurationReport(document_, last);
}

// The report goes beside the configuration's file, named after it, unless the user chooses otherwise.
void TReportActions::ExportReport() {
    const QFileInfo file(document_.FileName());
    const QString suggested =
        document_.FileName().isEmpty()
            ? QDir(DefaultReportFolder()).filePath(QStringLiteral("Configuration Report.pdf"))
            : file.dir().filePath(file.completeBaseName() + QStringLiteral(".pdf"));
    const QString target =
        fileName_ ? fileName_(QStringLiteral("Export Report"), suggested, QStringLiteral("PDF files (*.pdf)"))
                  : QString();
    if (target.isEmpty()) return;
    QString error;
    const QString title =
        file.fileName().isEmpty() ? QStringLiteral("Configuration Report") : file.fileName();
    if (!WriteReportPdf(Report(), target, title, error)) {
        ShowError(QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(target), error));
        return;
    }
    if (statusMessage_)
        statusMessage_(QStringLiteral("Report written to %1").arg(QDir::toNativeSeparators(target)));
}

void TReportActions::Print() {
    const tReport report = Report();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(report.Document->metaInformation(QTextDocument::DocumentTitle));
    SetReportPage(printer, report);
    if (!printDialog_ || !printDialog_(printer)) return;
    PrintReport(report, printer);
    if (printer.printerState() == QPrinter::Error)
        ShowError(QStringLiteral("The report could not be printed."));
}
