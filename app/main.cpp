#include "app/clock.h"
#include "app/desktop_services.h"
#include "app/main_window.h"
#include "app/paths.h"
#include "app/qt_dialogs.h"
#include "app/version.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    using namespace corvinax;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));

    StartupOptions options;
    const std::string programDirectory = executableDirectory();
    options.settingsPath = joinPath(programDirectory, "corvinax.ini");
    options.executablePath = executablePath();
    options.defaults = DefaultPaths::forThisMachine(programDirectory, homeDirectory());
    options.warehouseFromCommandLine = selectsWarehouseMode(argc, argv);

    SystemClock clock;
    QtDialogs dialogs;
    QtDesktopServices desktop;
    MainWindow window(options, dialogs, desktop, clock);
    dialogs.setParent(&window);
    if (window.unattended()) {
        QApplication::setQuitOnLastWindowClosed(false);
        window.showMinimized();
        QMetaObject::invokeMethod(&window, &MainWindow::runUnattended, Qt::QueuedConnection);
    } else {
        window.show();
    }
    return QApplication::exec();
}
