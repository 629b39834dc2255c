// The tool strip's three routes into the editor, raised by the tray menu: a
// file chosen in the dialog, the clipboard's picture, and a still copy of the
// screen with the strip as the only tool bar.

#include "editor/Form1.h"
#include "editor/OpenCommands.h"
#include "imaging/OpenFailure.h"
#include "imaging/io/DecodedPictures.h"
#include "imaging/io/PictureLoader.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"
#include "shell/App.h"
#include "shell/form3.h"

namespace orv {

namespace {
/// Title of the program's message boxes.
const QString kProgramTitle = QStringLiteral("Orvane Tessaly");

/// A screen measurement left the canvas at the window's corner, under the bars that are
/// shown again now: it goes beside them, where an open puts it.
void PlaceCanvasBesideBars(Form1& ed) {
    ed.Picture2.Top = ed.Picture6.Height + 100;
    ed.Picture2.Left = ed.Picture1.Width + 100;
}
}  // namespace

bool form3::LeaveScreenMeasurement() {
    if (Text1 != StartMode::ScreenMeasurement) return false;
    // The file and clipboard routes fill an ordinary editor, with its bars, its save and its
    // close: a later load of the editor no longer copies the screen.
    Text1 = StartMode::Normal;
    return true;
}

void form3::OpenFromFile() {
    // A cancelled dialog opens nothing, however often the dialog was used before.
    QString file;
    IgnoreErrors([&] { file = app.desktop.OpenFileDialog(); });
    if (file.isEmpty()) return;
    if (Form1* shown = app.EditorIfLoaded(); shown && !shown->MayDiscardWork()) return;

    const OpenAttempt attempt;
    const bool measuring = LeaveScreenMeasurement();
    const bool firstOpen = app.EditorIfLoaded() == nullptr;
    Form1& ed = app.Editor();
    ed.open1 = file;
    ed.open2 = LowerExtension(file);
    // A new editor shows once its picture opened; one shown before stays while it opens.
    if (!firstOpen) app.ShowEditor();
    IgnoreErrors([&] { LayOutEditorBars(); });
    if (measuring) PlaceCanvasBesideBars(ed);
    Visible = false;
    ed.OpenByExtension();
    ed.open2.clear();
    // The PSD open puts the left bar at the window's corner: the bars go where any open
    // leaves them.
    IgnoreErrors([&] { RepaintEditorBars(ed); });
    // A new editor shows now, or goes when nothing opened; one shown before was shown above,
    // and a hide the user clicked during the open's pause stays.
    if (firstOpen) {
        if (attempt.Opened())
            app.ShowEditor();
        else
            app.UnloadEditor();
    }
    ReportOpenFailure(app.desktop, file, attempt);
}

void form3::OpenFromClipboard() {
    QImage picture;
    IgnoreErrors([&] { picture = app.desktop.ClipboardPicture(); });
    // A picture beyond what the loaders accept is treated like no picture at all.
    if (picture.isNull() || !IsAcceptablePictureSize(picture.width(), picture.height())) {
        app.desktop.MessageBox(QStringLiteral("no picture in clipboard"), kProgramTitle,
                               MessageIcon::None);
        return;
    }
    if (Form1* shown = app.EditorIfLoaded(); shown && !shown->MayDiscardWork()) return;
    const bool measuring = LeaveScreenMeasurement();
    Form1& ed = app.Editor();
    ShowOnCanvas(ed, picture);
    app.ShowEditor();
    LayOutEditorBars();
    if (measuring) PlaceCanvasBesideBars(ed);
    Visible = false;
}

void form3::MeasureScreen() {
    Form1* loaded = app.EditorIfLoaded();
    if (loaded && !loaded->MayDiscardWork()) return;
    const StartMode mode = Text1;
    const bool shown = Visible;
    const bool editorShown = loaded && loaded->Visible;
    Text1 = StartMode::ScreenMeasurement;
    Visible = false;
    // The copy is of the screen behind the editor, never of the editor itself.
    if (editorShown) loaded->SetShown(false);
    // Lets the screen repaint without the strip and the tray menu before it is copied.
    IgnoreErrors([&] { Waiter().Wait(1000); });
    // A desktop that copies the screen only on request may refuse: nothing opens then.
    if (!app.desktop.PrepareScreenCopy()) {
        Text1 = mode;
        Visible = shown;
        if (editorShown) loaded->SetShown(true);
        return;
    }
    // A first load copies the screen itself; an editor loaded before copies it now, so the
    // canvas is the screen of this moment and never an earlier picture.
    if (loaded) loaded->ShowScreenCopy();
    app.ShowEditor();
    Form1& ed = app.Editor();
    ShowEditorTool();
    ed.Picture6.Width = Screen().Width;
    ed.Picture1.Height = Screen().Height;
    Visible = true;
    // Docked at the top right of the screen that was copied.
    Left = Screen().Left + Screen().Width - Width;
    Top = Screen().Top;
    ed.Timer2.SetEnabled(false);
}

}  // namespace orv
