#pragma once

// Writes a realistic network for the benchmark: reports spread over check directories, a
// S.M.A.R.T. dictionary, a filter table and a settings file whose state sections already know
// most reports.

#include <cstddef>
#include <string>
#include <vector>

namespace corvinax::bench {

struct NetworkShape {
    std::size_t reports = 10000;
    std::size_t directories = 20;
    std::size_t filterRows = 50;
    double knownShare = 0.95;  // reports whose newest key the settings file already holds
    unsigned seed = 20261210;
    // How the settings list root's folders: a UNC path (\\SERVER\share\folder) when root is the
    // local folder of a share; empty for root itself.
    std::string listedRoot;
};

struct GeneratedNetwork {
    std::string root;
    std::string settingsWithState;     // the everyday case
    std::string settingsWithoutState;  // the first run
    std::string smartFile;
    std::string logFile;
    std::vector<std::string> reportPaths;
    std::size_t totalBytes = 0;
};

GeneratedNetwork generateNetwork(const std::string& root, const NetworkShape& shape);

}  // namespace corvinax::bench
