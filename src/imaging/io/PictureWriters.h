// The writers behind the saver. Each takes an opaque Format_RGB32 picture and writes a whole
// file to a device; false when it could not (the device's content is then unusable).
#pragma once

#include <QIODevice>
#include <QImage>

namespace orv::detail {

// PNG, 8-bit RGB (colour type 2), UP filter on every row, one IDAT compressed with libdeflate.
bool WritePng(const QImage& picture, QIODevice& device, int level = 6);

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
