#include "platform/clock.h"

#include "platform/calendar.h"

#include <cstdio>
#include <ctime>

namespace corvinax {

LocalDateTime SystemClock::now() const
{
    return toLocal(std::time(nullptr));
}

std::string formatDateTime(const LocalDateTime& moment)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", moment.day, moment.month, moment.year,
                  moment.hour, moment.minute, moment.second);
    return text;
}

}  // namespace corvinax
