// The nearest entry of a palette for any RGB colour, as a cube of cells that each remember which
// entries can be nearest to a colour inside them.
#pragma once

#include <QList>
#include <QRgb>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace orv::detail {

// Exact nearest palette entry (squared RGB distance; of equally near entries, the lowest
// index). The colour cube is cut into 64 × 64 × 64 cells of 4 × 4 × 4 colours; the first colour
// asked in a cell fills in the cell's candidates, the entries whose nearest possible point in the
// cell is no farther than the farthest point of the best-placed entry. Any other entry is
// farther from every colour of the cell, so a lookup compares only the few candidates.
// Not safe to share between threads: give each thread its own table.
class NearestColourTable {
  public:
    // `palette` holds 1 to 256 entries (alpha is ignored).
    explicit NearestColourTable(const QList<QRgb>& palette);

    uint8_t operator()(QRgb colour) {
        const int r = qRed(colour), g = qGreen(colour), b = qBlue(colour);
        const std::size_t cell = CellOf(r, g, b);
        if (cellStart_[cell] == kUnfilled) FillCell(cell);
        const uint32_t* candidate = candidates_.data() + cellStart_[cell];
        const uint32_t* const end = candidate + cellCount_[cell];
        if (end - candidate == 1) return uint8_t(*candidate >> 24);
        // Distance and index in one key, so the least key is the nearest entry of lowest index
        // and the loop needs no branch.
        int best = INT32_MAX;
        for (; candidate != end; ++candidate) {
            const uint32_t entry = *candidate;
            const int dr = int(entry >> 16 & 0xff) - r, dg = int(entry >> 8 & 0xff) - g,
                      db = int(entry & 0xff) - b;
            best = std::min(best, (dr * dr + dg * dg + db * db) << 8 | int(entry >> 24));
        }
        return uint8_t(best & 0xff);
    }

    // How many entries the cell of `colour` compares (fills the cell); for tests and tuning.
    int CandidatesFor(QRgb colour);
    // How many candidates the filled cells hold together; never more than kMaxCandidates.
    std::size_t StoredCandidates() const { return candidates_.size(); }

    // A palette crowded in one corner of the cube keeps most of its entries as candidates of
    // the far cells; past this many (16 MB), the filled cells are forgotten and filled again.
    static constexpr std::size_t kMaxCandidates = std::size_t(1) << 22;

  private:
    static constexpr uint32_t kUnfilled = UINT32_MAX;
    static constexpr int kCellBits = 6;
    static constexpr int kCellsPerSide = 1 << kCellBits;
    static constexpr int kCellWidth = 256 / kCellsPerSide;

    static std::size_t CellOf(int r, int g, int b) {
        constexpr int shift = 8 - kCellBits;
        return std::size_t((r >> shift) << (2 * kCellBits) | (g >> shift) << kCellBits |
                           (b >> shift));
    }

    void FillCell(std::size_t cell);

    int entries_ = 0;
    std::array<int, 256> red_{}, green_{}, blue_{};
    // Per axis and cell coordinate, each entry's least and greatest squared distance along that
    // axis to the cell's slab: [coordinate * 256 + entry].
    std::vector<int> nearAxis_[3], farAxis_[3];
    std::vector<uint32_t> cellStart_;
    std::vector<uint16_t> cellCount_;
    // The candidates of the filled cells, each as its index << 24 | its RGB.
    std::vector<uint32_t> candidates_;
};

}  // namespace orv::detail
