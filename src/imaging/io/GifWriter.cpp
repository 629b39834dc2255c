#include "imaging/io/PaletteMapping.h"
#include "imaging/io/PictureWriters.h"

#include <gif_lib.h>

#include <array>
#include <memory>
#include <optional>

namespace orv::detail {

bool ExactPalette(const QImage& picture, QList<QRgb>& palette, QByteArray& indices) {
    // Open addressing over 1024 slots (never more than a quarter full); colours are stored
    // with the alpha byte set, so 0 marks an empty slot.
    std::array<QRgb, 1024> keys{};
    std::array<uint8_t, 1024> values{};
    palette.clear();
    indices.resize(qsizetype(picture.width()) * picture.height());
    auto* out = reinterpret_cast<uint8_t*>(indices.data());
    QRgb lastColour = 0;
    uint8_t lastIndex = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb colour = pixels[x] | 0xff000000u;
            if (colour != lastColour) {
                std::size_t slot = ((colour * 2654435761u) >> 22) & 1023;
                while (keys[slot] != 0 && keys[slot] != colour) slot = (slot + 1) & 1023;
                if (keys[slot] == 0) {
                    if (palette.size() == 256) return false;
                    keys[slot] = colour;
                    values[slot] = uint8_t(palette.size());
                    palette.append(colour);
                }
                lastColour = colour;
                lastIndex = values[slot];
            }
            *out++ = lastIndex;
        }
    }
    return true;
}

namespace {

int WriteToDevice(GifFileType* gif, const GifByteType* data, int length) {
    auto* device = static_cast<QIODevice*>(gif->UserData);
    return int(device->write(reinterpret_cast<const char*>(data), length));
}

}  // namespace

bool WriteGif(const QImage& picture, QIODevice& device) {
    if (picture.isNull() || picture.format() != QImage::Format_RGB32 || picture.width() > 0xffff ||
        picture.height() > 0xffff) {
        return false;
    }
    QList<QRgb> palette;
    QByteArray indices;
    // More than 256 colours: the pixels are mapped onto the adaptive palette on helper threads
    // while the rows already mapped are compressed.
    std::optional<PaletteMapping> mapping;
    if (!ExactPalette(picture, palette, indices)) {
        if (!AdaptivePalette(picture, palette)) return false;
        mapping.emplace(picture, palette);
    }
    // A GIF colour table holds a power of two entries; unused ones stay black.
    int tableSize = 2;
    while (tableSize < palette.size()) tableSize *= 2;
    std::vector<GifColorType> table(std::size_t(tableSize), GifColorType{0, 0, 0});
    for (qsizetype i = 0; i < palette.size(); ++i) {
        table[std::size_t(i)] =
            GifColorType{GifByteType(qRed(palette[i])), GifByteType(qGreen(palette[i])),
                         GifByteType(qBlue(palette[i]))};
    }
    ColorMapObject* colourMap = GifMakeMapObject(tableSize, table.data());
    if (colourMap == nullptr) return false;

    int error = 0;
    GifFileType* gif = EGifOpen(&device, WriteToDevice, &error);
    bool ok = gif != nullptr;
    ok = ok && EGifPutScreenDesc(gif, picture.width(), picture.height(), 8, 0, colourMap) == GIF_OK;
    ok = ok &&
         EGifPutImageDesc(gif, 0, 0, picture.width(), picture.height(), false, nullptr) == GIF_OK;
    auto* pixels = reinterpret_cast<GifPixelType*>(indices.data());
    for (int y = 0; ok && y < picture.height(); ++y) {
        // giflib takes the row as modifiable but only reads it.
        auto* row = mapping ? const_cast<GifPixelType*>(mapping->Row(y))
                            : pixels + qsizetype(y) * picture.width();
        ok = EGifPutLine(gif, row, picture.width()) == GIF_OK;
    }
    if (gif != nullptr && EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    GifFreeMapObject(colourMap);
    return ok;
}

}  // namespace orv::detail
