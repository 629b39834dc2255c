#include "psd_layers.h"

#include "psd_layer_records.h"

#include <array>
#include <cstring>
#include <functional>
#include <optional>

namespace orv::psd {

using namespace layerdata;

namespace {

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
    // Some writers end the name with a NUL character of its own; it is no part of the name.
    while (!out.empty() && out.back() == '\0') out.pop_back();
    return out;
}

// Keys of additional layer information whose length takes 8 bytes in the large format.
bool HasLongLength(const uint8_t* key) {
    static constexpr const char* kLong[] = {"LMsk", "Lr16", "Lr32", "Layr", "Mt16", "Mt32", "Mtrn",
                                            "Alph", "FMsk", "lnk2", "FEid", "FXid", "PxSD"};
    for (const char* k : kLong)
        if (std::memcmp(key, k, 4) == 0) return true;
    return false;
}

bool IsKey(const uint8_t* key, const char* name) {
    return std::memcmp(key, name, 4) == 0;
}

// The additional layer information after the name: the Unicode name, the group markers, and
// whether the layer has effects or a vector mask.
void ReadAdditional(Cursor& extra, bool large, LayerPixels& l) {
    while (extra.left() >= 12) {
        const uint8_t* head = extra.Take(8);
        if (!head || (!IsKey(head, "8BIM") && !IsKey(head, "8B64"))) break;
        const uint8_t* key = head + 4;
        Cursor block = extra.Sub(extra.Length(large && HasLongLength(key)));
        if (!extra.ok()) break;
        if (IsKey(key, "luni")) {
            l.name = UnicodeName(block);
        } else if (IsKey(key, "lsct") || IsKey(key, "lsdk")) {
            const uint32_t type = block.U(4);
            if (type == 1 || type == 2) l.section = LayerSection::Group;
            if (type == 3) l.section = LayerSection::GroupEnd;
            const uint8_t* mode = block.left() >= 8 ? block.Take(8) : nullptr;
            if (mode && l.section == LayerSection::Group)
                l.blendMode = uint32_t{mode[4]} << 24 | uint32_t{mode[5]} << 16 |
                              uint32_t{mode[6]} << 8 | mode[7];
        } else if (IsKey(key, "lrFX") || IsKey(key, "lfx2") || IsKey(key, "lmfx")) {
            l.hasEffects = true;
        } else if (IsKey(key, "vmsk") || IsKey(key, "vsms")) {
            l.hasMask = true;
        }
    }
}

bool ReadRecord(Cursor& in, uint64_t maxArea, bool large, Record& r) {
    const int32_t top = in.I32(), left = in.I32(), bottom = in.I32(), right = in.I32();
    const uint32_t channels = in.U(2);
    if (!in.ok() || bottom < top || right < left || channels > 56) return false;
    const int64_t w = int64_t{right} - left, h = int64_t{bottom} - top;
    if (uint64_t(w) * uint64_t(h) > maxArea || w > 300000 || h > 300000) return false;
    r.layer.left = left;
    r.layer.top = top;
    r.layer.width = static_cast<int32_t>(w);
    r.layer.height = static_cast<int32_t>(h);
    for (uint32_t c = 0; c < channels; ++c) {
        const auto id = static_cast<int16_t>(in.U(2));
        const uint64_t length = in.Length(large);
        if (length > UINT32_MAX) return false;
        r.channels.emplace_back(id, static_cast<uint32_t>(length));
    }
    const uint8_t* blend = in.Take(8);
    if (!blend || std::memcmp(blend, "8BIM", 4) != 0) return false;
    r.layer.blendMode =
        uint32_t{blend[4]} << 24 | uint32_t{blend[5]} << 16 | uint32_t{blend[6]} << 8 | blend[7];
    r.layer.opacity = static_cast<uint8_t>(in.U(1));
    r.layer.clipping = in.U(1) != 0;
    r.layer.visible = (in.U(1) & 0x02) == 0;
    in.Skip(1);
    Cursor extra = in.Sub(in.U(4));
    const uint32_t maskLength = extra.U(4);
    r.layer.hasMask = maskLength > 0;
    extra.Skip(maskLength);  // layer mask
    extra.Skip(extra.U(4));  // blending ranges
    const uint32_t nameLength = extra.U(1);
    const uint8_t* name = extra.Take(nameLength);
    extra.Skip((4 - (nameLength + 1) % 4) % 4);
    if (!in.ok() || !extra.ok() || !name) return false;
    r.layer.name.assign(reinterpret_cast<const char*>(name), nameLength);
    ReadAdditional(extra, large, r.layer);
    return true;
}

bool ReadChannels(Cursor& in, bool large, Record& r) {
    LayerPixels& l = r.layer;
    const auto w = static_cast<std::size_t>(l.width), h = static_cast<std::size_t>(l.height);
    // The channels must be in the file, and PackBits fills at most 128 bytes from one: a
    // layer whose data cannot fill it is refused before its pixels are allocated.
    uint64_t stored = 0;
    for (const auto& channel : r.channels) stored += channel.second;
    if (stored > in.left() || (w * h > 0 && uint64_t(w) * h > stored * 128)) return false;
    l.bgra.assign(w * h * 4, 0);
    for (std::size_t i = 3; i < l.bgra.size(); i += 4) l.bgra[i] = 255;
    std::vector<uint8_t> row(w + kRowSlack);
    for (const auto& [id, length] : r.channels) {
        Cursor data = in.Sub(length);
        if (!data.ok()) return false;
        const int byteInPixel = id == -1 ? 3 : id == 0 ? 2 : id == 1 ? 1 : id == 2 ? 0 : -1;
        if (byteInPixel < 0 || w == 0 || h == 0) continue;
        const uint32_t compression = data.U(2);
        std::vector<uint32_t> counts;
        if (compression == 1)
            for (std::size_t y = 0; y < h; ++y) counts.push_back(data.U(large ? 4 : 2));
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

bool layerdata::ReadRecords(Cursor& info, uint64_t width, uint64_t height, bool large,
                            std::vector<Record>& records) {
    uint64_t claimed = 0;
    for (Record& r : records) {
        if (!ReadRecord(info, width * height, large, r)) return false;
        claimed += uint64_t(r.layer.width) * uint64_t(r.layer.height);
    }
    return claimed <= width * height * kMaxLayerAreas;
}

namespace {

// The layer info of a section, left at the layers' channel data, with every layer record in
// `records`; nullopt for a damaged section. A section without layers gives no records.
std::optional<Cursor> ReadLayerInfo(std::span<const uint8_t> bytes, bool large, uint64_t width,
                                    uint64_t height, std::vector<Record>& records) {
    records.clear();
    Cursor section(bytes);
    // A section too short for its layer info length holds no layers (only a mask's info).
    if (section.left() < (large ? 8u : 4u)) return section;
    Cursor info = section.Sub(section.Length(large));
    if (!info.ok()) return std::nullopt;
    if (info.left() == 0) return info;
    const auto count = static_cast<int16_t>(info.U(2));
    records.resize(static_cast<std::size_t>(count < 0 ? -count : count));
    if (!ReadRecords(info, width, height, large, records)) return std::nullopt;
    return info;
}

}  // namespace

bool VisitLayerSection(std::span<const uint8_t> bytes, bool large, uint64_t width, uint64_t height,
                       const std::function<void(std::vector<LayerPixels>&, std::size_t)>& visit,
                       const std::function<bool(const LayerPixels&)>& wanted) {
    std::vector<Record> records;
    std::optional<Cursor> at = ReadLayerInfo(bytes, large, width, height, records);
    if (!at) return false;
    if (records.empty()) return true;
    Cursor& info = *at;
    std::vector<LayerPixels> layers;
    for (Record& r : records) layers.push_back(r.layer);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (wanted && !wanted(records[i].layer)) {
            // Not wanted: its channel data is stepped over, its pixels never made.
            for (const auto& channel : records[i].channels) info.Skip(channel.second);
            if (!info.ok()) return false;
            visit(layers, i);
            continue;
        }
        if (!ReadChannels(info, large, records[i])) return false;
        layers[i].bgra = std::move(records[i].layer.bgra);
        visit(layers, i);
        // Freed, not only emptied: `= {}` would keep the capacity, and with it every layer.
        std::vector<uint8_t>().swap(layers[i].bgra);
    }
    return true;
}

bool ReadLayerSection(std::span<const uint8_t> bytes, bool large, uint64_t width, uint64_t height,
                      std::vector<LayerPixels>& layers,
                      const std::function<bool(const LayerPixels&)>& wanted) {
    layers.clear();
    std::vector<LayerPixels> kept;
    const bool read = VisitLayerSection(
        bytes, large, width, height,
        [&](std::vector<LayerPixels>& all, std::size_t i) { kept.push_back(std::move(all[i])); },
        wanted);
    if (read) layers = std::move(kept);
    return read;
}

bool ReadLayers(std::span<const uint8_t> file, std::vector<LayerPixels>& layers) {
    return ReadLayers(file, layers, {});
}

namespace {

// Where a document's layer section lies, found from its header; false for anything but a
// well-formed 8-bit RGB document.
bool FindLayerSection(std::span<const uint8_t> file, std::span<const uint8_t>& found, bool& large,
                      uint64_t& width, uint64_t& height) {
    Cursor in(file);
    const uint8_t* signature = in.Take(4);
    const uint32_t version = in.U(2);
    in.Skip(6);
    in.U(2);
    height = in.U(4);
    width = in.U(4);
    const uint32_t depth = in.U(2), mode = in.U(2);
    large = version == 2;
    const uint64_t maxSide = large ? 300000 : 30000;
    if (!in.ok() || std::memcmp(signature, "8BPS", 4) != 0 || (version != 1 && !large) ||
        depth != 8 || mode != 3 || width == 0 || height == 0 || width > maxSide || height > maxSide)
        return false;
    in.Skip(in.U(4));  // colour mode data
    in.Skip(in.U(4));  // image resources
    const uint64_t length = in.Length(large);
    const uint8_t* section = length <= in.left() ? in.Take(std::size_t(length)) : nullptr;
    if (!section) return false;
    found = {section, std::size_t(length)};
    return true;
}

}  // namespace

bool ReadLayers(std::span<const uint8_t> file, std::vector<LayerPixels>& layers,
                const std::function<bool(const LayerPixels&)>& wanted) {
    layers.clear();
    std::span<const uint8_t> section;
    bool large = false;
    uint64_t width = 0, height = 0;
    if (!FindLayerSection(file, section, large, width, height)) return false;
    return ReadLayerSection(section, large, width, height, layers, wanted);
}

bool VisitLayers(std::span<const uint8_t> file,
                 const std::function<void(std::vector<LayerPixels>&, std::size_t)>& visit,
                 const std::function<bool(std::size_t, const LayerPixels&)>& wanted) {
    std::span<const uint8_t> section;
    bool large = false;
    uint64_t width = 0, height = 0;
    if (!FindLayerSection(file, section, large, width, height)) return false;
    // The section asks about each layer once, bottom first.
    std::size_t next = 0;
    const auto ask = [&](const LayerPixels& layer) { return wanted(next++, layer); };
    return VisitLayerSection(section, large, width, height, visit,
                             wanted ? std::function<bool(const LayerPixels&)>(ask) : nullptr);
}

bool VisitDocumentRows(
    std::span<const uint8_t> file,
    const std::function<void(const std::vector<LayerPixels>&)>& begin,
    const std::function<void(std::size_t, int32_t, const uint8_t* const*)>& row) {
    std::span<const uint8_t> section;
    bool large = false;
    uint64_t width = 0, height = 0;
    if (!FindLayerSection(file, section, large, width, height)) return false;
    return VisitLayerRows(section, large, width, height, begin, row);
}

}  // namespace orv::psd
