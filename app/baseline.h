#pragma once

// A quiet first run: the newest change of every report is recorded as seen, so that adding a
// directory of thousands of computers does not make every one of them a violator, and nothing is
// shown, logged or exported.

#include <cstddef>
#include <string>

namespace corvinax {

struct Settings;

struct BaselineSummary {
    std::size_t directories = 0;
    std::size_t reports = 0;
    std::size_t keys = 0;  // state keys written
};

// Writes the newest key of every report of every listed directory into its state section and each
// directory's report count into [CheckDirs], as one replacement of the settings file (by
// read-modify-replace). A report is remembered as a run would remember it: never one whose name
// cannot be a key or that another report of the directory shows too. Throws ProfileWriteError when
// the file cannot be written; it is then as it was.
BaselineSummary writeBaseline(Settings& settings, const std::string& settingsPath);

// "N directories, N reports, N keys written".
std::string summaryLine(const BaselineSummary& summary);

}  // namespace corvinax
