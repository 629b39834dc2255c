// Notes after they are placed: automatic size, switching between the text box
// and the transparent display label, moving, the right-click menu and its
// colour, delete and mode commands.

#include <Qt>

#include "annotations/Geometry.h"
#include "editor/Form1.h"
#include "platform/Desktop.h"
#include "platform/Fonts.h"

namespace orv {

namespace {
// The colour of a note's leader legs while its box is held.
constexpr Colour kHeldLeaderColour = RGB(0, 0, 255);

// Lays the display label exactly over the text box, with its text and colour.
void CopyBoxToLabel(const TextBox& box, Label& label) {
    label.SetCaption(box.Text());
    label.Left = box.Left;
    label.Top = box.Top;
    label.Width = box.Width;
    label.Height = box.Height;
    label.ForeColor = box.ForeColor;
}
}  // namespace

void Form1::bz_Change(int Index) {
    IgnoreErrors([&] {
        TextBox& box = bz(Index);
        // Measured in the font the box shows its text in, so the whole text
        // shows on screen and in a saved picture.
        const QSizeF size = NoteBoxSize(MeasureText(box.Font, box.Text()));
        box.Width = static_cast<float>(size.width());
        box.Height = static_cast<float>(size.height());
    });
}

void Form1::bz_MouseDown(int Index, const MouseEvent& e) {
    if (e.Button == 1) {
        vars.grabX = e.X;
        vars.grabY = e.Y;
        bzindex = Index;
        IgnoreErrors([&] {
            const TextBox& box = bz(Index);
            jzys.BackColor = box.BackColor;
            jzys.ForeColor = box.ForeColor;
        });
        IgnoreErrors([&] { zba(Index).BorderColor = kHeldLeaderColour; });
        IgnoreErrors([&] { zbb(Index).BorderColor = kHeldLeaderColour; });
    } else if (e.Button == 2) {
        bzindex = Index;
        // Disabling and re-enabling the box cancels its own edit menu; it
        // keeps the input focus, and only the note menu opens.
        IgnoreErrors([&] {
            TextBox& box = bz(bzindex);
            box.Enabled = false;
            box.Enabled = true;
            FocusRequest = &box;
        });
        PopupAnnotationMenu(cddd());
    }
}

void Form1::bz_MouseMove(int Index, const MouseEvent& e) {
    TextBox* box = bz.Find(Index);
    if (!box) return;
    if (e.Button == 1) {
        // Only the box moves; the leader keeps its old end.
        box->Left = box->Left + e.X - vars.grabX;
        box->Top = box->Top + e.Y - vars.grabY;
        box->ZOrder();
        return;
    }
    if (e.Button != 0) return;
    if (e.X >= 0 && e.X <= box->Width && e.Y >= 0 && e.Y <= box->Height) {
        // Keep receiving moves so that leaving the box is noticed.
        Capture = box;
        return;
    }
    desktop.ReleaseCapture(*this);
    Label* label = bzz.Find(Index);
    if (!label || label->Caption().isEmpty()) return;  // opaque: the box stays
    CopyBoxToLabel(*box, *label);
    label->Visible = true;
    box->Visible = false;
    label->ZOrder();
}

void Form1::bz_MouseUp(int, const MouseEvent& e) {
    // Only the release that ends a left hold gives back the remembered colour:
    // a release after the note menu must not undo a colour chosen there.
    if (e.Button != 1) return;
    const int i = bzindex;
    IgnoreErrors([&] { zba(i).BorderColor = jzys.ForeColor; });
    IgnoreErrors([&] { zbb(i).BorderColor = jzys.ForeColor; });
    IgnoreErrors([&] { bz(i).ForeColor = jzys.ForeColor; });
}

void Form1::bz_KeyPress(int Index, int key) {
    if (key != Qt::Key_Escape) return;
    // The text stays as typed; only the keyboard goes back to the window.
    if (FocusRequest == bz.Find(Index)) FocusRequest = nullptr;
    FocusToWindow = true;
}

void Form1::EditNewNote(int Index) {
    TextBox* box = bz.Find(Index);
    if (!box || !box->Visible) return;
    bzindex = Index;
    FocusRequest = box;
    FocusSelectsAll = true;
}

void Form1::bzz_Click(int Index) {
    bzz_MouseMove(Index, MouseEvent{});
}

void Form1::bzz_MouseMove(int Index, const MouseEvent&) {
    // The text box takes the label's place, so the text can be edited.
    bzindex = Index;
    IgnoreErrors([&] { bz(Index).Visible = true; });
    IgnoreErrors([&] { bzz(Index).Visible = false; });
}

void Form1::Command16_Click() {
    const std::optional<Colour> chosen = PickColour();
    if (!chosen) return;
    IgnoreErrors([&] { bz(bzindex).BackColor = *chosen; });
}

void Form1::Command13_Click() {
    const std::optional<Colour> chosen = PickColour();
    if (!chosen) return;
    IgnoreErrors([&] { bz(bzindex).ForeColor = *chosen; });
}

void Form1::Command19_Click() {
    const int i = bzindex;
    if (const TextBox* box = bz.Find(i)) {
        // Nothing may keep pointing at the box once it is gone.
        if (Capture == box) Capture = nullptr;
        if (FocusRequest == box) FocusRequest = nullptr;
    }
    IgnoreErrors([&] { zba.Unload(i); });
    IgnoreErrors([&] { zbb.Unload(i); });
    IgnoreErrors([&] { bz.Unload(i); });
    // The display label stays loaded but is never shown again.
    IgnoreErrors([&] { bzz(i).Visible = false; });
}

void Form1::Command15_Click() {
    const int i = bzindex;
    TextBox* box = bz.Find(i);
    Label* label = bzz.Find(i);
    if (!box || !label) return;
    // An empty text leaves the caption empty: the note stays opaque.
    CopyBoxToLabel(*box, *label);
    label->Visible = true;
    box->Visible = false;
    label->ZOrder();
}

void Form1::Command17_Click() {
    const int i = bzindex;
    IgnoreErrors([&] {
        Label& label = bzz(i);
        label.SetCaption(QString());
        label.Visible = false;
    });
    IgnoreErrors([&] {
        TextBox& box = bz(i);
        box.Visible = true;
        box.ZOrder();
    });
    // The switch to opaque mode stands even when the dialog is cancelled.
    const std::optional<Colour> chosen = PickColour();
    if (!chosen) return;
    IgnoreErrors([&] { bz(i).BackColor = *chosen; });
}

}  // namespace orv
