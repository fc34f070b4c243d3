#include "app/result_tree_model.h"

#include "app/image_list.h"
#include "app/text_codec.h"

namespace corvinax {

ResultTreeModel::ResultTreeModel(ResultTree& tree, QObject* parent) : QAbstractItemModel(parent), m_tree(tree)
{
    m_tree.setObserver(this);
}

ResultTreeModel::~ResultTreeModel()
{
    m_tree.setObserver(nullptr);
}

ResultNode* ResultTreeModel::node(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<ResultNode*>(index.internalPointer()) : nullptr;
}

const std::vector<std::unique_ptr<ResultNode>>& ResultTreeModel::childrenOf(const QModelIndex& parent) const
{
    const ResultNode* parentNode = node(parent);
    return parentNode ? parentNode->children() : m_tree.topLevel();
}

QModelIndex ResultTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0 || (parent.isValid() && parent.column() != 0))
        return {};
    const auto& children = childrenOf(parent);
    if (static_cast<std::size_t>(row) >= children.size())
        return {};
    return createIndex(row, 0, children[static_cast<std::size_t>(row)].get());
}

QModelIndex ResultTreeModel::indexOf(const ResultNode* target) const
{
    return target ? createIndex(static_cast<int>(target->row()), 0, const_cast<ResultNode*>(target)) : QModelIndex();
}

QModelIndex ResultTreeModel::parent(const QModelIndex& child) const
{
    const ResultNode* childNode = node(child);
    return childNode ? indexOf(childNode->parent()) : QModelIndex();
}

int ResultTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return static_cast<int>(childrenOf(parent).size());
}

int ResultTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant ResultTreeModel::data(const QModelIndex& index, int role) const
{
    const ResultNode* item = node(index);
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole: return fromCp1251(item->text);
    case Qt::DecorationRole: return nodeDecoration(item->imageIndex, item->stateIndex);
    case ImageRole: return item->imageIndex;
    case StateRole: return item->stateIndex;
    case LevelRole: return item->level();
    default: return {};
    }
}

Qt::ItemFlags ResultTreeModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void ResultTreeModel::refresh()
{
    if (!m_tree.empty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

void ResultTreeModel::nodeAboutToBeAdded(const ResultNode* parent, std::size_t row)
{
    beginInsertRows(indexOf(parent), static_cast<int>(row), static_cast<int>(row));
}

void ResultTreeModel::nodeAdded()
{
    endInsertRows();
}

void ResultTreeModel::nodeAboutToBeRemoved(const ResultNode& target)
{
    const int row = static_cast<int>(target.row());
    beginRemoveRows(indexOf(target.parent()), row, row);
}

void ResultTreeModel::nodeRemoved()
{
    endRemoveRows();
}

}  // namespace corvinax
