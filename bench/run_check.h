#pragma once

#include <string>

namespace corvinax::bench {

// One check run in this process with that settings file, as the program would run it unwatched;
// UNC directories go to the SMB client registered at the moment. 0 when the run took place.
int runCheck(const std::string& settingsPath);

}  // namespace corvinax::bench
