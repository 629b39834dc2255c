// PackBits (run-length) unpacking of PSD image data.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orv::psd {

// Where a stretch of output starts inside a PackBits stream: the offset of the run header
// that produces it, and how many bytes of that run come before it.
struct RunPosition {
    uint64_t header = 0;
    uint64_t skip = 0;
};

// Walks one PackBits stream without unpacking it, as it arrives in pieces: a header byte h
// below 128 copies the next h + 1 bytes, above 128 repeats the next byte 257 - h times, and 128
// produces nothing. Fails as soon as the output would pass `limit` bytes or a run reaches past
// the stream's end. Records where each of the first `rows` rows of `rowBytes` bytes starts
// (runs may cross row boundaries): `starts` gets one entry per row the stream reaches, with
// run headers as stream offsets. Each Feed walks the runs of a piece that starts at stream
// offset `base`, and stops before a run that does not end inside it unless the piece is the
// stream's last.
class BitsIndexer {
  public:
    BitsIndexer(uint64_t limit, uint64_t rowBytes, uint64_t rows, std::vector<RunPosition>& starts)
        : limit_(limit), rowBytes_(rowBytes), rows_(rows), starts_(starts) {
        starts_.clear();
        starts_.reserve(static_cast<std::size_t>(rows));
    }
    // Returns false when the stream is refused; else `walked` is the stream offset reached.
    bool Feed(std::span<const uint8_t> piece, uint64_t base, bool last, uint64_t& walked);
    uint64_t total() const { return total_; }

  private:
    uint64_t limit_, rowBytes_, rows_;
    std::vector<RunPosition>& starts_;
    uint64_t total_ = 0;
    uint64_t nextRow_ = 0;
};

// Unpacks output positions `from` to n of a stretch of one PackBits stream, keeping every
// `keepEvery`-th byte counted from position 0 (1 or 2; 2 keeps the high bytes of 16-bit
// samples): a kept byte at position b goes to out[b / keepEvery]. `in` holds the stream from
// offset `base` on, and `at` (inside it) is where position `from` comes from. Stops when n is
// reached or at a run that does not end inside `in`; returns the position reached, and moves
// `at` to where the next position comes from, so a later call goes on from there.
std::size_t UnpackSome(std::span<const uint8_t> in, uint64_t base, RunPosition& at, uint8_t* out,
                       std::size_t from, std::size_t n, unsigned keepEvery = 1);

}  // namespace orv::psd
