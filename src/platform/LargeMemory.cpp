#include "platform/LargeMemory.h"

#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace orv {

void FreeLarge::operator()(uint8_t* p) const {
    std::free(p);
}

void ReleaseLarge(void* p) {
    std::free(p);
}

LargeBuffer AllocateLarge(std::size_t n) {
#ifdef __linux__
    // In 2 MB pages filling the buffer takes a few hundred page faults instead of
    // one for every 4 KB.
    constexpr std::size_t kHuge = 2 * 1024 * 1024;
    if (n >= kHuge) {
        const std::size_t rounded = (n + kHuge - 1) / kHuge * kHuge;
        LargeBuffer p(static_cast<uint8_t*>(std::aligned_alloc(kHuge, rounded)));
        if (p) madvise(p.get(), rounded, MADV_HUGEPAGE);  // only a hint; may be ignored
        return p;
    }
#endif
    return LargeBuffer(static_cast<uint8_t*>(std::malloc(n)));
}

}  // namespace orv
