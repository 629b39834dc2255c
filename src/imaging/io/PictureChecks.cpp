#include "imaging/io/PictureChecks.h"

#include "imaging/io/PictureLoader.h"
#include "platform/PathBytes.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace orv {

namespace {

const QString kEndsEarly = QStringLiteral("the file ends early or is damaged");
const QString kTooLarge = QStringLiteral("the picture is larger than 16384 x 16384 pixels");
const QString kNotValid = QStringLiteral("the file is not a valid picture");

uint32_t Be32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
uint16_t Be16(const unsigned char* p) {
    return uint16_t(p[0] << 8 | p[1]);
}
uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}
uint16_t Le16(const unsigned char* p) {
    return uint16_t(p[1] << 8 | p[0]);
}

PictureCheck SizeCheck(qint64 width, qint64 height) {
    if (width <= 0 || height <= 0) return PictureCheck::Fail(kNotValid);
    if (!IsAcceptablePictureSize(width, height)) return PictureCheck::Fail(kTooLarge);
    return PictureCheck::Pass();
}

}  // namespace

bool IsRegularPictureFile(const QString& path) {
    // stat(), which never blocks on a FIFO the way open() does.
    return FactsOfPath(path).regular;
}

PictureCheck CheckPngData(const unsigned char* data, std::size_t size) {
    std::size_t at = 8;  // after the signature
    uint64_t width = 0, height = 0, bitsPerPixel = 0, idat = 0;
    bool header = false;
    while (at < size) {
        if (size - at < 12) return PictureCheck::Fail(kEndsEarly);
        const uint32_t length = Be32(data + at);
        const unsigned char* type = data + at + 4;
        if (length > size - at - 12) return PictureCheck::Fail(kEndsEarly);
        const unsigned char* body = data + at + 8;
        if (!header) {
            if (std::memcmp(type, "IHDR", 4) != 0 || length < 13)
                return PictureCheck::Fail(kNotValid);
            width = Be32(body);
            height = Be32(body + 4);
            const PictureCheck sized = SizeCheck(qint64(width), qint64(height));
            if (!sized.ok) return sized;
            const unsigned depth = body[8], colourType = body[9];
            const unsigned samples = colourType == 2   ? 3
                                     : colourType == 4 ? 2
                                     : colourType == 6 ? 4
                                                       : 1;
            bitsPerPixel = uint64_t(depth) * samples;
            header = true;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            idat += length;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        at += std::size_t(length) + 12;
    }
    if (!header) return PictureCheck::Fail(kNotValid);
    // Deflate turns a byte into at most about 1032; allow a little more for the zlib framing.
    const uint64_t rawBytes = width * height * bitsPerPixel / 8;
    if (idat * 1040 + 1024 < rawBytes) return PictureCheck::Fail(kEndsEarly);
    return PictureCheck::Pass();
}

PictureCheck CheckJpegData(const unsigned char* data, std::size_t size) {
    if (size < 4 || data[0] != 0xff || data[1] != 0xd8) return PictureCheck::Fail(kNotValid);
    std::size_t at = 2;
    uint64_t blocks = 0, entropyBytes = 0;
    bool frame = false, arithmetic = false;
    while (true) {
        // Stray bytes before a marker are skipped, as the decoder does; fill bytes too.
        while (at < size && data[at] != 0xff) ++at;
        while (at < size && data[at] == 0xff) ++at;
        if (at >= size) return PictureCheck::Fail(kEndsEarly);
        const unsigned marker = data[at++];
        if (marker == 0xd9) break;                                           // end of image
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) continue;  // no length
        if (size - at < 2) return PictureCheck::Fail(kEndsEarly);
        const std::size_t length = Be16(data + at);
        if (length < 2 || length > size - at) return PictureCheck::Fail(kEndsEarly);
        const unsigned char* body = data + at + 2;
        const bool isFrame =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (isFrame && !frame) {
            if (length < 8) return PictureCheck::Fail(kNotValid);
            const unsigned height = Be16(body + 1), width = Be16(body + 3), count = body[5];
            const PictureCheck sized = SizeCheck(width, height);
            if (!sized.ok) return sized;
            if (count == 0 || length < 8 + 3 * std::size_t(count))
                return PictureCheck::Fail(kNotValid);
            unsigned hMax = 1, vMax = 1;
            for (unsigned c = 0; c < count; ++c) {
                hMax = std::max(hMax, unsigned(body[6 + 3 * c + 1] >> 4));
                vMax = std::max(vMax, unsigned(body[6 + 3 * c + 1] & 15));
            }
            for (unsigned c = 0; c < count; ++c) {
                const unsigned h = std::max(1u, unsigned(body[6 + 3 * c + 1] >> 4));
                const unsigned v = std::max(1u, unsigned(body[6 + 3 * c + 1] & 15));
                const uint64_t w = (uint64_t(width) * h + hMax - 1) / hMax;
                const uint64_t hh = (uint64_t(height) * v + vMax - 1) / vMax;
                blocks += ((w + 7) / 8) * ((hh + 7) / 8);
            }
            arithmetic = marker >= 0xc9;
            frame = true;
        }
        at += length;
        if (marker != 0xda) continue;
        // Entropy-coded data runs to the next marker other than a stuffed 0xff00 or a restart.
        const std::size_t start = at;
        while (true) {
            const auto* ff =
                static_cast<const unsigned char*>(std::memchr(data + at, 0xff, size - at));
            if (ff == nullptr || ff + 1 >= data + size) return PictureCheck::Fail(kEndsEarly);
            at = std::size_t(ff - data);
            const unsigned next = data[at + 1];
            if (next == 0x00 || (next >= 0xd0 && next <= 0xd7)) {
                at += 2;
                continue;
            }
            if (next == 0xff) {
                ++at;
                continue;
            }
            break;
        }
        entropyBytes += at - start;
    }
    if (!frame) return PictureCheck::Fail(kNotValid);
    // A Huffman code is at least one bit long, and every block of every component needs one.
    if (!arithmetic && entropyBytes * 8 < blocks) return PictureCheck::Fail(kEndsEarly);
    return PictureCheck::Pass();
}

namespace {

// Walks a BMP run-length stream from `at`; true when it reaches its end-of-bitmap marker
// (or the last row's end) before the data ends.
bool RunLengthComplete(const unsigned char* data, std::size_t size, std::size_t at, bool fourBit,
                       uint64_t rows) {
    uint64_t row = 0;
    while (size - at >= 2) {
        const unsigned count = data[at], value = data[at + 1];
        at += 2;
        if (count != 0) continue;  // a run of `count` pixels
        if (value == 0) {          // end of line
            if (++row >= rows) return true;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // move by dx, dy
            if (size - at < 2) return false;
            row += data[at + 1];
            at += 2;
            if (row >= rows) return true;
        } else {  // `value` literal pixels, padded to an even number of bytes
            std::size_t bytes = fourBit ? (value + 1) / 2 : value;
            bytes += bytes & 1;
            if (size - at < bytes) return false;
            at += bytes;
        }
    }
    return false;
}

}  // namespace

PictureCheck CheckBmpData(const unsigned char* data, std::size_t size) {
    if (size < 26 || data[0] != 'B' || data[1] != 'M') return PictureCheck::Fail(kEndsEarly);
    const std::size_t offset = Le32(data + 10);
    const uint32_t headerSize = Le32(data + 14);
    int64_t width = 0, height = 0;
    unsigned bits = 0, compression = 0;
    if (headerSize == 12) {
        width = Le16(data + 18);
        height = Le16(data + 20);
        bits = Le16(data + 24);
    } else {
        if (headerSize < 16 || size < 14 + std::size_t(std::min<uint32_t>(headerSize, 40)))
            return PictureCheck::Fail(kEndsEarly);
        width = int32_t(Le32(data + 18));
        height = int32_t(Le32(data + 22));
        bits = Le16(data + 28);
        compression = headerSize >= 20 ? Le32(data + 30) : 0;
    }
    if (height < 0) height = -height;  // top-down rows
    const PictureCheck sized = SizeCheck(width, height);
    if (!sized.ok) return sized;
    if (offset >= size) return PictureCheck::Fail(kEndsEarly);
    if (compression == 1 || compression == 2) {
        return RunLengthComplete(data, size, offset, compression == 2, uint64_t(height))
                   ? PictureCheck::Pass()
                   : PictureCheck::Fail(kEndsEarly);
    }
    if (compression != 0 && compression != 3 && compression != 6) return PictureCheck::Pass();
    if (bits == 0 || bits > 32) return PictureCheck::Fail(kNotValid);
    // Every row is padded to four bytes; the last row's padding may be missing.
    const uint64_t rowBytes = (uint64_t(width) * bits + 31) / 32 * 4;
    const uint64_t needed = rowBytes * uint64_t(height - 1) + (uint64_t(width) * bits + 7) / 8;
    if (size - offset < needed) return PictureCheck::Fail(kEndsEarly);
    return PictureCheck::Pass();
}

namespace {

struct GifMemory {
    const unsigned char* data;
    std::size_t left;
};

int ReadGifBytes(GifFileType* gif, GifByteType* out, int length) {
    auto* source = static_cast<GifMemory*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(source->left, std::size_t(std::max(length, 0)));
    std::memcpy(out, source->data, n);
    source->data += n;
    source->left -= n;
    return int(n);
}

PictureCheck WalkGif(GifFileType* gif) {
    const PictureCheck screen = SizeCheck(gif->SWidth, gif->SHeight);
    if (!screen.ok) return screen;
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    do {
        if (DGifGetRecordType(gif, &record) == GIF_ERROR) return PictureCheck::Fail(kEndsEarly);
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return PictureCheck::Fail(kEndsEarly);
            while (block != nullptr) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return PictureCheck::Fail(kEndsEarly);
            }
        } else if (record == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR) return PictureCheck::Fail(kEndsEarly);
            const GifImageDesc& frame = gif->Image;
            const PictureCheck sized = SizeCheck(frame.Width, frame.Height);
            if (!sized.ok) return sized;
            // Only the first frame is shown; it must decode to its last row.
            std::vector<GifPixelType> row(std::size_t(frame.Width));
            for (int y = 0; y < frame.Height; ++y) {
                if (DGifGetLine(gif, row.data(), frame.Width) == GIF_ERROR)
                    return PictureCheck::Fail(kEndsEarly);
            }
            return PictureCheck::Pass();
        }
    } while (record != TERMINATE_RECORD_TYPE);
    return PictureCheck::Fail(kNotValid);
}

}  // namespace

PictureCheck CheckGifData(const unsigned char* data, std::size_t size) {
    GifMemory source{data, size};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, ReadGifBytes, &error);
    if (gif == nullptr) return PictureCheck::Fail(kEndsEarly);
    const PictureCheck result = WalkGif(gif);
    DGifCloseFile(gif, &error);
    return result;
}

}  // namespace orv
