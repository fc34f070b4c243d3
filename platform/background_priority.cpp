#include "platform/background_priority.h"

#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace corvinax {

namespace {

// The I/O priority calls have no glibc wrapper.
constexpr int kIoPrioWhoProcess = 1;
constexpr int kIoPrioClassShift = 13;
constexpr int kIoPrioClassIdle = 3;

int threadId()
{
    return static_cast<int>(::syscall(SYS_gettid));
}

int ioPriority()
{
    return static_cast<int>(::syscall(SYS_ioprio_get, kIoPrioWhoProcess, threadId()));
}

void setIoPriority(int priority)
{
    if (priority >= 0)
        (void)::syscall(SYS_ioprio_set, kIoPrioWhoProcess, threadId(), priority);
}

}  // namespace

LoweredPriority::LoweredPriority()
{
    errno = 0;
    m_savedNice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(threadId()));
    if (errno != 0)
        m_savedNice = 0;
    m_savedIoPriority = ioPriority();
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(threadId()), 19);
    setIoPriority(kIoPrioClassIdle << kIoPrioClassShift);
}

// Raising the priority again may be refused to an unprivileged user (RLIMIT_NICE); the thread then
// stays lowered, which slows nothing but the program itself.
LoweredPriority::~LoweredPriority()
{
    setIoPriority(m_savedIoPriority);
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(threadId()), m_savedNice);
}

}  // namespace corvinax
