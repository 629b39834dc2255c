// A press and release at one point in the distance or colour tool draws
// nothing: the marker begun at the press is taken away again at the release,
// so no one-pixel dot without a label is left where nothing can select it.

#include "editor/Form1.h"

namespace orv {

namespace {
bool IsPoint(const Line& l) {
    return l.X1 == l.X2 && l.Y1 == l.Y2;
}
}  // namespace

bool Form1::DropPointMark() {
    // Only a marker whose label never showed is taken away: a drag that came
    // back to its press point, or a one-pixel span kept from the edge guides,
    // shows its "1px" label and can be pressed like any other.
    if (pd == Tool::Distance) {
        const std::optional<DistanceMarker> m = annotations.DistanceMarkerAt(qqqq);
        if (!m || m->Length.Visible || !IsPoint(m->Segment)) return false;
        annotations.Remove(*m);
        return true;
    }
    if (pd == Tool::ColourPick) {
        const std::optional<ColourMarker> m = annotations.ColourMarkerAt(wwww);
        if (!m || m->Code.Visible || !IsPoint(m->Leg)) return false;
        annotations.Remove(*m);
        return true;
    }
    return false;
}

}  // namespace orv
