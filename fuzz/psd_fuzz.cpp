// libFuzzer target over the PSD decoder: any bytes must either decode or be refused,
// without reading or writing outside a buffer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "psd_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    orv::psd::Decoder decoder;
    std::vector<uint8_t> pixels;
    const std::span<const uint8_t> file(data, size);
    if (decoder.Decode(file, pixels) &&
        pixels.size() != static_cast<std::size_t>(decoder.SizeImage()))
        __builtin_trap();
    // A second load on the same reader exercises what carries over between loads.
    decoder.Decode(file.subspan(size / 2), pixels);
    return 0;
}
