// The editor's timers cost nothing while nobody looks: the magnifier refreshes
// only while the editor is shown, and the edge-scroll timer runs only from a
// left press on the canvas to its release.

#include "editor/Form1.h"

namespace orv {

void Form1::SetShown(bool shown) {
    Visible = shown;
    Timer3.SetEnabled(shown);
    if (!shown) Timer2.SetEnabled(false);
}

void Form1::WireQuietTimers() {
    Picture2.MouseDown = [this, inner = std::move(Picture2.MouseDown)](const MouseEvent& e) {
        if (inner) inner(e);
        // A screen measurement has no edge scrolling: its canvas is the screen itself.
        if (e.Button == 1 && Visible && host.EditorStartMode() != StartMode::ScreenMeasurement)
            Timer2.SetEnabled(true);
    };
    Picture2.MouseUp = [this, inner = std::move(Picture2.MouseUp)](const MouseEvent& e) {
        Timer2.SetEnabled(false);
        if (inner) inner(e);
    };
    // Whatever hid the editor, the next tick of either timer stops it.
    for (Timer* t : {&Timer2, &Timer3}) {
        t->Tick = [this, t, inner = std::move(t->Tick)] {
            if (!Visible) {
                t->SetEnabled(false);
                return;
            }
            if (inner) inner();
        };
    }
}

}  // namespace orv
