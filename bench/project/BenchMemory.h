// Memory figures of the benchmark process itself.
#pragma once

#include <cstdint>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace vorlin::bench {

inline int64_t CurrentRssBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<int64_t>(resident) * sysconf(_SC_PAGESIZE);
}

inline int64_t PeakRssBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<int64_t>(usage.ru_maxrss) * 1024;
}

} // namespace vorlin::bench
