#include "app/main_window.h"

#include "app/dialogs.h"
#include "app/text_codec.h"
#include "app/version.h"
#include "profile/error.h"
#include "profile/profile_file.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvinax {

using namespace Qt::StringLiterals;

MainWindow::MainWindow(StartupOptions options, Dialogs& dialogs, const Clock& clock, QWidget* parent)
    : QMainWindow(parent), m_options(std::move(options)), m_dialogs(dialogs), m_clock(clock)
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

QWidget* MainWindow::createResultsPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(u"TabSheet1"_s);
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
    BitBtn1 = new QToolButton(panel);
    BitBtn1->setObjectName(u"BitBtn1"_s);
    BitBtn1->setAutoRaise(true);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BitBtn1->setToolTip(u"Выход"_s);
    connect(BitBtn1, &QToolButton::clicked, this, &MainWindow::BitBtn1Click);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 5, 0);
    layout->addStretch();
    layout->addWidget(BitBtn1);
    return panel;
}

void MainWindow::FormCreate()
{
    setWindowTitle(fromCp1251(windowCaption()));
    m_settings.warehouseMode = m_options.warehouseFromCommandLine;
    ProfileFile file(m_options.settingsPath);
    loadSettings(file, m_settings, m_options.defaults);
    ListBox1->clear();
    for (const CheckDirectory& directory : m_settings.checkDirs)
        ListBox1->addItem(fromCp1251(directory.path));
    PageControl1->setCurrentWidget(TabSheet2);
}

bool MainWindow::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return handled;
}

void MainWindow::FormActivate()
{
    if (m_settings.warehouseMode)
        showMinimized();
    if (m_settings.checkDirs.empty())
        PageControl1->setCurrentWidget(TabSheet2);
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
        m_dialogs.showMessage(error.what());
        return;
    }
    close();
}

void MainWindow::Button1Click()
{
    m_settings.checkDirs.push_back(CheckDirectory{toCp1251(DirectoryEdit1->text())});
    ListBox1->addItem(DirectoryEdit1->text());
}

void MainWindow::Button2Click()
{
    const int row = ListBox1->currentRow();
    if (row < 0 || !ListBox1->currentItem() || !ListBox1->currentItem()->isSelected())
        return;
    delete ListBox1->takeItem(row);
    m_settings.checkDirs.erase(m_settings.checkDirs.begin() + row);
}

}  // namespace corvinax
