#include "app/history/HistoryWindow.h"

#include "app/ProgrammerWorkflows.h"
#include "app/history/CommissioningRecorder.h"
#include "app/transfer/TransferCoordinator.h"
#include "commissioning/CommissioningLog.h"
#include "commissioning/TransferEntries.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "property/PelError.h"
#include "report/Reports.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QSplitter>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QTextBrowser>
#include <QVBoxLayout>

const QString THistoryWindow::NoConfiguration = QStringLiteral("This entry holds no configuration.");

namespace {

QString localTime(const QDateTime& time) {
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The columns the table shows, with their headings; the others stay hidden.
struct tShownColumn {
    tCommissioningColumn Column;
    const char* Heading;
    const char* Width; // a text as wide as the column starts
};
constexpr tShownColumn shownColumns[] = {
    {ccTime, "Time", "2026-12-31 23:59:59"},
    {ccAction, "Action", "Factory Program"},
    {ccDeviceType, "Device Type", "ZX330 ZI or ZX390/2 Sounder"},
    {ccSuccess, "Result", "Result"},
    {ccResult, "Message", "Data Transferred and Verified"},
    {ccFactoryData, "Factory Data", "ABCDEFGHIJKLMNOP"},
    {ccConfigurationFile, "File", "/home/installer/site/ward-12.zcf"},
    {ccOperator, "Operator", "installer"},
    {ccComments, "Comments", "Ward 12, bed 3"},
};

} // namespace

// The list query's rows as the history shows them: local times, "OK" and "Failed".
class THistoryModel : public QSqlQueryModel {
public:
    using QSqlQueryModel::QSqlQueryModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const QVariant value = QSqlQueryModel::data(index, role);
        if (role != Qt::DisplayRole) return value;
        if (index.column() == ccTime) return localTime(CommissioningTimeFromText(value.toString()));
        if (index.column() == ccSuccess)
            return value.toInt() ? QStringLiteral("OK") : QStringLiteral("Failed");
        if (value.typeId() == QMetaType::QString)
            return value.toString().replace(QLatin1Char('\n'), QLatin1Char(' '));
        return value;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            for (const tShownColumn& shown : shownColumns)
                if (shown.Column == section) return QString::fromLatin1(shown.Heading);
        return QSqlQueryModel::headerData(section, orientation, role);
    }
    qint64 Id(int row) const { return record(row).value(ccId).toLongLong(); }
};

THistoryWindow::THistoryWindow(const tServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), log_(services.recorder.Log()) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("Commissioning Log"));
    buildControls();
    QPointer<THistoryWindow> self(this);
    services_.transfers.AddBusyListener([self](bool) {
        if (self) self->updateButtons();
    });
    services_.recorder.AddOnRecorded([self] {
        if (self && self->isVisible()) self->Refresh();
    });
    fileName_ = [this](const QString& caption, const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(this, caption, suggested, filter);
    };
    ask_ = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    Refresh();
}

// The model's query goes before the log it reads may close.
THistoryWindow::~THistoryWindow() {
    model_->clear();
}

void THistoryWindow::buildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* filters = new QGridLayout;
    layout->addLayout(filters);

    const auto labelled = [this, filters](const QString& caption, QWidget* field, int row, int column) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        filters->addWidget(label, row, column);
        filters->addWidget(field, row, column + 1);
    };
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("EditHistorySearch"));
    search_->setPlaceholderText(QStringLiteral("Device type, identity, file, comments or result"));
    search_->setClearButtonEnabled(true);
    labelled(QStringLiteral("&Search:"), search_, 0, 0);
    deviceType_ = new QComboBox(this);
    deviceType_->setObjectName(QStringLiteral("ComboHistoryDeviceType"));
    deviceType_->addItem(QStringLiteral("All device types"));
    for (const tDeviceTypeInfo& info : DeviceTypes())
        deviceType_->addItem(QString::fromLatin1(info.ModelName), QString::fromLatin1(info.ModelName));
    labelled(QStringLiteral("&Device type:"), deviceType_, 0, 2);
    results_ = new QComboBox(this);
    results_->setObjectName(QStringLiteral("ComboHistoryResults"));
    results_->addItems({QStringLiteral("All results"), QStringLiteral("Failures only")});
    labelled(QStringLiteral("&Results:"), results_, 0, 4);

    const QDate today = QDate::currentDate();
    auto* times = new QHBoxLayout;
    filters->addLayout(times, 1, 0, 1, 6);
    const auto dateRange = [this, times](QCheckBox*& use, QDateEdit*& date, const QString& caption,
                                         const QString& name, const QDate& initial) {
        use = new QCheckBox(caption, this);
        use->setObjectName(QStringLiteral("CheckHistory") + name);
        date = new QDateEdit(initial, this);
        date->setObjectName(QStringLiteral("DateHistory") + name);
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setEnabled(false);
        use->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        date->setAccessibleName(QString(caption).remove(QLatin1Char('&')) + QStringLiteral(" date"));
        connect(use, &QCheckBox::toggled, date, &QWidget::setEnabled);
        times->addWidget(use);
        times->addWidget(date);
    };
    dateRange(useSince_, since_, QStringLiteral("&From"), QStringLiteral("Since"), today.addDays(-30));
    dateRange(useUntil_, until_, QStringLiteral("&To"), QStringLiteral("Until"), today);
    times->addStretch(1);
    countLabel_ = new QLabel(this);
    countLabel_->setObjectName(QStringLiteral("LabelHistoryCount"));
    countLabel_->setAccessibleName(QStringLiteral("Entries found"));
    times->addWidget(countLabel_);
    filters->setColumnStretch(1, 1);

    model_ = new THistoryModel(this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("TableHistory"));
    table_->setAccessibleName(QStringLiteral("Commissioning log entries"));
    table_->setModel(model_);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { Guarded([this] { currentChanged(); }); });
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    details_ = new QTextBrowser(this);
    details_->setObjectName(QStringLiteral("TextHistoryDetails"));
    details_->setAccessibleName(QStringLiteral("Entry details"));
    details_->setOpenLinks(false);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(table_);
    splitter->addWidget(details_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);

    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    const auto button = [this, buttons](const QString& caption, const QString& name,
                                        std::function<void()> action) {
        auto* pushButton = new QPushButton(caption, this);
        pushButton->setObjectName(name);
        pushButton->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        connect(pushButton, &QPushButton::clicked, this, [action = std::move(action)] { Guarded(action); });
        buttons->addWidget(pushButton);
        return pushButton;
    };
    openButton_ = button(QStringLiteral("&Open as New Document"), QStringLiteral("ButtonHistoryOpen"),
                         [this] { OpenAsNewDocument(); });
    compareButton_ = button(QStringLiteral("&Compare with Device"), QStringLiteral("ButtonHistoryCompare"),
                            [this] { CompareWithDevice(); });
    programButton_ = button(QStringLiteral("&Program This Configuration"),
                            QStringLiteral("ButtonHistoryProgram"), [this] { ProgramThisConfiguration(); });
    buttons->addStretch(1);
    csvButton_ =
        button(QStringLiteral("Export CS&V…"), QStringLiteral("ButtonHistoryCsv"), [this] { ExportCsv(); });
    reportButton_ = button(QStringLiteral("Export R&eport…"), QStringLiteral("ButtonHistoryReport"),
                           [this] { ExportReport(); });
    button(QStringLiteral("C&lose"), QStringLiteral("ButtonHistoryClose"), [this] { close(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    // Every change of the filter reads the entries again at once: the query takes milliseconds.
    const auto refresh = [this] { Guarded([this] { Refresh(); }); };
    connect(search_, &QLineEdit::textChanged, this, refresh);
    connect(deviceType_, &QComboBox::currentIndexChanged, this, refresh);
    connect(results_, &QComboBox::currentIndexChanged, this, refresh);
    for (QCheckBox* use : {useSince_, useUntil_})
        connect(use, &QCheckBox::toggled, this, refresh);
    for (QDateEdit* date : {since_, until_})
        connect(date, &QDateEdit::dateChanged, this, refresh);
    resize(1000, 640);
}

tCommissioningFilter THistoryWindow::Filter() const {
    tCommissioningFilter filter;
    filter.Text = search_->text().trimmed();
    filter.DeviceType = deviceType_->currentData().toString();
    filter.FailuresOnly = results_->currentIndex() == 1;
    if (useSince_->isChecked()) filter.Since = since_->date().startOfDay();
    // The last day counts whole.
    if (useUntil_->isChecked()) filter.Until = until_->date().addDays(1).startOfDay();
    return filter;
}

void THistoryWindow::Refresh() {
    const qint64 chosen = current_ ? current_->Id : 0;
    tCommissioningFilter filter = Filter();
    QString error;
    count_ = log_->Count(filter, &error);
    filter.Limit = RowLimit;
    QSqlQuery query = log_->ListQuery(filter);
    if (error.isEmpty() && query.lastError().isValid()) error = query.lastError().text();
    // A new query resets the table's columns: the widths the user gave them are kept.
    QHeaderView* header = table_->horizontalHeader();
    const QByteArray columns = model_->columnCount() == ccColumnCount ? header->saveState() : QByteArray();
    model_->setQuery(std::move(query));
    if (columns.isEmpty() || !header->restoreState(columns)) {
        for (int column = 0; column < ccColumnCount; ++column)
            table_->setColumnHidden(column, true);
        for (const tShownColumn& shown : shownColumns) {
            table_->setColumnHidden(shown.Column, false);
            table_->setColumnWidth(shown.Column, fontMetrics().horizontalAdvance(QLatin1String(shown.Width)) +
                                                     2 * fontMetrics().height());
        }
    }
    if (!error.isEmpty())
        countLabel_->setText(QStringLiteral("The commissioning log cannot be read: %1").arg(error));
    else if (count_ > RowLimit)
        countLabel_->setText(QStringLiteral("The newest %1 of %2 entries").arg(RowLimit).arg(count_));
    else
        countLabel_->setText(count_ == 1 ? QStringLiteral("1 entry")
                                         : QStringLiteral("%1 entries").arg(count_));
    // The entry chosen before stays chosen while it is listed among the rows fetched.
    for (int row = 0; chosen && row < model_->rowCount(); ++row)
        if (model_->Id(row) == chosen) {
            table_->setCurrentIndex(model_->index(row, ccTime));
            return;
        }
    // Otherwise the newest entry is chosen, so its details show at once.
    current_.reset();
    if (model_->rowCount() > 0)
        table_->setCurrentIndex(model_->index(0, ccTime));
    else
        showDetails();
}

void THistoryWindow::currentChanged() {
    const QModelIndex index = table_->currentIndex();
    current_.reset();
    if (index.isValid()) current_ = log_->Entry(model_->Id(index.row()));
    showDetails();
}

void THistoryWindow::showDetails() {
    updateButtons();
    if (!current_) {
        details_->clear();
        return;
    }
    const tCommissioningEntry& entry = *current_;
    const auto row = [](const QString& caption, const QString& value) {
        if (value.isEmpty()) return QString();
        return QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
            .arg(caption, value.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br/>")));
    };
    QString html =
        QStringLiteral("<table cellspacing=\"2\">") + row(QStringLiteral("Time"), localTime(entry.Time)) +
        row(QStringLiteral("Operator"), entry.Operator + QLatin1Char('@') + entry.Host) +
        row(QStringLiteral("Adapter"), entry.AdapterSerial) + row(QStringLiteral("Action"), entry.Action) +
        row(QStringLiteral("Device Type"), entry.DeviceType) +
        row(QStringLiteral("Factory Data"), entry.Identity.FactoryData) +
        row(QStringLiteral("Serial Number"), entry.Identity.SerialNumber) +
        row(QStringLiteral("Hardware Revision"), entry.Identity.HardwareRevision) +
        row(QStringLiteral("Firmware Revision"), entry.Identity.FirmwareRevision) +
        row(QStringLiteral("Result"),
            (entry.Success ? QStringLiteral("OK: ") : QStringLiteral("Failed: ")) + entry.Result) +
        row(QStringLiteral("Differences"), entry.Differences.join(QLatin1Char('\n'))) +
        row(QStringLiteral("File"), entry.ConfigurationFile) +
        row(QStringLiteral("Backup"), entry.BackupFile) + row(QStringLiteral("Comments"), entry.Comments) +
        QStringLiteral("</table>");
    html += entry.Configuration.isEmpty() ? QStringLiteral("<p>%1</p>").arg(NoConfiguration)
                                          : QStringLiteral("<p><b>Configuration</b></p><pre>%1</pre>")
                                                .arg(entry.Configuration.toHtmlEscaped());
    details_->setHtml(html);
}

void THistoryWindow::updateButtons() {
    const bool configuration = current_ && !current_->Configuration.isEmpty();
    const bool idle = !services_.transfers.Busy();
    openButton_->setEnabled(configuration && idle);
    compareButton_->setEnabled(configuration && idle);
    programButton_->setEnabled(configuration && idle);
}

// The entry's configuration becomes the document, not yet saved anywhere: as New (which first asks
// to save the document open), then the configuration's text taken as a file's.
bool THistoryWindow::openEntryAsDocument() {
    if (!current_ || services_.transfers.Busy()) return false;
    if (current_->Configuration.isEmpty()) {
        ShowWarning(NoConfiguration);
        return false;
    }
    tZCfgFile& document = services_.document;
    if (!document.NewDocument()) return false;
    const tLoadResult result = document.LoadFromLines(ConfigurationLines(current_->Configuration));
    if (!result.touchedDocument()) {
        ShowError(QStringLiteral("The configuration of this entry cannot be opened: %1").arg(result.message));
        return false;
    }
    document.SetModified(true);
    document.UpdateCaption();
    if (!result.errors.isEmpty())
        ShowWarning(
            tPelFileProperty::ProblemsText(QStringLiteral("the configuration of this entry"), result.errors));
    return true;
}

void THistoryWindow::OpenAsNewDocument() {
    if (openEntryAsDocument() && parentWidget()) parentWidget()->activateWindow();
}

// The entry's configuration becomes the document, and the attached device is compared with it as
// the Device menu's Compare does: the values that differ are shown in the Differences window, where
// the document can take them.
void THistoryWindow::CompareWithDevice() {
    if (!openEntryAsDocument()) return;
    if (services_.compare) services_.compare();
}

// After a confirmation, the entry's configuration is programmed into the attached device and
// verified as any Program, the document staying as it is; the log records it as a Restore.
void THistoryWindow::ProgramThisConfiguration() {
    if (!current_ || services_.transfers.Busy()) return;
    if (current_->Configuration.isEmpty()) {
        ShowWarning(NoConfiguration);
        return;
    }
    const QString question =
        QStringLiteral("Program the attached device with the configuration of this entry (%1, %2 of %3)?")
            .arg(current_->DeviceType, current_->Action, localTime(current_->Time));
    if (!ask_ || !ask_(question)) return;
    std::shared_ptr<tZCfgFile> configuration(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    const tLoadResult result = configuration->LoadFromLines(ConfigurationLines(current_->Configuration));
    // Only a configuration that reads without a problem is programmed: nothing of it may be lost.
    if (!result.ok()) {
        ShowError(QStringLiteral("The configuration of this entry cannot be programmed: %1")
                      .arg(result.errors.isEmpty()
                               ? result.message
                               : tPelFileProperty::ProblemsText(
                                     QStringLiteral("the configuration of this entry"), result.errors)));
        return;
    }
    services_.workflows.OpenLink();
    services_.recorder.ExpectRestore(true);
    services_.document.StartProgramOf(std::move(configuration));
}

bool THistoryWindow::writeExport(const QString& caption, const QString& suggested, const QString& filter,
                                 const std::function<bool(const QString& file, QString& error)>& write) {
    const QString file =
        fileName_ ? fileName_(caption, QDir(DefaultReportFolder()).filePath(suggested), filter) : QString();
    if (file.isEmpty()) return false;
    QString error;
    if (write(file, error)) return true;
    ShowError(QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(file), error));
    return false;
}

void THistoryWindow::ExportCsv() {
    writeExport(QStringLiteral("Export CSV"), QStringLiteral("commissioning-log.csv"),
                QStringLiteral("CSV files (*.csv)"), [this](const QString& name, QString& error) {
                    QSaveFile file(name);
                    if (!file.open(QIODevice::WriteOnly)) {
                        error = file.errorString();
                        return false;
                    }
                    tCommissioningFilter filter = Filter();
                    filter.OldestFirst = true;
                    if (!log_->WriteCsv(filter, file, &error)) return false;
                    if (file.commit()) return true;
                    error = file.errorString();
                    return false;
                });
}

void THistoryWindow::ExportReport() {
    writeExport(QStringLiteral("Export Report"), QStringLiteral("commissioning-log.pdf"),
                QStringLiteral("PDF files (*.pdf)"), [this](const QString& name, QString& error) {
                    tCommissioningFilter filter = Filter();
                    filter.OldestFirst = true;
                    QList<tCommissioningEntry> entries;
                    if (!log_->Entries(filter, entries, &error, false)) return false;
                    return WriteReportPdf(LogReport(entries, filter), name,
                                          QStringLiteral("Commissioning Log"), error);
                });
}
