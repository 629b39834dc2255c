// What the layer reader and the row-by-row layer reader share: a checked big-endian cursor, the
// records of a layer section and PackBits rows. Only the two readers include it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "psd_layers.h"

namespace orv::psd::layerdata {

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
    // A length of 4 bytes, or of 8 in the large document format.
    uint64_t Length(bool large) {
        if (!large) return U(4);
        const uint64_t high = U(4);
        return high << 32 | U(4);
    }
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

// A layer's record: the layer without its pixels, and the id and stored length of each of its
// channels.
struct Record {
    LayerPixels layer;
    std::vector<std::pair<int16_t, uint32_t>> channels;  // id, length of its data
};

// Reads records.size() layer records from `info`; false for a damaged one, or for records that
// claim more than kMaxLayerAreas times the document's area between them (refused before any
// pixels are read).
bool ReadRecords(Cursor& info, uint64_t width, uint64_t height, bool large,
                 std::vector<Record>& records);

// Extra bytes a row buffer holds past its n bytes: UnpackRow writes whole chunks of 16 bytes and
// may fill up to 15 bytes beyond the row.
inline constexpr std::size_t kRowSlack = 16;

// Unpacks one PackBits row of exactly `n` bytes into `out` (n + kRowSlack bytes of room); false
// when the data runs short or over.
bool UnpackRow(const uint8_t* in, std::size_t inSize, uint8_t* out, std::size_t n);

}  // namespace orv::psd::layerdata
