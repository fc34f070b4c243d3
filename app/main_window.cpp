#include "app/main_window.h"

#include "app/desktop_services.h"
#include "app/filter_grid.h"
#include "app/filter_table_model.h"
#include "app/path_edit.h"
#include "app/result_tree_model.h"
#include "app/result_tree_view.h"
#include "app/text_codec.h"
#include "app/version.h"
#include "app/viewer_window.h"
#include "app/warehouse_status.h"
#include "app/window_placement.h"
#include "platform/error.h"
#include "platform/native_text.h"
#include "profile/profile_file.h"
#include "settings/dialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QCloseEvent>
#include <QIcon>
#include <QListWidget>
#include <QProgressBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <iostream>

namespace corvinax {

using namespace Qt::StringLiterals;

MainWindow::MainWindow(StartupOptions options, Dialogs& dialogs, DesktopServices& desktop, const Clock& clock,
                       QWidget* parent)
    : QMainWindow(parent), m_options(std::move(options)), m_dialogs(dialogs), m_desktop(desktop), m_clock(clock),
      m_smart([this] { return m_settings.smartFile; }),
      m_network([this] { return SmbCredentials{m_settings.login, m_settings.password}; }),
      m_runner(m_settings, m_options.settingsPath, m_tree, m_smart, *this, m_clock, m_network,
               LogHeader{windowCaption(), m_options.executablePath})
{
    setObjectName(u"Form1"_s);
    setRemoteFiles(&m_network);
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
    setWindowIcon(QIcon(u":/images/01_emblem.xpm"_s));  // the desktop entry's icon
    placeInTheMiddleOfTheScreen(*this);
    m_viewer = new ViewerWindow(this);
    FormCreate();
}

// The models follow the tree and the filter table, which go with the window's members before the
// child widgets do.
MainWindow::~MainWindow()
{
    if (remoteFiles() == &m_network)
        setRemoteFiles(nullptr);
    delete TreeView1;
    delete m_treeModel;
    delete DBGrid1;
    delete m_filterModel;
}

void MainWindow::FormCreate()
{
    setWindowTitle(fromCp1251(windowCaption()));
    m_settings.warehouseMode = m_options.warehouseFromCommandLine;
    ProfileFile file = openSettingsFile(m_options.settingsPath);
    loadSettings(file, m_settings, m_options.defaults);
    m_settings.jsonFileForThisRun = m_options.jsonFile;
    m_settings.failOnFindings = m_options.failOnFindings;
    m_unattended = m_settings.warehouseMode;
    loadControls();
    bindControls();
    PageControl1->setCurrentWidget(TabSheet2);
    DirectoryEdit1->lineEdit()->setFocus();
    CheckBox4DelClick();
    CheckBox6Click();
    CheckBox5Click();
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
//
// The rule is about the main window becoming the program's active window: at start-up, or when one
// of the program's own boxes or windows closes. Coming back from another application starts nothing.
void MainWindow::FormActivate()
{
    const Activation cause = std::exchange(m_nextActivation, Activation::FromElsewhere);
    if (m_settings.warehouseMode) {
        showMinimized();
        return;
    }
    if (cause != Activation::AtStartUp && cause != Activation::AfterOwnWindow)
        return;
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

void MainWindow::StartCheck()
{
    m_runner.StartCheck();
}

void MainWindow::ToolbarButton971Click()
{
    StartCheck();
}

void MainWindow::BitBtn1Click()
{
    saveAndClose({});
}

void MainWindow::saveAndClose(const StateValues& state)
{
    DBGrid1->postEdit();
    ProfileFile file = openSettingsFile(m_options.settingsPath);
    try {
        saveSettings(file, m_settings, m_clock, state);
    } catch (const Error& error) {
        showMessage(error.what());
        return;
    }
    m_saved = true;
    close();
}

void MainWindow::runUnattended()
{
    StartCheck();
    const int status = warehouseExitStatus(m_runner.lastOutcome(), m_saved, m_settings.failOnFindings);
    close();
    QCoreApplication::exit(status);
}

void MainWindow::showMessage(const std::string& text)
{
    if (m_unattended) {
        std::cerr << cp1251ToUtf8(text) << std::endl;
        return;
    }
    expectActivationAfterBox();
    m_dialogs.showMessage(text);
}

// The activation that follows a box, however late the window manager gives it: after one of a run's
// boxes it never starts a run (it would bring the same box back for ever), after any other it
// applies the activation rule.
void MainWindow::expectActivationAfterBox()
{
    m_nextActivation = m_runner.running() ? Activation::AfterRunBox : Activation::AfterOwnWindow;
}

bool MainWindow::askYesNo(const std::string& text, bool unattendedAnswer, Question kind)
{
    if (!m_unattended) {
        expectActivationAfterBox();
        return m_dialogs.askYesNo(text, unattendedAnswer, kind);
    }
    std::cerr << cp1251ToUtf8(text) << (unattendedAnswer ? " - Yes" : " - No") << std::endl;
    return unattendedAnswer;
}

// A run asks once per file; handling events every few milliseconds keeps the window as lively
// and leaves the time to the reports.
void MainWindow::pumpEvents()
{
    if (m_sincePump.isValid() && m_sincePump.elapsed() < 15)
        return;
    QCoreApplication::processEvents();
    m_sincePump.start();
}

void MainWindow::showResultsPage()
{
    PageControl1->setCurrentWidget(TabSheet1);
}

void MainWindow::setExitEnabled(bool enabled)
{
    BitBtn1->setEnabled(enabled);
}

void MainWindow::setFilterGridAttached(bool attached)
{
    if (!attached)
        DBGrid1->postEdit();
    DBGrid1->setEnabled(attached);
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

void MainWindow::saveSettingsAndClose(const StateValues& state)
{
    saveAndClose(state);
}

}  // namespace corvinax
