#include "app/viewer_window.h"

#include "app/text_codec.h"
#include "app/wide_lines.h"
#include "app/window_placement.h"
#include "findings/node_images.h"
#include "findings/result_tree.h"
#include "output/result_actions.h"
#include "profile/profile_document.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QShortcut>
#include <QTreeWidgetItemIterator>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvinax {

using namespace Qt::StringLiterals;

ViewerWindow::ViewerWindow(QWidget* parent) : QDialog(parent), TreeView1(new QTreeWidget(this)), Panel1(new QWidget(this))
{
    setObjectName(u"Form2"_s);
    setWindowTitle(u"Просмотр"_s);
    resize(668, 418);
    TreeView1->setObjectName(u"TreeView1"_s);
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    showLinesWhole(*TreeView1);
    Panel1->setFixedHeight(34);
    auto* ok = new QPushButton(u"OK"_s, Panel1);
    ok->setObjectName(u"BitBtn1"_s);
    ok->setDefault(true);
    ok->setFixedSize(80, 26);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    // Ctrl+F finds a line of a long report; Enter or F3 finds the next one.
    m_findField = new QLineEdit(Panel1);
    m_findField->setObjectName(u"FindField"_s);
    m_findField->setPlaceholderText(u"Найти (Ctrl+F, далее F3)"_s);
    m_findField->setClearButtonEnabled(true);
    // Enter in the field finds, and leaves the window's OK button alone.
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), m_findField, nullptr, nullptr, Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, [this] { findNext(m_findField->text()); });
    }
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_findField->setFocus();
        m_findField->selectAll();
    });
    auto* again = new QShortcut(QKeySequence::FindNext, this);
    connect(again, &QShortcut::activated, this, [this] { findNext(m_findField->text()); });
    auto* panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(4, 4, 28, 4);
    panelLayout->addWidget(m_findField, 1);
    panelLayout->addSpacing(20);
    panelLayout->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TreeView1);
    layout->addWidget(Panel1);
    placeInTheMiddleOfTheScreen(*this);
}

bool ViewerWindow::findNext(const QString& text)
{
    if (text.isEmpty())
        return false;
    QList<QTreeWidgetItem*> lines;
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it)
        lines << *it;
    const qsizetype from = lines.indexOf(TreeView1->currentItem());
    for (qsizetype step = 1; step <= lines.size(); ++step) {
        QTreeWidgetItem* line = lines[(from + step) % lines.size()];
        if (line->text(0).contains(text, Qt::CaseInsensitive)) {
            TreeView1->setCurrentItem(line);
            TreeView1->scrollToItem(line);
            return true;
        }
    }
    return false;
}

void ViewerWindow::setSource(const ResultNode* selected, bool expand)
{
    m_selected = selected;
    m_expand = expand;
}

void ViewerWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void ViewerWindow::FormActivate()
{
    TreeView1->clear();
    TreeView1->addTopLevelItem(new QTreeWidgetItem(QStringList{u"Файл не найден"_s}));
    const std::string path = m_selected && m_selected->data ? m_selected->data->reportPath : std::string();
    if (path.empty())
        return;
    TreeView1->clear();
    TreeView1->addTopLevelItem(new QTreeWidgetItem(QStringList{fromCp1251(path)}));
    // The highest computer node above the selection names the window.
    QString caption = u"Просмотр конфигурации"_s;
    for (const ResultNode* node = m_selected; node; node = node->parent()) {
        if (node->imageIndex == kImageComputer)
            caption = fromCp1251(node->text);
    }
    setWindowTitle(caption);
    ShowCfgFile(*ReportDataOf(*m_selected));
    TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
    TreeView1->setFocus();
}

// The report is reached by the name its directory listing gave, never by the name shown for it.
bool ViewerWindow::ShowCfgFile(const AdditionalData& node)
{
    std::string bytes;
    if (!readNodeReport(node, bytes))
        return false;
    const ProfileDocument report = ProfileDocument::parse(std::move(bytes));
    const std::vector<std::string> sections = report.sectionNames(NameList::Complete);
    if (sections.empty())
        return false;
    for (const std::string& section : sections) {
        auto* sectionItem = new QTreeWidgetItem(QStringList{fromCp1251(section)});
        TreeView1->addTopLevelItem(sectionItem);
        TreeView1->setCurrentItem(sectionItem);
        for (const std::string& key : report.keyNames(section, NameList::Complete)) {
            const std::string value = report.value(section, key).value_or("");
            sectionItem->addChild(new QTreeWidgetItem(QStringList{fromCp1251(key + " : " + value)}));
        }
    }
    if (m_expand)
        TreeView1->expandAll();
    return true;
}

}  // namespace corvinax
