#include "platform/native_text.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace corvinax {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : m_handle(::iconv_open(to, from))
    {
        if (m_handle == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { ::iconv_close(m_handle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // An input character that cannot be converted is replaced and skipped.
    std::string convert(std::string_view input, std::string_view replacement, bool inputIsUtf8)
    {
        ::iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        std::string output;
        output.reserve(input.size() * 2);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = ::iconv(m_handle, &in, &inLeft, &out, &outLeft);
            output.append(buffer, sizeof buffer - outLeft);
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                output += replacement;
                const std::size_t skip = inputIsUtf8 ? validSequenceLength(in, inLeft) : 1;
                in += skip;
                inLeft -= skip;
            }
        }
        return output;
    }

private:
    // The whole character that could not be converted, or its first byte alone when the bytes are
    // no UTF-8 at all (a name in another code page), so that nothing after it is lost.
    static std::size_t validSequenceLength(const char* in, std::size_t left)
    {
        const auto lead = static_cast<unsigned char>(*in);
        const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4                                 ? 4
                                                                                                  : 1;
        if (length > left)
            return 1;
        for (std::size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(in[i]) & 0xC0) != 0x80)
                return 1;
        }
        return length;
    }

    iconv_t m_handle;
};

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string cp1251ToUtf8(std::string_view text)
{
    if (isAscii(text))
        return std::string(text);
    thread_local Converter converter("UTF-8", "CP1251");
    return converter.convert(text, "\xEF\xBF\xBD", false);
}

std::string utf8ToCp1251(std::string_view text)
{
    if (isAscii(text))
        return std::string(text);
    thread_local Converter converter("CP1251", "UTF-8");
    return converter.convert(text, "?", true);
}

std::string nativePath(std::string_view path)
{
    return cp1251ToUtf8(path);
}

std::string fromNativeName(std::string_view name)
{
    return utf8ToCp1251(name);
}

std::string displayName(std::string_view native)
{
    std::string shown = utf8ToCp1251(native);
    std::replace_if(shown.begin(), shown.end(), [](char c) { return static_cast<unsigned char>(c) < 32; }, '?');
    return shown;
}

}  // namespace corvinax
