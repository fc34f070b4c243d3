#include "app/filter_grid.h"

#include "app/filter_table_model.h"
#include "app/text_codec.h"
#include "settings/filter_table.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

namespace corvinax {

using namespace Qt::StringLiterals;

FilterGrid::FilterGrid(QWidget* parent) : QTableView(parent)
{
    setToolTip(u"Insert - для вставки строки\nCtrl+DEL - для удаления строки\n"
               u"Стрелка вниз на последней строке - новая строка в конце"_s);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* insert = new QAction(u"Вставить строку"_s, this);
    insert->setShortcut(Qt::Key_Insert);
    insert->setShortcutContext(Qt::WidgetShortcut);
    connect(insert, &QAction::triggered, this, &FilterGrid::insertRowBeforeCurrent);
    auto* append = new QAction(u"Добавить строку в конец"_s, this);
    connect(append, &QAction::triggered, this, &FilterGrid::appendRow);
    auto* remove = new QAction(u"Удалить строку"_s, this);
    remove->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    remove->setShortcutContext(Qt::WidgetShortcut);
    connect(remove, &QAction::triggered, this, &FilterGrid::deleteCurrentRow);
    addActions({insert, append, remove});
    setItemDelegate(new RowColourDelegate(this));
    setItemDelegateForColumn(FilterTableModel::TextColumn, new TextColumnDelegate(this));
    setItemDelegateForColumn(FilterTableModel::ModeColumn, new ModePickListDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void FilterGrid::postEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    // Leaving the cell commits its editor, as moving to another row would.
    const QModelIndex current = currentIndex();
    setCurrentIndex(QModelIndex());
    setCurrentIndex(current);
}

void FilterGrid::insertAt(int row)
{
    if (!model() || !isEnabled())
        return;
    model()->insertRows(row, 1);
    m_inserted = model()->index(row, FilterTableModel::TextColumn);
    setCurrentIndex(m_inserted);
}

void FilterGrid::insertRowBeforeCurrent()
{
    insertAt(currentIndex().isValid() ? currentIndex().row() : 0);
}

// A low-priority catch-all row belongs at the end, where rows are matched last.
void FilterGrid::appendRow()
{
    if (model())
        insertAt(model()->rowCount());
}

void FilterGrid::deleteCurrentRow()
{
    if (!model() || !isEnabled() || !currentIndex().isValid())
        return;
    const int row = currentIndex().row();
    const QString text = model()->index(row, FilterTableModel::TextColumn).data().toString();
    if (!text.isEmpty() && m_confirmDeletion && !m_confirmDeletion(text))
        return;
    m_inserted = QPersistentModelIndex();  // the cursor leaves it by its removal
    model()->removeRows(row, 1);
}

void FilterGrid::keyPressEvent(QKeyEvent* event)
{
    if (!model() || !isEnabled()) {
        QTableView::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        insertRowBeforeCurrent();
        return;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
        deleteCurrentRow();
        return;
    }
    const bool onLastRow = !currentIndex().isValid() || currentIndex().row() == model()->rowCount() - 1;
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier && onLastRow &&
        !(m_inserted.isValid() && m_inserted.row() == model()->rowCount() - 1)) {
        appendRow();
        return;
    }
    QTableView::keyPressEvent(event);
}

// Tab moves from cell to cell, and out of the grid past its first or last cell.
bool FilterGrid::focusNextPrevChild(bool next)
{
    const QModelIndex current = currentIndex();
    const bool atEnd = !model() || model()->rowCount() == 0 || !current.isValid() ||
                       (next ? current.row() == model()->rowCount() - 1 && current.column() == model()->columnCount() - 1
                             : current.row() == 0 && current.column() == 0);
    if (atEnd)
        return QWidget::focusNextPrevChild(next);
    return QTableView::focusNextPrevChild(next);
}

void FilterGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (!m_inserted.isValid() || !previous.isValid() || previous.row() != m_inserted.row() ||
        (current.isValid() && current.row() == previous.row()))
        return;
    const int row = m_inserted.row();
    m_inserted = QPersistentModelIndex();
    const bool untouched = model()->index(row, FilterTableModel::TextColumn).data().toString().isEmpty() &&
                           model()->index(row, FilterTableModel::ModeColumn).data().toString().isEmpty();
    if (untouched)
        model()->removeRows(row, 1);
}

QWidget* TextColumnDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const
{
    QWidget* editor = RowColourDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setMaxLength(static_cast<int>(FilterTable::kMaxTextLength));
    return editor;
}

void RowColourDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_Selected;
}

QWidget* ModePickListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->lineEdit()->setMaxLength(static_cast<int>(FilterTable::kMaxModeLength));
    for (const std::string& caption : FilterTable::actionCaptions())
        box->addItem(fromCp1251(caption));
    return box;
}

// The list opens at the row's current action.
void ModePickListDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* box = static_cast<QComboBox*>(editor);
    const QString mode = index.data(Qt::EditRole).toString();
    if (const int item = box->findText(mode); item >= 0)
        box->setCurrentIndex(item);
    box->setEditText(mode);
}

void ModePickListDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
}

}  // namespace corvinax
