// DecodeSMART on any line, with a dictionary that knows a few attributes.

#include "check/smart_decoder.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string dictionaryPath()
{
    static const std::string path = [] {
        std::string name = "/tmp/corvinax-fuzz-smart-" + std::to_string(::getpid());
        if (FILE* file = std::fopen(name.c_str(), "wb")) {
            std::fputs("[Main]\r\nParamName=ENG\r\n[ENG]\r\nunknown=Unknown\r\n5=Reallocated\r\n194=Temperature\r\n", file);
            std::fclose(file);
        }
        return name;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    static corvinax::SmartDecoder decoder([] { return dictionaryPath(); });
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::string decoded = decoder.DecodeSMART(line);
    if (line != "Free" && decoded.size() > line.size() + 300)
        std::abort();
    return 0;
}
