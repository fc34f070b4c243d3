#pragma once

#include <QTreeView>

namespace corvinax {

// The result tree's view: read-only, its selection stays visible without the focus, a right click
// opens the menu without moving the selection, as do the menu key and Shift+F10 (at the selected
// node), and Enter asks for the selected node's report.
class ResultTreeView final : public QTreeView {
    Q_OBJECT

public:
    explicit ResultTreeView(QWidget* parent = nullptr);

    // Opens all these nodes with one layout of the tree afterwards, not one layout per node: a run
    // of thousands of changed computers opens as fast as the tree can be drawn once.
    void expandAll(const QModelIndexList& indexes);

Q_SIGNALS:
    void enterPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace corvinax
