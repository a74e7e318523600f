#include "sequencers/StepGrid.h"

#include "link/CommandText.h"
#include "link/ReadNumber.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace {

// The cell editor that lets only what a step value may hold through.
class CellEditorFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* edit = static_cast<QLineEdit*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste) || key->text().isEmpty())
            return false; // navigation, editing keys and clipboard keys pass
        const QChar c = key->text().at(0);
        if (c == QChar(8) || c == QChar(127) || c == QChar(13) || c == QChar(27) || c == QChar(9))
            return false;
        QString text = edit->text();
        if (edit->hasSelectedText())
            text.remove(edit->selectionStart(), edit->selectedText().size());
        return !StepGrid::acceptsCharacter(c, text);
    }
};

class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setMaxLength(StepGrid::MaxCellChars);
            edit->setAlignment(Qt::AlignCenter);
            edit->installEventFilter(new CellEditorFilter(edit));
        }
        return editor;
    }
};

} // namespace

StepGrid::StepGrid(int columns, QWidget* parent)
    : QTableWidget(0, columns, parent)
{
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView::section { background: rgb(206,206,206); }"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new CellDelegate(this));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setStyleSheet(QStringLiteral("QTableWidget { gridline-color: rgb(150,150,150); }"));
}

bool StepGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (!QTableWidget::edit(index, trigger, event))
        return false;
    if (QWidget* editor = indexWidget(index)) {
        m_editing = index;
        m_editor = editor;
    }
    return true;
}

void StepGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool ours = editor && editor == m_editor;
    const QPersistentModelIndex edited = ours ? m_editing : QPersistentModelIndex();
    if (ours) {
        m_editing = QPersistentModelIndex();
        m_editor = nullptr;
    }
    // The data is committed by now; Tab may open the next cell's editor here.
    QTableWidget::closeEditor(editor, hint);
    if (edited.isValid())
        emit editingDone(edited.row() + 1, edited.column());
}

bool StepGrid::acceptsCharacter(QChar c, const QString& cellText)
{
    if (c.unicode() == 3 || c.unicode() == 22 || c.unicode() == 8)
        return true;
    if (c == QLatin1Char('.') || c == QLatin1Char(','))
        return !cellText.contains(QLatin1Char('.')) && !cellText.contains(QLatin1Char(','));
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

void StepGrid::setGridRowCount(int rows)
{
    setRowCount(qMax(0, rows - 1));
    paintRows();
}

QString StepGrid::cell(int column, int row) const
{
    const QTableWidgetItem* it = item(row - 1, column);
    return it ? it->text() : QString();
}

void StepGrid::setCell(int column, int row, const QString& text)
{
    if (row < 1 || row > rowCount() || column < 0 || column >= columnCount())
        return;
    QTableWidgetItem* it = item(row - 1, column);
    if (!it) {
        it = new QTableWidgetItem;
        it->setTextAlignment(Qt::AlignCenter);
        if (column == 0)
            it->setFlags(Qt::ItemIsEnabled);
        it->setBackground(rowColor(row - 1, column));
        setItem(row - 1, column, it);
    }
    it->setText(text);
}

void StepGrid::setCurrentGridRow(int row)
{
    if (row >= 1 && row <= rowCount())
        setCurrentCell(row - 1, qMax(1, currentColumn()));
}

void StepGrid::insertGridRow(int row)
{
    insertRow(qBound(0, row - 1, rowCount()));
    paintRows();
}

void StepGrid::removeGridRow(int row)
{
    removeRow(row - 1);
    paintRows();
}

void StepGrid::setHeadings(const QStringList& headings) { setHorizontalHeaderLabels(headings); }

void StepGrid::setRowHeightPx(int height)
{
    m_rowHeight = height;
    verticalHeader()->setDefaultSectionSize(height);
    verticalHeader()->setMinimumSectionSize(qMin(height, 12));
    horizontalHeader()->setFixedHeight(height);
}

void StepGrid::spreadColumns()
{
    const int fixed = FixedColumnWidth;
    const int available = viewport()->width() > 0 ? viewport()->width() : width();
    const int each = qMax(20, (available - fixed) / qMax(1, columnCount() - 1));
    setColumnWidth(0, fixed);
    for (int c = 1; c < columnCount(); ++c)
        setColumnWidth(c, each);
}

void StepGrid::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    if (m_spread)
        spreadColumns();
    else
        setColumnWidth(0, FixedColumnWidth); // the step numbers stay narrow; the rest keep their width
}

QColor StepGrid::rowColor(int tableRow, int column)
{
    // Odd step rows in the tooltip colour, even ones and the step numbers in grey.
    if (column == 0 || (tableRow + 1) % 2 == 0)
        return QColor(206, 206, 206);
    return QApplication::palette().color(QPalette::ToolTipBase);
}

void StepGrid::paintRows()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (QTableWidgetItem* it = item(r, c))
                it->setBackground(rowColor(r, c));
}

int StepGrid::appendStep(const Cells& cells)
{
    setGridRowCount(gridRowCount() + 1);
    const int row = gridRowCount() - 1;
    for (const auto& [column, text] : cells)
        setCell(column, row, text);
    numberSteps();
    return row;
}

int StepGrid::insertStep(const Cells& cells)
{
    const int row = qBound(1, currentGridRow(), gridRowCount());
    insertGridRow(row);
    for (const auto& [column, text] : cells)
        setCell(column, row, text);
    numberSteps();
    return row;
}

void StepGrid::numberSteps()
{
    for (int r = 1; r < gridRowCount(); ++r)
        setCell(0, r, QString::number(r));
}

QString StepGrid::clampCell(int column, int row, double maximum)
{
    QString text = cell(column, row);
    const auto value = tryReadNumber(text);
    if (!value || *value > maximum) {
        text = FloatToText(maximum);
        setCell(column, row, text);
    }
    return text;
}

void StepGrid::fillFirstTimeCell(int timeColumn)
{
    if (currentColumn() == timeColumn && gridRowCount() > 1 && cell(timeColumn, 1).isEmpty())
        setCell(timeColumn, 1, QStringLiteral("1"));
}
