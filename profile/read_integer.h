#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace corvinax {

// Parses a profile value as a signed 32-bit integer: optional blanks, then either an optional sign
// with decimal digits in range, or "$" (or "0x"/"0X") with one to eight hexadecimal digits taken as
// a 32-bit pattern ($FFFFFFFF is -1). Anything else does not parse.
std::optional<std::int32_t> parseProfileInteger(std::string_view text);

}  // namespace corvinax
