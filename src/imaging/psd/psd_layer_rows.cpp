// Reading a layer section a row at a time, from memory or from a file a bounded piece of each
// channel at a time, and the PackBits rows both layer readers unpack.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "psd_decoder.h"
#include "psd_layer_records.h"
#include "psd_layers.h"

namespace orv::psd {

using namespace layerdata;

bool layerdata::UnpackRow(const uint8_t* in, std::size_t inSize, uint8_t* out, std::size_t n) {
    // Runs are copied in whole chunks of 16 bytes where the row has room for them: a few
    // vector moves instead of a call for each run. What a chunk writes past the run, the next
    // run overwrites, or it lies in the row's slack.
    constexpr std::size_t kChunk = 16;
    std::size_t i = 0, o = 0;
    while (i < inSize && o < n) {
        const unsigned h = in[i++];
        if (h == 128) continue;
        if (h < 128) {
            const std::size_t len = h + 1;
            if (len > inSize - i || len > n - o) return false;
            const std::size_t whole = (len + kChunk - 1) / kChunk * kChunk;
            if (whole <= inSize - i) {
                for (std::size_t k = 0; k < whole; k += kChunk)
                    std::memcpy(out + o + k, in + i + k, kChunk);
            } else {
                std::memcpy(out + o, in + i, len);
            }
            i += len;
            o += len;
        } else {
            const std::size_t len = 257 - h;
            if (i == inSize || len > n - o) return false;
            const uint8_t value = in[i++];
            const std::size_t whole = (len + kChunk - 1) / kChunk * kChunk;
            for (std::size_t k = 0; k < whole; k += kChunk) std::memset(out + o + k, value, kChunk);
            o += len;
        }
    }
    return o == n;
}

namespace {

// Channel data is read this much at a time when a layer is read alone, and about this much in
// all when every layer is read at once.
constexpr std::size_t kLayerPiece = 256 * 1024;
constexpr std::size_t kAllLayersRead = 4 * 1024 * 1024;
// The most that reading every layer at once may hold.
constexpr uint64_t kMaxHeldOpen = 64 * 1024 * 1024;

// Where channel data is read from for the rows: in place when the source is in memory, else
// into a buffer of its own a piece at a time, so that a layer is never read whole.
class ChannelStream {
  public:
    ChannelStream(ByteSource& source, uint64_t at, uint64_t end, std::size_t piece)
        : source_(&source), pos_(at), end_(end), piece_(piece) {}

    // The next n bytes, valid until the next Take; nullptr when they pass the channel's end or
    // cannot be read.
    const uint8_t* Take(std::size_t n) {
        if (n > end_ - pos_) return nullptr;
        const uint64_t at = pos_;
        pos_ += n;
        if (source_->InMemory()) return source_->Fetch(at, n);
        if (at < bufferAt_ || at + n > bufferAt_ + filled_) {
            const auto len = static_cast<std::size_t>(
                std::min<uint64_t>(std::max<uint64_t>(n, piece_), end_ - at));
            if (len > capacity_) {
                buffer_ = std::make_unique_for_overwrite<uint8_t[]>(len);
                capacity_ = len;
            }
            filled_ = 0;
            if (!source_->ReadAt(at, buffer_.get(), len)) return nullptr;
            bufferAt_ = at;
            filled_ = len;
        }
        return buffer_.get() + (at - bufferAt_);
    }

  private:
    ByteSource* source_;
    uint64_t pos_, end_;
    std::size_t piece_;
    std::unique_ptr<uint8_t[]> buffer_;
    std::size_t capacity_ = 0, filled_ = 0;
    uint64_t bufferAt_ = 0;
};

// The layer records of the section `length` bytes at `at`, with where their channel data
// starts and where the layer info ends; false for a damaged section. The records are read from
// a prefix of the layer info that grows until they fit in it, so that the channel data after
// them is not fetched.
bool ReadSourceRecords(ByteSource& source, uint64_t at, uint64_t length, bool large, uint64_t width,
                       uint64_t height, std::vector<Record>& records, uint64_t& dataAt,
                       uint64_t& dataEnd) {
    records.clear();
    const std::size_t lengthBytes = large ? 8 : 4;
    // A section too short for its layer info length holds no layers (only a mask's info).
    if (length < lengthBytes) return true;
    const uint8_t* head = source.Fetch(at, lengthBytes);
    if (head == nullptr) return false;
    uint64_t infoLength = 0;
    for (std::size_t i = 0; i < lengthBytes; ++i) infoLength = infoLength << 8 | head[i];
    if (infoLength > length - lengthBytes) return false;
    if (infoLength == 0) return true;
    const uint64_t infoAt = at + lengthBytes;
    for (uint64_t prefix = std::min<uint64_t>(infoLength, 64 * 1024);;
         prefix = std::min(infoLength, prefix * 4)) {
        const uint8_t* bytes = source.Fetch(infoAt, static_cast<std::size_t>(prefix));
        if (bytes == nullptr) return false;
        Cursor info({bytes, static_cast<std::size_t>(prefix)});
        const auto count = static_cast<int16_t>(info.U(2));
        records.assign(static_cast<std::size_t>(count < 0 ? -count : count), Record{});
        if (info.ok() && ReadRecords(info, width, height, large, records)) {
            dataAt = infoAt + info.pos();
            dataEnd = infoAt + infoLength;
            return true;
        }
        records.clear();
        if (prefix == infoLength) return false;
    }
}

// The rows of one layer, unpacked one after the other from its channels.
class LayerRows {
  public:
    // Takes the layer's channels from the data at `next` (moved past them), which must end by
    // `end`, reading each a `piece` at a time; false when they do not fit or are damaged.
    bool Open(ByteSource& source, const Record& r, bool large, uint64_t& next, uint64_t end,
              std::size_t piece) {
        w_ = static_cast<std::size_t>(r.layer.width);
        h_ = static_cast<std::size_t>(r.layer.height);
        const std::size_t countBytes = large ? 4 : 2;
        for (const auto& [id, stored] : r.channels) {
            if (stored > end - next) return false;
            ChannelStream data(source, next, next + stored, piece);
            next += stored;
            const int byteInPixel = id == -1 ? 3 : id == 0 ? 2 : id == 1 ? 1 : id == 2 ? 0 : -1;
            if (byteInPixel < 0 || w_ == 0 || h_ == 0) continue;
            const uint8_t* kind = data.Take(2);
            if (kind == nullptr) return false;
            Channel c{byteInPixel, uint32_t{kind[0]} << 8 | kind[1], std::move(data), {}};
            if (c.compression == 1) {
                const uint8_t* counts = c.data.Take(h_ * countBytes);
                if (counts == nullptr) return false;
                c.counts.resize(h_);
                for (std::size_t y = 0; y < h_; ++y) {
                    uint32_t v = 0;
                    for (std::size_t b = 0; b < countBytes; ++b)
                        v = v << 8 | counts[y * countBytes + b];
                    c.counts[y] = v;
                }
            } else if (c.compression != 0) {
                return false;
            }
            channels_.push_back(std::move(c));
        }
        if (w_ == 0 || h_ == 0) {
            h_ = 0;  // no rows to hand out
            return true;
        }
        // Channels the layer lacks: no colour, or fully opaque.
        for (int b = 0; b < 4; ++b) {
            buffers_[std::size_t(b)].assign(w_ + kRowSlack, b == 3 ? 255 : 0);
            rows_[b] = buffers_[std::size_t(b)].data();
        }
        return true;
    }

    // Rows of the layer not unpacked yet.
    std::size_t left() const { return h_ - y_; }
    // The next row, at index y, whose four rows rows() then holds; false when it is damaged.
    bool Next(std::size_t& y) {
        y = y_++;
        for (Channel& c : channels_) {
            if (c.compression == 0) {
                rows_[c.byteInPixel] = c.data.Take(w_);
                if (!rows_[c.byteInPixel]) return false;
                continue;
            }
            auto& buffer = buffers_[std::size_t(c.byteInPixel)];
            const uint8_t* packed = c.data.Take(c.counts[y]);
            if (!packed || !UnpackRow(packed, c.counts[y], buffer.data(), w_)) return false;
            rows_[c.byteInPixel] = buffer.data();
        }
        return true;
    }
    const uint8_t* const* rows() const { return rows_; }

  private:
    // One channel: where its pixel byte goes and its data.
    struct Channel {
        int byteInPixel;
        uint32_t compression;
        ChannelStream data;
        std::vector<uint32_t> counts;
    };
    std::size_t w_ = 0, h_ = 0, y_ = 0;
    std::vector<Channel> channels_;
    std::array<std::vector<uint8_t>, 4> buffers_;
    const uint8_t* rows_[4] = {};
};

using RowVisit = std::function<void(std::size_t, int32_t, const uint8_t* const*)>;

// Hands `row` the next row of `layer` i; false when it is damaged.
bool VisitNext(LayerRows& layer, std::size_t i, const RowVisit& row) {
    std::size_t y = 0;
    if (!layer.Next(y)) return false;
    row(i, static_cast<int32_t>(y), layer.rows());
    return true;
}

}  // namespace

namespace {

// Every layer's rows, one layer after the other, from the channel data at `next`.
bool VisitLayerByLayer(ByteSource& source, const std::vector<Record>& records, bool large,
                       uint64_t next, uint64_t end, const RowVisit& row) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        LayerRows layer;
        if (!layer.Open(source, records[i], large, next, end, kLayerPiece)) return false;
        while (layer.left() > 0)
            if (!VisitNext(layer, i, row)) return false;
    }
    return true;
}

// Reads the layer records and, when there are any, hands their layers to `begin`; false when
// the records are damaged.
bool BeginVisit(ByteSource& source, uint64_t at, uint64_t length, bool large, uint64_t width,
                uint64_t height, const std::function<void(const std::vector<LayerPixels>&)>& begin,
                std::vector<Record>& records, uint64_t& next, uint64_t& end) {
    if (!ReadSourceRecords(source, at, length, large, width, height, records, next, end))
        return false;
    if (records.empty()) return true;
    std::vector<LayerPixels> layers;
    for (const Record& r : records) layers.push_back(r.layer);
    begin(layers);
    return true;
}

}  // namespace

bool VisitLayerRows(ByteSource& source, uint64_t at, uint64_t length, bool large, uint64_t width,
                    uint64_t height,
                    const std::function<void(const std::vector<LayerPixels>&)>& begin,
                    const RowVisit& row) {
    std::vector<Record> records;
    uint64_t next = 0, end = 0;
    if (!BeginVisit(source, at, length, large, width, height, begin, records, next, end))
        return false;
    if (records.empty()) return true;
    return VisitLayerByLayer(source, records, large, next, end, row);
}

bool VisitDocumentRowsInOrder(ByteSource& source, uint64_t at, uint64_t length, bool large,
                              uint64_t width, uint64_t height,
                              const std::function<void(const std::vector<LayerPixels>&)>& begin,
                              const RowVisit& row) {
    std::vector<Record> records;
    uint64_t next = 0, end = 0;
    if (!BeginVisit(source, at, length, large, width, height, begin, records, next, end))
        return false;
    if (records.empty()) return true;
    // Every layer is read at once, so each reads in smaller pieces the more there are.
    const std::size_t piece =
        std::clamp<std::size_t>(kAllLayersRead / (4 * records.size()), 16 * 1024, kLayerPiece);
    // What holding every layer open takes (its rows, row byte counts and pieces): past the
    // bound, as with thousands of layers, they are read one after the other after all.
    uint64_t held = 0;
    for (const Record& r : records)
        held +=
            (uint64_t(r.layer.width) + kRowSlack) * 4 +
            r.channels.size() * (uint64_t(r.layer.height) * 4 + (source.InMemory() ? 0 : piece));
    if (held > kMaxHeldOpen) return VisitLayerByLayer(source, records, large, next, end, row);
    std::vector<LayerRows> open(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        if (!open[i].Open(source, records[i], large, next, end, piece)) return false;
    // Rows above the document first, then each document row of every layer that reaches it,
    // bottom first, then the rows below it.
    for (std::size_t i = 0; i < records.size(); ++i)
        for (int64_t top = records[i].layer.top; top < 0 && open[i].left() > 0; ++top)
            if (!VisitNext(open[i], i, row)) return false;
    for (int64_t y = 0; y < int64_t(height); ++y)
        for (std::size_t i = 0; i < records.size(); ++i)
            if (y >= records[i].layer.top && open[i].left() > 0)
                if (!VisitNext(open[i], i, row)) return false;
    for (std::size_t i = 0; i < records.size(); ++i)
        while (open[i].left() > 0)
            if (!VisitNext(open[i], i, row)) return false;
    return true;
}

bool VisitLayerRows(std::span<const uint8_t> bytes, bool large, uint64_t width, uint64_t height,
                    const std::function<void(const std::vector<LayerPixels>&)>& begin,
                    const std::function<void(std::size_t, int32_t, const uint8_t* const*)>& row) {
    SpanSource source(bytes);
    return VisitLayerRows(source, 0, bytes.size(), large, width, height, begin, row);
}

}  // namespace orv::psd
