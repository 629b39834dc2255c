// The PSD reader the editor keeps for its whole life: loads the merged image of a
// Photoshop document into a 32-bit picture and draws it onto a painter.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

#include "psd_decoder.h"

class QPainter;

namespace orv {

// Header of the picture built from the pixels, in the layout of a 32-bit device-independent
// bitmap: size 40, positive height (upright rows), 1 plane, 32 bits, no compression.
struct BitmapInfoHeader {
    uint32_t biSize = 40;        // size of this header
    int32_t biWidth = 0;         // picture width
    int32_t biHeight = 0;        // picture height
    uint16_t biPlanes = 1;       // always 1
    uint16_t biBitCount = 0;     // 32 once built
    uint32_t biCompression = 0;  // uncompressed
    uint32_t biSizeImage = 0;    // height * scan line
};

// What the user is told when a picture had to be composed from its layers and some of them
// could only be approximated.
QString ComposedPictureNote();

// Reader of PSD files into a drawable picture. One object serves many loads; header fields
// and conversion kind keep their last values between loads.
class cpsd {
  public:
    cpsd() = default;
    ~cpsd() { FreePsd(); }
    cpsd(const cpsd&) = delete;
    cpsd& operator=(const cpsd&) = delete;

    // Reads the whole file and builds the picture; true when the picture was built. On
    // failure the previous picture stays and Width/Height keep the values already read.
    // Only regular files are read, and only pictures within the loaders' size limits. When
    // the same unchanged file was the last one loaded, its picture is kept as it is.
    bool LoadPsdFile(const QString& fileName);

    // Image size from the last header read.
    int32_t Width() const { return decoder_.header().width; }
    int32_t Height() const { return decoder_.header().height; }
    // Bytes of one picture row (width * 4); 0 when that does not fit 32 bits.
    int32_t Scanline() const { return decoder_.Scanline(); }
    // Bytes of the picture (width * height * 4); 0 when that does not fit 32 bits.
    int32_t SizeImage() const { return decoder_.SizeImage(); }

    // Copies the picture at its own size to x, y on `dc`, replacing what lies there.
    // Returns non-zero when it drew, 0 when there is no picture.
    int DrawToDC(QPainter& dc, int x, int y) const;

    // Releases the picture and clears the size fields of the bitmap header. Returns true.
    bool FreePsd();

    // Clamps a value to a byte: 0 below 0, 255 above 255, else the value itself.
    static uint8_t ksCheckBounds(int32_t value) { return psd::ksCheckBounds(value); }

    // Our private image resource of the last file read (empty when it had none).
    const std::vector<uint8_t>& PrivateResource() const { return decoder_.privateResource(); }

    // Whether the last picture was composed from the layers (the file stores no merged
    // picture), and whether that composition only approximates some layer's blending.
    bool ComposedFromLayers() const { return decoder_.ComposedFromLayers(); }
    bool Approximated() const { return decoder_.ComposedFromLayers() && decoder_.Approximated(); }

    // The current picture (null before the first successful load and after FreePsd).
    const QImage& Bitmap() const { return bitmap_; }

  private:
    // Fills the bitmap header and allocates the picture at the current size; false when
    // the picture cannot be allocated.
    bool BuildDibSection();
    bool LoadPsdFileUnguarded(const QString& fileName);

    // Who the last loaded file was: absolute path, size and modification time.
    struct FileStamp {
        QString path;
        qint64 size = -1;
        qint64 modified = 0;
        bool operator==(const FileStamp&) const = default;
    };

    psd::Decoder decoder_;
    FileStamp loaded_;
    BitmapInfoHeader bitmapHeader_;
    QImage bitmap_;
};

}  // namespace orv
