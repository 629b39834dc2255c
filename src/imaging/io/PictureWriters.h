// The writers behind the saver. Each takes an opaque Format_RGB32 picture and writes a whole
// file to a device; false when it could not (the device's content is then unusable).
#pragma once

#include <QIODevice>
#include <QImage>

namespace orv::detail {

// PNG, 8-bit RGB (colour type 2), UP filter on every row. Up to a 4K picture the image data is
// one IDAT compressed with libdeflate; a larger one is compressed with zlib a band of rows at a
// time, in IDATs of at most 1 MiB, so that the writer holds only bounded buffers beside it.
bool WritePng(const QImage& picture, QIODevice& device, int level = 6);

// TIFF, 8-bit RGB in strips of about 4 MiB, uncompressed or LZW, at the picture's
// resolution in dots per inch: the tags and values Qt's writer gives an opaque picture, written
// a strip at a time, so that the writer holds only one strip's samples beside the picture.
bool WriteTiff(const QImage& picture, QIODevice& device, bool lzw);

// GIF with an 8-bit palette: the exact colours when the picture has 256 or fewer, otherwise the
// adaptive palette of QuantizedPalette. Written with giflib.
bool WriteGif(const QImage& picture, QIODevice& device);

// Palette and indices for a picture of at most 256 colours; false when it has more.
bool ExactPalette(const QImage& picture, QList<QRgb>& palette, QByteArray& indices);

// The adaptive palette of QuantizedPalette alone, for a picture of more than 256 colours.
bool AdaptivePalette(const QImage& picture, QList<QRgb>& palette);

// An adaptive palette of at most 256 colours (libimagequant, from every colour of a picture
// with up to 65,536 of them, else from a grid sample of its pixels) and each pixel's nearest
// entry (a PaletteMapping), without dithering.
bool QuantizedPalette(const QImage& picture, QList<QRgb>& palette, QByteArray& indices);

}  // namespace orv::detail
