// A small PSD writer for the tests: files from channel planes, raw or PackBits compressed,
// with optional colour mode data, image resources and layer section.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace orv::psdtest {

using Bytes = std::vector<uint8_t>;

// Colour mode numbers of the format.
enum Mode : uint16_t { kBitmap, kGray, kIndexed, kRgb, kCmyk, kMultichannel = 7, kDuotone, kLab };

// Offsets of header fields in a written file.
constexpr std::size_t kHeightAt = 14, kWidthAt = 18, kColourLengthAt = 26;

struct PsdFile {
    uint16_t channels = 3;
    int32_t width = 1, height = 1;
    uint16_t depth = 8, mode = kRgb, compression = 0;
    Bytes colourData, resources, layers;  // the sections before the image data
    Bytes planes;  // all samples of channel 0, then channel 1, ... as stored when raw
};

inline void PutU32At(Bytes& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

inline void PutU16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}

inline void PutU32(Bytes& b, uint32_t v) {
    b.resize(b.size() + 4);
    PutU32At(b, b.size() - 4, v);
}

// PackBits encoding of one row: repeats of 2 or more as runs, the rest as literals.
inline Bytes PackRow(const uint8_t* row, std::size_t n) {
    Bytes out;
    for (std::size_t i = 0; i < n;) {
        std::size_t run = 1;
        while (i + run < n && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 2) {
            out.insert(out.end(), {static_cast<uint8_t>(257 - run), row[i]});
            i += run;
            continue;
        }
        std::size_t lit = 1;
        while (i + lit < n && lit < 128 && !(i + lit + 1 < n && row[i + lit] == row[i + lit + 1]))
            ++lit;
        out.push_back(static_cast<uint8_t>(lit - 1));
        out.insert(out.end(), row + i, row + i + lit);
        i += lit;
    }
    return out;
}

inline Bytes Build(const PsdFile& f) {
    Bytes b = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
    PutU16(b, f.channels);
    PutU32(b, static_cast<uint32_t>(f.height));
    PutU32(b, static_cast<uint32_t>(f.width));
    PutU16(b, f.depth);
    PutU16(b, f.mode);
    for (const Bytes* section : {&f.colourData, &f.resources, &f.layers}) {
        PutU32(b, static_cast<uint32_t>(section->size()));
        b.insert(b.end(), section->begin(), section->end());
    }
    PutU16(b, f.compression);
    if (f.compression != 1) {
        b.insert(b.end(), f.planes.begin(), f.planes.end());
        return b;
    }
    const std::size_t rowBytes = std::max<std::size_t>(
        f.depth == 1 ? (std::size_t(f.width) + 7) / 8 : std::size_t(f.width) * (f.depth / 8), 1);
    Bytes counts, data;
    for (std::size_t r = 0; r < f.planes.size() / rowBytes; ++r) {
        const Bytes packed = PackRow(f.planes.data() + r * rowBytes, rowBytes);
        PutU16(counts, static_cast<uint32_t>(packed.size()));
        data.insert(data.end(), packed.begin(), packed.end());
    }
    b.insert(b.end(), counts.begin(), counts.end());
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// An 8-bit file of the given mode whose planes are the given sample lists, one per channel.
inline PsdFile Planes8(uint16_t mode, int32_t w, int32_t h, const std::vector<Bytes>& channels) {
    PsdFile f;
    f.mode = mode;
    f.width = w;
    f.height = h;
    f.channels = static_cast<uint16_t>(channels.size());
    for (const Bytes& c : channels) f.planes.insert(f.planes.end(), c.begin(), c.end());
    return f;
}

}  // namespace orv::psdtest
