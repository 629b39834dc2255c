// PackBits image data of the PSD decoder: read from the source a piece at a time and unpacked
// one row of each plane at a time, so that neither the packed data nor an unpacked copy of the
// image is ever held whole.
//
// The data is one stream: its runs may cross rows and even planes, and the per-row byte
// counts before it may be wrong. Files whose counts agree with the stream (every file a
// well-behaved writer makes) are read once: each plane is unpacked from where the counts put
// it, and the conversion checks that each plane ends exactly where the next begins. Any other
// file is walked whole first, noting where each row begins, and then converted.
#include <algorithm>
#include <cstring>

#include "psd_decoder.h"
#include "psd_packbits.h"

namespace orv::psd {

namespace {

// A run is at most 129 bytes long: the header and 128 literal bytes.
constexpr uint64_t kLongestRun = 129;

// A stretch of the packed stream held for one plane: `length` bytes from stream offset `base`.
struct PlaneWindow {
    std::vector<uint8_t> bytes;
    uint64_t base = 0;
    std::size_t length = 0;
};

// Unpacks the n bytes of one plane row that start at `at`, reading the stream below `limit`
// into the plane's window as needed; moves `at` past them. False when the runs reach `limit`,
// the end of the stream or a read that fails before the row is full.
bool UnpackRow(ByteSource& source, uint64_t packedAt, uint64_t limit, PlaneWindow& w,
               RunPosition& at, uint8_t* out, std::size_t n, unsigned keep) {
    std::size_t pos = 0;
    for (;;) {
        if (at.header >= w.base && at.header - w.base <= w.length) {
            pos = UnpackSome({w.bytes.data(), w.length}, w.base, at, out, pos, n, keep);
            if (pos == n) return true;
        }
        if (at.header >= limit) return false;
        const auto length =
            static_cast<std::size_t>(std::min<uint64_t>(kReadPiece, limit - at.header));
        // A window read from here already held no whole run: the stream ends inside one.
        if (w.base == at.header && w.length == length) return false;
        if (w.bytes.size() < length) w.bytes.resize(length);
        w.base = at.header;
        w.length = 0;
        if (!source.ReadAt(packedAt + at.header, w.bytes.data(), length)) return false;
        w.length = length;
    }
}

// True when the bytes from `from` to `to` are all run headers that produce nothing (128), as
// some writers put after each row.
bool OnlyNoOps(ByteSource& source, uint64_t from, uint64_t to) {
    if (from > to || to - from > kLongestRun) return false;
    const auto n = static_cast<std::size_t>(to - from);
    uint8_t bytes[kLongestRun];
    return n == 0 || (source.ReadAt(from, bytes, n) &&
                      std::all_of(bytes, bytes + n, [](uint8_t b) { return b == 128; }));
}

}  // namespace

bool Decoder::PreparePacked(ByteSource& file, uint64_t countsAt, uint64_t packedAt,
                            uint64_t needed) {
    source_ = &file;
    packedAt_ = packedAt;
    packedSize_ = file.size() - packedAt;
    neededPacked_ = needed;
    if (ReadPlaneStarts(countsAt)) return true;
    const bool indexed = IndexPacked();
    if (!indexed) source_ = nullptr;
    return indexed;
}

// Sums the row byte counts of each plane the conversion reads but the last: where the counts
// put the planes. False when those places cannot be right (a plane that takes no bytes, or
// one that starts past the stream).
bool Decoder::ReadPlaneStarts(uint64_t countsAt) {
    const auto height = static_cast<std::size_t>(header_.height);
    const uint16_t planes = PlanesUsed();
    const std::size_t width = large_ ? 4 : 2;  // bytes of one count
    std::vector<uint8_t> counts((planes - 1u) * height * width);
    if (!counts.empty() && !source_->ReadAt(countsAt, counts.data(), counts.size())) return false;
    planeStarts_.assign(1, 0);
    for (std::size_t p = 0; p + 1 < planes; ++p) {
        uint64_t length = 0;
        for (std::size_t y = 0; y < height; ++y) {
            const uint8_t* c = counts.data() + (p * height + y) * width;
            uint64_t count = 0;
            for (std::size_t i = 0; i < width; ++i) count = count << 8 | c[i];
            length += count;
        }
        const uint64_t start = planeStarts_.back() + length;
        if (length == 0 || start >= packedSize_) {
            planeStarts_.clear();
            return false;
        }
        planeStarts_.push_back(start);
    }
    return true;
}

// Walks the stream from `from` to its end with `indexer`, a piece at a time.
bool Decoder::WalkPacked(uint64_t from, BitsIndexer& indexer) {
    std::vector<uint8_t> piece(
        static_cast<std::size_t>(std::min<uint64_t>(kReadPiece, packedSize_ - from)));
    for (uint64_t at = from; at < packedSize_;) {
        const auto n = static_cast<std::size_t>(std::min<uint64_t>(piece.size(), packedSize_ - at));
        const bool last = at + n == packedSize_;
        uint64_t walked = at;
        if (!source_->ReadAt(packedAt_ + at, piece.data(), n) ||
            !indexer.Feed(std::span<const uint8_t>(piece.data(), n), at, last, walked))
            return false;
        if (!last && walked == at) return false;  // cannot happen: a piece holds whole runs
        at = last ? packedSize_ : walked;
    }
    return true;
}

// One pass over the whole stream checks it and notes where each row of the planes the
// conversion reads begins, and where the row after the last one does.
bool Decoder::IndexPacked() {
    planeStarts_.clear();
    const auto height = static_cast<uint64_t>(header_.height);
    BitsIndexer indexer(planeSize_ * kPackedPlaneRoom, planeSize_ / height,
                        uint64_t{PlanesUsed()} * height + 1, rowStarts_);
    return WalkPacked(0, indexer) && indexer.total() >= neededPacked_;
}

bool Decoder::ConvertPacked(uint8_t* out) {
    if (!planeStarts_.empty()) {
        if (ConvertCountedRows(out)) return true;
        // The counts did not agree with the stream: walk it, which refuses a damaged one.
        if (!IndexPacked()) return false;
    }
    return ConvertPackedRows(out);
}

// Fills one row of each plane the conversion reads through `unpack(plane, y, the plane's
// window, row, row bytes, keep)` and converts it, top row first; false as soon as `unpack` is.
// Of 16-bit samples only the high bytes are kept, so the rows convert as 8-bit ones.
template <typename Unpack>
bool Decoder::UnpackRows(uint8_t* out, Unpack unpack) {
    const auto height = static_cast<std::size_t>(header_.height);
    const std::size_t rowBytes = planeSize_ / height;
    const unsigned keep = bytesPerSample_ == 2 ? 2 : 1;
    const std::size_t keptBytes = rowBytes / keep;
    const uint16_t planes = PlanesUsed();
    std::vector<uint8_t> rows(keptBytes * planes);
    std::vector<PlaneWindow> windows(planes);
    const PlaneSet set{rows.data(), keptBytes, bytesPerSample_ == 2 ? 1u : bytesPerSample_,
                       static_cast<std::size_t>(header_.width), 1};
    const std::size_t outRow = static_cast<std::size_t>(header_.width) * 4;
    for (std::size_t y = 0; y < height; ++y, out += outRow) {
        for (std::size_t p = 0; p < planes; ++p)
            if (!unpack(p, y, windows[p], rows.data() + p * keptBytes, rowBytes, keep))
                return false;
        ConvertPlanes(set, out);
    }
    return true;
}

// Converts row by row with one cursor per plane, each starting where the counts put its
// plane. False, for the walk to decide, when a plane does not end exactly where the next one
// starts, or the stream after the planes read is not one the walk would accept.
bool Decoder::ConvertCountedRows(uint8_t* out) {
    const uint16_t planes = PlanesUsed();
    std::vector<RunPosition> cursors(planes);
    for (std::size_t p = 0; p < planes; ++p) cursors[p] = {planeStarts_[p], 0};
    const bool unpacked = UnpackRows(out, [&](std::size_t p, std::size_t, PlaneWindow& w,
                                              uint8_t* row, std::size_t n, unsigned keep) {
        // A plane's runs never reach into the next plane's bytes.
        const uint64_t limit = p + 1 < planes ? planeStarts_[p + 1] : packedSize_;
        return UnpackRow(*source_, packedAt_, limit, w, cursors[p], row, n, keep);
    });
    if (!unpacked) return false;
    for (std::size_t p = 0; p + 1 < planes; ++p)
        if (cursors[p].skip != 0 ||
            !OnlyNoOps(*source_, packedAt_ + cursors[p].header, packedAt_ + planeStarts_[p + 1]))
            return false;
    // The rest of the stream (channels not converted, and anything after them) must still be
    // whole runs that fill the remaining channels without passing the output limit.
    const RunPosition end = cursors.back();
    if (end.skip != 0) return false;
    const uint64_t produced = planeSize_ * uint64_t{planes};
    std::vector<RunPosition> none;
    BitsIndexer rest(planeSize_ * kPackedPlaneRoom - produced, planeSize_ / header_.height, 0,
                     none);
    return WalkPacked(end.header, rest) && produced + rest.total() >= neededPacked_;
}

// Converts row by row from the row starts the walk noted.
bool Decoder::ConvertPackedRows(uint8_t* out) {
    const auto height = static_cast<std::size_t>(header_.height);
    return UnpackRows(out, [&](std::size_t p, std::size_t y, PlaneWindow& w, uint8_t* row,
                               std::size_t n, unsigned keep) {
        // The row's runs lie between its start and the end of the run that begins the next
        // row (or the stream's end).
        const std::size_t i = p * height + y;
        RunPosition from = rowStarts_[i];
        const uint64_t to = i + 1 < rowStarts_.size()
                                ? std::min(packedSize_, rowStarts_[i + 1].header + kLongestRun)
                                : packedSize_;
        if (from.header < w.base || to > w.base + w.length) {
            const auto length = static_cast<std::size_t>(std::min(
                packedSize_ - from.header, std::max<uint64_t>(to - from.header, kReadPiece)));
            if (w.bytes.size() < length) w.bytes.resize(length);
            w.base = from.header;
            // A read that fails ends the load, rather than leaving the row as it was.
            if (!source_->ReadAt(packedAt_ + from.header, w.bytes.data(), length)) return false;
            w.length = length;
        }
        if (from.header - w.base < w.length)
            UnpackSome({w.bytes.data(), w.length}, w.base, from, row, 0, n, keep);
        return true;
    });
}

}  // namespace orv::psd
