#include "report/Reports.h"

#include "commissioning/CommissioningLog.h"
#include "commissioning/TransferEntries.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "report/PageCaptions.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QUrl>

// Outside any namespace, as the resource initialiser requires.
static void initReportResource() {
    Q_INIT_RESOURCE(report);
}

namespace {

const QUrl pictureUrl(QStringLiteral("zcfg-report:device-picture"));
constexpr int pictureSize = 96;  // as laid out, in the document's pixels
constexpr int pictureDetail = 4; // drawn at four times that, so it prints sharp

// The drawings of the device pictures, in the order of the window's picture list.
const char* const pictureFiles[] = {"mpd", "relay", "zone_indicator", "pendant", "staff", "zx250"};

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

// A text over several lines, each shown.
QString lines(const QString& text) {
    return escaped(text).replace(QLatin1Char('\n'), QStringLiteral("<br/>"));
}

QString localTime(const QDateTime& time) {
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString orNone(const QString& text) {
    return text.isEmpty() ? QStringLiteral("none") : escaped(text);
}

// Every report is set in one font, so the window and zcfg lay it out alike.
std::unique_ptr<QTextDocument> newDocument(const QString& title) {
    auto document = std::make_unique<QTextDocument>();
    // No ligatures: the text of the PDF stays searchable and copies as it was written ("fi", not "ﬁ").
    QFont font(QStringLiteral("Sans Serif"), 9);
    font.setStyleStrategy(QFont::PreferNoShaping);
    document->setDefaultFont(font);
    document->setMetaInformation(QTextDocument::DocumentTitle, title);
    document->setDefaultStyleSheet(QStringLiteral(
        "h1 { font-size: 16pt; } h2 { font-size: 11pt; margin-top: 10px; margin-bottom: 4px; } "
        "th { text-align: left; background-color: #e8e8e8; }"));
    return document;
}

QString madeBy() {
    return QStringLiteral("Report made %1 by %2 on %3.")
        .arg(localTime(QDateTime::currentDateTimeUtc()), escaped(CurrentOperator()), escaped(CurrentHost()));
}

QImage devicePicture(int type) {
    const int index = DeviceTypeInfo(type).PictureIndex;
    if (index < 0 || index >= int(std::size(pictureFiles))) return {};
    static const bool resourceReady = (initReportResource(), true);
    Q_UNUSED(resourceReady);
    QSvgRenderer drawing(QStringLiteral(":/report/devices/%1.svg").arg(QLatin1String(pictureFiles[index])));
    if (!drawing.isValid()) return {};
    QImage image(pictureSize * pictureDetail, pictureSize * pictureDetail,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawing.render(&painter);
    return image;
}

// A table of captions and values, across the page.
QString valueTable() {
    return QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\">");
}

QString tableRow(const QString& caption, const QString& value) {
    return QStringLiteral("<tr><td width=\"45%\">%1</td><td>%2</td></tr>").arg(caption, value);
}

QString settingsTable(tZCfgFile& document) {
    const QList<tShownValue> values = ShownValues(document);
    if (values.isEmpty()) return QStringLiteral("<p>This program has no page for this device type.</p>");
    QString html = valueTable();
    QString group;
    bool first = true;
    for (const tShownValue& value : values) {
        // A radio group is a group box of its own: it stands alone, with no group heading above it.
        if (first || value.Group != group) {
            group = value.Group;
            if (!group.isEmpty())
                html += QStringLiteral("<tr><th colspan=\"2\">%1</th></tr>").arg(escaped(group));
        }
        first = false;
        html += tableRow(escaped(value.Caption), escaped(value.Text));
    }
    return html + QStringLiteral("</table>");
}

QString identityTable(tZCfgFile& document) {
    const tLoggedIdentity identity = ConfigurationIdentity(document);
    return valueTable() + tableRow(QStringLiteral("Factory Data"), orNone(identity.FactoryData)) +
           tableRow(QStringLiteral("Serial Number"), orNone(identity.SerialNumber)) +
           tableRow(QStringLiteral("Hardware Revision"), orNone(identity.HardwareRevision)) +
           tableRow(QStringLiteral("Firmware Revision"), orNone(identity.FirmwareRevision)) +
           QStringLiteral("</table>");
}

QString resultText(const tCommissioningEntry& entry) {
    return (entry.Success ? QStringLiteral("OK: ") : QStringLiteral("FAILED: ")) + entry.Result;
}

QString lastEntryText(const tLastEntry& last) {
    if (!last.Problem.isEmpty())
        return QStringLiteral("<p>The commissioning log could not be read: %1</p>")
            .arg(escaped(last.Problem));
    if (!last.Entry)
        return QStringLiteral("<p>The commissioning log holds no entry for this configuration.</p>");
    const tCommissioningEntry& entry = *last.Entry;
    return valueTable() + tableRow(QStringLiteral("Time"), escaped(localTime(entry.Time))) +
           tableRow(QStringLiteral("Operator"), escaped(entry.Operator + QLatin1Char('@') + entry.Host)) +
           tableRow(QStringLiteral("Action"), escaped(entry.Action)) +
           tableRow(QStringLiteral("Result"), lines(resultText(entry))) + QStringLiteral("</table>");
}

// What the filter selected, in words.
QString selection(const tCommissioningFilter& filter) {
    QStringList parts;
    if (filter.Since.isValid() && filter.Until.isValid())
        parts << QStringLiteral("Entries from %1 until %2")
                     .arg(localTime(filter.Since), localTime(filter.Until));
    else if (filter.Since.isValid())
        parts << QStringLiteral("Entries from %1").arg(localTime(filter.Since));
    else if (filter.Until.isValid())
        parts << QStringLiteral("Entries until %1").arg(localTime(filter.Until));
    else
        parts << QStringLiteral("All entries");
    if (!filter.DeviceType.isEmpty()) parts << filter.DeviceType;
    if (filter.FailuresOnly) parts << QStringLiteral("failures only");
    if (!filter.Text.isEmpty()) parts << QStringLiteral("holding \"%1\"").arg(filter.Text);
    return parts.join(QStringLiteral(", "));
}

} // namespace

tReport::tReport() = default;
tReport::tReport(tReport&&) noexcept = default;
tReport& tReport::operator=(tReport&&) noexcept = default;
tReport::~tReport() = default;

tLastEntry LastEntryFor(tCommissioningLog& log, tZCfgFile& document) {
    tCommissioningFilter filter;
    filter.ConfigurationSha256 = ConfigurationDigest(ConfigurationText(document));
    filter.Limit = 1;
    tLastEntry last;
    QList<tCommissioningEntry> entries;
    if (!log.Entries(filter, entries, &last.Problem, false)) return last;
    if (!entries.isEmpty()) last.Entry = entries.first();
    return last;
}

tReport ConfigurationReport(tZCfgFile& document, const tLastEntry& last) {
    const int type = document.GetDeviceType();
    const tDeviceTypeInfo& info = DeviceTypeInfo(type);
    const QString typeName =
        info.Type == dt_None ? document.DeviceTypeProperty()->Value() : QString::fromLatin1(info.ModelName);
    tReport report;
    report.Document = newDocument(typeName);
    QString picture;
    const QImage image = devicePicture(type);
    if (!image.isNull()) {
        report.Document->addResource(QTextDocument::ImageResource, pictureUrl, image);
        picture = QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%2\"/>")
                      .arg(pictureUrl.toString())
                      .arg(pictureSize);
    }
    const QString file = document.FileName().isEmpty()
                             ? QStringLiteral("not saved")
                             : escaped(QFileInfo(document.FileName()).absoluteFilePath());
    QString html =
        QStringLiteral("<table width=\"100%\"><tr><td><h1>%1</h1><p>Configuration file: %2<br/>%3</p>"
                       "</td><td align=\"right\">%4</td></tr></table>")
            .arg(escaped(typeName), file, madeBy(), picture);
    html += QStringLiteral("<h2>Settings</h2>") + settingsTable(document);
    const QStringList comments = document.Comments()->Lines();
    html += QStringLiteral("<h2>Comments</h2><p>%1</p>")
                .arg(comments.join(QString()).trimmed().isEmpty() ? QStringLiteral("none")
                                                                  : lines(comments.join(QLatin1Char('\n'))));
    html += QStringLiteral("<h2>Device Identity</h2>") + identityTable(document);
    html += QStringLiteral("<h2>Commissioning Log</h2>") + lastEntryText(last);
    report.Document->setHtml(html);
    return report;
}

tReport LogReport(const QList<tCommissioningEntry>& entries, const tCommissioningFilter& filter) {
    tReport report;
    report.Orientation = QPageLayout::Landscape;
    report.Document = newDocument(QStringLiteral("Commissioning Log"));
    QString html = QStringLiteral("<h1>Commissioning Log</h1><p>%1: %2.<br/>%3</p>")
                       .arg(escaped(selection(filter)),
                            entries.size() == 1 ? QStringLiteral("one entry")
                                                : QStringLiteral("%1 entries").arg(entries.size()),
                            madeBy());
    // A smaller type, so that a row mostly takes one line.
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\" "
                           "style=\"font-size: 8pt\"><thead><tr>");
    // The widths share the page out; a time is never broken.
    for (const auto& [heading, width] : {std::pair{"Time", 12},
                                         {"Operator", 10},
                                         {"Action", 9},
                                         {"Device Type", 14},
                                         {"Device", 14},
                                         {"Result", 24},
                                         {"Configuration File", 17}})
        html += QStringLiteral("<th width=\"%1%\">%2</th>").arg(width).arg(QLatin1String(heading));
    html += QStringLiteral("</tr></thead>");
    for (const tCommissioningEntry& entry : entries) {
        const tLoggedIdentity& identity = entry.Identity;
        QStringList device;
        for (const QString& part : {identity.SerialNumber, identity.FactoryData, identity.HardwareRevision,
                                    identity.FirmwareRevision})
            if (!part.isEmpty() && !device.contains(part)) device << part;
        QString result = lines(resultText(entry));
        if (!entry.Differences.isEmpty())
            result += QStringLiteral("<br/>") + lines(entry.Differences.join(QLatin1Char('\n')));
        html +=
            QStringLiteral("<tr><td style=\"white-space: "
                           "nowrap\">%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td>"
                           "<td>%7</td></tr>")
                .arg(escaped(localTime(entry.Time)), escaped(entry.Operator + QLatin1Char('@') + entry.Host),
                     escaped(entry.Action), escaped(entry.DeviceType), lines(device.join(QLatin1Char('\n'))),
                     result, escaped(entry.ConfigurationFile));
    }
    html += QStringLiteral("</table>");
    report.Document->setHtml(html);
    return report;
}

void SetReportPage(QPagedPaintDevice& device, const tReport& report) {
    // The margins are the text's own: a report laid out on its pages keeps 2 cm all round.
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), report.Orientation, QMarginsF()));
}

void PrintReport(const tReport& report, QPagedPaintDevice& device) {
    report.Document->print(&device);
}

bool WriteReportPdf(const tReport& report, const QString& fileName, const QString& title, QString& error) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Zentara Configurator"));
        SetReportPage(writer, report);
        PrintReport(report, writer);
    }
    if (file.error() != QFileDevice::NoError || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

QString DefaultReportFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}
