#include "psd_layers.h"

#include <cstring>

namespace orv::psd {

namespace {

// Big-endian cursor over a span; every read is checked, and a failed read fails the cursor.
class Cursor {
  public:
    explicit Cursor(std::span<const uint8_t> b) : b_(b) {}
    bool ok() const { return ok_; }
    std::size_t pos() const { return pos_; }
    std::size_t left() const { return ok_ ? b_.size() - pos_ : 0; }
    const uint8_t* Take(std::size_t n) {
        if (!ok_ || n > b_.size() - pos_) {
            ok_ = false;
            return nullptr;
        }
        const uint8_t* p = b_.data() + pos_;
        pos_ += n;
        return p;
    }
    void Skip(std::size_t n) { Take(n); }
    uint32_t U(int bytes) {
        const uint8_t* p = Take(std::size_t(bytes));
        uint32_t v = 0;
        for (int i = 0; p && i < bytes; ++i) v = v << 8 | p[i];
        return v;
    }
    int32_t I32() { return static_cast<int32_t>(U(4)); }
    // A sub-cursor over the next n bytes, which this one skips.
    Cursor Sub(std::size_t n) {
        const uint8_t* p = Take(n);
        Cursor c(p ? std::span<const uint8_t>(p, n) : std::span<const uint8_t>());
        c.ok_ = p != nullptr;
        return c;
    }

  private:
    std::span<const uint8_t> b_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// Unpacks one PackBits row of exactly `n` bytes; false when the data runs short or over.
bool UnpackRow(const uint8_t* in, std::size_t inSize, uint8_t* out, std::size_t n) {
    std::size_t i = 0, o = 0;
    while (i < inSize && o < n) {
        const unsigned h = in[i++];
        if (h == 128) continue;
        if (h < 128) {
            const std::size_t len = h + 1;
            if (len > inSize - i || len > n - o) return false;
            std::memcpy(out + o, in + i, len);
            i += len;
            o += len;
        } else {
            const std::size_t len = 257 - h;
            if (i == inSize || len > n - o) return false;
            std::memset(out + o, in[i++], len);
            o += len;
        }
    }
    return o == n;
}

void AppendUtf8(std::string& s, char32_t cp) {
    if (cp < 0x80) {
        s.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        s.push_back(static_cast<char>(0xC0 | cp >> 6));
        s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        s.push_back(static_cast<char>(0xE0 | cp >> 12));
        s.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        s.push_back(static_cast<char>(0xF0 | cp >> 18));
        s.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        s.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string UnicodeName(Cursor c) {
    const uint32_t count = c.U(4);
    if (!c.ok() || count > c.left() / 2) return {};
    std::string out;
    for (uint32_t k = 0; k < count; ++k) {
        char32_t u = c.U(2);
        if (u >= 0xD800 && u < 0xDC00 && k + 1 < count) {
            const char32_t low = c.U(2);
            ++k;
            u = low >= 0xDC00 && low < 0xE000 ? 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)
                                              : 0xFFFD;
        } else if (u >= 0xD800 && u < 0xE000) {
            u = 0xFFFD;
        }
        AppendUtf8(out, u);
    }
    return out;
}

struct Record {
    LayerPixels layer;
    std::vector<std::pair<int16_t, uint32_t>> channels;  // id, length of its data
};

bool ReadRecord(Cursor& in, uint64_t maxArea, Record& r) {
    const int32_t top = in.I32(), left = in.I32(), bottom = in.I32(), right = in.I32();
    const uint32_t channels = in.U(2);
    if (!in.ok() || bottom < top || right < left || channels > 56) return false;
    const int64_t w = int64_t{right} - left, h = int64_t{bottom} - top;
    if (uint64_t(w) * uint64_t(h) > maxArea || w > 30000 || h > 30000) return false;
    r.layer.left = left;
    r.layer.top = top;
    r.layer.width = static_cast<int32_t>(w);
    r.layer.height = static_cast<int32_t>(h);
    for (uint32_t c = 0; c < channels; ++c) {
        const auto id = static_cast<int16_t>(in.U(2));
        r.channels.emplace_back(id, in.U(4));
    }
    const uint8_t* blend = in.Take(8);
    if (!blend || std::memcmp(blend, "8BIM", 4) != 0) return false;
    r.layer.opacity = static_cast<uint8_t>(in.U(1));
    in.Skip(1);
    r.layer.visible = (in.U(1) & 0x02) == 0;
    in.Skip(1);
    Cursor extra = in.Sub(in.U(4));
    extra.Skip(extra.U(4));  // layer mask
    extra.Skip(extra.U(4));  // blending ranges
    const uint32_t nameLength = extra.U(1);
    const uint8_t* name = extra.Take(nameLength);
    extra.Skip((4 - (nameLength + 1) % 4) % 4);
    if (!in.ok() || !extra.ok() || !name) return false;
    r.layer.name.assign(reinterpret_cast<const char*>(name), nameLength);
    while (extra.left() >= 12) {
        const uint8_t* head = extra.Take(8);
        Cursor block = extra.Sub(extra.U(4));
        if (!extra.ok()) break;
        if (std::memcmp(head + 4, "luni", 4) == 0) {
            r.layer.name = UnicodeName(block);
            break;
        }
    }
    return true;
}

bool ReadChannels(Cursor& in, Record& r) {
    LayerPixels& l = r.layer;
    const auto w = static_cast<std::size_t>(l.width), h = static_cast<std::size_t>(l.height);
    // The channels must be in the file, and PackBits fills at most 128 bytes from one: a
    // layer whose data cannot fill it is refused before its pixels are allocated.
    uint64_t stored = 0;
    for (const auto& channel : r.channels) stored += channel.second;
    if (stored > in.left() || (w * h > 0 && uint64_t(w) * h > stored * 128)) return false;
    l.bgra.assign(w * h * 4, 0);
    for (std::size_t i = 3; i < l.bgra.size(); i += 4) l.bgra[i] = 255;
    std::vector<uint8_t> row(w);
    for (const auto& [id, length] : r.channels) {
        Cursor data = in.Sub(length);
        if (!data.ok()) return false;
        const int byteInPixel = id == -1 ? 3 : id == 0 ? 2 : id == 1 ? 1 : id == 2 ? 0 : -1;
        if (byteInPixel < 0 || w == 0 || h == 0) continue;
        const uint32_t compression = data.U(2);
        std::vector<uint32_t> counts;
        if (compression == 1)
            for (std::size_t y = 0; y < h; ++y) counts.push_back(data.U(2));
        else if (compression != 0)
            return false;
        for (std::size_t y = 0; y < h; ++y) {
            if (compression == 0) {
                const uint8_t* raw = data.Take(w);
                if (!raw) return false;
                std::memcpy(row.data(), raw, w);
            } else {
                const uint8_t* packed = data.Take(counts[y]);
                if (!packed || !UnpackRow(packed, counts[y], row.data(), w)) return false;
            }
            uint8_t* out = l.bgra.data() + y * w * 4 + byteInPixel;
            for (std::size_t x = 0; x < w; ++x) out[x * 4] = row[x];
        }
    }
    return true;
}

}  // namespace

bool ReadLayers(std::span<const uint8_t> file, std::vector<LayerPixels>& layers) {
    return ReadLayers(file, layers, {});
}

bool ReadLayers(std::span<const uint8_t> file, std::vector<LayerPixels>& layers,
                const std::function<bool(const LayerPixels&)>& wanted) {
    layers.clear();
    Cursor in(file);
    const uint8_t* signature = in.Take(4);
    const uint32_t version = in.U(2);
    in.Skip(6);
    in.U(2);
    const uint64_t height = in.U(4), width = in.U(4);
    const uint32_t depth = in.U(2), mode = in.U(2);
    if (!in.ok() || std::memcmp(signature, "8BPS", 4) != 0 || version != 1 || depth != 8 ||
        mode != 3 || width == 0 || height == 0 || width > 30000 || height > 30000)
        return false;
    in.Skip(in.U(4));  // colour mode data
    in.Skip(in.U(4));  // image resources
    Cursor section = in.Sub(in.U(4));
    if (!section.ok()) return false;
    if (section.left() == 0) return true;
    Cursor info = section.Sub(section.U(4));
    if (!info.ok()) return false;
    if (info.left() == 0) return true;
    const auto count = static_cast<int16_t>(info.U(2));
    const int n = count < 0 ? -count : count;
    std::vector<Record> records(static_cast<std::size_t>(n));
    uint64_t claimed = 0;
    for (Record& r : records) {
        if (!ReadRecord(info, width * height, r)) return false;
        claimed += uint64_t(r.layer.width) * uint64_t(r.layer.height);
    }
    if (claimed > width * height * kMaxLayerAreas) return false;
    for (Record& r : records) {
        if (wanted && !wanted(r.layer)) {
            // Not wanted: its channel data is stepped over, its pixels never made.
            for (const auto& channel : r.channels) info.Skip(channel.second);
            if (!info.ok()) {
                layers.clear();
                return false;
            }
            layers.push_back(std::move(r.layer));
            continue;
        }
        if (!ReadChannels(info, r)) {
            layers.clear();
            return false;
        }
        layers.push_back(std::move(r.layer));
    }
    return true;
}

}  // namespace orv::psd
