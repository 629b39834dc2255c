#include "imaging/io/PictureWriters.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
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

// Rows [from, to) of the picture as PNG stores them, into `out` (1 + 3 * width bytes a row): each
// row starts with filter type 2 (UP) and holds R, G, B minus the same samples of the row above
// (zero above the first row).
void FilterRows(const QImage& picture, int from, int to, uint8_t* out) {
    const std::size_t width = std::size_t(picture.width());
    for (int y = from; y < to; ++y) {
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
}

std::vector<uint8_t> FilteredRows(const QImage& picture) {
    std::vector<uint8_t> rows((1 + 3 * std::size_t(picture.width())) *
                              std::size_t(picture.height()));
    FilterRows(picture, 0, picture.height(), rows.data());
    return rows;
}

struct CompressorDeleter {
    void operator()(libdeflate_compressor* compressor) const {
        libdeflate_free_compressor(compressor);
    }
};

// Up to this many bytes of filtered rows are compressed in one piece with libdeflate (faster,
// and smaller); a larger picture is filtered and compressed a band of rows at a time with zlib,
// so that the encoder holds no second copy of it.
constexpr std::size_t kWholeRowsLimit = std::size_t{32} << 20;
// zlib's level for streamed data: the last of its fast levels, about twice as fast as its
// level 6 for files a few per cent larger (libdeflate's level 6 is both faster and smaller).
constexpr int kStreamedLevel = 3;

bool WriteSignatureAndHeader(const QImage& picture, QIODevice& device) {
    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    uint8_t header[13];
    PutBigEndian(header, uint32_t(picture.width()));
    PutBigEndian(header + 4, uint32_t(picture.height()));
    header[8] = 8;                             // bits per sample
    header[9] = 2;                             // colour type: RGB
    header[10] = header[11] = header[12] = 0;  // deflate, adaptive filtering, no interlace
    return device.write(kSignature, 8) == 8 && WriteChunk(device, "IHDR", header, 13);
}

// The image data as one zlib stream compressed with libdeflate in one piece, in one IDAT (split
// only if it would overflow a chunk's 31-bit length).
bool WriteWholeData(const QImage& picture, QIODevice& device, int level) {
    const std::vector<uint8_t> rows = FilteredRows(picture);
    std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(level));
    if (!compressor) return false;
    std::vector<uint8_t> packed(libdeflate_zlib_compress_bound(compressor.get(), rows.size()));
    const std::size_t packedSize = libdeflate_zlib_compress(
        compressor.get(), rows.data(), rows.size(), packed.data(), packed.size());
    if (packedSize == 0) return false;
    constexpr std::size_t kMaxChunk = 0x7fffffff;
    for (std::size_t at = 0; at < packedSize; at += kMaxChunk) {
        const std::size_t length = std::min(kMaxChunk, packedSize - at);
        if (!WriteChunk(device, "IDAT", packed.data() + at, uint32_t(length))) return false;
    }
    return true;
}

// The image data as one zlib stream fed a band of filtered rows at a time, written as an IDAT
// each time its output buffer fills.
bool WriteStreamedData(const QImage& picture, QIODevice& device) {
    const std::size_t rowBytes = 1 + 3 * std::size_t(picture.width());
    const int bandRows = int(std::max<std::size_t>(1, (std::size_t{4} << 20) / rowBytes));
    std::vector<uint8_t> band(rowBytes * std::size_t(bandRows));
    std::vector<uint8_t> packed(std::size_t{1} << 20);
    z_stream z{};
    if (deflateInit(&z, kStreamedLevel) != Z_OK) return false;
    const auto drain = [&](int flush) {
        do {
            z.next_out = packed.data();
            z.avail_out = uInt(packed.size());
            const int status = deflate(&z, flush);
            if (status == Z_STREAM_ERROR) return false;
            const std::size_t length = packed.size() - z.avail_out;
            if (length > 0 && !WriteChunk(device, "IDAT", packed.data(), uint32_t(length)))
                return false;
            if (status == Z_STREAM_END) return true;
        } while (z.avail_out == 0 || z.avail_in > 0);
        return flush != Z_FINISH;
    };
    bool ok = true;
    for (int y = 0; ok && y < picture.height(); y += bandRows) {
        const int to = std::min(picture.height(), y + bandRows);
        FilterRows(picture, y, to, band.data());
        z.next_in = band.data();
        z.avail_in = uInt(rowBytes * std::size_t(to - y));
        ok = drain(Z_NO_FLUSH);
    }
    ok = ok && drain(Z_FINISH);
    deflateEnd(&z);
    return ok;
}

}  // namespace

bool WritePng(const QImage& picture, QIODevice& device, int level) {
    if (picture.isNull() || picture.format() != QImage::Format_RGB32) return false;
    const std::size_t rowsSize =
        (1 + 3 * std::size_t(picture.width())) * std::size_t(picture.height());
    if (!WriteSignatureAndHeader(picture, device)) return false;
    const bool data = rowsSize <= kWholeRowsLimit ? WriteWholeData(picture, device, level)
                                                  : WriteStreamedData(picture, device);
    return data && WriteChunk(device, "IEND", nullptr, 0);
}

}  // namespace orv::detail
