#pragma once

#include "app/startup_options.h"
#include "check/check_run.h"
#include "check/smart_decoder.h"
#include "findings/result_tree.h"
#include "platform/drive_mapper.h"
#include "platform/smb_files.h"
#include "settings/run_view.h"
#include "settings/settings.h"

#include <QElapsedTimer>
#include <QModelIndexList>
#include <QMainWindow>

#include <string>

class QAction;
class QCheckBox;
class QHBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QModelIndex;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace corvinax {

class Clock;
class DaySpinBox;
class DesktopServices;
class Dialogs;
class FilterGrid;
class FilterTableModel;
class PathEdit;
class ResultTreeFilter;
class ResultTreeModel;
class ResultTreeView;
class ViewerWindow;

// TForm1, the main window. Its handlers carry the names of the control events they answer; it is
// also what a check run sees of the window.
class MainWindow : public QMainWindow, private RunView {
    Q_OBJECT

public:
    MainWindow(StartupOptions options, Dialogs& dialogs, DesktopServices& desktop, const Clock& clock,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    const Settings& settings() const { return m_settings; }
    bool warehouseMode() const { return m_settings.warehouseMode; }
    ResultTree& resultTree() { return m_tree; }
    bool checkRunning() const { return m_runner.running(); }
    // Warehouse mode was chosen at start: nobody watches, so no box waits for an answer.
    bool unattended() const { return m_unattended; }
    ViewerWindow* viewer() const { return m_viewer; }

    // The unattended warehouse run: one check, the export, the save, then the program ends with
    // 0 when all of it went through and a non-zero status otherwise.
    void runUnattended();

    void StartCheck();
    // Saves every setting and closes the window; a refused save is shown and the window stays.
    void BitBtn1Click();
    void BitBtn2Click();
    void Button1Click();
    void Button2Click();
    void ToolbarButton971Click();
    void N1Click();
    void N2Click();
    void N3Click();
    void RxLabel1Click();
    void CheckBox4DelClick();
    void CheckBox4Del2Click();
    void CheckBox5Click();
    void CheckBox6Click();

    // The person closes the window (its close box, Alt+F4): a run in progress is stopped only when
    // the person says so, and changed options are saved, dropped or kept as the person says.
    bool mayClose();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void Panel1Resize();
    void PasswordChange();
    void TreeView1Change(const QModelIndex& current);
    void TreeView1DblClick(const QModelIndex& index);

    QWidget* createResultsPage();
    QHBoxLayout* createSearchRow(QWidget* page);
    void applySearch();
    QModelIndexList allComputersShown() const;
    ResultNode* nodeAt(const QModelIndex& viewIndex) const;
    QModelIndex viewIndexOf(const ResultNode* node) const;
    void updateStatusLine();
    void addTooltips();
    void restorePlacement();
    void savePlacementIfChanged();
    QString placementText() const;
    QRect normalPlace() const;
    QWidget* createSettingsPage();
    QWidget* createDirectoryColumn(QWidget* page);
    QWidget* createOptionsColumn(QWidget* page);
    QWidget* createLinkBox(QWidget* page);
    QWidget* createAnalysisPage();
    QWidget* createBottomPanel();
    void loadControls();
    void bindControls();
    void applyExpansion();
    ResultNode* selectedNode() const;
    void setEnabledAndColoured(QWidget* widget, bool enabled);
    void placeSaveButton();
    void saveAndClose(const StateValues& state);
    void expectActivationAfterBox();

    // RunView
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text, bool unattendedAnswer, Question kind) override;
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
    void saveSettingsAndClose(const StateValues& state) override;

    StartupOptions m_options;
    Dialogs& m_dialogs;
    DesktopServices& m_desktop;
    const Clock& m_clock;
    Settings m_settings;
    bool m_unattended = false;
    // What the next activation of the window follows.
    enum class Activation { AtStartUp, AfterOwnWindow, AfterRunBox, FromElsewhere };
    Activation m_nextActivation = Activation::AtStartUp;
    bool m_saved = false;
    bool m_closeAfterRun = false;   // the person stopped the run to close the window
    bool m_closingByRun = false;    // the run closes the window: nothing is asked
    Settings m_savedOptions;        // the options as the settings file holds them
    QString m_loadedPlacement;      // the window's place as the settings file holds it
    QElapsedTimer m_sincePump;
    ResultTree m_tree;
    SmartDecoder m_smart;
    SmbFiles m_network;  // UNC check directories; the mapping step connects through it
    CheckRunner m_runner;

    ResultTreeModel* m_treeModel = nullptr;
    ResultTreeFilter* m_treeFilter = nullptr;
    QLineEdit* m_searchField = nullptr;
    QComboBox* m_sortBox = nullptr;
    QLabel* m_foundLabel = nullptr;
    QLabel* m_statusText = nullptr;
    QPushButton* m_addButton = nullptr;
    FilterTableModel* m_filterModel = nullptr;
    ViewerWindow* m_viewer = nullptr;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    ResultTreeView* TreeView1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr;
    QAction* N2 = nullptr;
    QAction* N3 = nullptr;
    FilterGrid* DBGrid1 = nullptr;

    QListWidget* ListBox1 = nullptr;
    PathEdit* DirectoryEdit1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox6 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QCheckBox* CheckBox4Del = nullptr;
    QCheckBox* CheckBox4Del1 = nullptr;
    QCheckBox* CheckBox4Del2 = nullptr;
    DaySpinBox* SpinEdit1 = nullptr;
    QLabel* Label5 = nullptr;
    PathEdit* CopyDir = nullptr;
    PathEdit* FilenameEdit1 = nullptr;
    PathEdit* FilenameEdit2 = nullptr;
    PathEdit* DirectoryEdit2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* LoginName = nullptr;
    QLineEdit* Password = nullptr;
    QLabel* RxLabel1 = nullptr;

    QWidget* Panel1 = nullptr;
    QToolButton* ToolbarButton971 = nullptr;
    QToolButton* BitBtn2 = nullptr;
    QToolButton* BitBtn1 = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QProgressBar* Gauge2 = nullptr;
};

// The web page of the program: its own documentation, shipped beside it.
QUrl productPage();

}  // namespace corvinax
