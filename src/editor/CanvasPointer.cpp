// Press and release on the canvas: the press starts an annotation in the
// current tool, the release finishes it and advances the element counters.

#include <utility>

#include "annotations/Geometry.h"
#include "editor/Form1.h"
#include "platform/Colour.h"

namespace orv {

void Form1::Picture2_MouseDown(const MouseEvent& e) {
    if (guides.Press(e)) return;
    vars.pressX = e.X;
    vars.pressY = e.Y;
    Picture2.AutoRedraw = true;
    if (e.Button != 1) return;

    // Indices are normally fresh; a press whose release never arrived (the
    // pointer grab was lost) leaves its elements at the counter, and they are
    // kept, not overwritten: the new annotation takes the next free index.
    if (pd == Tool::Distance) {
        qqqq = annotations.FreeDistanceIndex(qqqq);
        const DistanceMarker m = annotations.CreateDistanceMarker(qqqq);
        m.Segment.Visible = true;
        m.Segment.X1 = m.Segment.X2 = e.X;
        m.Segment.Y1 = m.Segment.Y2 = e.Y;
        Timer1.SetEnabled(true);
    } else if (pd == Tool::ColourPick) {
        // Outside the picture there is no colour to show: no marker is made.
        const int64_t colour = Picture2.Point(e.X, e.Y);
        vars.sampledColor = colour;
        if (colour < 0) return;
        wwww = annotations.FreeLeaderIndex(wwww);
        const ColourMarker m = annotations.CreateColourMarker(wwww);
        m.Leg.X1 = m.Leg.X2 = e.X;
        m.Leg.Y1 = m.Leg.Y2 = e.Y;
        m.Code.Visible = false;
        m.Swatch.Visible = false;
        m.Leg.Visible = true;
        Timer1.SetEnabled(true);
        getwebrgb(e.X, e.Y);
    } else if (pd == Tool::Note) {
        // The second press of a double-click lands where the first one just placed a note:
        // it edits that note instead of stacking another one on it.
        if (const std::optional<Note> last = annotations.NoteAt(wwww - 1);
            last && last->Leg.X1 == e.X && last->Leg.Y1 == e.Y && last->Leg.X2 == e.X &&
            last->Leg.Y2 == e.Y) {
            EditNewNote(wwww - 1);
            pressEditsNote_ = true;
            return;
        }
        wwww = annotations.FreeLeaderIndex(wwww);
        const Note m = annotations.CreateNote(wwww);
        m.Leg.X1 = m.Leg.X2 = e.X;
        m.Leg.Y1 = m.Leg.Y2 = e.Y;
        m.Box.Visible = true;
        m.Leg.Visible = true;
        Timer1.SetEnabled(true);
    }
}

void Form1::PlaceClickedNote() {
    const std::optional<Note> m = annotations.NoteAt(wwww);
    if (!m) return;
    // A click that never dragged leaves the box where it was loaded, at the picture's
    // corner, far from the point: it goes beside the point instead, as a drag there would
    // put it.
    if (m->Leg.X1 == m->Leg.X2 && m->Leg.Y1 == m->Leg.Y2 && !m->Foot.Visible) {
        const QPointF at = PlaceNoteBox({m->Leg.X1, m->Leg.Y1}, m->Box.Height);
        m->Box.Left = static_cast<float>(at.x());
        m->Box.Top = static_cast<float>(at.y());
    }
    EditNewNote(wwww);
}

void Form1::Picture2_MouseUp(const MouseEvent& e) {
    if (guides.Release()) return;
    const bool edited = std::exchange(pressEditsNote_, false);
    Timer1.SetEnabled(false);
    if (e.Button == 1 && DropPointMark()) return;
    if (pd == Tool::Distance) {
        if (e.Button == 1) {
            const Line* line = Line1.Find(qqqq);
            Label* label = aapx.Find(qqqq);
            if (line && label) {
                const Segment s{line->X1, line->Y1, line->X2, line->Y2};
                if (const auto place = RestingLabelPlace(s, Label1, label->Width)) {
                    label->Left = static_cast<float>(place->x());
                    label->Top = static_cast<float>(place->y());
                }
            }
        }
        ++qqqq;
    } else if (pd == Tool::Note) {
        if (edited) return;  // the press edited a note instead of making one
        if (e.Button == 1) PlaceClickedNote();
        ++wwww;
    } else if (pd == Tool::ColourPick) {
        ++wwww;
    }
}

}  // namespace orv
