#include "app/text_codec.h"

#include "platform/native_text.h"

namespace corvinax {

QString fromCp1251(std::string_view bytes)
{
    const std::string utf8 = cp1251ToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toCp1251(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return utf8ToCp1251(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

}  // namespace corvinax
