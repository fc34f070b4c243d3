// The signature of any bytes has its fixed shape.

#include "profile/profile_document.h"
#include "reports/check_sign.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    using namespace corvinax;
    const std::string signature = CalcSignature(ProfileDocument::parse(std::string(reinterpret_cast<const char*>(data), size)));
    if (signature.size() != 39)
        std::abort();
    for (std::size_t i = 0; i < signature.size(); ++i) {
        const char c = signature[i];
        const bool dash = i % 5 == 4;
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')))
            std::abort();
    }
    return 0;
}
