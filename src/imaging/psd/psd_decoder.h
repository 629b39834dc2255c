// Decoder of the merged image of a Photoshop document (PSD), standard library only.
//
// It takes the file's bytes (all of them in memory, or a source that reads the parts it
// asks for), checks every read against the file's size, and turns the composite image
// data at the end of the file into 32-bit pixels: blue, green, red and a
// fourth byte (255), left to right, top row first, width * 4 bytes per row, no padding.
// Layers and masks are skipped; of the image resources only the block with our private ID
// (psd_writer.h) is kept.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "psd_writer.h"

#include "psd_convert.h"
#include "psd_packbits.h"

namespace orv::psd {

class ByteReader;

// Where the decoder's bytes come from.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Length of the whole file.
    virtual uint64_t size() const = 0;
    // The n bytes at `offset`, or nullptr when they lie outside the file or cannot be read.
    // The pointer stays valid until the next Fetch or the end of the source.
    virtual const uint8_t* Fetch(uint64_t offset, std::size_t n) = 0;
    // Copies the n bytes at `offset` to `out`; false when they lie outside the file or cannot
    // be read. Large image data is read this way, a piece at a time, into the decoder's own
    // bounded buffers.
    virtual bool ReadAt(uint64_t offset, uint8_t* out, std::size_t n) {
        const uint8_t* p = Fetch(offset, n);
        if (p == nullptr) return false;
        std::copy(p, p + n, out);
        return true;
    }
    // True when the whole file is in memory already, so raw planes can be used where they lie.
    virtual bool InMemory() const { return false; }
};

// A file that is already in memory.
class SpanSource final : public ByteSource {
  public:
    explicit SpanSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    bool InMemory() const override { return true; }
    const uint8_t* Fetch(uint64_t offset, std::size_t n) override {
        return offset <= bytes_.size() && n <= bytes_.size() - offset ? bytes_.data() + offset
                                                                      : nullptr;
    }

  private:
    std::span<const uint8_t> bytes_;
};

// Clamps a value to a byte: 0 below 0, 255 above 255, else the value itself.
constexpr uint8_t ksCheckBounds(int32_t value) {
    return value < 0 ? uint8_t{0} : value > 255 ? uint8_t{255} : static_cast<uint8_t>(value);
}

// Which pixel conversion applies to the planes of the current file.
enum class ConversionKind : uint16_t { None, Grayscale, Indexed, Rgb, Cmyk, Lab, Bitmap };

// Header fields and section lengths as read from the file.
struct Header {
    std::array<uint8_t, 4> signature{};  // bytes 0..3, kept as read
    uint16_t version = 0;                // kept as read
    uint16_t channels = 0;               // channels stored in the image data
    int32_t height = 0;                  // image height in pixels
    int32_t width = 0;                   // image width in pixels
    uint16_t depth = 0;                  // bits per channel sample
    uint16_t colourMode = 0;             // PSD colour mode number
    int32_t colourModeDataLength = 0;    // length of the colour mode data section
    uint16_t compression = 0;            // 0 raw, 1 PackBits
};

// The largest side the format allows (30,000 pixels), and the large document format (PSB,
// version 2) allows (300,000 pixels).
inline constexpr int32_t kMaxSide = 30000;
inline constexpr int32_t kMaxLargeSide = 300000;
// The image resource whose flag says whether the merged picture is real (Version Info).
inline constexpr uint16_t kVersionInfoId = 1057;
// The largest colour table the reader takes: 256 entries of red, green and blue.
inline constexpr std::size_t kRawPaletteSize = 768;
// PackBits output may fill at most this many planes; more fails the load.
inline constexpr uint64_t kPackedPlaneRoom = 5;
// Image data is read from the source in pieces of about this size.
inline constexpr std::size_t kReadPiece = std::size_t{1} << 20;

// Reader of PSD composite images. One object serves many loads: the header fields and the
// conversion kind keep their last values; the palette is rebuilt for each indexed file.
class Decoder {
  public:
    // Reads the header and sections of `file` and makes the channel planes ready for
    // Convert. Returns false, leaving nothing to convert, for any malformed, truncated or
    // unsupported file. Width and height keep the values read even when it fails. The image
    // data is read last, and mostly by Convert, so the source must stay alive and unused
    // until then.
    bool Parse(ByteSource& file);
    bool Parse(std::span<const uint8_t> file) {
        spanSource_ = SpanSource(file);
        return Parse(spanSource_);
    }

    // Writes SizeImage() bytes of converted pixels into `out`, then releases the planes.
    // Only valid right after Parse returned true. PackBits data whose row byte counts agree
    // with it is checked while it is converted: false when it proves damaged after all
    // (`out` then holds nothing of use).
    bool Convert(uint8_t* out);

    // Parse and Convert into a vector sized to the image; false when Parse fails.
    bool Decode(std::span<const uint8_t> file, std::vector<uint8_t>& pixels);

    // Pictures larger than this are refused from the header, before any image data is read:
    // at most `maxPixels` in all and no side over `maxSide` (the format's own limits unless
    // set).
    void SetSizeLimit(int64_t maxPixels, int32_t maxSide) {
        maxPixels_ = maxPixels;
        maxSide_ = maxSide;
    }
    // True when the last Parse stopped at the size limit.
    bool TooLarge() const { return tooLarge_; }
    // True when the last Convert composed the picture from the layers, because the file's
    // merged picture is missing or empty; then Approximated() tells whether some layer used
    // what normal blending only approximates, so the picture may differ from the original.
    bool ComposedFromLayers() const { return composed_; }
    bool Approximated() const { return approximated_; }
    // True when the last Convert needed the layers, composed or not.
    bool TriedComposing() const { return triedComposing_; }

    const Header& header() const { return header_; }
    // The bytes of the image resource with kPrivateResourceId in the last file parsed (empty
    // when it has none). Kept even when the parse fails after the resources.
    const std::vector<uint8_t>& privateResource() const { return privateResource_; }
    ConversionKind kind() const { return kind_; }
    // Bytes of one pixel row, width * 4, or 0 when that does not fit 32 bits.
    int32_t Scanline() const;
    // Bytes of the whole picture, width * height * 4, or 0 when that does not fit 32 bits.
    int32_t SizeImage() const;
    // The palette of the last indexed-colour file: 256 entries of red, green, blue.
    const std::array<std::array<uint8_t, 3>, 256>& palette() const { return palette_; }

  private:
    bool ReadHeader(ByteReader& in);
    bool ReadSections(ByteReader& in);
    void ReadResources(ByteReader& in, uint64_t end);
    bool SelectConversion();
    bool PreparePlanes(ByteReader& in, ByteSource& file);
    bool PreparePacked(ByteSource& file, uint64_t countsAt, uint64_t packedAt, uint64_t needed);
    bool ReadPlaneStarts(uint64_t countsAt);
    bool IndexPacked();
    bool WalkPacked(uint64_t from, BitsIndexer& indexer);
    void ConvertPlanes(const PlaneSet& set, uint8_t* out) const;
    bool ConvertPacked(uint8_t* out);
    bool ConvertCountedRows(uint8_t* out);
    template <typename Unpack>
    bool UnpackRows(uint8_t* out, Unpack unpack);
    bool ConvertPackedRows(uint8_t* out);
    bool ConvertRawRows(uint8_t* out);
    uint16_t PlanesUsed() const;
    void BuildPalette();
    bool ReadLayerSectionLength(ByteReader& in);
    bool ComposeFromLayers(uint8_t* out);

    Header header_;
    int64_t maxPixels_ = int64_t{kMaxSide} * kMaxSide;
    int32_t maxSide_ = kMaxSide;
    bool tooLarge_ = false;
    ConversionKind kind_ = ConversionKind::None;  // not reset between loads
    uint16_t bytesPerSample_ = 0;                 // depth div 8
    std::array<uint8_t, kRawPaletteSize> rawPalette_{};
    std::array<std::array<uint8_t, 3>, 256> palette_{};
    std::vector<uint8_t> privateResource_;

    // The large document format: wider section lengths and row byte counts.
    bool large_ = false;
    // The layer and mask information section (its content, after the length), whether it
    // holds any layer, and what the merged picture is: missing (compose only), flagged as not
    // real by the file, or stored.
    uint64_t layersAt_ = 0;
    uint64_t layersLength_ = 0;
    bool hasLayers_ = false;
    bool realMerged_ = true;
    bool composeOnly_ = false;
    bool composed_ = false;
    bool approximated_ = false;
    bool triedComposing_ = false;
    ByteSource* file_ = nullptr;

    // Planes ready for conversion: raw planes (plane p starts at planes_ + p * planeSize_),
    // or PackBits data left in the source (packedSize_ bytes at packedAt_), read a piece at a
    // time and unpacked one row of each plane at a time while converting. Packed data is
    // one stream whose runs may cross rows and planes: the rows start where rowStarts_ says
    // once the stream has been walked, or else each plane where the row byte counts put it
    // (planeStarts_), which the conversion checks as it goes.
    bool ready_ = false;
    const uint8_t* planes_ = nullptr;
    ByteSource* source_ = nullptr;
    uint64_t packedAt_ = 0;
    uint64_t packedSize_ = 0;
    uint64_t rawAt_ = 0;  // where raw planes left in the source begin (when rawInSource_)
    bool rawInSource_ = false;
    SpanSource spanSource_{{}};
    uint64_t neededPacked_ = 0;  // bytes the stream must unpack to: every channel's plane
    std::size_t planeSize_ = 0;
    std::vector<RunPosition> rowStarts_;  // where each plane row starts in the stream
    std::vector<uint64_t> planeStarts_;   // where each plane the conversion reads starts
};

}  // namespace orv::psd
