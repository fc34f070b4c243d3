// GetImage gives a picture of the change lines' range for any line.

#include "check/node_images.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const int image = corvinax::GetImage(std::string_view(reinterpret_cast<const char*>(data), size));
    if (image < corvinax::kImageCounter || image > corvinax::kImageAdded)
        std::abort();
    return 0;
}
