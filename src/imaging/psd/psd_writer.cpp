#include "psd_writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace orv::psd {

namespace {

// The largest side the format allows, as the reader has it.
constexpr int32_t kLargestSide = 30000;
// Order of the channels in the file and where each lies in a pixel (blue, green, red, alpha).
constexpr std::array<int16_t, 4> kLayerChannelIds{-1, 0, 1, 2};
constexpr std::array<int, 4> kLayerChannelBytes{3, 2, 1, 0};
constexpr std::array<int, 3> kCompositeChannelBytes{2, 1, 0};

class Out {
  public:
    explicit Out(std::vector<uint8_t>& bytes) : b_(bytes) {}
    void U8(uint8_t v) { b_.push_back(v); }
    void U16(uint32_t v) {
        b_.push_back(static_cast<uint8_t>(v >> 8));
        b_.push_back(static_cast<uint8_t>(v));
    }
    void U32(uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) b_.push_back(static_cast<uint8_t>(v >> shift));
    }
    void Bytes(const void* p, std::size_t n) {
        const auto* c = static_cast<const uint8_t*>(p);
        b_.insert(b_.end(), c, c + n);
    }
    void Text(const char* s) { Bytes(s, std::strlen(s)); }
    void Zeros(std::size_t n) { b_.insert(b_.end(), n, 0); }
    std::size_t Size() const { return b_.size(); }
    // Reserves a length of `width` bytes (4, or 8 for the large format's wide lengths) at the
    // current end; Close fills it with what was written since.
    std::size_t OpenLength(std::size_t width = 4) {
        Zeros(width);
        return b_.size();
    }
    bool Close(std::size_t at, std::size_t width = 4) {
        const uint64_t length = b_.size() - at;
        if (width == 4 && length > std::numeric_limits<uint32_t>::max()) return false;
        for (std::size_t i = 0; i < width; ++i)
            b_[at - width + i] = static_cast<uint8_t>(length >> (8 * (width - 1 - i)));
        return true;
    }
    std::vector<uint8_t>& bytes() { return b_; }

  private:
    std::vector<uint8_t>& b_;
};

bool ViewUsable(const PixelView& v) {
    if (v.width < 0 || v.height < 0) return false;
    if (v.width == 0 || v.height == 0) return true;
    return v.data != nullptr && v.stride >= std::size_t(v.width) * 4;
}

// One channel of rows y0..y1 as stored: raw samples, or PackBits rows behind their byte counts
// (the counts of every row go first). `counts` receives the byte counts when packing.
void EncodePlane(const PixelView& v, int byteInPixel, ChannelCompression compression,
                 std::vector<uint8_t>& row, std::vector<uint8_t>& counts,
                 std::vector<uint8_t>& data, bool large) {
    const auto width = static_cast<std::size_t>(v.width);
    row.resize(width);
    for (int32_t y = 0; y < v.height; ++y) {
        const uint8_t* src = v.data + std::size_t(y) * v.stride + byteInPixel;
        for (std::size_t x = 0; x < width; ++x) row[x] = src[x * 4];
        if (compression == ChannelCompression::Raw) {
            data.insert(data.end(), row.begin(), row.end());
            continue;
        }
        const std::size_t n = PackBitsRow(row.data(), width, data);
        if (large) counts.insert(counts.end(), {0, 0});  // the large format's 4-byte counts
        counts.push_back(static_cast<uint8_t>(n >> 8));
        counts.push_back(static_cast<uint8_t>(n));
    }
}

// A layer channel: its compression, then its data.
void EncodeLayerChannel(const PixelView& v, int byteInPixel, ChannelCompression compression,
                        std::vector<uint8_t>& row, std::vector<uint8_t>& out, bool large) {
    if (v.width == 0 || v.height == 0) compression = ChannelCompression::Raw;
    std::vector<uint8_t> counts, data;
    EncodePlane(v, byteInPixel, compression, row, counts, data, large);
    out.clear();
    Out o(out);
    o.U16(static_cast<uint16_t>(compression));
    o.Bytes(counts.data(), counts.size());
    o.Bytes(data.data(), data.size());
}

// UTF-8 to UTF-16; malformed sequences become U+FFFD.
std::u16string Utf16(const std::string& s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<uint8_t>(s[i]);
        const int extra = c < 0x80         ? 0
                          : (c >> 5) == 6  ? 1
                          : (c >> 4) == 14 ? 2
                          : (c >> 3) == 30 ? 3
                                           : -1;
        char32_t cp = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
        bool ok = extra >= 0 && i + std::size_t(extra) < s.size() + (extra == 0 ? 1 : 0);
        for (int k = 1; ok && k <= extra; ++k) {
            const auto cc = static_cast<uint8_t>(s[i + std::size_t(k)]);
            ok = (cc >> 6) == 2;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        i += std::size_t(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

// The extra data of a layer record: no mask, no blending ranges, the name as a Pascal string
// padded to 4 bytes, and the Unicode name block.
void WriteLayerExtra(Out& o, const LayerSpec& layer) {
    const std::size_t extra = o.OpenLength();
    o.U32(0);  // layer mask data
    o.U32(0);  // blending ranges
    const std::string ascii = AsciiLayerName(layer.name);
    o.U8(static_cast<uint8_t>(ascii.size()));
    o.Bytes(ascii.data(), ascii.size());
    o.Zeros((4 - (ascii.size() + 1) % 4) % 4);
    std::u16string wide = Utf16(layer.name);
    if (wide.size() > 0xFFFF) wide.resize(0xFFFF);
    o.Text("8BIMluni");
    const std::size_t luni = o.OpenLength();
    o.U32(static_cast<uint32_t>(wide.size()));
    for (char16_t c : wide) o.U16(c);
    if (wide.size() % 2) o.U16(0);  // the block stays a multiple of 4 bytes long
    o.Close(luni);
    o.Close(extra);
}

// The part of a layer that lies on the document: what other programs show of it, and never
// more pixels than the document has. A layer wholly outside becomes an empty one.
LayerSpec CropToDocument(const LayerSpec& layer, int32_t width, int32_t height) {
    LayerSpec c = layer;
    const PixelView& v = layer.pixels;
    const int64_t x0 = std::max<int64_t>(layer.left, 0), y0 = std::max<int64_t>(layer.top, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{layer.left} + v.width, width);
    const int64_t y1 = std::min<int64_t>(int64_t{layer.top} + v.height, height);
    if (x1 <= x0 || y1 <= y0) {
        c.left = static_cast<int32_t>(std::min<int64_t>(x0, width));
        c.top = static_cast<int32_t>(std::min<int64_t>(y0, height));
        c.pixels = {};
        return c;
    }
    c.left = static_cast<int32_t>(x0);
    c.top = static_cast<int32_t>(y0);
    c.pixels.width = static_cast<int32_t>(x1 - x0);
    c.pixels.height = static_cast<int32_t>(y1 - y0);
    c.pixels.data =
        v.data + std::size_t(y0 - layer.top) * v.stride + std::size_t(x0 - layer.left) * 4;
    return c;
}

bool WriteLayers(Out& o, const DocumentLayout& doc, std::string& why) {
    const std::size_t wide = doc.large ? 8 : 4;
    const std::size_t section = o.OpenLength(wide);
    if (!doc.layers.empty()) {
        const std::size_t info = o.OpenLength(wide);
        o.U16(static_cast<uint16_t>(doc.layers.size()));
        std::vector<std::vector<uint8_t>> channels(doc.layers.size() * 4);
        std::vector<uint8_t> row;
        for (std::size_t l = 0; l < doc.layers.size(); ++l) {
            const LayerSpec layer =
                CropToDocument(doc.layers[l], doc.composite.width, doc.composite.height);
            const PixelView& v = layer.pixels;
            for (std::size_t c = 0; c < 4; ++c)
                EncodeLayerChannel(v, kLayerChannelBytes[c], doc.compression, row,
                                   channels[l * 4 + c], doc.large);
            o.U32(static_cast<uint32_t>(layer.top));
            o.U32(static_cast<uint32_t>(layer.left));
            o.U32(static_cast<uint32_t>(layer.top + v.height));
            o.U32(static_cast<uint32_t>(layer.left + v.width));
            o.U16(4);
            for (std::size_t c = 0; c < 4; ++c) {
                if (channels[l * 4 + c].size() > std::numeric_limits<uint32_t>::max()) {
                    why = "layer too large";
                    return false;
                }
                o.U16(static_cast<uint16_t>(kLayerChannelIds[c]));
                if (doc.large) o.U32(0);  // the high half of the large format's lengths
                o.U32(static_cast<uint32_t>(channels[l * 4 + c].size()));
            }
            o.Text("8BIMnorm");
            o.U8(layer.opacity);
            o.U8(0);                            // base clipping
            o.U8(layer.visible ? 0x00 : 0x02);  // flags: bit 1 hides the layer
            o.U8(0);                            // filler
            WriteLayerExtra(o, layer);
        }
        for (const auto& data : channels) o.Bytes(data.data(), data.size());
        if ((o.Size() - info) % 2) o.U8(0);
        if (!o.Close(info, wide)) {
            why = "layers too large";
            return false;
        }
    }
    if (doc.layers.empty() && doc.large) o.Zeros(8);  // an empty layer info, wide as the rest
    o.U32(0);                                         // global layer mask info
    if (!o.Close(section, wide)) {
        why = "layers too large";
        return false;
    }
    return true;
}

}  // namespace

std::size_t PackBitsRow(const uint8_t* in, std::size_t n, std::vector<uint8_t>& out) {
    const std::size_t start = out.size();
    out.resize(start + n + (n + 127) / 128);
    uint8_t* o = out.data() + start;
    std::size_t i = 0;
    while (i < n) {
        std::size_t run = 1;
        while (i + run < n && run < 128 && in[i + run] == in[i]) ++run;
        if (run >= 3) {
            *o++ = static_cast<uint8_t>(257 - run);
            *o++ = in[i];
            i += run;
            continue;
        }
        // A literal stretch ends where three equal bytes begin, or after 128 bytes.
        std::size_t j = i + 1;
        while (j < n && j - i < 128 && !(j + 2 < n && in[j] == in[j + 1] && in[j] == in[j + 2]))
            ++j;
        *o++ = static_cast<uint8_t>(j - i - 1);
        std::memcpy(o, in + i, j - i);
        o += j - i;
        i = j;
    }
    const auto written = static_cast<std::size_t>(o - (out.data() + start));
    out.resize(start + written);
    return written;
}

std::string AsciiLayerName(const std::string& utf8) {
    std::string out;
    for (char16_t c : Utf16(utf8)) {
        if (c >= 0x20 && c < 0x7F)
            out.push_back(static_cast<char>(c));
        else if (c == u'\u2013' || c == u'\u2014' || c == u'\u2212')
            out.push_back('-');
        else if (c == u'\u2026')
            out += "...";
        else if (c < 0xDC00 || c > 0xDFFF)  // a surrogate pair gives one '?'
            out.push_back('?');
    }
    if (out.size() > 255) out.resize(255);
    return out;
}

bool WriteDocument(const DocumentLayout& doc, std::vector<uint8_t>& out, std::string& why) {
    out.clear();
    const PixelView& c = doc.composite;
    if (c.width <= 0 || c.height <= 0 || c.width > kLargestSide || c.height > kLargestSide ||
        !ViewUsable(c)) {
        why = "the picture is empty or larger than the format allows";
        return false;
    }
    for (const LayerSpec& layer : doc.layers) {
        const PixelView& v = layer.pixels;
        if (!ViewUsable(v) || v.width > kLargestSide || v.height > kLargestSide ||
            layer.left < -kLargestSide || layer.left > kLargestSide || layer.top < -kLargestSide ||
            layer.top > kLargestSide) {
            why = "a layer's pixels are missing or out of range";
            return false;
        }
    }
    if (doc.layers.size() > 0x7FFF) {
        why = "too many layers";
        return false;
    }
    const std::size_t plane = std::size_t(c.width) * std::size_t(c.height);
    out.reserve(plane * 3 / 2 + 4096);
    Out o(out);
    o.Text("8BPS");
    o.U16(doc.large ? 2 : 1);
    o.Zeros(6);
    o.U16(3);
    o.U32(static_cast<uint32_t>(c.height));
    o.U32(static_cast<uint32_t>(c.width));
    o.U16(8);
    o.U16(3);  // RGB
    o.U32(0);  // no colour mode data

    const std::size_t resources = o.OpenLength();
    if (!doc.privateResource.empty()) {
        if (doc.privateResource.size() > std::numeric_limits<uint32_t>::max() - 64) {
            why = "the annotation data is too large";
            return false;
        }
        o.Text("8BIM");
        o.U16(kPrivateResourceId);
        o.U16(0);  // empty name, padded to 2 bytes
        o.U32(static_cast<uint32_t>(doc.privateResource.size()));
        o.Bytes(doc.privateResource.data(), doc.privateResource.size());
        if (doc.privateResource.size() % 2) o.U8(0);
    }
    o.Close(resources);

    if (!WriteLayers(o, doc, why)) return false;

    o.U16(static_cast<uint16_t>(doc.compression));
    std::vector<uint8_t> row, counts, data;
    data.reserve(plane);
    for (int byteInPixel : kCompositeChannelBytes)
        EncodePlane(c, byteInPixel, doc.compression, row, counts, data, doc.large);
    o.Bytes(counts.data(), counts.size());
    o.Bytes(data.data(), data.size());
    return true;
}

}  // namespace orv::psd
