#include "psd_packbits.h"

#include <algorithm>
#include <cstring>

namespace orv::psd {

bool BitsIndexer::Feed(std::span<const uint8_t> in, uint64_t base, bool last, uint64_t& walked) {
    std::size_t pos = 0;
    const std::size_t size = in.size();
    while (pos < size) {
        const std::size_t header = pos;
        const unsigned h = in[pos];
        uint64_t n = 0;
        std::size_t runBytes = 1;
        if (h < 128) {
            n = h + 1;
            runBytes += static_cast<std::size_t>(n);
        } else if (h > 128) {
            n = 257 - h;
            runBytes = 2;
        }
        if (size - pos < runBytes) {
            if (last) return false;  // a run reaches past the input
            break;
        }
        pos += runBytes;
        if (n == 0) continue;
        if (n > limit_ - total_) return false;
        while (starts_.size() < rows_ && nextRow_ < total_ + n) {
            starts_.push_back({base + header, nextRow_ - total_});
            nextRow_ += rowBytes_;
        }
        total_ += n;
    }
    walked = base + pos;
    return true;
}

namespace {

// Copies the bytes of a run (n bytes from `src`, or n copies of `value` when src is null)
// that fall on kept output positions, every `Keep`-th counted from the row start, where the
// run begins at row position `pos`; a kept byte at position b goes to out[b / Keep].
template <unsigned Keep>
void KeepBytes(uint8_t* out, uint64_t pos, const uint8_t* src, uint8_t value, std::size_t n) {
    const uint64_t first = (pos + Keep - 1) / Keep * Keep;
    if (first >= pos + n) return;
    const std::size_t count = static_cast<std::size_t>((pos + n - first + Keep - 1) / Keep);
    uint8_t* o = out + first / Keep;
    if (!src) {
        std::memset(o, value, count);
    } else if constexpr (Keep == 1) {
        std::memcpy(o, src, count);
    } else {
        const uint8_t* s = src + (first - pos);
        for (std::size_t i = 0; i < count; ++i) o[i] = s[i * Keep];
    }
}

// Kept bytes written at a time by the run copies below: whole chunks, so that short runs
// cost a couple of vector moves instead of a call and a byte loop. A chunk may reach past
// the run; the runs that follow overwrite those bytes.
constexpr std::size_t kChunk = 16;

template <unsigned Keep>
void CopyChunks(uint8_t* o, const uint8_t* s, std::size_t chunks) {
    for (std::size_t c = 0; c < chunks; ++c, o += kChunk, s += kChunk * Keep)
        for (std::size_t i = 0; i < kChunk; ++i) o[i] = s[i * Keep];
}

inline void FillChunks(uint8_t* o, uint8_t value, std::size_t chunks) {
    for (std::size_t c = 0; c < chunks; ++c, o += kChunk)
        for (std::size_t i = 0; i < kChunk; ++i) o[i] = value;
}

template <unsigned Keep>
std::size_t UnpackKeeping(std::span<const uint8_t> in, uint64_t base, RunPosition& at, uint8_t* out,
                          std::size_t from, std::size_t n) {
    const uint8_t* const begin = in.data();
    const uint8_t* const end = begin + in.size();
    const uint8_t* src = begin + (at.header - base);
    const std::size_t outSize = (n + Keep - 1) / Keep;  // kept bytes of the whole stretch
    uint64_t skip = at.skip;
    uint64_t pos = from;
    while (pos < n && src < end) {
        const unsigned h = *src;
        if (h == 128) {
            ++src;
            continue;
        }
        const bool literal = h < 128;
        const uint64_t runLength = literal ? h + 1 : 257 - h;
        const uint64_t runBytes = literal ? runLength + 1 : 2;
        if (static_cast<uint64_t>(end - src) < runBytes) break;  // the run ends past `in`
        const uint8_t* const data = src + 1;
        const auto take = static_cast<std::size_t>(std::min<uint64_t>(runLength - skip, n - pos));
        // The kept bytes of this run: output positions first, first + Keep, ... below pos + take.
        const uint64_t first = (pos + Keep - 1) / Keep * Keep;
        const std::size_t count =
            first < pos + take ? static_cast<std::size_t>((pos + take - first + Keep - 1) / Keep)
                               : 0;
        const std::size_t chunks = (count + kChunk - 1) / kChunk;
        const std::size_t to = static_cast<std::size_t>(first / Keep);
        // Whole chunks when they stay inside the output and, for literals, the input.
        const bool roomOut = to + chunks * kChunk <= outSize;
        if (literal) {
            const uint8_t* s = data + skip + (first - pos);
            if (roomOut && count && static_cast<std::size_t>(end - s) >= chunks * kChunk * Keep)
                CopyChunks<Keep>(out + to, s, chunks);
            else
                KeepBytes<Keep>(out, pos, data + skip, 0, take);
        } else if (roomOut) {
            FillChunks(out + to, *data, chunks);
        } else {
            KeepBytes<Keep>(out, pos, nullptr, *data, take);
        }
        pos += take;
        if (skip + take < runLength) {  // the stretch ends inside this run
            skip += take;
            break;
        }
        src += runBytes;
        skip = 0;
    }
    at = {base + static_cast<uint64_t>(src - begin), skip};
    return static_cast<std::size_t>(pos);
}

}  // namespace

std::size_t UnpackSome(std::span<const uint8_t> in, uint64_t base, RunPosition& at, uint8_t* out,
                       std::size_t from, std::size_t n, unsigned keepEvery) {
    return keepEvery == 2 ? UnpackKeeping<2>(in, base, at, out, from, n)
                          : UnpackKeeping<1>(in, base, at, out, from, n);
}

}  // namespace orv::psd
