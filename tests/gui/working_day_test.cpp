// The window through an administrator's working day, under a real X server with a window manager:
// networks of thousands of changed computers, closing in the middle of a run, options changed and
// the window closed with its close box, a second start on the same settings file, small and scaled
// screens. Keys and clicks go through the X server (xdotool), the boxes are the program's own.
// Started by with_window_manager.sh, which provides Xvfb and openbox.

#include "app/main_window.h"
#include "app/qt_dialogs.h"
#include "app/text_codec.h"
#include "profile/profile_document.h"
#include "scripted_desktop.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <memory>

using namespace Qt::StringLiterals;
using namespace corvinax;

namespace {

std::string reportOf(int i)
{
    return "[Info]\r\nComputer_Name=PC-" + std::to_string(i) + "\r\nParam_1=user" + std::to_string(i) +
           "\r\nMAC_Addr=00-00-00-00-" + std::to_string(i) + "\r\n[Config_changes]\r\n07.12.2026 08:00:00=ADDED Modem " +
           std::to_string(i) + "\r\n";
}

}  // namespace

class WorkingDayTest : public QObject {
    Q_OBJECT

private:
    static bool underWindowManager() { return QGuiApplication::platformName() == u"xcb"_s; }

    static void xdotool(const QStringList& arguments) { QProcess::execute(u"xdotool"_s, arguments); }
    // A key as the person presses it, to whatever window has the focus.
    static void pressKeys(const QString& keys) { xdotool({u"key"_s, u"--clearmodifiers"_s, keys}); }

    // A network of count changed computers in one check directory; the settings file lists it.
    std::string network(int count, const std::string& config)
    {
        m_dir = std::make_unique<test::TempDir>();
        const std::string cfg = m_dir->file("cfg");
        std::filesystem::create_directory(cfg);
        for (int i = 0; i < count; ++i)
            test::writeFile(cfg + "/PC-" + std::to_string(i) + ".ini", reportOf(i));
        const std::string settings = m_dir->file("corvinax.ini");
        test::writeFile(settings, "[Config]\r\n" + config + "LOG_FileName=" + m_dir->file("check.log") +
                                      "\r\n[CheckDirs]\r\nPath_0=" + cfg + "\r\nCount_0=" + std::to_string(count) + "\r\n");
        return settings;
    }

    std::unique_ptr<MainWindow> openWindow(const std::string& settings)
    {
        StartupOptions options{settings, "/opt/tools/corvinax", DefaultPaths::forThisMachine("/opt/tools", m_dir->path()),
                               false, {}, false};
        auto window = std::make_unique<MainWindow>(options, m_dialogs, m_desktop, m_clock);
        m_dialogs.setParent(window.get());
        return window;
    }

    // Presses the button of that text in the program's next box, once the manager has given the
    // box the focus, and keeps the box's text.
    void answerNextBox(QMessageBox::StandardButton answer)
    {
        auto* answerer = new QTimer(this);
        connect(answerer, &QTimer::timeout, this, [this, answer, answerer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isActiveWindow())
                return;
            m_boxes << box->text();
            m_defaults << box->standardButton(box->defaultButton());
            answerer->stop();
            answerer->deleteLater();
            QTest::mouseClick(box->button(answer), Qt::LeftButton);
        });
        answerer->start(50);
    }

    static std::string stateOf(const std::string& settings, const std::string& section)
    {
        const ProfileDocument document = ProfileDocument::parse(test::readFile(settings));
        return document.value(section, "PC-1.ini").value_or("<none>");
    }

    std::unique_ptr<test::TempDir> m_dir;
    QtDialogs m_dialogs;
    test::ScriptedDesktop m_desktop;
    test::FakeClock m_clock;
    QStringList m_boxes;
    QList<QMessageBox::StandardButton> m_defaults;

private Q_SLOTS:
    void init()
    {
        if (!underWindowManager())
            QSKIP("needs an X server with a window manager (run through with_window_manager.sh)");
        m_boxes.clear();
        m_defaults.clear();
    }

    // Alt+F4 in the middle of a run: the program asks, the person says Yes, the run stops at its next
    // report and the window closes; nothing was recorded as seen, so the next run shows everything.
    void closingInTheMiddleOfARunAsksAndKeepsTheFindings()
    {
        constexpr int kComputers = 20000;
        const std::string settings = network(kComputers, "AutoRun=0\r\n");
        const std::string cfg = m_dir->file("cfg");
        auto window = openWindow(settings);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));

        // While the run is under way, the person presses Alt+F4 once.
        bool pressed = false;
        QTimer during;
        connect(&during, &QTimer::timeout, this, [&] {
            // A hundred reports into the run.
            if (!pressed && window->checkRunning() && window->findChild<QProgressBar*>(u"Gauge1"_s)->value() >= 100) {
                pressed = true;
                QProcess::startDetached(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, u"alt+F4"_s});
            }
        });
        during.start(20);
        answerNextBox(QMessageBox::Yes);
        QTest::mouseClick(window->findChild<QToolButton*>(u"ToolbarButton971"_s), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 20000);
        QCOMPARE(m_boxes, QStringList{u"Прервать проверку?"_s});
        QCOMPARE(m_defaults, QList{QMessageBox::No});
        QVERIFY(test::readFile(m_dir->file("check.log")).find(toCp1251(u"Проверка прервана\r\n"_s)) != std::string::npos);
        QCOMPARE(stateOf(settings, cfg), std::string("<none>"));
        window.reset();

        auto again = openWindow(settings);
        again->show();
        QTest::mouseClick(again->findChild<QToolButton*>(u"ToolbarButton971"_s), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!again->checkRunning(), 20000);
        int computers = 0;
        again->resultTree().forEachInDisplayOrder([&](ResultNode& node) { computers += node.level() == 1; });
        QCOMPARE(computers, kComputers);
    }

    // An option changed and the window closed with Alt+F4: Cancel keeps the window, No drops the
    // change, Yes saves it.
    void closingWithChangedOptionsAsks()
    {
        const std::string settings = network(1, "AutoRun=0\r\nExpandTree=0\r\n");
        for (const auto answer : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Yes}) {
            const std::string before = test::readFile(settings);
            auto window = openWindow(settings);
            window->show();
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
            auto* expand = window->findChild<QCheckBox*>(u"CheckBox2"_s);
            window->findChild<QTabWidget*>(u"PageControl1"_s)->setCurrentIndex(1);
            QTest::mouseClick(expand, Qt::LeftButton, {}, QPoint(5, expand->height() / 2));
            QVERIFY(expand->isChecked());
            answerNextBox(answer);
            pressKeys(u"alt+F4"_s);
            QTRY_COMPARE_WITH_TIMEOUT(m_boxes.size(), 1, 10000);
            QCOMPARE(m_boxes.front(), u"Сохранить изменения настроек?"_s);
            // The answer is taken before the box goes: the window is closed or kept by then.
            QTRY_COMPARE_WITH_TIMEOUT(window->isVisible(), answer == QMessageBox::Cancel, 10000);
            const ProfileDocument saved = ProfileDocument::parse(test::readFile(settings));
            QCOMPARE(saved.value("Config", "ExpandTree").value_or(""), answer == QMessageBox::Yes ? "1" : "0");
            if (answer == QMessageBox::Cancel)
                QCOMPARE(test::readFile(settings), before);
            m_boxes.clear();
            window.reset();
        }
    }

    // With the results expanded, 3,000 changed computers: the window takes a close request as soon
    // as the run has written its log, not after a minute and a half of opening nodes one by one.
    void aBigExpandedResultLeavesTheWindowResponsive()
    {
        const std::string settings = network(3000, "AutoRun=1\r\nExpandTree=1\r\n");
        QProcess program;
        program.setProgram(QStringLiteral(CORVINAX_EXECUTABLE));
        program.setArguments({u"--settings"_s, QString::fromStdString(settings)});
        program.start();
        QVERIFY(program.waitForStarted());
        const std::string log = m_dir->file("check.log");
        QTRY_VERIFY_WITH_TIMEOUT(test::readFile(log).find(toCp1251(u"Окончание проверки"_s)) != std::string::npos, 20000);
        xdotool({u"search"_s, u"--sync"_s, u"--pid"_s, QString::number(program.processId()), u"windowactivate"_s,
                 u"--sync"_s});
        pressKeys(u"alt+F4"_s);
        QVERIFY2(program.waitForFinished(20000), "the window did not take the close request");
        QCOMPARE(program.exitCode(), 0);
    }

    // A second start on the same settings file brings the first window forward and ends.
    void aSecondStartOnTheSameSettingsBringsTheFirstForward()
    {
        const std::string settings = network(1, "AutoRun=0\r\n");
        QProcess first;
        first.start(QStringLiteral(CORVINAX_EXECUTABLE), {u"--settings"_s, QString::fromStdString(settings)});
        QVERIFY(first.waitForStarted());
        QProcess search;
        search.start(u"xdotool"_s, {u"search"_s, u"--sync"_s, u"--pid"_s, QString::number(first.processId())});
        QVERIFY(search.waitForFinished(20000));
        const QString firstWindow = QString::fromLatin1(search.readAllStandardOutput()).split(u'\n').front();

        QProcess second;
        second.start(QStringLiteral(CORVINAX_EXECUTABLE), {u"--settings"_s, QString::fromStdString(settings)});
        QVERIFY2(second.waitForFinished(20000), "the second start opened a window of its own");
        QCOMPARE(second.exitCode(), 0);
        QProcess active;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                active.start(u"xdotool"_s, {u"getactivewindow"_s});
                active.waitForFinished(5000);
                return QString::fromLatin1(active.readAllStandardOutput()).trimmed() == firstWindow;
            }(),
            10000);
        first.terminate();
        first.waitForFinished(5000);
        if (first.state() != QProcess::NotRunning)
            first.kill();
    }

    // On the screen this test runs on (1024x768, or 1366x768 at twice the scale), every page fits and
    // the bottom panel with the start and exit buttons is on screen.
    void everyPageFitsTheScreen()
    {
        const std::string settings = network(1, "AutoRun=0\r\n");
        auto window = openWindow(settings);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->showMaximized();
        const QRect screen = window->screen()->availableGeometry();
        // The manager maximises the window within the screen, whatever the window asked for.
        QTRY_VERIFY_WITH_TIMEOUT(window->isMaximized() && window->geometry().height() <= screen.height() + 2, 10000);
        for (int page = 0; page < 3; ++page) {
            window->findChild<QTabWidget*>(u"PageControl1"_s)->setCurrentIndex(page);
            // The manager's border, and the rounding at twice the scale, may stand a pixel out.
            const QRect frame = window->geometry();
            QVERIFY2(screen.adjusted(-2, -2, 2, 2).contains(frame),
                     qPrintable(u"page %1: frame %2,%3 %4x%5 on %6x%7"_s.arg(page)
                                    .arg(frame.x())
                                    .arg(frame.y())
                                    .arg(frame.width())
                                    .arg(frame.height())
                                    .arg(screen.width())
                                    .arg(screen.height())));
            for (const char* name : {"BitBtn1", "ToolbarButton971"}) {
                auto* button = window->findChild<QToolButton*>(QString::fromLatin1(name));
                const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
                QVERIFY2(button->isVisible() || button->objectName() == u"ToolbarButton971"_s, name);
                QVERIFY2(screen.contains(onScreen), name);
            }
        }
    }
};

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    WorkingDayTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "working_day_test.moc"
