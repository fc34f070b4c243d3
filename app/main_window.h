#pragma once

#include "app/settings.h"

#include <QMainWindow>

#include <string>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QToolButton;

namespace corvinax {

class Clock;
class Dialogs;

// What the entry hands the main window.
struct StartupOptions {
    std::string settingsPath;
    DefaultPaths defaults;
    bool warehouseFromCommandLine = false;
};

// The main window. Its handlers carry the names of the control events they answer.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(StartupOptions options, Dialogs& dialogs, const Clock& clock, QWidget* parent = nullptr);

    const Settings& settings() const { return m_settings; }
    bool warehouseMode() const { return m_settings.warehouseMode; }

    // Saves every setting and closes the window; a refused save is shown and the window stays.
    void BitBtn1Click();
    void Button1Click();
    void Button2Click();

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

    StartupOptions m_options;
    Dialogs& m_dialogs;
    const Clock& m_clock;
    Settings m_settings;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QLineEdit* DirectoryEdit1 = nullptr;
    QToolButton* BitBtn1 = nullptr;
};

}  // namespace corvinax
