// libFuzzer target over the annotation block and its check against a file's layers: any
// bytes must be read or refused, and a block that reads must give a verdict that keeps only
// annotations it holds and names only layers the file has.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "annotations/AnnotationBlock.h"
#include "imaging/psd/psd_layers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // The first byte shapes the layers the block is held against.
    if (size == 0) return 0;
    std::vector<orv::psd::LayerPixels> layers(data[0] % 5);
    for (std::size_t i = 0; i < layers.size(); ++i) {
        orv::psd::LayerPixels& l = layers[i];
        l.name = i == 0 ? "Picture" : "Note " + std::to_string(i);
        l.left = int(i) - 1;
        l.width = l.height = int(i) * 3 + 1;
        l.bgra.assign(std::size_t(l.width) * l.height * 4, uint8_t(data[0] * i));
        l.visible = (data[0] >> i) & 1;
    }
    orv::AnnotationBlock block;
    QString why;
    const QByteArray json(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (orv::AnnotationBlockFromJson(json, block, why) != orv::AnnotationJsonError::None) return 0;
    const orv::BlockVerdict v = orv::CheckBlock(block, layers, 8, 8);
    if (v.live.Items.size() > block.snapshot.Items.size()) __builtin_trap();
    if (block.hasSaved &&
        v.live.Items.size() + std::size_t(v.dropped + v.leftFlat) != block.snapshot.Items.size())
        __builtin_trap();
    for (int i : v.flatLayers)
        if (i < 0 || std::size_t(i) >= layers.size() || i == v.pictureLayer) __builtin_trap();
    // What the writer makes of the snapshot reads back the same.
    orv::AnnotationBlock again;
    if (block.hasSaved &&
        (orv::AnnotationBlockFromJson(orv::AnnotationBlockToJson(block.snapshot, block.saved),
                                      again, why) != orv::AnnotationJsonError::None ||
         !(again.snapshot == block.snapshot) ||
         again.saved.annotations.size() != block.saved.annotations.size()))
        __builtin_trap();
    return 0;
}
