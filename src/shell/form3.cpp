#include "shell/form3.h"

#include <utility>

#include "annotations/Palette.h"
#include "editor/Form1.h"
#include "editor/OpenCommands.h"
#include "platform/Artwork.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"
#include "platform/moveit.h"
#include "shell/App.h"

namespace orv {

form3::form3(App& a) : Form(QStringLiteral("form3")), app(a) {
    Caption = QStringLiteral("Orvane Tessaly");
    Width = 5640;
    Height = 510;
    Left = Screen().Left + (Screen().Width - Width) / 2;
    Top = Screen().Top + (Screen().Height - Height) / 2;
    ShowInTaskbar = false;
    Topmost = false;

    Picture1.Name = QStringLiteral("Picture1");
    Picture1.Width = 5655;
    Picture1.Height = 615;
    Picture1.Artwork = QStringLiteral(":/art/strip-background.svg");
    Picture1.BackColor = RGB(31, 33, 38);
    Add(Picture1);
    // Each active look lies behind its plain icon, so the plain icons show first. The strip
    // has no room for the box tool: its 5640 twips hold three tools 600 twips apart from 120,
    // the palette from 1800 to 4215, save and close up to 5445, and the 195 twips left at its
    // end (13 pixels) are far short of a 525-twip tool picture.
    PlaceImage(Imag55, QStringLiteral("Imag55"), 120, 0, 525, "tool-distance-active.svg", Picture1);
    PlaceImage(Imag5, QStringLiteral("Imag5"), 120, 0, 525, "tool-distance.svg", Picture1,
               "Mark Length");
    PlaceImage(Imag66, QStringLiteral("Imag66"), 720, 0, 525, "tool-colour-active.svg", Picture1);
    PlaceImage(Imag6, QStringLiteral("Imag6"), 720, 0, 525, "tool-colour.svg", Picture1,
               "Mark Color");
    PlaceImage(Imag77, QStringLiteral("Imag77"), 1320, 0, 525, "tool-note-active.svg", Picture1);
    PlaceImage(Imag7, QStringLiteral("Imag7"), 1320, 0, 525, "tool-note.svg", Picture1,
               "Mark Text");
    bcolormenu.Name = QStringLiteral("bcolormenu");
    bcolormenu.Left = 1800;
    bcolormenu.Width = 2415;
    bcolormenu.Height = 495;
    Picture1.Add(bcolormenu);
    LayOutPalette(bcolormenu, colormenu, colorshape);
    Imag5.Opaque = Imag6.Opaque = Imag7.Opaque = true;
    PlaceImage(Image2, QStringLiteral("Image2"), 4320, 0, 495, "btn-save.svg", Picture1);
    PlaceImage(Image3, QStringLiteral("Image3"), 4920, 0, 525, "btn-close.svg", Picture1);

    Imag5.Click = [this] { Imag5_Click(); };
    Imag6.Click = [this] { Imag6_Click(); };
    Imag7.Click = [this] { Imag7_Click(); };
    Imag77.Click = [this] { Imag77_Click(); };
    for (Label& s : colormenu) {
        const int k = s.Index;
        s.Click = [this, k] { colormenu_Click(k); };
    }
    Image2.Click = [this] { Image2_Click(); };
    Image3.Click = [this] { Image3_Click(); };
    Picture1.MouseMove = [this](const MouseEvent& e) { Picture1_MouseMove(e); };
}

clsWaitableTimer& form3::Waiter() {
    if (!waiter_) waiter_ = std::make_unique<clsWaitableTimer>(app.desktop);
    return *waiter_;
}

void form3::Form_Load() {
    // The start-up path is opened by the strip's first load only: a strip
    // loaded again later (after its close) must not reopen it over the editor.
    firstopen = StripQuotes(std::exchange(app.CommandLine, QString()));
    Form1* loaded = app.EditorIfLoaded();
    if (!firstopen.isEmpty() && (!loaded || loaded->MayDiscardWork())) {
        Form1& ed = app.Editor();
        ed.open1 = firstopen;
        ed.Picture1.Height = Screen().Height;
        ed.Picture6.Width = Screen().Width;
        ed.Command14_Click();
        // Shown only with a picture: a failed open leaves no empty editor behind its message.
        if (!ed.openFailed || ed.Visible) app.ShowEditor();
        Visible = false;
    }
    Topmost = true;
    app.desktop.SetTopmost(*this);
}

namespace {
void ShowStripToolLook(form3& f, const Image* chosen) {
    ShowToolLook({{&f.Imag5, &f.Imag55}, {&f.Imag6, &f.Imag66}, {&f.Imag7, &f.Imag77}}, chosen);
}
}  // namespace

void form3::ShowEditorTool() {
    const Image* chosen = nullptr;
    switch (app.Editor().pd) {
        case Tool::Distance:
            chosen = &Imag5;
            break;
        case Tool::ColourPick:
            chosen = &Imag6;
            break;
        case Tool::Note:
            chosen = &Imag7;
            break;
        case Tool::Move:
        case Tool::Box:  // tools the strip has no picture of: none shows chosen
        case Tool::Redact:
            break;
    }
    ShowStripToolLook(*this, chosen);
}

void form3::Imag5_Click() {
    ShowStripToolLook(*this, &Imag5);
    app.Editor().Command3_Click();
}
void form3::Imag6_Click() {
    ShowStripToolLook(*this, &Imag6);
    app.Editor().Command4_Click();
}
void form3::Imag7_Click() {
    ShowStripToolLook(*this, &Imag7);
    app.Editor().Command6_Click();
}
void form3::Imag77_Click() {
    ShowStripToolLook(*this, &Imag7);
}

void form3::colormenu_Click(int Index) {
    if (Index < 0 || Index > 5) return;
    const Label& swatch = colormenu[static_cast<size_t>(Index)];
    MovePaletteFrame(colorshape, swatch);
    app.Editor().SetTemplateColours(swatch.BackColor);
}

void form3::Image2_Click() {
    app.Editor().Command5_Click();
}

void form3::Image3_Click() {
    QueryUnload();
}

void form3::QueryUnload() {
    if (Form1* ed = app.EditorIfLoaded(); ed && !ed->MayDiscardWork()) return;
    app.UnloadEditor();
    app.UnloadStrip();
}

void form3::Picture1_MouseMove(const MouseEvent&) {
    DragWindow(app.desktop, *this);
}

void form3::LayOutEditorBars() {
    Form1& ed = app.Editor();
    ed.Picture6.Width = Screen().Width;
    ed.Picture1.Height = Screen().Height;
    // A screen measurement hid them: whichever route filled the editor, its tools show.
    ed.Picture6.Visible = true;
    ed.Picture1.Visible = true;
    RepaintEditorBars(ed);
}

}  // namespace orv
