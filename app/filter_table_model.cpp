#include "app/filter_table_model.h"

#include "app/text_codec.h"

#include <QGuiApplication>
#include <QPalette>

namespace corvinax {

using namespace Qt::StringLiterals;

QColor fromPlatformColour(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QColor FilterTableModel::rowColour(int action)
{
    switch (action) {
    case 0: return fromPlatformColour(15400381);
    case 1: return fromPlatformColour(13424125);
    case 2: return fromPlatformColour(16046077);
    default: return QGuiApplication::palette().color(QPalette::Base);
    }
}

FilterTableModel::FilterTableModel(FilterTable& table, QObject* parent) : QAbstractTableModel(parent), m_table(table)
{
}

int FilterTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_table.size());
}

int FilterTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant FilterTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const FilterRow& row = m_table.rows()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return fromCp1251(index.column() == TextColumn ? row.text : row.mode);
    case Qt::BackgroundRole: return rowColour(row.action.value_or(0));
    case Qt::ForegroundRole: return QGuiApplication::palette().color(QPalette::WindowText);
    default: return {};
    }
}

QVariant FilterTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    return section == TextColumn ? u"Строки, содержащие текст :"_s : u"Действие"_s;
}

bool FilterTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const auto row = static_cast<std::size_t>(index.row());
    if (index.column() == TextColumn)
        m_table.setText(row, toCp1251(value.toString()));
    else
        m_table.setMode(row, toCp1251(value.toString()));
    // The action decides the colour of the whole row.
    Q_EMIT dataChanged(this->index(index.row(), 0), this->index(index.row(), 1));
    return true;
}

Qt::ItemFlags FilterTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::NoItemFlags;
}

bool FilterTableModel::insertRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || row > rowCount() || count < 1)
        return false;
    beginInsertRows({}, row, row + count - 1);
    for (int i = 0; i < count; ++i)
        m_table.insertRow(static_cast<std::size_t>(row), FilterRow{});
    endInsertRows();
    return true;
}

bool FilterTableModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    for (int i = 0; i < count; ++i)
        m_table.removeRow(static_cast<std::size_t>(row));
    endRemoveRows();
    return true;
}

void FilterTableModel::reload()
{
    beginResetModel();
    endResetModel();
}

}  // namespace corvinax
