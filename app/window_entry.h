#pragma once

// The door between the program and its window, which lives in a module of its own
// (corvinax-window.so) so that the scheduled runs never load the window toolkit.

#include "app/startup_options.h"

#include <string>

namespace corvinax {

// What the module gives: the window's whole life, from the toolkit's start to the exit status.
using WindowMain = int (*)(int argc, char* argv[], const StartupOptions& options, const std::string& unreadableSettings);
inline constexpr const char* kWindowMainSymbol = "corvinaxWindowMain";
inline constexpr const char* kWindowModule = "corvinax-window.so";

}  // namespace corvinax
