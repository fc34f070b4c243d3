// GetImage gives a picture of the change lines' range for any line, the one the rule gives when it
// is read keyword by keyword.

#include "check/node_images.h"

#include <array>
#include <cstdlib>
#include <string_view>

namespace {

int imageOneKeywordAtATime(std::string_view line)
{
    constexpr std::array<std::string_view, 9> keywords{" counter ", "#$#$",    "Remote_",  "Modem", "ATTENTION! ",
                                                       "ADDED in Sharing", " SMART ", "REMOVED ", "ADDED "};
    for (std::size_t i = 0; i < keywords.size(); ++i) {
        const std::size_t found = line.find(keywords[i]);
        if (found != std::string_view::npos && found >= 1)
            return corvinax::kImageCounter + static_cast<int>(i);
    }
    return corvinax::kImageAlarm;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const int image = corvinax::GetImage(line);
    if (image < corvinax::kImageCounter || image > corvinax::kImageAdded || image != imageOneKeywordAtATime(line))
        std::abort();
    return 0;
}
