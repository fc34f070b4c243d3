#pragma once

#include <string>

namespace corvinax {

// A moment of local time, as the person's clock shows it.
struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Where the program takes the time from; tests and unattended runs supply their own.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
};

// The one date-time text of the program: dd.MM.yyyy hh:mm:ss, for example 07.12.2026 09:00:05.
std::string formatDateTime(const LocalDateTime& moment);

}  // namespace corvinax
