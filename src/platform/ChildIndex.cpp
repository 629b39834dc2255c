#include "platform/ChildIndex.h"

#include <algorithm>

#include "platform/Painter.h"

namespace orv {

namespace {
constexpr int kMaxCellsAcross = 64;  // the grid has at most 64 x 64 cells
constexpr int kMinCell = 32;         // pixels
constexpr int kWideCells = 64;       // an entry over more cells than this is met by every query
}  // namespace

void ChildIndex::Refresh(const PictureBox& box) {
    if (box_ == &box && version_ == box.ChildrenVersion() && pixelScale_ == box.ScalePixels) {
        bool moved = false;
        for (const Entry& e : entries_)
            if (ControlPixelRect(*e.control, pixelScale_) != e.rect) {
                moved = true;
                break;
            }
        if (!moved) return;
    }
    Build(box);
}

void ChildIndex::Build(const PictureBox& box) {
    box_ = &box;
    version_ = box.ChildrenVersion();
    pixelScale_ = box.ScalePixels;
    entries_.clear();
    cells_.clear();
    wide_.clear();
    area_ = QRect();
    const std::vector<Control*>& order = box.PaintOrder();
    entries_.reserve(order.size());
    for (const Control* c : order) {
        const QRect r = ControlPixelRect(*c, pixelScale_);
        entries_.push_back(Entry{c, r});
        if (!r.isEmpty()) area_ = area_.united(r);
    }
    if (area_.isEmpty()) {
        columns_ = rows_ = 0;
        return;
    }
    const int longest = std::max(area_.width(), area_.height());
    cell_ = std::max(kMinCell, (longest + kMaxCellsAcross - 1) / kMaxCellsAcross);
    columns_ = (area_.width() + cell_ - 1) / cell_;
    rows_ = (area_.height() + cell_ - 1) / cell_;
    cells_.assign(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), {});
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        int x0, y0, x1, y1;
        if (!CellsOf(entries_[i].rect, x0, y0, x1, y1)) continue;
        if ((x1 - x0 + 1) * (y1 - y0 + 1) > kWideCells) {
            wide_.push_back(i);
            continue;
        }
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                cells_[static_cast<size_t>(y * columns_ + x)].push_back(i);
    }
}

bool ChildIndex::CellsOf(const QRect& r, int& x0, int& y0, int& x1, int& y1) const {
    const QRect in = r.intersected(area_);
    if (in.isEmpty() || columns_ == 0) return false;
    x0 = (in.left() - area_.left()) / cell_;
    y0 = (in.top() - area_.top()) / cell_;
    x1 = std::min(columns_ - 1, (in.right() - area_.left()) / cell_);
    y1 = std::min(rows_ - 1, (in.bottom() - area_.top()) / cell_);
    return true;
}

void ChildIndex::Collect(const QRect& r, std::vector<int>& found) const {
    int x0, y0, x1, y1;
    if (!CellsOf(r, x0, y0, x1, y1)) return;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            for (int i : cells_[static_cast<size_t>(y * columns_ + x)])
                if (entries_[static_cast<size_t>(i)].rect.intersects(r)) found.push_back(i);
    for (int i : wide_)
        if (entries_[static_cast<size_t>(i)].rect.intersects(r)) found.push_back(i);
}

void ChildIndex::Hand(std::vector<int>& found, std::vector<const Control*>& out) const {
    // Positions in the entries are positions in the painting order.
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    out.reserve(found.size());
    for (int i : found) out.push_back(entries_[static_cast<size_t>(i)].control);
}

bool ChildIndex::Meeting(const Container& box, const QRect& r,
                         std::vector<const Control*>& out) const {
    return Meeting(box, &r, &r + 1, out);
}

bool ChildIndex::Meeting(const Container& box, const QRegion& area,
                         std::vector<const Control*>& out) const {
    return Meeting(box, area.begin(), area.end(), out);
}

bool ChildIndex::Meeting(const Container& box, const QRect* begin, const QRect* end,
                         std::vector<const Control*>& out) const {
    out.clear();
    if (box_ != &box || version_ != box.ChildrenVersion()) return false;
    thread_local std::vector<int> found;
    found.clear();
    for (const QRect* r = begin; r != end; ++r) Collect(*r, found);
    Hand(found, out);
    return true;
}

}  // namespace orv
