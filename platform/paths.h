#pragma once

#include "platform/remote_files.h"

#include <string>
#include <string_view>

namespace corvinax {

// dir and name joined by "\" when dir is a UNC path, by "/" otherwise; no separator is doubled.
std::string joinPath(std::string_view directory, std::string_view name);

std::string executablePath();
std::string executableDirectory();
std::string homeDirectory();
// The user's private runtime folder ($XDG_RUNTIME_DIR), empty when there is none.
std::string runtimeDirectory();

// The shared data of an installed program (prefix/share/corvinax beside prefix/bin), or empty
// for a portable copy that keeps its data beside the executable.
std::string installedDataDirectory(const std::string& executableDirectory);

// corvinax.ini beside the executable; for an installed program, or one whose folder cannot be
// written, corvinax/corvinax.ini in the user's configuration folder.
std::string settingsFilePath(const std::string& executableDirectory, const std::string& homeDirectory);

}  // namespace corvinax
