#pragma once

// Copies an old report aside before the age rule removes it.

#include <string>

namespace corvinax {

class ReportDirectory;
struct ReportCandidate;

// Writes the report as a new file in the folder and renames it over the report's name there,
// replacing an older copy of that name (a link of that name is replaced, never written through).
// The copy keeps the report's permission bits and last-write time. false, and the folder as it
// was, when the report cannot be read as a file of its own directory, when the folder is missing
// or is the check directory itself, or when the copy cannot be written whole.
bool copyAside(const ReportDirectory& directory, const ReportCandidate& report, const std::string& folder);

// Whether the folder is the check directory itself under another name (another spelling of its
// server, the share's local path, a link): a file of a name of its own is made in the folder and
// looked for in the directory, through the access the run uses, then removed. A spelling cannot
// tell it; only the folder's contents can. false when no such file can be made there.
bool isCheckDirectoryItself(const ReportDirectory& directory, const std::string& folder);

}  // namespace corvinax
