// Heap accounting by interposing glibc's allocation entry points: every
// library of the process (Qt included) allocates through these.

#include "AllocationCounter.h"

#include <cerrno>
#include <cstdlib>

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);
}

namespace {
thread_local bool counting = false;
thread_local bool reading = false;
thread_local orv::bench::Tally counted;

void Note(std::size_t bytes) {
    if (!counting) return;
    orv::bench::Allocations& a = reading ? counted.screenRead : counted.other;
    ++a.calls;
    a.bytes += bytes;
}
}  // namespace

extern "C" {
void* malloc(std::size_t n) {
    Note(n);
    return __libc_malloc(n);
}
void* calloc(std::size_t count, std::size_t n) {
    Note(count * n);
    return __libc_calloc(count, n);
}
void* realloc(void* p, std::size_t n) {
    Note(n);
    return __libc_realloc(p, n);
}
void* memalign(std::size_t alignment, std::size_t n) {
    Note(n);
    return __libc_memalign(alignment, n);
}
void* aligned_alloc(std::size_t alignment, std::size_t n) {
    Note(n);
    return __libc_memalign(alignment, n);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t n) {
    Note(n);
    void* p = __libc_memalign(alignment, n);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
void free(void* p) {
    __libc_free(p);
}
}

namespace orv::bench {

void StartCounting() {
    counted = {};
    counting = true;
}

void InScreenRead(bool on) {
    reading = on;
}

Tally StopCounting() {
    counting = false;
    reading = false;
    return counted;
}

}  // namespace orv::bench
