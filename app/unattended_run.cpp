#include "app/unattended_run.h"

#include "app/unattended_view.h"
#include "app/version.h"
#include "app/warehouse_status.h"
#include "check/check_run.h"
#include "check/smart_decoder.h"
#include "findings/result_tree.h"
#include "platform/clock.h"
#include "platform/smb_files.h"
#include "platform/stop_request.h"
#include "profile/profile_file.h"

namespace corvinax {

int runUnattended(const StartupOptions& options, Settings& settings, const Clock& clock)
{
    settings.warehouseMode = true;
    settings.jsonFileForThisRun = options.jsonFile;
    settings.failOnFindings = options.failOnFindings;
    ResultTree tree;
    SmartDecoder smart([&settings] { return settings.smartFile; });
    SmbFiles network([&settings] { return SmbCredentials{settings.login, settings.password}; });
    setRemoteFiles(&network);
    UnattendedView view([&](const StateValues& state) {
        ProfileFile file = openSettingsFile(options.settingsPath);
        saveSettings(file, settings, clock, state);
    });
    CheckRunner runner(settings, options.settingsPath, tree, smart, view, clock, network,
                       LogHeader{windowCaption(), options.executablePath});
    // A scheduler's stop ends the run where the table and the settings file are whole.
    stopOnTerminationSignals();
    runner.StartCheck();
    setRemoteFiles(nullptr);
    return warehouseExitStatus(runner.lastOutcome(), view.saved(), settings.failOnFindings);
}

}  // namespace corvinax
