#include "output/result_actions.h"

#include "findings/result_tree.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/native_text.h"
#include "platform/remote_files.h"
#include "platform/report_directory.h"
#include "profile/profile_document.h"

#include <cerrno>
#include <cstring>

namespace corvinax {

std::string resultTreeText(const ResultTree& tree)
{
    std::string text;
    tree.forEachInDisplayOrder([&text](ResultNode& node) {
        text.append(static_cast<std::size_t>(node.level()), '\t');
        text += node.text + "\r\n";
    });
    return text;
}

void saveResultTree(const ResultTree& tree, const std::string& path, TextEncoding encoding)
{
    const std::string text = resultTreeText(tree);
    if (!replaceFileAtomically(path, encoding == TextEncoding::Utf8 ? cp1251ToUtf8(text) : text))
        throw Error("Cannot create file " + path + ": " + std::strerror(errno));
}

namespace {

// The directory and the listed name of the node's report: ReportPath is the directory joined with
// the name shown for the listed one. A node made without a listing (none of the run's) names its
// report by its path alone.
std::pair<std::string, std::string> reportFileOf(const AdditionalData& data)
{
    if (!data.reportName.empty()) {
        const std::size_t shown = displayName(data.reportName).size() + 1;
        if (data.reportPath.size() <= shown)
            return {};
        return {data.reportPath.substr(0, data.reportPath.size() - shown), data.reportName};
    }
    const std::size_t separator = data.reportPath.find_last_of(isUncPath(data.reportPath) ? "\\" : "/");
    if (separator == std::string::npos)
        return {};
    return {data.reportPath.substr(0, separator), nativePath(data.reportPath.substr(separator + 1))};
}

}  // namespace

bool readNodeReport(const AdditionalData& data, std::string& bytes)
{
    bytes.clear();
    const auto [folder, name] = reportFileOf(data);
    return !folder.empty() && !name.empty() && ReportDirectory(folder).read(name, bytes);
}

bool amnestyApplies(std::size_t displayIndex, const AdditionalData* data)
{
    std::string bytes;
    return displayIndex > 0 && data && !data->reportPath.empty() && readNodeReport(*data, bytes);
}

void grantAmnesty(const AdditionalData& data)
{
    const auto [folder, name] = reportFileOf(data);
    const ReportDirectory directory(folder);
    std::string bytes;
    if (folder.empty() || !directory.read(name, bytes))
        throw ProfileWriteError(data.reportPath, errno != 0 ? errno : EIO);
    ProfileDocument report = ProfileDocument::parse(std::move(bytes));
    for (const char* section : {"Config_changes", "Remote_Access", "Post_Accounts"})
        report.eraseSection(section);
    if (!directory.replace(name, report.serialize()))
        throw ProfileWriteError(data.reportPath, errno != 0 ? errno : EACCES);
}

}  // namespace corvinax
