#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvinax {

// How many names a name list may hold.
enum class NameList {
    // Every name. What this program itself reads.
    Complete,
    // What the Windows profile service returns through an 8192-character buffer: names beyond it
    // are missing and the last one is cut. Agents compute report signatures through this limit.
    WindowsBuffer,
};

inline constexpr std::size_t kWindowsNameBufferSize = 8192;

// The names a caller parsing a buffer of bufferSize characters sees: each name takes its length
// plus a terminating zero, one final zero closes the list, the name that does not fit is cut, and
// an empty name ends the list as the final zero would. Views into names.
void fitNameBuffer(const std::vector<std::string_view>& names, std::size_t bufferSize,
                   std::vector<std::string_view>& fitted);

}  // namespace corvinax
