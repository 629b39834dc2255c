#include "psd_convert.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "psd_decoder.h"

namespace orv::psd {
namespace {

constexpr uint8_t kFourthByte = 255;  // keeps the picture opaque; it plays no part in drawing

// Runs `pixel(i, out)` for every pixel index i, with the sample stride fixed at compile time.
template <unsigned Stride, class PixelFn>
void ForEachPixel(const PlaneSet& planes, uint8_t* out, PixelFn pixel) {
    const std::size_t count = planes.width * planes.height;
    for (std::size_t i = 0; i < count; ++i, out += 4) pixel(i * Stride, out);
}

template <class PixelFn>
void Run(const PlaneSet& planes, uint8_t* out, PixelFn pixel) {
    if (planes.bytesPerSample == 2)
        ForEachPixel<2>(planes, out, pixel);
    else
        ForEachPixel<1>(planes, out, pixel);
}

inline void Put(uint8_t* out, uint8_t r, uint8_t g, uint8_t b) {
    if constexpr (std::endian::native == std::endian::little) {
        // One 32-bit store, which the compiler turns into wide vector code.
        const uint32_t v = uint32_t{kFourthByte} << 24 | uint32_t{r} << 16 | uint32_t{g} << 8 | b;
        std::memcpy(out, &v, 4);
    } else {
        out[0] = b;
        out[1] = g;
        out[2] = r;
        out[3] = kFourthByte;
    }
}

// The gamma step of the Lab conversion, scaled to a byte with halves rounded to even.
uint8_t LabChannel(double v) {
    v = v > 0.00304 ? 1.055 * std::pow(v, 0.41667) - 0.055 : 12.92 * v;
    const double scaled = std::clamp(v * 255.0, -1.0, 256.0);
    return ksCheckBounds(static_cast<int32_t>(std::nearbyint(scaled)));
}

}  // namespace

void ConvertGrayscale(const PlaneSet& planes, uint8_t* out) {
    const uint8_t* p0 = planes.data;
    Run(planes, out, [=](std::size_t s, uint8_t* o) { Put(o, p0[s], p0[s], p0[s]); });
}

void ConvertIndexed(const PlaneSet& planes, const Palette& palette, uint8_t* out) {
    const uint8_t* p0 = planes.data;
    Run(planes, out, [&](std::size_t s, uint8_t* o) {
        const auto& e = palette[p0[s]];
        Put(o, e[0], e[1], e[2]);
    });
}

void ConvertRgb(const PlaneSet& planes, uint8_t* out) {
    const uint8_t* p0 = planes.data;
    const uint8_t* p1 = p0 + planes.planeSize;
    const uint8_t* p2 = p1 + planes.planeSize;
    Run(planes, out, [=](std::size_t s, uint8_t* o) { Put(o, p0[s], p1[s], p2[s]); });
}

void ConvertCmyk(const PlaneSet& planes, uint8_t* out) {
    const uint8_t* p0 = planes.data;
    const uint8_t* p1 = p0 + planes.planeSize;
    const uint8_t* p2 = p1 + planes.planeSize;
    const uint8_t* p3 = p2 + planes.planeSize;
    Run(planes, out, [=](std::size_t s, uint8_t* o) {
        const int32_t k = p3[s] - 255;
        Put(o, ksCheckBounds(p0[s] + k), ksCheckBounds(p1[s] + k), ksCheckBounds(p2[s] + k));
    });
}

std::array<uint8_t, 3> LabToRgb(uint8_t l, uint8_t a, uint8_t b) {
    const double lightness = l / 2.55;
    const double fy = (lightness + 16.0) / 116.0;
    const double fx = (a - 128) / 500.0 + fy;
    const double fz = fy - (b - 128) / 200.0;
    const double x = fx * fx * fx;
    const double y = fy * fy * fy;
    const double z = fz * fz * fz;
    const double r = 3.079978 * x - 1.53715 * y - 0.542555 * z;
    const double g = -0.921248 * x + 1.875992 * y + 0.045225 * z;
    const double bl = 0.052891 * x - 0.204043 * y + 1.150671 * z;
    return {LabChannel(r), LabChannel(g), LabChannel(bl)};
}

void ConvertLab(const PlaneSet& planes, uint8_t* out) {
    const uint8_t* p0 = planes.data;
    const uint8_t* p1 = p0 + planes.planeSize;
    const uint8_t* p2 = p1 + planes.planeSize;
    Run(planes, out, [=](std::size_t s, uint8_t* o) {
        const auto rgb = LabToRgb(p0[s], p1[s], p2[s]);
        Put(o, rgb[0], rgb[1], rgb[2]);
    });
}

void ConvertBitmap(const PlaneSet& planes, uint8_t* out) {
    // One bit per pixel, rows padded to whole bytes; a set bit is black ink.
    const std::size_t rowBytes = (planes.width + 7) / 8;
    for (std::size_t y = 0; y < planes.height; ++y) {
        const uint8_t* row = planes.data + y * rowBytes;
        for (std::size_t x = 0; x < planes.width; ++x, out += 4) {
            const uint8_t v = (row[x >> 3] >> (7 - (x & 7))) & 1 ? 0 : 255;
            Put(out, v, v, v);
        }
    }
}

}  // namespace orv::psd
