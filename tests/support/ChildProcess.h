#pragma once
// Runs a piece of a test in a child process, so that one that hangs or eats memory is seen
// as such instead of taking the test run with it: the parent waits a generous while for the
// child to end, and kills it if it has not.
#include <functional>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace orv::test {

/// Whether a child's peak memory says anything about the code under test. The address
/// sanitizer keeps freed blocks aside (its quarantine, 256 MB) and adds its own bookkeeping, so
/// its builds check what the children do, and the normal build checks how much memory they use.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kPeakMemoryIsMeaningful = false;
#else
inline constexpr bool kPeakMemoryIsMeaningful = true;
#endif

/// How a child ended.
struct ChildEnd {
    bool ended = false;  ///< it ended by itself within the wait
    int status = -1;     ///< its exit status, when it exited
    long peakKb = 0;     ///< its peak resident memory
};

/// Runs `body` in a child; the child's exit status is what body returns. `memoryMb` (when not
/// zero) caps the child's address space, so that unbounded growth fails instead of swapping.
inline ChildEnd RunInChild(const std::function<int()>& body, int waitSeconds = 30,
                           long memoryMb = 0) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (memoryMb > 0) {
            const rlimit cap{rlim_t(memoryMb) << 20, rlim_t(memoryMb) << 20};
            ::setrlimit(RLIMIT_AS, &cap);
        }
        ::_exit(body());
    }
    ChildEnd end;
    if (child < 0) return end;
    int status = 0;
    for (int i = 0; i < waitSeconds * 100; ++i) {
        rusage usage{};
        const pid_t done = ::wait4(child, &status, WNOHANG, &usage);
        if (done == child) {
            end.ended = true;
            end.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            end.peakKb = usage.ru_maxrss;
            return end;
        }
        const timespec tick{0, 10'000'000};
        ::nanosleep(&tick, nullptr);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return end;
}

}  // namespace orv::test
