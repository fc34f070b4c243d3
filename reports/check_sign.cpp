#include "reports/check_sign.h"

#include "profile/profile_document.h"
#include "reports/signature_sums.h"

#include <vector>

namespace corvinax {

std::string CalcSignature(const ProfileDocument& report)
{
    SignatureSums sums;
    // Scratch kept from report to report.
    thread_local std::vector<std::string_view> sections;
    thread_local std::vector<ProfileDocument::NameValue> entries;
    report.sectionNames(NameList::WindowsBuffer, sections);
    for (std::string_view section : sections) {
        if (section.find("Signature") != std::string_view::npos)
            continue;
        report.sectionValues(section, NameList::WindowsBuffer, entries);
        for (const auto& [name, value] : entries)
            sums.add(name, value);
    }
    return sums.text();
}

}  // namespace corvinax
