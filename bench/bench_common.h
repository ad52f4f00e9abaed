// What the engine benchmarks share: the clocks they read and their command line.
#pragma once

#include <chrono>
#include <iostream>
#include <string>

#include <sys/resource.h>

namespace bench
{

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Processor time of this process (user and system), in milliseconds: on a shared machine
// it says what the work costs when the waits for the other programs are left out.
inline double cpuMs()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

// Reads "--records N" and "--dir D" into the given defaults; false (after the usage line
// on standard error) for anything else.
inline bool readArguments(int argc, char **argv, const char *program, int &records,
                          std::string &dir)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--records" && i + 1 < argc) {
            records = std::stoi(argv[++i]);
        } else if (a == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else {
            std::cerr << "usage: " << program << " [--records N] [--dir D]\n";
            return false;
        }
    }
    return true;
}

} // namespace bench
