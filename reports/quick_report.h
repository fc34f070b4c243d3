#pragma once

// A report read in one pass over its bytes, without the full parse of the file, for what the check
// run needs of it. Only a plain report is read this way: one that repeats no section name and no key
// of a section, has no empty name, and whose names fit the Windows name lists whole. Any other is
// left to the full reading, which gives the same results for a plain one.

#include "profile/profile_document.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvinax {

// The [Info] keys a report is shown with, in the order of QuickReport::info.
inline constexpr std::array<std::string_view, 7> kInfoKeys = {"Computer_Name", "Record_Date", "Param_1", "Param_2",
                                                              "Param_3",       "Param_4",     "MAC_Addr"};

struct QuickReport {
    // Views into the bytes read, as the profile reads give them.
    std::array<std::optional<std::string_view>, kInfoKeys.size()> info;
    std::vector<ProfileDocument::NameValue> changes;  // [Config_changes], complete
    std::optional<std::string_view> storedSignature;  // [Signature] "0"
    std::string signature;                            // CalcSignature of the report
};

// False when the report is not plain; `report` then holds nothing of use.
bool readQuickly(std::string_view bytes, QuickReport& report);

}  // namespace corvinax
