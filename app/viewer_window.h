#pragma once

// TForm2: shows the configuration report behind a result node, section by section.

#include <QDialog>

#include <string>

class QLineEdit;
class QTreeWidget;
class QWidget;

namespace corvinax {

struct AdditionalData;
class ResultNode;

class ViewerWindow final : public QDialog {
    Q_OBJECT

public:
    explicit ViewerWindow(QWidget* parent = nullptr);

    // What the next showing presents: the selected result node, and whether to expand everything.
    void setSource(const ResultNode* selected, bool expand);

    // Fills the tree from the report as it is now; runs each time the window is shown.
    void FormActivate();
    // Adds the report's sections and their "key : value" lines; false for a missing file or a file
    // without sections.
    bool ShowCfgFile(const AdditionalData& node);

    QTreeWidget* tree() const { return TreeView1; }
    // Selects the next line (after the selected one, round to the start) that holds the text,
    // letter case aside; false when none does.
    bool findNext(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    const ResultNode* m_selected = nullptr;
    bool m_expand = false;
    QTreeWidget* TreeView1;
    QWidget* Panel1;
    QLineEdit* m_findField;
};

}  // namespace corvinax
