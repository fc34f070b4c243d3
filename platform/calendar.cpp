#include "platform/calendar.h"

#include <tuple>

namespace corvinax {

namespace {

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar, and back.
long daysFromCivil(long year, long month, long day)
{
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

LocalDateTime civilFromDays(long days)
{
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long monthIndex = (5 * dayOfYear + 2) / 153;
    const long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const long year = yearOfEra + era * 400 + (month <= 2);
    return LocalDateTime{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), 0, 0, 0};
}

}  // namespace

LocalDateTime toLocal(std::time_t moment)
{
    std::tm local{};
    ::localtime_r(&moment, &local);
    return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                         local.tm_hour,        local.tm_min,     local.tm_sec};
}

LocalDateTime midnightDaysBefore(const LocalDateTime& today, int days)
{
    return civilFromDays(daysFromCivil(today.year, today.month, today.day) - days);
}

bool isEarlier(const LocalDateTime& a, const LocalDateTime& b)
{
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second) <
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
}

}  // namespace corvinax
