// libFuzzer target over the picture loaders' front: the checks made before decoding and the
// PNG, JPEG, GIF, BMP and ICO/CUR decoders behind them. Any bytes must decode to a picture
// within the size limits or be refused, without reading or writing outside a buffer.
#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

#include "imaging/io/PictureLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const orv::PictureKind kind = orv::SniffPictureKind(bytes.left(16));
    // Anything else would go to whichever Qt image plugin claims it: not ours to fuzz.
    if (kind == orv::PictureKind::Unknown) return 0;
    const QImage picture = orv::detail::DecodePictureBytes(bytes, kind);
    if (!picture.isNull() && !orv::IsAcceptablePictureSize(picture.width(), picture.height()))
        __builtin_trap();
    return 0;
}
