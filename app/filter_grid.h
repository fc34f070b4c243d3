#pragma once

#include <QStyledItemDelegate>
#include <QPersistentModelIndex>
#include <QTableView>

namespace corvinax {

// DBGrid1: the grid of the line filter table. Insert adds a row before the current one, Ctrl+Del
// deletes the current one; the action column offers the pick list and takes typed text too.
class FilterGrid final : public QTableView {
    Q_OBJECT

public:
    explicit FilterGrid(QWidget* parent = nullptr);

    // Saves an edit still open in a cell into the table.
    void postEdit();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // A row inserted and left without anything typed into it goes, as in the grids people know.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    QPersistentModelIndex m_inserted;  // a row inserted and not yet typed into
};



// Paints every cell in the colour of its row's action, also where the grid would highlight the
// selection (DBGrid1DrawColumnCell).
class RowColourDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// The TEXT column's editor takes no more characters than the field holds.
class TextColumnDelegate final : public RowColourDelegate {
    Q_OBJECT

public:
    using RowColourDelegate::RowColourDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class ModePickListDelegate final : public RowColourDelegate {
    Q_OBJECT

public:
    using RowColourDelegate::RowColourDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};

}  // namespace corvinax
