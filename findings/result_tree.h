#pragma once

// The result tree of the check runs, with its node data. It holds what the window's tree shows:
// level 0 message lines and directory nodes, level 1 computer nodes, level 2 line nodes.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvinax {

struct AdditionalData {
    std::string mark;        // "<DIR>", "<!>" or ">>>"
    std::string macAddr;     // MAC_Addr of a computer node's report
    std::string reportPath;  // the report in its check directory, as listed and shown
    // The report's name exactly as its directory listing gave it, which the actions use to reach it
    // (on computer nodes; empty when the node was made without a listing).
    std::string reportName;
};

// Kind numbers of the node data fields.
enum AdditionalKind { kMacAddr = 1, kMark = 2, kReportPath = 3 };

class ResultNode {
public:
    std::string text;
    int imageIndex = 0;
    int selectedIndex = 0;
    int stateIndex = -1;  // -1: no state picture
    bool expanded = false;
    std::unique_ptr<AdditionalData> data;

    ResultNode* parent() const { return m_parent; }
    int level() const { return m_parent ? m_parent->level() + 1 : 0; }
    // Position among the parent's children (or among the top-level nodes).
    std::size_t row() const { return m_row; }
    const std::vector<std::unique_ptr<ResultNode>>& children() const { return m_children; }
    bool hasChildren() const { return !m_children.empty(); }

private:
    friend class ResultTree;
    ResultNode* m_parent = nullptr;
    std::size_t m_row = 0;
    std::vector<std::unique_ptr<ResultNode>> m_children;
};

// Learns of nodes coming and going, so that a view of the tree can follow it.
class ResultTreeObserver {
public:
    virtual ~ResultTreeObserver() = default;
    // parent is nullptr for the top level.
    virtual void nodeAboutToBeAdded(const ResultNode* parent, std::size_t row) = 0;
    virtual void nodeAdded() = 0;
    virtual void nodeAboutToBeRemoved(const ResultNode& node) = 0;
    virtual void nodeRemoved() = 0;
};

class ResultTree {
public:
    void setObserver(ResultTreeObserver* observer) { m_observer = observer; }

    ResultNode& addTopLevel(std::string text);
    ResultNode& addChild(ResultNode& parent, std::string text);
    // Deletes the node with its record and its descendants.
    void remove(ResultNode& node);

    const std::vector<std::unique_ptr<ResultNode>>& topLevel() const { return m_topLevel; }
    // Nodes of every level.
    std::size_t count() const { return m_count; }
    bool empty() const { return m_topLevel.empty(); }

    // Depth first from the first top-level node, collapsed nodes included.
    void forEachInDisplayOrder(const std::function<void(ResultNode&)>& visit) const;
    // Expands every node with children from the top-level node at fromTopLevel on.
    void expandAll(std::size_t fromTopLevel = 0);

    ResultNode* selected() const { return m_selected; }
    // Selects the node (nullptr: none) and applies the selection rule of TreeView1Change.
    void select(ResultNode* node);

private:
    ResultNode& append(std::vector<std::unique_ptr<ResultNode>>& siblings, ResultNode* parent, std::string text);
    static std::size_t countWithDescendants(const ResultNode& node);
    bool contains(const ResultNode& ancestor, const ResultNode* node) const;

    std::vector<std::unique_ptr<ResultNode>> m_topLevel;
    std::size_t m_count = 0;
    ResultNode* m_selected = nullptr;
    ResultTreeObserver* m_observer = nullptr;
};

// The node's record, created empty and attached when the node has none.
AdditionalData& NewAddData(ResultNode& node);
// The name of the node's report as its listing gave it, beside its ReportPath. Set on computer nodes
// only: a line node's report is its computer's.
void SetReportName(ResultNode& node, std::string listedName);
// The data that names the node's report: its own, or its computer's for a line node.
const AdditionalData* ReportDataOf(const ResultNode& node);

// Sets MacAddr (1), Mark (2) or ReportPath (3); any other kind changes nothing but the record exists.
void SetAdditional(ResultNode& node, int kind, std::string value);
// MacAddr (1), Mark (2) or ReportPath (3); empty for any other kind. The record exists afterwards.
std::string GetAdditional(ResultNode& node, int kind);
// A selected node shows the same picture as an unselected one.
void TreeView1Change(ResultNode& node);

}  // namespace corvinax
