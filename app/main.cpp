#include "app/baseline.h"
#include "app/command_line.h"
#include "app/desktop_services.h"
#include "app/main_window.h"
#include "app/qt_dialogs.h"
#include "app/silent_reports.h"
#include "app/single_window.h"
#include "app/translation.h"
#include "app/version.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include "platform/native_text.h"
#include "platform/paths.h"
#include "platform/stop_request.h"
#include "profile/profile_file.h"

#include <QApplication>

#include <filesystem>
#include <iostream>

namespace {

using namespace corvinax;

// --baseline and --silent work on the settings file and the check directories alone: no window, no
// display.
int runWithoutWindow(const CommandLine& line, const std::string& settingsPath, const DefaultPaths& defaults)
{
    Settings settings;
    ProfileFile file = openSettingsFile(settingsPath);
    loadSettings(file, settings, defaults);
    if (line.silentDays) {
        std::cout << cp1251ToUtf8(silentReportLines(findSilentReports(settings, *line.silentDays, SystemClock())));
        return 0;
    }
    try {
        std::cout << summaryLine(writeBaseline(settings, settingsPath)) << std::endl;
    } catch (const Error& error) {
        std::cerr << cp1251ToUtf8(error.what()) << std::endl;
        return 4;
    }
    return 0;
}

}  // namespace
int main(int argc, char* argv[])
{
    using namespace corvinax;
    // The first argument is judged as the process received it, before Qt takes its own options
    // (-reverse, say) out of the list: what follows them must not become the first.
    const CommandLine line = parseCommandLine(argc, argv);
    if (line.help) {
        std::cout << usageText();
        return 0;
    }
    if (line.version) {
        std::cout << kApplicationTitle << " " << kVersionTag << "\n";
        return 0;
    }
    if (!line.error.empty()) {
        std::cerr << line.error << "\n\n" << usageText();
        return 64;
    }

    const std::string programDirectory = executableDirectory();
    const std::string home = homeDirectory();
    const DefaultPaths defaults = DefaultPaths::forThisMachine(programDirectory, home, runtimeDirectory());
    std::string settingsPath = settingsFilePath(programDirectory, home);
    if (line.settingsFile)
        settingsPath = fromNativeName(std::filesystem::absolute(*line.settingsFile).string());
    else
        createDirectories(settingsPath.substr(0, settingsPath.rfind('/')));
    removeInterruptedReplacements(settingsPath);
    // A settings file that is there but cannot be read would run with every default: no
    // directory, or the wrong ones, and a scheduled run would seem to have had nothing to do.
    const std::string unreadableText = settingsFileUnreadable(settingsPath);
    if (!unreadableText.empty() && (line.baseline || line.silentDays || line.warehouse)) {
        std::cerr << cp1251ToUtf8(unreadableText) << std::endl;
        return 4;
    }
    if (line.baseline || line.silentDays)
        return runWithoutWindow(line, settingsPath, defaults);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    installRussianTranslation();

    StartupOptions options;
    options.settingsPath = settingsPath;
    options.executablePath = executablePath();
    options.defaults = defaults;
    options.warehouseFromCommandLine = line.warehouse;
    options.jsonFile = line.jsonFile ? fromNativeName(std::filesystem::absolute(*line.jsonFile).string()) : "";
    options.failOnFindings = line.failOnFindings;

    SystemClock clock;
    QtDialogs dialogs;
    QtDesktopServices desktop;
    if (!unreadableText.empty())
        dialogs.showMessage(unreadableText);
    MainWindow window(options, dialogs, desktop, clock);
    dialogs.setParent(&window);
    SingleWindow single(settingsPath);
    if (!window.unattended() && !single.first()) {
        if (!single.bringFirstToFront())
            dialogs.showMessage(alreadyRunningText(settingsPath));
        return 0;
    }
    if (window.unattended()) {
        // Nobody watches: the window is never shown, so nothing is painted while the run works.
        QApplication::setQuitOnLastWindowClosed(false);
        // A scheduler's stop ends the run where the table and the settings file are whole.
        stopOnTerminationSignals();
        QMetaObject::invokeMethod(&window, &MainWindow::runUnattended, Qt::QueuedConnection);
    } else {
        single.serve(window);
        window.show();
    }
    return QApplication::exec();
}
