// The results page: the result tree, its menu and the actions on the selected node.

#include "app/desktop_services.h"
#include "app/main_window.h"
#include "app/result_tree_model.h"
#include "app/result_tree_view.h"
#include "app/text_codec.h"
#include "app/viewer_window.h"
#include "output/result_actions.h"
#include "platform/error.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QVBoxLayout>

namespace corvinax {

using namespace Qt::StringLiterals;

QWidget* MainWindow::createResultsPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(u"TabSheet1"_s);
    m_treeModel = new ResultTreeModel(m_tree, this);
    TreeView1 = new ResultTreeView(page);
    TreeView1->setObjectName(u"TreeView1"_s);
    TreeView1->setModel(m_treeModel);
    connect(TreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { TreeView1Change(current); });
    connect(TreeView1, &QTreeView::doubleClicked, this, &MainWindow::TreeView1DblClick);
    connect(TreeView1, &ResultTreeView::enterPressed, this, &MainWindow::N1Click);
    // What the person opened or closed stays so after the next run, which shows its own nodes only
    // as the expand option says.
    const auto remember = [this](bool expanded) {
        return [this, expanded](const QModelIndex& index) {
            if (ResultNode* node = m_treeModel->node(index))
                node->expanded = expanded;
        };
    };
    connect(TreeView1, &QTreeView::expanded, this, remember(true));
    connect(TreeView1, &QTreeView::collapsed, this, remember(false));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(u"PopupMenu1"_s);
    N1 = PopupMenu1->addAction(u"Просмотреть конфигурацию !"_s, this, &MainWindow::N1Click);
    N1->setShortcut(Qt::Key_F1);
    N2 = PopupMenu1->addAction(u"Скопировать строку"_s, this, &MainWindow::N2Click);
    N2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    N3 = PopupMenu1->addAction(u"Амнистия !"_s, this, &MainWindow::N3Click);
    for (QAction* item : {N1, N2, N3}) {
        item->setShortcutContext(Qt::WidgetShortcut);
        TreeView1->addAction(item);
    }
    N1->setObjectName(u"N1"_s);
    N2->setObjectName(u"N2"_s);
    N3->setObjectName(u"N3"_s);
    connect(TreeView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(TreeView1->viewport()->mapToGlobal(at)); });

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TreeView1);
    return page;
}

ResultNode* MainWindow::selectedNode() const
{
    return m_treeModel->node(TreeView1->currentIndex());
}

void MainWindow::TreeView1Change(const QModelIndex& current)
{
    m_tree.select(m_treeModel->node(current));
}

void MainWindow::applyExpansion()
{
    m_tree.forEachInDisplayOrder([this](ResultNode& node) {
        if (node.expanded)
            TreeView1->setExpanded(m_treeModel->indexOf(&node), true);
    });
}

// A node with children only opens or closes on a double click, as the tree does by itself.
void MainWindow::TreeView1DblClick(const QModelIndex& index)
{
    const ResultNode* node = m_treeModel->node(index);
    if (node && !node->hasChildren())
        N1Click();
}

void MainWindow::N1Click()
{
    ResultNode* node = selectedNode();
    if (!node || GetAdditional(*node, kReportPath).empty())
        return;
    m_viewer->setSource(node, m_settings.expandTree);
    m_nextActivation = Activation::AfterOwnWindow;
    m_viewer->exec();
}

void MainWindow::N2Click()
{
    if (const ResultNode* node = selectedNode())
        QGuiApplication::clipboard()->setText(fromCp1251(node->text));
}

void MainWindow::N3Click()
{
    ResultNode* node = selectedNode();
    if (!node)
        return;
    const bool first = node == m_tree.topLevel().front().get();
    const AdditionalData* report = ReportDataOf(*node);
    if (!amnestyApplies(first ? 0 : 1, report))
        return;
    if (!askYesNo(toCp1251(u"Удалить секции [Config changes],[Post_Accounts] и [Remote Access] ?"_s), false,
                  Question::Confirmation))
        return;
    try {
        grantAmnesty(*report);
    } catch (const Error& error) {
        showMessage(error.what());
        return;
    }
    showMessage(toCp1251(u"Готово!"_s));
}

void MainWindow::BitBtn2Click()
{
    const QString chosen = m_desktop.chooseSaveFile(this, u"txt"_s);
    if (chosen.isEmpty())
        return;
    try {
        saveResultTree(m_tree, toCp1251(chosen));
    } catch (const Error& error) {
        showMessage(error.what());
    }
}

}  // namespace corvinax
