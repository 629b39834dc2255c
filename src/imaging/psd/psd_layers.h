// Reader of the layers of an 8-bit RGB Photoshop document (or large document), standard library
// only: what the program needs to take its own layered files apart again (the picture layer under
// the annotations) and what the tests use to look inside a written file.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace orv::psd {

class ByteSource;

// Blend mode keys of the format.
inline constexpr uint32_t kNormal = 0x6E6F726D;       // "norm"
inline constexpr uint32_t kPassThrough = 0x70617373;  // "pass", a group's own blending

// What a record stands for in the layer stack: a layer, or the start or end of a group.
enum class LayerSection : uint8_t { Layer, Group, GroupEnd };

struct LayerPixels {
    std::string name;  // UTF-8: the Unicode name when the layer has one, else the Pascal name
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t opacity = 255;
    bool visible = true;
    uint32_t blendMode = kNormal;  // the four characters of the key, big-endian
    bool clipping = false;         // clipped to the layer below
    bool hasMask = false;          // carries a layer or vector mask
    bool hasEffects = false;       // carries layer effects
    LayerSection section = LayerSection::Layer;
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
// Reads the layers from the content of a layer and mask information section (what follows its
// length field) of a `width` x `height` document; `large` for the large document format
// (version 2), whose lengths are wider. False, with `layers` empty, for a damaged section or
// layers this reader does not take.
bool ReadLayerSection(std::span<const uint8_t> section, bool large, uint64_t width, uint64_t height,
                      std::vector<LayerPixels>& layers,
                      const std::function<bool(const LayerPixels&)>& wanted = {});

// Reads the same section a layer at a time: every record first, then each layer's pixels in
// turn, bottom first, handed to `visit` with the index of the layer whose pixels are in place
// (the other layers hold their records only). The pixels are released after each visit, so
// that only one layer is held at a time. Layers `wanted` refuses are visited without pixels.
bool VisitLayerSection(std::span<const uint8_t> section, bool large, uint64_t width,
                       uint64_t height,
                       const std::function<void(std::vector<LayerPixels>&, std::size_t)>& visit,
                       const std::function<bool(const LayerPixels&)>& wanted = {});

// VisitLayerSection over a whole document, its layer section found as ReadLayers finds it;
// `wanted` also sees the index of each layer (bottom first). False as ReadLayers.
bool VisitLayers(std::span<const uint8_t> file,
                 const std::function<void(std::vector<LayerPixels>&, std::size_t)>& visit,
                 const std::function<bool(std::size_t, const LayerPixels&)>& wanted);

// VisitLayerRows (below) over a whole document, its layer section found as ReadLayers finds it.
// False as ReadLayers.
bool VisitDocumentRows(std::span<const uint8_t> file,
                       const std::function<void(const std::vector<LayerPixels>&)>& begin,
                       const std::function<void(std::size_t, int32_t, const uint8_t* const*)>& row);

// Reads the same section a row at a time, holding no layer whole: `begin` gets every record
// (without pixels) first, then `row` gets each row y of each layer i, bottom first, as four
// rows of its blue, green, red and alpha bytes (255 alpha, 0 colour where the layer lacks the
// channel), valid only during the call.
bool VisitLayerRows(std::span<const uint8_t> section, bool large, uint64_t width, uint64_t height,
                    const std::function<void(const std::vector<LayerPixels>&)>& begin,
                    const std::function<void(std::size_t, int32_t, const uint8_t* const*)>& row);

// VisitLayerRows over the section `length` bytes at `at` in `source` (from the start of its
// layer info length): a file source is read a bounded piece of each channel at a time, so that
// neither the section nor a layer is ever held whole.
bool VisitLayerRows(ByteSource& source, uint64_t at, uint64_t length, bool large, uint64_t width,
                    uint64_t height,
                    const std::function<void(const std::vector<LayerPixels>&)>& begin,
                    const std::function<void(std::size_t, int32_t, const uint8_t* const*)>& row);

// The same rows in document order: every layer's rows above the document, then for each row of
// the document the row of every layer that reaches it, bottom first, then the rows below it.
// Every layer is read at once, each in smaller pieces the more layers there are, so that a row
// of the document stays at hand while each layer is drawn onto it; layers that would hold too
// much memory so are read one after the other, in VisitLayerRows order.
bool VisitDocumentRowsInOrder(
    ByteSource& source, uint64_t at, uint64_t length, bool large, uint64_t width, uint64_t height,
    const std::function<void(const std::vector<LayerPixels>&)>& begin,
    const std::function<void(std::size_t, int32_t, const uint8_t* const*)>& row);

}  // namespace orv::psd
