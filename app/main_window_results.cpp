// The results page: the result tree, its menu and the actions on the selected node.

#include "app/desktop_services.h"
#include "app/main_window.h"
#include "app/result_tree_filter.h"
#include "app/result_tree_model.h"
#include "app/result_tree_view.h"
#include "app/text_codec.h"
#include "app/viewer_window.h"
#include "output/result_actions.h"
#include "platform/clock.h"
#include "platform/error.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
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
            if (ResultNode* node = nodeAt(index))
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
    layout->setSpacing(2);
    layout->addLayout(createSearchRow(page));
    layout->addWidget(TreeView1);
    return page;
}

// Finding a computer among thousands: a search over names, users, MAC addresses and lines, and
// the order of the computers in each directory.
QHBoxLayout* MainWindow::createSearchRow(QWidget* page)
{
    m_treeFilter = new ResultTreeFilter(*m_treeModel, this);
    m_searchField = new QLineEdit(page);
    m_searchField->setObjectName(u"SearchField"_s);
    m_searchField->setClearButtonEnabled(true);
    m_searchField->setPlaceholderText(u"Найти компьютер: имя, пользователь, MAC или строка (Ctrl+F)"_s);
    m_searchField->setToolTip(u"Показывает только компьютеры, у которых имя, пользователь, MAC-адрес или\n"
                              u"одна из строк содержит этот текст (без учёта регистра)"_s);
    m_sortBox = new QComboBox(page);
    m_sortBox->setObjectName(u"SortBox"_s);
    m_sortBox->addItems({u"По порядку каталогов"_s, u"По имени компьютера"_s, u"Сначала новые изменения"_s});
    m_sortBox->setToolTip(u"Порядок компьютеров в каждом каталоге"_s);
    m_foundLabel = new QLabel(page);
    m_foundLabel->setObjectName(u"FoundLabel"_s);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        PageControl1->setCurrentWidget(TabSheet1);
        m_searchField->setFocus();
        m_searchField->selectAll();
    });
    connect(m_searchField, &QLineEdit::textChanged, this, &MainWindow::applySearch);
    connect(m_sortBox, &QComboBox::currentIndexChanged, this, &MainWindow::applySearch);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(2, 2, 2, 0);
    row->addWidget(m_searchField, 1);
    row->addWidget(m_sortBox);
    row->addWidget(m_foundLabel);
    return row;
}

// The filter stands between the tree and its view only while it is asked for: a run adds its nodes
// to the tree as they come, which a filter would make slow.
void MainWindow::applySearch()
{
    if (m_runner.running())
        return;
    ResultNode* selected = selectedNode();
    m_treeFilter->setSearch(m_searchField->text());
    m_treeFilter->setOrder(static_cast<ResultTreeFilter::Order>(std::max(m_sortBox->currentIndex(), 0)));
    QAbstractItemModel* wanted = m_treeFilter->active() ? static_cast<QAbstractItemModel*>(m_treeFilter)
                                                        : static_cast<QAbstractItemModel*>(m_treeModel);
    if (TreeView1->model() != wanted) {
        TreeView1->setModel(wanted);
        connect(TreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& current) { TreeView1Change(current); });
    }
    applyExpansion();
    if (!m_searchField->text().trimmed().isEmpty())
        TreeView1->expandAll(allComputersShown());
    if (const QModelIndex at = viewIndexOf(selected); at.isValid())
        TreeView1->setCurrentIndex(at);
    const int found = m_treeFilter->matchingComputers();
    m_foundLabel->setText(m_searchField->text().trimmed().isEmpty() ? QString() : u"Найдено: %1"_s.arg(found));
    updateStatusLine();
}

// The directories of the computers the search shows, so that each found computer is in sight.
QModelIndexList MainWindow::allComputersShown() const
{
    QModelIndexList directories;
    QAbstractItemModel* model = TreeView1->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex top = model->index(row, 0);
        if (model->rowCount(top) > 0)
            directories << top;
    }
    return directories;
}

ResultNode* MainWindow::nodeAt(const QModelIndex& viewIndex) const
{
    return TreeView1->model() == m_treeFilter ? m_treeFilter->node(viewIndex) : m_treeModel->node(viewIndex);
}

QModelIndex MainWindow::viewIndexOf(const ResultNode* node) const
{
    const QModelIndex index = m_treeModel->indexOf(node);
    return TreeView1->model() == m_treeFilter ? m_treeFilter->mapFromSource(index) : index;
}

ResultNode* MainWindow::selectedNode() const
{
    return nodeAt(TreeView1->currentIndex());
}

void MainWindow::TreeView1Change(const QModelIndex& current)
{
    m_tree.select(nodeAt(current));
}

void MainWindow::applyExpansion()
{
    QModelIndexList expanded;
    m_tree.forEachInDisplayOrder([&](ResultNode& node) {
        if (!node.expanded)
            return;
        if (const QModelIndex index = viewIndexOf(&node); index.isValid())
            expanded << index;
    });
    TreeView1->expandAll(expanded);
}

// A node with children only opens or closes on a double click, as the tree does by itself.
void MainWindow::TreeView1DblClick(const QModelIndex& index)
{
    const ResultNode* node = nodeAt(index);
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
    const QString suggested = u"corvinax-"_s + fromCp1251(formatDateTime(m_clock.now()).substr(0, 10)) + u".txt"_s;
    const QString chosen = m_desktop.chooseSaveFile(
        this, u"Результаты проверки (*.txt);;Результаты проверки в UTF-8 (*.utf8.txt);;Все файлы (*)"_s, u"txt"_s,
        suggested);
    if (chosen.isEmpty())
        return;
    try {
        // A name that ends in ".utf8.txt" asks for the text as most tools read it today.
        const bool utf8 = chosen.endsWith(u".utf8.txt"_s, Qt::CaseInsensitive);
        saveResultTree(m_tree, toCp1251(chosen), utf8 ? TextEncoding::Utf8 : TextEncoding::Cp1251);
    } catch (const Error& error) {
        showMessage(error.what());
    }
}

}  // namespace corvinax
