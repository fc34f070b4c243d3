// The export's date filter and its ordering on any entries.

#include "output/warehouse_export.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    using namespace corvinax;
    const std::string entry(reinterpret_cast<const char*>(data), size);
    (void)passesDateFilter(entry, "2026.08.29", "26.08.29");
    const std::string a = entry.substr(0, size / 2);
    const std::string b = entry.substr(size / 2);
    if (collatesBefore(a, b) && collatesBefore(b, a))
        std::abort();
    if (collatesBefore(a, a))
        std::abort();
    return 0;
}
