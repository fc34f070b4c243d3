// A report of any bytes, and everything the check run derives from it; the quick reading of plain
// reports gives what the full parse gives.

#include "reports/report.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    using namespace corvinax;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Report report = Report::parse(bytes);
    const Report full = Report::parseThroughProfile(bytes);
    if (report.changeLines() != full.changeLines() || report.computerInfoLine() != full.computerInfoLine() ||
        report.info().macAddr != full.info().macAddr || report.storedSignature() != full.storedSignature() ||
        report.signature() != full.signature())
        std::abort();
    (void)report.computerLine();
    (void)report.computerInfoLine();
    const std::string key(newestKey(report.changeLines()));
    const std::string prefix = batchPrefix(key);
    for (std::string_view line : batchLines(report.changeLines(), prefix)) {
        if (prefix.empty() || !line.starts_with(prefix))
            std::abort();
    }
    if (report.info().computerName.empty() && size == 0)
        std::abort();
    return 0;
}
