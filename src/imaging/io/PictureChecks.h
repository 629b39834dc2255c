// Checks of picture files made from their bytes before any decoder allocates for them: the
// size a header states, and whether the data can possibly describe that many pixels. A file
// that ends early or whose header promises more than its data holds is refused here, so the
// decoders never spend time or memory on it.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace orv {

// What a check found: ok, or the reason a file is refused, in words a user reads.
struct PictureCheck {
    bool ok = true;
    QString reason;

    static PictureCheck Pass() { return {}; }
    static PictureCheck Fail(const QString& why) { return {false, why}; }
};

// True when `path` names a regular file (or a link to one). FIFOs, devices, sockets and
// folders are refused before anything opens them, since an open() of a FIFO blocks.
bool IsRegularPictureFile(const QString& path);

// PNG: the header size within the limits, every chunk whole, and enough compressed image
// data for the stated size (deflate cannot expand more than about 1032 to 1).
PictureCheck CheckPngData(const unsigned char* data, std::size_t size);

// JPEG: the frame size within the limits, the marker structure complete up to the end-of-image
// marker, and, for Huffman-coded files, at least one bit of entropy-coded data per block.
PictureCheck CheckJpegData(const unsigned char* data, std::size_t size);

// BMP: the header size within the limits and the pixel data all present: uncompressed rows
// fit in the file, a run-length stream reaches its end marker before the file ends.
PictureCheck CheckBmpData(const unsigned char* data, std::size_t size);

// GIF: the screen and first frame within the limits, and the first frame decodes to its last
// row (decoded one row at a time, so the check needs one row of memory).
PictureCheck CheckGifData(const unsigned char* data, std::size_t size);

}  // namespace orv
