#include "app/main_window.h"
#include "app/text_codec.h"
#include "support/fake_clock.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace corvinax;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_dir;
    test::ScriptedDialogs m_dialogs;
    test::FakeClock m_clock;

    std::string settingsPath() const { return m_dir->file("corvinax.ini"); }

    std::unique_ptr<MainWindow> createWindow(bool warehouse = false)
    {
        StartupOptions options{settingsPath(), DefaultPaths::forThisMachine("/opt/tools", "/home/admin"), warehouse};
        return std::make_unique<MainWindow>(options, m_dialogs, m_clock);
    }

    static void click(MainWindow& window, const QString& name)
    {
        auto* button = window.findChild<QAbstractButton*>(name);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    static void addDirectory(MainWindow& window, const QString& path)
    {
        auto* edit = window.findChild<QLineEdit*>(u"DirectoryEdit1"_s);
        edit->setText(path);
        click(window, u"Button1"_s);
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<test::TempDir>();
        m_dialogs = test::ScriptedDialogs();
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
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
