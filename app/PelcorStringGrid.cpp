#include "app/PelcorStringGrid.h"

#include "property/PelError.h"
#include "property/TextFile.h"

#include <QHeaderView>
#include <QResizeEvent>

namespace {
constexpr int DefaultColumns = 5;

bool needsQuotes(const QString& cell) {
    if (cell.isEmpty()) return true; // an empty field stays a field when the line is read back
    for (QChar c : cell)
        if (c.unicode() <= 0x20 || c == QLatin1Char(',') || c == QLatin1Char('"')) return true;
    return false;
}

bool isBlank(QChar c) {
    return c.unicode() <= 0x20;
}
} // namespace

TPelcorStringGrid::TPelcorStringGrid(QWidget* parent) : QTableWidget(parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setShowGrid(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setWordWrap(false);
    QTableWidget::setColumnCount(DefaultColumns);
    SetDefaultColWidth(defaultColWidth_);
    applyRowHeight();
    QTableWidget::setRowCount(rowCount_);
}

void TPelcorStringGrid::SetRowCount(int rows) {
    rowCount_ = rows;
    if (rowCount_ <= fixedRows_) {
        hide();
        return;
    }
    const int before = rowCount();
    QTableWidget::setRowCount(rowCount_);
    for (int row = before; row < rowCount_; ++row)
        showRow(row);
    updateGeometry();
    show();
}

void TPelcorStringGrid::SetFixedRows(int rows) {
    fixedRows_ = rows;
    if (fixedRows_ >= rowCount_) {
        hide();
        return;
    }
    for (int row = 0; row < rowCount(); ++row)
        showRow(row);
    show();
}

void TPelcorStringGrid::SetColCount(int columns) {
    const int before = columnCount();
    QTableWidget::setColumnCount(columns);
    for (int column = before; column < columns; ++column)
        setColumnWidth(column, defaultColWidth_);
    for (int row = 0; row < rowCount(); ++row)
        showRow(row);
}

void TPelcorStringGrid::SetDefaultColWidth(int width) {
    defaultColWidth_ = width;
    horizontalHeader()->setDefaultSectionSize(width);
    for (int column = 0; column < columnCount(); ++column)
        setColumnWidth(column, width);
    updateGeometry();
}

void TPelcorStringGrid::SetDefaultRowHeight(int height) {
    defaultRowHeight_ = height;
    applyRowHeight();
}

void TPelcorStringGrid::applyRowHeight() {
    // The height is a minimum: a row never clips its text in a larger font.
    const int height = std::max(defaultRowHeight_, fontMetrics().height() + 4);
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

QString TPelcorStringGrid::Cell(int column, int row) const {
    if (row < 0 || row >= int(cells_.size()) || column < 0) return QString();
    return cells_[row].value(column);
}

void TPelcorStringGrid::SetCell(int column, int row, const QString& text) {
    if (row < 0 || column < 0) return;
    if (row >= int(cells_.size())) cells_.resize(row + 1);
    QStringList& cells = cells_[row];
    while (cells.size() <= column)
        cells.append(QString());
    cells[column] = text;
    if (row < rowCount() && column < columnCount()) showRow(row);
}

void TPelcorStringGrid::showRow(int row) {
    const bool fixed = row < fixedRows_;
    for (int column = 0; column < columnCount(); ++column) {
        QTableWidgetItem* cell = item(row, column);
        if (!cell) {
            cell = new QTableWidgetItem;
            setItem(row, column, cell);
        }
        cell->setText(Cell(column, row));
        cell->setFlags(Qt::ItemIsEnabled);
        QFont font = cell->font();
        font.setBold(fixed);
        cell->setFont(font);
        cell->setBackground(fixed ? palette().button() : QBrush());
    }
}

QSize TPelcorStringGrid::sizeHint() const {
    int width = 2 * frameWidth();
    for (int column = 0; column < columnCount(); ++column)
        width += columnWidth(column);
    int height = 2 * frameWidth();
    for (int row = 0; row < rowCount(); ++row)
        height += rowHeight(row);
    return {width, height};
}

int TPelcorStringGrid::AutoColumnWidth(int clientWidth, int columns, int gridLineWidth) {
    if (columns <= 0) return 0;
    return (clientWidth - (columns - 1) * gridLineWidth) / columns;
}

void TPelcorStringGrid::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    if (autoResize_) SetDefaultColWidth(AutoColumnWidth(viewport()->width(), columnCount(), GridLineWidth()));
}

QString TPelcorStringGrid::CsvLine(const QStringList& cells) {
    QStringList fields;
    for (const QString& cell : cells) {
        if (!needsQuotes(cell)) {
            fields.append(cell);
            continue;
        }
        QString quoted = cell;
        quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
        fields.append(QLatin1Char('"') + quoted + QLatin1Char('"'));
    }
    return fields.join(QLatin1Char(','));
}

QStringList TPelcorStringGrid::CsvFields(const QString& line) {
    QStringList fields;
    const int length = int(line.size());
    int i = 0;
    auto skipBlanks = [&] {
        while (i < length && isBlank(line[i]))
            ++i;
    };
    skipBlanks();
    while (i < length) {
        QString field;
        if (line[i] == QLatin1Char('"')) {
            ++i;
            while (i < length) {
                if (line[i] == QLatin1Char('"')) {
                    if (i + 1 < length && line[i + 1] == QLatin1Char('"')) {
                        field.append(QLatin1Char('"'));
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field.append(line[i++]);
            }
        } else {
            while (i < length && line[i] != QLatin1Char(',') && !isBlank(line[i]))
                field.append(line[i++]);
        }
        fields.append(field);
        skipBlanks();
        if (i < length && line[i] == QLatin1Char(',')) {
            ++i;
            skipBlanks();
            if (i >= length) fields.append(QString()); // a comma at the end leaves an empty last field
        }
    }
    if (fields.isEmpty()) fields.append(QString()); // an empty line is one empty cell
    return fields;
}

void TPelcorStringGrid::SaveToCSV(const QString& fileName) const {
    QStringList lines;
    for (int row = 0; row < rowCount_; ++row) {
        QStringList cells;
        for (int column = 0; column < columnCount(); ++column)
            cells.append(Cell(column, row));
        lines.append(CsvLine(cells));
    }
    QString error;
    if (!WriteTextFile(fileName, lines, error))
        throw EZcfgError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, error));
}

void TPelcorStringGrid::LoadFromCSV(const QString& fileName) {
    QStringList lines;
    QString error;
    if (!ReadTextFile(fileName, lines, error))
        throw EZcfgError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, error));
    for (int row = 0; row < lines.size(); ++row) {
        const QStringList fields = CsvFields(lines[row]);
        // A shorter line narrows the grid; a longer one keeps its extra cells without widening it.
        if (fields.size() < columnCount()) SetColCount(int(fields.size()));
        if (row >= rowCount_) SetRowCount(rowCount_ + 1);
        for (int column = 0; column < fields.size(); ++column)
            SetCell(column, row, fields[column]);
    }
}
