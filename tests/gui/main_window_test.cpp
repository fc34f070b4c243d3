#include "app/main_window.h"
#include "app/qt_dialogs.h"
#include "app/translation.h"
#include "app/path_edit.h"
#include "app/viewer_window.h"
#include "app/text_codec.h"
#include "scripted_desktop.h"
#include "support/fake_clock.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QSpinBox>
#include <QTableView>
#include <QTreeWidget>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
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
                               DefaultPaths::forThisMachine("/opt/tools", m_dir->path()), warehouse, {}, false};
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
        // The captions as they read; "&" only marks the letter of Alt.
        QCOMPARE(pages->tabText(0).remove(u'&'), u"  Результаты проверки  "_s);
        QCOMPARE(pages->tabText(1).remove(u'&'), u"  Установки  "_s);
        QCOMPARE(pages->tabText(2).remove(u'&'), u"  Анализ строк   "_s);
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
        const std::string saved = withoutWindowSection(test::readFile(settingsPath()));
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
        QCOMPARE(m_dialogs.messages,
                 std::vector<std::string>{toCp1251(u"Не удалось записать файл настроек:\r\n"_s) + "Unable to write to " +
                                          settingsPath() + toCp1251(u"\r\nПричина: Permission denied"_s)});
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
        QVERIFY(withoutWindowSection(test::readFile(settingsPath()))
                    .ends_with("[CheckDirs]\r\nPath_0=/data/a\r\nCount_0=1\r\nPath_1=/data/c\r\nCount_1=3\r\n"));
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
        m_dialogs.onMessage = [&](const std::string&) {
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

    // Automatic start: the activation at start-up and after the program's own boxes starts a run;
    // one after a run's box (however late it arrives) and one from another application never do.
    void activationStartsARunOnlyAfterTheProgramsOwnWindows()
    {
        const std::string cfg = m_dir->file("cfg");
        std::filesystem::create_directory(cfg);
        test::writeFile(cfg + "/PC.ini", "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\n07.12.2026 08:00:00=ADDED Modem\r\n");
        test::writeFile(settingsPath(), "[Config]\r\nAutoRun=1\r\n[CheckDirs]\r\nPath_0=" + cfg +
                                            "\r\nPath_1=" + m_dir->file("unreachable") + "\r\n");
        auto window = createWindow();
        const auto runs = [&] {
            int count = 0;
            window->resultTree().forEachInDisplayOrder(
                [&](ResultNode& node) { count += node.text.starts_with(toCp1251(u"Начало проверки"_s)); });
            return count;
        };
        const auto activate = [&] {
            QEvent activation(QEvent::WindowActivate);
            QApplication::sendEvent(window.get(), &activation);
        };
        m_desktop.answers = {QString::fromStdString(m_dir->file("missing/results.txt"))};
        const struct {
            const char* what;
            std::function<void()> before;
            int runsAfter;
        } steps[] = {
            {"start-up", [] {}, 1},  // its run ends on the box of the unreachable directory
            {"the window manager's late activation after that box", [] {}, 1},
            {"coming back from another application", [] {}, 1},
            {"after a box outside a run (a save that fails)", [&] { window->BitBtn2Click(); }, 2},
        };
        for (const auto& step : steps) {
            step.before();
            activate();
            QVERIFY2(runs() == step.runsAfter, step.what);
        }
        QCOMPARE(m_dialogs.messages.size(), std::size_t{3});  // two runs' boxes and the save's
    }

    // After a run, clearing the automatic start brings the start button back at the left edge with
    // the save button right of it, and the start button starts a run.
    void startButtonComesBackAfterARun()
    {
        const std::string cfg = m_dir->file("cfg");
        std::filesystem::create_directory(cfg);
        test::writeFile(cfg + "/PC.ini", "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\n07.12.2026 08:00:00=ADDED Modem\r\n");
        test::writeFile(settingsPath(), "[Config]\r\nAutoRun=1\r\n[CheckDirs]\r\nPath_0=" + cfg + "\r\n");
        auto window = createWindow();
        window->show();
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(window.get(), &activation);
        auto* start = window->findChild<QToolButton*>(u"ToolbarButton971"_s);
        auto* save = window->findChild<QToolButton*>(u"BitBtn2"_s);
        QVERIFY(start->isHidden());
        QCOMPARE(save->x(), start->x());

        click(*window, u"CheckBox6"_s);
        QVERIFY(!start->isHidden());
        QCOMPARE(start->x(), 2);
        QCOMPARE(save->x(), start->x() + start->width() + 2);
        QCOMPARE(window->childAt(start->mapTo(window.get(), QPoint(5, 5))), start);
        click(*window, u"ToolbarButton971"_s);
        int starts = 0;
        window->resultTree().forEachInDisplayOrder(
            [&](ResultNode& node) { starts += node.text.starts_with(toCp1251(u"Начало проверки"_s)); });
        QCOMPARE(starts, 2);
    }

    // A stray Insert loses nothing: the untouched row goes when the cursor leaves it, and a save
    // never writes an empty text before later rows.
    void filterRowsSurviveAStrayInsert()
    {
        test::writeFile(settingsPath(), toCp1251(u"[Strings]\r\nText0=Printer\r\nMode0=1\r\nText1=Modem\r\nMode1=2\r\n"
                                                 u"Text2=Disk\r\nMode2=0\r\n"_s));
        const auto texts = [](QAbstractItemModel* model) {
            QStringList all;
            for (int row = 0; row < model->rowCount(); ++row)
                all << model->index(row, 0).data().toString();
            return all;
        };
        const QStringList rows{u"Printer"_s, u"Modem"_s, u"Disk"_s};
        for (const bool leaveTheRow : {true, false}) {
            auto window = createWindow();
            window->show();
            auto* grid = window->findChild<QTableView*>(u"DBGrid1"_s);
            QAbstractItemModelTester tester(grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
            grid->setFocus();
            grid->setCurrentIndex(grid->model()->index(1, 0));
            QTest::keyClick(grid, Qt::Key_Insert);
            QCOMPARE(grid->model()->rowCount(), 4);
            if (leaveTheRow) {
                QTest::keyClick(grid, Qt::Key_Down);
                QCOMPARE(texts(grid->model()), rows);
            }
            click(*window, u"BitBtn1"_s);
            auto again = createWindow();
            QCOMPARE(texts(again->findChild<QTableView*>(u"DBGrid1"_s)->model()), rows);
        }
    }

    // The TEXT editor takes as many characters as the field holds; the pick list opens at the row's
    // action.
    void filterEditorsFitTheField()
    {
        test::writeFile(settingsPath(), toCp1251(u"[Strings]\r\nText0=Printer\r\nMode0=2\r\n"_s));
        auto window = createWindow();
        window->show();
        auto* grid = window->findChild<QTableView*>(u"DBGrid1"_s);
        const auto editorOf = [grid](int column) {
            const QModelIndex index = grid->model()->index(0, column);
            QAbstractItemDelegate* delegate = grid->itemDelegateForIndex(index);
            QWidget* editor = delegate->createEditor(grid->viewport(), QStyleOptionViewItem(), index);
            delegate->setEditorData(editor, index);
            return std::unique_ptr<QWidget>(editor);
        };
        const auto text = editorOf(0);
        QCOMPARE(qobject_cast<QLineEdit*>(text.get())->maxLength(), 100);
        const auto pick = editorOf(1);
        QCOMPARE(qobject_cast<QComboBox*>(pick.get())->currentIndex(), 2);
    }

    // A long line is read to its end with the horizontal scroll bar, in the tree and in the viewer.
    void longLinesAreReadableToTheirEnd()
    {
        const QString longText = u"PC-"_s + QString(400, u'X') + u"END"_s;
        const std::string cfg = m_dir->file("cfg");
        std::filesystem::create_directory(cfg);
        test::writeFile(cfg + "/PC.ini", "[Info]\r\nComputer_Name=" + toCp1251(longText) +
                                             "\r\n[Config_changes]\r\n07.12.2026 08:00:00=ADDED Modem\r\n");
        test::writeFile(settingsPath(), "[Config]\r\nExpandTree=1\r\n[CheckDirs]\r\nPath_0=" + cfg + "\r\n");
        MainWindow* window = createWindowAndKeep();
        window->show();
        click(*window, u"ToolbarButton971"_s);
        auto* view = window->findChild<QTreeView*>(u"TreeView1"_s);
        const int needed = view->fontMetrics().horizontalAdvance(longText);
        QVERIFY(view->header()->sectionSize(0) >= needed);
        QVERIFY(view->horizontalScrollBar()->maximum() > 0);
        QVERIFY(view->horizontalScrollBar()->maximum() + view->viewport()->width() >= needed);

        ResultNode& dir = *window->resultTree().topLevel()[1]->children()[0];
        ViewerWindow* viewer = window->viewer();
        viewer->setSource(&dir, true);
        viewer->show();
        viewer->FormActivate();
        QTreeWidget* items = viewer->tree();
        QVERIFY(items->header()->sectionSize(0) >= items->fontMetrics().horizontalAdvance(u"Computer_Name : "_s + longText));
        QVERIFY(items->horizontalScrollBar()->maximum() > 0);
        viewer->hide();
    }

    void windowsAreCentredWithTheProgramsIcon()
    {
        auto window = createWindow();
        const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((window->geometry().center() - middle).manhattanLength() <= 2);
        QVERIFY((window->viewer()->geometry().center() - middle).manhattanLength() <= 2);
        QVERIFY(!window->windowIcon().isNull());
    }

    // Confirmations carry the question icon, the working directory question a warning, messages
    // the information icon.
    void boxesCarryTheIconOfWhatTheySay()
    {
        QtDialogs dialogs;
        QMessageBox::Icon seen = QMessageBox::NoIcon;
        const auto answerNext = [&seen] {
            QTimer::singleShot(0, [&seen] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                seen = box->icon();
                box->done(QMessageBox::No);
            });
        };
        answerNext();
        dialogs.askYesNo("amnesty?", false, Dialogs::Question::Confirmation);
        QCOMPARE(seen, QMessageBox::Question);
        answerNext();
        dialogs.askYesNo("create?", true, Dialogs::Question::Warning);
        QCOMPARE(seen, QMessageBox::Warning);
        answerNext();
        dialogs.showMessage("done");
        QCOMPARE(seen, QMessageBox::Information);
    }

    void toolkitTextsAreRussianWhereTheSystemHasThem()
    {
        if (!installRussianTranslation())
            QSKIP("Qt's Russian translation (qt6-translations-l10n) is not installed");
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), u"&Да"_s);
    }

    // With the expand option on, a later run opens its own nodes only: what the person closed after
    // an earlier run stays closed.
    void nodesThePersonClosedStayClosed()
    {
        const std::string cfg = m_dir->file("cfg");
        std::filesystem::create_directory(cfg);
        test::writeFile(cfg + "/PC.ini", "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\n07.12.2026 08:00:00=ADDED Modem\r\n");
        test::writeFile(settingsPath(), "[Config]\r\nExpandTree=1\r\n[CheckDirs]\r\nPath_0=" + cfg + "\r\n");
        auto window = createWindow();
        window->show();
        click(*window, u"ToolbarButton971"_s);
        auto* view = window->findChild<QTreeView*>(u"TreeView1"_s);
        const QModelIndex first = view->model()->index(1, 0);  // the directory of the first run
        QVERIFY(view->isExpanded(first));
        view->collapse(first);

        test::writeFile(cfg + "/PC.ini", "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\n08.12.2026 08:00:00=ADDED Printer\r\n");
        window->StartCheck();
        QVERIFY(!view->isExpanded(view->model()->index(1, 0)));
        const int rows = view->model()->rowCount();
        QVERIFY(view->isExpanded(view->model()->index(rows - 2, 0)));  // the second run's directory
    }

    void firstStartTakesEveryDefault()
    {
        auto window = createWindow();
        window->show();
        QVERIFY(window->windowTitle().endsWith(u" v.2.00"_s));
        QVERIFY(window->findChild<QCheckBox*>(u"CheckBox7"_s)->isChecked());
        QVERIFY(window->findChild<QCheckBox*>(u"CheckBox4Del2"_s)->isChecked());
        QVERIFY(!window->findChild<QCheckBox*>(u"CheckBox1"_s)->isChecked());
        QCOMPARE(window->findChild<QComboBox*>(u"ComboBox1"_s)->currentText(), u"F:"_s);
        QCOMPARE(window->findChild<QComboBox*>(u"ComboBox1"_s)->count(), 26);
        QCOMPARE(window->findChild<QSpinBox*>(u"SpinEdit1"_s)->value(), 77);
        QCOMPARE(window->findChild<PathEdit*>(u"DirectoryEdit2"_s)->text(),
                 QString::fromStdString(m_dir->file(".cache/corvinax/work")));
        QCOMPARE(window->findChild<PathEdit*>(u"FilenameEdit1"_s)->text(), QString::fromStdString(m_dir->file("corvinax.log")));
        QCOMPARE(window->findChild<PathEdit*>(u"FilenameEdit2"_s)->text(), u"/opt/tools/BASE/Smart"_s);
        // The account for UNC directories is there to be filled in, its password masked.
        auto* login = window->findChild<QLineEdit*>(u"LoginName"_s);
        QVERIFY(!login->isHidden() && login->isEnabled());
        QVERIFY(login->toolTip().contains(u"Kerberos"_s));
        QCOMPARE(window->findChild<QLineEdit*>(u"Password"_s)->echoMode(), QLineEdit::Password);
        QVERIFY(window->findChild<QToolButton*>(u"BitBtn2"_s)->isHidden());
    }

    void enablingRulesFollowTheBoxes()
    {
        auto window = createWindow();
        window->show();
        auto* deleteOld = window->findChild<QCheckBox*>(u"CheckBox4Del"_s);
        auto* copyBox = window->findChild<QCheckBox*>(u"CheckBox4Del2"_s);
        auto* spin = window->findChild<QSpinBox*>(u"SpinEdit1"_s);
        auto* copyDir = window->findChild<PathEdit*>(u"CopyDir"_s);
        QVERIFY(!deleteOld->isChecked());
        QVERIFY(!spin->isEnabled() && !copyBox->isEnabled() && !copyDir->isEnabled());
        QCOMPARE(spin->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Button));

        copyBox->setChecked(false);
        deleteOld->click();
        QVERIFY(spin->isEnabled() && copyBox->isEnabled());
        QVERIFY(window->findChild<QCheckBox*>(u"CheckBox4Del1"_s)->isEnabled());
        QVERIFY(!copyDir->isEnabled());
        QCOMPARE(spin->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
        copyBox->click();
        QVERIFY(copyDir->isEnabled());

        auto* mapping = window->findChild<QCheckBox*>(u"CheckBox5"_s);
        QVERIFY(!window->findChild<QComboBox*>(u"ComboBox1"_s)->isEnabled());
        mapping->click();
        QVERIFY(window->findChild<QComboBox*>(u"ComboBox1"_s)->isEnabled());
        QVERIFY(window->settings().mapWorkDrive);

        auto* autoRun = window->findChild<QCheckBox*>(u"CheckBox6"_s);
        auto* start = window->findChild<QToolButton*>(u"ToolbarButton971"_s);
        autoRun->click();
        QVERIFY(start->isHidden());
        autoRun->click();
        QVERIFY(!start->isHidden());
    }

    void spinEditBringsTypedDaysIntoItsLimits()
    {
        auto window = createWindow();
        window->show();
        auto* deleteOld = window->findChild<QCheckBox*>(u"CheckBox4Del"_s);
        deleteOld->click();
        auto* spin = window->findChild<QSpinBox*>(u"SpinEdit1"_s);
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, u"5"_s);
        QTest::keyClick(spin, Qt::Key_Enter);
        QCOMPARE(spin->value(), 10);
        QCOMPARE(window->settings().deleteOldValue, 10);
        spin->selectAll();
        QTest::keyClicks(spin, u"12345"_s);
        QCOMPARE(spin->text(), u"1234"_s);
    }

    void passwordBecomesReadableOnTheFirstKey()
    {
        auto window = createWindow();
        window->findChild<QCheckBox*>(u"CheckBox5"_s)->click();  // the login fields take input then
        auto* password = window->findChild<QLineEdit*>(u"Password"_s);
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QTest::keyClick(password, Qt::Key_A);
        QCOMPARE(password->echoMode(), QLineEdit::Normal);
        QCOMPARE(window->settings().password, std::string("a"));
    }

    void exitButtonKeepsFivePixelsFromTheRightEdge()
    {
        auto window = createWindow();
        window->show();
        for (int width : {835, 600, 1200}) {
            window->resize(width, 582);
            QApplication::processEvents();
            auto* panel = window->findChild<QWidget*>(u"Panel1"_s);
            auto* exit = window->findChild<QToolButton*>(u"BitBtn1"_s);
            QCOMPARE(exit->geometry().right() + 1, panel->width() - 5);
        }
    }

    void saveButtonTakesTheStartButtonsPlaceAfterARun()
    {
        const std::string cfg = m_dir->file("cfg");
        std::filesystem::create_directory(cfg);
        test::writeFile(settingsPath(), "[Config]\r\nUseWorkDir=1\r\nWorkDir=" + m_dir->file("work") +
                                            "\r\n[CheckDirs]\r\nPath_0=" + cfg + "\r\n");
        auto window = createWindow();
        window->show();
        auto* start = window->findChild<QToolButton*>(u"ToolbarButton971"_s);
        auto* save = window->findChild<QToolButton*>(u"BitBtn2"_s);

        m_dialogs.answer(false);  // no working directory: nothing runs
        click(*window, u"ToolbarButton971"_s);
        QVERIFY(!save->isHidden());
        QCOMPARE(save->x(), start->x() + start->width() + 2);

        m_dialogs.answer(true);
        click(*window, u"ToolbarButton971"_s);
        QVERIFY(start->isHidden());
        QCOMPARE(save->x(), start->x());
    }

    void filterGridEditsTheTableWithColoursAndKeys()
    {
        test::writeFile(settingsPath(), toCp1251(u"[Strings]\r\nText0=Printer\r\nMode0=1\r\nText1=Modem\r\nMode1=0\r\n"_s));
        auto window = createWindow();
        window->show();
        auto* grid = window->findChild<QTableView*>(u"DBGrid1"_s);
        QAbstractItemModelTester tester(grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        auto* model = grid->model();
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), u"Строки, содержащие текст :"_s);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), u"Действие"_s);
        QCOMPARE(model->index(0, 1).data().toString(), u"Отмечать (!)"_s);
        QCOMPARE(model->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(0xFD, 0xD5, 0xCC));
        QCOMPARE(model->index(1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0xBD, 0xFD, 0xEA));

        model->setData(model->index(1, 1), u"Разв"_s);
        QCOMPARE(window->settings().filters.rows()[1].action, 2);
        QCOMPARE(model->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(0xFD, 0xD7, 0xF4));

        grid->setFocus();
        grid->setCurrentIndex(model->index(1, 0));
        QTest::keyClick(grid, Qt::Key_Insert);
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->index(2, 0).data().toString(), u"Modem"_s);
        QCOMPARE(model->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(0xBD, 0xFD, 0xEA));
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->index(1, 0).data().toString(), u"Modem"_s);
        QVERIFY(grid->toolTip().contains(u"Ctrl+DEL - для удаления строки"_s));
    }

    void viewerShowsTheReportSectionBySection()
    {
        const std::string report = m_dir->file("PC.ini");
        test::writeFile(report, toCp1251(u"[Info]\r\nComputer_Name=PC-07\r\nEmpty=\r\nTwice=1\r\nTwice=2\r\n[Config_changes]\r\na b=ADDED x\r\n"_s));
        ResultTree& tree = const_cast<ResultTree&>(createWindowAndKeep()->resultTree());
        ResultNode& dir = tree.addTopLevel("dir");
        ResultNode& pc = tree.addChild(dir, toCp1251(u"Компьютер :PC-07"_s));
        pc.imageIndex = 2;
        ResultNode& line = tree.addChild(pc, "a b=ADDED x");
        SetAdditional(line, kReportPath, report);

        ViewerWindow* viewer = m_kept->viewer();
        viewer->setSource(&line, false);
        viewer->FormActivate();
        QCOMPARE(viewer->windowTitle(), u"Компьютер :PC-07"_s);
        QTreeWidget* items = viewer->tree();
        QCOMPARE(items->topLevelItemCount(), 3);
        QCOMPARE(items->topLevelItem(0)->text(0), QString::fromStdString(report));
        QCOMPARE(items->topLevelItem(1)->text(0), u"Info"_s);
        QCOMPARE(items->topLevelItem(1)->child(0)->text(0), u"Computer_Name : PC-07"_s);
        QCOMPARE(items->topLevelItem(1)->child(1)->text(0), u"Empty : "_s);
        QCOMPARE(items->topLevelItem(1)->child(3)->text(0), u"Twice : 1"_s);
        QVERIFY(!items->topLevelItem(1)->isExpanded());
        QCOMPARE(items->currentItem(), items->topLevelItem(0));

        std::filesystem::remove(report);
        viewer->FormActivate();
        QCOMPARE(items->topLevelItemCount(), 1);

        viewer->setSource(&dir, true);
        viewer->FormActivate();
        QCOMPARE(items->topLevelItem(0)->text(0), u"Файл не найден"_s);
    }

    void amnestyAsksAndErasesTheChangeSections()
    {
        const std::string report = m_dir->file("PC.ini");
        const std::string text = "[Info]\r\nComputer_Name=PC\r\n[Config_changes]\r\na=1\r\n[Remote_Access]\r\nb=2\r\n";
        test::writeFile(report, text);
        MainWindow* window = createWindowAndKeep();
        ResultTree& tree = window->resultTree();
        tree.addTopLevel("start");
        ResultNode& dir = tree.addTopLevel("dir");
        ResultNode& pc = tree.addChild(dir, "pc");
        SetAdditional(pc, kReportPath, report);
        auto* view = window->findChild<QTreeView*>(u"TreeView1"_s);
        view->setCurrentIndex(view->model()->index(0, 0, view->model()->index(1, 0)));

        m_dialogs.answer(false);
        window->N3Click();
        QCOMPARE(m_dialogs.questions, std::vector<std::string>{toCp1251(u"Удалить секции [Config changes],[Post_Accounts] и [Remote Access] ?"_s)});
        QCOMPARE(test::readFile(report), text);
        QVERIFY(m_dialogs.messages.empty());

        m_dialogs.answer(true);
        window->N3Click();
        QCOMPARE(test::readFile(report), std::string("[Info]\r\nComputer_Name=PC\r\n"));
        QCOMPARE(m_dialogs.messages, std::vector<std::string>{toCp1251(u"Готово!"_s)});

        view->setCurrentIndex(view->model()->index(0, 0));  // the first node: never
        window->N3Click();
        QCOMPARE(m_dialogs.questions.size(), std::size_t{2});
    }

    void copySaveAndLinkActOnTheTree()
    {
        MainWindow* window = createWindowAndKeep();
        ResultTree& tree = window->resultTree();
        ResultNode& dir = tree.addTopLevel(toCp1251(u"/data/отдел"_s));
        ResultNode& line = tree.addChild(tree.addChild(dir, "pc"), "k=v");
        SetAdditional(line, kMark, ">>>");
        auto* view = window->findChild<QTreeView*>(u"TreeView1"_s);
        view->setCurrentIndex(view->model()->index(0, 0));
        window->N2Click();
        QCOMPARE(QGuiApplication::clipboard()->text(), u"/data/отдел"_s);

        const std::string saved = m_dir->file("results.txt");
        m_desktop.answers << QString::fromStdString(saved);
        window->BitBtn2Click();
        QCOMPARE(test::readFile(saved), toCp1251(u"/data/отдел\r\n\tpc\r\n\t\tk=v\r\n"_s));
        QCOMPARE(m_desktop.asked, QStringList{u"save.txt|Результаты проверки (*.txt);;Результаты проверки в UTF-8 "
                                              u"(*.utf8.txt);;Все файлы (*)|corvinax-07.12.2026.txt"_s});

        window->RxLabel1Click();
        QCOMPARE(m_desktop.opened.size(), 1);
        QVERIFY(m_desktop.opened.front().isLocalFile());
    }

private:
    // The window's place is kept in a section of its own at the end of the file.
    static std::string withoutWindowSection(std::string text)
    {
        if (const std::size_t window = text.find("[Window]\r\n"); window != std::string::npos)
            text.erase(window);
        return text;
    }

    std::unique_ptr<MainWindow> m_kept;

    MainWindow* createWindowAndKeep()
    {
        m_kept = createWindow();
        return m_kept.get();
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
