#pragma once
// The monotonic clock, the same in every process of a benchmark, and the
// CPU time this process has used.

#include <QtGlobal>

#include <ctime>
#include <sys/resource.h>

inline qint64 nowNs()
{
    timespec t;
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

inline double cpuSeconds()
{
    rusage u;
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
        double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
