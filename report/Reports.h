#pragma once
// The printed records: the report of one configuration (its device, every value under the caption
// and group its page shows, the comments, the device's identity and the log's last entry for it) and
// the report of the commissioning log's entries over a time. Both are rich text laid out for A4,
// written as PDF or printed; they need Qt Gui but no widgets, so zcfg makes the same reports as the
// window.

#include "commissioning/CommissioningEntry.h"

#include <QPageLayout>
#include <QString>
#include <memory>
#include <optional>

class QPagedPaintDevice;
class QTextDocument;
class tCommissioningLog;
class tZCfgFile;

struct tReport {
    std::unique_ptr<QTextDocument> Document;
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    tReport();
    tReport(tReport&&) noexcept;
    tReport& operator=(tReport&&) noexcept;
    ~tReport();
};

// What the log says about a configuration: its last entry, or why the log could not be read.
struct tLastEntry {
    std::optional<tCommissioningEntry> Entry;
    QString Problem; // the log could not be read; empty when it could
};

// The log's newest entry for the document's configuration (the same text, however often it was
// programmed or read). Reading creates no log.
tLastEntry LastEntryFor(tCommissioningLog& log, tZCfgFile& document);

// The report of the document's configuration.
tReport ConfigurationReport(tZCfgFile& document, const tLastEntry& last);
// The report of the entries the filter selected, oldest first: a table, landscape.
tReport LogReport(const QList<tCommissioningEntry>& entries, const tCommissioningFilter& filter);

// A4 in the report's orientation: for the PDF, and for a printer before its dialog lets the user
// change it. The page has no margins of its own; the report keeps 2 cm all round.
void SetReportPage(QPagedPaintDevice& device, const tReport& report);
// Lays the report out on the device's pages, 2 cm in from every edge, and draws it, numbering the
// pages.
void PrintReport(const tReport& report, QPagedPaintDevice& device);
// Where a report is suggested when nothing else says: the user's documents folder, or the home
// folder where there is none (a file dialog would otherwise start wherever the program was started).
QString DefaultReportFolder();
// Writes the report as a PDF file. A file that cannot be written is left as it was: false, and why.
bool WriteReportPdf(const tReport& report, const QString& fileName, const QString& title, QString& error);
