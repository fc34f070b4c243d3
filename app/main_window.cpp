#include "app/main_window.h"

#include "app/dialogs.h"
#include "app/result_tree_model.h"
#include "app/text_codec.h"
#include "app/version.h"
#include "profile/error.h"
#include "profile/profile_file.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <iostream>

namespace corvinax {

using namespace Qt::StringLiterals;

MainWindow::MainWindow(StartupOptions options, Dialogs& dialogs, const Clock& clock, QWidget* parent)
    : QMainWindow(parent), m_options(std::move(options)), m_dialogs(dialogs), m_clock(clock),
      m_smart([this] { return m_settings.smartFile; }),
      m_runner(m_settings, m_options.settingsPath, m_tree, m_smart, *this, m_clock, m_driveMapper,
               LogHeader{windowCaption(), m_options.executablePath})
{
    setObjectName(u"Form1"_s);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(u"PageControl1"_s);
    TabSheet1 = createResultsPage();
    TabSheet2 = createSettingsPage();
    TabSheet3 = createAnalysisPage();
    PageControl1->addTab(TabSheet1, u"  Результаты проверки  "_s);
    PageControl1->addTab(TabSheet2, u"  Установки  "_s);
    PageControl1->addTab(TabSheet3, u"  Анализ строк   "_s);
    layout->addWidget(PageControl1);
    layout->addWidget(createBottomPanel());
    setCentralWidget(central);
    resize(835, 582);
    FormCreate();
}

// The model follows the tree, which goes with the window's members before the child widgets.
MainWindow::~MainWindow()
{
    delete m_treeModel;
}

QWidget* MainWindow::createResultsPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(u"TabSheet1"_s);
    m_treeModel = new ResultTreeModel(m_tree, this);
    TreeView1 = new QTreeView(page);
    TreeView1->setObjectName(u"TreeView1"_s);
    TreeView1->setModel(m_treeModel);
    TreeView1->setHeaderHidden(true);
    TreeView1->setUniformRowHeights(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setIndentation(19);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TreeView1);
    return page;
}

QWidget* MainWindow::createSettingsPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(u"TabSheet2"_s);
    ListBox1 = new QListWidget(page);
    ListBox1->setObjectName(u"ListBox1"_s);

    auto* column = new QVBoxLayout;
    column->addWidget(new QLabel(u"Проверять файлы в каталогах :"_s, page));
    DirectoryEdit1 = new QLineEdit(fromCp1251(m_options.defaults.browseFolder), page);
    DirectoryEdit1->setObjectName(u"DirectoryEdit1"_s);
    column->addWidget(DirectoryEdit1);
    auto* buttons = new QHBoxLayout;
    auto* button1 = new QPushButton(u"< Добавить"_s, page);
    button1->setObjectName(u"Button1"_s);
    auto* button2 = new QPushButton(u"Удалить >"_s, page);
    button2->setObjectName(u"Button2"_s);
    connect(button1, &QPushButton::clicked, this, &MainWindow::Button1Click);
    connect(button2, &QPushButton::clicked, this, &MainWindow::Button2Click);
    buttons->addWidget(button1);
    buttons->addWidget(button2);
    column->addLayout(buttons);
    column->addStretch();

    auto* layout = new QHBoxLayout(page);
    layout->addWidget(ListBox1, 417);
    layout->addLayout(column, 402);
    return page;
}

QWidget* MainWindow::createAnalysisPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(u"TabSheet3"_s);
    return page;
}

QWidget* MainWindow::createBottomPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(u"Panel1"_s);
    panel->setFixedHeight(33);
    ToolbarButton971 = new QToolButton(panel);
    ToolbarButton971->setObjectName(u"ToolbarButton971"_s);
    ToolbarButton971->setAutoRaise(true);
    ToolbarButton971->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ToolbarButton971->setToolTip(u"Запустить проверку"_s);
    connect(ToolbarButton971, &QToolButton::clicked, this, &MainWindow::ToolbarButton971Click);

    auto* gauges = new QVBoxLayout;
    gauges->setSpacing(1);
    for (QProgressBar** gauge : {&Gauge1, &Gauge2}) {
        *gauge = new QProgressBar(panel);
        (*gauge)->setObjectName(gauge == &Gauge1 ? u"Gauge1"_s : u"Gauge2"_s);
        (*gauge)->setRange(-1, 0);
        (*gauge)->setValue(0);
        (*gauge)->setTextVisible(false);
        (*gauge)->setMaximumHeight(12);
        (*gauge)->hide();
        gauges->addWidget(*gauge);
    }

    BitBtn1 = new QToolButton(panel);
    BitBtn1->setObjectName(u"BitBtn1"_s);
    BitBtn1->setAutoRaise(true);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BitBtn1->setToolTip(u"Выход"_s);
    connect(BitBtn1, &QToolButton::clicked, this, &MainWindow::BitBtn1Click);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 5, 0);
    layout->addWidget(ToolbarButton971);
    layout->addLayout(gauges, 1);
    layout->addWidget(BitBtn1);
    return panel;
}

void MainWindow::FormCreate()
{
    setWindowTitle(fromCp1251(windowCaption()));
    m_settings.warehouseMode = m_options.warehouseFromCommandLine;
    ProfileFile file(m_options.settingsPath);
    loadSettings(file, m_settings, m_options.defaults);
    m_unattended = m_settings.warehouseMode;
    ListBox1->clear();
    for (const CheckDirectory& directory : m_settings.checkDirs)
        ListBox1->addItem(fromCp1251(directory.path));
    PageControl1->setCurrentWidget(TabSheet2);
    ToolbarButton971->setVisible(!m_settings.autoRun);
}

bool MainWindow::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return handled;
}

// In warehouse mode the program starts its one run itself (runUnattended), so that it runs once
// and also where no window is ever activated.
void MainWindow::FormActivate()
{
    if (m_settings.warehouseMode) {
        showMinimized();
        return;
    }
    if (m_settings.checkDirs.empty())
        PageControl1->setCurrentWidget(TabSheet2);
    else if (m_settings.autoRun)
        StartCheck();
}

// Any close request ends warehouse mode, so that whatever still runs after it behaves as it would
// outside warehouse mode. Only the exit button saves.
void MainWindow::closeEvent(QCloseEvent* event)
{
    m_settings.warehouseMode = false;
    event->accept();
}

void MainWindow::BitBtn1Click()
{
    ProfileFile file(m_options.settingsPath);
    try {
        saveSettings(file, m_settings, m_clock);
    } catch (const Error& error) {
        showMessage(error.what());
        return;
    }
    close();
}

void MainWindow::runUnattended()
{
    StartCheck();
    const CheckRunner::Outcome& outcome = m_runner.lastOutcome();
    int status = 0;
    if (!outcome.ran)
        status = 1;  // nothing to check, or no working directory
    else if (!outcome.exported.has_value())
        status = 3;  // the run stopped on an error before its export
    else if (!*outcome.exported)
        status = 2;  // the warehouse table could not be opened
    else if (isVisible())
        status = 4;  // the settings could not be saved
    if (isVisible())
        close();
    QCoreApplication::exit(status);
}

void MainWindow::ToolbarButton971Click()
{
    StartCheck();
}

void MainWindow::StartCheck()
{
    m_runner.StartCheck();
}

// The directory list stays as it is while a run walks it.
void MainWindow::Button1Click()
{
    if (m_runner.running())
        return;
    m_settings.checkDirs.push_back(CheckDirectory{toCp1251(DirectoryEdit1->text())});
    ListBox1->addItem(DirectoryEdit1->text());
}

void MainWindow::Button2Click()
{
    if (m_runner.running())
        return;
    const int row = ListBox1->currentRow();
    if (row < 0 || !ListBox1->currentItem() || !ListBox1->currentItem()->isSelected())
        return;
    delete ListBox1->takeItem(row);
    m_settings.checkDirs.erase(m_settings.checkDirs.begin() + row);
}

void MainWindow::showMessage(const std::string& text)
{
    if (m_unattended)
        std::cerr << fromCp1251(text).toStdString() << std::endl;
    else
        m_dialogs.showMessage(text);
}

bool MainWindow::askYesNo(const std::string& text, bool unattendedAnswer)
{
    if (!m_unattended)
        return m_dialogs.askYesNo(text, unattendedAnswer);
    std::cerr << fromCp1251(text).toStdString() << (unattendedAnswer ? " - Yes" : " - No") << std::endl;
    return unattendedAnswer;
}

void MainWindow::pumpEvents()
{
    QCoreApplication::processEvents();
}

void MainWindow::showResultsPage()
{
    PageControl1->setCurrentWidget(TabSheet1);
}

void MainWindow::setExitEnabled(bool enabled)
{
    BitBtn1->setEnabled(enabled);
}

void MainWindow::hideStartButton()
{
    ToolbarButton971->hide();
}

void MainWindow::showSaveButton()
{
    // The save button comes with the result actions.
}

void MainWindow::showGauges(bool visible)
{
    Gauge1->setVisible(visible);
    Gauge2->setVisible(visible);
}

void MainWindow::setGauge(Gauge gauge, int maximum, int position)
{
    QProgressBar* bar = gauge == Gauge::Reports ? Gauge1 : Gauge2;
    bar->setRange(-1, std::max(maximum, -1));
    bar->setValue(position);
}

void MainWindow::setFilterGridAttached(bool)
{
    // The filter grid comes with the string-analysis page.
}

void MainWindow::presentResults()
{
    PageControl1->setCurrentWidget(TabSheet2);
    PageControl1->setCurrentWidget(TabSheet1);
    TreeView1->setFocus();
    m_treeModel->refresh();
    applyExpansion();
    if (const ResultNode* selected = m_tree.selected())
        TreeView1->setCurrentIndex(m_treeModel->indexOf(selected));
}

void MainWindow::applyExpansion()
{
    m_tree.forEachInDisplayOrder([this](ResultNode& node) {
        if (node.expanded)
            TreeView1->setExpanded(m_treeModel->indexOf(&node), true);
    });
}

std::string MainWindow::applicationTitle() const
{
    return toCp1251(windowTitle());
}

void MainWindow::setApplicationTitle(const std::string& title)
{
    setWindowTitle(fromCp1251(title));
}

void MainWindow::minimise()
{
    showMinimized();
}

void MainWindow::restore()
{
    showNormal();
}

void MainWindow::closeMainWindow()
{
    close();
}

void MainWindow::saveSettingsAndClose()
{
    BitBtn1Click();
}

}  // namespace corvinax
