#pragma once

#include "platform/clock.h"

#include <ctime>

namespace corvinax {

// The local date-time of a moment in universal time.
LocalDateTime toLocal(std::time_t moment);

// 00:00 of the given day minus days, in the local calendar.
LocalDateTime midnightDaysBefore(const LocalDateTime& today, int days);

// Compares two local date-times field by field.
bool isEarlier(const LocalDateTime& a, const LocalDateTime& b);

}  // namespace corvinax
