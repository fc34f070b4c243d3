#include "app/main_window.h"

#include "app/desktop_services.h"
#include "app/filter_grid.h"
#include "app/filter_table_model.h"
#include "app/path_edit.h"
#include "app/result_tree_filter.h"
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
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStatusBar>
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
    PageControl1->addTab(TabSheet1, u"  &Результаты проверки  "_s);
    PageControl1->addTab(TabSheet2, u"  Ус&тановки  "_s);
    PageControl1->addTab(TabSheet3, u"  &Анализ строк   "_s);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(createBottomPanel());
    setCentralWidget(central);
    m_statusText = new QLabel(this);
    m_statusText->setObjectName(u"StatusText"_s);
    statusBar()->addWidget(m_statusText, 1);
    statusBar()->setSizeGripEnabled(true);
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
    m_savedOptions = m_settings;
    loadControls();
    bindControls();
    addTooltips();
    PageControl1->setCurrentWidget(TabSheet2);
    DirectoryEdit1->lineEdit()->setFocus();
    CheckBox4DelClick();
    CheckBox6Click();
    CheckBox5Click();
    if (!m_unattended)
        restorePlacement();
    updateStatusLine();
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
// outside warehouse mode. Only the exit button saves every setting; the close box asks first when
// the options changed, and the window's own place is kept either way.
void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unattended && !m_closingByRun && !m_saved && !mayClose()) {
        event->ignore();
        return;
    }
    if (!m_unattended)
        savePlacementIfChanged();
    m_settings.warehouseMode = false;
    event->accept();
}

bool MainWindow::mayClose()
{
    if (m_runner.running()) {
        // The run ends at its next report, and the window closes then (StartCheck).
        if (askYesNo(toCp1251(u"Прервать проверку?"_s), false, Question::Confirmation)) {
            m_closeAfterRun = true;
            m_runner.stopAtNextSafePoint();
        }
        return false;
    }
    DBGrid1->postEdit();
    if (sameOptions(m_settings, m_savedOptions))
        return true;
    expectActivationAfterBox();
    switch (m_dialogs.askYesNoCancel(toCp1251(u"Сохранить изменения настроек?"_s))) {
    case Answer::Yes: saveAndClose({}); return false;  // closes when the save went through
    case Answer::No: return true;
    case Answer::Cancel: return false;
    }
    return false;
}

void MainWindow::StartCheck()
{
    if (m_runner.running())
        return;
    // A search would slow the run's additions to the tree: the run shows the tree as it is.
    if (m_treeFilter && m_treeFilter->active()) {
        const QSignalBlocker quietSearch(m_searchField);
        const QSignalBlocker quietOrder(m_sortBox);
        m_searchField->clear();
        m_sortBox->setCurrentIndex(0);
        applySearch();
    }
    m_searchField->setEnabled(false);
    m_sortBox->setEnabled(false);
    m_runner.StartCheck();
    m_searchField->setEnabled(true);
    m_sortBox->setEnabled(true);
    updateStatusLine();
    if (std::exchange(m_closeAfterRun, false) && m_runner.lastOutcome().stoppedByPerson) {
        m_closingByRun = true;
        close();
        return;
    }
    // Nothing to check: the box said so, and the page to add a directory on comes next.
    if (!m_runner.lastOutcome().ran && m_settings.checkDirs.empty())
        PageControl1->setCurrentWidget(TabSheet2);
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
    } catch (const ProfileWriteError& error) {
        showMessage(settingsNotWritten(error));
        return;
    } catch (const Error& error) {
        showMessage(error.what());
        return;
    }
    m_saved = true;
    m_savedOptions = m_settings;
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
    m_closingByRun = true;
    close();
    m_closingByRun = false;
}

void MainWindow::saveSettingsAndClose(const StateValues& state)
{
    saveAndClose(state);
}

}  // namespace corvinax
