#include "app/clock.h"

#include <cstdio>
#include <ctime>

namespace corvinax {

LocalDateTime SystemClock::now() const
{
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                         local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string formatDateTime(const LocalDateTime& moment)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", moment.day, moment.month, moment.year,
                  moment.hour, moment.minute, moment.second);
    return text;
}

}  // namespace corvinax
