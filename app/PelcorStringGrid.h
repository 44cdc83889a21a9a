#pragma once
// TPelcorStringGrid: a grid of text cells with header rows, which hides itself while it has no row
// below its header rows, can spread its columns over its width, and saves and loads its cells as
// comma-separated text.

#include <QStringList>
#include <QTableWidget>
#include <vector>

class TPelcorStringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TPelcorStringGrid(QWidget* parent = nullptr);

    // Rows wanted, header rows included. Visible exactly while RowCount > FixedRows.
    int RowCount() const { return rowCount_; }
    void SetRowCount(int rows);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int rows);
    // Spread the column width over the client width on every resize.
    bool AutoResize() const { return autoResize_; }
    void SetAutoResize(bool autoResize) { autoResize_ = autoResize; }

    int ColCount() const { return columnCount(); }
    void SetColCount(int columns);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int height);
    int GridLineWidth() const { return 1; }

    // Cells keep their text when the row count shrinks; they show again when it grows.
    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString& text);

    // Raise EZcfgError with the reason when the file cannot be written or read.
    void SaveToCSV(const QString& fileName) const;
    void LoadFromCSV(const QString& fileName);

    // The column width AutoResize gives for a client width.
    static int AutoColumnWidth(int clientWidth, int columns, int gridLineWidth);
    // One row as comma-separated text, and a line split back into its fields.
    static QString CsvLine(const QStringList& cells);
    static QStringList CsvFields(const QString& line);

    // Room for every column and every row shown, so the summary never needs scrolling.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showRow(int row);
    void applyRowHeight();

    std::vector<QStringList> cells_; // [row][column], also beyond the rows shown
    int rowCount_ = 5;
    int fixedRows_ = 1;
    bool autoResize_ = false;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
};
