#include "findings/result_tree.h"

#include <algorithm>

namespace corvinax {

ResultNode& ResultTree::append(std::vector<std::unique_ptr<ResultNode>>& siblings, ResultNode* parent,
                               std::string text)
{
    if (m_observer)
        m_observer->nodeAboutToBeAdded(parent, siblings.size());
    auto node = std::make_unique<ResultNode>();
    node->text = std::move(text);
    node->m_parent = parent;
    node->m_row = siblings.size();
    siblings.push_back(std::move(node));
    ++m_count;
    if (m_observer)
        m_observer->nodeAdded();
    return *siblings.back();
}

ResultNode& ResultTree::addTopLevel(std::string text)
{
    return append(m_topLevel, nullptr, std::move(text));
}

ResultNode& ResultTree::addChild(ResultNode& parent, std::string text)
{
    return append(parent.m_children, &parent, std::move(text));
}

std::size_t ResultTree::countWithDescendants(const ResultNode& node)
{
    std::size_t total = 1;
    for (const auto& child : node.m_children)
        total += countWithDescendants(*child);
    return total;
}

bool ResultTree::contains(const ResultNode& ancestor, const ResultNode* node) const
{
    for (; node; node = node->m_parent) {
        if (node == &ancestor)
            return true;
    }
    return false;
}

void ResultTree::remove(ResultNode& node)
{
    if (m_observer)
        m_observer->nodeAboutToBeRemoved(node);
    if (contains(node, m_selected))
        m_selected = nullptr;
    m_count -= countWithDescendants(node);
    auto& siblings = node.m_parent ? node.m_parent->m_children : m_topLevel;
    const std::size_t row = node.m_row;
    siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(row));
    for (std::size_t i = row; i < siblings.size(); ++i)
        siblings[i]->m_row = i;
    if (m_observer)
        m_observer->nodeRemoved();
}

void ResultTree::forEachInDisplayOrder(const std::function<void(ResultNode&)>& visit) const
{
    // An explicit stack: the walk must not depend on the depth the tree may reach.
    std::vector<ResultNode*> pending;
    for (auto it = m_topLevel.rbegin(); it != m_topLevel.rend(); ++it)
        pending.push_back(it->get());
    while (!pending.empty()) {
        ResultNode* node = pending.back();
        pending.pop_back();
        visit(*node);
        for (auto it = node->m_children.rbegin(); it != node->m_children.rend(); ++it)
            pending.push_back(it->get());
    }
}

void ResultTree::expandAll(std::size_t fromTopLevel)
{
    const std::function<void(ResultNode&)> expand = [&expand](ResultNode& node) {
        if (!node.hasChildren())
            return;
        node.expanded = true;
        for (const auto& child : node.children())
            expand(*child);
    };
    for (std::size_t i = fromTopLevel; i < m_topLevel.size(); ++i)
        expand(*m_topLevel[i]);
}

void ResultTree::select(ResultNode* node)
{
    m_selected = node;
    if (node)
        TreeView1Change(*node);
}

AdditionalData& NewAddData(ResultNode& node)
{
    if (!node.data)
        node.data = std::make_unique<AdditionalData>();
    return *node.data;
}

void SetReportName(ResultNode& node, std::string listedName)
{
    NewAddData(node).reportName = std::move(listedName);
}

const AdditionalData* ReportDataOf(const ResultNode& node)
{
    if ((!node.data || node.data->reportName.empty()) && node.parent() && node.parent()->data &&
        !node.parent()->data->reportName.empty())
        return node.parent()->data.get();
    return node.data.get();
}

void SetAdditional(ResultNode& node, int kind, std::string value)
{
    AdditionalData& data = NewAddData(node);
    switch (kind) {
    case kMacAddr: data.macAddr = std::move(value); break;
    case kMark: data.mark = std::move(value); break;
    case kReportPath: data.reportPath = std::move(value); break;
    default: break;
    }
}

std::string GetAdditional(ResultNode& node, int kind)
{
    const AdditionalData& data = NewAddData(node);
    switch (kind) {
    case kMacAddr: return data.macAddr;
    case kMark: return data.mark;
    case kReportPath: return data.reportPath;
    default: return {};
    }
}

void TreeView1Change(ResultNode& node)
{
    if (node.selectedIndex != node.imageIndex)
        node.selectedIndex = node.imageIndex;
}

}  // namespace corvinax
