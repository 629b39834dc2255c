#include "imaging/io/PictureWriters.h"

#include <tiffio.h>

#include <QtMath>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace orv::detail {

namespace {

// libtiff's file access, on the device it writes to (which it never reads).
tsize_t ReadProc(thandle_t, tdata_t, tsize_t) {
    return -1;
}

tsize_t WriteProc(thandle_t device, tdata_t data, tsize_t size) {
    return static_cast<QIODevice*>(device)->write(static_cast<const char*>(data), size);
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    auto* device = static_cast<QIODevice*>(handle);
    qint64 to = qint64(offset);
    if (whence == SEEK_CUR) to += device->pos();
    if (whence == SEEK_END) to += device->size();
    return device->seek(to) ? toff_t(device->pos()) : toff_t(-1);
}

int CloseProc(thandle_t) {
    return 0;
}

toff_t SizeProc(thandle_t device) {
    return toff_t(static_cast<QIODevice*>(device)->size());
}

int MapProc(thandle_t, tdata_t*, toff_t*) {
    return 0;
}

void UnmapProc(thandle_t, tdata_t, toff_t) {}

// Rows [from, to) as 8-bit red, green, blue samples.
void RgbRows(const QImage& picture, int from, int to, uint8_t* out) {
    for (int y = from; y < to; ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x, out += 3) {
            out[0] = uint8_t(qRed(pixels[x]));
            out[1] = uint8_t(qGreen(pixels[x]));
            out[2] = uint8_t(qBlue(pixels[x]));
        }
    }
}

}  // namespace

bool WriteTiff(const QImage& picture, QIODevice& device, bool lzw) {
    if (picture.isNull() || picture.format() != QImage::Format_RGB32) return false;
    // libtiff's complaints would go to standard error; a failure is reported by the result.
    struct Quiet {
        TIFFErrorHandler error = TIFFSetErrorHandler(nullptr);
        TIFFErrorHandler warning = TIFFSetWarningHandler(nullptr);
        ~Quiet() {
            TIFFSetErrorHandler(error);
            TIFFSetWarningHandler(warning);
        }
    } quiet;
    TIFF* const tiff = TIFFClientOpen("orvane", "w", &device, ReadProc, WriteProc, SeekProc,
                                      CloseProc, SizeProc, MapProc, UnmapProc);
    if (tiff == nullptr) return false;
    const auto width = uint32_t(picture.width()), height = uint32_t(picture.height());
    // The tags Qt's own writer gives an opaque picture, in the same values.
    bool ok =
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width) &&
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height) &&
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, lzw ? COMPRESSION_LZW : COMPRESSION_NONE) &&
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8) &&
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3) &&
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(qRound(picture.dotsPerMeterX() * 0.0254))) &&
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(qRound(picture.dotsPerMeterY() * 0.0254)));
    // Strips of about 4 MiB, as Qt's writer makes them.
    const uint32_t asked = uint32_t(std::max<std::size_t>(1, (std::size_t{4} << 20) / (3 * width)));
    const uint32_t stripRows = ok ? std::max<uint32_t>(1, TIFFDefaultStripSize(tiff, asked)) : 1;
    ok = ok && TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, stripRows);
    // One strip at a time: the writer holds a strip's samples, never the whole picture.
    std::vector<uint8_t> strip(std::size_t(width) * 3 * stripRows);
    for (uint32_t y = 0, s = 0; ok && y < height; y += stripRows, ++s) {
        const uint32_t to = std::min(height, y + stripRows);
        RgbRows(picture, int(y), int(to), strip.data());
        ok = TIFFWriteEncodedStrip(tiff, s, strip.data(),
                                   tmsize_t(std::size_t(width) * 3 * (to - y))) >= 0;
    }
    ok = ok && TIFFWriteDirectory(tiff);
    TIFFClose(tiff);
    return ok;
}

}  // namespace orv::detail
