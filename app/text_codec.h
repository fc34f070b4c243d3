#pragma once

// The edge between the core's code page 1251 bytes and Qt's Unicode text.

#include <QString>

#include <string>
#include <string_view>

namespace corvinax {

QString fromCp1251(std::string_view bytes);
// Characters that code page 1251 cannot hold become "?".
std::string toCp1251(const QString& text);

}  // namespace corvinax
