#pragma once

// Between the program's code page 1251 text and the UTF-8 of the system: file names, terminals,
// the window side. Converted with glibc's iconv.

#include <string>
#include <string_view>

namespace corvinax {

// The one byte that code page 1251 leaves unassigned becomes U+FFFD.
std::string cp1251ToUtf8(std::string_view text);
// Characters that code page 1251 cannot hold become "?".
std::string utf8ToCp1251(std::string_view text);

// The path as the file system names it. Every path in the program is code page 1251 text, as the
// settings file holds it; this is the one place where it meets the system's UTF-8 names.
std::string nativePath(std::string_view path);
// A name the file system gave, as program text.
std::string fromNativeName(std::string_view name);
// A name a directory listing gave, as it is shown and stored: program text in which every
// character that code page 1251 lacks and every control character is "?". Only for showing: the
// file itself is always reached by the listed bytes.
std::string displayName(std::string_view native);

}  // namespace corvinax
