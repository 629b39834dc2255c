// Reader of the layers of an 8-bit RGB Photoshop document, standard library only: what the
// program needs to take its own layered files apart again (the picture layer under the
// annotations) and what the tests use to look inside a written file.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace orv::psd {

struct LayerPixels {
    std::string name;  // UTF-8: the Unicode name when the layer has one, else the Pascal name
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t opacity = 255;
    bool visible = true;
    // width * height pixels of blue, green, red, alpha (alpha 255 when the layer has none).
    std::vector<uint8_t> bgra;
};

// Reads every layer of `file`, bottom first. False, with `layers` empty, for anything but a
// well-formed 8-bit RGB document, or when one layer is larger than the document itself. A
// document without layers gives true and no layers.
bool ReadLayers(std::span<const uint8_t> file, std::vector<LayerPixels>& layers);

// The layers may claim at most this many times the document's area between them; a file whose
// layer records claim more is refused before any pixels are read.
inline constexpr uint64_t kMaxLayerAreas = 256;

// ReadLayers that decodes the pixels only of the layers `wanted` accepts (it sees each layer's
// name, place and size); the others come back with empty `bgra`, their data never unpacked.
bool ReadLayers(std::span<const uint8_t> file, std::vector<LayerPixels>& layers,
                const std::function<bool(const LayerPixels&)>& wanted);

}  // namespace orv::psd
