#include "app/main_window.h"
#include "app/path_edit.h"
#include "app/text_codec.h"
#include "scripted_desktop.h"
#include "support/fake_clock.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <filesystem>

#include <memory>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace corvinax;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_dir;
    test::ScriptedDialogs m_dialogs;
    test::ScriptedDesktop m_desktop;
    test::FakeClock m_clock;

    std::string settingsPath() const { return m_dir->file("corvinax.ini"); }

    std::unique_ptr<MainWindow> createWindow(bool warehouse = false)
    {
        StartupOptions options{settingsPath(), "/opt/tools/corvinax",
                               DefaultPaths::forThisMachine("/opt/tools", m_dir->path()), warehouse};
        return std::make_unique<MainWindow>(options, m_dialogs, m_desktop, m_clock);
    }

    static void click(MainWindow& window, const QString& name)
    {
        auto* button = window.findChild<QAbstractButton*>(name);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    static void addDirectory(MainWindow& window, const QString& path)
    {
        window.findChild<PathEdit*>(u"DirectoryEdit1"_s)->setText(path);
        click(window, u"Button1"_s);
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<test::TempDir>();
        m_dialogs = test::ScriptedDialogs();
        m_desktop = test::ScriptedDesktop();
    }

    void firstStartShowsTheSettingsPage()
    {
        auto window = createWindow();
        window->show();
        QCOMPARE(window->windowTitle(), u"Проверка изменений конфигураций компьютеров v.2.00"_s);
        auto* pages = window->findChild<QTabWidget*>(u"PageControl1"_s);
        QCOMPARE(pages->currentWidget()->objectName(), u"TabSheet2"_s);
        QCOMPARE(pages->tabText(0), u"  Результаты проверки  "_s);
        QCOMPARE(pages->tabText(1), u"  Установки  "_s);
        QCOMPARE(pages->tabText(2), u"  Анализ строк   "_s);
        QCOMPARE(window->findChild<QListWidget*>(u"ListBox1"_s)->count(), 0);
        QVERIFY(!test::fileExists(settingsPath()));
    }

    void exitButtonSavesEverythingAndCloses()
    {
        auto window = createWindow();
        window->show();
        addDirectory(*window, u"\\\\SERVER\\cfg"_s);
        click(*window, u"BitBtn1"_s);
        QVERIFY(!window->isVisible());
        const std::string saved = test::readFile(settingsPath());
        QVERIFY(saved.starts_with("[Config]\r\nCloseIfAllOk=0\r\n"));
        QVERIFY(saved.ends_with("LogFileSizeMB=10\r\n[CheckDirs]\r\nPath_0=\\\\SERVER\\cfg\r\nCount_0=0\r\n"));
    }

    void warehouseModeSaveWritesTheTimeOfTheLastRun()
    {
        auto window = createWindow(true);
        QVERIFY(window->warehouseMode());
        click(*window, u"BitBtn1"_s);
        QVERIFY(test::readFile(settingsPath()).find("LogFileSizeMB=10\r\nLastRunInMervoMode=07.12.2026 09:00:05\r\n") !=
                std::string::npos);
    }

    void aRefusedSaveIsShownAndTheWindowStays()
    {
        test::writeFile(settingsPath(), "[Config]\r\nAutoRun=0\r\n");
        ::chmod(settingsPath().c_str(), 0444);
        auto window = createWindow();
        window->show();
        click(*window, u"BitBtn1"_s);
        QCOMPARE(m_dialogs.messages, std::vector<std::string>{"Unable to write to " + settingsPath()});
        QVERIFY(window->isVisible());
        QCOMPARE(test::readFile(settingsPath()), std::string("[Config]\r\nAutoRun=0\r\n"));
    }

    void closingOtherwiseSavesNothingAndEndsWarehouseMode()
    {
        const std::string before = "[Config]\r\nCloseIfAllOk=2\r\n[CheckDirs]\r\nPath_0=/data/a\r\n";
        test::writeFile(settingsPath(), before);
        auto window = createWindow();
        window->show();
        QVERIFY(window->warehouseMode());
        addDirectory(*window, u"/data/b"_s);
        window->close();
        QVERIFY(!window->warehouseMode());
        QCOMPARE(test::readFile(settingsPath()), before);
    }

    void removingADirectoryKeepsTheOthersWithTheirCounts()
    {
        // This file is compiled as UTF-8; the settings file holds code page 1251.
        test::writeFile(settingsPath(), toCp1251(u"[CheckDirs]\r\nPath_0=/data/a\r\nCount_0=1\r\nPath_1=/data/отдел\r\n"
                                                 "Count_1=2\r\nPath_2=/data/c\r\nCount_2=3\r\n"_s));
        auto window = createWindow();
        window->show();
        auto* list = window->findChild<QListWidget*>(u"ListBox1"_s);
        QCOMPARE(list->item(1)->text(), u"/data/отдел"_s);
        click(*window, u"Button2"_s);  // nothing selected: nothing removed
        QCOMPARE(list->count(), 3);
        list->setCurrentRow(1);
        click(*window, u"Button2"_s);
        QCOMPARE(list->count(), 2);
        click(*window, u"BitBtn1"_s);
        QVERIFY(test::readFile(settingsPath()).ends_with(
            "[CheckDirs]\r\nPath_0=/data/a\r\nCount_0=1\r\nPath_1=/data/c\r\nCount_1=3\r\n"));
    }

    void startButtonRunsACheckIntoTheTree()
    {
        const std::string cfg = m_dir->file("cfg");
        std::filesystem::create_directory(cfg);
        test::writeFile(cfg + "/PC.ini", "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\n07.12.2026 08:00:00=ADDED Modem\r\n");
        test::writeFile(settingsPath(), "[CheckDirs]\r\nPath_0=" + cfg + "\r\n");
        auto window = createWindow();
        window->show();
        click(*window, u"ToolbarButton971"_s);

        auto* tree = window->findChild<QTreeView*>(u"TreeView1"_s);
        auto* model = tree->model();
        QCOMPARE(model->rowCount(), 4);  // start, directory, count line, end
        QCOMPARE(model->index(0, 0).data().toString(), u"Начало проверки 07.12.2026 09:00:05"_s);
        QCOMPARE(model->index(0, 0, model->index(1, 0)).data().toString(), u"Компьютер :PC, Пользователь :"_s);
        QCOMPARE(tree->currentIndex(), model->index(0, 0));
        QVERIFY(window->findChild<QToolButton*>(u"ToolbarButton971"_s)->isHidden());
        QVERIFY(window->findChild<QToolButton*>(u"BitBtn1"_s)->isEnabled());
        QVERIFY(window->findChild<QProgressBar*>(u"Gauge1"_s)->isHidden());
    }

    void automaticStartRunsOnActivationButNeverInsideARun()
    {
        const std::string cfg = m_dir->file("cfg");
        std::filesystem::create_directory(cfg);
        test::writeFile(settingsPath(), "[Config]\r\nAutoRun=1\r\n[CheckDirs]\r\nPath_0=" + cfg + "\r\n");
        auto window = createWindow();
        QVERIFY(window->findChild<QToolButton*>(u"ToolbarButton971"_s)->isHidden());
        // The empty directory's message box is answered while the run is still in progress; the
        // window's activation then must not start a second run.
        m_dialogs.onMessage = [&] {
            QVERIFY(window->checkRunning());
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(window.get(), &activate);
            window->StartCheck();
            addDirectory(*window, u"/data/added"_s);
        };
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(window.get(), &activate);
        QCOMPARE(m_dialogs.messages.size(), std::size_t{1});
        QCOMPARE(window->resultTree().count(), std::size_t{3});  // start, invalid directory, end
        QCOMPARE(window->settings().checkDirs.size(), std::size_t{1});
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
