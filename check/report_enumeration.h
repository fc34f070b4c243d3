#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace corvinax {

struct ReportCandidate {
    std::string name;          // file name, no directory
    std::time_t lastWrite = 0; // universal time
};

// The report candidates of a directory, in the order the file system returns them: every regular
// file, or link to one, whose name does not begin with "." (hidden). Sub-directories, pipes,
// sockets, devices and broken or looping links are passed over. The last-write time is filled in
// only when asked for, which spares a look at every plain file. A directory that cannot be read
// gives no candidate.
std::vector<ReportCandidate> listReportCandidates(const std::string& directory, bool withLastWrite = true);

}  // namespace corvinax
