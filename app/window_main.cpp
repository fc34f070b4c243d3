// The window's side of the program, loaded by the entry only when a window is wanted.

#include "app/desktop_services.h"
#include "app/main_window.h"
#include "app/qt_dialogs.h"
#include "app/single_window.h"
#include "app/translation.h"
#include "app/version.h"
#include "app/window_entry.h"
#include "platform/clock.h"
#include "settings/settings.h"

#include <QApplication>

using namespace corvinax;

extern "C" __attribute__((visibility("default"))) int corvinaxWindowMain(int argc, char* argv[],
                                                                         const StartupOptions& options,
                                                                         const std::string& unreadableSettings)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    installRussianTranslation();

    SystemClock clock;
    QtDialogs dialogs;
    QtDesktopServices desktop;
    if (!unreadableSettings.empty())
        dialogs.showMessage(unreadableSettings);
    MainWindow window(options, dialogs, desktop, clock);
    dialogs.setParent(&window);
    SingleWindow single(options.settingsPath);
    if (single.anotherWindow()) {
        if (!single.bringFirstToFront())
            dialogs.showMessage(alreadyRunningText(options.settingsPath));
        return 0;
    }
    single.serve(window);
    window.show();
    return QApplication::exec();
}
