#pragma once

namespace corvinax {

// Lowers the calling thread to the lowest CPU and I/O priority for its lifetime, and gives back
// what it had afterwards, so that a background check leaves the machine to its user.
class LoweredPriority {
public:
    LoweredPriority();
    ~LoweredPriority();
    LoweredPriority(const LoweredPriority&) = delete;
    LoweredPriority& operator=(const LoweredPriority&) = delete;

private:
    int m_savedNice;
    int m_savedIoPriority;
};

}  // namespace corvinax
