// A report of any bytes, and everything the check run derives from it.

#include "reports/report.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    using namespace corvinax;
    const Report report = Report::parse(std::string(reinterpret_cast<const char*>(data), size));
    (void)report.computerLine();
    (void)report.computerInfoLine();
    const std::string key = newestKey(report.changeLines());
    const std::string prefix = batchPrefix(key);
    for (std::string_view line : batchLines(report.changeLines(), prefix)) {
        if (prefix.empty() || !line.starts_with(prefix))
            std::abort();
    }
    if (report.info().computerName.empty() && size == 0)
        std::abort();
    return 0;
}
