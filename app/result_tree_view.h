#pragma once

#include <QTreeView>

namespace corvinax {

// TreeView1: read-only, its selection stays visible without the focus, a right click opens the
// menu without moving the selection, and Enter asks for the selected node's report.
class ResultTreeView final : public QTreeView {
    Q_OBJECT

public:
    explicit ResultTreeView(QWidget* parent = nullptr);

Q_SIGNALS:
    void enterPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace corvinax
