#pragma once

// Runs a call with the process's file-size limit lowered (and SIGXFSZ ignored), so that writes
// past the limit fail part way as on a full disk; the limit and the signal are put back after.
#include <sys/resource.h>

#include <csignal>

template <class F> auto ZnWithFileSizeLimit(rlim_t bytes, F call)
{
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = bytes;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    struct Restore {
        rlimit limit;
        void (*handler)(int);
        ~Restore()
        {
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, handler);
        }
    } restore{saved, previous};
    return call();
}
