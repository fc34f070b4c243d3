#pragma once

// The file operations of the report intake.

#include <string>

namespace corvinax {

bool isRegularFile(const std::string& path);
bool isDirectory(const std::string& path);

// Creates the directory and every missing level above it, each new level with mode (as the umask
// allows).
bool createDirectories(const std::string& path, unsigned mode = 0777);

}  // namespace corvinax
