#include "check/node_images.h"

#include <array>

namespace corvinax {

int GetImage(std::string_view line)
{
    static constexpr std::array<std::string_view, 9> kKeywords{
        " counter ", "#$#$", "Remote_", "Modem", "ATTENTION! ", "ADDED in Sharing", " SMART ", "REMOVED ", "ADDED ",
    };
    for (std::size_t i = 0; i < kKeywords.size(); ++i) {
        const std::size_t found = line.find(kKeywords[i]);
        if (found != std::string_view::npos && found >= 1)
            return kImageCounter + static_cast<int>(i);
    }
    return kImageAlarm;
}

}  // namespace corvinax
