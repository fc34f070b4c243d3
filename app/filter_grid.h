#pragma once

#include <QStyledItemDelegate>
#include <QPersistentModelIndex>
#include <QTableView>

#include <functional>

namespace corvinax {

// The grid of the line filter table. Insert adds a row before the current one, Down on the last
// row adds one after it, Ctrl+Del deletes the current one (asking first when it holds text), and
// the context menu does the same for the mouse; Tab and Shift+Tab leave the grid at its ends. The
// action column offers the pick list and takes typed text too.
class FilterGrid final : public QTableView {
    Q_OBJECT

public:
    explicit FilterGrid(QWidget* parent = nullptr);

    // Saves an edit still open in a cell into the table.
    void postEdit();
    // Asked before a row with text goes; without it such a row goes at once.
    void setConfirmDeletion(std::function<bool(const QString& text)> confirm) { m_confirmDeletion = std::move(confirm); }

    void insertRowBeforeCurrent();
    void appendRow();
    void deleteCurrentRow();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    // A row inserted and left without anything typed into it goes, as in the grids people know.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void insertAt(int row);

    QPersistentModelIndex m_inserted;  // a row inserted and not yet typed into
    std::function<bool(const QString&)> m_confirmDeletion;
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
