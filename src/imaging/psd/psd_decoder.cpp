#include "psd_decoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "psd_compose.h"
#include "psd_convert.h"
#include "psd_packbits.h"

namespace orv::psd {

// Big-endian reader over a byte source; every read is checked against the file's end.
class ByteReader {
  public:
    explicit ByteReader(ByteSource& source) : source_(source), size_(source.size()) {}

    uint64_t position() const { return pos_; }
    uint64_t remaining() const { return size_ - pos_; }

    // Moves to an offset inside the file (also back).
    bool SeekTo(uint64_t offset) {
        if (offset > size_) return false;
        pos_ = offset;
        return true;
    }
    bool Skip(uint64_t n) {
        if (n > remaining()) return false;
        pos_ += n;
        return true;
    }
    // The next n bytes, or nullptr when the file ends before them.
    const uint8_t* Take(std::size_t n) {
        if (n > remaining()) return nullptr;
        const uint8_t* p = source_.Fetch(pos_, n);
        if (p) pos_ += n;
        return p;
    }
    bool U16(uint16_t& v) {
        const uint8_t* p = Take(2);
        if (!p) return false;
        v = static_cast<uint16_t>(p[0] << 8 | p[1]);
        return true;
    }
    // A 32-bit number whose top bit must be clear.
    bool I32(int32_t& v) {
        if (remaining() < 4) return false;
        const uint8_t* p = source_.Fetch(pos_, 4);
        if (!p) return false;
        const uint32_t u = uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
        if (u > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) return false;
        v = static_cast<int32_t>(u);
        pos_ += 4;
        return true;
    }

  private:
    ByteSource& source_;
    uint64_t size_;
    uint64_t pos_ = 0;
};

namespace {

// Planes a conversion reads, and the depths it takes.
struct ModeInfo {
    ConversionKind kind;
    uint16_t planesUsed;
};

bool LookUpMode(uint16_t mode, ModeInfo& info) {
    switch (mode) {
        case 0:
            info = {ConversionKind::Bitmap, 1};
            return true;
        case 1:
            info = {ConversionKind::Grayscale, 1};
            return true;
        case 2:
            info = {ConversionKind::Indexed, 1};
            return true;
        case 3:
            info = {ConversionKind::Rgb, 3};
            return true;
        case 4:
            info = {ConversionKind::Cmyk, 4};
            return true;
        case 8:  // duotone: its composite is stored as grayscale
            info = {ConversionKind::Grayscale, 1};
            return true;
        case 9:
            info = {ConversionKind::Lab, 3};
            return true;
        default:
            return false;  // multichannel and unknown modes are refused
    }
}

bool DepthFits(uint16_t mode, uint16_t depth) {
    if (mode == 0) return depth == 1;
    if (mode == 2) return depth == 8;
    return depth == 8 || depth == 16;
}

}  // namespace

int32_t Decoder::Scanline() const {
    const int64_t v = int64_t{header_.width} * 4;
    return v <= std::numeric_limits<int32_t>::max() ? static_cast<int32_t>(v) : 0;
}

int32_t Decoder::SizeImage() const {
    const int64_t pixels = int64_t{header_.width} * header_.height;  // both below 2^31
    return pixels <= std::numeric_limits<int32_t>::max() / 4 ? static_cast<int32_t>(pixels * 4) : 0;
}

bool Decoder::ReadHeader(ByteReader& in) {
    const uint8_t* signature = in.Take(4);
    if (!signature) return false;
    std::memcpy(header_.signature.data(), signature, 4);
    if (!in.U16(header_.version) || !in.Skip(6) || !in.U16(header_.channels)) return false;
    if (!in.I32(header_.height) || !in.I32(header_.width)) return false;
    return in.U16(header_.depth) && in.U16(header_.colourMode);
}

bool Decoder::ReadSections(ByteReader& in) {
    if (!in.I32(header_.colourModeDataLength)) return false;
    const auto lc = static_cast<std::size_t>(header_.colourModeDataLength);
    if (header_.colourMode == 2) {
        // A colour table longer than 256 entries is outside what the reader takes.
        if (lc < 3 || lc > kRawPaletteSize) return false;
        const uint8_t* table = in.Take(lc);
        if (!table) return false;
        std::memcpy(rawPalette_.data(), table, lc);
    } else if (!in.Skip(lc)) {
        return false;
    }
    int32_t resources = 0;
    if (!in.I32(resources)) return false;
    const uint64_t resourcesEnd = in.position() + static_cast<uint32_t>(resources);
    if (in.remaining() < static_cast<uint32_t>(resources)) return false;
    ReadResources(in, resourcesEnd);  // may stop anywhere in the section, or past it
    if (!in.SeekTo(resourcesEnd) || !ReadLayerSectionLength(in)) return false;
    // A file that ends with its layers has no merged picture: it is composed from them.
    if (in.remaining() <= 2 && hasLayers_) {
        composeOnly_ = true;
        header_.compression = 0;
        return true;
    }
    return in.U16(header_.compression);
}

// Steps over the layer and mask information, noting where it lies and whether it holds any
// layer record.
bool Decoder::ReadLayerSectionLength(ByteReader& in) {
    const std::size_t width = large_ ? 8 : 4;
    const uint8_t* p = in.Take(width);
    if (!p) return false;
    uint64_t length = 0;
    for (std::size_t i = 0; i < width; ++i) length = length << 8 | p[i];
    if (length > in.remaining()) return false;
    layersAt_ = in.position();
    layersLength_ = length;
    if (length >= width + 2) {
        const uint8_t* info = in.Take(width + 2);
        if (!info) return false;
        uint64_t infoLength = 0;
        for (std::size_t i = 0; i < width; ++i) infoLength = infoLength << 8 | info[i];
        hasLayers_ = infoLength >= 2 && (info[width] | info[width + 1]) != 0;
    }
    return in.SeekTo(layersAt_ + length);
}

// Walks the resource blocks up to `end` and keeps the data of ours. A block that does not fit
// the section ends the walk; the section itself is still skipped as a whole by the caller.
void Decoder::ReadResources(ByteReader& in, uint64_t end) {
    while (end - in.position() >= 12) {
        const uint8_t* head = in.Take(6);
        if (!head || std::memcmp(head, "8BIM", 4) != 0) return;
        const auto id = static_cast<uint16_t>(head[4] << 8 | head[5]);
        const uint8_t* nameLength = in.Take(1);
        if (!nameLength) return;
        const uint64_t namePad = (uint64_t{*nameLength} + 1) % 2;  // name field padded to even
        int32_t size = 0;
        if (!in.Skip(*nameLength + namePad) || in.position() + 4 > end || !in.I32(size)) return;
        uint64_t padded = static_cast<uint64_t>(size) + static_cast<uint64_t>(size) % 2;
        if (static_cast<uint64_t>(size) > end - in.position()) return;
        if (id == kPrivateResourceId) {
            const auto n = static_cast<std::size_t>(size);
            const uint8_t* data = n ? in.Take(n) : nullptr;
            if (n && !data) return;
            if (data) privateResource_.assign(data, data + n);
            // Some writers count the pad byte of an odd-length block in its length: NUL
            // bytes at the end are never part of what we wrote.
            while (!privateResource_.empty() && privateResource_.back() == 0)
                privateResource_.pop_back();
            const uint64_t pad = padded - static_cast<uint64_t>(size);
            if (pad > end - in.position()) return;
            in.Skip(pad);
            continue;
        }
        if (id == kVersionInfoId && size >= 5) {
            const uint8_t* data = in.Take(5);
            if (!data) return;
            realMerged_ = data[4] != 0;  // after a 4-byte version: "has real merged data"
            padded -= 5;
        }
        if (padded > end - in.position()) return;
        in.Skip(padded);
    }
}

bool Decoder::SelectConversion() {
    const Header& h = header_;
    const int32_t formatSide = large_ ? kMaxLargeSide : kMaxSide;
    if (h.width <= 0 || h.height <= 0 || h.width > formatSide || h.height > formatSide)
        return false;
    if (h.width > maxSide_ || h.height > maxSide_ || int64_t{h.width} * h.height > maxPixels_) {
        tooLarge_ = true;
        return false;
    }
    if (SizeImage() == 0) return false;  // width * height * 4 beyond the 32-bit range
    ModeInfo info{};
    if (!LookUpMode(h.colourMode, info) || !DepthFits(h.colourMode, h.depth)) return false;
    if (h.compression > 1) return false;  // the ZIP methods are not unpacked
    // Layers are composed for 8-bit RGB documents only.
    if (composeOnly_ && (h.colourMode != 3 || h.depth != 8)) return false;
    kind_ = info.kind;
    bytesPerSample_ = h.depth / 8;
    // The format stores 1 to 56 channels; the conversion must find all of its planes.
    return h.channels >= info.planesUsed && h.channels <= 56;
}

bool Decoder::PreparePlanes(ByteReader& in, ByteSource& file) {
    const auto width = static_cast<uint64_t>(header_.width);
    const auto height = static_cast<uint64_t>(header_.height);
    const uint64_t rowBytes =
        kind_ == ConversionKind::Bitmap ? (width + 7) / 8 : width * bytesPerSample_;
    planeSize_ = static_cast<std::size_t>(rowBytes * height);
    // Every channel the header declares must be present, so a cut file is refused.
    const uint64_t needed = planeSize_ * uint64_t{header_.channels};
    if (composeOnly_) return true;

    if (header_.compression == 0) {
        // Only the planes are fetched; bytes after them play no part.
        if (in.remaining() < needed) return false;
        if (!file.InMemory()) {
            // Read a band of rows at a time while converting, never the planes whole.
            rawAt_ = in.position();
            source_ = &file;
            rawInSource_ = true;
            return true;
        }
        planes_ = in.Take(static_cast<std::size_t>(needed));
        return planes_ != nullptr;
    }
    // The per-row byte counts go first; PackBits expands a byte to at most 128, so refuse
    // before reading or allocating what the data cannot fill.
    const uint64_t countsAt = in.position();
    if (!in.Skip(uint64_t{header_.channels} * height * (large_ ? 4 : 2))) return false;
    if (in.remaining() < (needed + 127) / 128) return false;
    return PreparePacked(file, countsAt, in.position(), needed);
}

uint16_t Decoder::PlanesUsed() const {
    ModeInfo info{};
    LookUpMode(header_.colourMode, info);
    return info.planesUsed;
}

void Decoder::BuildPalette() {
    const std::size_t n = std::min<std::size_t>(header_.colourModeDataLength / 3, 256);
    for (std::size_t i = 0; i < n; ++i)
        palette_[i] = {rawPalette_[i], rawPalette_[n + i], rawPalette_[2 * n + i]};
    // Values past a short table are black, never colours an earlier file left behind.
    std::fill(palette_.begin() + n, palette_.end(), std::array<uint8_t, 3>{0, 0, 0});
}

bool Decoder::Parse(ByteSource& file) {
    ready_ = false;
    tooLarge_ = false;
    planes_ = nullptr;
    source_ = nullptr;
    rawInSource_ = false;
    privateResource_.clear();
    large_ = false;
    layersAt_ = layersLength_ = 0;
    hasLayers_ = false;
    realMerged_ = true;
    composeOnly_ = composed_ = approximated_ = triedComposing_ = false;
    file_ = &file;
    ByteReader in(file);
    if (!ReadHeader(in)) return false;
    large_ = header_.version == 2;
    if (!ReadSections(in) || !SelectConversion()) return false;
    if (!PreparePlanes(in, file)) return false;
    if (kind_ == ConversionKind::Indexed) BuildPalette();
    ready_ = true;
    return true;
}

bool Decoder::Convert(uint8_t* out) {
    if (!ready_) return false;
    const PlaneSet set{planes_, planeSize_, bytesPerSample_,
                       static_cast<std::size_t>(header_.width),
                       static_cast<std::size_t>(header_.height)};
    bool converted = true;
    if (composeOnly_)
        converted = ComposeFromLayers(out);
    else if (rawInSource_)
        converted = ConvertRawRows(out);
    else if (source_ != nullptr)
        converted = ConvertPacked(out);
    else
        ConvertPlanes(set, out);
    // A merged picture the file says is not real, or one that is black throughout while
    // there are layers (what writers leave when they store none), is composed from the
    // layers instead. When nothing composes, a picture that is not real is no picture, and a
    // black one stays as the file has it.
    const std::size_t count = std::size_t(header_.width) * std::size_t(header_.height);
    auto* px = reinterpret_cast<uint32_t*>(out);
    if (converted && !composeOnly_ && hasLayers_ &&
        (!realMerged_ ||
         std::all_of(px, px + count, [](uint32_t p) { return (p & 0x00FFFFFFu) == 0; }))) {
        const bool black = realMerged_;
        converted = header_.colourMode == 3 && header_.depth == 8 && ComposeFromLayers(out);
        if (!converted && black) {
            std::memset(out, 0, count * 4);
            for (std::size_t i = 0; i < count; ++i) out[i * 4 + 3] = 255;
            converted = true;
        }
    }
    ready_ = false;
    planes_ = nullptr;
    source_ = nullptr;
    rawInSource_ = false;
    rowStarts_ = {};
    planeStarts_ = {};
    file_ = nullptr;
    return converted;
}

bool Decoder::ComposeFromLayers(uint8_t* out) {
    triedComposing_ = true;
    if (file_ == nullptr) return false;
    // Read from the file a piece of each channel at a time, never the section whole.
    composed_ = ComposeSection(*file_, layersAt_, layersLength_, large_, header_.width,
                               header_.height, out, approximated_);
    return composed_;
}

bool Decoder::ConvertRawRows(uint8_t* out) {
    const auto height = static_cast<std::size_t>(header_.height);
    const std::size_t rowBytes = planeSize_ / height;
    const uint16_t planes = PlanesUsed();
    // Bands of rows of about a piece per plane; each plane's band is one read.
    const std::size_t bandRows = std::clamp<std::size_t>(kReadPiece / rowBytes, 1, height);
    std::vector<uint8_t> band(bandRows * rowBytes * planes);
    const std::size_t outRow = static_cast<std::size_t>(header_.width) * 4;
    for (std::size_t y = 0; y < height; y += bandRows) {
        const std::size_t rows = std::min(bandRows, height - y);
        for (std::size_t p = 0; p < planes; ++p) {
            uint8_t* dst = band.data() + p * rows * rowBytes;
            // A read that fails (a file cut or a mount gone while it is read) ends the load:
            // a picture with a band missing is no picture.
            if (!source_->ReadAt(rawAt_ + p * uint64_t{planeSize_} + y * uint64_t{rowBytes}, dst,
                                 rows * rowBytes))
                return false;
        }
        const PlaneSet set{band.data(), rows * rowBytes, bytesPerSample_,
                           static_cast<std::size_t>(header_.width), rows};
        ConvertPlanes(set, out + y * outRow);
    }
    return true;
}

void Decoder::ConvertPlanes(const PlaneSet& set, uint8_t* out) const {
    switch (kind_) {
        case ConversionKind::Grayscale:
            ConvertGrayscale(set, out);
            break;
        case ConversionKind::Indexed:
            ConvertIndexed(set, palette_, out);
            break;
        case ConversionKind::Rgb:
            ConvertRgb(set, out);
            break;
        case ConversionKind::Cmyk:
            ConvertCmyk(set, out);
            break;
        case ConversionKind::Lab:
            ConvertLab(set, out);
            break;
        case ConversionKind::Bitmap:
            ConvertBitmap(set, out);
            break;
        case ConversionKind::None:
            break;
    }
}

bool Decoder::Decode(std::span<const uint8_t> file, std::vector<uint8_t>& pixels) {
    if (!Parse(file)) return false;
    pixels.resize(static_cast<std::size_t>(SizeImage()));
    return Convert(pixels.data());
}

}  // namespace orv::psd
