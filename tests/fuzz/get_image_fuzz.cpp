// GetImage gives a picture of the change lines' range for any line, the one the rule gives when it
// is read keyword by keyword.

#include "findings/node_images.h"
#include "support/image_rule.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const int image = corvinax::GetImage(line);
    if (image < corvinax::kImageCounter || image > corvinax::kImageAdded ||
        image != corvinax::test::imageOneKeywordAtATime(line))
        std::abort();
    return 0;
}
