#include "output/result_actions.h"

#include "check/file_operations.h"
#include "check/result_tree.h"
#include "profile/atomic_file.h"
#include "profile/error.h"
#include "profile/profile_file.h"

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

void saveResultTree(const ResultTree& tree, const std::string& path)
{
    if (!replaceFileAtomically(path, resultTreeText(tree)))
        throw Error("Cannot create file " + path + ": " + std::strerror(errno));
}

bool amnestyApplies(std::size_t displayIndex, const std::string& reportPath)
{
    return displayIndex > 0 && !reportPath.empty() && isRegularFile(reportPath);
}

void grantAmnesty(const std::string& reportPath)
{
    ProfileFile report(reportPath);
    ProfileUpdate update(report);
    for (const char* section : {"Config_changes", "Remote_Access", "Post_Accounts"})
        report.eraseSection(section);
    update.commit();
}

}  // namespace corvinax
