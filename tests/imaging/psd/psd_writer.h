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
    Bytes planes;          // all samples of channel 0, then channel 1, ... as stored when raw
    bool padRows = false;  // packed rows end in a run header that produces nothing (128)
};

inline void PutU32At(Bytes& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// Appends v as `size` bytes, most significant first.
inline void Put(Bytes& b, uint32_t v, int size) {
    for (int i = size - 1; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// PackBits encoding of one row: repeats of 2 or more as runs, the rest as literals that end
// where a repeat begins.
inline Bytes PackRow(const uint8_t* row, std::size_t n) {
    Bytes out;
    for (std::size_t i = 0, run = 1; i < n; i += run, run = 1) {
        while (i + run < n && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 2) {
            out.insert(out.end(), {static_cast<uint8_t>(257 - run), row[i]});
            continue;
        }
        while (i + run < n && run < 128 && row[i + run] != row[i + run - 1]) ++run;
        out.push_back(static_cast<uint8_t>(run - 1));
        out.insert(out.end(), row + i, row + i + run);
    }
    return out;
}

inline Bytes Build(const PsdFile& f) {
    Bytes b = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
    Put(b, f.channels, 2);
    Put(b, static_cast<uint32_t>(f.height), 4);
    Put(b, static_cast<uint32_t>(f.width), 4);
    Put(b, f.depth, 2);
    Put(b, f.mode, 2);
    for (const Bytes* section : {&f.colourData, &f.resources, &f.layers}) {
        Put(b, static_cast<uint32_t>(section->size()), 4);
        b.insert(b.end(), section->begin(), section->end());
    }
    Put(b, f.compression, 2);
    Bytes data = f.planes;  // when packed: the row byte counts go first, then the rows
    if (f.compression == 1) {
        const std::size_t rowBytes = std::max<std::size_t>(
            f.depth == 1 ? (std::size_t(f.width) + 7) / 8 : std::size_t(f.width) * (f.depth / 8),
            1);
        data.clear();
        for (std::size_t r = 0; r < f.planes.size() / rowBytes; ++r) {
            Bytes packed = PackRow(f.planes.data() + r * rowBytes, rowBytes);
            if (f.padRows) packed.push_back(128);
            Put(b, static_cast<uint32_t>(packed.size()), 2);
            data.insert(data.end(), packed.begin(), packed.end());
        }
    }
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
