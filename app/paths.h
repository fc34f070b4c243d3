#pragma once

#include <string>
#include <string_view>

namespace corvinax {

// A path of the form \\SERVER\share.
bool isUncPath(std::string_view path);

// dir and name joined by "\" when dir is a UNC path, by "/" otherwise; no separator is doubled.
std::string joinPath(std::string_view directory, std::string_view name);

std::string executablePath();
std::string executableDirectory();
std::string homeDirectory();

}  // namespace corvinax
