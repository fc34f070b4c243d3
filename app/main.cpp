#include "app/clock.h"
#include "app/desktop_services.h"
#include "app/main_window.h"
#include "app/paths.h"
#include "app/qt_dialogs.h"
#include "app/translation.h"
#include "app/version.h"
#include "check/file_operations.h"
#include "check/stop_request.h"
#include "profile/atomic_file.h"
#include "profile/native_text.h"

#include <QApplication>

#include <cstring>
#include <iostream>

namespace {

constexpr const char* kUsage =
    "Usage: corvinax [/S | MERVOMODE]\n"
    "\n"
    "Watches configuration changes on the computers of a local network: reads the configuration\n"
    "reports of the check directories and shows every computer that changed since the last check.\n"
    "\n"
    "  /S, MERVOMODE  warehouse mode (any letter case): one unattended check, the export into the\n"
    "                 warehouse table, a save of the settings, and the end of the program\n"
    "  --help         this text\n"
    "  --version      the version\n"
    "\n"
    "Settings: corvinax.ini beside the program, or ~/.config/corvinax/corvinax.ini when the\n"
    "program is installed.\n";

}  // namespace

int main(int argc, char* argv[])
{
    using namespace corvinax;
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << kUsage;
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << kApplicationTitle << " " << kVersionTag << "\n";
        return 0;
    }

    // The first argument as the process received it: Qt takes its own options (-reverse, say) out
    // of the list, and what follows them must not become the first.
    const bool warehouse = selectsWarehouseMode(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    installRussianTranslation();

    StartupOptions options;
    const std::string programDirectory = executableDirectory();
    const std::string home = homeDirectory();
    options.settingsPath = settingsFilePath(programDirectory, home);
    createDirectories(options.settingsPath.substr(0, options.settingsPath.rfind('/')));
    removeInterruptedReplacements(options.settingsPath);
    options.executablePath = executablePath();
    options.defaults = DefaultPaths::forThisMachine(programDirectory, home, runtimeDirectory());
    options.warehouseFromCommandLine = warehouse;

    SystemClock clock;
    QtDialogs dialogs;
    QtDesktopServices desktop;
    MainWindow window(options, dialogs, desktop, clock);
    dialogs.setParent(&window);
    if (window.unattended()) {
        // Nobody watches: the window is never shown, so nothing is painted while the run works.
        QApplication::setQuitOnLastWindowClosed(false);
        // A scheduler's stop ends the run where the table and the settings file are whole.
        stopOnTerminationSignals();
        QMetaObject::invokeMethod(&window, &MainWindow::runUnattended, Qt::QueuedConnection);
    } else {
        window.show();
    }
    return QApplication::exec();
}
