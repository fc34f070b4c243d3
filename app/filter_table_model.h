#pragma once

#include "settings/filter_table.h"

#include <QAbstractTableModel>
#include <QColor>

namespace corvinax {

// The line filter table as the grid of the string-analysis page edits it: TEXT and MODE.
class FilterTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { TextColumn = 0, ModeColumn = 1 };

    explicit FilterTableModel(FilterTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool insertRows(int row, int count, const QModelIndex& parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    // The table was replaced as a whole (loaded).
    void reload();

    // The colour of a row with this action code (a row without one counts as 0).
    static QColor rowColour(int action);

private:
    FilterTable& m_table;
};

// A colour value of the platform: blue in the high byte, green in the middle, red in the low byte.
QColor fromPlatformColour(int value);

}  // namespace corvinax
