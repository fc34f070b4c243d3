// The main window under a real X server with a window manager's focus policy, where activations
// come when the manager gives them: after a box has closed, and when the person comes back from
// another application. Started by with_window_manager.sh, which provides Xvfb and openbox.

#include "app/main_window.h"
#include "app/qt_dialogs.h"
#include "app/text_codec.h"
#include "scripted_desktop.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <memory>

using namespace Qt::StringLiterals;
using namespace corvinax;

class WindowManagerTest : public QObject {
    Q_OBJECT

private:
    // Answers every box once the manager has given it the focus, as a person pressing OK would
    // (a box closed before that would never have taken the focus from the main window).
    void startAnsweringBoxes()
    {
        auto* answerer = new QTimer(this);
        connect(answerer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isActiveWindow()) {
                m_boxes << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        answerer->start(50);
    }

    int runs() const
    {
        int count = 0;
        m_window->resultTree().forEachInDisplayOrder(
            [&](ResultNode& node) { count += node.text.starts_with(toCp1251(u"Начало проверки"_s)); });
        return count;
    }

    static void xdotool(const QStringList& arguments) { QProcess::execute(u"xdotool"_s, arguments); }

    std::unique_ptr<test::TempDir> m_dir;
    QtDialogs m_dialogs;
    test::ScriptedDesktop m_desktop;
    test::FakeClock m_clock;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_boxes;

private Q_SLOTS:
    void activationsStartRunsOnlyAfterThePersonsOwnBoxes()
    {
        if (QGuiApplication::platformName() != u"xcb"_s)
            QSKIP("needs an X server with a window manager (run through with_window_manager.sh)");
        m_dir = std::make_unique<test::TempDir>();
        const std::string settings = m_dir->file("corvinax.ini");
        test::writeFile(settings,
                        "[Config]\r\nAutoRun=1\r\n[CheckDirs]\r\nPath_0=" + m_dir->file("unreachable") + "\r\n");
        StartupOptions options{
            settings, "/opt/tools/corvinax", DefaultPaths::forThisMachine("/opt/tools", m_dir->path()), false, {},
            false};
        m_window = std::make_unique<MainWindow>(options, m_dialogs, m_desktop, m_clock);
        m_dialogs.setParent(m_window.get());
        startAnsweringBoxes();

        // Start-up: one run, which ends on the box of the unreachable directory. The manager gives
        // the focus back when that box has gone: no second run, however long one waits.
        m_window->show();
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.size(), 1, 10000);
        QTest::qWait(1500);
        QCOMPARE(runs(), 1);
        QCOMPARE(m_boxes.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isActiveWindow(), 5000);

        // Another application takes the focus and the person comes back: nothing starts.
        QProcess other;
        other.start(QCoreApplication::applicationFilePath(), {u"--other-application"_s});
        QVERIFY(other.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isActiveWindow(), 10000);  // it takes the focus when it shows
        xdotool({u"windowactivate"_s, u"--sync"_s, QString::number(m_window->winId())});
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isActiveWindow(), 5000);
        QTest::qWait(1000);
        QCOMPARE(runs(), 1);
        other.kill();
        other.waitForFinished();

        // A box of the person's own (a save that fails) gives the activation back: that one runs.
        m_desktop.answers = {QString::fromStdString(m_dir->file("missing/results.txt"))};
        QTimer::singleShot(0, m_window.get(), [this] { m_window->BitBtn2Click(); });
        QTRY_COMPARE_WITH_TIMEOUT(runs(), 2, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.size(), 3, 10000);  // the save's box and the run's
        QTest::qWait(1500);
        QCOMPARE(runs(), 2);
        m_window.reset();
    }
};

// With --other-application: a window of another program, to switch to and back from.
int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--other-application") {
        QWidget other;
        other.setWindowTitle(u"Another application"_s);
        other.resize(300, 200);
        other.show();
        other.activateWindow();
        return QApplication::exec();
    }
    WindowManagerTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "window_manager_test.moc"
