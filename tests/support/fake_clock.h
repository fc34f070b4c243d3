#pragma once

#include "platform/clock.h"

namespace corvinax::test {

// A clock that shows what the test sets.
class FakeClock final : public Clock {
public:
    explicit FakeClock(LocalDateTime moment = {2026, 12, 7, 9, 0, 5}) : m_moment(moment) {}
    LocalDateTime now() const override { return m_moment; }
    void set(LocalDateTime moment) { m_moment = moment; }

private:
    LocalDateTime m_moment;
};

}  // namespace corvinax::test
