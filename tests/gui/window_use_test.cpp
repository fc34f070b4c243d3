// The window in an administrator's hands, on the offscreen platform: adding directories, the
// pickers, the filter grid, the keyboard, the boxes' defaults, finding a computer among thousands
// and the window's place kept from one start to the next.

#include "app/filter_grid.h"
#include "app/main_window.h"
#include "app/path_edit.h"
#include "app/qt_dialogs.h"
#include "app/text_codec.h"
#include "app/viewer_window.h"
#include "profile/profile_document.h"
#include "scripted_desktop.h"
#include "support/fake_clock.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <filesystem>
#include <memory>

using namespace Qt::StringLiterals;
using namespace corvinax;

class WindowUseTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_dir;
    test::ScriptedDialogs m_dialogs;
    test::ScriptedDesktop m_desktop;
    test::FakeClock m_clock;

    std::string settingsPath() const { return m_dir->file("corvinax.ini"); }

    std::unique_ptr<MainWindow> createWindow()
    {
        StartupOptions options{settingsPath(), "/opt/tools/corvinax",
                               DefaultPaths::forThisMachine("/opt/tools", m_dir->path()), false, {}, false};
        return std::make_unique<MainWindow>(options, m_dialogs, m_desktop, m_clock);
    }

    template <typename Widget>
    static Widget* child(QWidget& window, const QString& name)
    {
        auto* widget = window.findChild<Widget*>(name);
        if (!widget)
            qFatal("no %s", qPrintable(name));
        return widget;
    }

    // A directory of computers PC-0 .. PC-(count-1), each with one change at its own minute.
    std::string network(int count)
    {
        const std::string cfg = m_dir->file("cfg");
        std::filesystem::create_directories(cfg);
        for (int i = 0; i < count; ++i) {
            char minute[8];
            std::snprintf(minute, sizeof minute, "%02d", (i * 7) % 60);
            test::writeFile(cfg + "/PC-" + std::to_string(i) + ".ini",
                            "[Info]\r\nComputer_Name=PC-" + std::to_string(i) + "\r\nParam_1=" +
                                (i == 3 ? toCp1251(u"Иванов"_s) : "user" + std::to_string(i)) + "\r\nMAC_Addr=00-AA-" +
                                std::to_string(i) + "\r\n[Config_changes]\r\n07.12.2026 08:" + minute +
                                ":00=ADDED Modem " + std::to_string(i) + "\r\n");
        }
        test::writeFile(settingsPath(), "[Config]\r\nAutoRun=0\r\n[CheckDirs]\r\nPath_0=" + cfg + "\r\n");
        return cfg;
    }

    static QStringList computersShown(QTreeView& view)
    {
        QStringList shown;
        QAbstractItemModel* model = view.model();
        for (int top = 0; top < model->rowCount(); ++top) {
            const QModelIndex directory = model->index(top, 0);
            for (int row = 0; row < model->rowCount(directory); ++row)
                shown << model->index(row, 0, directory).data().toString().section(u',', 0, 0).mid(11);
        }
        return shown;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<test::TempDir>();
        m_dialogs = test::ScriptedDialogs();
        m_desktop = test::ScriptedDesktop();
    }

    // A blank field adds nothing (an empty entry would end the list at the next start); Enter in
    // the field adds what it holds.
    void aDirectoryIsAddedOnlyWithAName()
    {
        auto window = createWindow();
        window->show();
        auto* field = child<PathEdit>(*window, u"DirectoryEdit1"_s);
        auto* add = child<QPushButton>(*window, u"Button1"_s);
        auto* list = child<QListWidget>(*window, u"ListBox1"_s);
        for (const QString& blank : {QString(), u"   "_s}) {
            field->setText(blank);
            QVERIFY(!add->isEnabled());
            QTest::keyClick(field->lineEdit(), Qt::Key_Return);
            QCOMPARE(list->count(), 0);
        }
        field->setText(u"/data/a"_s);
        QVERIFY(add->isEnabled());
        QTest::keyClick(field->lineEdit(), Qt::Key_Return);
        QCOMPARE(list->count(), 1);
        QCOMPARE(window->settings().checkDirs.front().path, std::string("/data/a"));
    }

    // Each picker has its own filter and suffix: the dictionary "Smart" is never made "Smart.log".
    void eachPickerHasItsOwnSuffix()
    {
        auto window = createWindow();
        struct Row {
            const char* field;
            QString answer;
            QString expected;
        };
        const QString folder = QString::fromStdString(m_dir->path());
        m_desktop.answers = {folder + u"/Smart"_s, folder + u"/check.log"_s};
        for (const char* name : {"FilenameEdit2", "FilenameEdit1"}) {
            auto* edit = child<PathEdit>(*window, QString::fromLatin1(name));
            QTest::mouseClick(edit->findChild<QToolButton*>(), Qt::LeftButton);
        }
        QCOMPARE(child<PathEdit>(*window, u"FilenameEdit2"_s)->text(), folder + u"/Smart"_s);
        QCOMPARE(child<PathEdit>(*window, u"FilenameEdit1"_s)->text(), folder + u"/check.log"_s);
        QCOMPARE(m_desktop.suffixes, (QStringList{QString(), u"log"_s}));
    }

    // The filter grid by keyboard and mouse: Down on the last row appends, the buttons insert and
    // delete, a row with text is deleted only when the person confirms, Tab leaves at the end.
    void theFilterGridTakesRowsAtItsEnd()
    {
        test::writeFile(settingsPath(), "[Strings]\r\nText0=Printer\r\nMode0=0\r\n");
        auto window = createWindow();
        window->show();
        child<QTabWidget>(*window, u"PageControl1"_s)->setCurrentIndex(2);
        auto* grid = child<FilterGrid>(*window, u"DBGrid1"_s);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(grid->currentIndex().row(), 1);
        grid->model()->setData(grid->model()->index(1, 0), u"catch-all"_s);

        m_dialogs.answer(false);
        QTest::mouseClick(child<QPushButton>(*window, u"DeleteRowButton"_s), Qt::LeftButton);
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(m_dialogs.questions.back(), toCp1251(u"Удалить строку «catch-all»?"_s));
        QCOMPARE(m_dialogs.questionKinds.back(), Dialogs::Question::Confirmation);
        m_dialogs.answer(true);
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(grid->model()->rowCount(), 1);

        QTest::mouseClick(child<QPushButton>(*window, u"InsertRowButton"_s), Qt::LeftButton);
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(grid->currentIndex().row(), 0);
        QVERIFY(grid->actions().size() >= 3);  // the context menu

        grid->setCurrentIndex(grid->model()->index(grid->model()->rowCount() - 1, 1));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Tab);
        QVERIFY(!grid->hasFocus());
    }

    // With no directory, the box says to add one and the page to add it on follows.
    void nothingToCheckShowsTheSettingsPage()
    {
        auto window = createWindow();
        window->show();
        child<QTabWidget>(*window, u"PageControl1"_s)->setCurrentIndex(0);
        window->StartCheck();
        QCOMPARE(m_dialogs.messages.size(), std::size_t{1});
        QCOMPARE(child<QTabWidget>(*window, u"PageControl1"_s)->currentIndex(), 1);
    }

    // Shift+F10 and the menu key open the tree's menu at the selected node; Alt letters are there.
    void theKeyboardReachesEverything()
    {
        network(2);
        auto window = createWindow();
        window->show();
        window->StartCheck();
        auto* tree = child<QTreeView>(*window, u"TreeView1"_s);
        tree->setFocus();
        tree->setCurrentIndex(tree->model()->index(1, 0));
        for (const QKeyCombination key : {QKeyCombination(Qt::ShiftModifier, Qt::Key_F10), QKeyCombination(Qt::Key_Menu)}) {
            auto* menu = child<QMenu>(*window, u"PopupMenu1"_s);
            QTest::keyClick(tree, key.key(), key.keyboardModifiers());
            QTRY_VERIFY(menu->isVisible());
            menu->hide();
        }
        auto* pages = child<QTabWidget>(*window, u"PageControl1"_s);
        for (int page = 0; page < pages->count(); ++page)
            QVERIFY(pages->tabText(page).contains(u'&'));
        QVERIFY(child<QPushButton>(*window, u"Button1"_s)->text().contains(u'&'));
        auto* link = child<QLabel>(*window, u"RxLabel1"_s);
        QVERIFY(link->focusPolicy() & Qt::TabFocus);
        QVERIFY(link->textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
        QVERIFY(!child<QToolButton>(*window, u"BitBtn1"_s)->toolTip().isEmpty());
        QCOMPARE(child<QToolButton>(*window, u"BitBtn1"_s)->toolTip(), u"Сохранить и выйти"_s);
        for (QCheckBox* option : window->findChildren<QCheckBox*>())
            QVERIFY2(!option->toolTip().isEmpty(), qPrintable(option->objectName()));
    }

    // A question that deletes is answered No by Enter; a box is wide enough for its title and keeps
    // its closing "?" on the line of the word before it.
    void boxesDefaultToWhatLosesNothing()
    {
        QtDialogs dialogs;
        QStringList seen;
        QList<QMessageBox::StandardButton> defaults;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            seen << box->text();
            defaults << box->standardButton(box->defaultButton());
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(!dialogs.askYesNo(toCp1251(u"Удалить секции [Config changes],[Post_Accounts] и [Remote Access] ?"_s),
                                  false, Dialogs::Question::Confirmation));
        QCOMPARE(defaults, QList{QMessageBox::No});
        QVERIFY(seen.front().endsWith(u"Access]\u00A0?"_s));

        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QVERIFY(box->sizeHint().width() > box->fontMetrics().horizontalAdvance(box->windowTitle()) + 100);
            box->accept();
        });
        dialogs.showMessage(toCp1251(u"Готово!"_s));
    }

    // Finding one computer among many: by name, user (Cyrillic, letter case aside) or MAC, with the
    // count; the order of the computers by name or newest change; the search goes for a run.
    void aComputerIsFoundAmongMany()
    {
        network(60);
        auto window = createWindow();
        window->show();
        window->StartCheck();
        auto* tree = child<QTreeView>(*window, u"TreeView1"_s);
        auto* search = child<QLineEdit>(*window, u"SearchField"_s);
        auto* found = child<QLabel>(*window, u"FoundLabel"_s);
        const struct {
            QString text;
            QStringList computers;
        } searches[] = {
            {u"pc-42"_s, {u"PC-42"_s}},
            {u"иВАНОВ"_s, {u"PC-3"_s}},
            {u"00-aa-17"_s, {u"PC-17"_s}},
            {u"Modem 59"_s, {u"PC-59"_s}},
        };
        for (const auto& row : searches) {
            search->setText(row.text);
            QCOMPARE(computersShown(*tree), row.computers);
            QCOMPARE(found->text(), u"Найдено: %1"_s.arg(row.computers.size()));
        }
        search->clear();
        QCOMPARE(computersShown(*tree).size(), 60);

        auto* order = child<QComboBox>(*window, u"SortBox"_s);
        order->setCurrentIndex(1);
        const QStringList byName = computersShown(*tree);
        QCOMPARE(byName.mid(0, 3), (QStringList{u"PC-0"_s, u"PC-1"_s, u"PC-2"_s}));
        QCOMPARE(byName.back(), u"PC-59"_s);
        order->setCurrentIndex(2);
        QCOMPARE(computersShown(*tree).front(), u"PC-17"_s);  // 08:59, the newest

        // The selection and the actions follow the node the person sees.
        tree->setCurrentIndex(tree->model()->index(0, 0, tree->model()->index(1, 0)));
        QVERIFY(window->resultTree().selected()->text.starts_with(toCp1251(u"Компьютер :PC-17,"_s)));

        search->setText(u"PC-1"_s);
        window->StartCheck();  // a run shows the whole tree again
        QCOMPARE(search->text(), QString());
        QCOMPARE(order->currentIndex(), 0);
    }

    // The viewer finds a line with Ctrl+F and Enter, and the next one with F3.
    void theViewerFindsALine()
    {
        ViewerWindow viewer;
        viewer.show();
        QVERIFY(QTest::qWaitForWindowActive(&viewer));
        auto* tree = viewer.tree();
        tree->clear();  // a report's lines in place of the one it had no source for
        for (const QString& text : {u"[Info]"_s, u"Computer_Name : PC-7"_s, u"[Config_changes]"_s, u"ADDED Modem"_s,
                                    u"ADDED modem two"_s})
            tree->addTopLevelItem(new QTreeWidgetItem(QStringList{text}));
        QTest::keyClick(&viewer, Qt::Key_F, Qt::ControlModifier);
        auto* field = child<QLineEdit>(viewer, u"FindField"_s);
        QTRY_VERIFY(field->hasFocus());
        QTest::keyClicks(field, u"MODEM"_s);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(tree->currentItem()->text(0), u"ADDED Modem"_s);
        QVERIFY(viewer.isVisible());  // Enter found; it did not close the window
        QTest::keyClick(&viewer, Qt::Key_F3);
        QCOMPARE(tree->currentItem()->text(0), u"ADDED modem two"_s);
    }

    // The window's size, place and page come back at the next start; an unchanged place is not
    // written again.
    void theWindowsPlaceIsKept()
    {
        network(1);
        {
            auto window = createWindow();
            window->show();
            window->resize(700, 500);
            window->move(40, 30);
            child<QTabWidget>(*window, u"PageControl1"_s)->setCurrentIndex(2);
            window->close();
        }
        const ProfileDocument saved = ProfileDocument::parse(test::readFile(settingsPath()));
        QCOMPARE(saved.value("Window", "Width").value_or(""), std::string("700"));
        QCOMPARE(saved.value("Window", "Page").value_or(""), std::string("2"));
        const auto written = std::filesystem::last_write_time(settingsPath());
        {
            auto window = createWindow();
            window->show();
            QCOMPARE(window->size(), QSize(700, 500));
            QCOMPARE(child<QTabWidget>(*window, u"PageControl1"_s)->currentIndex(), 2);
            window->close();
        }
        QCOMPARE(std::filesystem::last_write_time(settingsPath()), written);
    }
};

QTEST_MAIN(WindowUseTest)
#include "window_use_test.moc"
