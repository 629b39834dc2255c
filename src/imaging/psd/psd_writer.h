// Writer of layered Photoshop documents (PSD), standard library only.
//
// It writes an 8-bit RGB document: the merged picture as the composite image, one layer per
// entry of `layers` (the first is the bottom one) with red, green, blue and transparency
// channels cropped to the layer's bounds, and an optional image resource under a private ID
// that carries the caller's bytes. Nothing in the output depends on the time or the machine,
// so the same document always gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orv::psd {

// The image resource ID under which our own data is kept (in the range the format leaves to
// plug-ins, so other readers skip it).
inline constexpr uint16_t kPrivateResourceId = 4079;

// Pixels in memory: 4 bytes per pixel in the order blue, green, red, alpha (the layout of a
// 32-bit Qt picture on a little-endian machine), rows `stride` bytes apart. Alpha is straight
// (not premultiplied); the composite ignores it.
struct PixelView {
    const uint8_t* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    std::size_t stride = 0;
};

// One layer: a name (UTF-8), its place on the canvas and its pixels (width and height of the
// view give the layer's size; an empty view makes an empty layer). What lies outside the
// document is cut off when written.
struct LayerSpec {
    std::string name;
    int32_t left = 0;
    int32_t top = 0;
    PixelView pixels;
    uint8_t opacity = 255;
    bool visible = true;
};

enum class ChannelCompression : uint16_t { Raw = 0, PackBits = 1 };

struct DocumentLayout {
    PixelView composite;  // the merged picture; its size is the document's
    std::vector<LayerSpec> layers;
    std::vector<uint8_t> privateResource;  // written only when not empty
    ChannelCompression compression = ChannelCompression::PackBits;
    bool large = false;  // the large document format (PSB): version 2, wider lengths and counts
};

// Writes `doc` to `out` (replacing its content). Returns false with a short reason in `why`
// when the document cannot be written: an empty or oversized composite, a layer whose pixels
// are missing, or sections that pass the format's 32-bit lengths.
bool WriteDocument(const DocumentLayout& doc, std::vector<uint8_t>& out, std::string& why);

// PackBits encoding of n bytes appended to `out`; returns the number of bytes appended (at most
// n + (n + 127) / 128).
std::size_t PackBitsRow(const uint8_t* in, std::size_t n, std::vector<uint8_t>& out);

// The legacy (single-byte) form of a layer name: ASCII kept, dashes and ellipses spelled in
// ASCII, anything else '?', at most 255 bytes. The full name goes into a Unicode block beside it.
std::string AsciiLayerName(const std::string& utf8);

}  // namespace orv::psd
