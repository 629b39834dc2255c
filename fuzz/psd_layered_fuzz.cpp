// libFuzzer target over the layered side of our PSD code. An input starting with 0 is a file:
// the layer reader and the decoder's private-resource scan must read or refuse it without
// touching memory outside a buffer, and never build a layer larger than the document; the
// annotation block it finds goes through the JSON reader of every kind (boxes and redactions
// too) and is held against the file's layers as an open does, and what reads must write and
// read back the same. Any
// other input describes a small document (size, layer places, pixels) that the writer must
// write and the readers must give back exactly, in either format (PSD or PSB), and, cut after
// its layers, compose from them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>

#include "annotations/AnnotationBlock.h"
#include "annotations/AnnotationJson.h"
#include "psd_compose.h"
#include "psd_decoder.h"
#include "psd_layers.h"
#include "psd_writer.h"

namespace {

// The block a file carries, read as an open reads it: every item through its kind's reader,
// checked against the file's layers; a block that reads must write back to the same snapshot.
void ReadBlock(const std::vector<uint8_t>& bytes, const std::vector<orv::psd::LayerPixels>& layers,
               int32_t width, int32_t height) {
    if (bytes.empty()) return;
    orv::AnnotationBlock block;
    QString why;
    const QByteArray json(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    if (orv::AnnotationBlockFromJson(json, block, why) != orv::AnnotationJsonError::None) {
        if (why.isEmpty()) __builtin_trap();  // a refusal always says why
        return;
    }
    const orv::BlockVerdict v = orv::CheckBlock(block, layers, width, height);
    if (v.live.Items.size() > block.snapshot.Items.size()) __builtin_trap();
    if (v.pictureLayer >= 0 && std::size_t(v.pictureLayer) >= layers.size()) __builtin_trap();
    for (int i : v.flatLayers)
        if (i < 0 || std::size_t(i) >= layers.size()) __builtin_trap();
    // Each kind's writer gives back what its reader took, alone (version 1) and in a block.
    orv::AnnotationSnapshot bare;
    if (orv::AnnotationsFromJson(orv::AnnotationsToJson(block.snapshot), bare, why) !=
            orv::AnnotationJsonError::None ||
        !(bare == block.snapshot))
        __builtin_trap();
    orv::AnnotationBlock again;
    if (block.hasSaved &&
        (orv::AnnotationBlockFromJson(orv::AnnotationBlockToJson(block.snapshot, block.saved),
                                      again, why) != orv::AnnotationJsonError::None ||
         !(again.snapshot == block.snapshot)))
        __builtin_trap();
}

void ReadFile(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> file(data, size);
    std::vector<orv::psd::LayerPixels> layers;
    orv::psd::Decoder decoder;
    const bool parsed = decoder.Parse(file);
    const bool layered = orv::psd::ReadLayers(file, layers);
    if (layered) {
        for (const auto& l : layers) {
            const uint64_t area = uint64_t(l.width) * uint64_t(l.height);
            if (l.bgra.size() != area * 4) __builtin_trap();
            if (parsed && area > uint64_t(decoder.header().width) * decoder.header().height)
                __builtin_trap();
        }
    }
    if (decoder.privateResource().size() > size) __builtin_trap();
    if (parsed)
        ReadBlock(decoder.privateResource(), layered ? layers : decltype(layers){},
                  decoder.header().width, decoder.header().height);
    // Converting may compose the picture from the layers instead.
    if (parsed) {
        std::vector<uint8_t> pixels(std::size_t(decoder.SizeImage()));
        if (decoder.Convert(pixels.data()) && decoder.ComposedFromLayers() &&
            decoder.header().colourMode != 3)
            __builtin_trap();  // only RGB documents are composed
    }
}

void RoundTrip(const uint8_t* data, std::size_t size) {
    if (size < 6) return;
    const int32_t w = 1 + data[1] % 64, h = 1 + data[2] % 64;
    const std::size_t layerCount = data[3] % 5;
    const auto compression =
        data[4] % 2 ? orv::psd::ChannelCompression::PackBits : orv::psd::ChannelCompression::Raw;
    const uint8_t* fill = data + 5;
    const std::size_t fillSize = size - 5;
    const auto Pixels = [&](int32_t pw, int32_t ph, std::size_t salt) {
        std::vector<uint8_t> p(std::size_t(pw) * std::size_t(ph) * 4);
        for (std::size_t i = 0; i < p.size(); ++i) p[i] = fill[(i + salt) % fillSize];
        return p;
    };
    std::vector<std::vector<uint8_t>> buffers{Pixels(w, h, 0)};
    orv::psd::DocumentLayout layout;
    layout.compression = compression;
    layout.large = data[4] & 2;           // the large document format
    const bool cutPicture = data[4] & 4;  // the file ends after its layers
    layout.composite = {buffers[0].data(), w, h, std::size_t(w) * 4};
    std::vector<std::pair<int32_t, int32_t>> sizes;
    for (std::size_t l = 0; l < layerCount; ++l) {
        const uint8_t b = fill[l % fillSize];
        const int32_t lw = b % 17, lh = (b / 17) % 13;
        buffers.push_back(Pixels(lw, lh, l * 31 + 7));
        sizes.emplace_back(lw, lh);
    }
    for (std::size_t l = 0; l < layerCount; ++l) {
        const int32_t lw = sizes[l].first, lh = sizes[l].second;
        const std::string name(reinterpret_cast<const char*>(fill),
                               std::min<std::size_t>(fillSize, l * 9));
        layout.layers.push_back({name,
                                 int32_t(l) - 2,
                                 int32_t(fill[0] % 9),
                                 {buffers[l + 1].data(), lw, lh, std::size_t(lw) * 4},
                                 255,
                                 l % 2 == 0});
    }
    layout.privateResource.assign(fill, fill + std::min<std::size_t>(fillSize, 33));
    // The reader drops NUL bytes at the end of our block (pad bytes other writers count in).
    std::vector<uint8_t> block = layout.privateResource;
    while (!block.empty() && block.back() == 0) block.pop_back();

    std::vector<uint8_t> file, again;
    std::string why;
    if (!orv::psd::WriteDocument(layout, file, why)) __builtin_trap();
    if (!orv::psd::WriteDocument(layout, again, why) || again != file) __builtin_trap();
    std::vector<orv::psd::LayerPixels> layers;
    if (!orv::psd::ReadLayers(file, layers) || layers.size() != layerCount) __builtin_trap();
    orv::psd::Decoder decoder;
    std::vector<uint8_t> composite;
    if (cutPicture) {
        // Without its picture the file is composed from its layers, exactly as the compositor
        // composes what the layer reader gives.
        const std::size_t pictureBytes = 2 + std::size_t(w) * h * 3;
        if (compression == orv::psd::ChannelCompression::Raw) {
            file.resize(file.size() - pictureBytes);
            std::vector<uint8_t> expected(std::size_t(w) * h * 4);
            bool approximated = false;
            const std::vector<bool> shown = orv::psd::ShownLayers(layers, approximated);
            std::fill(expected.begin(), expected.end(), uint8_t{255});
            bool any = false;
            for (std::size_t l = 0; l < layers.size(); ++l)
                if (shown[l] && layers[l].width > 0 && layers[l].height > 0) {
                    orv::psd::BlendNormal(layers[l], expected.data(), w, h);
                    any = true;
                }
            const bool decoded = decoder.Decode(file, composite);
            if (decoded != any || (decoded && (composite != expected || approximated)))
                __builtin_trap();
        }
        return;
    }
    if (!decoder.Decode(file, composite) || decoder.privateResource() != block) __builtin_trap();
    // A picture black throughout, with layers, is composed from them instead.
    if (!decoder.ComposedFromLayers())
        for (std::size_t i = 0; i < composite.size(); i += 4)
            if (std::memcmp(&composite[i], &buffers[0][i], 3) != 0) __builtin_trap();
    for (std::size_t l = 0; l < layerCount; ++l) {
        // Each layer comes back cut to the document: compare what lies on it.
        const orv::psd::LayerSpec& in = layout.layers[l];
        const orv::psd::LayerPixels& out = layers[l];
        if (out.visible != (l % 2 == 0)) __builtin_trap();
        if (out.left < 0 || out.top < 0 || out.left + out.width > w || out.top + out.height > h)
            __builtin_trap();
        for (int32_t y = 0; y < out.height; ++y)
            for (int32_t x = 0; x < out.width; ++x) {
                const uint8_t* a = &out.bgra[(std::size_t(y) * out.width + x) * 4];
                const uint8_t* b = in.pixels.data +
                                   std::size_t(out.top + y - in.top) * in.pixels.stride +
                                   std::size_t(out.left + x - in.left) * 4;
                if (std::memcmp(a, b, 4) != 0) __builtin_trap();
            }
        const int64_t visibleW =
            std::min<int64_t>(in.left + in.pixels.width, w) - std::max<int32_t>(in.left, 0);
        const int64_t visibleH =
            std::min<int64_t>(in.top + in.pixels.height, h) - std::max<int32_t>(in.top, 0);
        if (visibleW > 0 && visibleH > 0 && (out.width != visibleW || out.height != visibleH))
            __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] == 0)
        ReadFile(data + 1, size - 1);
    else
        RoundTrip(data, size);
    return 0;
}
