#include "run_check.h"

#include "quiet_view.h"

#include "app/clock.h"
#include "app/settings.h"
#include "check/check_run.h"
#include "check/drive_mapper.h"
#include "check/result_tree.h"
#include "check/smart_decoder.h"
#include "profile/profile_file.h"

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
