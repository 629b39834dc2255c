#include "annotations/Geometry.h"

namespace orv {

namespace {

constexpr float kTickHalf = 80;     // each end tick reaches this far to either side
constexpr float kLabelLift = 40;    // colour label above the swatch in octants 1 and 8
constexpr float kLabelRaise = 100;  // a resting length label sits this far above its line
constexpr float kNoteMargin = 100;  // room added to a note's text extent

bool Shallow(int octant) {
    return octant == 1 || octant == 4 || octant == 5 || octant == 8;
}
bool Rightward(int octant) {
    return octant == 1 || octant == 2 || octant == 7 || octant == 8;
}
float F(double v) {
    return static_cast<float>(v);
}

}  // namespace

std::optional<Direction> DirectionOf(float dx, float dy, float r) {
    struct Row {
        int sx, sy;  // signs of dx and dy
        bool steep;  // r > 1 (else r < 1)
        int octant, orientation;
    };
    // All comparisons are strict: on an axis or a diagonal nothing matches.
    static constexpr Row rows[] = {
        {1, 1, false, 1, 1},   {1, 1, true, 2, 2},   {-1, 1, true, 3, 2}, {-1, 1, false, 4, 1},
        {-1, -1, false, 5, 1}, {-1, -1, true, 6, 2}, {1, -1, true, 7, 2}, {1, -1, false, 8, 1}};
    for (const Row& row : rows) {
        const bool xs = row.sx > 0 ? dx > 0 : dx < 0;
        const bool ys = row.sy > 0 ? dy > 0 : dy < 0;
        const bool rs = row.steep ? r > 1 : r < 1;
        if (xs && ys && rs) return Direction{row.octant, row.orientation};
    }
    return std::nullopt;
}

std::optional<DistanceLayout> LayOutDistance(QPointF anchor, QPointF pointer, int orientation) {
    const float ax = F(anchor.x()), ay = F(anchor.y());
    DistanceLayout out;
    if (orientation == 1) {
        out.Line = {ax, ay, F(pointer.x()), ay};
        out.StartTick = {ax, ay - kTickHalf, ax, ay + kTickHalf};
        out.EndTick = {out.Line.X2, ay - kTickHalf, out.Line.X2, ay + kTickHalf};
        out.Label = QPointF((out.Line.X1 + out.Line.X2) / 2, ay);
    } else if (orientation == 2) {
        out.Line = {ax, ay, ax, F(pointer.y())};
        out.StartTick = {ax - kTickHalf, ay, ax + kTickHalf, ay};
        out.EndTick = {ax - kTickHalf, out.Line.Y2, ax + kTickHalf, out.Line.Y2};
        out.Label = QPointF(ax, (out.Line.Y1 + out.Line.Y2) / 2);
    } else {
        return std::nullopt;
    }
    return out;
}

std::optional<QPointF> RestingLabelPlace(const Segment& line, int orientation, float labelWidth) {
    if (orientation == 1) return QPointF((line.X1 + line.X2) / 2, line.Y1 - kLabelRaise);
    if (orientation == 2) return QPointF(line.X1 - labelWidth / 2, (line.Y1 + line.Y2) / 2);
    return std::nullopt;
}

std::optional<LeaderLayout> LayOutLeader(QPointF anchor, QPointF pointer, int octant) {
    if (octant < 1 || octant > 8) return std::nullopt;
    const float ax = F(anchor.x()), ay = F(anchor.y());
    const float y = F(pointer.y());
    const bool leansRight = octant == 1 || octant == 2 || octant == 5 || octant == 6;
    LeaderLayout out;
    out.Leg = {ax, ay, ax + (leansRight ? 1.0f : -1.0f) * (y - ay), y};
    out.FootVisible = Shallow(octant);
    if (out.FootVisible) {
        out.Foot = {out.Leg.X2, out.Leg.Y2, F(pointer.x()), out.Leg.Y2};
        out.End = QPointF(out.Foot.X2, out.Foot.Y2);
    } else {
        out.End = QPointF(out.Leg.X2, out.Leg.Y2);
    }
    return out;
}

ColourLabelLayout PlaceColourLabel(int octant, QPointF end, QSizeF swatch, QSizeF code) {
    const float tx = F(end.x()), ty = F(end.y());
    const float sw = F(swatch.width()), sh = F(swatch.height());
    const float cw = F(code.width()), ch = F(code.height());
    ColourLabelLayout out;
    if (Rightward(octant)) {
        const float lift = (octant == 1 || octant == 8) ? kLabelLift : 0;
        out.Swatch = QPointF(tx, ty - ch / 2);
        out.Code = QPointF(tx + sw, ty - ch / 2 - lift);
    } else {
        // Steep and upper-left octants centre on the swatch, the left one on the label.
        const float half = (octant != 4 ? sh : ch) / 2;
        out.Swatch = QPointF(tx - sw, ty - half);
        out.Code = QPointF(tx - sw - cw, ty - half);
    }
    return out;
}

QPointF PlaceNoteBox(QPointF end, float boxHeight) {
    return QPointF(end.x(), F(end.y()) - boxHeight / 2);
}

QSizeF NoteBoxSize(QSizeF textExtent) {
    return QSizeF(F(textExtent.width()) + kNoteMargin, F(textExtent.height()) + kNoteMargin);
}

}  // namespace orv
