#pragma once

// A configuration report as the check run sees it: read once into memory, with everything the
// run derives from it.

#include "profile/profile_document.h"
#include "reports/quick_report.h"

#include <array>
#include <forward_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvinax {


struct ReportInfo {
    std::string computerName;  // "?" when missing
    std::string recordDate;
    std::array<std::string, 4> params;  // Param_1 (the user name) to Param_4
    std::string macAddr;
};

class Report {
public:
    // A missing or unreadable file, or one that is no profile, gives the defaults and no lines.
    static Report read(const std::string& path);
    // The same from the bytes of a file.
    static Report parse(std::string bytes);
    // The same always through the full parse of the file, which a plain report skips.
    static Report parseThroughProfile(std::string bytes);

    // Composed at the first call: most reports of a run are never shown.
    const ReportInfo& info() const;
    // The [Config_changes] lines, key=value, oldest first, every line however many there are.
    // The texts live as long as the report.
    const std::vector<std::string_view>& changeLines() const { return m_changeLines; }
    // Adds a line of the run's own after the report's lines.
    void appendChangeLine(std::string line);
    // [Signature] "0", or the no-signature text when it is missing.
    std::string_view storedSignature() const { return m_storedSignature; }
    // CalcSignature of the file as read.
    const std::string& signature() const;

    // "Компьютер :" + name + ", Пользователь :" + the four parameters; not trimmed.
    std::string computerLine() const;
    // The line that names the computer in the question about removing an old report.
    std::string computerInfoLine() const;

private:
    void readThroughProfile();
    void take(const std::array<std::optional<std::string_view>, kInfoKeys.size()>& info,
              const std::vector<ProfileDocument::NameValue>& changes, std::optional<std::string_view> storedSignature);

    // The file's bytes: held here when the report was read quickly, else by the document.
    std::unique_ptr<std::string> m_bytes;
    std::optional<ProfileDocument> m_document;  // only for a report that is not plain
    mutable std::optional<std::string> m_signature;  // found in the quick reading, else at the first call
    std::array<std::optional<std::string_view>, kInfoKeys.size()> m_infoValues;
    mutable std::optional<ReportInfo> m_info;
    std::vector<std::string_view> m_changeLines;
    std::forward_list<std::string> m_ownLines;  // lines that are no slice of the file; they never move
    std::string_view m_storedSignature;         // into the file, or the no-signature text
};

// The key of the last change line, trimmed of codes 0 to 32; empty when there is no line. A view
// into that line.
std::string_view newestKey(const std::vector<std::string_view>& changeLines);
// The newest key's first word (up to its first blank), trimmed; empty when the key has no blank.
std::string batchPrefix(std::string_view newestKey);
// The lines that begin with the prefix, in order; none for an empty prefix.
std::vector<std::string_view> batchLines(const std::vector<std::string_view>& changeLines, std::string_view prefix);

}  // namespace corvinax
