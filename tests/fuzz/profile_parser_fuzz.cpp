// The profile parser on any bytes: reads never fail, the file comes back byte for byte, and a
// write changes what it must.

#include "profile/profile_document.h"

#include <algorithm>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    using namespace corvinax;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ProfileDocument document = ProfileDocument::parse(bytes);
    if (document.serialize() != bytes)
        std::abort();
    for (NameList form : {NameList::Complete, NameList::WindowsBuffer}) {
        for (const std::string& section : document.sectionNames(form)) {
            for (const std::string& key : document.keyNames(section, form)) {
                if (const auto value = document.value(section, key); value && value->size() > ProfileDocument::kMaxValueLength)
                    std::abort();
            }
            std::vector<std::string> values;
            document.appendSectionValues(section, values, form);
        }
    }
    const std::string key = bytes.substr(0, std::min<std::size_t>(bytes.find_first_of("=\r\n"), 64));
    if (ProfileDocument::storableKey(key)) {
        document.setValue("Fuzz", key, "value");
        if (ProfileDocument::parse(document.serialize()).value("Fuzz", key) != std::string("value"))
            std::abort();
        document.deleteKey("Fuzz", key);
        document.eraseSection("Fuzz");
    }
    return 0;
}
