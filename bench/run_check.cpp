#include "run_check.h"

#include "quiet_view.h"

#include "check/check_run.h"
#include "check/smart_decoder.h"
#include "findings/result_tree.h"
#include "platform/clock.h"
#include "platform/drive_mapper.h"
#include "profile/profile_file.h"
#include "settings/settings.h"

namespace corvinax::bench {

int runCheck(const std::string& settingsPath)
{
    Settings settings;
    ProfileFile file(settingsPath);
    loadSettings(file, settings, DefaultPaths::forThisMachine("/nonexistent", "/tmp"));
    ResultTree tree;
    SmartDecoder smart([&settings] { return settings.smartFile; });
    QuietView view;
    SystemClock clock;
    NoNetworkDriveMapper mapper;
    CheckRunner runner(settings, settingsPath, tree, smart, view, clock, mapper, {"Corvinax bench", "/bench"});
    runner.StartCheck();
    return runner.lastOutcome().ran ? 0 : 1;
}

}  // namespace corvinax::bench
