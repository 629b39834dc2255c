// PackBits (run-length) unpacking of PSD image data.
#pragma once

#include <cstdint>
#include <span>

namespace orv::psd {

// Outcome of unpacking one PackBits stream.
struct UnpackResult {
    bool ok = false;     // false: a run reaches past the input, or the output passed the limit
    uint64_t total = 0;  // bytes the whole stream unpacks to (when ok)
};

// Unpacks `in` as one PackBits stream: a header byte h below 128 copies the next h + 1
// bytes, above 128 repeats the next byte 257 - h times, and 128 produces nothing. The first
// out.size() bytes of output go to `out`; the rest is only counted. Fails as soon as the
// output would pass `limit` bytes.
UnpackResult UnpackBits(std::span<const uint8_t> in, std::span<uint8_t> out, uint64_t limit);

}  // namespace orv::psd
