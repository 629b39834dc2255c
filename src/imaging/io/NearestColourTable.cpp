#include "imaging/io/NearestColourTable.h"

#include <algorithm>
#include <climits>

namespace orv::detail {

NearestColourTable::NearestColourTable(const QList<QRgb>& palette)
    : entries_(int(std::clamp<qsizetype>(palette.size(), 1, 256))),
      cellStart_(std::size_t(kCellsPerSide) * kCellsPerSide * kCellsPerSide, kUnfilled),
      cellCount_(cellStart_.size(), 0) {
    for (int i = 0; i < entries_; ++i) {
        const QRgb entry = palette.isEmpty() ? 0 : palette[i];
        red_[std::size_t(i)] = qRed(entry);
        green_[std::size_t(i)] = qGreen(entry);
        blue_[std::size_t(i)] = qBlue(entry);
    }
    const std::array<int, 256>* values[3] = {&red_, &green_, &blue_};
    for (int axis = 0; axis < 3; ++axis) {
        nearAxis_[axis].resize(std::size_t(kCellsPerSide) * 256);
        farAxis_[axis].resize(std::size_t(kCellsPerSide) * 256);
        for (int c = 0; c < kCellsPerSide; ++c) {
            const int low = c * kCellWidth, high = low + kCellWidth - 1;
            for (int i = 0; i < entries_; ++i) {
                const int v = (*values[axis])[std::size_t(i)];
                const int outside = v < low ? low - v : v > high ? v - high : 0;
                const int farthest = std::max(v - low, high - v);
                nearAxis_[axis][std::size_t(c) * 256 + std::size_t(i)] = outside * outside;
                farAxis_[axis][std::size_t(c) * 256 + std::size_t(i)] = farthest * farthest;
            }
        }
    }
    candidates_.reserve(4096);
}

void NearestColourTable::FillCell(std::size_t cell) {
    const std::size_t r = cell >> (2 * kCellBits), g = (cell >> kCellBits) % kCellsPerSide,
                      b = cell % kCellsPerSide;
    const int* nearR = nearAxis_[0].data() + r * 256;
    const int* nearG = nearAxis_[1].data() + g * 256;
    const int* nearB = nearAxis_[2].data() + b * 256;
    const int* farR = farAxis_[0].data() + r * 256;
    const int* farG = farAxis_[1].data() + g * 256;
    const int* farB = farAxis_[2].data() + b * 256;
    // Every colour of the cell lies within `bound` of some entry, so an entry whose nearest
    // possible point is farther than that is never the nearest.
    int bound = INT_MAX;
    for (int i = 0; i < entries_; ++i) bound = std::min(bound, farR[i] + farG[i] + farB[i]);
    if (candidates_.size() + std::size_t(entries_) > kMaxCandidates) {
        std::fill(cellStart_.begin(), cellStart_.end(), kUnfilled);
        candidates_.clear();
    }
    cellStart_[cell] = uint32_t(candidates_.size());
    for (int i = 0; i < entries_; ++i) {
        if (nearR[i] + nearG[i] + nearB[i] <= bound) {
            candidates_.push_back(uint32_t(i) << 24 | uint32_t(red_[std::size_t(i)]) << 16 |
                                  uint32_t(green_[std::size_t(i)]) << 8 |
                                  uint32_t(blue_[std::size_t(i)]));
        }
    }
    cellCount_[cell] = uint16_t(candidates_.size() - cellStart_[cell]);
}

int NearestColourTable::CandidatesFor(QRgb colour) {
    const std::size_t cell = CellOf(qRed(colour), qGreen(colour), qBlue(colour));
    if (cellStart_[cell] == kUnfilled) FillCell(cell);
    return cellCount_[cell];
}

}  // namespace orv::detail
