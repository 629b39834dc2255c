#include "psd_packbits.h"

#include <algorithm>
#include <cstring>

namespace orv::psd {

UnpackResult UnpackBits(std::span<const uint8_t> in, std::span<uint8_t> out, uint64_t limit) {
    const uint8_t* src = in.data();
    const uint8_t* const end = src + in.size();
    uint8_t* dst = out.data();
    const uint64_t room = out.size();
    uint64_t total = 0;

    // Writes the part of a run that still falls into `out`.
    auto room_left = [&](uint64_t n) { return total >= room ? 0 : std::min(n, room - total); };

    while (src != end) {
        const unsigned h = *src++;
        if (h == 128) continue;
        if (h < 128) {
            const uint64_t n = h + 1;
            if (static_cast<uint64_t>(end - src) < n || n > limit - total) return {};
            if (const uint64_t w = room_left(n)) std::memcpy(dst + total, src, w);
            src += n;
            total += n;
        } else {
            const uint64_t n = 257 - h;
            if (src == end || n > limit - total) return {};
            if (const uint64_t w = room_left(n)) std::memset(dst + total, *src, w);
            ++src;
            total += n;
        }
    }
    return {true, total};
}

}  // namespace orv::psd
