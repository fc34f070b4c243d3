#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace corvinax {

struct ReportCandidate {
    std::string name;          // file name, no directory
    std::time_t lastWrite = 0; // universal time
};

// The report candidates of a directory, in the order the file system returns them: every regular
// file, or link to one, whose name does not begin with "." (hidden). Sub-directories, pipes,
// sockets, devices and broken or looping links are passed over. beforeEach runs once per candidate.
// A directory that cannot be read gives no candidate.
std::vector<ReportCandidate> listReportCandidates(const std::string& directory,
                                                  const std::function<void()>& beforeEach = {});

}  // namespace corvinax
