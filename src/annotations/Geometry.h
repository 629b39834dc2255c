#pragma once
// The live geometry of annotations as pure functions of the anchor (where the
// press was), the pointer, and the direction codes: the segment and ticks of a
// distance marker, the two-leg leader of a colour marker or note, and where the
// label, swatch or note box sits at the leader's end. All values are twips.

#include <QPointF>
#include <QSizeF>
#include <optional>

namespace orv {

/// Direction codes of a pointer offset: the octant 1..8 (counted clockwise from
/// just below east, y growing downwards) and the orientation (1 horizontal, 2 vertical).
struct Direction {
    int Octant = 0;
    int Orientation = 0;
    bool operator==(const Direction&) const = default;
};

/// The direction of the offset (dx, dy) from the anchor, with r = |dy| / |dx|.
/// An offset along an axis takes that axis (dx = 0 vertical, dy = 0 horizontal),
/// and a diagonal (r = 1) the shallow octant of its quadrant, so every drag has
/// a direction; nullopt only when the pointer is on the anchor.
std::optional<Direction> DirectionOf(float dx, float dy, float r);

/// A straight piece from (X1, Y1) to (X2, Y2).
struct Segment {
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    bool operator==(const Segment&) const = default;
};

/// A distance marker while it is drawn: the segment snapped to its orientation,
/// a tick across each end, and the top-left corner of its length label.
struct DistanceLayout {
    Segment Line, StartTick, EndTick;
    QPointF Label;
};

/// The layout for a segment starting at anchor with the pointer at pointer, in
/// orientation 1 (horizontal) or 2 (vertical); nullopt for any other orientation.
std::optional<DistanceLayout> LayOutDistance(QPointF anchor, QPointF pointer, int orientation);

/// Where a length label rests once its segment is drawn: above the middle of a
/// horizontal segment, centred on the middle of a vertical one.
std::optional<QPointF> RestingLabelPlace(const Segment& line, int orientation, float labelWidth);

/// A two-leg leader: the first leg runs at 45 degrees from the anchor to the
/// pointer's height; in the shallow octants a level foot runs on to the pointer.
struct LeaderLayout {
    Segment Leg;
    Segment Foot;
    bool FootVisible = false;
    QPointF End;  ///< the far end: the foot's end, or the elbow without a foot
};

/// The leader for octant 1..8; nullopt when there is no octant yet.
std::optional<LeaderLayout> LayOutLeader(QPointF anchor, QPointF pointer, int octant);

/// Where a colour marker's swatch and code label sit at the leader's end.
struct ColourLabelLayout {
    QPointF Swatch, Code;
};
ColourLabelLayout PlaceColourLabel(int octant, QPointF end, QSizeF swatch, QSizeF code);

/// The top-left corner of a note box of the given height at the leader's end.
QPointF PlaceNoteBox(QPointF end, float boxHeight);

/// A note box's size for a text of the given extent, measured in the font the
/// box draws its text in: the extent plus a margin on every side.
QSizeF NoteBoxSize(QSizeF textExtent);

}  // namespace orv
