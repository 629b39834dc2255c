#include "imaging/io/PictureDecoders.h"

#include "imaging/io/PictureLoader.h"

#include <png.h>
// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace orv::detail {

namespace {

// libpng reports fatal errors through a jump back to the decode call; warnings are dropped.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void IgnorePngWarning(png_structp, png_const_charp) {}

// The not yet read part of a PNG held in memory.
struct PngSource {
    const unsigned char* data;
    std::size_t left;
};

void ReadPngBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->left) png_error(png, "cut short");
    std::memcpy(out, source->data, length);
    source->data += length;
    source->left -= length;
}

// The decode itself, apart from anything with a destructor (see RunJpegDecode below).
bool RunPngDecode(png_structp png, png_infop info, QImage* out, std::vector<png_bytep>* rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!IsAcceptablePictureSize(width, height)) {
        return false;
    }
    // Everything becomes 8-bit samples in Qt's ARGB32 order; gamma is left as stored.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    if (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        png_set_bgr(png);
        png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    } else {
        png_set_swap_alpha(png);
        png_set_add_alpha(png, 0xff, PNG_FILLER_BEFORE);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *out = QImage(int(width), int(height), QImage::Format_ARGB32);
    if (out->isNull() || png_get_rowbytes(png, info) != std::size_t(4) * width) {
        return false;
    }
    rows->resize(height);
    for (png_uint_32 y = 0; y < height; ++y) (*rows)[y] = out->scanLine(int(y));
    png_read_image(png, rows->data());
    return true;
}

}  // namespace

QImage DecodePng(const unsigned char* data, std::size_t size) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, IgnorePngWarning);
    if (png == nullptr) return {};
    png_infop info = png_create_info_struct(png);
    PngSource source{data, size};
    png_set_read_fn(png, &source, ReadPngBytes);
    // libpng then refuses longer sides already while it reads the header.
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    QImage out;
    std::vector<png_bytep> rows;
    const bool ok = info != nullptr && RunPngDecode(png, info, &out, &rows);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return ok ? out : QImage();
}

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to
// the decode call. Warnings are dropped, except that a premature end of the data is noted.
struct JpegErrors {
    jpeg_error_mgr manager;  // first, so that the library's pointer can be cast back
    std::jmp_buf jump;
    bool endedEarly = false;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

void OnJpegMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        reinterpret_cast<JpegErrors*>(info->err)->endedEarly = true;
    }
}

void IgnoreJpegOutput(j_common_ptr) {}

// Turns decoded CMYK rows, stored in place in an RGB32 picture, into RGB. Adobe writes the
// samples inverted, which is what nearly every CMYK JPEG holds.
void CmykToRgb(QImage& picture, bool inverted) {
    for (int y = 0; y < picture.height(); ++y) {
        uchar* bytes = picture.scanLine(y);
        auto* pixels = reinterpret_cast<QRgb*>(bytes);
        for (int x = 0; x < picture.width(); ++x) {
            int c = bytes[4 * x], m = bytes[4 * x + 1], ye = bytes[4 * x + 2], k = bytes[4 * x + 3];
            if (!inverted) {
                c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
            }
            pixels[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
        }
    }
}

// The decode itself. Kept apart so that nothing with a destructor lives between the setjmp
// and a jump back to it; every variable it changes is reached through the pointers.
bool RunJpegDecode(jpeg_decompress_struct* info, JpegErrors* errors, const unsigned char* data,
                   std::size_t size, QImage* out) {
    if (setjmp(errors->jump)) {
        return false;
    }
    jpeg_mem_src(info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK ||
        !IsAcceptablePictureSize(info->image_width, info->image_height)) {
        return false;
    }
    const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    if (cmyk) {
        info->out_color_space = JCS_CMYK;
    } else {
        info->out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    }
    *out = QImage(int(info->image_width), int(info->image_height), QImage::Format_RGB32);
    if (out->isNull()) {
        return false;
    }
    jpeg_start_decompress(info);
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = out->scanLine(int(info->output_scanline));
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    if (cmyk) {
        CmykToRgb(*out, info->saw_Adobe_marker);
    }
    return !errors->endedEarly;
}

}  // namespace

QImage DecodeJpeg(const unsigned char* data, std::size_t size) {
    jpeg_decompress_struct info{};
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnJpegError;
    errors.manager.emit_message = OnJpegMessage;
    errors.manager.output_message = IgnoreJpegOutput;
    jpeg_create_decompress(&info);
    QImage out;
    const bool ok = RunJpegDecode(&info, &errors, data, size, &out);
    jpeg_destroy_decompress(&info);
    return ok ? out : QImage();
}

}  // namespace orv::detail
