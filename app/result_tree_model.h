#pragma once

#include "findings/result_tree.h"

#include <QAbstractItemModel>

namespace corvinax {

// The result tree as the window's tree view sees it: read-only, one column, following the core
// tree node by node as a run adds and removes nodes.
class ResultTreeModel final : public QAbstractItemModel, private ResultTreeObserver {
    Q_OBJECT

public:
    enum Role { ImageRole = Qt::UserRole + 1, StateRole, LevelRole };

    explicit ResultTreeModel(ResultTree& tree, QObject* parent = nullptr);
    ~ResultTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    ResultNode* node(const QModelIndex& index) const;
    ResultTree& tree() const { return m_tree; }
    QModelIndex indexOf(const ResultNode* node) const;
    // Node texts, pictures and states may have changed in place.
    void refresh();

private:
    void nodeAboutToBeAdded(const ResultNode* parent, std::size_t row) override;
    void nodeAdded() override;
    void nodeAboutToBeRemoved(const ResultNode& node) override;
    void nodeRemoved() override;
    const std::vector<std::unique_ptr<ResultNode>>& childrenOf(const QModelIndex& parent) const;

    ResultTree& m_tree;
};

}  // namespace corvinax
