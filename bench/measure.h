#pragma once

// Time and memory of a piece of work, measured in a child process of its own.

#include <functional>

namespace corvinax::bench {

struct Measure {
    double seconds = 0;
    double userSeconds = 0;    // in the program itself
    double systemSeconds = 0;  // in the kernel on its behalf: opening, reading, listing
    long peakKiB = 0;          // the largest resident set of the process and of the processes it waited for
    int status = 0;
};

// Runs work in a child process, so that its time and peak memory are its own.
Measure inChild(const std::function<int()>& work);

// The best of that many runs: the machine's noise only ever adds time.
Measure best(const std::function<Measure()>& measure, int runs = 5);

}  // namespace corvinax::bench
