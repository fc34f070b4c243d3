#pragma once

// The picture rule of change lines as it reads, keyword by keyword: the reference that GetImage,
// which finds every keyword in one pass, is held to.

#include "findings/node_images.h"

#include <array>
#include <string_view>

namespace corvinax::test {

inline int imageOneKeywordAtATime(std::string_view line)
{
    constexpr std::array<std::string_view, 9> keywords{" counter ", "#$#$",    "Remote_",  "Modem", "ATTENTION! ",
                                                       "ADDED in Sharing", " SMART ", "REMOVED ", "ADDED "};
    for (std::size_t i = 0; i < keywords.size(); ++i) {
        const std::size_t found = line.find(keywords[i]);
        if (found != std::string_view::npos && found >= 1)
            return kImageCounter + static_cast<int>(i);
    }
    return kImageAlarm;
}

}  // namespace corvinax::test
