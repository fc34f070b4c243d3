#include "app/filter_grid.h"

#include "app/filter_table_model.h"
#include "app/text_codec.h"
#include "check/filter_table.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

namespace corvinax {

using namespace Qt::StringLiterals;

FilterGrid::FilterGrid(QWidget* parent) : QTableView(parent)
{
    setToolTip(u"Insert - для вставки строки\nCtrl+DEL - для удаления строки"_s);
    setItemDelegate(new RowColourDelegate(this));
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

void FilterGrid::keyPressEvent(QKeyEvent* event)
{
    if (!model() || !isEnabled()) {
        QTableView::keyPressEvent(event);
        return;
    }
    const int row = currentIndex().isValid() ? currentIndex().row() : 0;
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        model()->insertRows(row, 1);
        setCurrentIndex(model()->index(row, FilterTableModel::TextColumn));
        return;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
        if (currentIndex().isValid())
            model()->removeRows(row, 1);
        return;
    }
    QTableView::keyPressEvent(event);
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

void ModePickListDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    static_cast<QComboBox*>(editor)->setEditText(index.data(Qt::EditRole).toString());
}

void ModePickListDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
}

}  // namespace corvinax
