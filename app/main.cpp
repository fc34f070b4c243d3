// The program's entry. Everything a scheduler or a script asks for (/S, --baseline, --silent,
// --help, --version) is decided and done here, without the window toolkit: the window lives in a
// module that is loaded only when a window is wanted.

#include "app/baseline.h"
#include "app/command_line.h"
#include "app/silent_reports.h"
#include "app/startup_options.h"
#include "app/unattended_run.h"
#include "app/version.h"
#include "app/window_entry.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include "platform/native_text.h"
#include "platform/paths.h"
#include "profile/profile_file.h"

#include <dlfcn.h>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace {

using namespace corvinax;

// --baseline and --silent work on the settings file and the check directories alone.
int runWithoutWindow(const CommandLine& line, const std::string& settingsPath, Settings& settings)
{
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

// Beside the program (as in the build folder), or where the install puts it.
std::string windowModule(const std::string& programDirectory)
{
    for (const std::string place : {"/", "/../libexec/corvinax/"}) {
        const std::string candidate = nativePath(programDirectory) + place + kWindowModule;
        if (::access(candidate.c_str(), R_OK) == 0)
            return candidate;
    }
    return {};
}

int openWindow(int argc, char* argv[], const StartupOptions& options, const std::string& unreadable)
{
    const std::string module = windowModule(executableDirectory());
    void* handle = module.empty() ? nullptr : ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto windowMain = handle ? reinterpret_cast<WindowMain>(::dlsym(handle, kWindowMainSymbol)) : nullptr;
    if (!windowMain) {
        std::cerr << "corvinax: built without the window";
        if (!module.empty())
            std::cerr << " (" << (handle ? "no entry in " + module : std::string(::dlerror())) << ")";
        std::cerr << "; the options for scripts work without it (corvinax --help)" << std::endl;
        return 1;
    }
    return windowMain(argc, argv, options, unreadable);
}

}  // namespace

int main(int argc, char* argv[])
{
    using namespace corvinax;
    // The first argument is judged as the process received it, before the toolkit takes its own
    // options (-reverse, say) out of the list: what follows them must not become the first.
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
    StartupOptions options;
    options.executablePath = executablePath();
    options.defaults = DefaultPaths::forThisMachine(programDirectory, homeDirectory(), runtimeDirectory());
    options.settingsPath = settingsFilePath(programDirectory, homeDirectory());
    if (line.settingsFile)
        options.settingsPath = fromNativeName(std::filesystem::absolute(*line.settingsFile).string());
    else
        createDirectories(options.settingsPath.substr(0, options.settingsPath.rfind('/')));
    options.warehouseFromCommandLine = line.warehouse;
    options.jsonFile = line.jsonFile ? fromNativeName(std::filesystem::absolute(*line.jsonFile).string()) : "";
    options.failOnFindings = line.failOnFindings;
    removeInterruptedReplacements(options.settingsPath);

    // A settings file that is there but cannot be read would run with every default: no directory,
    // or the wrong ones, and a scheduled run would seem to have had nothing to do.
    const std::string unreadable = settingsFileUnreadable(options.settingsPath);
    if (!unreadable.empty() && (line.baseline || line.silentDays || line.warehouse)) {
        std::cerr << cp1251ToUtf8(unreadable) << std::endl;
        return 4;
    }
    Settings settings;
    settings.warehouseMode = line.warehouse;
    {
        ProfileFile file = openSettingsFile(options.settingsPath);
        loadSettings(file, settings, options.defaults);
    }
    if (line.baseline || line.silentDays)
        return runWithoutWindow(line, options.settingsPath, settings);
    // /S, MERVOMODE, or CloseIfAllOk=2 in the settings file.
    if (settings.warehouseMode)
        return runUnattended(options, settings, SystemClock());
    return openWindow(argc, argv, options, unreadable);
}
