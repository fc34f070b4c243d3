#include "measure.h"

#include <chrono>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvinax::bench {

namespace {

double secondsOf(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

}  // namespace

Measure inChild(const std::function<int()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0)
        std::_Exit(work());
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            secondsOf(usage.ru_utime), secondsOf(usage.ru_stime), usage.ru_maxrss,
            WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

Measure best(const std::function<Measure()>& measure, int runs)
{
    Measure result = measure();
    for (int i = 1; i < runs; ++i) {
        const Measure again = measure();
        if (again.seconds < result.seconds)
            result = again;
    }
    return result;
}

}  // namespace corvinax::bench
