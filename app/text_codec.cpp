#include "app/text_codec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace corvinax {

namespace {

// The length of the UTF-8 sequence that begins with lead.
std::size_t utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    return lead >= 0xC0 ? 2 : 1;
}

// One conversion through glibc's iconv; an input character that cannot be converted is replaced
// by replacement and skipped.
std::string convert(const char* to, const char* from, std::string_view input, std::string_view replacement,
                    bool inputIsUtf8)
{
    iconv_t converter = ::iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv cannot convert between code page 1251 and UTF-8");
    std::string output;
    output.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = ::iconv(converter, &in, &inLeft, &out, &outLeft);
        output.append(buffer, sizeof buffer - outLeft);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            output += replacement;
            const std::size_t unit = inputIsUtf8 ? utf8SequenceLength(static_cast<unsigned char>(*in)) : 1;
            const std::size_t skip = std::min(unit, inLeft);
            in += skip;
            inLeft -= skip;
        }
    }
    ::iconv_close(converter);
    return output;
}

}  // namespace

QString fromCp1251(std::string_view bytes)
{
    // 0x98 is the one unassigned byte of the code page; it shows as the replacement character.
    const std::string utf8 = convert("UTF-8", "CP1251", bytes, "\xEF\xBF\xBD", false);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toCp1251(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return convert("CP1251", "UTF-8", std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), "?",
                   true);
}

}  // namespace corvinax
