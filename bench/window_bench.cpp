// corvinax-window-bench [N ...]: the window with a first run of N changed computers (30000 when none
// is given), on the offscreen platform, with «Разворачивать результаты проверки» ticked and not:
// how long the run takes until its tree is shown (expanded and laid out), and the longest time the
// window went without handling its events meanwhile.

#include "app/desktop_services.h"
#include "app/main_window.h"
#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <filesystem>

using namespace corvinax;

namespace {

class NoDesktop final : public DesktopServices {
public:
    QString chooseDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    QString chooseOpenFile(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    void openUrl(const QUrl&) override {}
};

std::string network(const test::TempDir& dir, int computers, bool expand)
{
    const std::string cfg = dir.file("cfg");
    std::filesystem::create_directories(cfg);
    for (int i = 0; i < computers; ++i) {
        const std::string path = cfg + "/PC-" + std::to_string(i) + ".ini";
        if (std::filesystem::exists(path))
            continue;
        test::writeFile(path, "[Info]\r\nComputer_Name=PC-" + std::to_string(i) +
                                  "\r\n[Config_changes]\r\n07.12.2026 08:00:00=ADDED Modem\r\n"
                                  "07.12.2026 08:00:00=ADDED Printer\r\n");
    }
    const std::string settings = dir.file(expand ? "expand.ini" : "plain.ini");
    test::writeFile(settings, std::string("[Config]\r\nAutoRun=0\r\nExpandTree=") + (expand ? "1" : "0") +
                                  "\r\nLOG_FileName=\r\n[CheckDirs]\r\nPath_0=" + cfg + "\r\n");
    return settings;
}

void measure(const test::TempDir& dir, int computers, bool expand)
{
    const std::string settings = network(dir, computers, expand);
    test::ScriptedDialogs dialogs;
    NoDesktop desktop;
    SystemClock clock;
    StartupOptions options{settings, "/opt/corvinax/corvinax", DefaultPaths::forThisMachine("/opt/corvinax", dir.path()),
                           false, {}, false};
    MainWindow window(options, dialogs, desktop, clock);
    window.show();
    QApplication::processEvents();

    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    ticks.start(5);
    sinceTick.start();
    QElapsedTimer run;
    run.start();
    window.StartCheck();
    window.findChild<QTreeView*>()->viewport()->repaint();  // laid out and drawn
    QApplication::processEvents();
    const qint64 shown = run.elapsed();
    ticks.stop();
    std::printf("  %6d computers, %-9s run until shown %6.3f s, longest time without events %5.3f s\n", computers,
                expand ? "expanded" : "collapsed", static_cast<double>(shown) / 1000.0,
                static_cast<double>(longestGap) / 1000.0);
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::stoi(argv[i]));
    if (sizes.empty())
        sizes.push_back(30000);
    for (const int computers : sizes) {
        test::TempDir dir;
        measure(dir, computers, false);
        measure(dir, computers, true);
    }
    return 0;
}
