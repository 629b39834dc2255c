#pragma once
// Where the children of one picture box lie, in a grid of cells over their pixel places,
// so that a repaint of a small area (the magnifier's tick over a canvas with thousands
// of annotations) finds the few children that meet it without looking at every one.
// The window that shows the box brings the index in step after every change it shows;
// between two such refreshes a child that moved is found at its former place, and the
// next refresh repaints both places, so nothing stays wrong on screen.

#include <QRect>
#include <QRegion>
#include <cstdint>
#include <vector>

#include "platform/Controls.h"

namespace orv {

class ChildIndex {
  public:
    /// Brings the index in step with box: built anew when the children or their stacking
    /// changed since, or when any child lies elsewhere than it did.
    void Refresh(const PictureBox& box);
    /// The children of box whose pixel places (ControlPixelRect, as of the last refresh)
    /// meet r (pixels of the box), in painting order, into out. False, leaving out empty,
    /// when the index is not in step with box's children (none built yet, another box, a
    /// child added, removed or restacked since): then only a walk of all of them is right.
    bool Meeting(const Container& box, const QRect& r, std::vector<const Control*>& out) const;
    /// The same for every rectangle of an area (a frame round something is four thin ones).
    bool Meeting(const Container& box, const QRegion& area, std::vector<const Control*>& out) const;

  private:
    struct Entry {
        const Control* control;
        QRect rect;
    };
    void Build(const PictureBox& box);
    /// The cells a rectangle covers, clamped to the grid: [x0, x1] x [y0, y1].
    bool CellsOf(const QRect& r, int& x0, int& y0, int& x1, int& y1) const;
    /// Adds the positions of the entries meeting r to found.
    void Collect(const QRect& r, std::vector<int>& found) const;
    /// The controls at the positions found, in their order, each once.
    void Hand(std::vector<int>& found, std::vector<const Control*>& out) const;
    /// Meeting() for the rectangles from `begin` to `end`.
    bool Meeting(const Container& box, const QRect* begin, const QRect* end,
                 std::vector<const Control*>& out) const;

    const Container* box_ = nullptr;
    uint64_t version_ = 0;
    bool pixelScale_ = false;
    std::vector<Entry> entries_;  ///< in painting order
    QRect area_;                  ///< what the cells cover
    int cell_ = 64, columns_ = 0, rows_ = 0;
    std::vector<std::vector<int>> cells_;  ///< entries (by position) meeting each cell
    std::vector<int> wide_;                ///< entries too large for cells, met by every query
};

}  // namespace orv
