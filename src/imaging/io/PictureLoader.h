// Loading picture files into the pictures the canvas shows.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>

namespace orv {

// The largest picture either loader accepts: 16384 × 16384 pixels (1 GiB as RGB32) in all, and
// no side longer than 32767 pixels. Both loaders read the size from the file's header and refuse
// a larger picture before decoding anything.
inline constexpr qint64 kMaxPicturePixels = qint64(16384) * 16384;
inline constexpr int kMaxPictureSide = 32767;

// True when a picture of width × height pixels is within the limits above.
bool IsAcceptablePictureSize(qint64 width, qint64 height);

// The kind of picture a file holds, judged from its first bytes.
enum class PictureKind { Unknown, Png, Jpeg, Bmp, Gif, Ico, Cur };

// Judges the kind from the first bytes of a file (16 are plenty).
PictureKind SniffPictureKind(const QByteArray& head);

// `LoadImageAsPicture`: the loader for PNG and JPEG files (and anything else Qt reads). Decodes
// the file and returns an opaque Format_RGB32 picture of width × height pixels, with transparent
// and translucent parts composed over `background` (0x00BBGGRR, red in the lowest byte).
// A width or height of -1 stands for the picture's own size, which is then written back into
// both. Another size scales the picture to it; with keepAspect the picture is fitted inside and
// centred, the rest filled with the background.
// Returns a null QImage (width and height untouched) when the file is missing, holds no picture,
// is cut short (a truncated PNG or JPEG is refused as a whole, never shown half decoded), or is
// larger than the limits above.
QImage LoadImageAsPicture(const QString& path, int& width, int& height, uint32_t background,
                          bool keepAspect);

// `LoadPicture`: the standard picture loader. Reads BMP/DIB, GIF (first frame), JPEG, ICO and
// CUR files, recognised by their content whatever the file is called, and refuses everything
// else, PNG included (null QImage). BMP and JPEG come back as Format_RGB32; ICO, CUR and GIF as
// Format_ARGB32_Premultiplied when they have transparent pixels, which stay transparent.
QImage LoadPicture(const QString& path);

// The loader of a file that its name does not send to a loader of its own: the kinds the
// standard loader reads go to `LoadPicture`; the rest (PNG under another name, TIFF, WebP,
// anything Qt's image plugins read) are judged by content through `LoadImageAsPicture`, with
// its size checks, composed over `background`. A refusal is noted with its reason.
QImage LoadPictureByContent(const QString& path, uint32_t background);

namespace detail {
// The checks and the decode both loaders run on the bytes of a file whose kind was judged from
// its first bytes; a null picture when they refuse it. (Open to the fuzzer.)
QImage DecodePictureBytes(const QByteArray& bytes, PictureKind kind);
}  // namespace detail

}  // namespace orv
