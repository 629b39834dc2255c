#pragma once
// The largest picture the editor takes from anywhere (files, the clipboard, a capture):
// 16384 × 16384 pixels in all (1 GiB as 32-bit pixels), and no side longer than 32767.

#include <cstdint>

namespace orv {

inline constexpr int64_t kPictureLimitPixels = int64_t{16384} * 16384;
inline constexpr int kPictureLimitSide = 32767;

/// True when a picture of width × height pixels is within the limit.
constexpr bool WithinPictureLimit(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kPictureLimitSide && height <= kPictureLimitSide &&
           width * height <= kPictureLimitPixels;
}

}  // namespace orv
