// Conversions from PSD channel planes to 32-bit pixels (blue, green, red, 255).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orv::psd {

// Channel planes as stored in the image data: plane p starts at data + p * planeSize.
// Each sample is bytesPerSample bytes wide, most significant byte first; for 1-bit
// bitmap planes each row holds (width + 7) / 8 bytes.
struct PlaneSet {
    const uint8_t* data = nullptr;
    std::size_t planeSize = 0;
    unsigned bytesPerSample = 1;
    std::size_t width = 0;
    std::size_t height = 0;
};

using Palette = std::array<std::array<uint8_t, 3>, 256>;

// Each writes width * height * 4 bytes to `out`, top row first.
void ConvertGrayscale(const PlaneSet& planes, uint8_t* out);
void ConvertIndexed(const PlaneSet& planes, const Palette& palette, uint8_t* out);
void ConvertRgb(const PlaneSet& planes, uint8_t* out);
void ConvertCmyk(const PlaneSet& planes, uint8_t* out);
void ConvertLab(const PlaneSet& planes, uint8_t* out);
void ConvertBitmap(const PlaneSet& planes, uint8_t* out);

// One Lab pixel (stored L, a, b bytes) as red, green, blue.
std::array<uint8_t, 3> LabToRgb(uint8_t l, uint8_t a, uint8_t b);

}  // namespace orv::psd
