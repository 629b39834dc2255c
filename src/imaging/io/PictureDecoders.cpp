#include "imaging/io/PictureDecoders.h"

#include "imaging/io/PictureLoader.h"

#include <png.h>
// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>
#include <csetjmp>
#include <cstdio>

namespace orv::detail {

QImage DecodePng(const unsigned char* data, std::size_t size) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data, size)) {
        return {};
    }
    if (!IsAcceptablePictureSize(png.width, png.height)) {
        png_image_free(&png);
        return {};
    }
    // Qt's ARGB32 is a native-endian 0xAARRGGBB word.
    png.format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    QImage out(int(png.width), int(png.height), QImage::Format_ARGB32);
    if (out.isNull()) {
        png_image_free(&png);
        return {};
    }
    // The row stride counts components, which are bytes at 8 bits per sample.
    if (!png_image_finish_read(&png, nullptr, out.bits(), png_int_32(out.bytesPerLine()),
                               nullptr)) {
        png_image_free(&png);
        return {};
    }
    return out;
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
