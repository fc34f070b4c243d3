#pragma once

// The file operations of the report intake.

#include <ctime>
#include <string>

namespace corvinax {

bool isRegularFile(const std::string& path);
bool isDirectory(const std::string& path);

// Copies source over destination as one replacement (a new file beside it, then a rename), so
// that a failed copy leaves an older destination as it was. The copy keeps the source's
// last-write time; a read-only destination is not replaced. false on any failure.
bool copyReplacing(const std::string& source, const std::string& destination);

// Creates the directory and every missing level above it, each new level with mode (as the umask
// allows).
bool createDirectories(const std::string& path, unsigned mode = 0777);

// Removes a regular file; false when it could not be removed (a missing file included).
bool removeFile(const std::string& path);

}  // namespace corvinax
