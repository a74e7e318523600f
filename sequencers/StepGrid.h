#pragma once
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableWidget>

// A step table: row 0 of the table is the heading (the horizontal header here),
// so grid row r (from 1) is table row r - 1. Column 0 holds the step numbers and is
// fixed; cells take at most MaxCellChars of digits and one decimal separator.
class StepGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit StepGrid(int columns, QWidget* parent = nullptr);
    using QTableWidget::edit;

    static constexpr int MaxCellChars = 9;
    static constexpr int FixedColumnWidth = 30;

    // Grid rows counted as the step tables count them: the heading row included.
    int gridRowCount() const { return rowCount() + 1; }
    void setGridRowCount(int rows);
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);
    int currentGridRow() const { return currentRow() + 1; }
    void setCurrentGridRow(int row);
    void insertGridRow(int row);
    void removeGridRow(int row);
    void setHeadings(const QStringList& headings);
    void setRowHeightPx(int height);
    // Column 0 fixed width, the data columns share the rest in whole pixels.
    void spreadColumns();
    // Whether the data columns follow the grid's width (else they keep the default width).
    void setSpreadColumns(bool spread) { m_spread = spread; }
    static QColor rowColor(int tableRow, int column);

    // Step-table editing shared by both tables. Cells are (column, text) pairs.
    using Cells = QList<QPair<int, QString>>;
    // Adds a row at the end with the given cells; returns its grid row.
    int appendStep(const Cells& cells);
    // Inserts a row at the current row (the row there moves down); returns its grid row.
    int insertStep(const Cells& cells);
    // Writes "1", "2", ... into column 0.
    void numberSteps();
    // A cell above maximum (or too long to read) is replaced by the maximum; returns the cell text.
    QString clampCell(int column, int row, double maximum);
    // Row 1's empty time cell becomes "1" as soon as the time column is current.
    void fillFirstTimeCell(int timeColumn);

    // The key filter: true when a typed character may go into a cell holding text.
    static bool acceptsCharacter(QChar c, const QString& cellText);

signals:
    // An edit of a cell was completed: the edited cell (grid row from 1, column), which
    // need not be the current cell any more (Tab moves on first).
    void editingDone(int row, int column);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void paintRows();
    // The cell being edited: Tab or a click moves the current cell before the edit ends.
    QPersistentModelIndex m_editing;
    QPointer<QWidget> m_editor;
    int m_rowHeight = 23;
    bool m_spread = true;
};
