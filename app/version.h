#pragma once

#include <string>

namespace corvinax {

inline constexpr const char* kVersionTag = "v.2.00";
inline constexpr const char* kApplicationTitle = "Corvinax";

// The main window's caption: its designed text, a blank and the version tag (code page 1251).
std::string windowCaption();

}  // namespace corvinax
