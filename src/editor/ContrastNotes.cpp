// Contrast notes: the WCAG ratio of two sampled colours, placed as an ordinary
// note drawn through the note tool's own handlers.

#include "editor/ContrastNotes.h"

#include "annotations/ContrastRatio.h"
#include "editor/Form1.h"

namespace orv {

namespace {
// The note's box sits this far right of and above the point between the swatches.
constexpr float kLeaderRun = 600;
}  // namespace

void Form1::contrast_Click() {
    contrast.Begin(coindex);
}

void ContrastNotes::Begin(int marker) {
    from_ = ed_.Shape1.Exists(marker) ? marker : 0;
}

int ContrastNotes::Pick(int marker) {
    if (!from_ || marker == from_) return 0;
    const Shape* a = ed_.Shape1.Find(from_);
    const Shape* b = ed_.Shape1.Find(marker);
    from_ = 0;
    if (!a || !b) return 0;
    const QString text = ContrastText(a->BackColor, b->BackColor);
    // Anchored half-way between the centres of the two swatches.
    const float x = (a->Left + a->Width / 2 + b->Left + b->Width / 2) / 2;
    const float y = (a->Top + a->Height / 2 + b->Top + b->Height / 2) / 2;

    const Tool tool = ed_.pd;
    const auto pointer = std::make_pair(ed_.Text5, ed_.Text6);
    ed_.pd = Tool::Note;
    const int n = [&] {
        MouseEvent e{1, 0, x, y};
        ed_.Picture2_MouseDown(e);
        return ed_.wwww;
    }();
    for (int k = 0; k < 2; ++k) {
        ed_.Picture2_MouseMove({1, 0, x + kLeaderRun, y - kLeaderRun / 2});
        ed_.Timer1_Timer();
    }
    ed_.Picture2_MouseUp({1, 0, x + kLeaderRun, y - kLeaderRun / 2});
    IgnoreErrors([&] { ed_.bz(n).SetText(text); });
    ed_.pd = tool;
    ed_.Text5 = pointer.first;
    ed_.Text6 = pointer.second;
    return n;
}

}  // namespace orv
