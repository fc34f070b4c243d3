#pragma once

#include "app/settings.h"
#include "check/check_run.h"
#include "check/drive_mapper.h"
#include "check/result_tree.h"
#include "check/run_view.h"
#include "check/smart_decoder.h"

#include <QMainWindow>

#include <string>

class QLineEdit;
class QListWidget;
class QProgressBar;
class QTabWidget;
class QToolButton;
class QTreeView;

namespace corvinax {

class Clock;
class Dialogs;
class ResultTreeModel;

// What the entry hands the main window.
struct StartupOptions {
    std::string settingsPath;
    std::string executablePath;
    DefaultPaths defaults;
    bool warehouseFromCommandLine = false;
};

// The main window. Its handlers carry the names of the control events they answer; it is also
// what a check run sees of the window.
class MainWindow : public QMainWindow, private RunView {
    Q_OBJECT

public:
    MainWindow(StartupOptions options, Dialogs& dialogs, const Clock& clock, QWidget* parent = nullptr);
    ~MainWindow() override;

    const Settings& settings() const { return m_settings; }
    bool warehouseMode() const { return m_settings.warehouseMode; }
    const ResultTree& resultTree() const { return m_tree; }
    bool checkRunning() const { return m_runner.running(); }
    // Warehouse mode was chosen at start: nobody watches, so no box waits for an answer.
    bool unattended() const { return m_unattended; }

    // The unattended warehouse run: one check, the export, the save, then the program ends with
    // 0 when all of it went through and a non-zero status otherwise.
    void runUnattended();

    // Saves every setting and closes the window; a refused save is shown and the window stays.
    void BitBtn1Click();
    void Button1Click();
    void Button2Click();
    void ToolbarButton971Click();
    void StartCheck();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    QWidget* createResultsPage();
    QWidget* createSettingsPage();
    QWidget* createAnalysisPage();
    QWidget* createBottomPanel();
    void applyExpansion();

    // RunView
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text, bool unattendedAnswer) override;
    void pumpEvents() override;
    void showResultsPage() override;
    void setExitEnabled(bool enabled) override;
    void hideStartButton() override;
    void showSaveButton() override;
    void showGauges(bool visible) override;
    void setGauge(Gauge gauge, int maximum, int position) override;
    void setFilterGridAttached(bool attached) override;
    void presentResults() override;
    std::string applicationTitle() const override;
    void setApplicationTitle(const std::string& title) override;
    void minimise() override;
    void restore() override;
    void closeMainWindow() override;
    void saveSettingsAndClose() override;

    StartupOptions m_options;
    Dialogs& m_dialogs;
    const Clock& m_clock;
    Settings m_settings;
    bool m_unattended = false;
    ResultTree m_tree;
    SmartDecoder m_smart;
    NoNetworkDriveMapper m_driveMapper;
    CheckRunner m_runner;
    ResultTreeModel* m_treeModel = nullptr;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QTreeView* TreeView1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QLineEdit* DirectoryEdit1 = nullptr;
    QToolButton* ToolbarButton971 = nullptr;
    QToolButton* BitBtn1 = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QProgressBar* Gauge2 = nullptr;
};

}  // namespace corvinax
