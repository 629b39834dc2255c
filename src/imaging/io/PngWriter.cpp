#include "imaging/io/PictureWriters.h"

#include <libdeflate.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace orv::detail {

namespace {

void PutBigEndian(uint8_t* out, uint32_t value) {
    out[0] = uint8_t(value >> 24);
    out[1] = uint8_t(value >> 16);
    out[2] = uint8_t(value >> 8);
    out[3] = uint8_t(value);
}

// Writes one chunk: length, type, data and the CRC of type and data.
bool WriteChunk(QIODevice& device, const char* type, const uint8_t* data, uint32_t length) {
    uint8_t head[8];
    PutBigEndian(head, length);
    std::copy(type, type + 4, head + 4);
    uint32_t crc = libdeflate_crc32(0, head + 4, 4);
    if (length > 0) crc = libdeflate_crc32(crc, data, length);  // a null buffer resets it
    uint8_t tail[4];
    PutBigEndian(tail, crc);
    return device.write(reinterpret_cast<const char*>(head), 8) == 8 &&
           (length == 0 ||
            device.write(reinterpret_cast<const char*>(data), length) == qint64(length)) &&
           device.write(reinterpret_cast<const char*>(tail), 4) == 4;
}

// The scanlines as PNG stores them: each row starts with filter type 2 (UP) and holds R, G, B
// minus the same samples of the row above (zero above the first row).
std::vector<uint8_t> FilteredRows(const QImage& picture) {
    const std::size_t width = std::size_t(picture.width());
    const std::size_t rowBytes = 1 + 3 * width;
    std::vector<uint8_t> rows(rowBytes * std::size_t(picture.height()));
    for (int y = 0; y < picture.height(); ++y) {
        uint8_t* out = rows.data() + rowBytes * std::size_t(y);
        *out++ = 2;
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        if (y == 0) {
            for (std::size_t x = 0; x < width; ++x, out += 3) {
                out[0] = uint8_t(pixels[x] >> 16);
                out[1] = uint8_t(pixels[x] >> 8);
                out[2] = uint8_t(pixels[x]);
            }
            continue;
        }
        const auto* above = reinterpret_cast<const QRgb*>(picture.constScanLine(y - 1));
        for (std::size_t x = 0; x < width; ++x, out += 3) {
            const QRgb p = pixels[x], a = above[x];
            out[0] = uint8_t((p >> 16) - (a >> 16));
            out[1] = uint8_t((p >> 8) - (a >> 8));
            out[2] = uint8_t(p - a);
        }
    }
    return rows;
}

struct CompressorDeleter {
    void operator()(libdeflate_compressor* compressor) const {
        libdeflate_free_compressor(compressor);
    }
};

}  // namespace

bool WritePng(const QImage& picture, QIODevice& device, int level) {
    if (picture.isNull() || picture.format() != QImage::Format_RGB32) return false;
    const std::vector<uint8_t> rows = FilteredRows(picture);
    std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(level));
    if (!compressor) return false;
    std::vector<uint8_t> packed(libdeflate_zlib_compress_bound(compressor.get(), rows.size()));
    const std::size_t packedSize = libdeflate_zlib_compress(
        compressor.get(), rows.data(), rows.size(), packed.data(), packed.size());
    if (packedSize == 0) return false;

    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    uint8_t header[13];
    PutBigEndian(header, uint32_t(picture.width()));
    PutBigEndian(header + 4, uint32_t(picture.height()));
    header[8] = 8;                             // bits per sample
    header[9] = 2;                             // colour type: RGB
    header[10] = header[11] = header[12] = 0;  // deflate, adaptive filtering, no interlace
    if (device.write(kSignature, 8) != 8 || !WriteChunk(device, "IHDR", header, 13)) {
        return false;
    }
    // One IDAT, split only if it would overflow a chunk's 31-bit length.
    constexpr std::size_t kMaxChunk = 0x7fffffff;
    for (std::size_t at = 0; at < packedSize; at += kMaxChunk) {
        const std::size_t length = std::min(kMaxChunk, packedSize - at);
        if (!WriteChunk(device, "IDAT", packed.data() + at, uint32_t(length))) return false;
    }
    return WriteChunk(device, "IEND", nullptr, 0);
}

}  // namespace orv::detail
